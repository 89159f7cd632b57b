#include "devices/skydeck.h"

#include "shell/trace.h"

namespace XPL {

uint32_t CSkydeck::Initialize() {
    CTraceScope scope(TRACEKW::kSkydeck, "XPL::CSkydeck::Initialize");
    return 0;
}

void CSkydeck::Uninitialize() {
    CTraceScope scope(TRACEKW::kSkydeck, "XPL::CSkydeck::Uninitialize");
}

void CSkydeck::NotifyPanels() {
    CTraceScope scope(TRACEKW::kSkydeck, "XPL::CSkydeck::NotifyPanels");
}

}  // namespace XPL
