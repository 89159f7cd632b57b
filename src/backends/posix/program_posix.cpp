// Program seam on Linux: the kernel's link to the running executable.
#include <system_error>

#include "platform/program.h"

namespace XPL::PLATFORM {

std::filesystem::path GetProgramFilePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

}  // namespace XPL::PLATFORM
