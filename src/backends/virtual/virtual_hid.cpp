// HID class calls on the virtual bus. A device's report descriptor is implied by its spec:
// input reports of inputReportLength bytes, report id 0 in byte 0, and Button-page usages
// 1..buttonCount as bits from byte 1 on (usage u is bit (u-1)%8 of byte 1+(u-1)/8).
#include <algorithm>

#include "backends/virtual/virtual_bus.h"
#include "platform/hid.h"

namespace XPL::PLATFORM {

namespace {

using VIRTUAL::Bus;
using VIRTUAL::Device;
using VIRTUAL::DeviceKind;
using VIRTUAL::Fault;
using VIRTUAL::FaultOn;
using VIRTUAL::TheBus;

constexpr uint32_t kHidpStatusInvalidPreparsedData = 0xC0110001;
constexpr uint32_t kHidpStatusInvalidReportLength = 0xC0110003;
constexpr uint32_t kHidpStatusBufferTooSmall = 0xC0110007;
constexpr uint32_t kHidpStatusIncompatibleReportId = 0xC0110010;
constexpr uint16_t kVersionNumber = 0x0100;
constexpr size_t kSerialChars = 126;  // 127 wide characters with the terminator

// The checks of every call on a HID file; the error when it cannot go on. Bus mutex held.
uint32_t HidFileError(const DeviceFile* file) {
    if (file == nullptr) {
        return VIRTUAL::kErrorInvalidHandle;
    }
    if (!file->device->attached) {
        return VIRTUAL::kErrorDeviceNotConnected;
    }
    return file->device->spec.kind == DeviceKind::Hid ? 0 : VIRTUAL::kErrorInvalidFunction;
}

}  // namespace

bool HidGetAttributes(DeviceFile* file, HidAttributes& attributes) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (HidFileError(file) != 0 || FaultOn(bus, *file->device, Fault::Attributes)) {
        return false;
    }
    attributes.vendorId = file->device->spec.vendorId;
    attributes.productId = file->device->spec.productId;
    attributes.versionNumber = kVersionNumber;
    return true;
}

HidPreparsedData* HidGetPreparsedData(DeviceFile* file, uint32_t& error) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    error = HidFileError(file);
    if (error == 0 && FaultOn(bus, *file->device, Fault::PreparsedData)) {
        error = VIRTUAL::kErrorGenFailure;
    }
    if (error != 0) {
        return nullptr;
    }
    return new HidPreparsedData{file->device};
}

void HidFreePreparsedData(HidPreparsedData* data) {
    delete data;
}

uint32_t HidMaxButtonUsages(HidPreparsedData* data) {
    return data == nullptr ? 0 : data->device->spec.buttonCount;
}

uint32_t HidGetCaps(HidPreparsedData* data, HidCaps& caps) {
    if (data == nullptr) {
        return kHidpStatusInvalidPreparsedData;
    }
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (FaultOn(bus, *data->device, Fault::Caps)) {
        return kHidpStatusInvalidPreparsedData;
    }
    caps.inputReportLength = data->device->spec.inputReportLength;
    caps.featureReportLength = data->device->spec.featureReportLength;
    return kHidpStatusSuccess;
}

uint32_t HidGetButtonUsages(HidPreparsedData* data, const uint8_t* report, uint32_t reportLength,
                            uint16_t* usages, uint32_t& count) {
    const uint32_t room = count;
    count = 0;
    if (data == nullptr) {
        return kHidpStatusInvalidPreparsedData;
    }
    const Device& device = *data->device;
    {
        Bus& bus = TheBus();
        std::lock_guard lock(bus.mutex);
        if (FaultOn(bus, device, Fault::Usages)) {
            return kHidpStatusBufferTooSmall;
        }
    }
    if (report == nullptr || reportLength != device.spec.inputReportLength || reportLength == 0) {
        return kHidpStatusInvalidReportLength;
    }
    if (report[0] != 0) {
        return kHidpStatusIncompatibleReportId;
    }
    // Usages in ascending order; when they do not fit, count tells how many there are.
    uint32_t found = 0;
    const uint32_t buttons =
        std::min<uint32_t>(device.spec.buttonCount, (reportLength - 1) * uint32_t{8});
    for (uint32_t usage = 1; usage <= buttons; ++usage) {
        if ((report[1 + (usage - 1) / 8] >> ((usage - 1) % 8)) & 1) {
            if (found < room && usages != nullptr) {
                usages[found] = static_cast<uint16_t>(usage);
            }
            ++found;
        }
    }
    count = found;
    return found <= room ? kHidpStatusSuccess : kHidpStatusBufferTooSmall;
}

bool HidSetFeature(DeviceFile* file, const uint8_t* report, uint32_t length, uint32_t& error) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    error = HidFileError(file);
    if (error == 0 && FaultOn(bus, *file->device, Fault::Feature)) {
        error = VIRTUAL::kErrorGenFailure;
    }
    if (error == 0 && (report == nullptr || length == 0)) {
        error = VIRTUAL::kErrorInvalidParameter;
    }
    if (error != 0) {
        return false;
    }
    file->device->featureReports.Append(std::vector<uint8_t>(report, report + length));
    return true;
}

bool HidGetSerialNumber(DeviceFile* file, std::wstring& serial, uint32_t& error) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    error = HidFileError(file);
    if (error == 0 && FaultOn(bus, *file->device, Fault::Serial)) {
        error = VIRTUAL::kErrorGenFailure;
    }
    if (error != 0) {
        return false;
    }
    serial = file->device->spec.serial.substr(0, kSerialChars);
    return true;
}

}  // namespace XPL::PLATFORM
