// Suggestions for misspelt names: the known name closest to what was written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace XPL::CHECKTOOL {

// Whether a and b differ at most in the case of ASCII letters.
bool SameIgnoringCase(std::wstring_view a, std::wstring_view b);

// The name of names that word most likely means, or "" when none is close: the closest one
// (fewest letters to add, drop or change, letter case not counted; the first of equals) when at
// most a third of word's letters differ, or one that holds word's letters in order (a
// shortening such as "ctrl" for "control") when word has at least three. Among equally close
// names, one that holds word's letters in order wins.
std::wstring SuggestedName(std::wstring_view word, const std::vector<std::wstring>& names);

}  // namespace XPL::CHECKTOOL
