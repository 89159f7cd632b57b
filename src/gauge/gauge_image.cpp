#include "gauge/gauge_image.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

#include "gauge/windows_path.h"
#include "trace/trace.h"

// stb_image compiled for BMP files only, here and nowhere else.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 2048
#include <stb_image.h>

static_assert(STBI_MAX_DIMENSIONS == XPL::CGaugeImage::kMaxDimension);

namespace XPL {

namespace {

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; text != nullptr && *text != '\0'; ++text) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    }
    return wide;
}

}  // namespace

uint32_t CGaugeImage::Pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0;
    }
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

bool CGaugeImage::Decode(std::string_view bytes, uint64_t* budget, std::wstring* error) {
    const auto fail = [error](std::wstring reason) {
        if (error != nullptr) {
            *error = std::move(reason);
        }
        return false;
    };
    if (bytes.size() > kMaxFileBytes) {
        return fail(L"the file is larger than a bitmap of " + std::to_wstring(kMaxDimension) +
                    L" x " + std::to_wstring(kMaxDimension) + L" pixels");
    }
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    if (stbi_info_from_memory(data, length, &width, &height, &channels) == 0) {
        return fail(L"it is no BMP file stb_image reads (" + Widen(stbi_failure_reason()) + L")");
    }
    // A top-down bitmap reports its height negative here.
    const uint64_t count = static_cast<uint64_t>(width) *
                           static_cast<uint64_t>(std::llabs(static_cast<int64_t>(height)));
    if (budget != nullptr && count > *budget) {
        return fail(L"the gauge's bitmaps would take more than their budget of pixels");
    }
    const std::unique_ptr<stbi_uc, StbFree> decoded(
        stbi_load_from_memory(data, length, &width, &height, &channels, 3));
    if (!decoded || width <= 0 || height <= 0) {
        return fail(L"the bitmap cannot be decoded (" + Widen(stbi_failure_reason()) + L")");
    }
    pixels_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const stbi_uc* rgb = decoded.get();
    for (uint32_t& pixel : pixels_) {
        pixel = (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | uint32_t{rgb[2]};
        rgb += 3;
    }
    static std::atomic<uint64_t> serials{0};
    width_ = width;
    height_ = height;
    serial_ = ++serials;
    if (budget != nullptr) {
        *budget -= static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    }
    return true;
}

bool CGaugeImage::Load(std::wstring_view folder, std::wstring_view fileName, float axisX,
                       float axisY, bool alpha, uint64_t* budget) {
    if (HasBitmap()) {
        return false;
    }
    path_ = std::wstring(folder) + L"\\" + std::wstring(fileName);
    failure_.clear();
    const std::filesystem::path resolved = UTILITY::ResolveWindowsPath(path_);
    std::error_code sizeError;
    const uintmax_t size = std::filesystem::file_size(resolved, sizeError);
    std::string bytes;
    if (sizeError) {
        failure_ = L"the file cannot be found";
    } else if (size > kMaxFileBytes) {
        failure_ = L"the file is larger than a bitmap of " + std::to_wstring(kMaxDimension) +
                   L" x " + std::to_wstring(kMaxDimension) + L" pixels";
    } else {
        std::ifstream file(resolved, std::ios::binary);
        bytes.resize(static_cast<size_t>(size));
        if (!file || !file.read(bytes.data(), static_cast<std::streamsize>(size))) {
            failure_ = L"the file cannot be read";
        }
    }
    if (failure_.empty()) {
        Decode(bytes, budget, &failure_);
    }
    if (!failure_.empty()) {
        TraceWrite(kTraceFailure, TRACEKW::kScreen, kTraceMessage,
                   L"Failed in loading the gauge bitmap %s: %s", path_, failure_);
        return false;
    }
    this->axisX = axisX;
    this->axisY = axisY;
    this->alpha = alpha ? 1 : 0;
    return true;
}

}  // namespace XPL
