#include "glasslink/glasslink_screen.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/clock.h"
#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kGlasslink;
constexpr uint32_t kSerialNumberControl = 0x220004;
constexpr uint32_t kSerialNumberUnits = 64;

void PutBigEndian(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}

}  // namespace

// One exchange at a time on a device, whichever link makes it.
struct CGlasslinkScreen::DeviceGate {
    std::mutex lock;
    std::condition_variable freed;
    bool busy = false;

    static bool Free(void* gate) { return !static_cast<DeviceGate*>(gate)->busy; }
};

// An exchange in progress: it holds the device's gate and counts its time.
class CGlasslinkScreen::CExchange {
public:
    // The wait for another exchange on the device counts within this one's time.
    explicit CExchange(CGlasslinkScreen& exchanging)
        : link(exchanging), started(PLATFORM::GetTickCount()) {
        if (link.retired.load()) {
            return;
        }
        DeviceGate& gate = *link.gate;
        std::unique_lock hold(gate.lock);
        if (!PLATFORM::TimedWait(hold, gate.freed, kExchangeLimitMs, &DeviceGate::Free, &gate)) {
            TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                       L"Failed in waiting for the exchange under way on the device %s",
                       link.devicePath);
            return;
        }
        gate.busy = true;
        held = true;
    }
    ~CExchange() {
        if (held) {
            std::lock_guard hold(link.gate->lock);
            link.gate->busy = false;
            link.gate->freed.notify_all();
        }
    }
    CExchange(const CExchange&) = delete;
    CExchange& operator=(const CExchange&) = delete;

    // False when the exchange may not be made: the link is retired or given up, or another
    // exchange on the device did not end.
    bool Open() const { return held && link.abandoned == nullptr; }
    // What is left of the exchange's time.
    uint32_t Left() const {
        const uint32_t elapsed = PLATFORM::GetTickCount() - started;
        return elapsed >= kExchangeLimitMs ? 0 : kExchangeLimitMs - elapsed;
    }

private:
    CGlasslinkScreen& link;
    const uint32_t started;
    bool held = false;
};

std::shared_ptr<CGlasslinkScreen::DeviceGate> CGlasslinkScreen::GateOf(
    const std::wstring& devicePath) {
    static std::mutex registryLock;
    static std::map<std::wstring, std::weak_ptr<DeviceGate>> registry;
    const std::wstring key = UTILITY::ConvertStringToLower(devicePath);
    std::lock_guard hold(registryLock);
    std::erase_if(registry, [](const auto& entry) { return entry.second.expired(); });
    std::shared_ptr<DeviceGate> gate = registry[key].lock();
    if (gate == nullptr) {
        gate = std::make_shared<DeviceGate>();
        registry[key] = gate;
    }
    return gate;
}

CGlasslinkScreen::CGlasslinkScreen(const std::wstring& path)
    : CGlasslink(path), gate(GateOf(path)), buffers(std::make_unique<ReadBuffers>()) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::CGlasslinkScreen");
}

CGlasslinkScreen::~CGlasslinkScreen() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::~CGlasslinkScreen");
    PLATFORM::CloseDevice(deviceHandle);  // ends what is still in flight on it
    if (abandoned != nullptr) {
        if (PLATFORM::IsIoRequestPending(abandoned)) {
            // Still the driver's: it may yet write into them.
            static_cast<void>(abandonedBuffers.release());
        } else {
            PLATFORM::DestroyIoRequest(abandoned);
        }
    }
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
    retired = true;
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

bool CGlasslinkScreen::SetImage(const uint8_t* image, uint32_t length) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::SetImage");
    CExchange exchange(*this);
    if (!exchange.Open()) {
        return false;
    }
    if (!lastPicture.empty() && length == lastPicture.size() &&
        std::memcmp(image, lastPicture.data(), length) == 0) {
        TraceWrite(kTraceDetail, kKeyword, kTraceMessage,
                   L"The device shows this picture already; it is not sent again");
        return true;
    }
    ScreenMessageHeader header;
    InitMsgHeader(header, length, kCommandImage, 0, 0);
    const bool done = IoWrite(header.bytes, kHeaderBytes, exchange) &&
                      IoWrite(image, length, exchange) && GetResult(exchange);
    answering = done;
    // What a device shows after a failed exchange is not known.
    if (done) {
        lastPicture.assign(image, image + length);
    } else {
        lastPicture.clear();
    }
    return done;
}

