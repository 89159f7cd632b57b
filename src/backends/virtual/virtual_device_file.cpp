// Device files and overlapped requests on the virtual bus.
//
// A request either completes when it starts, or stays in flight until its data is there (a
// queued HID input report, a screen reply) or its time has come (a slow screen's transfer), it is
// cancelled, its file is closed or its device is pulled out. A pending read's data is copied into
// the caller's buffer only by the thread that collects the result (GetIoResult), never by the
// thread that queued the data; a request that is cancelled, closed or detached is ended without
// touching its buffer. The files of either kind (overlapped or not) behave alike.
#include <algorithm>
#include <cstring>

#include "backends/virtual/virtual_bus.h"
#include "platform/clock.h"
#include "platform/device_file.h"

namespace XPL::PLATFORM {

namespace {

using VIRTUAL::Bus;
using VIRTUAL::Device;
using VIRTUAL::DeviceKind;
using VIRTUAL::Fault;
using VIRTUAL::FaultOn;
using VIRTUAL::TheBus;

constexpr uint32_t kWaitFailed = 0xFFFFFFFF;

void Unlink(IoRequest& request) {
    if (request.file != nullptr) {
        auto& inFlight = request.file->inFlight;
        inFlight.erase(std::remove(inFlight.begin(), inFlight.end(), &request), inFlight.end());
    }
}

// Ends the request with its outcome and signals its event. Bus mutex held.
void Complete(Bus& bus, IoRequest& request, uint32_t error, uint32_t bytes) {
    Unlink(request);
    request.pending = false;
    request.error = error;
    request.bytes = bytes;
    request.file = nullptr;
    request.buffer = nullptr;
    request.source = nullptr;
    request.signalled = true;
    bus.changed.notify_all();
}

IoStart Refuse(IoRequest* request, uint32_t code, uint32_t& error) {
    if (request != nullptr) {
        request->error = code;
    }
    error = code;
    return IoStart::Failed;
}

IoStart Pend(DeviceFile* file, IoRequest* request, uint32_t& error) {
    request->pending = true;
    request->file = file;
    request->starter = std::this_thread::get_id();
    file->inFlight.push_back(request);
    error = kErrorIoPending;
    return IoStart::Pending;
}

// The delay of each transfer of the device: a slow screen's, otherwise none.
uint32_t TransferDelay(const Bus& bus, const Device& device) {
    return device.spec.kind == DeviceKind::ScreenDisplay && FaultOn(bus, device, Fault::Slow)
               ? device.display.transferDelay
               : 0;
}

// Pends a transfer that completes after the device's delay.
IoStart PendSlow(DeviceFile* file, IoRequest* request, uint32_t delay, uint32_t& error) {
    request->delay = delay;
    request->startedAt = GetTickCount();
    request->delivered = 0;
    return Pend(file, request, error);
}

bool TimeHasCome(const IoRequest& request) {
    return request.delay == 0 ||
           static_cast<uint32_t>(GetTickCount() - request.startedAt) >= request.delay;
}

// The clock time left before a slow transfer's time comes.
uint32_t TimeLeft(const IoRequest& request) {
    return TimeHasCome(request) ? 0 : request.delay - (GetTickCount() - request.startedAt);
}

// Whether a slow write may complete now.
bool WriteDue(const IoRequest& request) {
    return request.pending && request.kind == IoKind::Write && request.delay != 0 &&
           TimeHasCome(request);
}

// The checks every start makes; resets the request's event. Bus mutex held.
bool Begin(DeviceFile* file, IoRequest* request, IoKind kind, uint32_t& error) {
    if (file == nullptr || request == nullptr) {
        Refuse(request, VIRTUAL::kErrorInvalidHandle, error);
        return false;
    }
    if (request->pending) {  // still in flight: the OS would corrupt it; the bus refuses
        error = VIRTUAL::kErrorInvalidParameter;
        return false;
    }
    request->signalled = false;
    request->kind = kind;
    request->error = 0;
    request->bytes = 0;
    request->buffer = nullptr;
    request->length = 0;
    request->delay = 0;
    request->source = nullptr;
    request->delivered = 0;
    if (!file->device->attached) {
        Refuse(request, VIRTUAL::kErrorDeviceNotConnected, error);
        return false;
    }
    return true;
}

// Whether reads of the device get no data at all.
bool ReadsWithheld(const Bus& bus, const Device& device) {
    return FaultOn(bus, device, Fault::PendingRead) ||
           (device.spec.kind == DeviceKind::ScreenDisplay && FaultOn(bus, device, Fault::Reply));
}

// True when a pending read can end now: its data is queued, or its result is to fail.
bool ReadCanEnd(const Bus& bus, const IoRequest& request) {
    if (!request.pending || request.kind != IoKind::Read || request.file == nullptr ||
        !TimeHasCome(request)) {
        return false;
    }
    const Device& device = *request.file->device;
    return FaultOn(bus, device, Fault::ReadResult) ||
           (!ReadsWithheld(bus, device) && !device.inbox.empty());
}

// Moves the oldest queued data into buffer; the byte count. A HID device hands over one whole
// report a read; a screen display as many queued bytes as asked for, from one queued reply or
// its further bytes.
uint32_t TakeData(Device& device, uint8_t* buffer, uint32_t length) {
    std::vector<uint8_t>& data = device.inbox.front();
    const uint32_t bytes = std::min(length, static_cast<uint32_t>(data.size()));
    if (bytes != 0) {
        std::memcpy(buffer, data.data(), bytes);
    }
    if (device.spec.kind == DeviceKind::ScreenDisplay && bytes < data.size()) {
        data.erase(data.begin(), data.begin() + bytes);
    } else {
        device.inbox.pop_front();
    }
    return bytes;
}

// Answers a whole screen request: the reply, then the further bytes it counts. Bus mutex held.
void QueueScreenReply(const Bus& bus, Device& device) {
    if (FaultOn(bus, device, Fault::Reply)) {
        return;
    }
    const int32_t extra =
        FaultOn(bus, device, Fault::ExtraBytes) ? device.display.replyExtraBytes : 0;
    device.inbox.push_back(VIRTUAL::ScreenReply(device.display, extra));
    if (extra > 0) {
        device.inbox.emplace_back(static_cast<size_t>(extra), uint8_t{0xEE});
    }
}

// Bytes written to a screen display: logged, then read by the device as one stream, each request
// answered as it becomes whole. Bus mutex held.
void TakeScreenBytes(const Bus& bus, Device& device, const uint8_t* data, uint32_t length) {
    if (length == 0) {
        return;
    }
    device.displayRequests.Append(std::vector<uint8_t>(data, data + length));
    while (length != 0) {
        bool completed = false;
        const uint32_t taken = VIRTUAL::AcceptScreenBytes(device.display, data, length,
                                                          !device.inbox.empty(), completed);
        data += taken;
        length -= taken;
        if (completed) {
            QueueScreenReply(bus, device);
        }
    }
}

// The bytes of a slow write that have reached the device by now (all of them once its time has
// come), handed over. Bus mutex held.
void DeliverWritten(const Bus& bus, IoRequest& request) {
    Device& device = *request.file->device;
    const uint32_t elapsed = GetTickCount() - request.startedAt;
    const uint32_t reached =
        elapsed >= request.delay
            ? request.length
            : static_cast<uint32_t>(uint64_t{request.length} * elapsed / request.delay);
    if (device.attached && reached > request.delivered) {
        TakeScreenBytes(bus, device, request.source + request.delivered,
                        reached - request.delivered);
    }
    request.delivered = std::max(request.delivered, reached);
}

// Completes a slow write whose time has come. Bus mutex held.
void CompleteDueWrite(Bus& bus, IoRequest& request) {
    if (WriteDue(request)) {
        DeliverWritten(bus, request);
        Complete(bus, request, 0, request.length);
    }
}

// Cancels a request in flight, unless the driver never ends cancelled requests (the Stuck
// fault): a slow write has delivered what reached the device by now. Bus mutex held.
void Cancel(Bus& bus, IoRequest& request) {
    const Device& device = *request.file->device;
    if (device.spec.kind == DeviceKind::ScreenDisplay && FaultOn(bus, device, Fault::Stuck)) {
        return;
    }
    if (request.kind == IoKind::Write && request.delay != 0) {
        DeliverWritten(bus, request);
    }
    Complete(bus, request, VIRTUAL::kErrorOperationAborted, 0);
}

// Ends a pending read that ReadCanEnd allowed, on the collecting thread. Bus mutex held.
void EndRead(Bus& bus, IoRequest& request) {
    Device& device = *request.file->device;
    if (FaultOn(bus, device, Fault::ReadResult)) {
        Complete(bus, request, VIRTUAL::kErrorGenFailure, 0);
        return;
    }
    const uint32_t bytes = TakeData(device, request.buffer, request.length);
    Complete(bus, request, 0, bytes);
}

struct WaitContext {
    Bus* bus;
    IoRequest* request;
};

bool RequestSignalled(void* context) {
    const auto* wait = static_cast<WaitContext*>(context);
    return wait->request->signalled || ReadCanEnd(*wait->bus, *wait->request) ||
           WriteDue(*wait->request);
}

bool RequestSettles(void* context) {
    const auto* wait = static_cast<WaitContext*>(context);
    return !wait->request->pending || ReadCanEnd(*wait->bus, *wait->request) ||
           WriteDue(*wait->request);
}

}  // namespace

DeviceFile* OpenDevice(const std::wstring& path, bool overlapped, uint32_t& error) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    std::shared_ptr<Device> device = VIRTUAL::FindDevice(bus, path);
    if (device == nullptr) {
        error = VIRTUAL::kErrorFileNotFound;
        return nullptr;
    }
    if (FaultOn(bus, *device, Fault::Open) ||
        (overlapped && FaultOn(bus, *device, Fault::OpenOverlapped))) {
        error = VIRTUAL::kErrorAccessDenied;
        return nullptr;
    }
    auto* file = new DeviceFile{std::move(device), overlapped, {}};
    bus.files.insert(file);
    error = 0;
    return file;
}

