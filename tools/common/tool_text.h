// Text between the tools' UTF-8 (command lines, scenario files, output), the plug-in's wide
// strings and the file system's paths. None of these throws or loses a character a path can
// hold: a path is never built from, or turned into, a narrow string in the C library's or the
// ANSI code page's encoding.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace XPL::TOOLS {

// UTF-8 of a wide text (pairs of surrogates, where wchar_t has 16 bits, make one character;
// an unpaired one becomes U+FFFD) and back (a byte that starts no valid sequence stands for
// itself).
std::string Narrow(std::wstring_view text);
std::wstring Widen(std::string_view text);

// The path a user's UTF-8 text names; backslashes are separators on every platform, as the
// plug-in reads users' paths (see UTILITY::MakeFilePath).
std::filesystem::path PathOfUtf8(std::string_view text);
// A path as the plug-in's wide text, and as the tools show it: UTF-8 with the platform's own
// separators (backslashes on Windows, as a Windows user writes and reads paths).
std::wstring WideOfPath(const std::filesystem::path& path);
std::string ShownPath(const std::filesystem::path& path);

}  // namespace XPL::TOOLS
