// One moving part of a gauge: an image that a shift script slides and a rotation script turns
// about its axis, behind an optional mask, shown while its visibility script gives more than
// 0.1. The loaders fill it; the renderer reads it. Its scripts read the gauge's variable table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gauge/gauge_image.h"

namespace XPL {

class CGaugeCanvas;
class CGaugeScript;
class CGaugeVariables;

// One point of an element's value-to-position table, shared by shift and rotation: at value the
// element is shifted to (x, y), or turned to degrees (clockwise from straight up).
struct NonlinearityItem {
    float value = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float degrees = 0.0f;
    uint32_t line = 0;  // of its Item in the gauge file (from 1; 0 when unknown), for messages
};

class CGaugeElement {
public:
    CGaugeElement(CGaugeVariables* variables, uint32_t width, uint32_t height)
        : variables(variables), width(width), height(height) {}
    CGaugeElement(const CGaugeElement&) = delete;
    CGaugeElement& operator=(const CGaugeElement&) = delete;

    // Draws the element onto the canvas through the canvas's layer, which lies at (x0, y0): the
    // visibility, rotation and shift scripts are evaluated in that order in one context; an
    // element that shows is then drawn into the layer (its image shifted and turned, its mask
    // over it) and the layer's black is left out. Scripts may write the gauge's working values;
    // nothing else changes. Allocates nothing.
    void Draw(CGaugeCanvas& canvas, int32_t x0, int32_t y0) const;

    // The rotation script's value, clamped to the rotation limits, as degrees counter-clockwise
    // on the screen from the x axis in [0, 360] (NaN when the value is not finite): radians
    // turning clockwise without a table, else the table's degrees (clockwise from straight up)
    // interpolated along the segment FindSegment gives, across north when it passes 360.
    float RotationAngle(CGaugeScript& context) const;
    // The table's items (first, second) that v lies between: the first pair of neighbours with
    // v between their values (inclusive), else the first and the last item, so values outside the
    // table extrapolate along the line through those two. Needs two items or more.
    std::pair<size_t, size_t> FindSegment(float v) const;

    CGaugeVariables* variables;  // the gauge's, not owned
    // The element's place on the gauge face: the top-left of the mask, the pivot of a turning
    // image.
    int32_t x = 0;
    int32_t y = 0;
    // The size of the element's drawing layer: the background's size when the element was read.
    uint32_t width;
    uint32_t height;

    uint8_t hasVisibility = 0;
    std::wstring visibilityScript;
    uint8_t hasMask = 0;
    CGaugeImage mask;
    uint8_t hasImage = 0;
    CGaugeImage image;

    uint8_t hasShift = 0;
    std::wstring shiftScript;
    uint8_t hasShiftMin = 0;
    float shiftMin = -1000000.0f;
    uint8_t hasShiftMax = 0;
    float shiftMax = 1000000.0f;
    float shiftScaleX = 1.0f;
    float shiftScaleY = 1.0f;

    uint8_t hasRotate = 0;
    std::wstring rotateScript;
    uint8_t hasRotateMin = 0;
    float rotateMin = -1000000.0f;
    uint8_t hasRotateMax = 0;
    float rotateMax = 1000000.0f;

    // In the order read; expected in ascending order of value.
    std::vector<NonlinearityItem> nonlinearity;

    // Where the element and its scripts stand in the gauge file (lines from 1; 0 when unknown),
    // for messages.
    uint32_t line = 0;
    uint32_t visibilityLine = 0;
    uint32_t shiftLine = 0;
    uint32_t rotateLine = 0;
};

}  // namespace XPL
