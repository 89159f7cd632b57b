#include "sim_journal.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace XPL::SIMTOOL {

namespace {

size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string Words(const std::string& line, int count) {
    size_t end = 0;
    for (int i = 0; i < count && end != std::string::npos; ++i) {
        end = line.find(' ', end == 0 ? 0 : end + 1);
    }
    return end == std::string::npos ? line : line.substr(0, end);
}

}  // namespace

std::string CSimJournal::FormatKeyBatch(const VIRTUAL::KeyBatch& batch) {
    std::string line = batch.keyUp ? "input up" : "input down";
    char hex[8];
    for (const uint8_t key : batch.virtualKeys) {
        std::snprintf(hex, sizeof(hex), " %02X", static_cast<unsigned>(key));
        line += hex;
    }
    return line;
}

std::string CSimJournal::KindOf(const std::string& line) {
    const std::string first = Words(line, 1);
    if (first == "feature" || first == "led" || first == "line" || first == "picture") {
        return Words(line, 2);
    }
    return first;
}

void CSimJournal::Add(const std::string& line, const std::string& traceText) {
    std::lock_guard lock(mutex);
    entries.push_back(Entry{line, KindOf(line), traceText, false});
    if (!quiet) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

std::string CSimJournal::Closest(const std::string& event, const std::string& kind) const {
    std::vector<std::pair<size_t, const std::string*>> candidates;
    for (size_t i = firstUnmatched; i < entries.size(); ++i) {
        if (!entries[i].matched && (kind.empty() || entries[i].kind == kind)) {
            candidates.emplace_back(EditDistance(event, entries[i].line), &entries[i].line);
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    for (size_t i = 0; i < candidates.size() && i < 3; ++i) {
        out += (i == 0 ? "" : " | ") + *candidates[i].second;
    }
    return out;
}

bool CSimJournal::ExpectEvent(const std::string& event, std::string& got) {
    std::lock_guard lock(mutex);
    const std::string kind = KindOf(event);
    for (size_t i = firstUnmatched; i < entries.size(); ++i) {
        Entry& entry = entries[i];
        if (entry.matched || entry.kind != kind) {
            continue;
        }
        if (entry.line == event) {
            entry.matched = true;
            return true;
        }
        got = "\"" + entry.line + "\" (closest: " + Closest(event, kind) + ")";
        return false;
    }
    const std::string closest = Closest(event, "");
    got = "no unmatched \"" + kind + "\" line" +
          (closest.empty() ? std::string() : " (closest: " + closest + ")");
    return false;
}

bool CSimJournal::ExpectTrace(const std::string& text, std::string& got) {
    std::lock_guard lock(mutex);
    const bool prefix = !text.empty() && text.back() == '*';
    const std::string wanted = prefix ? text.substr(0, text.size() - 1) : text;
    for (size_t i = firstUnmatched; i < entries.size(); ++i) {
        Entry& entry = entries[i];
        if (entry.matched || entry.kind != "trace") {
            continue;
        }
        if (prefix ? entry.traceText.rfind(wanted, 0) == 0 : entry.traceText == wanted) {
            entry.matched = true;
            return true;
        }
    }
    const std::string closest = Closest("trace 0 0x0 " + wanted, "trace");
    got = closest.empty() ? "no unmatched trace line" : "closest: " + closest;
    return false;
}

size_t CSimJournal::CountUnmatched(const std::string& kind, std::string& sample) {
    std::lock_guard lock(mutex);
    size_t count = 0;
    sample.clear();
    for (size_t i = firstUnmatched; i < entries.size(); ++i) {
        if (!entries[i].matched && entries[i].kind == kind) {
            if (count++ == 0) {
                sample = entries[i].line;
            }
        }
    }
    return count;
}

void CSimJournal::Forget() {
    std::lock_guard lock(mutex);
    // Matched lines are never looked at again, so a long run stays bounded by its forgets.
    entries.clear();
    firstUnmatched = 0;
}

}  // namespace XPL::SIMTOOL
