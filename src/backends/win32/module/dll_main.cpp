// The module entry point of win.xpl: hands the OS's load, thread and unload notices to the shell.
#include <windows.h>

#include "shell/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            XPL::ModuleProcessAttach();
            break;
        case DLL_THREAD_ATTACH:
            XPL::ModuleThreadAttach();
            break;
        case DLL_THREAD_DETACH:
            XPL::ModuleThreadDetach();
            break;
        case DLL_PROCESS_DETACH:
            XPL::ModuleProcessDetach();
            break;
        default:
            break;
    }
    return TRUE;
}
