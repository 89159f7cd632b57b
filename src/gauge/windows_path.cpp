#include "gauge/windows_path.h"

#include <optional>
#include <string>
#include <system_error>
#include <type_traits>
#include <vector>

#include "platform/utf8.h"

namespace XPL::UTILITY {

namespace {

namespace fs = std::filesystem;
using Native = fs::path::string_type;
using NativeChar = Native::value_type;

// A wide text in the platform's native file-name encoding (UTF-8 where that is narrow), with
// every backslash turned into '/'. Characters that cannot be encoded become U+FFFD.
Native ToNative(std::wstring_view text) {
    Native native;
    if constexpr (std::is_same_v<NativeChar, wchar_t>) {
        native.assign(text.begin(), text.end());
    } else {
        PLATFORM::AppendUtf8(native, text);
    }
    for (NativeChar& c : native) {
        if (c == NativeChar('\\')) {
            c = NativeChar('/');
        }
    }
    return native;
}

NativeChar FoldAscii(NativeChar c) {
    return c >= NativeChar('A') && c <= NativeChar('Z') ? static_cast<NativeChar>(c + ('a' - 'A'))
                                                        : c;
}

bool SameIgnoringCase(const Native& a, const Native& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool Exists(const Native& path) {
    std::error_code error;
    return fs::exists(fs::path(path), error);
}

Native Join(const Native& folder, const Native& name) {
    if (folder.empty()) {
        return name;
    }
    if (folder.back() == NativeChar('/')) {
        return folder + name;
    }
    return folder + NativeChar('/') + name;
}

// The entry of folder whose name matches name without regard to case, first in name order.
std::optional<Native> FindIgnoringCase(const Native& folder, const Native& name) {
    std::error_code error;
    fs::directory_iterator entries(fs::path(folder.empty() ? Native(1, NativeChar('.')) : folder),
                                   error);
    std::optional<Native> found;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const Native entry = entries->path().filename().native();
        if (SameIgnoringCase(entry, name) && (!found || entry < *found)) {
            found = entry;
        }
    }
    return found;
}

}  // namespace

std::filesystem::path ResolveWindowsPath(std::wstring_view path) {
    const Native written = ToNative(path);
    if (written.empty() || Exists(written)) {
        return fs::path(written);
    }
    std::vector<Native> parts;
    size_t start = 0;
    while (start <= written.size()) {
        size_t end = written.find(NativeChar('/'), start);
        if (end == Native::npos) {
            end = written.size();
        }
        if (end > start) {
            parts.push_back(written.substr(start, end - start));
        }
        start = end + 1;
    }
    Native current = written[0] == NativeChar('/') ? Native(1, NativeChar('/')) : Native();
    bool lost = false;
    for (const Native& part : parts) {
        const Native candidate = Join(current, part);
        const bool special =
            part == Native(1, NativeChar('.')) || part == Native(2, NativeChar('.'));
        if (lost || special || Exists(candidate)) {
            current = candidate;
            continue;
        }
        const std::optional<Native> match = FindIgnoringCase(current, part);
        lost = !match;
        current = match ? Join(current, *match) : candidate;
    }
    return fs::path(current);
}

}  // namespace XPL::UTILITY
