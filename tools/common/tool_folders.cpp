#include "tool_folders.h"

#include <system_error>

#include "glasslink/glasslink.h"
#include "platform/program.h"
#include "sim/utility.h"
#include "tool_text.h"

namespace XPL::TOOLS {

std::filesystem::path DefaultDataFolder(const std::filesystem::path& builtIn) {
    const std::filesystem::path program = PLATFORM::GetProgramFilePath();
    std::filesystem::path beside;
    if (!program.empty()) {
        beside = UTILITY::MakeFilePath(CGlasslink::DataFolderOf(WideOfPath(program)));
    }
    std::error_code error;
    if (!beside.empty() && std::filesystem::is_directory(beside, error)) {
        return beside;
    }
    return builtIn.empty() ? beside : builtIn;
}

}  // namespace XPL::TOOLS
