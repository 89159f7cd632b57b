#include "gauge/gauge_element.h"

#include <algorithm>
#include <cmath>

#include "gauge/gauge_canvas.h"
#include "gauge/gauge_layer.h"
#include "gauge/gauge_script.h"

namespace XPL {

namespace {

constexpr float kPi = 3.1415927f;
// Far beyond any picture, yet small enough that sums of a few such positions cannot overflow.
constexpr int64_t kFar = int64_t{1} << 40;
// An angle is brought into [0, 360] by repeated steps within this many turns, by a remainder
// beyond.
constexpr float kLoopTurns = 1000.0f;

// A float that becomes a pixel position, truncated toward zero; values beyond any picture are
// held at ±kFar, where they still draw nothing. False for NaN, which has no place.
bool ToPixel(float v, int64_t& pixel) {
    if (std::isnan(v)) {
        return false;
    }
    pixel = v >= static_cast<float>(kFar)    ? kFar
            : v <= -static_cast<float>(kFar) ? -kFar
                                             : static_cast<int64_t>(v);
    return true;
}

// While the angle is below 0 add 360, then while it is above 360 subtract 360.
float NormaliseAngle(float angle) {
    if (!(std::fabs(angle) <= kLoopTurns * 360.0f)) {
        angle = std::fmod(angle, 360.0f);  // NaN for NaN and infinities
    }
    while (angle < 0.0f) {
        angle += 360.0f;
    }
    while (angle > 360.0f) {
        angle -= 360.0f;
    }
    return angle;
}

}  // namespace

std::pair<size_t, size_t> CGaugeElement::FindSegment(float v) const {
    const size_t count = nonlinearity.size();
    for (size_t k = 1; k < count; ++k) {
        if (v >= nonlinearity[k - 1].value && nonlinearity[k].value >= v) {
            return {k - 1, k};
        }
    }
    return {0, count > 0 ? count - 1 : 0};
}

float CGaugeElement::RotationAngle(CGaugeScript& context) const {
    float v = context.Evaluate(rotateScript);
    if (hasRotateMin != 0 && rotateMin > v) {
        v = rotateMin;
    }
    if (hasRotateMax != 0 && v > rotateMax) {
        v = rotateMax;
    }
    float angle = 0.0f;
    if (nonlinearity.size() < 2) {
        angle = -(v * 180.0f / kPi);
    } else {
        const auto [first, second] = FindSegment(v);
        const NonlinearityItem& lo = nonlinearity[first];
        const NonlinearityItem& hi = nonlinearity[second];
        const float a0 = lo.degrees;
        float a1 = hi.degrees;
        if (a0 > a1) {
            a1 += 360.0f;  // across north
        }
        angle = 90.0f - ((v - lo.value) * (a1 - a0) / (hi.value - lo.value) + a0);
    }
    return NormaliseAngle(angle);
}

void CGaugeElement::Draw(CGaugeCanvas& canvas, int32_t x0, int32_t y0) const {
    CGaugeScript context(variables);
    if (hasVisibility != 0 && !(context.Evaluate(visibilityScript) > 0.1f)) {
        return;
    }
    const float angle = hasRotate != 0 ? RotationAngle(context) : 0.0f;
    float dx = 0.0f;
    float dy = 0.0f;
    if (hasShift != 0) {
        float v = context.Evaluate(shiftScript);
        if (hasShiftMin != 0 && shiftMin > v) {
            v = shiftMin;
        }
        if (hasShiftMax != 0 && v > shiftMax) {
            v = shiftMax;
        }
        if (nonlinearity.size() < 2) {
            dx = v * shiftScaleX;
            dy = v * shiftScaleY;
        } else {
            const auto [first, second] = FindSegment(v);
            const NonlinearityItem& lo = nonlinearity[first];
            const NonlinearityItem& hi = nonlinearity[second];
            dx = (hi.x - lo.x) * (v - lo.value) / (hi.value - lo.value) + lo.x;
            dy = (hi.y - lo.y) * (v - lo.value) / (hi.value - lo.value) + lo.y;
        }
    }

    CGaugeLayer& layer = canvas.Layer();
    layer.Begin(x0, y0, width, height);
    // An alpha image sets its rectangle of the layer to black; the layer is still all black
    // there, so such an image leaves nothing to see and is not drawn at all.
    if (image.HasBitmap() && image.alpha == 0) {
        int64_t w = image.Width();
        int64_t h = image.Height();
        if (hasMask != 0) {
            w = std::min<int64_t>(w, mask.Width());
            h = std::min<int64_t>(h, mask.Height());
        }
        int64_t axisX = 0;
        int64_t axisY = 0;
        int64_t shiftX = 0;
        int64_t shiftY = 0;
        int64_t maskAxisX = 0;
        int64_t maskAxisY = 0;
        if (hasRotate != 0) {
            // Shift in the image's own directions, axis to the origin, turn, then to the
            // element's place plus the mask's axis.
            const CGaugeLayer::Transform transform =
                CGaugeLayer::Transform{}
                    .Translated(-double{dx}, -double{dy})
                    .Translated(-double{image.axisX}, -double{image.axisY})
                    .Rotated(angle)
                    .Translated(static_cast<double>(x) + mask.axisX,
                                static_cast<double>(y) + mask.axisY);
            layer.BlitTurned(image, w, h, transform);
        } else if (hasMask != 0) {
            // The shift slides the image behind the mask's window.
            if (ToPixel(image.axisX, axisX) && ToPixel(image.axisY, axisY) && ToPixel(dx, shiftX) &&
                ToPixel(dy, shiftY) && ToPixel(mask.axisX, maskAxisX) &&
                ToPixel(mask.axisY, maskAxisY)) {
                layer.Blit(image, x - axisX, y - axisY, w, h, shiftX - maskAxisX,
                           shiftY - maskAxisY, 0);
            }
        } else if (ToPixel(dx, shiftX) && ToPixel(dy, shiftY)) {
            layer.Blit(image, x + shiftX, y + shiftY, w, h, 0, 0, 0);
        }
    }
    if (hasMask != 0 && mask.HasBitmap()) {
        layer.Blit(mask, x, y, mask.Width(), mask.Height(), 0, 0,
                   CGaugeCanvas::kBackgroundTransparent);
    }
    layer.DrawOnto(canvas);
}

}  // namespace XPL
