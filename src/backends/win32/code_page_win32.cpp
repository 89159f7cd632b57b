// Code page seam: the system's active code page through the OS's own conversion.
#include <windows.h>

#include <cstring>

#include "platform/code_page.h"

namespace XPL::PLATFORM {

size_t ToAnsiCodePage(std::wstring_view text, char* out, size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    // Character by character, so the text is cut between characters without a buffer of its
    // own; ANSI code pages keep no state between characters, so the bytes are the same.
    size_t written = 0;
    for (size_t i = 0; i < text.size();) {
        const int units =
            IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]) ? 2
                                                                                               : 1;
        char bytes[8];
        int count = ::WideCharToMultiByte(CP_ACP, 0, text.data() + i, units, bytes, sizeof(bytes),
                                          nullptr, nullptr);
        if (count <= 0) {
            bytes[0] = '?';
            count = 1;
        }
        if (written + static_cast<size_t>(count) >= capacity) {
            break;
        }
        std::memcpy(out + written, bytes, static_cast<size_t>(count));
        written += static_cast<size_t>(count);
        i += static_cast<size_t>(units);
    }
    out[written] = '\0';
    return written;
}

}  // namespace XPL::PLATFORM
