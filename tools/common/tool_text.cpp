#include "tool_text.h"

#include <type_traits>

#include "platform/utf8.h"
#include "sim/utility.h"

namespace XPL::TOOLS {

namespace {

// The conversions for either kind of native path string (only the one of the platform is made).
template <class Char>
std::filesystem::path PathOf(std::string_view utf8, const std::basic_string<Char>*) {
    if constexpr (std::is_same_v<Char, wchar_t>) {
        return UTILITY::MakeFilePath(std::wstring_view(Widen(utf8)));
    } else {
        return UTILITY::MakeFilePath(utf8);  // the file system's own bytes
    }
}

template <class Char>
std::wstring WideOf(const std::basic_string<Char>& native) {
    if constexpr (std::is_same_v<Char, wchar_t>) {
        return native;
    } else {
        return Widen(native);
    }
}

template <class Char>
std::string Utf8Of(const std::basic_string<Char>& native) {
    if constexpr (std::is_same_v<Char, wchar_t>) {
        return Narrow(native);
    } else {
        return native;
    }
}

}  // namespace

std::string Narrow(std::wstring_view text) {
    std::string narrow;
    PLATFORM::AppendUtf8(narrow, text);
    return narrow;
}

std::wstring Widen(std::string_view text) {
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

std::filesystem::path PathOfUtf8(std::string_view text) {
    return PathOf(text, static_cast<const std::filesystem::path::string_type*>(nullptr));
}

std::wstring WideOfPath(const std::filesystem::path& path) {
    return WideOf(path.native());
}

std::string ShownPath(const std::filesystem::path& path) {
    return Utf8Of(std::filesystem::path(path).make_preferred().native());
}

}  // namespace XPL::TOOLS
