// Program seam on Linux: the kernel's link to the running executable; arguments and the console
// are UTF-8 already.
#include <system_error>

#include "platform/program.h"

namespace XPL::PLATFORM {

std::filesystem::path GetProgramFilePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

std::vector<std::string> GetProgramArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void UseUtf8Console() {}

}  // namespace XPL::PLATFORM
