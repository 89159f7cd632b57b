#include "art_canvas.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace XPL::ARTTOOL {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 4;  // per axis and pixel

// The stroke font: polylines on a grid 4 wide and 6 high, y pointing down; a break between
// polylines is a point with x < 0.
using Glyph = std::vector<Point>;
constexpr Point kBreak{-1, -1};

const std::map<char, Glyph>& Glyphs() {
    static const std::map<char, Glyph> glyphs = {
        {'0', {{1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}}},
        {'1', {{1, 1}, {2, 0}, {2, 6}, kBreak, {1, 6}, {3, 6}}},
        {'2', {{0, 1}, {1, 0}, {3, 0}, {4, 1}, {4, 2}, {0, 6}, {4, 6}}},
        {'3', {{0, 0}, {4, 0}, {2, 2.5}, {3, 2.5}, {4, 3.5}, {4, 5}, {3, 6}, {1, 6}, {0, 5}}},
        {'4', {{3, 6}, {3, 0}, {0, 4}, {4, 4}}},
        {'5', {{4, 0}, {0, 0}, {0, 2.5}, {3, 2.5}, {4, 3.5}, {4, 5}, {3, 6}, {0, 6}}},
        {'6',
         {{3, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 3.5}, {3, 2.5}, {0, 2.5}}},
        {'7', {{0, 0}, {4, 0}, {1.5, 6}}},
        {'8',
         {{1, 0},
          {3, 0},
          {4, 1},
          {4, 2},
          {3, 3},
          {1, 3},
          {0, 2},
          {0, 1},
          {1, 0},
          kBreak,
          {1, 3},
          {3, 3},
          {4, 4},
          {4, 5},
          {3, 6},
          {1, 6},
          {0, 5},
          {0, 4},
          {1, 3}}},
        {'9',
         {{4, 3.5}, {1, 3.5}, {0, 2.5}, {0, 1}, {1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}}},
        {'A', {{0, 6}, {0, 2}, {2, 0}, {4, 2}, {4, 6}, kBreak, {0, 3.5}, {4, 3.5}}},
        {'B',
         {{0, 0},
          {3, 0},
          {4, 1},
          {4, 2},
          {3, 3},
          {0, 3},
          kBreak,
          {3, 3},
          {4, 4},
          {4, 5},
          {3, 6},
          {0, 6},
          {0, 0}}},
        {'C', {{4, 1}, {3, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5}}},
        {'D', {{0, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {0, 6}, {0, 0}}},
        {'E', {{4, 0}, {0, 0}, {0, 6}, {4, 6}, kBreak, {0, 3}, {3, 3}}},
        {'F', {{4, 0}, {0, 0}, {0, 6}, kBreak, {0, 3}, {3, 3}}},
        {'G',
         {{4, 1}, {3, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 3.5}, {2.5, 3.5}}},
        {'H', {{0, 0}, {0, 6}, kBreak, {4, 0}, {4, 6}, kBreak, {0, 3}, {4, 3}}},
        {'I', {{2, 0}, {2, 6}, kBreak, {1, 0}, {3, 0}, kBreak, {1, 6}, {3, 6}}},
        {'K', {{0, 0}, {0, 6}, kBreak, {4, 0}, {0, 4}, kBreak, {1.3, 2.9}, {4, 6}}},
        {'L', {{0, 0}, {0, 6}, {4, 6}}},
        {'M', {{0, 6}, {0, 0}, {2, 3}, {4, 0}, {4, 6}}},
        {'N', {{0, 6}, {0, 0}, {4, 6}, {4, 0}}},
        {'O', {{1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}}},
        {'P', {{0, 6}, {0, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}, {0, 3}}},
        {'R', {{0, 6}, {0, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}, {0, 3}, kBreak, {2, 3}, {4, 6}}},
        {'S',
         {{4, 1},
          {3, 0},
          {1, 0},
          {0, 1},
          {0, 2},
          {1, 3},
          {3, 3},
          {4, 4},
          {4, 5},
          {3, 6},
          {1, 6},
          {0, 5}}},
        {'T', {{0, 0}, {4, 0}, kBreak, {2, 0}, {2, 6}}},
        {'U', {{0, 0}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 0}}},
        {'V', {{0, 0}, {2, 6}, {4, 0}}},
        {'W', {{0, 0}, {1, 6}, {2, 2}, {3, 6}, {4, 0}}},
        {'X', {{0, 0}, {4, 6}, kBreak, {4, 0}, {0, 6}}},
        {'Y', {{0, 0}, {2, 3}, {4, 0}, kBreak, {2, 3}, {2, 6}}},
        {'x', {{0.5, 2.5}, {3.5, 6}, kBreak, {3.5, 2.5}, {0.5, 6}}},
        {'-', {{0.5, 3}, {3.5, 3}}},
        {'.', {{2, 6}, {2, 6}}},
        {'/', {{4, 0}, {0, 6}}},
        {'o',
         {{1.5, 0},
          {2.5, 0},
          {3, 0.5},
          {3, 1.5},
          {2.5, 2},
          {1.5, 2},
          {1, 1.5},
          {1, 0.5},
          {1.5, 0}}},
    };
    return glyphs;
}