void CloseDevice(DeviceFile* file) {
    if (file == nullptr) {
        return;
    }
    Bus& bus = TheBus();
    {
        std::lock_guard lock(bus.mutex);
        VIRTUAL::EndRequestsOfFile(bus, *file, VIRTUAL::kErrorOperationAborted);
        bus.files.erase(file);
    }
    delete file;
}

IoRequest* CreateIoRequest(bool manualReset, uint32_t& error) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (bus.ioRequestFails) {
        error = VIRTUAL::kErrorNotEnoughMemory;
        return nullptr;
    }
    auto* request = new IoRequest;
    request->manualReset = manualReset;
    error = 0;
    return request;
}

void DestroyIoRequest(IoRequest* request) {
    if (request == nullptr) {
        return;
    }
    {
        // Still in flight is a caller's error; the bus forgets the request rather than keep a
        // dangling pointer to it.
        std::lock_guard lock(TheBus().mutex);
        Unlink(*request);
    }
    delete request;
}

IoStart StartRead(DeviceFile* file, IoRequest* request, uint8_t* buffer, uint32_t length,
                  uint32_t& error) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (!Begin(file, request, IoKind::Read, error)) {
        return IoStart::Failed;
    }
    Device& device = *file->device;
    if (device.spec.kind == DeviceKind::StickDisplay) {
        return Refuse(request, VIRTUAL::kErrorInvalidFunction, error);
    }
    if (FaultOn(bus, device, Fault::ReadStart)) {
        return Refuse(request, VIRTUAL::kErrorGenFailure, error);
    }
    if (length != 0 && buffer == nullptr) {
        return Refuse(request, VIRTUAL::kErrorInvalidParameter, error);
    }
    request->buffer = buffer;
    request->length = length;
    if (device.spec.kind == DeviceKind::ScreenDisplay) {
        VIRTUAL::NoteScreenRead(device.display);
    }
    if (const uint32_t delay = TransferDelay(bus, device); delay != 0) {
        return PendSlow(file, request, delay, error);
    }
    // A read whose result is to fail is accepted first and fails when collected.
    if (FaultOn(bus, device, Fault::ReadResult) || ReadsWithheld(bus, device) ||
        device.inbox.empty()) {
        return Pend(file, request, error);
    }
    Complete(bus, *request, 0, TakeData(device, buffer, length));
    error = 0;
    return IoStart::Completed;
}

