#include "spelling.h"

#include <algorithm>
#include <numeric>

namespace XPL::CHECKTOOL {

namespace {

wchar_t Lower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Levenshtein distance without regard to ASCII letter case.
size_t Distance(std::wstring_view a, std::wstring_view b) {
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t{0});
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            const size_t change = diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Whether the letters of word appear in name in the same order (case not counted).
bool Shortens(std::wstring_view word, std::wstring_view name) {
    size_t at = 0;
    for (const wchar_t c : name) {
        if (at < word.size() && Lower(word[at]) == Lower(c)) {
            ++at;
        }
    }
    return at == word.size();
}

}  // namespace

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return Lower(x) == Lower(y); });
}

std::wstring SuggestedName(std::wstring_view word, const std::vector<std::wstring>& names) {
    const std::wstring* best = nullptr;
    size_t bestDistance = 0;
    bool bestShortens = false;
    for (const std::wstring& name : names) {
        const size_t distance = Distance(word, name);
        const bool shortens = word.size() >= 3 && Shortens(word, name);
        if (distance * 3 > word.size() && !shortens) {
            continue;
        }
        if (best == nullptr || distance < bestDistance ||
            (distance == bestDistance && shortens && !bestShortens)) {
            best = &name;
            bestDistance = distance;
            bestShortens = shortens;
        }
    }
    return best != nullptr ? *best : std::wstring();
}

}  // namespace XPL::CHECKTOOL
