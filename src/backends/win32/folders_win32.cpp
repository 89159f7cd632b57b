// Folders seam: the file of the module holding this code, the public documents folder and the
// fonts folder.
#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "platform/folders.h"

namespace XPL::PLATFORM {

std::wstring GetModuleFilePath() {
    // The module that contains this function: win.xpl when shipped, the test program otherwise.
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&GetModuleFilePath), &module)) {
        return {};
    }
    // A result that fills the buffer may have been cut; grow until it fits (long paths).
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = ::GetModuleFileNameW(module, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return std::wstring(buffer.data(), length);
        }
        if (size >= 32768) {
            return {};
        }
        buffer.resize(size * 2);
    }
}

namespace {

bool GetKnownFolder(const KNOWNFOLDERID& id, std::wstring& folder, uint32_t& status) {
    PWSTR path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(id, 0, nullptr, &path);
    if (FAILED(result)) {
        ::CoTaskMemFree(path);
        status = static_cast<uint32_t>(result);
        return false;
    }
    folder = path;
    ::CoTaskMemFree(path);
    status = 0;
    return true;
}

}  // namespace

bool GetPublicDocumentsFolder(std::wstring& folder, uint32_t& status) {
    return GetKnownFolder(FOLDERID_PublicDocuments, folder, status);
}

bool GetFontsFolder(std::wstring& folder, uint32_t& status) {
    return GetKnownFolder(FOLDERID_Fonts, folder, status);
}

}  // namespace XPL::PLATFORM
