#pragma once

#include <cstdint>
#include <string_view>

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

// Appends a wide text as UTF-8: UTF-16 where wchar_t has 16 bits (a pair of surrogates is one
// character), code points where it has 32; an unpaired surrogate, or a value past 0x10FFFF,
// becomes U+FFFD.
template <class String>
void AppendUtf8(String& out, std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDFFF) {
            const uint32_t next = i + 1 < text.size() ? static_cast<uint32_t>(text[i + 1]) : 0;
            if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        }
        AppendUtf8(out, c > 0x10FFFF ? 0xFFFDu : c);
    }
}

}  // namespace XPL::PLATFORM
