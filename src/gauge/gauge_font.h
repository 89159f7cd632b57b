// The typeface of the panel buttons' labels: a TrueType font rasterised with stb_truetype at a
// cell height of 18 pixels, one bit per pixel (a pixel is on when the outline covers at least half
// of it, so text is never smoothed into the picture's colours).
//
// The system's labels use Arial from the system's fonts folder, or where that has none Liberation
// Sans (metrically the same face). A loaded font is only read afterwards, so one font serves every
// drawing thread; the glyphs each thread draws are cached by its canvas.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace XPL {

class CGaugeFont {
public:
    static constexpr int32_t kCellHeight = 18;
    // Tried in this order in the fonts folder.
    static constexpr const wchar_t* kFileNames[] = {L"arial.ttf", L"LiberationSans-Regular.ttf"};

    // One glyph as drawn: its bitmap's place relative to the pen on the baseline (y down), its
    // on/off pixels (width × height, rows from the top) and how far it moves the pen.
    struct Glyph {
        int32_t left = 0;
        int32_t top = 0;
        int32_t width = 0;
        int32_t height = 0;
        int32_t advance = 0;
        std::vector<uint8_t> on;
    };

    CGaugeFont();
    ~CGaugeFont();
    CGaugeFont(const CGaugeFont&) = delete;
    CGaugeFont& operator=(const CGaugeFont&) = delete;

    // Reads a TrueType file; false with the reason in error. Only a font that loaded is used.
    bool Load(const std::filesystem::path& file, std::wstring* error = nullptr);

    // The labels' font of this system, loaded from the fonts folder the first time it is asked
    // for and shared from then on; null when there is none, which was told once in a level-1
    // trace line.
    static std::shared_ptr<const CGaugeFont> LabelFont();
    // The same look-up made afresh each call (a level-1 trace line each time it finds nothing).
    static std::shared_ptr<const CGaugeFont> LoadLabelFont();

    // Pixels from the top of the text cell to the baseline.
    int32_t Ascent() const { return ascent_; }
    // Rows below the baseline of the line under a character that a label marks with "&".
    int32_t UnderlineOffset() const { return underlineOffset_; }
    // The glyph of a Unicode code point (the font's missing-glyph shape when it has none).
    // Rasterising allocates; callers keep what they draw again.
    Glyph Rasterise(char32_t code) const;

private:
    struct Face;
    std::unique_ptr<Face> face_;
    int32_t ascent_ = 0;
    int32_t underlineOffset_ = 1;
};

}  // namespace XPL
