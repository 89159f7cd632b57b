// Fuzz target: the bytes of a bitmap file decoded as a gauge loads it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gauge/gauge_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XPL::CGaugeImage image;
    uint64_t budget = 1u << 22;
    image.Decode(std::string_view(reinterpret_cast<const char*>(data), size), &budget);
    if (image.HasBitmap()) {
        image.Pixel(image.Width() - 1, image.Height() - 1);
    }
    return 0;
}
