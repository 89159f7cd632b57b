#include "gauge/bmp_reader.h"

#include <algorithm>
#include <bit>

namespace XPL {

namespace {

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kJpeg = 4;
constexpr uint32_t kPng = 5;

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
// Where the masks of a bit-field picture lie: right after a 40-byte header, inside a longer one.
constexpr size_t kMasksAt = 40;
constexpr size_t kMasksBytes = 12;

// The little-endian number of count bytes at at (which the caller has checked lie in bytes).
uint32_t Read(std::string_view bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i-- > 0;) {
        value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

std::wstring EndsBefore(const wchar_t* part) {
    return std::wstring(L"the file ends before its ") + part + L" does";
}

bool IsPaletted(uint32_t bits) {
    return bits == 1 || bits == 2 || bits == 4 || bits == 8;
}

}  // namespace

bool CBmpReader::Open(std::string_view bytes, std::wstring& reason) {
    bytes_ = bytes;
    const auto fail = [&reason](std::wstring why) {
        reason = std::move(why);
        return false;
    };
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') {
        return fail(L"it is no BMP file (it does not start with \"BM\")");
    }
    if (bytes.size() < kFileHeaderBytes + 4) {
        return fail(EndsBefore(L"header"));
    }
    const uint32_t headerBytes = Read(bytes, kFileHeaderBytes, 4);
    if (headerBytes != kCoreHeaderBytes && headerBytes < 16) {
        return fail(L"its header of " + std::to_wstring(headerBytes) +
                    L" bytes is none a BMP file has");
    }
    if (bytes.size() - kFileHeaderBytes < headerBytes) {
        return fail(EndsBefore(L"header"));
    }
    // A field the header is too short to hold reads 0, as OS/2 2.x headers leave them out.
    const auto field = [&](size_t at, size_t count) {
        return at + count <= headerBytes ? Read(bytes, kFileHeaderBytes + at, count) : 0u;
    };
    const bool core = headerBytes == kCoreHeaderBytes;
    // Widths and heights are unsigned 16-bit numbers in an OS/2 1.x header, signed 32-bit else.
    int64_t width = core ? int64_t{field(4, 2)} : int64_t{static_cast<int32_t>(field(4, 4))};
    int64_t height = core ? int64_t{field(6, 2)} : int64_t{static_cast<int32_t>(field(8, 4))};
    bits_ = core ? field(10, 2) : field(14, 2);
    compression_ = core ? kRgb : field(16, 4);
    const uint32_t dataBytes = field(20, 4);
    const uint32_t coloursUsed = field(32, 4);

