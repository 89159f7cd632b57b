// Control surface of the virtual backends: tests and tools play the OS through these calls.
// Not thread-safe against itself; the trace capture is safe to write from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/hid.h"

namespace XPL::VIRTUAL {

// Back to a fresh machine: no controller, no captured lines, no named events, default folders,
// no interface lists, no devices on the bus (ResetDevices), clock at 0. A registered trace
// provider stays registered.
void ResetPlatform();

// Trace: acts as a controller. Enabling before the provider registers is remembered and
// delivered during registration, as the OS does for a waiting controller.
void EnableTrace(uint8_t level, uint64_t keywords);
void DisableTrace();
void SendTraceControl(uint32_t controlCode, uint8_t level, uint64_t keywords);
void SetTraceRegisterFails(bool fails);
bool TraceProviderRegistered();

struct TraceLine {
    uint8_t level;
    uint64_t keyword;
    std::wstring text;
};
// Captured lines since the last call, oldest first.
std::vector<TraceLine> TakeTraceLines();
// Also called for each line as it is written, on the writing thread (empty function: none).
void SetTraceListener(std::function<void(const TraceLine&)> listener);

// Named events: which exist, and which were signalled (oldest first).
void SetNamedEventExists(const std::wstring& name, bool exists);
std::vector<std::wstring> TakeSignalledEvents();

// Folders.
void SetModuleFilePath(const std::wstring& path);
// A non-zero failStatus makes the public documents look-up fail with it.
void SetPublicDocumentsFolder(const std::wstring& folder, uint32_t failStatus = 0);
// The fonts folder (by default Debian's Liberation folder); a non-zero failStatus makes the
// look-up fail with it.
void SetFontsFolder(const std::wstring& folder, uint32_t failStatus = 0);

// Present interfaces of a class, as ListInterfaces reports them. A list set for a class replaces
// the devices attached to the bus for that class until ResetPlatform.
void SetInterfaceList(const PLATFORM::Guid& interfaceClass, const PLATFORM::InterfaceList& list);

// Clock. PLATFORM::TimedWait ends only when the clock moves on by its time-out, never in real
// time. A clock change moves it only while every other thread that takes part (below) waits for
// something that has not yet come, never in the middle of what one does; it steps from one
// wait's end to the next within its span, and at each it returns to its caller, or steps on,
// only once every thread whose wait it ended has done its work and waits again or has ended: a
// thread that wakes every 50 ms has made exactly one pass per 50 ms when AdvanceClock returns.
// So a thread that takes part must come to wait, or end, without needing the thread that
// changes the clock (that thread itself is never waited for). Changing the clock takes each
// waiter's mutex, so it must not be called while holding a mutex that a timed wait uses.
//
// The threads that take part are those that have waited on the clock, or on the bus (a request's
// result, a device-change notice), and those started through PLATFORM::StartThread. A thread that
// drives the clock (it called SetTickCount, AdvanceClock or DriveClock) moves it on by itself
// while it waits (on the clock or the bus): whenever every thread that takes part waits, none for
// something that has already come, the clock steps to the nearest deadline, as AdvanceClock
// would. So a wait for a device that does not answer ends after its time-outs, on the clock.
void SetTickCount(uint32_t ms);
void AdvanceClock(uint32_t ms);
void DriveClock();
// How far the clock has moved on by itself since ResetPlatform.
uint64_t MovedByItself();
// Returns once every other thread that takes part waits for something that has not yet come (on
// the clock or the bus), or has ended: whatever a notice set going has been done.
void AwaitIdle();
// How many threads are in a timed wait now (a test advances the clock once one waits).
int TimedWaiters();

}  // namespace XPL::VIRTUAL