bool CGlasslinkScreen::SetLed(int32_t index, bool on) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::SetLed");
    if (index < 0 || index >= kLedCount) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage, L"There is no LED %d", index);
        return false;
    }
    if (LedOn(index) == on) {
        return true;
    }
    CExchange exchange(*this);
    if (!exchange.Open()) {
        return false;
    }
    ScreenMessageHeader header;
    InitMsgHeader(header, 0, kCommandLed, static_cast<uint32_t>(index), on ? 1 : 0);
    if (!IoWrite(header.bytes, kHeaderBytes, exchange)) {
        answering = false;
        return false;
    }
    answering = GetResult(exchange);
    const auto bit = static_cast<uint16_t>(1u << index);
    const uint16_t state = ledState.load();
    ledState.store(static_cast<uint16_t>(on ? (state | bit) : (state & ~bit)));
    return true;
}

bool CGlasslinkScreen::LedOn(int32_t index) const {
    return index >= 0 && index < kLedCount && (ledState.load() >> index & 1u) != 0;
}

bool CGlasslinkScreen::IoWrite(const uint8_t* buffer, uint32_t length, const CExchange& exchange) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::IoWrite");
    uint32_t written = 0;
    // A write only reads its buffer; the shared transfer takes it as writable for reads.
    return Transfer(true, const_cast<uint8_t*>(buffer), length, written, exchange);
}

bool CGlasslinkScreen::IoRead(uint8_t* buffer, uint32_t length, uint32_t& read,
                              const CExchange& exchange) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::IoRead");
    return Transfer(false, buffer, length, read, exchange);
}

bool CGlasslinkScreen::Transfer(bool write, uint8_t* buffer, uint32_t length, uint32_t& bytes,
                                const CExchange& exchange) {
    bytes = 0;
    const uint32_t timeout = std::min(kTransferTimeoutMs, exchange.Left());
    if (timeout == 0) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"The exchange has not ended within %u ms; it is given up", kExchangeLimitMs);
        return false;
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
    const PLATFORM::IoStart start =
        write ? PLATFORM::StartWrite(deviceHandle, request, buffer, length, error)
              : PLATFORM::StartRead(deviceHandle, request, buffer, length, error);
    bool done = false;
    if (start == PLATFORM::IoStart::Failed) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   write ? L"WriteFile failed due to %d" : L"ReadFile failed due to %d", error);
    } else if (start == PLATFORM::IoStart::Completed) {
        done = PLATFORM::GetIoResult(deviceHandle, request, false, bytes, error);
    } else if (const uint32_t wait = PLATFORM::WaitIoRequest(request, timeout); wait == 0) {
        done = PLATFORM::GetIoResult(deviceHandle, request, false, bytes, error);
    } else {
        TraceWrite(
            kTraceFailure, kKeyword, kTraceMessage,
            write ? L"The write request failed due to %d" : L"The read request failed due to %d",
            wait);
        // The request must be over before its record and buffer go; a driver that does not end
        // it in time keeps them.
        PLATFORM::CancelIo(deviceHandle);
        if (PLATFORM::WaitIoRequest(request, kCancelWaitMs) != 0 &&
            PLATFORM::IsIoRequestPending(request)) {
            Abandon(request);
            return false;
        }
        uint32_t cancelled = 0;
        PLATFORM::GetIoResult(deviceHandle, request, false, cancelled, error);
    }
    PLATFORM::DestroyIoRequest(request);
    return done;
}

void CGlasslinkScreen::Abandon(PLATFORM::IoRequest* request) {
    TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
               L"The device %s has not ended a cancelled request within %u ms; the link is given "
               L"up",
               devicePath, kCancelWaitMs);
    abandoned = request;
    abandonedBuffers = std::move(buffers);
}

bool CGlasslinkScreen::GetResult(const CExchange& exchange) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::GetResult");
    for (int attempt = 0; attempt < kReplyReads && exchange.Open() && exchange.Left() != 0;
         ++attempt) {
        uint8_t* reply = buffers->reply;
        std::memset(reply, 0, kHeaderBytes);
        uint32_t read = 0;
        if (IoRead(reply, kHeaderBytes, read, exchange)) {
            // The count of further bytes is in the host's order, unlike the header's fields.
            const uint32_t count = uint32_t{reply[8]} | (uint32_t{reply[9]} << 8) |
                                   (uint32_t{reply[10]} << 16) | (uint32_t{reply[11]} << 24);
            EatBytes(static_cast<int32_t>(count), exchange);
            return true;
        }
    }
    return false;
}

void CGlasslinkScreen::EatBytes(int32_t count, const CExchange& exchange) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkScreen::EatBytes");
    while (count > 0 && exchange.Open()) {
        uint32_t read = 0;
        const auto wanted =
            std::min(static_cast<uint32_t>(count), static_cast<uint32_t>(sizeof(buffers->scratch)));
        // A read that brings nothing would never end the loop.
        if (!IoRead(buffers->scratch, wanted, read, exchange) || read == 0) {
            return;
        }
        count -= static_cast<int32_t>(std::min(read, wanted));
    }
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
