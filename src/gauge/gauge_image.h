// One bitmap of a gauge (its background, an element's image or mask), read from a BMP file into
// 32-bit pixels, rows from the top, each pixel 0x00RRGGBB (bytes blue, green, red, 0: the layout
// of a 32-bit top-down DIB). The file is read as Windows' own loader reads it: every variant of
// the format it reads loads (see CBmpReader), the rest is refused with the reason.
//
// Bitmaps come with gauge files that users share, so reading one is bounded: a file above
// kMaxFileBytes, a picture wider or higher than kMaxDimension, or one that would take the
// document's budget of file bytes or pixels past its end is not loaded. A bitmap that does not
// load leaves the image empty (its element is drawn without it) and writes a level-1 trace line
// naming the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gauge/bmp_reader.h"

namespace XPL {

class CGaugeImage {
public:
    static constexpr int32_t kMaxDimension = CBmpReader::kMaxDimension;
    static constexpr size_t kMaxFileBytes = 4u * kMaxDimension * kMaxDimension + 65536;

    // What the bitmaps of one gauge may still take: a file read takes its size from fileBytes
    // (whether it then loads or not), so that no gauge has more read than its pictures need; a
    // loaded bitmap takes its pixels from pixels.
    struct Budget {
        uint64_t fileBytes = 0;
        uint64_t pixels = 0;
    };

    // Loads folder + "\" + fileName (a Windows path: backslashes, any letter case) and keeps the
    // axis and the alpha flag, within the budget when one is given. False, and nothing changes,
    // when the image already holds a bitmap.
    bool Load(std::wstring_view folder, std::wstring_view fileName, float axisX, float axisY,
              bool alpha, Budget* budget = nullptr);
    // Decodes a BMP file's bytes into the pixels (no trace line); false with the reason in error.
    bool Decode(std::string_view bytes, uint64_t* budget = nullptr, std::wstring* error = nullptr);

    bool HasBitmap() const { return width_ > 0; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Width × Height pixels, top row first.
    const std::vector<uint32_t>& Pixels() const { return pixels_; }
    // 0 outside the picture.
    uint32_t Pixel(int32_t x, int32_t y) const;
    // Tells pictures apart: a number no other decoded picture of the process had (copies keep
    // it); 0 while there is none.
    uint64_t Serial() const { return serial_; }

    // The file last given to Load, and why it did not load ("" when it did).
    const std::wstring& Path() const { return path_; }
    const std::wstring& Failure() const { return failure_; }

    // The pivot point in the picture, in pixels, and whether the picture is drawn the alpha way.
    float axisX = 0.0f;
    float axisY = 0.0f;
    uint8_t alpha = 0;

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint64_t serial_ = 0;
    std::vector<uint32_t> pixels_;
    std::wstring path_;
    std::wstring failure_;
};

}  // namespace XPL
