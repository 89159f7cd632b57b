// A BMP file read the way Windows' own loader (LoadImageW of a .bmp) reads it, for the bitmaps of
// gauges that users draw in any paint program.
//
// Read: headers of OS/2 1.x (12 bytes), OS/2 2.x (16 to 64 bytes, missing fields 0), Windows
// (40 bytes, and the 52- and 56-byte variants) and the v4 and v5 headers (108, 124); 1, 2, 4 and 8
// bits through a colour table of any length (biClrUsed entries, all 2^bits when 0; entries past
// the table, and pixels the table does not reach, are black), RLE8 and RLE4 (runs, absolute runs,
// deltas, ends of line and an early end of bitmap; pixels a delta or an end skips are black, runs
// are cut at the right edge), 16 bits as 5-5-5 or through bit-field masks, 24 bits, 32 bits with
// or without masks; rows stored bottom-up or top-down, any width. A channel's mask gives its
// lowest run of set bits; fewer than 8 bits are widened by repeating their top bits once below
// them (5 bits v become v << 3 | v >> 2, as GDI does), more than 8 keep their top 8. The pixel
// bits start at bfOffBits, or right after the colour table when that is 0.
//
// Refused, with the reason: files without the "BM" signature, JPEG or PNG pictures inside a BMP,
// other compressions or bit counts, compressed pictures stored top-down, compressed pictures
// without the size of their data, sizes of no pixels or above kMaxDimension, and files that end
// before their header, colour table, masks or pixels do (the padding of the last row may be
// missing).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace XPL {

class CBmpReader {
public:
    static constexpr int32_t kMaxDimension = 2048;

    // Reads the headers of a file's bytes, which must outlive the reader; false with the reason
    // (a text to follow "the bitmap ...: ") when the file is none of the variants read.
    bool Open(std::string_view bytes, std::wstring& reason);

    // The picture's size once Open succeeded.
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // Decodes the opened file into Width() × Height() pixels, top row first, each 0x00RRGGBB.
    std::vector<uint32_t> Decode() const;

private:
    // A channel of a bit-field pixel: its lowest run of mask bits.
    struct Channel {
        uint32_t shift = 0;
        uint32_t length = 0;
    };
    static Channel ChannelOf(uint32_t mask);
    static uint32_t Expand(uint32_t value, Channel channel);
    uint32_t PaletteColour(uint32_t index) const;
    void DecodeRows(std::vector<uint32_t>& pixels) const;
    void DecodeRle(std::vector<uint32_t>& pixels) const;

    std::string_view bytes_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool topDown_ = false;
    uint32_t bits_ = 0;
    uint32_t compression_ = 0;
    Channel red_;
    Channel green_;
    Channel blue_;
    std::vector<uint32_t> palette_;  // 0x00RRGGBB
    size_t pixelsAt_ = 0;
    size_t pixelBytes_ = 0;  // the compressed data's, or the rows' with their padding
};

}  // namespace XPL