IoStart StartWrite(DeviceFile* file, IoRequest* request, const uint8_t* data, uint32_t length,
                   uint32_t& error) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (!Begin(file, request, IoKind::Write, error)) {
        return IoStart::Failed;
    }
    Device& device = *file->device;
    if (device.spec.kind != DeviceKind::ScreenDisplay) {
        return Refuse(request, VIRTUAL::kErrorInvalidFunction, error);
    }
    if (FaultOn(bus, device, Fault::Write)) {
        return Refuse(request, VIRTUAL::kErrorGenFailure, error);
    }
    if (length != 0 && data == nullptr) {
        return Refuse(request, VIRTUAL::kErrorInvalidParameter, error);
    }
    if (FaultOn(bus, device, Fault::WritePending)) {
        return Pend(file, request, error);  // the device takes nothing
    }
    if (const uint32_t delay = TransferDelay(bus, device); delay != 0) {
        request->source = data;
        request->length = length;
        return PendSlow(file, request, delay, error);
    }
    TakeScreenBytes(bus, device, data, length);
    Complete(bus, *request, 0, length);
    error = 0;
    return IoStart::Completed;
}

IoStart StartDeviceControl(DeviceFile* file, IoRequest* request, uint32_t code, const void* input,
                           uint32_t inputLength, uint32_t& error) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (!Begin(file, request, IoKind::Control, error)) {
        return IoStart::Failed;
    }
    Device& device = *file->device;
    if (device.spec.kind != DeviceKind::StickDisplay) {
        return Refuse(request, VIRTUAL::kErrorInvalidFunction, error);
    }
    if (FaultOn(bus, device, Fault::Ioctl)) {
        return Refuse(request, VIRTUAL::kErrorGenFailure, error);
    }
    if (code != VIRTUAL::kStickLineControl && code != VIRTUAL::kStickShiftControl) {
        return Refuse(request, VIRTUAL::kErrorInvalidFunction, error);
    }
    if (inputLength != 0 && input == nullptr) {
        return Refuse(request, VIRTUAL::kErrorInvalidParameter, error);
    }
    // The input is copied now, as buffered device control does.
    std::vector<uint8_t> logged = {static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8),
                                   static_cast<uint8_t>(code >> 16),
                                   static_cast<uint8_t>(code >> 24)};
    const auto* bytes = static_cast<const uint8_t*>(input);
    logged.insert(logged.end(), bytes, bytes + inputLength);
    device.displayRequests.Append(std::move(logged));
    if (FaultOn(bus, device, Fault::IoctlPending)) {
        return Pend(file, request, error);
    }
    VIRTUAL::AcceptStickControl(device.display, code, bytes, inputLength);
    Complete(bus, *request, 0, 0);
    error = 0;
    return IoStart::Completed;
}

