// A screen picture as the virtual cockpit shows it: 320 by 240 pixels as the device received
// them (rows from the bottom, pixels blue, green, red), read from the top left and saved as PNG.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace XPL::SIMTOOL {

inline constexpr int kPictureWidth = 320;
inline constexpr int kPictureHeight = 240;

// The pixel at x from the left, y from the top as 0xRRGGBB; none when the picture is not whole or
// the pixel lies outside it.
std::optional<uint32_t> PixelOf(const std::vector<uint8_t>& picture, int x, int y);
// Writes the picture as an RGB PNG, top row first; false when it is not whole or the file cannot
// be written.
bool SavePicturePng(const std::vector<uint8_t>& picture, const std::filesystem::path& file);

}  // namespace XPL::SIMTOOL
