#include "shell/module.h"

#include "trace/simulator_log.h"
#include "trace/trace.h"

namespace XPL {

void ModuleProcessAttach() {
    CSimulatorLog::Get().Reset();
    TraceRegister();
    TraceWrite(kTraceDetail, TRACEKW::kShell, kTraceMessage, L"DLL_PROCESS_ATTACH");
}

void ModuleThreadAttach() {
    TraceWrite(kTraceDetail, TRACEKW::kShell, kTraceMessage, L"DLL_THREAD_ATTACH");
}

void ModuleThreadDetach() {
    TraceWrite(kTraceDetail, TRACEKW::kShell, kTraceMessage, L"DLL_THREAD_DETACH");
}

void ModuleProcessDetach() {
    TraceWrite(kTraceDetail, TRACEKW::kShell, kTraceMessage, L"DLL_PROCESS_DETACH");
    TraceUnregister();
    CSimulatorLog::Get().Reset();
}

}  // namespace XPL
