#include "devices/skydeck.h"

#include <utility>
#include <vector>

#include "glasslink/glasslink.h"
#include "glasslink/glasslink_hotas.h"
#include "glasslink/glasslink_screen.h"
#include "panels/panel.h"
#include "platform/clock.h"
#include "platform/device_file.h"
#include "sim/aircraft_profiles.h"
#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kSkydeck;
constexpr uint32_t kStartTimeoutMs = 5000;
constexpr uint32_t kStopTimeoutMs = 5000;

// Interface paths are ASCII; letter case carries no meaning in them.
bool EqualIgnoringCase(const std::wstring& a, const wchar_t* b) {
    return UTILITY::ConvertStringToLower(a) == UTILITY::ConvertStringToLower(b);
}

bool WindowCreated(void* context) {
    return *static_cast<bool*>(context);
}

}  // namespace

CSkydeck::CSkydeck() = default;

CSkydeck::~CSkydeck() {
    // A start that failed half-way leaves the watch to the module's unload.
    UnregisterNotifications();
    StopWatch();
}

uint32_t CSkydeck::Initialize() {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::Initialize");
    {
        std::lock_guard lock(startMutex);
        windowCreated = false;
    }
    uint32_t error = 0;
    StopWatch();
    messageThread = PLATFORM::StartDeviceWatch(this, error);
    if (messageThread == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in calling creating the message thread due to %d", error);
        return error;
    }
    {
        std::unique_lock lock(startMutex);
        if (!PLATFORM::TimedWait(lock, startEvent, kStartTimeoutMs, &WindowCreated,
                                 &windowCreated)) {
            TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                       L"Failed in waiting for the event signalled by the message window thread");
            return kStatusWatchDidNotStart;
        }
    }
    UnregisterNotifications();
    UTILITY::EnumDeviceInterface(PLATFORM::kHidInterfaceClass, &CreateDeviceEnumProc, this,
                                 nullptr);
    hidNotification = RegisterDeviceInterfaceNotification(PLATFORM::kHidInterfaceClass);
    UTILITY::EnumDeviceInterface(kStickDisplayInterfaceClass, &CreateDeviceEnumProc, this, nullptr);
    hotasNotification = RegisterDeviceInterfaceNotification(kStickDisplayInterfaceClass);
    UTILITY::EnumDeviceInterface(kScreenDisplayInterfaceClass, &CreateDeviceEnumProc, this,
                                 nullptr);
    screenNotification = RegisterDeviceInterfaceNotification(kScreenDisplayInterfaceClass);
    return 0;
}

void CSkydeck::Uninitialize() {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::Uninitialize");
    UnregisterNotifications();
    StopWatch();

    std::map<std::wstring, std::unique_ptr<CPanel>> oldPanels;
    {
        std::lock_guard lock(panelLock);
        oldPanels.swap(panels);
    }
    for (auto& [path, panel] : oldPanels) {
        panel->Uninitialize();
        panel.reset();
    }
    std::map<std::wstring, std::shared_ptr<CGlasslink>> oldLinks;
    {
        std::lock_guard lock(linkLock);
        oldLinks.swap(links);
    }
    for (auto& [key, link] : oldLinks) {
        link->Uninitialize();
    }
}

void CSkydeck::NotifyPanels() {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::NotifyPanels");
    std::unique_lock panelsHeld(panelLock, std::try_to_lock);
    if (!panelsHeld.owns_lock()) {
        return;
    }
    std::unique_lock linksHeld(linkLock, std::try_to_lock);
    if (!linksHeld.owns_lock()) {
        return;
    }
    for (auto& [path, panel] : panels) {
        if (aircraftProfiles != nullptr &&
            panel->AircraftProfileGeneration() != aircraftProfiles->Generation()) {
            panel->HandAircraftProfile(*aircraftProfiles);
        }
        panel->Notify();
    }
}

std::shared_ptr<CGlasslink> CSkydeck::GetGlasslink(const std::wstring& key) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::GetGlasslink");
    std::unique_lock held(linkLock, std::try_to_lock);
    if (!held.owns_lock()) {
        return nullptr;
    }
    const auto found = links.find(key);
    return found == links.end() ? nullptr : found->second;
}

std::shared_ptr<CGlasslink> CSkydeck::WaitForGlasslink(const std::wstring& key) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::WaitForGlasslink");
    std::lock_guard held(linkLock);
    const auto found = links.find(key);
    return found == links.end() ? nullptr : found->second;
}

