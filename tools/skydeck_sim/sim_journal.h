// The virtual cockpit's journal: every line the plug-in's work produced, printed as it comes, and
// the lines no expectation has matched yet, kept per stream (a line's kind) in arrival order.
// Lines arrive from the simulator's thread, the watch thread and trace writers, so every call
// takes the journal's lock.
//
// A long run stays bounded: equal lines in a row of one stream are held once with a count, and a
// stream holds at most kMostRunsPerStream runs; older ones are dropped but still counted, so
// `expect count` and `expect no` stay exact and an expectation that would need a dropped line
// says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "backends/virtual/virtual_input.h"

namespace XPL::SIMTOOL {

class CSimJournal {
public:
    static constexpr size_t kMostRunsPerStream = 100000;

    explicit CSimJournal(bool quiet) : quiet(quiet) {}

    // Appends one line, printed unless quiet (standard output is flushed by Flush).
    void Add(std::string line);
    void Flush();

    // The journal line of a key combination sent to the OS input queue: "input down|up VK...",
    // each virtual-key code as two upper-case hex digits.
    static std::string FormatKeyBatch(const VIRTUAL::KeyBatch& batch);

    // The stream a line belongs to: its first word, or the first two for a device's own stream
    // (feature, led, line, picture, protocol).
    static std::string KindOf(const std::string& line);
    static std::string_view KindView(std::string_view line);
    // The text of a "trace LEVEL KEYWORD TEXT" line.
    static std::string TraceTextOf(const std::string& line);

    // Whether an expected event names a journal line (default: the same text).
    using SameLine = bool (*)(const std::string& event, const std::string& line);
    // Matches the oldest unmatched line of event's kind when it is the same as event (for trace
    // lines, which several threads write, the oldest equal one); otherwise false with what was
    // found instead (and the closest candidates) in got.
    bool ExpectEvent(const std::string& event, std::string& got, SameLine same = nullptr);
    // Matches the oldest unmatched trace line whose text is text (each '*' stands for any run
    // of characters); false with the closest candidates in got.
    bool ExpectTrace(const std::string& text, std::string& got);
    // Unmatched lines whose first words are words (one or two words: a kind, or a kind and a
    // name), with one of them in sample.
    uint64_t CountUnmatched(const std::string& words, std::string& sample);
    // Every line so far counts as matched.
    void Forget();

private:
    struct Run {
        std::string line;
        uint64_t count = 0;
    };
    struct Stream {
        std::deque<Run> runs;  // unmatched, oldest first
        // Lines dropped for the bound, by their first two words.
        std::map<std::string, uint64_t> dropped;
        uint64_t droppedTotal = 0;
    };
    // The unmatched lines of a stream (or of every stream) closest to event, best first;
    // byTraceText compares event with the lines' trace texts.
    std::string Closest(const std::string& event, const Stream* only,
                        bool byTraceText = false) const;
    static std::string DroppedNote(const Stream& stream);

    bool quiet;
    std::mutex mutex;
    std::map<std::string, Stream, std::less<>> streams;
};

}  // namespace XPL::SIMTOOL
