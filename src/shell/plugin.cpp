#include "shell/plugin.h"

#include "glasslink/glasslink.h"
#include "platform/service_events.h"
#include "sim/aircraft_profiles.h"
#include "sim/aircraft_settings.h"
#include "sim/sim_registry.h"
#include "trace/simulator_log.h"
#include "trace/trace.h"

namespace XPL {

namespace {

CSkydeck g_skydeck;
bool g_enabled = false;

constexpr wchar_t kServicePauseEvent[] = L"Global\\{8D41F2A6-3E7B-4C19-A5D8-1F6B2C9E7034}";
constexpr wchar_t kServiceResumeEvent[] = L"Global\\{E6A09C53-7B1D-4A82-9F34-C25D8B1E6A07}";

// Declared first in an entry point, so it runs last: the failures written while the simulator
// waited, here or on another thread since, go to the simulator's log before control returns.
class CLogFlush {
public:
    CLogFlush() = default;
    ~CLogFlush() { CSimulatorLog::Get().Flush(); }
    CLogFlush(const CLogFlush&) = delete;
    CLogFlush& operator=(const CLogFlush&) = delete;
};

// The simulator calls this every flight loop; -1.0 asks for the next one too.
float XPlanePluginFlightLoopCB(float, float, int, void*) {
    const CLogFlush flush;
    CTraceScope scope(TRACEKW::kShell, "`anonymous-namespace'::XPlanePluginFlightLoopCB");
    if (g_enabled) {
        CAircraftProfiles::Get().Retry();
        g_skydeck.NotifyPanels();
    }
    return -1.0f;
}

}  // namespace

CSkydeck& GetSkydeck() {
    return g_skydeck;
}

bool IsPluginEnabled() {
    return g_enabled;
}

void CopyIdentityText(char* destination, const char* text) {
    constexpr size_t kMaxCharacters = 254;
    size_t i = 0;
    for (; i < kMaxCharacters && text[i] != '\0'; ++i) {
        destination[i] = text[i];
    }
    destination[i] = '\0';
}

namespace UTILITY {

void PauseResumeGlasslinkService(bool pause) {
    CTraceScope scope(TRACEKW::kUtility, "XPL::UTILITY::PauseResumeGlasslinkService");
    PLATFORM::SignalNamedEvent(pause ? kServicePauseEvent : kServiceResumeEvent);
}

}  // namespace UTILITY

}  // namespace XPL

using namespace XPL;

extern "C" int XPluginStart(char* outName, char* outSignature, char* outDescription) {
    const CLogFlush flush;
    CTraceScope scope(TRACEKW::kShell, "XPluginStart");
    UTILITY::PauseResumeGlasslinkService(true);
    CopyIdentityText(outName, kPluginName);
    CopyIdentityText(outSignature, kPluginName);
    CopyIdentityText(outDescription, kPluginDescription);
    ResolveSimRegistry();
    std::wstring dataFolder;
    CGlasslink::GetConfigureFilePath(dataFolder);
    CAircraftProfiles::Get().Start(dataFolder);
    g_skydeck.FollowAircraftProfiles(&CAircraftProfiles::Get());
    const uint32_t status = g_skydeck.Initialize();
    if (status != 0) {
        TraceWrite(kTraceFailure, TRACEKW::kShell, kTraceMessage,
                   L"Failed in initializing the object XPL::CSkydeck due to %d", status);
        return 0;
    }
    XPLMRegisterFlightLoopCallback(&XPlanePluginFlightLoopCB, -1.0f, nullptr);
    return 1;
}

extern "C" void XPluginStop() {
    const CLogFlush flush;
    CTraceScope scope(TRACEKW::kShell, "XPluginStop");
    XPLMUnregisterFlightLoopCallback(&XPlanePluginFlightLoopCB, nullptr);
    g_skydeck.Uninitialize();
    g_skydeck.FollowAircraftProfiles(nullptr);
    CAircraftProfiles::Get().Stop();
    UTILITY::PauseResumeGlasslinkService(false);
}

extern "C" int XPluginEnable() {
    const CLogFlush flush;
    CTraceScope scope(TRACEKW::kShell, "XPluginEnable");
    g_enabled = true;
    return 1;
}

extern "C" void XPluginDisable() {
    const CLogFlush flush;
    CTraceScope scope(TRACEKW::kShell, "XPluginDisable");
    g_enabled = false;
}

extern "C" void XPluginReceiveMessage(XPLMPluginID inFrom, int inMessage, void* inParam) {
    const CLogFlush flush;
    CTraceScope scope(TRACEKW::kShell, "XPluginReceiveMessage");
    TraceWrite(kTraceDetail, TRACEKW::kShell, kTraceMessage,
               L"PluginID: 0x%x, Message: %d, Param: 0x%p", inFrom, inMessage,
               static_cast<const void*>(inParam));
    if (inFrom == XPLM_PLUGIN_XPLANE && inMessage == XPLM_MSG_PLANE_LOADED && inParam == nullptr) {
        TraceWrite(kTraceNotice, TRACEKW::kShell, kTraceMessage, L"Load the user aircraft file");
        AircraftIdentity aircraft = XPLAcfLoadSettings();
        aircraft.icao = CAircraftProfiles::UserAircraftIcao();
        // The panels follow from their next frame on; none waits for the profile.
        std::wstring dataFolder;
        CGlasslink::GetConfigureFilePath(dataFolder);
        CAircraftProfiles::Get().Load(dataFolder, aircraft);
    }
}