bool InPolygon(const std::vector<Point>& points, double x, double y) {
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const Point& a = points[i];
        const Point& b = points[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

double ClockwiseFromUp(Point centre, double x, double y) {
    const double degrees = std::atan2(x - centre.x, centre.y - y) * 180.0 / kPi;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

uint8_t Mix(uint8_t under, uint8_t over, double coverage) {
    return static_cast<uint8_t>(std::lround(under + (over - under) * coverage));
}

}  // namespace

Point Polar(Point centre, double r, double degrees) {
    const double radians = degrees * kPi / 180.0;
    return {centre.x + r * std::sin(radians), centre.y - r * std::cos(radians)};
}

CArtCanvas::CArtCanvas(int w, int h, Rgb fill)
    : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill) {}

void CArtCanvas::FillShape(const std::function<bool(double x, double y)>& inside, double left,
                           double top, double right, double bottom, Rgb colour, bool smooth) {
    const int x0 = std::max(0, static_cast<int>(std::floor(left)));
    const int y0 = std::max(0, static_cast<int>(std::floor(top)));
    const int x1 = std::min(width, static_cast<int>(std::ceil(right)));
    const int y1 = std::min(height, static_cast<int>(std::ceil(bottom)));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    hits += inside(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples) ? 1 : 0;
                }
            }
            const double coverage = static_cast<double>(hits) / (kSamples * kSamples);
            Rgb& pixel = pixels[Index(x, y)];
            if (smooth) {
                pixel = {Mix(pixel.r, colour.r, coverage), Mix(pixel.g, colour.g, coverage),
                         Mix(pixel.b, colour.b, coverage)};
            } else if (coverage >= 0.5) {
                pixel = colour;
            }
        }
    }
}

void CArtCanvas::FillRect(double left, double top, double right, double bottom, Rgb colour) {
    FillShape([](double, double) { return true; }, left, top, right, bottom, colour, false);
}

void CArtCanvas::FillCircle(Point c, double r, Rgb colour, bool smooth) {
    FillShape([c, r](double x,
                     double y) { return (x - c.x) * (x - c.x) + (y - c.y) * (y - c.y) < r * r; },
              c.x - r, c.y - r, c.x + r, c.y + r, colour, smooth);
}

void CArtCanvas::FillRing(Point c, double r0, double r1, Rgb colour, bool smooth, double from,
                          double to) {
    FillShape(
        [c, r0, r1, from, to](double x, double y) {
            const double d = (x - c.x) * (x - c.x) + (y - c.y) * (y - c.y);
            if (d < r0 * r0 || d >= r1 * r1) {
                return false;
            }
            const double a = ClockwiseFromUp(c, x, y);
            return from <= to ? a >= from && a <= to : a >= from || a <= to;
        },
        c.x - r1, c.y - r1, c.x + r1, c.y + r1, colour, smooth);
}

