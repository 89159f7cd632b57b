// Clock seam over the OS's 32-bit millisecond tick count.
#include <windows.h>

#include "platform/clock.h"

namespace XPL::PLATFORM {

uint32_t GetTickCount() {
    return ::GetTickCount();
}

}  // namespace XPL::PLATFORM
