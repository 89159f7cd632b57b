// The hotas's display link: the display-driver device of the stick's text display, filed by the
// device manager under its physical device object name (the same name as the stick's HID
// interface).
#pragma once

#include <string>

#include "glasslink/glasslink.h"
#include "platform/device_file.h"

namespace XPL {

class CGlasslinkHotas : public CGlasslink {
public:
    explicit CGlasslinkHotas(const std::wstring& devicePath);
    ~CGlasslinkHotas() override;

    // Opens the device for overlapped I/O; false when it cannot be opened.
    bool Initialize() override;
    void Uninitialize() override;

private:
    PLATFORM::DeviceFile* deviceHandle = nullptr;
};

}  // namespace XPL
