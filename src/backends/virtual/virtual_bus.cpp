// The virtual device bus: attached devices, their faults, queued input, request logs and the
// open-file count; attach and detach with their notices.
#include "backends/virtual/virtual_bus.h"

#include <algorithm>
#include <utility>

#include "platform/device_watch.h"

namespace XPL::VIRTUAL {

namespace {

uint32_t FaultBit(Fault fault) {
    return 1u << static_cast<uint32_t>(fault);
}

// The device's report with exactly these usages on: byte 0 is report id 0, usage u is bit
// (u-1)%8 of byte 1+(u-1)/8. Usages outside the device's buttons or report are left out.
std::vector<uint8_t> EncodeReport(const DeviceSpec& spec, const std::set<uint16_t>& usagesOn) {
    std::vector<uint8_t> report(spec.inputReportLength, 0);
    for (const uint16_t usage : usagesOn) {
        const size_t byte = 1 + (usage - 1u) / 8;
        if (usage >= 1 && usage <= spec.buttonCount && byte < report.size()) {
            report[byte] = static_cast<uint8_t>(report[byte] | (1u << ((usage - 1u) % 8)));
        }
    }
    return report;
}

std::vector<std::vector<uint8_t>> Entries(const RequestLog& log) {
    return {log.entries.begin(), log.entries.end()};
}

}  // namespace

void RequestLog::Append(std::vector<uint8_t> entry) {
    bytes += entry.size();
    ++appended;
    entries.push_back(std::move(entry));
    while (entries.size() > 1 && (entries.size() > kLogMaxEntries || bytes > kLogMaxBytes)) {
        bytes -= entries.front().size();
        entries.pop_front();
    }
}

Device::Device(const DeviceSpec& deviceSpec) : spec(deviceSpec), key(KeyOf(deviceSpec.path)) {}

const PLATFORM::Guid& InterfaceClassOf(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::StickDisplay:
            return kStickDisplayClass;
        case DeviceKind::ScreenDisplay:
            return kScreenDisplayClass;
        case DeviceKind::Hid:
            break;
    }
    return PLATFORM::kHidInterfaceClass;
}

Bus& TheBus() {
    static Bus bus;
    return bus;
}

uint64_t InputReportChecks() {
    return TheBus().readChecks.load(std::memory_order_relaxed);
}

std::wstring KeyOf(const std::wstring& path) {
    std::wstring key = path;
    for (wchar_t& c : key) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return key;
}

bool FaultOn(const Bus& bus, const Device& device, Fault fault) {
    const auto found = bus.faults.find(device.key);
    return found != bus.faults.end() && (found->second & FaultBit(fault)) != 0;
}

std::shared_ptr<Device> FindDevice(Bus& bus, const std::wstring& path) {
    const auto found = bus.devices.find(KeyOf(path));
    return found == bus.devices.end() ? nullptr : found->second;
}

PLATFORM::InterfaceList ListBusInterfaces(const PLATFORM::Guid& interfaceClass) {
    Bus& bus = TheBus();
    std::vector<std::shared_ptr<Device>> present;
    {
        std::lock_guard lock(bus.mutex);
        for (const auto& [key, device] : bus.devices) {
            if (InterfaceClassOf(device->spec.kind) == interfaceClass) {
                present.push_back(device);
            }
        }
    }
    std::sort(present.begin(), present.end(),
              [](const auto& a, const auto& b) { return a->order < b->order; });
    PLATFORM::InterfaceList list;
    for (const auto& device : present) {
        PLATFORM::InterfaceEntry& entry = list.entries.emplace_back();
        // The path record: a size field and the terminated wide path, as the OS sizes it.
        entry.requiredDetailBytes = static_cast<uint32_t>(8 + 2 * (device->spec.path.size() + 1));
        entry.path = device->spec.path;
        entry.physicalName = device->spec.physicalName;
    }
    return list;
}

void EndRequestsOfFile(Bus& bus, PLATFORM::DeviceFile& file, uint32_t error) {
    for (PLATFORM::IoRequest* request : file.inFlight) {
        request->pending = false;
        request->error = error;
        request->bytes = 0;
        request->file = nullptr;
        request->buffer = nullptr;
        request->signalled = true;
    }
    file.inFlight.clear();
    bus.changed.notify_all();
}

void EndRequestsOfDevice(Bus& bus, const Device& device, uint32_t error) {
    for (PLATFORM::DeviceFile* file : bus.files) {
        if (file->device.get() == &device) {
            EndRequestsOfFile(bus, *file, error);
        }
    }
}

