// BMP files of every variant Windows' loader reads, built here byte by byte; the expected pixels
// are worked out from the format.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gauge/bmp_reader.h"

using namespace XPL;
using namespace std::string_literals;

namespace {

constexpr uint32_t kA = 0x102030;
constexpr uint32_t kB = 0x405060;
constexpr uint32_t kC = 0x708090;
constexpr uint32_t kD = 0xA0B0C0;

// Written whole as given (the palette too, whatever the header says).
struct Bmp {
    uint32_t bits = 8;
    int32_t width = 3;
    int32_t height = 1;  // negative: top-down
    std::vector<uint32_t> palette;
    std::string pixels;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    uint32_t header = 40;         // 12: OS/2 1.x, its colours three bytes each
    std::vector<uint32_t> masks;  // right after a 40-byte header, inside a longer one
    int64_t offBits = -1;         // -1: the pixels' place
    int64_t dataBytes = -1;       // -1: the pixels' size when compressed
    std::string signature = "BM";
};

void Put(std::string& bytes, size_t at, size_t count, uint32_t value) {
    for (size_t i = 0; i < count && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
}

std::string Build(const Bmp& b) {
    const bool core = b.header == 12;
    std::string header(b.header, '\0');
    Put(header, 0, 4, b.header);
    Put(header, 4, core ? 2 : 4, static_cast<uint32_t>(b.width));
    Put(header, core ? 6 : 8, core ? 2 : 4, static_cast<uint32_t>(b.height));
    Put(header, core ? 8 : 12, 2, 1);
    Put(header, core ? 10 : 14, 2, b.bits);
    Put(header, 16, 4, b.compression);
    const bool compressed = b.compression == 1 || b.compression == 2;
    Put(header, 20, 4,
        static_cast<uint32_t>(b.dataBytes >= 0 ? b.dataBytes
                              : compressed     ? b.pixels.size()
                                               : 0));
    Put(header, 32, 4, b.coloursUsed);
    std::string tables(b.header <= 40 ? 4 * b.masks.size() : 0, '\0');
    for (size_t i = 0; i < b.masks.size(); ++i) {
        Put(b.header <= 40 ? tables : header, b.header <= 40 ? 4 * i : 40 + 4 * i, 4, b.masks[i]);
    }
    for (const uint32_t colour : b.palette) {
        tables.append({char(colour), char(colour >> 8), char(colour >> 16)});
        tables.append(core ? "" : "\0"s);
    }
    std::string file = b.signature + std::string(12, '\0') + header + tables;
    Put(file, 10, 4, static_cast<uint32_t>(b.offBits >= 0 ? b.offBits : file.size()));
    return file + b.pixels;
}

const std::vector<uint32_t> kFour = {kA, kB, kC, kD};

struct ReadCase {
    const char* name;
    Bmp bmp;
    std::vector<uint32_t> pixels;  // top row first
};

class BmpReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(BmpReadTest, GivesThePixelsTheFormatDefines) {
    CBmpReader reader;
    std::wstring reason;
    const std::string bytes = Build(GetParam().bmp);
    ASSERT_TRUE(reader.Open(bytes, reason)) << std::string(reason.begin(), reason.end());
    EXPECT_EQ(reader.Width(), GetParam().bmp.width);
    EXPECT_EQ(reader.Height(), std::abs(GetParam().bmp.height));
    EXPECT_EQ(reader.Decode(), GetParam().pixels);
}

// Cases: {bits, width, height, palette, pixels, compression, colours used, header, masks,
// bfOffBits}.
const ReadCase kReadCases[] = {
    {"OneBitBottomUp", {1, 3, 2, {kA, kB}, "\xA0\0\0\0\x40\0\0\0"s}, {kA, kB, kA, kB, kA, kB}},
    {"TwoBits", {2, 3, 1, kFour, "\xE4\0\0\0"s}, {kD, kC, kB}},
    {"FourBitsShortPaletteTopDown", {4, 3, -1, {kA, kB}, "\x01\x50\0\0"s, 0, 2}, {kA, kB, 0}},
    {"EightBitsPastColoursUsedAreBlack", {8, 3, 1, {kA, kB, kC}, "\1\2\xFF\0"s, 0, 2}, {kB, 0, 0}},
    {"BitsRightAfterALongerPalette", {1, 2, 1, kFour, "\x80\0\0\0"s, 0, 4, 40, {}, 0}, {kB, kA}},
    {"TwentyFourBitsAfterAPalette", {24, 1, 1, {kA}, "\3\2\1\0"s, 0, 1, 40, {}, 0}, {0x010203}},
    {"TwentyFourTopDownLastRowUnpadded",
     {24, 3, -2, {}, "\1\2\3\4\5\6\7\x8\x9\0\0\0\xA\xB\xC\xD\xE\xF\x10\x11\x12"s},
     {0x030201, 0x060504, 0x090807, 0x0C0B0A, 0x0F0E0D, 0x121110}},
    {"SixteenBitsAre555",
     {16, 3, 1, {}, "\x00\x7C\x21\x80\x10\x42\0\0"s},
     {0xFF0000, 0x000808, 0x848484}},
    {"SixteenBits565",
     {16, 2, 1, {}, "\x00\xF8\x21\x08"s, 3, 0, 40, {0xF800, 0x7E0, 0x1F}},
     {0xFF0000, 0x080408}},
    {"ThirtyTwoBitsLeaveAlphaOut", {32, 1, 1, {}, "\3\2\1\xFF"s}, {0x010203}},
    {"ThirtyTwoBitsTenBitMasks",
     {32, 1, 1, {}, "\x01\x00\xF8\x3F"s, 3, 0, 40, {0x3FF00000, 0xFFC00, 0x3FF}},
     {0xFF8000}},
    {"Os2CoreHeader", {1, 2, 1, {kA, kB}, "\x40\0\0\0"s, 0, 0, 12}, {kA, kB}},
    {"Os2CoreHeader24Bits", {24, 1, 1, {}, "\3\2\1\0"s, 0, 0, 12}, {0x010203}},
    {"Os2V2Header", {4, 2, 1, {kA, kB, kC}, "\x21\0\0\0"s, 0, 3, 64}, {kC, kB}},
    {"Os2V2ShortHeader", {1, 1, 1, {kA, kB}, "\x80\0\0\0"s, 0, 0, 16}, {kB}},
    {"V4MasksInTheHeader",
     {32, 1, 1, {}, "\1\2\3\0"s, 3, 0, 108, {0xFF, 0xFF00, 0xFF0000}},
     {0x010203}},
    {"V5SixteenBitsWithoutBitFieldsAre555",
     {16, 1, 1, {}, "\x00\x7C\0\0"s, 0, 0, 124, {0xF800, 0x07E0, 0x001F}},
     {0xFF0000}},
    // Bottom row: 2 x 1, delta (1, up 1), 1 x 0, end of line; top row: absolute 2 0 9
    // (padded), a run cut at the edge, end of bitmap, then what is never read.
    {"Rle8",
     {8, 4, 3, {kA, kB, kC}, "\2\1\0\2\1\1\1\0\0\0\0\3\2\0\x9\0\3\1\0\1\4\2"s, 1, 3},
     {kC, kA, 0, kB, 0, 0, 0, kA, kB, kB, 0, 0}},
    // Bottom row: a run of alternating halves, end of line; top row: absolute of five
    // (padded), a run cut at the edge, and the data ends without an end of bitmap.
    {"Rle4",
     {4, 6, 2, {kA, kB, kC}, "\5\x12\0\0\0\5\x21\x0F\x20\0\4\x10"s, 2, 3},
     {kC, kB, kA, 0, kC, kB, kB, kC, kB, kC, kB, 0}},
};

INSTANTIATE_TEST_SUITE_P(Variants, BmpReadTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return info.param.name; });

struct RefusalCase {
    Bmp bmp;
    const wchar_t* reason;  // the start of it
    size_t cut = std::string::npos;
};

TEST(BmpRefusalTest, RefusesWhatWindowsDoesNotReadWithTheReason) {
    const std::string row = "\1\2\3\4\5\6\7\x8\x9\0\0\0"s;
    const RefusalCase cases[] = {
        {{.signature = "BA"}, L"it is no BMP file"},
        {{0, 3, 1, {}, row, 4}, L"it holds a JPEG picture"},
        {{0, 3, 1, {}, row, 5}, L"it holds a PNG picture"},
        {{24, 3, 1, {}, row, 4}, L"its format (24 bits per pixel, compression 4)"},
        {{24, 3, 1, {}, row, 3}, L"its format (24 bits per pixel, compression 3)"},
        {{4, 3, 1, {}, row, 1}, L"its format (4 bits per pixel, compression 1)"},
        {{3}, L"its format (3 bits per pixel, compression 0)"},
        {{8, 3, -1, {}, "\0\1"s, 1}, L"it is compressed and stored top-down"},
        {{8, 3, 1, {kA}, "\0\1"s, 1, 1, 40, {}, -1, 0}, L"it is compressed without the size"},
        {{8, 3, 1, {kA}, "\0\1"s, 1, 1, 40, {}, -1, 3}, L"the file ends before its pixels"},
        {{24, 0}, L"its size 0 x 1 holds no pixel"},
        {{24, 3, -2049}, L"its size 3 x 2049 is larger than 2048 x 2048"},
        {{.header = 8}, L"its header of 8 bytes"},
        {{24, 3, 1, {}, row}, L"the file ends before its header", 20},
        {{8, 3, 1, {kA}, row}, L"the file ends before its colour table"},
        {{16, 3, 1, {}, "", 3}, L"the file ends before its masks"},
        {{24, 3, 2, {}, row}, L"the file ends before its pixels"},
        {{24, 3, 1, {}, row, 0, 0, 40, {}, 1000}, L"the file ends before its pixels"},
    };
    for (const RefusalCase& c : cases) {
        CBmpReader reader;
        std::wstring reason;
        EXPECT_FALSE(reader.Open(Build(c.bmp).substr(0, c.cut), reason));
        EXPECT_EQ(reason.rfind(c.reason, 0), 0u) << std::string(reason.begin(), reason.end());
    }
}

}  // namespace