    // A JPEG or PNG picture leaves the bit count to itself (an OS/2 2.x header calls its RLE24
    // compression 4 too, with 24 bits).
    if ((compression_ == kJpeg || compression_ == kPng) && bits_ == 0) {
        return fail(std::wstring(L"it holds a ") + (compression_ == kJpeg ? L"JPEG" : L"PNG") +
                    L" picture, which Windows does not read from a BMP file");
    }
    const bool known = (compression_ == kRgb &&
                        (IsPaletted(bits_) || bits_ == 16 || bits_ == 24 || bits_ == 32)) ||
                       (compression_ == kRle8 && bits_ == 8) ||
                       (compression_ == kRle4 && bits_ == 4) ||
                       (compression_ == kBitFields && (bits_ == 16 || bits_ == 32));
    if (!known) {
        return fail(L"its format (" + std::to_wstring(bits_) + L" bits per pixel, compression " +
                    std::to_wstring(compression_) + L") is none Windows reads");
    }
    topDown_ = height < 0;
    height = topDown_ ? -height : height;
    if (width <= 0 || height == 0 || width > kMaxDimension || height > kMaxDimension) {
        return fail(L"its size " + std::to_wstring(width) + L" x " + std::to_wstring(height) +
                    (width <= 0 || height == 0
                         ? L" holds no pixel"
                         : L" is larger than " + std::to_wstring(kMaxDimension) + L" x " +
                               std::to_wstring(kMaxDimension)));
    }
    width_ = static_cast<int32_t>(width);
    height_ = static_cast<int32_t>(height);
    const bool rle = compression_ == kRle8 || compression_ == kRle4;
    if (rle && topDown_) {
        return fail(L"it is compressed and stored top-down, which Windows refuses");
    }

    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // 16 bits without masks: 5-5-5
    if (compression_ == kBitFields) {
        if (bytes.size() < kFileHeaderBytes + kMasksAt + kMasksBytes) {
            return fail(EndsBefore(L"masks"));
        }
        for (size_t i = 0; i < 3; ++i) {
            masks[i] = Read(bytes, kFileHeaderBytes + kMasksAt + 4 * i, 4);
        }
    } else if (bits_ == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    red_ = ChannelOf(masks[0]);
    green_ = ChannelOf(masks[1]);
    blue_ = ChannelOf(masks[2]);

    // The colour table follows the header (and the masks after a short one): 2^bits entries of
    // three bytes after an OS/2 1.x header, else biClrUsed entries of four (2^bits when 0).
    const size_t tableAt =
        kFileHeaderBytes + (compression_ == kBitFields
                                ? std::max<size_t>(headerBytes, kMasksAt + kMasksBytes)
                                : headerBytes);
    const size_t entryBytes = core ? 3 : 4;
    size_t tableEntries = std::min<size_t>(coloursUsed, 256);
    if (tableEntries == 0 && IsPaletted(bits_)) {
        tableEntries = size_t{1} << bits_;
    }
    const size_t used = IsPaletted(bits_) ? std::min(tableEntries, size_t{1} << bits_) : 0;
    if (bytes.size() < tableAt + used * entryBytes) {
        return fail(EndsBefore(L"colour table"));
    }
    palette_.resize(used);
    for (size_t i = 0; i < used; ++i) {
        palette_[i] = Read(bytes, tableAt + i * entryBytes, 3);  // blue, green, red
    }

    const uint32_t offBits = Read(bytes, 10, 4);
    pixelsAt_ = offBits != 0 ? offBits : tableAt + tableEntries * entryBytes;
    if (rle) {
        if (dataBytes == 0) {
            return fail(L"it is compressed without the size of its data");
        }
        pixelBytes_ = dataBytes;
    } else {
        const uint64_t rowBits = static_cast<uint64_t>(width_) * bits_;
        pixelBytes_ =
            static_cast<size_t>((rowBits + 31) / 32 * 4 * (height_ - 1) + (rowBits + 7) / 8);
    }
    if (pixelsAt_ > bytes.size() || bytes.size() - pixelsAt_ < pixelBytes_) {
        return fail(EndsBefore(L"pixels"));
    }
    return true;
}

CBmpReader::Channel CBmpReader::ChannelOf(uint32_t mask) {
    if (mask == 0) {
        return {};
    }
    const auto shift = static_cast<uint32_t>(std::countr_zero(mask));
    return {shift, static_cast<uint32_t>(std::countr_one(mask >> shift))};
}

uint32_t CBmpReader::Expand(uint32_t value, Channel channel) {
    if (channel.length == 0) {
        return 0;
    }
    const uint32_t field =
        (value >> channel.shift) & (channel.length >= 32 ? ~0u : (1u << channel.length) - 1);
    if (channel.length >= 8) {
        return field >> (channel.length - 8);
    }
    const uint32_t top = field << (8 - channel.length);
    return (top | (top >> channel.length)) & 0xFF;
}

uint32_t CBmpReader::PaletteColour(uint32_t index) const {
    return index < palette_.size() ? palette_[index] : 0;
}

std::vector<uint32_t> CBmpReader::Decode() const {
    std::vector<uint32_t> pixels(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
    if (compression_ == kRle8 || compression_ == kRle4) {
        DecodeRle(pixels);
    } else {
        DecodeRows(pixels);
    }
    return pixels;
}

void CBmpReader::DecodeRows(std::vector<uint32_t>& pixels) const {
    const size_t stride = (static_cast<size_t>(width_) * bits_ + 31) / 32 * 4;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes_.data()) + pixelsAt_;
    const uint32_t indexMask = (1u << std::min(bits_, 8u)) - 1;
    for (int32_t fileRow = 0; fileRow < height_; ++fileRow) {
        const uint8_t* row = data + static_cast<size_t>(fileRow) * stride;
        const int32_t y = topDown_ ? fileRow : height_ - 1 - fileRow;
        uint32_t* out = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
        for (size_t x = 0; x < static_cast<size_t>(width_); ++x) {
            if (IsPaletted(bits_)) {
                // The leftmost pixel in the highest bits of its byte.
                const size_t bit = x * bits_;
                out[x] = PaletteColour((row[bit / 8] >> (8 - bits_ - bit % 8)) & indexMask);
            } else if (bits_ == 24) {
                out[x] =
                    (uint32_t{row[3 * x + 2]} << 16) | (uint32_t{row[3 * x + 1]} << 8) | row[3 * x];
            } else {
                const size_t bytesPerPixel = bits_ / 8;
                uint32_t value = 0;
                for (size_t i = bytesPerPixel; i-- > 0;) {
                    value = (value << 8) | row[bytesPerPixel * x + i];
                }
                out[x] = (Expand(value, red_) << 16) | (Expand(value, green_) << 8) |
                         Expand(value, blue_);
            }
        }
    }
}

void CBmpReader::DecodeRle(std::vector<uint32_t>& pixels) const {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes_.data()) + pixelsAt_;
    const size_t size = pixelBytes_;
    const bool four = compression_ == kRle4;
    // The first row stored is the bottom one; deltas and ends of line move up.
    int64_t y = height_ - 1;
    int64_t x = 0;
    // Draws count pixels from (x, y), cut at the right edge.
    const auto put = [&](int64_t count, auto indexOf) {
        const int64_t drawn = std::min<int64_t>(count, width_ - x);
        uint32_t* out = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
        for (int64_t k = 0; k < drawn; ++k) {
            out[x + k] = PaletteColour(indexOf(static_cast<size_t>(k)));
        }
        x += drawn;
    };
    size_t at = 0;
    while (at + 1 < size) {
        const uint8_t count = data[at];
        const uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            // A run: one index, or two alternating from the high half.
            put(count, [&](size_t k) {
                return four ? (k % 2 == 0 ? value >> 4 : value & 0x0Fu) : uint32_t{value};
            });
        } else if (value == 0) {  // end of line
            x = 0;
            if (--y < 0) {
                return;
            }
        } else if (value == 1) {  // end of bitmap
            return;
        } else if (value == 2) {  // delta: right and up
            if (at + 1 >= size) {
                return;
            }
            x = std::min<int64_t>(x + data[at], width_);
            y -= data[at + 1];
            at += 2;
            if (y < 0) {
                return;
            }
        } else {  // absolute: value indices, padded to a 16-bit word
            const size_t bytes = four ? (value + 1u) / 2 : value;
            if (bytes > size - at) {
                return;
            }
            const uint8_t* indices = data + at;
            put(value, [&](size_t k) {
                return four ? (k % 2 == 0 ? indices[k / 2] >> 4 : indices[k / 2] & 0x0Fu)
                            : uint32_t{indices[k]};
            });
            at += (bytes + 1) & ~size_t{1};
        }
    }
}

}  // namespace XPL
