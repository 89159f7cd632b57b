// Seam: time. Every tick count, time-out and timed wait of the system reads this clock, so tests
// drive it and never sleep for real time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace XPL::PLATFORM {

// Milliseconds since an arbitrary origin; wraps like the OS's 32-bit tick count.
uint32_t GetTickCount();

// Waits on condition (lock held) until ready(context) is true or timeoutMs have passed on this
// clock; returns ready(context). Whoever makes ready true notifies condition.
bool TimedWait(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
               uint32_t timeoutMs, bool (*ready)(void* context), void* context);

// Starts a thread that waits on this clock. (A clock that tests drive counts it as taking part
// from its start, so time does not move on by itself before the thread first waits.)
std::thread StartThread(std::function<void()> body);

}  // namespace XPL::PLATFORM
