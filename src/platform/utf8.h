#pragma once

#include <cstdint>

namespace XPL::PLATFORM {

// Appends one code point (at most 0x10FFFF; callers replace anything else first) as UTF-8 to a
// string of 8-bit units.
template <class String>
void AppendUtf8(String& out, uint32_t c) {
    using Unit = typename String::value_type;
    if (c < 0x80) {
        out += static_cast<Unit>(c);
    } else if (c < 0x800) {
        out += static_cast<Unit>(0xC0 | (c >> 6));
        out += static_cast<Unit>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<Unit>(0xE0 | (c >> 12));
        out += static_cast<Unit>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<Unit>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<Unit>(0xF0 | ((c >> 18) & 0x07));
        out += static_cast<Unit>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<Unit>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<Unit>(0x80 | (c & 0x3F));
    }
}

}  // namespace XPL::PLATFORM
