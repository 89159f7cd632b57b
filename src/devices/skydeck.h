// The device manager: one module-wide object that finds the attached devices at start, follows
// hot-plug on its own thread and hands every simulator frame to each HID device.
#pragma once

#include <cstdint>

namespace XPL {

class CSkydeck {
public:
    CSkydeck() = default;
    ~CSkydeck() = default;
    CSkydeck(const CSkydeck&) = delete;
    CSkydeck& operator=(const CSkydeck&) = delete;

    // Starts the device manager; 0 on success, otherwise an error code.
    uint32_t Initialize();
    // Stops hot-plug and destroys every device object.
    void Uninitialize();
    // Runs one frame on every HID device; never waits for a lock (skips the frame instead).
    void NotifyPanels();
};

}  // namespace XPL
