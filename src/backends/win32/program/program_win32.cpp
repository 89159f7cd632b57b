// Program seam on Windows: the file of the process's executable module.
#include <windows.h>

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

}  // namespace XPL::PLATFORM
