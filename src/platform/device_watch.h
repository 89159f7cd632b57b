// Seam: the device-arrival and removal notices of the OS, delivered on a thread of their own
// through a message-only window ("XPL.SKYDECK.MSG.WINDOW").
#pragma once

#include <cstdint>

#include "platform/hid.h"

namespace XPL::PLATFORM {

// Device-change events (the wParam of the OS notice).
inline constexpr uint32_t kDeviceArrival = 0x8000;
inline constexpr uint32_t kDeviceQueryRemove = 0x8001;
inline constexpr uint32_t kDeviceQueryRemoveFailed = 0x8002;
inline constexpr uint32_t kDeviceRemovePending = 0x8003;
inline constexpr uint32_t kDeviceRemoveComplete = 0x8004;

// Window messages the receiver sees.
inline constexpr uint32_t kMessageCreate = 0x0001;
inline constexpr uint32_t kMessageDeviceChange = 0x0219;

// Receives the watch thread's events; every call runs on the watch thread.
class IDeviceWatchSink {
public:
    // Every message that reaches the window, before it is handled.
    virtual void OnWindowMessage(uint32_t message) = 0;
    // The window exists (its creation message); window identifies it in traces only.
    virtual void OnWindowCreated(const void* window) = 0;
    // The message loop is about to run.
    virtual void OnMessageLoop(const void* window) = 0;
    // A device-change notice. interfaceClass and name are set only for device-interface
    // broadcasts (name: the interface path as the OS spells it); otherwise both are null.
    virtual void OnDeviceChange(uint32_t event, const Guid* interfaceClass,
                                const wchar_t* name) = 0;

protected:
    ~IDeviceWatchSink() = default;
};

struct DeviceWatch;
struct DeviceNotification;

// Starts the watch thread, which creates the window and runs its message loop until stopped.
// Null when the thread could not be started, with the OS error in error. A thread whose window
// cannot be created ends at once without calling OnWindowCreated.
DeviceWatch* StartDeviceWatch(IDeviceWatchSink* sink, uint32_t& error);
// Asks the thread to quit and waits at most timeoutMs for it. Returns false when it had to be
// terminated instead (exit code 555). Frees the watch either way.
bool StopDeviceWatch(DeviceWatch* watch, uint32_t timeoutMs);

// Registers the window for arrival and removal notices of one interface class. Null on failure
// with the OS error in error.
DeviceNotification* RegisterDeviceNotification(DeviceWatch* watch, const Guid& interfaceClass,
                                               uint32_t& error);
void UnregisterDeviceNotification(DeviceNotification* notification);

}  // namespace XPL::PLATFORM
