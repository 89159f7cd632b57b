// An element's drawing layer: a picture of the element's width and height, all black when it is
// begun, into which the element's image and mask are drawn and which is then put on the canvas
// with its black left out, so the element covers the canvas only where something not black was
// drawn.
//
// Only the part of the layer that can reach the canvas is held, and of each row only the columns
// drawn into are cleared and put on the canvas, so a needle on a large face costs about what the
// needle covers. Every drawing call clips to the layer: any position, however far outside, draws
// nothing and never overflows. The memory is taken once, when the layer is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace XPL {

class CGaugeCanvas;
class CGaugeImage;

class CGaugeLayer {
public:
    // Maps an image point (x, y) to the layer point (x·m11 + y·m21 + dx, x·m12 + y·m22 + dy).
    struct Transform {
        double m11 = 1.0;
        double m12 = 0.0;
        double m21 = 0.0;
        double m22 = 1.0;
        double dx = 0.0;
        double dy = 0.0;

        // This transform followed by a move by (x, y).
        Transform Translated(double x, double y) const;
        // This transform followed by a turn of degrees counter-clockwise on the screen (y down).
        Transform Rotated(double degrees) const;
    };

    CGaugeLayer();

    // Starts a layer of width × height pixels whose top-left corner lies at (originX, originY) on
    // the canvas: all black.
    void Begin(int64_t originX, int64_t originY, uint32_t width, uint32_t height);

    // width × height pixels of image from (sourceX, sourceY) drawn with their top-left corner at
    // (x, y). Pixels of the colour transparent are left out, and so is any part of the source
    // rectangle that lies outside the image.
    void Blit(const CGaugeImage& image, int64_t x, int64_t y, int64_t width, int64_t height,
              int64_t sourceX, int64_t sourceY, uint32_t transparent);
    // The image's width × height rectangle from its top-left corner, moved by transform: each
    // layer pixel whose centre falls inside the moved rectangle takes the image pixel nearest the
    // point it came from; black image pixels are left out. A transform that is not finite draws
    // nothing.
    void BlitTurned(const CGaugeImage& image, int64_t width, int64_t height,
                    const Transform& transform);

    // The layer's pixels that are not black, put on the canvas.
    void DrawOnto(CGaugeCanvas& canvas) const;

    // The layer pixel at (x, y) as 0xRRGGBB; 0 where nothing was drawn or outside what is held.
    uint32_t Pixel(int64_t x, int64_t y) const;

private:
    struct Rect {
        int64_t left = 0;
        int64_t top = 0;
        int64_t right = 0;
        int64_t bottom = 0;
        bool Empty() const { return left >= right || top >= bottom; }
    };
    // The columns [left, right) of a row drawn into since Begin; black outside them.
    struct Span {
        int64_t left = 0;
        int64_t right = 0;
    };
    // Makes columns [left, right) of a held row part of what was drawn into, cleared where they
    // were not.
    void Touch(int64_t row, int64_t left, int64_t right);
    Span& SpanOf(int64_t row) { return spans_[static_cast<size_t>(row - held_.top)]; }
    const Span& SpanOf(int64_t row) const { return spans_[static_cast<size_t>(row - held_.top)]; }
    // Where the held pixel (x, y) lies; x may be the row's end.
    uint32_t* At(int64_t x, int64_t y) {
        return pixels_.data() + static_cast<size_t>((y - held_.top) * stride_ + (x - held_.left));
    }
    const uint32_t* At(int64_t x, int64_t y) const {
        return pixels_.data() + static_cast<size_t>((y - held_.top) * stride_ + (x - held_.left));
    }

    int64_t originX_ = 0;
    int64_t originY_ = 0;
    Rect held_;  // layer pixels that can reach the canvas
    int64_t stride_ = 0;
    // Rows [firstRow_, endRow_) have their spans; other rows were not drawn into.
    int64_t firstRow_ = 0;
    int64_t endRow_ = 0;
    std::vector<Span> spans_;
    std::vector<uint32_t> pixels_;
};

}  // namespace XPL
