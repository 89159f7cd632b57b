// HID seam: the HID class calls on an open device, over hid.dll.
#include <windows.h>

// This header declares no C linkage of its own.
extern "C" {
#include <hidsdi.h>  // with <hidusage.h> and <hidpi.h>, in the order they need
}

#include <cstring>
#include <vector>

#include "backends/win32/device_file_win32.h"
#include "platform/device_file.h"
#include "platform/hid.h"

namespace XPL::PLATFORM {

namespace {

PHIDP_PREPARSED_DATA ToOs(HidPreparsedData* data) {
    return reinterpret_cast<PHIDP_PREPARSED_DATA>(data);
}

constexpr ULONG kSerialChars = 127;
constexpr ULONG kSerialBytes = 252;
constexpr uint32_t kLocalFeatureBytes = 64;

}  // namespace

bool HidGetAttributes(DeviceFile* file, HidAttributes& attributes) {
    if (file == nullptr) {
        return false;
    }
    HIDD_ATTRIBUTES os{};
    os.Size = sizeof(os);
    if (!::HidD_GetAttributes(file->handle, &os)) {
        return false;
    }
    attributes.vendorId = os.VendorID;
    attributes.productId = os.ProductID;
    attributes.versionNumber = os.VersionNumber;
    return true;
}

HidPreparsedData* HidGetPreparsedData(DeviceFile* file, uint32_t& error) {
    if (file == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    PHIDP_PREPARSED_DATA data = nullptr;
    if (!::HidD_GetPreparsedData(file->handle, &data)) {
        error = ::GetLastError();
        return nullptr;
    }
    error = 0;
    return reinterpret_cast<HidPreparsedData*>(data);
}

void HidFreePreparsedData(HidPreparsedData* data) {
    if (data != nullptr) {
        ::HidD_FreePreparsedData(ToOs(data));
    }
}

uint32_t HidMaxButtonUsages(HidPreparsedData* data) {
    return ::HidP_MaxUsageListLength(HidP_Input, kButtonUsagePage, ToOs(data));
}

uint32_t HidGetCaps(HidPreparsedData* data, HidCaps& caps) {
    HIDP_CAPS os{};
    const NTSTATUS status = ::HidP_GetCaps(ToOs(data), &os);
    if (static_cast<uint32_t>(status) == kHidpStatusSuccess) {
        caps.inputReportLength = os.InputReportByteLength;
        caps.featureReportLength = os.FeatureReportByteLength;
    }
    return static_cast<uint32_t>(status);
}

uint32_t HidGetButtonUsages(HidPreparsedData* data, const uint8_t* report, uint32_t reportLength,
                            uint16_t* usages, uint32_t& count) {
    ULONG length = count;
    // The report is only read; the OS declares it non-const.
    const NTSTATUS status =
        ::HidP_GetUsages(HidP_Input, kButtonUsagePage, 0, usages, &length, ToOs(data),
                         reinterpret_cast<PCHAR>(const_cast<uint8_t*>(report)), reportLength);
    count = length;
    return static_cast<uint32_t>(status);
}

bool HidSetFeature(DeviceFile* file, const uint8_t* report, uint32_t length, uint32_t& error) {
    if (file == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (report == nullptr && length != 0) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    // The OS takes the report as non-const. Feature reports are sent as lamps change, so the
    // usual short ones are copied without touching the heap.
    uint8_t local[kLocalFeatureBytes];
    std::vector<uint8_t> large;
    uint8_t* buffer = local;
    if (length > kLocalFeatureBytes) {
        large.assign(report, report + length);
        buffer = large.data();
    } else if (length != 0) {
        std::memcpy(local, report, length);
    }
    if (!::HidD_SetFeature(file->handle, buffer, length)) {
        error = ::GetLastError();
        return false;
    }
    error = 0;
    return true;
}

bool HidGetSerialNumber(DeviceFile* file, std::wstring& serial, uint32_t& error) {
    if (file == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    wchar_t buffer[kSerialChars] = {};
    if (!::HidD_GetSerialNumberString(file->handle, buffer, kSerialBytes)) {
        error = ::GetLastError();
        return false;
    }
    error = 0;
    serial = buffer;  // 252 bytes leave the last character zero
    return true;
}

}  // namespace XPL::PLATFORM
