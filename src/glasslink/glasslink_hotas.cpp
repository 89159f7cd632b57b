#include "glasslink/glasslink_hotas.h"

#include "shell/trace.h"

namespace XPL {

namespace {
constexpr int kKeyword = TRACEKW::kGlasslink;
}

CGlasslinkHotas::CGlasslinkHotas(const std::wstring& path) : CGlasslink(path) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::CGlasslinkHotas");
}

CGlasslinkHotas::~CGlasslinkHotas() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::~CGlasslinkHotas");
    PLATFORM::CloseDevice(deviceHandle);
}

bool CGlasslinkHotas::Initialize() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::Initialize");
    PLATFORM::CloseDevice(deviceHandle);
    uint32_t error = 0;
    deviceHandle = PLATFORM::OpenDevice(devicePath, true, error);
    if (deviceHandle == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in creating the overlapped device %s due to %d", devicePath, error);
        return false;
    }
    return true;
}

void CGlasslinkHotas::Uninitialize() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::Uninitialize");
}

}  // namespace XPL
