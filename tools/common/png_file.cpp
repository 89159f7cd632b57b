#include "png_file.h"

#include <fstream>
#include <string>

// The writer's functions stay private to this file, so no other copy of them can clash.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace XPL::TOOLS {

bool WritePng(const std::filesystem::path& file, const uint8_t* rgb, int width, int height,
              int rowBytes) {
    std::string encoded;
    const auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                                   static_cast<size_t>(size));
    };
    if (stbi_write_png_to_func(append, &encoded, width, height, 3, rgb, rowBytes) == 0) {
        return false;
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
    out.close();
    return !out.fail();
}

}  // namespace XPL::TOOLS
