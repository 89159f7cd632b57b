// skydeck-art: draws the sample gauges' bitmaps into FOLDER (data/gauges/1024 in the source
// tree, where the generated files are kept, so an install needs no build step).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "gauge_art.h"

int main(int argc, char** argv) {
    namespace TOOLS = XPL::TOOLS;
    const TOOLS::CToolUsage usage("skydeck-art", "usage: skydeck-art FOLDER\n");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const TOOLS::CommandLine line = TOOLS::ParseCommandLine(arguments, {});
    if (const auto status = usage.Answered(line, std::cout, std::cerr)) {
        return *status;
    }
    const std::vector<std::string> operands = line.Operands();
    if (operands.size() != 1) {
        return usage.Error(std::cerr, operands.empty() ? TOOLS::MissingArgument("FOLDER")
                                                       : TOOLS::UnexpectedArgument(operands[1]));
    }
    const std::filesystem::path folder = operands[0];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& [name, canvas] : XPL::ARTTOOL::MakeGaugeArt()) {
        std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
        file << canvas.Bmp();
        if (!file.flush()) {
            std::cerr << "skydeck-art: cannot write " << (folder / name).string() << "\n";
            return 1;
        }
    }
    return 0;
}
