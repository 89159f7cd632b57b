// The plug-in's face to the simulator: the five exported entry points and the per-frame
// flight-loop callback. The simulator calls all of them on its main thread, one at a time.
#pragma once

#include "devices/skydeck.h"
#include "xplm/xplm.h"

extern "C" {
// Fills the identity strings (buffers of at least 255 characters), starts the device manager
// and registers the flight loop; 1 on success, 0 when the device manager could not start.
int XPluginStart(char* outName, char* outSignature, char* outDescription);
void XPluginStop();
int XPluginEnable();
void XPluginDisable();
void XPluginReceiveMessage(XPLMPluginID inFrom, int inMessage, void* inParam);
}

namespace XPL {

inline constexpr char kPluginName[] = "XVarlenSkydeck.1.2.6.0";
inline constexpr char kPluginDescription[] = "X-Plane 10 Plugin For Varlen Skydeck V1.2.6.0";

// The module-wide device manager, constructed when the module is loaded.
CSkydeck& GetSkydeck();

// True between XPluginEnable and XPluginDisable.
bool IsPluginEnabled();

// Copies text into a simulator buffer treated as 255 characters: at most 254 characters and a
// terminating NUL.
void CopyIdentityText(char* destination, const char* text);

namespace UTILITY {
// Signals the display service's pause event (pause) or resume event (!pause) when the service
// runs; a missing service is not an error.
void PauseResumeGlasslinkService(bool pause);
}  // namespace UTILITY

}  // namespace XPL
