#include "glasslink/glasslink_hotas.h"

#include "trace/trace.h"

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
    if (!OpenOverlappedDevice(deviceHandle)) {
        return false;
    }
    return true;
}

void CGlasslinkHotas::Uninitialize() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::Uninitialize");
}

}  // namespace XPL
