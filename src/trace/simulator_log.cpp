#include "trace/simulator_log.h"

#include <string_view>
#include <utility>

#include "platform/utf8.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

CSimulatorLog& CSimulatorLog::Get() {
    static CSimulatorLog log;
    return log;
}

void CSimulatorLog::Write(const wchar_t* format, const TraceArg* args, size_t argCount) {
    if (format == nullptr) {
        return;
    }
    const std::wstring_view key(format);
    std::lock_guard lock(mutex_);
    auto found = counts_.find(key);
    if (found == counts_.end()) {
        found = counts_.emplace(std::wstring(key), 0).first;
    }
    uint32_t& count = found->second;
    if (count > kMostPerFormat) {
        return;
    }
    ++count;
    std::string line = kPrefix;
    if (count > kMostPerFormat) {
        line += "further messages like \"";
        PLATFORM::AppendUtf8(line, key);
        line += "\" are suppressed";
    } else {
        wchar_t text[kTraceLineChars] = {};
        FormatTraceText(text, kTraceLineChars, format, args, argCount);
        PLATFORM::AppendUtf8(line, text);
    }
    line += '\n';
    Queue(std::move(line));
}

void CSimulatorLog::Queue(std::string line) {
    if (lines_.size() < kMostWaiting) {
        lines_.push_back(std::move(line));
        waiting_.store(true, std::memory_order_release);
    }
}

void CSimulatorLog::Flush() {
    if (!waiting_.load(std::memory_order_acquire)) {
        return;
    }
    std::vector<std::string> lines;
    {
        std::lock_guard lock(mutex_);
        lines.swap(lines_);
        waiting_.store(false, std::memory_order_relaxed);
    }
    // The simulator is called without the lock: a line written meanwhile waits for the next Flush.
    for (const std::string& line : lines) {
        XPLMDebugString(line.c_str());
    }
}

void CSimulatorLog::Reset() {
    std::lock_guard lock(mutex_);
    counts_.clear();
    lines_.clear();
    waiting_.store(false, std::memory_order_relaxed);
}

}  // namespace XPL
