// Clock seam over the OS's 32-bit millisecond tick count and real timed waits.
#include <windows.h>

#include <chrono>
#include <utility>

#include "platform/clock.h"

namespace XPL::PLATFORM {

uint32_t GetTickCount() {
    return ::GetTickCount();
}

bool TimedWait(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
               uint32_t timeoutMs, bool (*ready)(void* context), void* context) {
    return condition.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [ready, context] { return ready(context); });
}

std::thread StartThread(std::function<void()> body) {
    return std::thread(std::move(body));
}

}  // namespace XPL::PLATFORM
