// BMP files made by the tests: any variant, byte by byte (Build), or a picture from a colour
// function (BmpFile).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace XPL::TEST {

// Written whole as given (the palette too, whatever the header says).
struct Bmp {
    uint32_t bits = 8;
    int32_t width = 3;
    int32_t height = 1;  // negative: top-down
    std::vector<uint32_t> palette;
    std::string pixels;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    uint32_t header = 40;         // 12: OS/2 1.x, its colours three bytes each
    std::vector<uint32_t> masks;  // right after a 40-byte header, inside a longer one
    int64_t offBits = -1;         // -1: the pixels' place
    int64_t dataBytes = -1;       // -1: the pixels' size when compressed
    std::string signature = "BM";
};

inline void Put(std::string& bytes, size_t at, size_t count, uint64_t value) {
    for (size_t i = 0; i < count && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
}

inline std::string Build(const Bmp& b) {
    const bool core = b.header == 12;
    std::string header(b.header, '\0');
    Put(header, 0, 4, b.header);
    Put(header, 4, core ? 2 : 4, static_cast<uint32_t>(b.width));
    Put(header, core ? 6 : 8, core ? 2 : 4, static_cast<uint32_t>(b.height));
    Put(header, core ? 8 : 12, 2, 1);
    Put(header, core ? 10 : 14, 2, b.bits);
    Put(header, 16, 4, b.compression);
    const bool compressed = b.compression == 1 || b.compression == 2;
    Put(header, 20, 4, b.dataBytes >= 0 ? b.dataBytes : compressed ? b.pixels.size() : 0);
    Put(header, 32, 4, b.coloursUsed);
    std::string tables(b.header <= 40 ? 4 * b.masks.size() : 0, '\0');
    for (size_t i = 0; i < b.masks.size(); ++i) {
        Put(b.header <= 40 ? tables : header, b.header <= 40 ? 4 * i : 40 + 4 * i, 4, b.masks[i]);
    }
    for (const uint32_t colour : b.palette) {
        const char entry[] = {char(colour), char(colour >> 8), char(colour >> 16), 0};
        tables.append(entry, core ? 3 : 4);
    }
    std::string file = b.signature + std::string(12, '\0') + header + tables;
    Put(file, 10, 4, b.offBits >= 0 ? static_cast<uint64_t>(b.offBits) : file.size());
    return file + b.pixels;
}

// 8 (a grey palette: the colour's blue byte picks the grey), 24 or 32 bits per pixel;
// colour(x, y) gives 0x00RRGGBB.
inline std::string BmpFile(int32_t width, int32_t height, int bits, bool topDown,
                           const std::function<uint32_t(int32_t, int32_t)>& colour) {
    Bmp bmp{static_cast<uint32_t>(bits), width, topDown ? -height : height};
    for (uint32_t i = 0; bits == 8 && i < 256; ++i) {
        bmp.palette.push_back(i * 0x010101);
    }
    for (int32_t row = 0; row < height; ++row) {
        std::string line;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = colour(x, topDown ? row : height - 1 - row);
            const char pixel[] = {char(c), char(c >> 8), char(c >> 16), 0};
            line.append(pixel, static_cast<size_t>(bits / 8));
        }
        line.resize((line.size() + 3) & ~size_t{3}, '\0');
        bmp.pixels += line;
    }
    return Build(bmp);
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace XPL::TEST