size_t CSkydeck::PanelCount() {
    std::lock_guard lock(panelLock);
    return panels.size();
}

size_t CSkydeck::LinkCount() {
    std::lock_guard lock(linkLock);
    return links.size();
}

void CSkydeck::StopWatch() {
    if (messageThread == nullptr) {
        return;
    }
    if (!PLATFORM::StopDeviceWatch(messageThread, kStopTimeoutMs)) {
        TraceWrite(kTraceNotice, kKeyword, kTraceMessage,
                   L"Calling WaitForSingleObject against the message thread returns with time "
                   L"out, terminate the thread instead");
    }
    messageThread = nullptr;
    window = nullptr;
}

PLATFORM::DeviceNotification* CSkydeck::RegisterDeviceInterfaceNotification(
    const PLATFORM::Guid& interfaceClass) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::RegisterDeviceInterfaceNotification");
    uint32_t error = 0;
    PLATFORM::DeviceNotification* notification =
        PLATFORM::RegisterDeviceNotification(messageThread, interfaceClass, error);
    if (notification == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in registering HID notification due to 0x%x", error);
    }
    return notification;
}

void CSkydeck::UnregisterNotifications() {
    for (PLATFORM::DeviceNotification** notification :
         {&hidNotification, &hotasNotification, &screenNotification}) {
        PLATFORM::UnregisterDeviceNotification(*notification);
        *notification = nullptr;
    }
}

// The watch thread's window procedure, message by message.
void CSkydeck::OnWindowMessage(uint32_t message) {
    TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"The message is 0x%x", message);
}

void CSkydeck::OnWindowCreated(const void* createdWindow) {
    std::lock_guard lock(startMutex);
    window = createdWindow;
    windowCreated = true;
    startEvent.notify_all();
}

void CSkydeck::OnMessageLoop(const void* loopWindow) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::MsgThreadRoutine");
    TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"The message window handle is 0x%p",
               loopWindow);
}

void CSkydeck::OnDeviceChange(uint32_t event, const PLATFORM::Guid* interfaceClass,
                              const wchar_t* name) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::MsgWndProc");
    if (interfaceClass == nullptr || name == nullptr) {
        return;
    }
    if (event == PLATFORM::kDeviceArrival) {
        TraceWrite(kTraceNotice, kKeyword, kTraceMessage, L"Arrive - %s", name);
        const std::wstring filter = UTILITY::ConvertStringToLower(name);
        UTILITY::EnumDeviceInterface(*interfaceClass, &CreateDeviceEnumProc, this, filter.c_str());
        return;
    }
    if (event != PLATFORM::kDeviceQueryRemove && event != PLATFORM::kDeviceRemovePending &&
        event != PLATFORM::kDeviceRemoveComplete) {
        return;
    }
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage, L"Remove[0x%x] - %s", event, name);
    const std::wstring path = UTILITY::ConvertStringToLower(name);
    if (*interfaceClass == PLATFORM::kHidInterfaceClass) {
        RemovePanelDevice(path);
    } else if (*interfaceClass == kStickDisplayInterfaceClass ||
               *interfaceClass == kScreenDisplayInterfaceClass) {
        RemoveGlasslinkDevice(path);
    }
}

bool CSkydeck::CreateDeviceEnumProc(const PLATFORM::Guid& interfaceClass,
                                    const std::wstring& devicePath,
                                    const std::wstring& physicalName, void* context,
                                    const wchar_t* filterPath) {
    auto* skydeck = static_cast<CSkydeck*>(context);
    const bool isHid = interfaceClass == PLATFORM::kHidInterfaceClass;
    const bool isStick = !isHid && interfaceClass == kStickDisplayInterfaceClass;
    const bool isScreen = !isHid && !isStick && interfaceClass == kScreenDisplayInterfaceClass;
    if (!isHid && !isStick && !isScreen) {
        return true;
    }
    if (filterPath != nullptr && !EqualIgnoringCase(devicePath, filterPath)) {
        return true;
    }
    if (isHid) {
        skydeck->CreatePanelDevice(devicePath, physicalName);
    } else if (isStick) {
        skydeck->CreateGlasslinkHotasDevice(devicePath, physicalName);
    } else {
        skydeck->CreateGlasslinkScreenDevice(devicePath);
    }
    return filterPath == nullptr;
}

