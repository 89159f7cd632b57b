// Gauge files name their bitmaps, and the configuration names its gauge files, as Windows paths:
// backslashes, and any letter case, since Windows matches names without regard to case.
#pragma once

#include <filesystem>
#include <string_view>

namespace XPL::UTILITY {

// The path that opens the file Windows would open for path: backslashes are separators, and a
// component that does not exist as written is matched against its folder's entries without
// regard to ASCII letter case (the first such entry in name order). Where nothing matches, the
// rest is kept as written, so opening it fails. Never throws; touches no file but to look.
std::filesystem::path ResolveWindowsPath(std::wstring_view path);

}  // namespace XPL::UTILITY
