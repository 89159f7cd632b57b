#include "gauge/gauge_image.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "gauge/bmp_reader.h"
#include "gauge/windows_path.h"
#include "trace/trace.h"

namespace XPL {

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
    CBmpReader reader;
    std::wstring reason;
    if (!reader.Open(bytes, reason)) {
        return fail(std::move(reason));
    }
    const int32_t width = reader.Width();
    const int32_t height = reader.Height();
    if (budget != nullptr &&
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > *budget) {
        return fail(L"the gauge's bitmaps would take more than their budget of pixels");
    }
    pixels_ = reader.Decode();
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
                       float axisY, bool alpha, Budget* budget) {
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
    } else if (budget != nullptr && size > budget->fileBytes) {
        failure_ = L"the gauge's bitmap files would take more than their budget of bytes";
    } else {
        if (budget != nullptr) {
            budget->fileBytes -= size;
        }
        std::ifstream file(resolved, std::ios::binary);
        bytes.resize(static_cast<size_t>(size));
        if (!file || !file.read(bytes.data(), static_cast<std::streamsize>(size))) {
            failure_ = L"the file cannot be read";
        }
    }
    if (failure_.empty()) {
        Decode(bytes, budget != nullptr ? &budget->pixels : nullptr, &failure_);
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
