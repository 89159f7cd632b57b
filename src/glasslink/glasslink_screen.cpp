#include "glasslink/glasslink_screen.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kGlasslink;
constexpr uint32_t kSerialNumberControl = 0x220004;
constexpr uint32_t kSerialNumberUnits = 64;
constexpr uint32_t kIoTimeoutMs = 500;
constexpr int kReplyReads = 10;
constexpr uint32_t kEatChunkBytes = 1024;

void PutBigEndian(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}

}  // namespace

CGlasslinkScreen::CGlasslinkScreen(const std::wstring& path) : CGlasslink(path) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::CGlasslinkScreen");
}

CGlasslinkScreen::~CGlasslinkScreen() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::~CGlasslinkScreen");
    PLATFORM::CloseDevice(deviceHandle);
}

bool CGlasslinkScreen::Initialize() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::Initialize");
    if (!OpenOverlappedDevice(deviceHandle)) {
        return false;
    }
    InitSerialNumber();
    return true;
}

void CGlasslinkScreen::Uninitialize() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::Uninitialize");
}

void CGlasslinkScreen::InitMsgHeader(ScreenMessageHeader& header, uint32_t payloadLength,
                                     uint32_t command, uint32_t ledIndex, uint32_t ledValue) {
    std::memset(header.bytes, 0, sizeof(header.bytes));
    PutBigEndian(header.bytes + 4, 1);  // marker
    PutBigEndian(header.bytes + 8, payloadLength);
    PutBigEndian(header.bytes + 20, command);
    PutBigEndian(header.bytes + 28, ledIndex);
    PutBigEndian(header.bytes + 32, ledValue);
}

bool CGlasslinkScreen::SetImage(const uint8_t* image, uint32_t length, CTransferStop* stop) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::SetImage");
    ScreenMessageHeader header;
    InitMsgHeader(header, length, kCommandImage, 0, 0);
    std::lock_guard exchange(exchangeLock);
    uint32_t written = 0;
    if (!IoWrite(header.bytes, kHeaderBytes, written, stop) ||
        !IoWrite(image, length, written, stop)) {
        return false;
    }
    return GetResult(stop);
}

void CGlasslinkScreen::SetLed(int32_t index, bool on) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::SetLed");
    if (index < 0 || index >= kLedCount) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage, L"There is no LED %d", index);
        return;
    }
    const auto bit = static_cast<uint16_t>(1u << index);
    if (((ledState.load() & bit) != 0) == on) {
        return;
    }
    ScreenMessageHeader header;
    InitMsgHeader(header, 0, kCommandLed, static_cast<uint32_t>(index), on ? 1 : 0);
    std::lock_guard exchange(exchangeLock);
    uint32_t written = 0;
    if (!IoWrite(header.bytes, kHeaderBytes, written)) {
        return;
    }
    GetResult();
    const uint16_t state = ledState.load();
    ledState.store(static_cast<uint16_t>(on ? (state | bit) : (state & ~bit)));
}

bool CGlasslinkScreen::IoWrite(const uint8_t* buffer, uint32_t length, uint32_t& written,
                               CTransferStop* stop) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::IoWrite");
    // A write only reads its buffer; the shared transfer takes it as writable for reads.
    return Transfer(true, const_cast<uint8_t*>(buffer), length, written, stop);
}

bool CGlasslinkScreen::IoRead(uint8_t* buffer, uint32_t length, uint32_t& read,
                              CTransferStop* stop) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::IoRead");
    return Transfer(false, buffer, length, read, stop);
}

bool CGlasslinkScreen::Transfer(bool write, uint8_t* buffer, uint32_t length, uint32_t& bytes,
                                CTransferStop* stop) {
    bytes = 0;
    if (stop != nullptr && stop->Stopped()) {
        return false;  // the exchange was given up: no further request, no message
    }
    uint32_t error = 0;
    PLATFORM::IoRequest* request = PLATFORM::CreateIoRequest(true, error);
    if (request == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   write ? L"Failed in creating the event for writing due to %d"
                         : L"Failed in creating the event for reading due to %d",
                   error);
        return false;
    }
    PLATFORM::IoStart start = PLATFORM::IoStart::Failed;
    if (stop == nullptr) {
        start = write ? PLATFORM::StartWrite(deviceHandle, request, buffer, length, error)
                      : PLATFORM::StartRead(deviceHandle, request, buffer, length, error);
    } else if (!stop->Start(write, deviceHandle, request, buffer, length, start, error)) {
        PLATFORM::DestroyIoRequest(request);
        return false;
    }
    bool done = false;
    if (start == PLATFORM::IoStart::Failed) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   write ? L"WriteFile failed due to %d" : L"ReadFile failed due to %d", error);
    } else if (start == PLATFORM::IoStart::Completed) {
        done = PLATFORM::GetIoResult(deviceHandle, request, false, bytes, error);
    } else if (const uint32_t wait = PLATFORM::WaitIoRequest(request, kIoTimeoutMs); wait == 0) {
        done = PLATFORM::GetIoResult(deviceHandle, request, false, bytes, error);
    } else {
        TraceWrite(
            kTraceFailure, kKeyword, kTraceMessage,
            write ? L"The write request failed due to %d" : L"The read request failed due to %d",
            wait);
        // The request must be over before its record and buffer go.
        PLATFORM::CancelIo(deviceHandle);
        uint32_t cancelled = 0;
        PLATFORM::GetIoResult(deviceHandle, request, true, cancelled, error);
    }
    if (stop != nullptr) {
        stop->Finish();
    }
    PLATFORM::DestroyIoRequest(request);
    return done;
}

