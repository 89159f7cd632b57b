// The module's life as the OS reports it: load, thread start and end, unload. The Windows module
// entry point calls these; host programs call them around their use of the plug-in.
#pragma once

namespace XPL {

// Starts a run of the simulator's log (no message counted yet), registers the trace provider,
// then writes "DLL_PROCESS_ATTACH".
void ModuleProcessAttach();
void ModuleThreadAttach();
void ModuleThreadDetach();
// Writes "DLL_PROCESS_DETACH", then unregisters the trace provider and resets its state; lines
// still waiting for the simulator's log are dropped.
void ModuleProcessDetach();

}  // namespace XPL