void CArtCanvas::FillPolygon(const std::vector<Point>& points, Rgb colour, bool smooth) {
    double left = points[0].x;
    double right = left;
    double top = points[0].y;
    double bottom = top;
    for (const Point& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    FillShape([&points](double x, double y) { return InPolygon(points, x, y); }, left, top, right,
              bottom, colour, smooth);
}

void CArtCanvas::Line(Point a, Point b, double lineWidth, Rgb colour, bool smooth) {
    const double half = lineWidth / 2;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    FillShape(
        [=](double x, double y) {
            // Distance from the segment.
            double t = length2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / length2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double px = a.x + t * dx - x;
            const double py = a.y + t * dy - y;
            return px * px + py * py < half * half;
        },
        std::min(a.x, b.x) - half, std::min(a.y, b.y) - half, std::max(a.x, b.x) + half,
        std::max(a.y, b.y) + half, colour, smooth);
}

void CArtCanvas::Tick(Point centre, double r0, double r1, double degrees, double tickWidth,
                      Rgb colour, bool smooth) {
    // Square ends: a turned rectangle.
    const Point a = Polar(centre, r0, degrees);
    const Point b = Polar(centre, r1, degrees);
    const double radians = degrees * kPi / 180.0;
    const double nx = std::cos(radians) * tickWidth / 2;
    const double ny = std::sin(radians) * tickWidth / 2;
    FillPolygon(
        {{a.x - nx, a.y - ny}, {b.x - nx, b.y - ny}, {b.x + nx, b.y + ny}, {a.x + nx, a.y + ny}},
        colour, smooth);
}

void CArtCanvas::Text(std::string_view text, Point centre, double textHeight, double stroke,
                      Rgb colour, bool smooth, double degrees) {
    const double unit = textHeight / 6.0;
    const double advance = 5.5 * unit;
    const double total = advance * static_cast<double>(text.size()) - 1.5 * unit;
    const double radians = degrees * kPi / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const auto place = [&](double gx, double gy) {
        // Glyph grid to the text's own frame (centred), then turned clockwise and placed.
        const double x = gx - total / 2;
        const double y = gy - textHeight / 2;
        return Point{centre.x + x * c - y * s, centre.y + x * s + y * c};
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const auto found = Glyphs().find(text[i]);
        if (found == Glyphs().end()) {
            continue;
        }
        const double left = advance * static_cast<double>(i);
        const Glyph& glyph = found->second;
        for (size_t k = 1; k < glyph.size(); ++k) {
            if (glyph[k].x < 0 || glyph[k - 1].x < 0) {
                continue;
            }
            Line(place(left + glyph[k - 1].x * unit, glyph[k - 1].y * unit),
                 place(left + glyph[k].x * unit, glyph[k].y * unit), stroke, colour, smooth);
        }
    }
}

void CArtCanvas::Replace(Rgb from, Rgb to) {
    std::replace(pixels.begin(), pixels.end(), from, to);
}

std::string CArtCanvas::Bmp() const {
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * static_cast<uint32_t>(height);
    std::string bytes;
    const auto put = [&bytes](uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    bytes += "BM";
    put(14 + 40 + dataBytes, 4);
    put(0, 4);
    put(14 + 40, 4);
    put(40, 4);
    put(static_cast<uint32_t>(width), 4);
    put(static_cast<uint32_t>(height), 4);  // bottom-up
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(dataBytes, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int y = height - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const Rgb& p = pixels[Index(x, y)];
            row[static_cast<size_t>(x) * 3] = static_cast<char>(p.b);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(p.g);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(p.r);
        }
        bytes += row;
    }
    return bytes;
}

}  // namespace XPL::ARTTOOL
