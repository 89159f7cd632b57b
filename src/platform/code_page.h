// Seam: text in the system's ANSI code page, the 8-bit encoding in which the simulator takes the
// texts of the screen panel's button events (speech, command, key and button names).
#pragma once

#include <cstddef>
#include <string_view>

namespace XPL::PLATFORM {

// Writes text into out in the ANSI code page: at most capacity - 1 bytes, cut only between
// characters (a double-byte character is never split), then a terminator; nothing at all when
// capacity is 0. Returns the bytes written before the terminator. Allocates nothing.
// Windows: the system's active code page, converted as Windows converts (a character the code
// page lacks becomes its best-fit look-alike, else '?'). Elsewhere: Windows-1252, and a character
// it lacks becomes '?'. A character beyond the Basic Multilingual Plane (a surrogate pair where
// wchar_t has 16 bits) is one character.
size_t ToAnsiCodePage(std::wstring_view text, char* out, size_t capacity);

}  // namespace XPL::PLATFORM
