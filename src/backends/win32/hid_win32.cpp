// HID seam: device interface enumeration over SetupAPI.
#include <windows.h>

#include <setupapi.h>

#include <vector>

#include "platform/hid.h"

namespace XPL::PLATFORM {

namespace {

GUID ToOsGuid(const Guid& guid) {
    GUID os{guid.data1, guid.data2, guid.data3, {}};
    for (int i = 0; i < 8; ++i) {
        os.Data4[i] = guid.data4[i];
    }
    return os;
}

// The physical device object name of a device; empty when it has none.
std::wstring ReadPhysicalName(HDEVINFO set, SP_DEVINFO_DATA& info) {
    DWORD bytes = 0;
    ::SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, nullptr,
                                        nullptr, 0, &bytes);
    if (bytes == 0) {
        return {};
    }
    // One spare character so the text is terminated even if the stored value is not.
    std::vector<wchar_t> name(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, nullptr,
                                             reinterpret_cast<PBYTE>(name.data()), bytes,
                                             nullptr)) {
        return {};
    }
    return name.data();
}

}  // namespace

InterfaceList ListInterfaces(const Guid& interfaceClass) {
    InterfaceList list;
    const GUID classGuid = ToOsGuid(interfaceClass);
    HDEVINFO set =
        ::SetupDiGetClassDevsW(&classGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        list.classError = ::GetLastError();
        return list;
    }
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof(data);
        if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &classGuid, index, &data)) {
            break;
        }
        InterfaceEntry& entry = list.entries.emplace_back();
        DWORD required = 0;
        ::SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr);
        entry.requiredDetailBytes = required;
        if (required == 0) {
            continue;
        }
        // DWORD elements keep the detail record aligned; zero-filled so the path is terminated.
        std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD) + 1, 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof(info);
        if (!::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, &info)) {
            entry.detailError = ::GetLastError();
            continue;
        }
        entry.path = detail->DevicePath;
        entry.physicalName = ReadPhysicalName(set, info);
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return list;
}

}  // namespace XPL::PLATFORM
