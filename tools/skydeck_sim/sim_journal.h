// The virtual cockpit's journal: every line the plug-in's work produced, in order, each either
// matched by an expectation or not yet. Lines arrive from the simulator's thread, the watch
// thread and trace writers, so every call takes the journal's lock.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/virtual/virtual_input.h"

namespace XPL::SIMTOOL {

class CSimJournal {
public:
    explicit CSimJournal(bool quiet) : quiet(quiet) {}

    // Appends one line (printed at once unless quiet). traceText: the text of a trace line,
    // matched on its own by `expect trace "TEXT"`.
    void Add(const std::string& line, const std::string& traceText = {});

    // The journal line of a key combination sent to the OS input queue: "input down|up VK...",
    // each virtual-key code as two upper-case hex digits.
    static std::string FormatKeyBatch(const VIRTUAL::KeyBatch& batch);

    // The stream a line belongs to: its first word, or the first two for a device's own stream.
    static std::string KindOf(const std::string& line);

    // Matches the oldest unmatched line of event's kind when it equals event; otherwise false
    // with what was found instead in got.
    bool ExpectEvent(const std::string& event, std::string& got);
    // Matches an unmatched trace line with this text (a trailing '*' matches a prefix).
    bool ExpectTrace(const std::string& text, std::string& got);
    // Unmatched lines of a kind.
    size_t CountUnmatched(const std::string& kind, std::string& sample);
    void Forget();

private:
    struct Entry {
        std::string line;
        std::string kind;
        std::string traceText;
        bool matched = false;
    };
    // The unmatched lines of a kind closest to event, best first (at most three).
    std::string Closest(const std::string& event, const std::string& kind) const;

    bool quiet;
    std::mutex mutex;
    std::vector<Entry> entries;
    size_t firstUnmatched = 0;
};

}  // namespace XPL::SIMTOOL
