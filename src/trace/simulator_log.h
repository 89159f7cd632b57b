// Failures also go to the simulator's own log (Log.txt), where users look for a plug-in's
// problems whether or not anyone records the trace: each level-1 message becomes one line
// "XVarlenSkydeck: TEXT". Messages come from any thread, but the simulator is called on its own
// thread only, so the lines wait here until Flush, which the entry points and the flight loop
// call on the way out. A run writes each message format at most kMostPerFormat times, then one
// line saying that further ones are suppressed: a failure that repeats every frame cannot flood
// the log.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace XPL {

class TraceArg;

class CSimulatorLog {
public:
    static constexpr uint32_t kMostPerFormat = 10;
    // Lines waiting for a Flush beyond this many are dropped (a program that never flushes, such
    // as a tool reading gauges, keeps no more).
    static constexpr size_t kMostWaiting = 256;
    static constexpr const char* kPrefix = "XVarlenSkydeck: ";

    // The module's one log.
    static CSimulatorLog& Get();

    // Queues the message of format and args, unless its format was written kMostPerFormat times
    // this run: the next one queues the suppression line instead, later ones nothing. Any thread.
    void Write(const wchar_t* format, const TraceArg* args, size_t argCount);
    // Hands the waiting lines, in order, to XPLMDebugString. The simulator's thread only; costs
    // one atomic load when nothing waits.
    void Flush();
    // A new run: the counts and the waiting lines are forgotten.
    void Reset();

private:
    void Queue(std::string line);

    std::mutex mutex_;
    std::atomic<bool> waiting_{false};
    std::map<std::wstring, uint32_t, std::less<>> counts_;
    std::vector<std::string> lines_;
};

}  // namespace XPL
