// Fuzz target: the bytes of a bitmap file decoded as a gauge loads it, then drawn every way a
// gauge draws a bitmap: as the background, as an image turned about an axis and shifted, behind
// itself as a mask, and plain.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "gauge/gauge_canvas.h"
#include "gauge/gauge_document.h"
#include "gauge/gauge_image.h"

namespace {

XPL::CGaugeElement& Add(XPL::CGaugeDocument& document, const XPL::CGaugeImage& image,
                        const wchar_t* shift) {
    document.elements.push_back(std::make_unique<XPL::CGaugeElement>(
        nullptr, static_cast<uint32_t>(image.Width()), static_cast<uint32_t>(image.Height())));
    XPL::CGaugeElement& element = *document.elements.back();
    element.x = image.Width() / 2;
    element.y = image.Height() / 3;
    element.hasImage = 1;
    element.image = image;
    element.hasShift = 1;
    element.shiftScript = shift;
    return element;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XPL::CGaugeImage image;
    uint64_t budget = 1u << 22;
    image.Decode(std::string_view(reinterpret_cast<const char*>(data), size), &budget);
    if (!image.HasBitmap()) {
        return 0;
    }
    image.Pixel(image.Width() - 1, image.Height() - 1);
    // Drawing costs only what reaches the canvas, but the gauge below holds six copies of the
    // picture, so only pictures up to a few times the canvas's size are drawn.
    if (static_cast<int64_t>(image.Width()) * image.Height() > (1 << 19)) {
        return 0;
    }
    image.axisX = static_cast<float>(image.Width()) / 3.0f;
    image.axisY = static_cast<float>(size % 97);
    XPL::CGaugeDocument document;
    document.background = image;
    document.targetWidth = image.Width();
    document.targetHeight = image.Height();
    XPL::CGaugeElement& turned = Add(document, image, L"7");
    turned.hasRotate = 1;
    turned.rotateScript = L"pi 3 /";
    turned.hasMask = 1;
    turned.mask = image;
    XPL::CGaugeElement& masked = Add(document, image, L"0 5 -");
    masked.hasMask = 1;
    masked.mask = image;
    Add(document, image, L"11");
    static XPL::CGaugeCanvas canvas(nullptr);
    document.Draw(canvas);
    return 0;
}
