// BMP files made by the tests: uncompressed, 8 (greyscale palette), 24 or 32 bits per pixel,
// stored bottom-up or top-down.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace XPL::TEST {

// colour(x, y) gives 0x00RRGGBB; with 8 bits its blue byte picks the grey of the palette.
inline std::string BmpFile(int32_t width, int32_t height, int bits, bool topDown,
                           const std::function<uint32_t(int32_t, int32_t)>& colour) {
    const uint32_t paletteBytes = bits == 8 ? 1024 : 0;
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * bits / 8 + 3) & ~3u;
    const uint32_t offset = 14 + 40 + paletteBytes;
    const uint32_t size = offset + rowBytes * static_cast<uint32_t>(height);
    std::string bytes;
    const auto put = [&bytes](uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    bytes += "BM";
    put(size, 4);
    put(0, 4);
    put(offset, 4);
    put(40, 4);
    put(static_cast<uint32_t>(width), 4);
    put(static_cast<uint32_t>(topDown ? -height : height), 4);
    put(1, 2);
    put(static_cast<uint32_t>(bits), 2);
    put(0, 4);
    put(rowBytes * static_cast<uint32_t>(height), 4);
    put(3200, 4);
    put(3200, 4);
    put(bits == 8 ? 256 : 0, 4);
    put(0, 4);
    for (uint32_t i = 0; i < paletteBytes / 4; ++i) {
        put(i | (i << 8) | (i << 16), 4);
    }
    for (int32_t row = 0; row < height; ++row) {
        const int32_t y = topDown ? row : height - 1 - row;
        std::string line;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            if (bits == 8) {
                line += static_cast<char>(c & 0xFF);
            } else {
                line += static_cast<char>(c & 0xFF);
                line += static_cast<char>((c >> 8) & 0xFF);
                line += static_cast<char>((c >> 16) & 0xFF);
                if (bits == 32) {
                    line += '\0';
                }
            }
        }
        line.resize(rowBytes, '\0');
        bytes += line;
    }
    return bytes;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace XPL::TEST