bool GetIoResult(DeviceFile* /*file*/, IoRequest* request, bool wait, uint32_t& bytes,
                 uint32_t& error) {
    bytes = 0;
    if (request == nullptr) {
        error = VIRTUAL::kErrorInvalidHandle;
        return false;
    }
    Bus& bus = TheBus();
    std::unique_lock lock(bus.mutex);
    if (!wait && request->kind == IoKind::Read) {
        // Only ever counted under the mutex: a plain load and store suffice.
        bus.readChecks.store(bus.readChecks.load(std::memory_order_relaxed) + 1,
                             std::memory_order_relaxed);
    }
    WaitContext context{&bus, request};
    while (request->pending) {
        CompleteDueWrite(bus, *request);
        if (ReadCanEnd(bus, *request)) {
            EndRead(bus, *request);
            break;
        }
        if (!request->pending) {
            break;
        }
        if (!wait) {
            error = kErrorIoIncomplete;
            return false;
        }
        // Like the OS, waits as long as the request is in flight: until its data arrives or its
        // time comes, or it is cancelled, closed or its device pulled out.
        if (const uint32_t left = TimeLeft(*request); left != 0) {
            TimedWait(lock, bus.changed, left, &RequestSettles, &context);
        } else {
            VIRTUAL::UntimedWait(lock, bus.changed, &RequestSettles, &context);
        }
    }
    if (request->error != 0) {
        error = request->error;
        return false;
    }
    bytes = request->bytes;
    error = 0;
    return true;
}

