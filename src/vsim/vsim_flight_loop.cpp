// Flight-loop registrations, run frame by frame at 60 virtual frames a second.
#include <algorithm>
#include <cmath>

#include "vsim/vsim_state.h"

namespace XPL::VSIM {
namespace {

constexpr float kFrameSeconds = 1.0f / 60.0f;

// Negative intervals count frames, positive ones seconds; both are due at the first frame that
// reaches them, and never sooner than the next frame. 0 (and NaN) pause the callback.
bool IsDue(const FlightLoop& loop) {
    const double interval = loop.registration.interval;
    double frames = 0.0;
    if (interval < 0.0) {
        frames = -interval;
    } else if (interval > 0.0) {
        frames = interval * 60.0;
    } else {
        return false;
    }
    // The tolerance absorbs float rounding of seconds (0.1f * 60 is a hair above 6).
    const double needed = std::max(1.0, std::ceil(frames - 1e-3));
    return static_cast<double>(loop.framesSinceCall) >= needed;
}

// Refreshes what FlightLoops() shows and, outside RunFrames, erases the removed registrations.
// The vectors keep their capacity, so a steady frame allocates nothing.
void Publish(SimState& state) {
    if (!state.running) {
        std::erase_if(state.loops, [](const FlightLoop& loop) { return loop.removed; });
    }
    state.registrations.clear();
    for (const FlightLoop& loop : state.loops) {
        if (!loop.removed) {
            state.registrations.push_back(loop.registration);
        }
    }
}

}  // namespace

void ClearFlightLoops(SimState& state) {
    for (FlightLoop& loop : state.loops) {
        loop.removed = true;
    }
    Publish(state);
}

const std::vector<FlightLoopRegistration>& FlightLoops() {
    return State().registrations;
}

float RunFrames(int frames) {
    SimState& state = State();
    std::unique_lock lock(state.mutex);
    if (state.running || frames <= 0) {
        return 0.0f;
    }
    state.running = true;
    float last = 0.0f;
    for (int frame = 0; frame < frames; ++frame) {
        last = 0.0f;
        const int counter = ++state.frameCounter;
        // Registrations made by the callbacks below join from the next frame.
        const std::size_t count = state.loops.size();
        for (FlightLoop& loop : state.loops) {
            ++loop.framesSinceCall;
        }
        for (std::size_t index = 0; index < count; ++index) {
            // By index: a callback may append registrations and so move the elements.
            const FlightLoop& loop = state.loops[index];
            if (loop.removed || !IsDue(loop)) {
                continue;
            }
            const FlightLoopRegistration call = loop.registration;
            const float sinceCall = static_cast<float>(loop.framesSinceCall) * kFrameSeconds;
            lock.unlock();
            const float next = call.callback(sinceCall, kFrameSeconds, counter, call.refcon);
            lock.lock();
            last = next;
            FlightLoop& after = state.loops[index];
            if (!after.removed) {
                after.registration.interval = next;
                after.framesSinceCall = 0;
            }
        }
        std::erase_if(state.loops, [](const FlightLoop& loop) { return loop.removed; });
        Publish(state);
    }
    state.running = false;
    return last;
}

}  // namespace XPL::VSIM

using namespace XPL::VSIM;

void XPLMRegisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, float inInterval,
                                    void* inRefcon) {
    if (inFlightLoop == nullptr) {
        return;
    }
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    state.loops.push_back(FlightLoop{FlightLoopRegistration{inFlightLoop, inInterval, inRefcon}});
    Publish(state);
}

void XPLMUnregisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, void* inRefcon) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    for (FlightLoop& loop : state.loops) {
        if (!loop.removed && loop.registration.callback == inFlightLoop &&
            loop.registration.refcon == inRefcon) {
            loop.removed = true;
            break;
        }
    }
    Publish(state);
}
