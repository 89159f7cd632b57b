// Program seam on Windows: the file of the process's executable module; the shell's default
// handler of http addresses.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <vector>

#include "platform/program.h"

namespace XPL::PLATFORM {

std::filesystem::path GetProgramFilePath() {
    // A result that fills the buffer may have been cut; grow until it fits (long paths).
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return std::filesystem::path(std::wstring(buffer.data(), length));
        }
        if (size >= 32768) {
            return {};
        }
        buffer.resize(size * 2);
    }
}

bool OpenInBrowser(const std::string& address) {
    const std::wstring wide(address.begin(), address.end());  // an http address is ASCII
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // ShellExecute reports success by a value above 32.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace XPL::PLATFORM
