#include "sim_journal.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <utility>
#include <vector>

namespace XPL::SIMTOOL {

namespace {

// Candidates looked at per stream for the closest lines of a failure: a failure stays quick
// however long the journal.
constexpr size_t kMostCandidateRuns = 2000;
constexpr size_t kMostClosest = 3;

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

// The first count words of a line (the whole line when it has fewer).
std::string Words(const std::string& line, int count) {
    size_t end = 0;
    for (int i = 0; i < count; ++i) {
        end = line.find(' ', i == 0 ? 0 : end + 1);
        if (end == std::string::npos) {
            return line;
        }
    }
    return line.substr(0, end);
}

size_t WordCount(const std::string& words) {
    return static_cast<size_t>(std::count(words.begin(), words.end(), ' ')) + 1;
}

// True when line's first words are words.
bool BeginsWithWords(const std::string& line, const std::string& words) {
    return line.compare(0, words.size(), words) == 0 &&
           (line.size() == words.size() || line[words.size()] == ' ');
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
    return std::string(KindView(line));
}

std::string_view CSimJournal::KindView(std::string_view line) {
    const std::string_view first = line.substr(0, line.find(' '));
    if (first == "feature" || first == "led" || first == "line" || first == "picture" ||
        first == "protocol") {
        return line.substr(0, line.find(' ', first.size() + 1));
    }
    return first;
}

std::string CSimJournal::TraceTextOf(const std::string& line) {
    size_t at = 0;
    for (int i = 0; i < 3 && at != std::string::npos; ++i) {
        at = line.find(' ', at == 0 ? 0 : at + 1);
    }
    return at == std::string::npos ? std::string() : line.substr(at + 1);
}

void CSimJournal::Add(std::string line) {
    std::lock_guard lock(mutex);
    if (!quiet) {
        std::cout << line << '\n';
    }
    const std::string_view kind = KindView(line);
    auto found = streams.find(kind);
    if (found == streams.end()) {
        found = streams.emplace(std::string(kind), Stream{}).first;
    }
    Stream& stream = found->second;
    if (!stream.runs.empty() && stream.runs.back().line == line) {
        ++stream.runs.back().count;
        return;
    }
    if (stream.runs.size() >= kMostRunsPerStream) {
        const Run& oldest = stream.runs.front();
        stream.dropped[Words(oldest.line, 2)] += oldest.count;
        stream.droppedTotal += oldest.count;
        stream.runs.pop_front();
    }
    stream.runs.push_back(Run{std::move(line), 1});
}

void CSimJournal::Flush() {
    std::lock_guard lock(mutex);
    std::cout.flush();
}

std::string CSimJournal::DroppedNote(const Stream& stream) {
    if (stream.droppedTotal == 0) {
        return {};
    }
    return "; " + std::to_string(stream.droppedTotal) +
           " older unmatched lines of the kind were dropped (the journal holds " +
           std::to_string(kMostRunsPerStream) + " runs of a kind: use forget in long runs)";
}

std::string CSimJournal::Closest(const std::string& event, const Stream* only,
                                 bool byTraceText) const {
    std::vector<std::pair<size_t, const std::string*>> candidates;
    const auto consider = [&](const Stream& stream) {
        const size_t count = std::min(stream.runs.size(), kMostCandidateRuns);
        for (size_t i = 0; i < count; ++i) {
            const std::string& line = stream.runs[i].line;
            const bool seen =
                std::any_of(candidates.begin(), candidates.end(),
                            [&](const auto& candidate) { return *candidate.second == line; });
            if (!seen) {
                candidates.emplace_back(EditDistance(event, byTraceText ? TraceTextOf(line) : line),
                                        &line);
            }
        }
    };
    if (only != nullptr) {
        consider(*only);
    } else {
        for (const auto& [kind, stream] : streams) {
            consider(stream);
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    for (size_t i = 0; i < candidates.size() && i < kMostClosest; ++i) {
        out += (i == 0 ? "" : " | ") + *candidates[i].second;
    }
    return out;
}

bool CSimJournal::ExpectEvent(const std::string& event, std::string& got, SameLine same) {
    std::lock_guard lock(mutex);
    const std::string kind = KindOf(event);
    const auto found = streams.find(kind);
    if (found == streams.end() || found->second.runs.empty()) {
        const std::string closest = Closest(event, nullptr);
        got = "no unmatched \"" + kind + "\" line" +
              (closest.empty() ? std::string() : " (closest: " + closest + ")");
        return false;
    }
    Stream& stream = found->second;
    const auto isSame = [&](const std::string& line) {
        return same != nullptr ? same(event, line) : line == event;
    };
    // Trace lines come from several threads, so only the order of one thread's lines is
    // meaningful: a trace expectation takes the oldest equal line, not the oldest line.
    if (kind == "trace" && stream.droppedTotal == 0) {
        for (auto run = stream.runs.begin(); run != stream.runs.end(); ++run) {
            if (isSame(run->line)) {
                if (--run->count == 0) {
                    stream.runs.erase(run);
                }
                return true;
            }
        }
    }
    Run& oldest = stream.runs.front();
    const bool sameLine = isSame(oldest.line);
    if (!sameLine || stream.droppedTotal != 0) {
        got = "\"" + oldest.line + "\" (closest: " + Closest(event, &stream) + ")" +
              DroppedNote(stream);
        return false;
    }
    if (--oldest.count == 0) {
        stream.runs.pop_front();
    }
    return true;
}

namespace {

// Whether text is pattern, each '*' of which stands for any run of characters.
bool MatchesPattern(std::string_view text, std::string_view pattern) {
    const size_t star = pattern.find('*');
    if (star == std::string_view::npos) {
        return text == pattern;
    }
    if (text.substr(0, star) != pattern.substr(0, star)) {
        return false;
    }
    const std::string_view rest = pattern.substr(star + 1);
    for (size_t from = star; from <= text.size(); ++from) {
        if (MatchesPattern(text.substr(from), rest)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool CSimJournal::ExpectTrace(const std::string& text, std::string& got) {
    std::lock_guard lock(mutex);
    std::string wanted = text;
    std::erase(wanted, '*');  // what the closest candidates are measured against
    const auto found = streams.find("trace");
    if (found != streams.end()) {
        Stream& stream = found->second;
        for (auto run = stream.runs.begin(); run != stream.runs.end(); ++run) {
            const std::string traceText = TraceTextOf(run->line);
            if (MatchesPattern(traceText, text)) {
                if (--run->count == 0) {
                    stream.runs.erase(run);
                }
                return true;
            }
        }
    }
    const Stream* stream = found == streams.end() ? nullptr : &found->second;
    const std::string closest = stream == nullptr ? std::string() : Closest(wanted, stream, true);
    got = closest.empty() ? "no unmatched trace line" : "no such line (closest: " + closest + ")";
    if (stream != nullptr) {
        got += DroppedNote(*stream);
    }
    return false;
}

uint64_t CSimJournal::CountUnmatched(const std::string& words, std::string& sample) {
    std::lock_guard lock(mutex);
    const size_t wordCount = WordCount(words);
    uint64_t count = 0;
    sample.clear();
    for (const auto& [kind, stream] : streams) {
        // A stream of the words' kind, or narrower ("feature" holds "feature lamp"), counts
        // whole; a wider one ("cmd" for "cmd once") line by line.
        const bool whole = BeginsWithWords(kind, words) && WordCount(kind) >= wordCount;
        if (!whole && !BeginsWithWords(words, kind)) {
            continue;
        }
        for (const Run& run : stream.runs) {
            if (whole || BeginsWithWords(run.line, words)) {
                if (sample.empty()) {
                    sample = run.line;
                }
                count += run.count;
            }
        }
        if (whole) {
            count += stream.droppedTotal;
        } else if (const auto dropped = stream.dropped.find(Words(words, 2));
                   dropped != stream.dropped.end()) {
            count += dropped->second;
        }
    }
    return count;
}

void CSimJournal::Forget() {
    std::lock_guard lock(mutex);
    streams.clear();
}

}  // namespace XPL::SIMTOOL
