// Code page seam off Windows: Windows-1252, the ANSI code page of the systems the panels are
// made for.
#include "platform/code_page.h"

#include <cstdint>

namespace XPL::PLATFORM {

namespace {

// What Windows-1252 puts at bytes 0x80 to 0x9F; the five bytes it leaves undefined stand for
// their own code, as Windows converts them.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ByteOf(uint32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (uint32_t i = 0; i < 32; ++i) {
        if (kHigh[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

}  // namespace

size_t ToAnsiCodePage(std::wstring_view text, char* out, size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    size_t written = 0;
    for (size_t i = 0; i < text.size() && written + 1 < capacity; ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
            static_cast<uint32_t>(text[i + 1]) >= 0xDC00 &&
            static_cast<uint32_t>(text[i + 1]) <= 0xDFFF) {
            ++i;  // a pair is one character beyond the code page
            c = 0xFFFD;
        }
        out[written++] = ByteOf(c);
    }
    out[written] = '\0';
    return written;
}

}  // namespace XPL::PLATFORM