uint32_t WaitIoRequest(IoRequest* request, uint32_t timeoutMs) {
    if (request == nullptr) {
        return kWaitFailed;
    }
    Bus& bus = TheBus();
    std::unique_lock lock(bus.mutex);
    WaitContext context{&bus, request};
    const uint32_t began = GetTickCount();
    for (;;) {
        CompleteDueWrite(bus, *request);
        if (RequestSignalled(&context)) {
            break;
        }
        const uint32_t waited = GetTickCount() - began;
        if (waited >= timeoutMs) {
            return kWaitTimeout;
        }
        // A slow transfer's time coming is a deadline of its own.
        const uint32_t left = TimeLeft(*request);
        const uint32_t span =
            std::min(timeoutMs - waited, request->pending && left != 0 ? left : UINT32_MAX);
        TimedWait(lock, bus.changed, span, &RequestSignalled, &context);
    }
    if (request->signalled && !request->manualReset) {
        request->signalled = false;
    }
    return 0;
}

bool IsIoRequestPending(const IoRequest* request) {
    if (request == nullptr) {
        return false;
    }
    std::lock_guard lock(TheBus().mutex);
    return request->pending;
}

void CancelIo(DeviceFile* file) {
    if (file == nullptr) {
        return;
    }
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const std::thread::id self = std::this_thread::get_id();
    // Complete unlinks the request, so walk from the back.
    for (size_t i = file->inFlight.size(); i-- > 0;) {
        IoRequest* request = file->inFlight[i];
        if (request->starter == self) {
            Cancel(bus, *request);
        }
    }
}

bool CancelIoRequest(DeviceFile* file, IoRequest* request) {
    if (file == nullptr || request == nullptr) {
        return false;
    }
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (!request->pending || request->file != file) {
        return false;  // ERROR_NOT_FOUND: nothing to cancel
    }
    Cancel(bus, *request);
    return true;
}

bool DeviceControl(DeviceFile* file, uint32_t code, const void* /*input*/, uint32_t /*inputLength*/,
                   void* output, uint32_t outputLength, uint32_t& bytes, uint32_t& error) {
    bytes = 0;
    if (file == nullptr) {
        error = VIRTUAL::kErrorInvalidHandle;
        return false;
    }
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const Device& device = *file->device;
    if (!device.attached) {
        error = VIRTUAL::kErrorDeviceNotConnected;
        return false;
    }
    if (device.spec.kind != DeviceKind::ScreenDisplay || code != VIRTUAL::kSerialNumberControl) {
        error = VIRTUAL::kErrorInvalidFunction;
        return false;
    }
    if (FaultOn(bus, device, Fault::Serial)) {
        error = VIRTUAL::kErrorGenFailure;
        return false;
    }
    // The serial number as UTF-16LE (BMP characters only), terminated when there is room.
    const std::wstring& serial = device.spec.serial;
    const uint64_t textBytes = 2 * uint64_t{serial.size()};
    if (textBytes > outputLength || (textBytes != 0 && output == nullptr)) {
        error = VIRTUAL::kErrorMoreData;
        return false;
    }
    auto* out = static_cast<uint8_t*>(output);
    for (size_t i = 0; i < serial.size(); ++i) {
        const auto unit = static_cast<uint16_t>(serial[i]);
        out[2 * i] = static_cast<uint8_t>(unit);
        out[2 * i + 1] = static_cast<uint8_t>(unit >> 8);
    }
    bytes = static_cast<uint32_t>(textBytes);
    if (textBytes + 2 <= outputLength) {
        out[textBytes] = 0;
        out[textBytes + 1] = 0;
        bytes += 2;
    }
    error = 0;
    return true;
}

}  // namespace XPL::PLATFORM

namespace XPL::VIRTUAL {

int RequestsInFlight(const std::wstring& path) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const std::shared_ptr<Device> device = FindDevice(bus, path);
    size_t count = 0;
    for (const PLATFORM::DeviceFile* file : bus.files) {
        if (device != nullptr && file->device == device) {
            count += file->inFlight.size();
        }
    }
    return static_cast<int>(count);
}

}  // namespace XPL::VIRTUAL
