#include "shell/module.h"

#include "trace/trace.h"

namespace XPL {

void ModuleProcessAttach() {
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
}

}  // namespace XPL
