// The screen panel's picture: 320 × 240 pixels stored exactly as the screen link sends them,
// 240 rows of 960 bytes from the bottom row up, each pixel blue, green, red. A gauge draws itself
// into it (CGaugeDocument::Draw) and the caller sends Bytes() as they are.
//
// A canvas also holds what drawing needs from one redraw to the next (an element's layer, the
// glyphs of the labels drawn so far), so a caller keeps one canvas per drawing thread and a redraw
// allocates nothing. A canvas is used by one thread at a time; the font it draws labels with is
// only read, so one font serves every canvas.
//
// Coordinates are pixels from the top-left corner, x to the right and y down. Every drawing call
// clips to the canvas: any position, however far outside, draws nothing there and never
// overflows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "gauge/gauge_font.h"
#include "gauge/gauge_layer.h"

namespace XPL {

class CGaugeImage;

class CGaugeCanvas {
public:
    static constexpr int32_t kWidth = 320;
    static constexpr int32_t kHeight = 240;
    static constexpr uint32_t kRowBytes = 3 * kWidth;
    static constexpr uint32_t kBytes = kRowBytes * kHeight;  // 230400
    // The colour left out of backgrounds and masks (RGB 1, 1, 1); element images and layers leave
    // out pure black.
    static constexpr uint32_t kBackgroundTransparent = 0x010101;

    // A black canvas drawing labels with font (none: labels are left out).
    explicit CGaugeCanvas(std::shared_ptr<const CGaugeFont> font = CGaugeFont::LabelFont());
    CGaugeCanvas(const CGaugeCanvas&) = delete;
    CGaugeCanvas& operator=(const CGaugeCanvas&) = delete;

    // The kBytes of the picture, bottom row first, pixels blue, green, red.
    const uint8_t* Bytes() const { return bytes_.data(); }
    // The pixel at (x, y) as 0xRRGGBB; 0 outside the canvas.
    uint32_t Pixel(int32_t x, int32_t y) const;
    // Sets one pixel (0xRRGGBB); nothing outside the canvas.
    void SetPixel(int32_t x, int32_t y, uint32_t rgb);
    // Every pixel black.
    void Clear();
    // Every pixel black, then the background image with its top-left corner at (x, y), its
    // RGB(1, 1, 1) left out. The result is kept, so the next call with the same picture at the
    // same place only copies it back.
    void DrawBackground(const CGaugeImage& image, int64_t x, int64_t y);

    // The whole image with its top-left corner at (x, y), pixels of the colour transparent left
    // out.
    void DrawImage(const CGaugeImage& image, int64_t x, int64_t y, uint32_t transparent);
    // One line of text in the colour colourRef (a COLORREF: 0x00BBGGRR), left-aligned and
    // vertically centred in the rectangle [left, right) × [top, bottom), clipped to it. "&" marks
    // the next character, which is underlined; "&&" is an "&". Nothing without a font or in an
    // empty rectangle. Glyphs are rasterised on first use and kept.
    void DrawText(int32_t left, int32_t top, int32_t right, int32_t bottom, std::wstring_view text,
                  uint32_t colourRef);

    const CGaugeFont* Font() const { return font_.get(); }
    // The scratch layer elements draw into.
    CGaugeLayer& Layer() { return layer_; }

private:
    friend class CGaugeLayer;  // puts its pixels straight into the rows

    // The bytes of the pixel at (x, y), which lies on the canvas.
    uint8_t* At(int64_t x, int64_t y) { return bytes_.data() + Offset(x, y); }
    const uint8_t* At(int64_t x, int64_t y) const { return bytes_.data() + Offset(x, y); }
    static size_t Offset(int64_t x, int64_t y) {
        return static_cast<size_t>(kHeight - 1 - y) * kRowBytes + static_cast<size_t>(x) * 3;
    }
    const CGaugeFont::Glyph& GlyphOf(char32_t code);
    // count pixels (0xRRGGBB) to consecutive canvas pixels from target, those of the colour
    // transparent left out.
    static void PutPixels(uint8_t* target, const uint32_t* source, int64_t count,
                          uint32_t transparent);

    std::vector<uint8_t> bytes_;
    // The last DrawBackground's result, and what it drew.
    std::vector<uint8_t> plate_;
    uint64_t plateSerial_ = 0;
    int64_t plateX_ = 0;
    int64_t plateY_ = 0;
    std::shared_ptr<const CGaugeFont> font_;
    CGaugeLayer layer_;
    // Glyphs drawn so far: Latin-1 by code, the rest by look-up.
    std::vector<CGaugeFont::Glyph> latinGlyphs_;
    std::vector<uint8_t> latinKnown_;
    std::map<char32_t, CGaugeFont::Glyph> otherGlyphs_;
};

}  // namespace XPL
