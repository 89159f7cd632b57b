// The device manager: one module-wide object that finds the attached devices at start, follows
// hot-plug on its own watch thread and hands every simulator frame to each HID device.
//
// Threads: the simulator's thread runs Initialize (with the enumeration of present devices),
// NotifyPanels and Uninitialize; the watch thread creates and removes devices that arrive and
// leave afterwards. They meet only in panelLock and linkLock, which the frame and GetGlasslink
// only try, so the simulator's thread never waits for the watch thread. A removed or replaced
// panel leaves its map under the lock and is uninitialised after it, so the other panels' frames
// go on while it finishes (a screen panel's exchange under way).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "devices/products.h"
#include "glasslink/glasslink_lookup.h"
#include "platform/device_watch.h"
#include "platform/hid.h"

namespace XPL {

class CPanel;
class CGlasslink;
class CAircraftProfiles;

// The display driver's interface classes.
inline constexpr PLATFORM::Guid kStickDisplayInterfaceClass = {
    0x3F8C6D21, 0xB94E, 0x4E57, {0x8C, 0x1A, 0xD0, 0x4F, 0x7A, 0x2B, 0x9E, 0x63}};
inline constexpr PLATFORM::Guid kScreenDisplayInterfaceClass = {
    0xB7D25E48, 0x1C6A, 0x4F3D, {0x9E, 0x80, 0x5A, 0x3C, 0x71, 0xF4, 0xD2, 0xB9}};

// The system's own status codes.
inline constexpr uint32_t kStatusNoAttributes = 30;
inline constexpr uint32_t kStatusWatchDidNotStart = 554;
inline constexpr uint32_t kStatusUnsupportedDevice = 650;
inline constexpr uint32_t kStatusInitializeFailed = 1117;

class CSkydeck final : public IGlasslinkLookup, private PLATFORM::IDeviceWatchSink {
public:
    CSkydeck();
    ~CSkydeck();
    CSkydeck(const CSkydeck&) = delete;
    CSkydeck& operator=(const CSkydeck&) = delete;

    // Starts the watch thread (waiting at most 5 s for its window), creates an object for every
    // supported device present and registers for arrival and removal notices of the three
    // interface classes. 0 on success; otherwise the OS error or kStatusWatchDidNotStart.
    uint32_t Initialize();
    // Stops the watch thread (5 s, then it is terminated) and destroys every device object.
    void Uninitialize();
    // One frame for every HID device in ascending device-path order. Skips the frame when the
    // watch thread holds either lock. A panel that has not taken the aircraft profile in force
    // (a new panel, or the profile changed) is handed it first.
    void NotifyPanels();
    // The aircraft profiles whose changes the panels follow from the next frame on (null: none);
    // they must outlive the manager's use. Simulator's thread.
    void FollowAircraftProfiles(const CAircraftProfiles* profiles) { aircraftProfiles = profiles; }
    // The link filed under key (a screen's serial number or a stick's physical device object
    // name), or null, also when the link lock is busy. The link stays alive while the caller
    // holds it, even if its device is removed meanwhile.
    std::shared_ptr<CGlasslink> GetGlasslink(const std::wstring& key) override;
    // As GetGlasslink, waiting for the link lock (held only briefly: by a frame, or to file or
    // drop a link).
    std::shared_ptr<CGlasslink> WaitForGlasslink(const std::wstring& key) override;

    // Enumeration callback: creates the device of one present interface (only the one matching
    // filterPath, ignoring case, when a filter is given). True to go on enumerating.
    static bool CreateDeviceEnumProc(const PLATFORM::Guid& interfaceClass,
                                     const std::wstring& devicePath,
                                     const std::wstring& physicalName, void* context,
                                     const wchar_t* filterPath);
    uint32_t CreatePanelDevice(const std::wstring& devicePath, const std::wstring& physicalName);
    uint32_t CreateGlasslinkHotasDevice(const std::wstring& devicePath,
                                        const std::wstring& physicalName);
    uint32_t CreateGlasslinkScreenDevice(const std::wstring& devicePath);
    void RemovePanelDevice(const std::wstring& devicePath);
    void RemoveGlasslinkDevice(const std::wstring& devicePath);

    // Counts of filed objects (take the locks; for tests and tools).
    size_t PanelCount();
    size_t LinkCount();

private:
    // Files a display link under its key (screen serial or stick physical device object name),
    // uninitialising the link it replaces.
    void FileLink(const std::wstring& key, std::shared_ptr<CGlasslink> link);
    void OnWindowMessage(uint32_t message) override;
    void OnWindowCreated(const void* window) override;
    void OnMessageLoop(const void* window) override;
    void OnDeviceChange(uint32_t event, const PLATFORM::Guid* interfaceClass,
                        const wchar_t* name) override;

    PLATFORM::DeviceNotification* RegisterDeviceInterfaceNotification(
        const PLATFORM::Guid& interfaceClass);
    void UnregisterNotifications();
    void StopWatch();

    const void* window = nullptr;
    // The watch thread's start handshake.
    std::mutex startMutex;
    std::condition_variable startEvent;
    bool windowCreated = false;
    PLATFORM::DeviceWatch* messageThread = nullptr;
    PLATFORM::DeviceNotification* hidNotification = nullptr;
    PLATFORM::DeviceNotification* hotasNotification = nullptr;
    PLATFORM::DeviceNotification* screenNotification = nullptr;
    // Re-entrant for their owner: GetGlasslink may run inside NotifyPanels on the same thread.
    std::recursive_mutex panelLock;
    std::recursive_mutex linkLock;
    std::map<std::wstring, std::unique_ptr<CPanel>> panels;
    std::map<std::wstring, std::shared_ptr<CGlasslink>> links;
    const CAircraftProfiles* aircraftProfiles = nullptr;
};

}  // namespace XPL
