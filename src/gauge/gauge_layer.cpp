#include "gauge/gauge_layer.h"

#include <algorithm>
#include <cmath>

#include "gauge/gauge_canvas.h"
#include "gauge/gauge_image.h"

namespace XPL {

namespace {

// The cosine and sine of a turn in degrees; exact for whole quarter turns, so a needle turned
// by one lands on whole pixels.
void CosSin(double degrees, double& c, double& s) {
    const double quarters = degrees / 90.0;
    if (std::isfinite(quarters) && quarters == std::floor(quarters) && std::fabs(quarters) < 1e9) {
        static constexpr double kCos[] = {1.0, 0.0, -1.0, 0.0};
        static constexpr double kSin[] = {0.0, 1.0, 0.0, -1.0};
        const int quarter = static_cast<int>(static_cast<int64_t>(quarters) % 4 + 4) % 4;
        c = kCos[quarter];
        s = kSin[quarter];
        return;
    }
    const double radians = degrees * 3.14159265358979323846 / 180.0;
    c = std::cos(radians);
    s = std::sin(radians);
}

// v within [low, high]; NaN gives low.
double Within(double v, double low, double high) {
    return v >= low ? (v <= high ? v : high) : low;
}

}  // namespace

CGaugeLayer::Transform CGaugeLayer::Transform::Translated(double x, double y) const {
    Transform moved = *this;
    moved.dx += x;
    moved.dy += y;
    return moved;
}

CGaugeLayer::Transform CGaugeLayer::Transform::Rotated(double degrees) const {
    // Row vectors times [[c, -s], [s, c]]: counter-clockwise on a screen whose y points down.
    double c = 0.0;
    double s = 0.0;
    CosSin(degrees, c, s);
    Transform turned;
    turned.m11 = m11 * c + m12 * s;
    turned.m12 = -m11 * s + m12 * c;
    turned.m21 = m21 * c + m22 * s;
    turned.m22 = -m21 * s + m22 * c;
    turned.dx = dx * c + dy * s;
    turned.dy = -dx * s + dy * c;
    return turned;
}

CGaugeLayer::CGaugeLayer()
    : pixels_(static_cast<size_t>(CGaugeCanvas::kWidth) * CGaugeCanvas::kHeight) {}

void CGaugeLayer::Begin(int64_t originX, int64_t originY, uint32_t width, uint32_t height) {
    originX_ = originX;
    originY_ = originY;
    held_.left = std::max<int64_t>(0, -originX);
    held_.top = std::max<int64_t>(0, -originY);
    held_.right = std::min<int64_t>(width, CGaugeCanvas::kWidth - originX);
    held_.bottom = std::min<int64_t>(height, CGaugeCanvas::kHeight - originY);
    if (held_.Empty()) {
        held_ = Rect{};
    }
    stride_ = held_.right - held_.left;
    touched_ = Rect{};
}

void CGaugeLayer::Touch(const Rect& rect) {
    const auto clear = [this](int64_t y, int64_t left, int64_t right) {
        if (left < right) {
            std::fill(&At(left, y), &At(left, y) + (right - left), 0u);
        }
    };
    if (touched_.Empty()) {
        for (int64_t y = rect.top; y < rect.bottom; ++y) {
            clear(y, rect.left, rect.right);
        }
        touched_ = rect;
        return;
    }
    const Rect both{std::min(touched_.left, rect.left), std::min(touched_.top, rect.top),
                    std::max(touched_.right, rect.right), std::max(touched_.bottom, rect.bottom)};
    for (int64_t y = both.top; y < both.bottom; ++y) {
        if (y >= touched_.top && y < touched_.bottom) {
            clear(y, both.left, touched_.left);
            clear(y, touched_.right, both.right);
        } else {
            clear(y, both.left, both.right);
        }
    }
    touched_ = both;
}

void CGaugeLayer::Blit(const CGaugeImage& image, int64_t x, int64_t y, int64_t width,
                       int64_t height, int64_t sourceX, int64_t sourceY, uint32_t transparent) {
    if (!image.HasBitmap() || width <= 0 || height <= 0) {
        return;
    }
    // Layer pixel (column, row) takes image pixel (column + shiftX, row + shiftY).
    const int64_t shiftX = sourceX - x;
    const int64_t shiftY = sourceY - y;
    const Rect rect{std::max({x, held_.left, -shiftX}), std::max({y, held_.top, -shiftY}),
                    std::min({x + width, held_.right, image.Width() - shiftX}),
                    std::min({y + height, held_.bottom, image.Height() - shiftY})};
    if (rect.Empty()) {
        return;
    }
    Touch(rect);
    const uint32_t* pixels = image.Pixels().data();
    for (int64_t row = rect.top; row < rect.bottom; ++row) {
        const uint32_t* source = pixels + (row + shiftY) * image.Width() + (rect.left + shiftX);
        uint32_t* target = &At(rect.left, row);
        for (int64_t column = rect.left; column < rect.right; ++column, ++source, ++target) {
            if (*source != transparent) {
                *target = *source;
            }
        }
    }
}

void CGaugeLayer::BlitTurned(const CGaugeImage& image, int64_t width, int64_t height,
                             const Transform& transform) {
    width = std::min<int64_t>(width, image.Width());
    height = std::min<int64_t>(height, image.Height());
    const Transform& t = transform;
    const double determinant = t.m11 * t.m22 - t.m12 * t.m21;
    if (!image.HasBitmap() || width <= 0 || height <= 0 || held_.Empty() || !std::isfinite(t.m11) ||
        !std::isfinite(t.m12) || !std::isfinite(t.m21) || !std::isfinite(t.m22) ||
        !std::isfinite(t.dx) || !std::isfinite(t.dy) || !std::isfinite(determinant) ||
        determinant == 0.0) {
        return;
    }
    // The moved rectangle's bounds, held to the layer's before they become pixel positions.
    const double w = static_cast<double>(width);
    const double h = static_cast<double>(height);
    const double xs[] = {t.dx, w * t.m11 + t.dx, h * t.m21 + t.dx, w * t.m11 + h * t.m21 + t.dx};
    const double ys[] = {t.dy, w * t.m12 + t.dy, h * t.m22 + t.dy, w * t.m12 + h * t.m22 + t.dy};
    const auto [minX, maxX] = std::minmax({xs[0], xs[1], xs[2], xs[3]});
    const auto [minY, maxY] = std::minmax({ys[0], ys[1], ys[2], ys[3]});
    const auto floorIn = [](double v, int64_t from, int64_t to) {
        return static_cast<int64_t>(
            std::floor(Within(v, static_cast<double>(from), static_cast<double>(to))));
    };
    const auto ceilIn = [](double v, int64_t from, int64_t to) {
        return static_cast<int64_t>(
            std::ceil(Within(v, static_cast<double>(from), static_cast<double>(to))));
    };
    const Rect rect{floorIn(minX, held_.left, held_.right), floorIn(minY, held_.top, held_.bottom),
                    ceilIn(maxX, held_.left, held_.right), ceilIn(maxY, held_.top, held_.bottom)};
    if (rect.Empty()) {
        return;
    }
    Touch(rect);
    // The image point a layer pixel's centre comes from: (centre - d) times the inverse.
    const double i11 = t.m22 / determinant;
    const double i12 = -t.m12 / determinant;
    const double i21 = -t.m21 / determinant;
    const double i22 = t.m11 / determinant;
    const uint32_t* pixels = image.Pixels().data();
    const int64_t imageWidth = image.Width();
    for (int64_t row = rect.top; row < rect.bottom; ++row) {
        const double uy = static_cast<double>(row) + 0.5 - t.dy;
        uint32_t* target = &At(rect.left, row);
        for (int64_t column = rect.left; column < rect.right; ++column, ++target) {
            const double ux = static_cast<double>(column) + 0.5 - t.dx;
            const double px = ux * i11 + uy * i21;
            const double py = ux * i12 + uy * i22;
            if (px >= 0.0 && px < w && py >= 0.0 && py < h) {
                const uint32_t pixel =
                    pixels[static_cast<int64_t>(py) * imageWidth + static_cast<int64_t>(px)];
                if (pixel != 0) {
                    *target = pixel;
                }
            }
        }
    }
}

void CGaugeLayer::DrawOnto(CGaugeCanvas& canvas) const {
    for (int64_t row = touched_.top; row < touched_.bottom; ++row) {
        const uint32_t* source =
            pixels_.data() + (row - held_.top) * stride_ + (touched_.left - held_.left);
        uint8_t* target = canvas.At(originX_ + touched_.left, originY_ + row);
        for (int64_t column = touched_.left; column < touched_.right;
             ++column, ++source, target += 3) {
            if (*source != 0) {
                target[0] = static_cast<uint8_t>(*source);
                target[1] = static_cast<uint8_t>(*source >> 8);
                target[2] = static_cast<uint8_t>(*source >> 16);
            }
        }
    }
}

uint32_t CGaugeLayer::Pixel(int64_t x, int64_t y) const {
    if (x < touched_.left || x >= touched_.right || y < touched_.top || y >= touched_.bottom) {
        return 0;
    }
    return pixels_[static_cast<size_t>((y - held_.top) * stride_ + (x - held_.left))];
}

}  // namespace XPL
