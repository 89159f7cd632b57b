// The Win32 form of an open device file, shared by the device file and HID backends.
#pragma once

#include <windows.h>

namespace XPL::PLATFORM {

struct DeviceFile {
    HANDLE handle;  // from CreateFileW; closed by CloseDevice
};

}  // namespace XPL::PLATFORM
