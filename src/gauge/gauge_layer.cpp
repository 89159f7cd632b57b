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

// How far the interval of a turned image's row is widened beyond its computed ends.
constexpr double kMargin = 1.0 / 1024.0;

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
    : spans_(CGaugeCanvas::kHeight),
      pixels_(static_cast<size_t>(CGaugeCanvas::kWidth) * CGaugeCanvas::kHeight) {}

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
    firstRow_ = held_.top;
    endRow_ = held_.top;
}

void CGaugeLayer::Touch(int64_t row, int64_t left, int64_t right) {
    if (firstRow_ == endRow_) {
        firstRow_ = row;
        endRow_ = row;
    }
    // Rows that join the drawn range start with nothing drawn.
    for (; row < firstRow_; --firstRow_) {
        SpanOf(firstRow_ - 1) = Span{};
    }
    for (; row >= endRow_; ++endRow_) {
        SpanOf(endRow_) = Span{};
    }
    Span& span = SpanOf(row);
    if (span.left >= span.right) {
        span = Span{left, left};
    }
    if (left < span.left) {
        std::fill(At(left, row), At(span.left, row), 0u);
        span.left = left;
    }
    if (right > span.right) {
        std::fill(At(span.right, row), At(right, row), 0u);
        span.right = right;
    }
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
    const uint32_t* pixels = image.Pixels().data();
    for (int64_t row = rect.top; row < rect.bottom; ++row) {
        Touch(row, rect.left, rect.right);
        const uint32_t* source = pixels + (row + shiftY) * image.Width() + (rect.left + shiftX);
        uint32_t* target = At(rect.left, row);
        const int64_t count = rect.right - rect.left;
        // A select rather than a branch, so the loop runs on vectors.
        for (int64_t i = 0; i < count; ++i) {
            target[i] = source[i] != transparent ? source[i] : target[i];
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
    // The rows the moved rectangle spans, held to the layer's before they become positions.
    const double w = static_cast<double>(width);
    const double h = static_cast<double>(height);
    const double ys[] = {t.dy, w * t.m12 + t.dy, h * t.m22 + t.dy, w * t.m12 + h * t.m22 + t.dy};
    const auto [minY, maxY] = std::minmax({ys[0], ys[1], ys[2], ys[3]});
    const double top = static_cast<double>(held_.top);
    const double bottom = static_cast<double>(held_.bottom);
    const int64_t firstRow = static_cast<int64_t>(std::floor(Within(minY, top, bottom)));
    const int64_t endRow = static_cast<int64_t>(std::ceil(Within(maxY, top, bottom)));
    // A layer pixel's centre (x, y) comes from the image point ((x, y) - d) times the inverse:
    // px = (x - dx)·i11 + (y - dy)·i21, py = (x - dx)·i12 + (y - dy)·i22.
    const double i11 = t.m22 / determinant;
    const double i12 = -t.m12 / determinant;
    const double i21 = -t.m21 / determinant;
    const double i22 = t.m11 / determinant;
    const uint32_t* pixels = image.Pixels().data();
    const int64_t imageWidth = image.Width();
    const double left = static_cast<double>(held_.left);
    const double right = static_cast<double>(held_.right);
    // Along a row, image x is a·ux + b with a = i11 and image y is c·ux + d with c = i12: the
    // centres whose image point lies in [0, w) × [0, h) form an interval of ux.
    const double reciprocalX = i11 != 0.0 ? 1.0 / i11 : 0.0;
    const double reciprocalY = i12 != 0.0 ? 1.0 / i12 : 0.0;
    for (int64_t row = firstRow; row < endRow; ++row) {
        const double uy = static_cast<double>(row) + 0.5 - t.dy;
        // Widened by far more than any rounding, so the exact test below decides the edges.
        double low = left - 1.0 - t.dx;
        double high = right + 1.0 - t.dx;
        const auto narrow = [&low, &high](double a, double reciprocal, double b, double limit) {
            if (a == 0.0) {
                if (!(b >= 0.0 && b < limit)) {
                    high = low - 1.0;  // nothing on this row
                }
                return;
            }
            const double from = -b * reciprocal;
            const double to = (limit - b) * reciprocal;
            low = std::max(low, std::min(from, to) - kMargin);
            high = std::min(high, std::max(from, to) + kMargin);
        };
        const double bx = uy * i21;
        const double by = uy * i22;
        narrow(i11, reciprocalX, bx, w);
        narrow(i12, reciprocalY, by, h);
        if (!(low <= high)) {
            continue;
        }
        // Both lie in [held_.left, held_.right], at or above 0, so truncating is flooring.
        const double firstCentre = Within(low + t.dx - 0.5, left, right);
        const double endCentre = Within(high + t.dx - 0.5, left, right);
        const int64_t first = static_cast<int64_t>(firstCentre);
        int64_t end = static_cast<int64_t>(endCentre);
        end += static_cast<double>(end) < endCentre ? 1 : 0;
        if (first >= end) {
            continue;
        }
        Touch(row, first, end);
        uint32_t* target = At(first, row);
        const double ux = static_cast<double>(first) + 0.5 - t.dx;
        for (int64_t k = 0; k < end - first; ++k) {
            const double px = (ux + static_cast<double>(k)) * i11 + bx;
            const double py = (ux + static_cast<double>(k)) * i12 + by;
            if (px >= 0.0 && px < w && py >= 0.0 && py < h) {
                const uint32_t pixel =
                    pixels[static_cast<int64_t>(py) * imageWidth + static_cast<int64_t>(px)];
                target[k] = pixel != 0 ? pixel : target[k];
            }
        }
    }
}

void CGaugeLayer::DrawOnto(CGaugeCanvas& canvas) const {
    for (int64_t row = firstRow_; row < endRow_; ++row) {
        const Span& span = SpanOf(row);
        if (span.left >= span.right) {
            continue;
        }
        CGaugeCanvas::PutPixels(canvas.At(originX_ + span.left, originY_ + row), At(span.left, row),
                                span.right - span.left, 0);
    }
}

uint32_t CGaugeLayer::Pixel(int64_t x, int64_t y) const {
    if (y < firstRow_ || y >= endRow_ || x < SpanOf(y).left || x >= SpanOf(y).right) {
        return 0;
    }
    return *At(x, y);
}

}  // namespace XPL
