// The screen panel's display link: the display-driver device of one screen panel, filed by the
// device manager under the serial number the driver reports (the same text as the panel's HID
// serial number, which is how the two halves of one screen panel meet).
#pragma once

#include <string>

#include "glasslink/glasslink.h"
#include "platform/device_file.h"

namespace XPL {

class CGlasslinkScreen : public CGlasslink {
public:
    explicit CGlasslinkScreen(const std::wstring& devicePath);
    ~CGlasslinkScreen() override;

    // Opens the device for overlapped I/O and reads its serial number (a serial-number failure
    // leaves it empty and the link usable). False when the device cannot be opened.
    bool Initialize() override;
    void Uninitialize() override;

    std::wstring GetSerialNumber() const { return serialNumber; }

private:
    void InitSerialNumber();

    PLATFORM::DeviceFile* deviceHandle = nullptr;
    std::wstring serialNumber;
};

}  // namespace XPL
