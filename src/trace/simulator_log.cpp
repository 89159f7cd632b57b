#include "trace/simulator_log.h"

#include <string_view>
#include <utility>

#include "platform/utf8.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {

// UTF-8 of a wide text (UTF-16 where wchar_t has 16 bits, so pairs of surrogates join); an
// unpaired surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDFFF) {
            const uint32_t next = i + 1 < text.size() ? static_cast<uint32_t>(text[i + 1]) : 0;
            if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        }
        if (c > 0x10FFFF) {
            c = 0xFFFD;
        }
        PLATFORM::AppendUtf8(out, c);
    }
}

}  // namespace

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
        AppendUtf8(line, key);
        line += "\" are suppressed";
    } else {
        wchar_t text[kTraceLineChars] = {};
        FormatTraceText(text, kTraceLineChars, format, args, argCount);
        AppendUtf8(line, text);
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
