// The hotas's display link: the display-driver device of the stick's text display, filed by the
// device manager under its physical device object name (the same name as the stick's HID
// interface).
//
// Each line and the shift indicator go out as one overlapped device control request that is never
// waited for: requests still in flight are kept and reaped later, and cancelled and waited for
// when the link is uninitialised. A line is sent only when it differs from what was last sent
// successfully for it, so a page redisplayed every frame costs the building and comparing of its
// buffers and nothing else. One thread at a time uses a link; it has no lock of its own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "glasslink/glasslink.h"
#include "platform/device_file.h"

namespace XPL {

class CGlasslinkHotas : public CGlasslink {
public:
    static constexpr uint32_t kSetLineControl = 0x223004;
    static constexpr uint32_t kSetShiftControl = 0x223084;
    static constexpr int kLineCount = 3;

    explicit CGlasslinkHotas(const std::wstring& devicePath);
    // Cancels and waits for what is still in flight, then closes the device.
    ~CGlasslinkHotas() override;

    // Opens the device for overlapped I/O and sets the shift indicator; false when it cannot be
    // opened.
    bool Initialize() override;
    // Cancels and waits for every request still in flight; the device stays open.
    void Uninitialize() override;

    // Shows text (8-bit characters, sent as they are) on line 0, 1 or 2 when it differs from what
    // the line was last sent; a refused request leaves that, so the next call tries again. Other
    // line numbers are not sent.
    void SetString(std::string_view text, uint8_t line);
    void SetShiftIndicator();

    // The request buffer of a line: the line's clear record, then two characters a record, the
    // later one first. Fills records (reusing its storage).
    static void BuildLine(std::string_view text, uint8_t line, std::vector<uint8_t>& records);

private:
    // Starts one request; true when it completed at once or is in flight (taken as sent).
    bool IoSet(uint32_t code, const void* buffer, uint32_t length);
    void CleanupCompletedIo();
    void CleanupIncompleteIo();

    PLATFORM::DeviceFile* deviceHandle = nullptr;
    std::array<std::vector<uint8_t>, kLineCount> lastSent;
    std::vector<uint8_t> building;                // a line's buffer before it is compared and sent
    std::vector<PLATFORM::IoRequest*> pendingIo;  // in flight, oldest first
};

}  // namespace XPL
