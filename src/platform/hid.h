// Seam: device interfaces and HID devices. The backend maps each call onto the OS and back;
// what a result means is decided by the caller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace XPL::PLATFORM {

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
    friend bool operator==(const Guid&, const Guid&) = default;
};

// The HID interface class {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr Guid kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// One present interface, in the OS's enumeration order.
struct InterfaceEntry {
    uint32_t requiredDetailBytes = 0;  // byte size the OS asks for the path record; 0 skips it
    uint32_t detailError = 0;          // non-zero: reading the path record failed with this error
    std::wstring path;                 // device interface path as the OS spells it
    std::wstring physicalName;         // physical device object name; empty when absent
};

struct InterfaceList {
    uint32_t classError = 0;  // non-zero: the class could not be listed (OS error code)
    std::vector<InterfaceEntry> entries;
};

// Lists the present interfaces of one interface class.
InterfaceList ListInterfaces(const Guid& interfaceClass);

// HID class calls on a device opened with OpenDevice (device_file.h).
struct DeviceFile;
struct HidPreparsedData;

inline constexpr uint32_t kHidpStatusSuccess = 0x110000;
inline constexpr uint16_t kButtonUsagePage = 0x09;

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

struct HidCaps {
    uint16_t inputReportLength = 0;
    uint16_t featureReportLength = 0;
};

// HidD_GetAttributes; false on failure.
bool HidGetAttributes(DeviceFile* file, HidAttributes& attributes);
// HidD_GetPreparsedData; null on failure with the OS error in error.
HidPreparsedData* HidGetPreparsedData(DeviceFile* file, uint32_t& error);
void HidFreePreparsedData(HidPreparsedData* data);
// HidP_MaxUsageListLength for input reports of the Button page.
uint32_t HidMaxButtonUsages(HidPreparsedData* data);
// HidP_GetCaps; returns the HIDP status (kHidpStatusSuccess on success).
uint32_t HidGetCaps(HidPreparsedData* data, HidCaps& caps);
// HidP_GetUsages for input reports of the Button page, link collection 0: the usages that are
// on. count: in, the room in usages; out, the number stored. Returns the HIDP status.
uint32_t HidGetButtonUsages(HidPreparsedData* data, const uint8_t* report, uint32_t reportLength,
                            uint16_t* usages, uint32_t& count);
// HidD_SetFeature; false on failure with the OS error in error.
bool HidSetFeature(DeviceFile* file, const uint8_t* report, uint32_t length, uint32_t& error);
// HidD_GetSerialNumberString into 127 wide characters (252 bytes); false on failure.
bool HidGetSerialNumber(DeviceFile* file, std::wstring& serial, uint32_t& error);

}  // namespace XPL::PLATFORM
