// A small raster for drawing the sample gauges' bitmaps: filled shapes sampled 4 x 4 times per
// pixel, either blended by coverage (smooth, for opaque faces) or hard-edged (for images whose
// black is transparent, where a blended edge would leave a dark fringe), and 24-bit BMP output.
// Coordinates are pixels with y pointing down; pixel (x, y) covers [x, x + 1) x [y, y + 1).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace XPL::ARTTOOL {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Point {
    double x = 0;
    double y = 0;
};

// A point at radius r and angle degrees clockwise from straight up around centre.
Point Polar(Point centre, double r, double degrees);

class CArtCanvas {
public:
    CArtCanvas(int width, int height, Rgb fill);

    int Width() const { return width; }
    int Height() const { return height; }
    Rgb Get(int x, int y) const { return pixels[Index(x, y)]; }
    void Set(int x, int y, Rgb colour) { pixels[Index(x, y)] = colour; }

    // Paints the pixels of the box [left, right) x [top, bottom) that inside(x, y) covers.
    void FillShape(const std::function<bool(double x, double y)>& inside, double left, double top,
                   double right, double bottom, Rgb colour, bool smooth);
    void FillRect(double left, double top, double right, double bottom, Rgb colour);
    void FillCircle(Point centre, double r, Rgb colour, bool smooth);
    // The ring between r0 and r1, only between the angles from and to (clockwise from up).
    void FillRing(Point centre, double r0, double r1, Rgb colour, bool smooth, double from = 0,
                  double to = 360);
    // A polygon by the even-odd rule.
    void FillPolygon(const std::vector<Point>& points, Rgb colour, bool smooth);
    // A line of that width with round ends.
    void Line(Point a, Point b, double width, Rgb colour, bool smooth);
    // A radial tick from r0 to r1 at angle degrees clockwise from up.
    void Tick(Point centre, double r0, double r1, double degrees, double width, Rgb colour,
              bool smooth);
    // Text in the tool's stroke font (digits, capitals and a few signs), centred on centre,
    // height pixels tall, turned by degrees clockwise.
    void Text(std::string_view text, Point centre, double height, double stroke, Rgb colour,
              bool smooth, double degrees = 0);
    // Every pixel of colour from becomes to.
    void Replace(Rgb from, Rgb to);

    // The picture as a 24-bit bottom-up BMP file.
    std::string Bmp() const;

private:
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    }

    int width;
    int height;
    std::vector<Rgb> pixels;
};

}  // namespace XPL::ARTTOOL
