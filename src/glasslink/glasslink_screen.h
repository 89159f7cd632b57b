// The screen panel's display link: the display-driver device of one screen panel, filed by the
// device manager under the serial number the driver reports (the same text as the panel's HID
// serial number, which is how the two halves of one screen panel meet).
//
// Every request is an exchange: a 44-byte header, its payload if any, then a 44-byte reply and
// the further bytes the reply counts. An exchange is never cut short from outside: once begun it
// runs to its end within its own time-outs, on the clock seam:
// - each write and read waits at most kTransferTimeoutMs; one that does not finish in time is
//   cancelled and waited for at most kCancelWaitMs more;
// - a reply is read up to kReplyReads times;
// - the whole exchange, its wait for another exchange on the device included, never lasts
//   beyond kExchangeLimitMs: the transfers' time-outs are cut to what is left (on its own, only a
//   reply counting very many further bytes reaches it).
// So an exchange lasts at most kExchangeWorstMs, however the device behaves. A cancelled transfer
// the driver does not end within kCancelWaitMs is left to the driver with its record and buffer
// (never freed while it may still be written), and the link refuses every exchange from then on:
// what the device has taken of the stream is no longer known.
//
// Exchanges are serialised per device, not per link object: two links of one device (a device
// that arrived twice), or two panels sharing one link, never interleave their exchanges; one
// that waited out its time for another is given up (false) without a transfer.
//
// The link keeps the state of each LED and the last picture the device accepted, so that neither
// is sent again unchanged.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "glasslink/glasslink.h"
#include "platform/device_file.h"

namespace XPL {

class CGlasslinkScreen : public CGlasslink {
public:
    static constexpr uint32_t kHeaderBytes = 44;
    static constexpr uint32_t kImageBytes = 320 * 240 * 3;  // bottom-up rows of BGR pixels
    static constexpr uint32_t kCommandImage = 6;
    static constexpr uint32_t kCommandLed = 24;
    static constexpr int32_t kLedCount = 9;  // LEDs 0 to 8
    static constexpr uint32_t kTransferTimeoutMs = 500;
    static constexpr int kReplyReads = 10;
    // Header, payload and ten reply reads fit within it.
    static constexpr uint32_t kExchangeLimitMs = (2 + kReplyReads) * kTransferTimeoutMs;
    static constexpr uint32_t kCancelWaitMs = 500;
    static constexpr uint32_t kExchangeWorstMs = kExchangeLimitMs + kCancelWaitMs;

    // The request header: eleven 32-bit fields, each big-endian.
    struct ScreenMessageHeader {
        uint8_t bytes[kHeaderBytes];
    };

    explicit CGlasslinkScreen(const std::wstring& devicePath);
    ~CGlasslinkScreen() override;

    // Opens the device for overlapped I/O and reads its serial number (a serial-number failure
    // leaves it empty and the link usable). False when the device cannot be opened.
    bool Initialize() override;
    // Refuses every exchange from now on (the device went, or another link took its place); one
    // under way runs to its end. Never waits.
    void Uninitialize() override;

    // Sends a picture (kImageBytes for the renderer's bitmap): header, the pixels in one write,
    // then the reply. True at once, sending nothing, when the device accepted this very picture
    // last. False when the exchange was refused or could not be made, a write failed (nothing is
    // read then), or no reply came.
    bool SetImage(const uint8_t* image, uint32_t length);
    // Switches LED index (0 to 8; others are refused) when its last confirmed state differs.
    // The state is confirmed once the request was written, whatever the reply. True when the LED
    // is now confirmed in that state; false when the exchange was refused or the write failed,
    // so the next call tries again.
    bool SetLed(int32_t index, bool on);
    // The LED's last confirmed state.
    bool LedOn(int32_t index) const;
    // False once an exchange failed (a write or its reply did not come), until one succeeds.
    bool Answering() const { return answering.load(); }
    // True once Uninitialize was called: the link is no longer the one filed for its device.
    bool Retired() const { return retired.load(); }

    std::wstring GetSerialNumber() const { return serialNumber; }

    // Zero-fills the header and sets its five fields.
    static void InitMsgHeader(ScreenMessageHeader& header, uint32_t payloadLength, uint32_t command,
                              uint32_t ledIndex, uint32_t ledValue);

private:
    class CExchange;
    struct DeviceGate;
    // Buffers of the reads, which a transfer left to the driver keeps.
    struct ReadBuffers {
        uint8_t reply[kHeaderBytes];
        uint8_t scratch[1024];
    };

    static std::shared_ptr<DeviceGate> GateOf(const std::wstring& devicePath);
    void InitSerialNumber();
    // One overlapped transfer with its own request, within the exchange's time: true with the
    // byte count when it completed in time; otherwise traced, cancelled and waited for.
    bool IoWrite(const uint8_t* buffer, uint32_t length, const CExchange& exchange);
    bool IoRead(uint8_t* buffer, uint32_t length, uint32_t& read, const CExchange& exchange);
    bool Transfer(bool write, uint8_t* buffer, uint32_t length, uint32_t& bytes,
                  const CExchange& exchange);
    // Reads the reply (up to kReplyReads tries) and the bytes it counts; false when none came.
    bool GetResult(const CExchange& exchange);
    void EatBytes(int32_t count, const CExchange& exchange);
    // Leaves a cancelled transfer the driver did not end to it, and gives the link up.
    void Abandon(PLATFORM::IoRequest* request);

    PLATFORM::DeviceFile* deviceHandle = nullptr;
    std::wstring serialNumber;
    std::shared_ptr<DeviceGate> gate;  // shared by every link of the device
    std::atomic<bool> retired{false};
    std::atomic<bool> answering{true};
    // Written inside an exchange only. Once a transfer was left to the driver (abandoned set),
    // no exchange is made any more.
    std::unique_ptr<ReadBuffers> buffers;
    PLATFORM::IoRequest* abandoned = nullptr;
    std::unique_ptr<ReadBuffers> abandonedBuffers;
    std::vector<uint8_t> lastPicture;  // the last picture the device accepted; empty: unknown
    // Bit n: LED n as last confirmed. Written inside an exchange; read first without it, so a
    // LED that needs no change never waits for a picture on its way.
    std::atomic<uint16_t> ledState{0};
};

}  // namespace XPL
