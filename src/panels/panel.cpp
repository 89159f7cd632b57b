#include "panels/panel.h"

#include <algorithm>

#include "sim/aircraft_profiles.h"
#include "sim/aircraft_settings.h"
#include "sim/sim_registry.h"
#include "trace/trace.h"

namespace XPL {

namespace {
constexpr int kKeyword = TRACEKW::kPanel;
}

CPanel::CPanel(const std::wstring& path)
    : devicePath(path), registry(&GetSimRegistry()), aircraftSettings(&GetAircraftSettings()) {
    CTraceScope scope(kKeyword, "XPL::CPanel::CPanel");
}

CPanel::~CPanel() {
    CTraceScope scope(kKeyword, "XPL::CPanel::~CPanel");
    EndPendingRead();
    PLATFORM::DestroyIoRequest(readOverlapped);
    PLATFORM::HidFreePreparsedData(preparsedData);
    PLATFORM::CloseDevice(readHandle);
    PLATFORM::CloseDevice(deviceHandle);
}

void CPanel::HandAircraftProfile(const CAircraftProfiles& profiles) {
    CTraceScope scope(kKeyword, "XPL::CPanel::HandAircraftProfile");
    profileGeneration = profiles.Generation();
    OnAircraftProfile(profiles);
}

bool CPanel::Initialize() {
    CTraceScope scope(kKeyword, "XPL::CPanel::Initialize");
    profileGeneration = 0;  // what the profile gave is read again with the rest
    uint32_t error = 0;
    PLATFORM::CloseDevice(deviceHandle);
    deviceHandle = PLATFORM::OpenDevice(devicePath, false, error);
    if (deviceHandle == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in creating the non overlapped device %s due to %d", devicePath, error);
        return false;
    }
    EndPendingRead();
    PLATFORM::CloseDevice(readHandle);
    readHandle = PLATFORM::OpenDevice(devicePath, true, error);
    if (readHandle == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in creating the overlapped device %s due to %d", devicePath, error);
        return false;
    }
    PLATFORM::HidFreePreparsedData(preparsedData);
    preparsedData = PLATFORM::HidGetPreparsedData(deviceHandle, error);
    if (preparsedData == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in retrieving HID report descriptor due to: %d", error);
        return false;
    }
    usageList.assign(PLATFORM::HidMaxButtonUsages(preparsedData), 0);

    PLATFORM::HidCaps caps;
    const uint32_t status = PLATFORM::HidGetCaps(preparsedData, caps);
    if (status != PLATFORM::kHidpStatusSuccess) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in calling HidP_GetCaps due to 0x%x", status);
        return false;
    }
    inputReportLength = caps.inputReportLength;
    featureReportLength = caps.featureReportLength;
    if (inputReportLength != 0) {
        inputReport.assign(inputReportLength, 0);
    }

    PLATFORM::DestroyIoRequest(readOverlapped);
    readOverlapped = PLATFORM::CreateIoRequest(true, error);
    if (readOverlapped == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in creating the event for overlapped reading due to %d", error);
        return false;
    }
    OnInitialize();
    return true;
}

void CPanel::Uninitialize() {
    CTraceScope scope(kKeyword, "XPL::CPanel::Uninitialize");
    OnUninitialize();
    EndPendingRead();
    PLATFORM::HidFreePreparsedData(preparsedData);
    preparsedData = nullptr;
    PLATFORM::DestroyIoRequest(readOverlapped);
    readOverlapped = nullptr;
}

void CPanel::Notify() {
    CTraceScope scope(kKeyword, "XPL::CPanel::Notify");
    if (PeekReport()) {
        ParseReport();
    }
    OnNotify();
}

bool CPanel::PeekReport() {
    CTraceScope scope(kKeyword, "XPL::CPanel::PeekReport");
    if (inputReportLength == 0 || readOverlapped == nullptr) {
        return false;
    }
    uint32_t error = 0;
    if (!readPending) {
        readPending = true;
        const PLATFORM::IoStart start = PLATFORM::StartRead(
            readHandle, readOverlapped, inputReport.data(), inputReportLength, error);
        if (start == PLATFORM::IoStart::Failed) {
            TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                       L"Failed in reading the data from the panel due to %d", error);
            PLATFORM::CancelIo(readHandle);
            readPending = false;
            return false;
        }
    }
    uint32_t bytes = 0;
    if (PLATFORM::GetIoResult(readHandle, readOverlapped, false, bytes, error)) {
        readPending = false;
        return true;
    }
    if (error == PLATFORM::kErrorIoIncomplete) {
        return false;
    }
    TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
               L"Failed in calling GetOverlappedResult due to %d", error);
    PLATFORM::CancelIo(readHandle);
    readPending = false;
    return false;
}

void CPanel::ParseReport() {
    CTraceScope scope(kKeyword, "XPL::CPanel::ParseReport");
    TraceHexDump(inputReport.data(), static_cast<uint32_t>(inputReport.size()));
    uint32_t count = static_cast<uint32_t>(usageList.size());
    const uint32_t status = PLATFORM::HidGetButtonUsages(preparsedData, inputReport.data(),
                                                         static_cast<uint32_t>(inputReport.size()),
                                                         usageList.data(), count);
    if (status != PLATFORM::kHidpStatusSuccess) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in getting the buttons on list due to 0x%x", status);
        return;
    }
    // The usages that are on, sorted in place so each registered button is a binary search
    // away (no allocation on the frame).
    count = std::min<uint32_t>(count, static_cast<uint32_t>(usageList.size()));
    const auto onBegin = usageList.begin();
    const auto onEnd = usageList.begin() + count;
    std::sort(onBegin, onEnd);
    for (auto& [usage, state] : buttonMap) {
        const bool on = std::binary_search(onBegin, onEnd, usage);
        if (on && state == 0) {
            state = 1;
            TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"The button [0x%x] is On", usage);
            OnButton(usage, 1);
        } else if (!on && state == 1) {
            state = 0;
            TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"The button [0x%x] is Off", usage);
            OnButton(usage, 0);
        }
    }
}

void CPanel::SendReport(const uint8_t* report, uint32_t length) {
    CTraceScope scope(kKeyword, "XPL::CPanel::SendReport");
    uint32_t error = 0;
    if (!PLATFORM::HidSetFeature(deviceHandle, report, length, error)) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in sending the SET_FEATURE due to %d", error);
    }
}

std::wstring CPanel::GetSerialNumberString() {
    CTraceScope scope(kKeyword, "XPL::CPanel::GetSerialNumberString");
    std::wstring serial;
    uint32_t error = 0;
    if (!PLATFORM::HidGetSerialNumber(deviceHandle, serial, error)) {
        TraceWrite(
            kTraceFailure, kKeyword, kTraceMessage,
            L"Failed in retrieving HID serial number string due to: %d but ignore this error",
            error);
        return std::wstring();
    }
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage,
               L"The serial number string associated with the panel %s is %s", devicePath, serial);
    return serial;
}

void CPanel::EndPendingRead() {
    if (!readPending || readHandle == nullptr || readOverlapped == nullptr) {
        readPending = false;
        return;
    }
    // The read may have been started on another thread (the simulator's, while removal runs on
    // the watch thread): cancel this very request, not only the calling thread's.
    PLATFORM::CancelIoRequest(readHandle, readOverlapped);
    uint32_t bytes = 0;
    uint32_t error = 0;
    PLATFORM::GetIoResult(readHandle, readOverlapped, true, bytes, error);
    readPending = false;
}

}  // namespace XPL
