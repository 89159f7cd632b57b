// Base of every HID device object: opens the device by its interface path, collects input reports
// without ever blocking the simulator, turns the Button page into per-button changes for the
// derived class, lets it rebuild its output once per frame, and sends feature reports.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/device_file.h"
#include "platform/hid.h"

namespace XPL {

struct SimRegistry;
struct AircraftSettings;
class CAircraftProfiles;

class CPanel {
public:
    // devicePath: the interface path in lower case, the panel's identity.
    explicit CPanel(const std::wstring& devicePath);
    // Ends an outstanding read, then closes the read and device files.
    virtual ~CPanel();
    CPanel(const CPanel&) = delete;
    CPanel& operator=(const CPanel&) = delete;

    // Opens the device twice (plain and overlapped), reads its capabilities and calls
    // OnInitialize. False, with a level-1 message, on the first step that fails; what was opened
    // stays until destruction.
    bool Initialize();
    // OnUninitialize, then releases the preparsed data and the read request. The files stay
    // open until destruction.
    void Uninitialize();
    // The frame: at most one input report is parsed, then OnNotify runs.
    void Notify();
    // True when a complete input report lies in inputReport. Never waits.
    bool PeekReport();
    // Turns inputReport into OnButton calls for the registered buttons that changed, in
    // ascending usage order; the new state is stored before each call.
    void ParseReport();
    // Sends one feature report; a failure is traced and otherwise ignored.
    void SendReport(const uint8_t* report, uint32_t length);
    // The device's serial number, or "" (traced) when it cannot be read.
    std::wstring GetSerialNumberString();

    const std::wstring& GetDevicePath() const { return devicePath; }

    // The aircraft profile changed, or the panel is new: OnAircraftProfile takes what concerns
    // the panel. The device manager calls it on the simulator's thread before a frame whenever
    // profiles' generation differs from the one the panel last took.
    void HandAircraftProfile(const CAircraftProfiles& profiles);
    uint32_t AircraftProfileGeneration() const { return profileGeneration; }

protected:
    virtual void OnInitialize() {}
    virtual void OnUninitialize() {}
    virtual void OnNotify() {}
    virtual void OnButton(uint16_t usage, uint32_t state) {
        (void)usage;
        (void)state;
    }
    // Not a frame that must be steady: it may allocate, but never wait for a file or device.
    virtual void OnAircraftProfile(const CAircraftProfiles& profiles) { (void)profiles; }

    // Registers a button: OnButton hears of it from the next report on; it starts off.
    void RegisterButton(uint16_t usage) { buttonMap[usage] = 0; }

    PLATFORM::DeviceFile* deviceHandle = nullptr;
    PLATFORM::DeviceFile* readHandle = nullptr;
    uint16_t inputReportLength = 0;
    uint16_t featureReportLength = 0;
    PLATFORM::HidPreparsedData* preparsedData = nullptr;
    std::vector<uint16_t> usageList;
    std::map<uint16_t, uint32_t> buttonMap;  // usage -> last known state (0 off, 1 on)
    PLATFORM::IoRequest* readOverlapped = nullptr;
    bool readPending = false;
    std::vector<uint8_t> inputReport;
    std::wstring devicePath;
    SimRegistry* registry;
    AircraftSettings* aircraftSettings;
    uint32_t profileGeneration = 0;

private:
    // Cancels and reaps a read still in flight, so its buffer and request can be released.
    void EndPendingRead();
};

}  // namespace XPL
