// Virtual trace sink: captures lines in memory and plays the trace controller.
#include <mutex>

#include "backends/virtual/virtual_platform.h"
#include "platform/trace_sink.h"

namespace XPL::VIRTUAL {

namespace {

struct TraceController {
    std::mutex mutex;
    PLATFORM::TraceEnableFn callback = nullptr;
    uint64_t registration = 0;
    uint64_t nextRegistration = 1;
    bool registerFails = false;
    // A controller that enabled the provider before it registered.
    bool pendingEnable = false;
    uint8_t pendingLevel = 0;
    uint64_t pendingKeywords = 0;
    std::vector<TraceLine> lines;
    std::function<void(const TraceLine&)> listener;
};

TraceController& Controller() {
    static TraceController controller;
    return controller;
}

}  // namespace

void EnableTrace(uint8_t level, uint64_t keywords) {
    SendTraceControl(1, level, keywords);
}

void DisableTrace() {
    SendTraceControl(0, 0, 0);
}

void SendTraceControl(uint32_t controlCode, uint8_t level, uint64_t keywords) {
    TraceController& c = Controller();
    PLATFORM::TraceEnableFn callback = nullptr;
    {
        std::lock_guard lock(c.mutex);
        if (controlCode == 1 || controlCode == 0) {
            c.pendingEnable = controlCode == 1;
            c.pendingLevel = level;
            c.pendingKeywords = keywords;
        }
        if (c.registration != 0) {
            callback = c.callback;
        }
    }
    if (callback != nullptr) {
        callback(controlCode, level, keywords);
    }
}

void SetTraceRegisterFails(bool fails) {
    std::lock_guard lock(Controller().mutex);
    Controller().registerFails = fails;
}

bool TraceProviderRegistered() {
    std::lock_guard lock(Controller().mutex);
    return Controller().registration != 0;
}

std::vector<TraceLine> TakeTraceLines() {
    std::lock_guard lock(Controller().mutex);
    std::vector<TraceLine> lines;
    lines.swap(Controller().lines);
    return lines;
}

void SetTraceListener(std::function<void(const TraceLine&)> listener) {
    std::lock_guard lock(Controller().mutex);
    Controller().listener = std::move(listener);
}

void ResetTraceCapture() {
    TraceController& c = Controller();
    const bool registered = TraceProviderRegistered();
    if (registered) {
        DisableTrace();
    }
    std::lock_guard lock(c.mutex);
    c.pendingEnable = false;
    c.registerFails = false;
    c.lines.clear();
    c.listener = nullptr;
}

}  // namespace XPL::VIRTUAL

namespace XPL::PLATFORM {

using VIRTUAL::Controller;

uint64_t TraceSinkRegister(TraceEnableFn onEnable) {
    auto& c = VIRTUAL::Controller();
    bool deliver = false;
    uint8_t level = 0;
    uint64_t keywords = 0;
    uint64_t registration = 0;
    {
        std::lock_guard lock(c.mutex);
        if (c.registerFails) {
            return 0;
        }
        c.callback = onEnable;
        registration = c.registration = c.nextRegistration++;
        deliver = c.pendingEnable;
        level = c.pendingLevel;
        keywords = c.pendingKeywords;
    }
    // A controller already waiting enables the provider during registration.
    if (deliver && onEnable != nullptr) {
        onEnable(1, level, keywords);
    }
    return registration;
}

void TraceSinkUnregister(uint64_t registration) {
    auto& c = VIRTUAL::Controller();
    std::lock_guard lock(c.mutex);
    if (registration == c.registration) {
        c.registration = 0;
        c.callback = nullptr;
    }
}

void TraceSinkWrite(uint64_t registration, uint8_t level, uint64_t keyword, const wchar_t* line) {
    auto& c = VIRTUAL::Controller();
    std::function<void(const VIRTUAL::TraceLine&)> listener;
    VIRTUAL::TraceLine captured{level, keyword, line};
    {
        std::lock_guard lock(c.mutex);
        if (registration == 0 || registration != c.registration) {
            return;
        }
        c.lines.push_back(captured);
        listener = c.listener;
    }
    if (listener) {
        listener(captured);
    }
}

}  // namespace XPL::PLATFORM
