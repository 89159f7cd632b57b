// Pictures the tools save, as PNG files.
#pragma once

#include <cstdint>
#include <filesystem>

namespace XPL::TOOLS {

// Writes width × height RGB pixels (3 bytes each, rows of rowBytes from the top) as a PNG file,
// replacing one that is there; the file is opened by its path (wide on Windows), so any name
// the file system takes works. False when the picture cannot be encoded or the file cannot be
// written.
bool WritePng(const std::filesystem::path& file, const uint8_t* rgb, int width, int height,
              int rowBytes);

}  // namespace XPL::TOOLS