void AttachDevice(const DeviceSpec& spec) {
    Bus& bus = TheBus();
    auto device = std::make_shared<Device>(spec);
    std::unique_lock lock(bus.mutex);
    // A device already attached under the path is replaced as if it had been pulled out
    // unannounced: its files fail from now on.
    if (const auto old = bus.devices.find(device->key); old != bus.devices.end()) {
        old->second->attached = false;
        EndRequestsOfDevice(bus, *old->second, kErrorDeviceNotConnected);
    }
    device->order = bus.nextOrder++;
    bus.devices[device->key] = device;
    bus.known[device->key] = device;
    std::vector<NoticeTicket> tickets;
    QueueNotice(bus, tickets, PLATFORM::kDeviceArrival, InterfaceClassOf(spec.kind), spec.path,
                true);
    AwaitNotices(lock, tickets);
}

void DetachDevice(const std::wstring& path) {
    Bus& bus = TheBus();
    std::unique_lock lock(bus.mutex);
    const std::shared_ptr<Device> device = FindDevice(bus, path);
    if (device == nullptr) {
        return;
    }
    device->attached = false;
    bus.devices.erase(device->key);
    EndRequestsOfDevice(bus, *device, kErrorDeviceNotConnected);
    std::vector<NoticeTicket> tickets;
    for (const uint32_t event : {PLATFORM::kDeviceQueryRemove, PLATFORM::kDeviceRemovePending,
                                 PLATFORM::kDeviceRemoveComplete}) {
        QueueNotice(bus, tickets, event, InterfaceClassOf(device->spec.kind), device->spec.path,
                    true);
    }
    AwaitNotices(lock, tickets);
}

void ResetDevices() {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    for (const auto& [key, device] : bus.devices) {
        device->attached = false;
    }
    // Files still open are no longer counted and fail from now on; closing them stays safe.
    for (PLATFORM::DeviceFile* file : bus.files) {
        file->device->attached = false;
        EndRequestsOfFile(bus, *file, kErrorDeviceNotConnected);
    }
    bus.files.clear();
    bus.devices.clear();
    bus.known.clear();
    bus.faults.clear();
    bus.nextOrder = 1;
    bus.ioRequestFails = false;
    ResetWatchFaults(bus);
}

void SetFault(const std::wstring& path, Fault fault, bool on) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    uint32_t& faults = bus.faults[KeyOf(path)];
    faults = on ? (faults | FaultBit(fault)) : (faults & ~FaultBit(fault));
    // A read kept pending by a fault may complete now.
    bus.changed.notify_all();
}

void QueueInputReport(const std::wstring& path, const std::set<uint16_t>& usagesOn) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const std::shared_ptr<Device> device = FindDevice(bus, path);
    if (device == nullptr || device->spec.kind != DeviceKind::Hid ||
        device->spec.inputReportLength == 0) {
        return;
    }
    device->inbox.push_back(EncodeReport(device->spec, usagesOn));
    bus.changed.notify_all();
}

size_t PendingInputReports(const std::wstring& path) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const std::shared_ptr<Device> device = FindDevice(bus, path);
    return device == nullptr || device->spec.kind != DeviceKind::Hid ? 0 : device->inbox.size();
}

std::vector<std::vector<uint8_t>> FeatureReports(const std::wstring& path) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const auto found = bus.known.find(KeyOf(path));
    return found == bus.known.end() ? std::vector<std::vector<uint8_t>>{}
                                    : Entries(found->second->featureReports);
}

std::vector<std::vector<uint8_t>> FeatureReportsSince(const std::wstring& path,
                                                      uint64_t* sequence) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const auto found = bus.known.find(KeyOf(path));
    if (found == bus.known.end()) {
        *sequence = 0;
        return {};
    }
    const RequestLog& log = found->second->featureReports;
    // A sequence beyond the log belongs to a device since replaced under the same path.
    const uint64_t seen = *sequence <= log.appended ? *sequence : 0;
    const size_t fresh =
        static_cast<size_t>(std::min<uint64_t>(log.appended - seen, log.entries.size()));
    *sequence = log.appended;
    return {log.entries.end() - static_cast<std::ptrdiff_t>(fresh), log.entries.end()};
}

std::vector<std::vector<uint8_t>> DisplayRequests(const std::wstring& path) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const auto found = bus.known.find(KeyOf(path));
    return found == bus.known.end() ? std::vector<std::vector<uint8_t>>{}
                                    : Entries(found->second->displayRequests);
}

int OpenFileCount() {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    return static_cast<int>(bus.files.size());
}

int OpenFileCount(const std::wstring& path) {
    Bus& bus = TheBus();
    const std::wstring key = KeyOf(path);
    std::lock_guard lock(bus.mutex);
    return static_cast<int>(
        std::count_if(bus.files.begin(), bus.files.end(),
                      [&](const auto* file) { return file->device->key == key; }));
}

void SetIoRequestFails(bool fails) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    bus.ioRequestFails = fails;
}

}  // namespace XPL::VIRTUAL
