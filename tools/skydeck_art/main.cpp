// skydeck-art: draws the sample gauges' bitmaps into FOLDER (data/gauges/1024 in the source
// tree, where the generated files are kept, so an install needs no build step).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "gauge_art.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: skydeck-art FOLDER\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& [name, canvas] : XPL::ARTTOOL::MakeGaugeArt()) {
        std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
        file << canvas.Bmp();
        if (!file.flush()) {
            std::fprintf(stderr, "skydeck-art: cannot write %s\n", (folder / name).c_str());
            return 1;
        }
    }
    return 0;
}