bool CGlasslinkScreen::GetResult(CTransferStop* stop) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::GetResult");
    uint8_t reply[kHeaderBytes];
    for (int attempt = 0; attempt < kReplyReads; ++attempt) {
        if (stop != nullptr && stop->Stopped()) {
            return false;
        }
        std::memset(reply, 0, sizeof(reply));
        uint32_t read = 0;
        if (IoRead(reply, kHeaderBytes, read, stop)) {
            // The count of further bytes is in the host's order, unlike the header's fields.
            const uint32_t count = uint32_t{reply[8]} | (uint32_t{reply[9]} << 8) |
                                   (uint32_t{reply[10]} << 16) | (uint32_t{reply[11]} << 24);
            EatBytes(static_cast<int32_t>(count), stop);
            return true;
        }
    }
    return false;
}

void CGlasslinkScreen::EatBytes(int32_t count, CTransferStop* stop) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::EatBytes");
    uint8_t scratch[kEatChunkBytes];
    while (count > 0) {
        uint32_t read = 0;
        const uint32_t wanted = std::min(static_cast<uint32_t>(count), kEatChunkBytes);
        // A read that brings nothing would never end the loop.
        if (!IoRead(scratch, wanted, read, stop) || read == 0) {
            return;
        }
        count -= static_cast<int32_t>(std::min(read, wanted));
    }
}

void CGlasslinkScreen::CTransferStop::Stop() {
    std::lock_guard hold(lock);
    stopped = true;
    if (inFlight != nullptr) {
        // The waiting thread sees its request end (aborted) at once.
        PLATFORM::CancelIoRequest(file, inFlight);
    }
}

void CGlasslinkScreen::CTransferStop::Reset() {
    std::lock_guard hold(lock);
    stopped = false;
}

bool CGlasslinkScreen::CTransferStop::Stopped() {
    std::lock_guard hold(lock);
    return stopped;
}

bool CGlasslinkScreen::CTransferStop::Start(bool write, PLATFORM::DeviceFile* device,
                                            PLATFORM::IoRequest* request, uint8_t* buffer,
                                            uint32_t length, PLATFORM::IoStart& start,
                                            uint32_t& error) {
    // Checking the stop and recording the request under one lock leaves no moment in which a
    // Stop could miss a transfer that is about to wait.
    std::lock_guard hold(lock);
    if (stopped) {
        return false;
    }
    start = write ? PLATFORM::StartWrite(device, request, buffer, length, error)
                  : PLATFORM::StartRead(device, request, buffer, length, error);
    if (start == PLATFORM::IoStart::Pending) {
        file = device;
        inFlight = request;
    }
    return true;
}

void CGlasslinkScreen::CTransferStop::Finish() {
    std::lock_guard hold(lock);
    file = nullptr;
    inFlight = nullptr;
}

void CGlasslinkScreen::InitSerialNumber() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::InitSerialNumber");
    uint32_t error = 0;
    PLATFORM::DeviceFile* file = PLATFORM::OpenDevice(devicePath, false, error);
    if (file == nullptr) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in creating the non overlapped device %s due to %d", devicePath, error);
        return;
    }
    // The driver answers with UTF-16 text; little-endian byte pairs on every platform.
    uint8_t reply[kSerialNumberUnits * 2] = {};
    uint32_t bytes = 0;
    if (!PLATFORM::DeviceControl(file, kSerialNumberControl, nullptr, 0, reply, sizeof(reply),
                                 bytes, error)) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in getting the serial number from the device %s due to %d", devicePath,
                   error);
    } else {
        serialNumber.clear();
        for (uint32_t i = 0; i < kSerialNumberUnits; ++i) {
            const wchar_t unit = static_cast<wchar_t>(reply[2 * i] | (reply[2 * i + 1] << 8));
            if (unit == 0) {
                break;
            }
            serialNumber.push_back(unit);
        }
    }
    PLATFORM::CloseDevice(file);
}

}  // namespace XPL
