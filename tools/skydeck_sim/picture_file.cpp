#include "picture_file.h"

#include "png_file.h"

namespace XPL::SIMTOOL {

namespace {

constexpr size_t kRowBytes = kPictureWidth * 3;
constexpr size_t kPictureBytes = kRowBytes * kPictureHeight;

size_t OffsetOf(int x, int y) {
    return static_cast<size_t>(kPictureHeight - 1 - y) * kRowBytes + static_cast<size_t>(x) * 3;
}

}  // namespace

std::optional<uint32_t> PixelOf(const std::vector<uint8_t>& picture, int x, int y) {
    if (picture.size() != kPictureBytes || x < 0 || x >= kPictureWidth || y < 0 ||
        y >= kPictureHeight) {
        return std::nullopt;
    }
    const uint8_t* bgr = picture.data() + OffsetOf(x, y);
    return (uint32_t{bgr[2]} << 16) | (uint32_t{bgr[1]} << 8) | uint32_t{bgr[0]};
}

bool SavePicturePng(const std::vector<uint8_t>& picture, const std::filesystem::path& file) {
    if (picture.size() != kPictureBytes) {
        return false;
    }
    std::vector<uint8_t> rgb(kPictureBytes);
    for (int y = 0; y < kPictureHeight; ++y) {
        for (int x = 0; x < kPictureWidth; ++x) {
            const uint8_t* bgr = picture.data() + OffsetOf(x, y);
            uint8_t* out = rgb.data() + static_cast<size_t>(y) * kRowBytes + size_t(x) * 3;
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
    }
    return TOOLS::WritePng(file, rgb.data(), kPictureWidth, kPictureHeight,
                           static_cast<int>(kRowBytes));
}

}  // namespace XPL::SIMTOOL
