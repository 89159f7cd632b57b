// Service events seam: a named event is opened by name only, never created here.
#include <windows.h>

#include "platform/service_events.h"

namespace XPL::PLATFORM {

namespace {
constexpr DWORD kEventAllAccess = 0x1F0003;  // EVENT_ALL_ACCESS
}  // namespace

bool SignalNamedEvent(const wchar_t* name) {
    HANDLE event = ::OpenEventW(kEventAllAccess, FALSE, name);
    if (event == nullptr) {
        return false;
    }
    ::SetEvent(event);
    ::CloseHandle(event);
    return true;
}

}  // namespace XPL::PLATFORM
