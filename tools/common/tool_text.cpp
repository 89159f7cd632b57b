#include "tool_text.h"

#include "platform/utf8.h"

namespace XPL::TOOLS {

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        // Pairs of surrogates, where wchar_t has 16 bits, make one character.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const uint32_t next = static_cast<uint32_t>(text[i + 1]);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            }
        }
        PLATFORM::AppendUtf8(narrow, c);
    }
    return narrow;
}

std::wstring Widen(const std::string& text) {
    std::wstring wide;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t extra = c >= 0xF8 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        bool valid = c < 0x80 || extra > 0;
        uint32_t value = extra > 0 ? c & (0x3Fu >> extra) : c;
        for (size_t k = 1; valid && k <= extra; ++k) {
            valid = i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            value = (value << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if (!valid) {
            wide += static_cast<wchar_t>(c);
            ++i;
            continue;
        }
        if (sizeof(wchar_t) == 2 && value >= 0x10000) {
            value -= 0x10000;
            wide += static_cast<wchar_t>(0xD800 + (value >> 10));
            wide += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(value);
        }
        i += extra + 1;
    }
    return wide;
}

}  // namespace XPL::TOOLS
