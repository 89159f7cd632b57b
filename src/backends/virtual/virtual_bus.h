// The virtual device bus behind the hid, device file and device watch seams, shared by their
// virtual backends (internal to src/backends/virtual). One mutex guards every device, open file,
// request and watch, so each seam call sees the bus in one state; waits use the one condition
// variable, which is notified whenever a request ends, input arrives or a notice was handled.
//
// Nothing here calls into a watch sink while holding the mutex: the sink calls back into the bus
// (enumeration, opening files).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_display.h"
#include "platform/device_file.h"
#include "platform/device_watch.h"
#include "platform/hid.h"

namespace XPL::VIRTUAL {

// OS error codes the bus answers with.
inline constexpr uint32_t kErrorInvalidFunction = 1;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorInvalidData = 13;
inline constexpr uint32_t kErrorGenFailure = 31;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorMoreData = 234;
inline constexpr uint32_t kErrorOperationAborted = 995;
inline constexpr uint32_t kErrorDeviceNotConnected = 1167;
inline constexpr uint32_t kErrorNotFound = 1168;
inline constexpr uint32_t kErrorInvalidWindowHandle = 1400;

// The screen display's serial-number request.
inline constexpr uint32_t kSerialNumberControl = 0x220004;

// A request log keeps its newest entries within these bounds, so a long run of the virtual
// cockpit (a picture is 230400 bytes, sent up to 20 times a second) does not grow without end.
inline constexpr size_t kLogMaxEntries = 4096;
inline constexpr size_t kLogMaxBytes = size_t{64} << 20;

struct RequestLog {
    std::deque<std::vector<uint8_t>> entries;
    size_t bytes = 0;
    uint64_t appended = 0;  // entries ever appended, the dropped ones included

    void Append(std::vector<uint8_t> entry);
};

struct Device {
    explicit Device(const DeviceSpec& deviceSpec);

    const DeviceSpec spec;   // fixed while the device lives, so read without the bus mutex
    const std::wstring key;  // spec.path lower-cased: the bus compares paths ignoring case
    uint64_t order = 0;      // attach order, for enumeration
    bool attached = true;
    // Queued HID input reports, or a screen display's replies (and the bytes after them) not yet
    // read.
    std::deque<std::vector<uint8_t>> inbox;
    RequestLog featureReports;
    RequestLog displayRequests;
    DisplayState display;  // what a display device shows and the request it is receiving
};

const PLATFORM::Guid& InterfaceClassOf(DeviceKind kind);

struct WatchState;

struct Bus {
    std::mutex mutex;
    std::condition_variable changed;

    // Attached devices by key; the order of attaching lives in each device.
    std::map<std::wstring, std::shared_ptr<Device>> devices;
    // The latest device attached under each key, attached or not: its logs stay readable after
    // it was pulled out, until the path is attached again.
    std::map<std::wstring, std::shared_ptr<Device>> known;
    uint64_t nextOrder = 1;
    // Switched-on faults by key, a bit per Fault; they outlive detaching and re-attaching.
    std::map<std::wstring, uint32_t> faults;
    // Open files that count in OpenFileCount (files left open across ResetDevices do not).
    std::set<PLATFORM::DeviceFile*> files;
    bool ioRequestFails = false;

    // Watches whose thread serves notices, and every registered notification.
    std::vector<std::shared_ptr<WatchState>> watches;
    std::vector<PLATFORM::DeviceNotification*> notifications;
    bool watchThreadFails = false;
    bool watchWindowFails = false;
    bool watchHangs = false;
    bool notificationFails = false;

    // InputReportChecks: counted under the mutex only, read without it.
    std::atomic<uint64_t> readChecks{0};
};

Bus& TheBus();

// Paths compare ignoring ASCII letter case.
std::wstring KeyOf(const std::wstring& path);
// Bus mutex held.
bool FaultOn(const Bus& bus, const Device& device, Fault fault);
// The attached device of a path, or null. Bus mutex held.
std::shared_ptr<Device> FindDevice(Bus& bus, const std::wstring& path);

// The attached devices of one interface class, in attach order.
PLATFORM::InterfaceList ListBusInterfaces(const PLATFORM::Guid& interfaceClass);

// Ends every request in flight on a file, or on the files of a device, with error (bus mutex
// held); their buffers are not touched afterwards.
void EndRequestsOfFile(Bus& bus, PLATFORM::DeviceFile& file, uint32_t error);
void EndRequestsOfDevice(Bus& bus, const Device& device, uint32_t error);

// Device-change notices on their way to the watch threads.
struct Notice {
    uint32_t event = 0;
    PLATFORM::Guid interfaceClass{};
    std::wstring path;
    uint64_t sequence = 0;
};

struct NoticeTicket {
    std::shared_ptr<WatchState> watch;
    Notice notice;
    bool direct = false;  // raised on the watch's own thread: delivered by a direct call
};

// Queues a notice on every running watch (only those registered for the class when
// registeredOnly), adding a ticket for each to tickets. Bus mutex held.
void QueueNotice(Bus& bus, std::vector<NoticeTicket>& tickets, uint32_t event,
                 const PLATFORM::Guid& interfaceClass, const std::wstring& path,
                 bool registeredOnly);
// Returns once every ticket's notice was handled (or its watch ended); direct tickets are
// delivered here, on this thread, with the mutex released. lock holds the bus mutex on entry and
// on return.
void AwaitNotices(std::unique_lock<std::mutex>& lock, std::vector<NoticeTicket>& tickets);

// Waits on condition (lock held) until ready(context), as a wait the virtual clock sees: a thread
// waiting here takes part in the clock's stillness (virtual_platform.h).
void UntimedWait(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                 bool (*ready)(void*), void* context);
// The same on the bus's condition, lock holding the bus mutex.
template <class Ready>
void AwaitBus(std::unique_lock<std::mutex>& lock, Ready ready) {
    UntimedWait(
        lock, TheBus().changed, [](void* context) { return (*static_cast<Ready*>(context))(); },
        &ready);
}

// Watch state, bus mutex held. Clears the watch faults.
void ResetWatchFaults(Bus& bus);

}  // namespace XPL::VIRTUAL

namespace XPL::PLATFORM {

enum class IoKind { Read, Write, Control };

// Every member is guarded by the bus mutex.
struct IoRequest {
    bool manualReset = true;
    bool signalled = false;  // the request's event
    bool pending = false;    // in flight
    uint32_t error = 0;      // outcome once no longer pending: 0 on success
    uint32_t bytes = 0;
    IoKind kind = IoKind::Read;
    DeviceFile* file = nullptr;  // the file it is in flight on
    // A pending read's buffer: filled only on the thread that collects the result.
    uint8_t* buffer = nullptr;
    uint32_t length = 0;
    std::thread::id starter;  // CancelIo cancels only the requests of the calling thread
    // A slow screen display's transfer: it completes delay ms after startedAt; a write's bytes
    // (from source) reach the device as the time passes, delivered of them so far.
    uint32_t delay = 0;
    uint32_t startedAt = 0;
    const uint8_t* source = nullptr;
    uint32_t delivered = 0;
};

struct DeviceFile {
    std::shared_ptr<VIRTUAL::Device> device;
    bool overlapped = false;
    std::vector<IoRequest*> inFlight;  // guarded by the bus mutex
};

struct HidPreparsedData {
    std::shared_ptr<VIRTUAL::Device> device;
};

}  // namespace XPL::PLATFORM
