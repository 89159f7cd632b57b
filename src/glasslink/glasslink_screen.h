// The screen panel's display link: the display-driver device of one screen panel, filed by the
// device manager under the serial number the driver reports (the same text as the panel's HID
// serial number, which is how the two halves of one screen panel meet).
//
// Every request is an exchange: a 44-byte header, its payload if any, then a 44-byte reply and
// the further bytes the reply counts. Writes and reads each wait at most 500 ms on the clock seam;
// a transfer that does not finish in time is cancelled and waited for.
//
// Threads: pictures come from the screen panel's I/O thread, LEDs from the thread that runs the
// panel's frame or its removal. The link serialises its exchanges, so a LED set while a picture
// is on its way waits for the picture's reply; a LED that needs no change never waits.
//
// A picture exchange can be ended early from another thread through a CTransferStop (the panel
// that stops its I/O thread ends the picture on its way, which may be waiting for a device that
// does not answer, so that neither the thread nor the LEDs it turns off wait for it).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

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

    // The request header: eleven 32-bit fields, each big-endian.
    struct ScreenMessageHeader {
        uint8_t bytes[kHeaderBytes];
    };

    // Ends picture exchanges early on request of another thread. While it is raised, a transfer
    // made with it does not start, and raising it cancels the one waiting. Owned by the caller
    // of SetImage; it must outlive the exchanges made with it.
    class CTransferStop {
    public:
        CTransferStop() = default;
        CTransferStop(const CTransferStop&) = delete;
        CTransferStop& operator=(const CTransferStop&) = delete;

        // Raises the stop and cancels the transfer in flight, if any. Any thread.
        void Stop();
        // Lowers it again, for exchanges that are to run to their end.
        void Reset();
        bool Stopped();

    private:
        friend class CGlasslinkScreen;
        // Starts a transfer unless the stop is raised; a transfer that pends is recorded so
        // that Stop can cancel it. False (nothing started) when the stop is raised.
        bool Start(bool write, PLATFORM::DeviceFile* file, PLATFORM::IoRequest* request,
                   uint8_t* buffer, uint32_t length, PLATFORM::IoStart& start, uint32_t& error);
        // The transfer is over: Stop no longer touches its request.
        void Finish();

        std::mutex lock;
        bool stopped = false;
        PLATFORM::DeviceFile* file = nullptr;
        PLATFORM::IoRequest* inFlight = nullptr;
    };

    explicit CGlasslinkScreen(const std::wstring& devicePath);
    ~CGlasslinkScreen() override;

    // Opens the device for overlapped I/O and reads its serial number (a serial-number failure
    // leaves it empty and the link usable). False when the device cannot be opened.
    bool Initialize() override;
    void Uninitialize() override;

    // Sends a picture (kImageBytes for the renderer's bitmap): header, the pixels in one write,
    // then the reply. False when a write failed (nothing is read then), no reply came, or stop
    // was raised before the exchange ended.
    bool SetImage(const uint8_t* image, uint32_t length, CTransferStop* stop = nullptr);
    // Switches LED index (0 to 8; others are refused) when its last confirmed state differs.
    // The state is confirmed once the request was written, whatever the reply; a failed write
    // leaves it, so the next call tries again.
    void SetLed(int32_t index, bool on);

    std::wstring GetSerialNumber() const { return serialNumber; }

    // Zero-fills the header and sets its five fields.
    static void InitMsgHeader(ScreenMessageHeader& header, uint32_t payloadLength, uint32_t command,
                              uint32_t ledIndex, uint32_t ledValue);

private:
    void InitSerialNumber();
    // One overlapped transfer with its own request: true with the byte count when it completed
    // in time; otherwise traced, cancelled and waited for.
    bool IoWrite(const uint8_t* buffer, uint32_t length, uint32_t& written,
                 CTransferStop* stop = nullptr);
    bool IoRead(uint8_t* buffer, uint32_t length, uint32_t& read, CTransferStop* stop = nullptr);
    bool Transfer(bool write, uint8_t* buffer, uint32_t length, uint32_t& bytes,
                  CTransferStop* stop);
    // Reads the reply (up to 10 tries) and the bytes it counts; false when none came.
    bool GetResult(CTransferStop* stop = nullptr);
    void EatBytes(int32_t count, CTransferStop* stop);

    PLATFORM::DeviceFile* deviceHandle = nullptr;
    std::wstring serialNumber;
    std::mutex exchangeLock;  // held for one whole exchange
    // Bit n: LED n as last confirmed. Written under exchangeLock; read first without it, so a
    // LED that needs no change never waits for a picture on its way.
    std::atomic<uint16_t> ledState{0};
};

}  // namespace XPL
