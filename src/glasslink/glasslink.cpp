#include "glasslink/glasslink.h"

#include "platform/folders.h"
#include "trace/trace.h"

namespace XPL {

namespace {

// Drops the last component of a Windows-style path, as PathRemoveFileSpecW does: "a\b\c" gives
// "a\b", "a\b\" gives "a\b", a lone component gives "".
void RemoveFileSpec(std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        path.clear();
    } else if (separator == 0 || (separator == 2 && path[1] == L':')) {
        path.resize(separator + 1);  // keep the root ("\" or "C:\")
    } else {
        path.resize(separator);
    }
}

}  // namespace

CGlasslink::CGlasslink(const std::wstring& path) : devicePath(path) {
    CTraceScope scope(TRACEKW::kGlasslink, "XPL::CGlasslink::CGlasslink");
}

bool CGlasslink::GetConfigureFilePath(std::wstring& folder) {
    CTraceScope scope(TRACEKW::kGlasslink, "XPL::CGlasslink::GetConfigureFilePath");
    folder = DataFolderOf(PLATFORM::GetModuleFilePath());
    return true;
}

std::wstring CGlasslink::DataFolderOf(const std::wstring& moduleFile) {
    std::wstring folder = moduleFile;
    RemoveFileSpec(folder);  // the module file
    RemoveFileSpec(folder);  // the "64" folder that holds it
    folder += L"\\data\\";
    return folder;
}

bool CGlasslink::OpenOverlappedDevice(PLATFORM::DeviceFile*& handle) const {
    PLATFORM::CloseDevice(handle);
    uint32_t error = 0;
    handle = PLATFORM::OpenDevice(devicePath, true, error);
    if (handle == nullptr) {
        TraceWrite(kTraceFailure, TRACEKW::kGlasslink, kTraceMessage,
                   L"Failed in creating the overlapped device %s due to %d", devicePath, error);
        return false;
    }
    return true;
}

}  // namespace XPL
