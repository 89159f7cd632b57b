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
    return UTILITY::FromUtf8(text);
}

std::filesystem::path PathOfUtf8(std::string_view text) {
    return PathOf(text, static_cast<const std::filesystem::path::string_type*>(nullptr));
}

std::wstring WideOfPath(const std::filesystem::path& path) {
    return UTILITY::WideOfPath(path);
}

std::string ShownPath(const std::filesystem::path& path) {
    return Utf8Of(std::filesystem::path(path).make_preferred().native());
}

}  // namespace XPL::TOOLS
