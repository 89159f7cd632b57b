#include "gauge/gauge_canvas.h"

#include <algorithm>
#include <cstring>

#include "gauge/gauge_image.h"
#include "glasslink/glasslink_screen.h"

namespace XPL {

static_assert(CGaugeCanvas::kBytes == CGlasslinkScreen::kImageBytes,
              "the canvas is the screen link's picture, sent as it is");

namespace {

void Put(uint8_t* bgr, uint32_t rgb) {
    bgr[0] = static_cast<uint8_t>(rgb);
    bgr[1] = static_cast<uint8_t>(rgb >> 8);
    bgr[2] = static_cast<uint8_t>(rgb >> 16);
}

// The next code point of text from at, which moves past it; a UTF-16 surrogate pair is one.
char32_t NextCode(std::wstring_view text, size_t& at) {
    char32_t code = static_cast<char32_t>(text[at++]);
    if (code >= 0xD800 && code <= 0xDBFF && at < text.size()) {
        const char32_t low = static_cast<char32_t>(text[at]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++at;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return code;
}

}  // namespace

CGaugeCanvas::CGaugeCanvas(std::shared_ptr<const CGaugeFont> font)
    : bytes_(kBytes, 0),
      plate_(kBytes, 0),
      font_(std::move(font)),
      latinGlyphs_(256),
      latinKnown_(256, 0) {}

uint32_t CGaugeCanvas::Pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) {
        return 0;
    }
    const uint8_t* bgr = At(x, y);
    return (uint32_t{bgr[2]} << 16) | (uint32_t{bgr[1]} << 8) | uint32_t{bgr[0]};
}

void CGaugeCanvas::SetPixel(int32_t x, int32_t y, uint32_t rgb) {
    if (x >= 0 && y >= 0 && x < kWidth && y < kHeight) {
        Put(At(x, y), rgb);
    }
}

void CGaugeCanvas::Clear() {
    std::memset(bytes_.data(), 0, bytes_.size());
}

void CGaugeCanvas::DrawBackground(const CGaugeImage& image, int64_t x, int64_t y) {
    // A picture without a bitmap (serial 0) draws nothing: the kept plate is then all black.
    if (image.Serial() != plateSerial_ || x != plateX_ || y != plateY_) {
        Clear();
        DrawImage(image, x, y, kBackgroundTransparent);
        std::memcpy(plate_.data(), bytes_.data(), kBytes);
        plateSerial_ = image.Serial();
        plateX_ = x;
        plateY_ = y;
        return;
    }
    std::memcpy(bytes_.data(), plate_.data(), kBytes);
}

void CGaugeCanvas::DrawImage(const CGaugeImage& image, int64_t x, int64_t y, uint32_t transparent) {
    const int64_t width = image.Width();
    const int64_t height = image.Height();
    // Compared before adding, so no position overflows.
    if (!image.HasBitmap() || x >= kWidth || y >= kHeight || x <= -width || y <= -height) {
        return;
    }
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t right = std::min<int64_t>(x + width, kWidth);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t bottom = std::min<int64_t>(y + height, kHeight);
    const uint32_t* pixels = image.Pixels().data();
    for (int64_t row = top; row < bottom; ++row) {
        PutPixels(At(left, row), pixels + (row - y) * width + (left - x), right - left,
                  transparent);
    }
}

void CGaugeCanvas::PutPixels(uint8_t* target, const uint32_t* source, int64_t count,
                             uint32_t transparent) {
    int64_t i = 0;
    // Four pixels that all show are packed into 12 bytes and stored in two writes.
    for (; i + 4 <= count; i += 4, source += 4, target += 12) {
        const uint64_t p0 = source[0] & 0xFFFFFF;
        const uint64_t p1 = source[1] & 0xFFFFFF;
        const uint64_t p2 = source[2] & 0xFFFFFF;
        const uint32_t p3 = source[3] & 0xFFFFFF;
        if (source[0] != transparent && source[1] != transparent && source[2] != transparent &&
            source[3] != transparent) {
            const uint64_t low = p0 | (p1 << 24) | (p2 << 48);
            const uint32_t high = static_cast<uint32_t>(p2 >> 16) | (p3 << 8);
            std::memcpy(target, &low, sizeof low);
            std::memcpy(target + 8, &high, sizeof high);
            continue;
        }
        for (int k = 0; k < 4; ++k) {
            if (source[k] != transparent) {
                Put(target + 3 * k, source[k]);
            }
        }
    }
    for (; i < count; ++i, ++source, target += 3) {
        if (*source != transparent) {
            Put(target, *source);
        }
    }
}

const CGaugeFont::Glyph& CGaugeCanvas::GlyphOf(char32_t code) {
    if (code < latinGlyphs_.size()) {
        if (latinKnown_[code] == 0) {
            latinGlyphs_[code] = font_->Rasterise(code);
            latinKnown_[code] = 1;
        }
        return latinGlyphs_[code];
    }
    const auto found = otherGlyphs_.find(code);
    if (found != otherGlyphs_.end()) {
        return found->second;
    }
    return otherGlyphs_.emplace(code, font_->Rasterise(code)).first->second;
}

void CGaugeCanvas::DrawText(int32_t left, int32_t top, int32_t right, int32_t bottom,
                            std::wstring_view text, uint32_t colourRef) {
    const int64_t clipLeft = std::max<int64_t>(left, 0);
    const int64_t clipRight = std::min<int64_t>(right, kWidth);
    const int64_t clipTop = std::max<int64_t>(top, 0);
    const int64_t clipBottom = std::min<int64_t>(bottom, kHeight);
    if (font_ == nullptr || clipLeft >= clipRight || clipTop >= clipBottom) {
        return;
    }
    const uint32_t rgb =
        ((colourRef & 0xFF) << 16) | (colourRef & 0xFF00) | ((colourRef >> 16) & 0xFF);
    // The cell of one line centred in the rectangle; the division truncates as the system's does.
    const int64_t cellTop =
        int64_t{top} + (int64_t{bottom} - int64_t{top} - CGaugeFont::kCellHeight) / 2;
    const int64_t baseline = cellTop + font_->Ascent();
    const auto plot = [&](int64_t x, int64_t y) {
        if (x >= clipLeft && x < clipRight && y >= clipTop && y < clipBottom) {
            Put(At(x, y), rgb);
        }
    };
    int64_t pen = left;
    size_t at = 0;
    // No glyph reaches further left of its pen than a few cells, so drawing stops past that.
    while (at < text.size() && pen < clipRight + 4 * CGaugeFont::kCellHeight) {
        char32_t code = NextCode(text, at);
        bool underline = false;
        if (code == U'&') {
            if (at >= text.size()) {
                break;  // a lone "&" at the end shows nothing
            }
            code = NextCode(text, at);
            underline = code != U'&';
        }
        const CGaugeFont::Glyph& glyph = GlyphOf(code);
        const uint8_t* on = glyph.on.data();
        for (int32_t y = 0; y < glyph.height; ++y) {
            for (int32_t x = 0; x < glyph.width; ++x) {
                if (*on++ != 0) {
                    plot(pen + glyph.left + x, baseline + glyph.top + y);
                }
            }
        }
        if (underline) {
            for (int32_t x = 0; x < glyph.advance; ++x) {
                plot(pen + x, baseline + font_->UnderlineOffset());
            }
        }
        pen += glyph.advance;
    }
}

}  // namespace XPL