uint32_t CSkydeck::CreatePanelDevice(const std::wstring& devicePath,
                                     const std::wstring& physicalName) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::CreatePanelDevice");
    uint32_t error = 0;
    PLATFORM::DeviceFile* file = PLATFORM::OpenDevice(devicePath, false, error);
    if (file == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in creating the non overlapped device %s due to %d", devicePath, error);
        return error;
    }
    // The identification handle is closed on every path.
    std::unique_ptr<PLATFORM::DeviceFile, void (*)(PLATFORM::DeviceFile*)> identification(
        file, &PLATFORM::CloseDevice);

    PLATFORM::HidAttributes attributes;
    if (!PLATFORM::HidGetAttributes(file, attributes)) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in retrieving the attribution of the device");
        return kStatusNoAttributes;
    }
    if (attributes.vendorId != kSkydeckVendorId) {
        TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"It's not Brisko product: %s",
                   devicePath);
        return kStatusUnsupportedDevice;
    }
    const PanelMaker maker = FindPanelMaker(attributes.productId);
    if (maker == nullptr) {
        TraceWrite(
            kTraceDetail, kKeyword, kTraceMessage,
            L"It is the Brisko product but not the supported panel device of the Skydeck: %s",
            devicePath);
        return kStatusUnsupportedDevice;
    }
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage, FindAttachMessage(attributes.productId),
               devicePath);
    std::unique_ptr<CPanel> panel = maker(devicePath, physicalName, *this);
    if (!panel->Initialize()) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in initializing the panel object");
        return kStatusInitializeFailed;
    }
    // A panel filed under the same path before is replaced; it is finished outside the lock, so
    // that the frames of the others go on meanwhile (no frame reaches it any more).
    std::unique_ptr<CPanel> replaced;
    {
        std::lock_guard lock(panelLock);
        replaced = std::exchange(panels[devicePath], std::move(panel));
    }
    if (replaced) {
        replaced->Uninitialize();
    }
    return 0;
}

void CSkydeck::FileLink(const std::wstring& key, std::shared_ptr<CGlasslink> link) {
    // The replaced link is released outside the lock; a panel still holding it keeps it alive.
    std::shared_ptr<CGlasslink> replaced;
    {
        std::lock_guard lock(linkLock);
        replaced = std::exchange(links[key], std::move(link));
        if (replaced) {
            replaced->Uninitialize();
        }
    }
}

uint32_t CSkydeck::CreateGlasslinkHotasDevice(const std::wstring& devicePath,
                                              const std::wstring& physicalName) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::CreateGlasslinkHotasDevice");
    auto link = std::make_shared<CGlasslinkHotas>(devicePath);
    if (!link->Initialize()) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in initializing the Glasslink Hotas object");
        return kStatusInitializeFailed;
    }
    FileLink(physicalName, std::move(link));
    return 0;
}

uint32_t CSkydeck::CreateGlasslinkScreenDevice(const std::wstring& devicePath) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::CreateGlasslinkScreenDevice");
    auto link = std::make_shared<CGlasslinkScreen>(devicePath);
    if (!link->Initialize()) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in initializing the Glasslink Screen object");
        return kStatusInitializeFailed;
    }
    const std::wstring serial = link->GetSerialNumber();
    FileLink(serial, std::move(link));
    return 0;
}

void CSkydeck::RemovePanelDevice(const std::wstring& devicePath) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::RemovePanelDevice");
    std::unique_ptr<CPanel> removed;
    {
        std::lock_guard lock(panelLock);
        const auto found = panels.find(devicePath);
        if (found != panels.end()) {
            removed = std::move(found->second);
            panels.erase(found);
        }
    }
    // Out of the map no frame reaches it: it is finished outside the lock, where a screen panel
    // may wait for its exchange under way without holding up the other panels' frames.
    if (removed) {
        removed->Uninitialize();
    }
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage, L"The panel: %s has been removed",
               devicePath);
}

void CSkydeck::RemoveGlasslinkDevice(const std::wstring& devicePath) {
    CTraceScope scope(kKeyword, "XPL::CSkydeck::RemoveGlasslinkDevice");
    std::shared_ptr<CGlasslink> removed;
    std::lock_guard lock(linkLock);
    for (auto entry = links.begin(); entry != links.end(); ++entry) {
        if (entry->second->GetDevicePath() == devicePath) {
            entry->second->Uninitialize();
            removed = std::move(entry->second);
            links.erase(entry);
            break;
        }
    }
}

}  // namespace XPL
