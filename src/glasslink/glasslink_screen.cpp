#include "glasslink/glasslink_screen.h"

#include <cstdint>

#include "trace/trace.h"

namespace XPL {

namespace {
constexpr int kKeyword = TRACEKW::kGlasslink;
constexpr uint32_t kSerialNumberControl = 0x220004;
constexpr uint32_t kSerialNumberUnits = 64;
}  // namespace

CGlasslinkScreen::CGlasslinkScreen(const std::wstring& path) : CGlasslink(path) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::CGlasslinkScreen");
}

CGlasslinkScreen::~CGlasslinkScreen() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::~CGlasslinkScreen");
    PLATFORM::CloseDevice(deviceHandle);
}

bool CGlasslinkScreen::Initialize() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::Initialize");
    if (!OpenOverlappedDevice(deviceHandle)) {
        return false;
    }
    InitSerialNumber();
    return true;
}

void CGlasslinkScreen::Uninitialize() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::Uninitialize");
}

void CGlasslinkScreen::InitSerialNumber() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::InitSerialNumber");
    uint32_t error = 0;
    PLATFORM::DeviceFile* file = PLATFORM::OpenDevice(devicePath, false, error);
    if (file == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in creating the non overlapped device %s due to %d", devicePath, error);
        return;
    }
    // The driver answers with UTF-16 text; little-endian byte pairs on every platform.
    uint8_t reply[kSerialNumberUnits * 2] = {};
    uint32_t bytes = 0;
    if (!PLATFORM::DeviceControl(file, kSerialNumberControl, nullptr, 0, reply, sizeof(reply),
                                 bytes, error)) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in getting the serial number from the device %s due to %d", devicePath,
                   error);
    } else {
        serialNumber.clear();
        for (uint32_t i = 0; i < kSerialNumberUnits; ++i) {
            const wchar_t unit = static_cast<wchar_t>(reply[2 * i] | (reply[2 * i + 1] << 8));
            if (unit == 0) {
                break;
            }
            serialNumber.push_back(unit);
        }
    }
    PLATFORM::CloseDevice(file);
}

}  // namespace XPL
