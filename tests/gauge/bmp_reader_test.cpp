// BMP files of every variant Windows' loader reads, built here byte by byte; the expected pixels
// are worked out from the format. What it does not read is refused with the reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp_file.h"
#include "gauge/bmp_reader.h"

using namespace XPL;
using TEST::Bmp;
using namespace std::string_literals;

namespace {

constexpr uint32_t kA = 0x102030;
constexpr uint32_t kB = 0x405060;
constexpr uint32_t kC = 0x708090;
constexpr uint32_t kD = 0xA0B0C0;
const std::vector<uint32_t> kFour = {kA, kB, kC, kD};
const std::string kRow = "\1\2\3\4\5\6\7\x8\x9\0\0\0"s;  // 3 pixels of 24 bits

struct Case {
    const char* name;
    Bmp bmp;
    std::vector<uint32_t> pixels;  // top row first; none: refused
    const wchar_t* reason = L"";   // the start of the refusal's
};

class BmpReaderTest : public ::testing::TestWithParam<Case> {};

TEST_P(BmpReaderTest, ReadsThePixelsTheFormatGivesOrRefusesWithTheReason) {
    CBmpReader reader;
    std::wstring reason;
    const std::string bytes = TEST::Build(GetParam().bmp);
    ASSERT_EQ(reader.Open(bytes, reason), !GetParam().pixels.empty())
        << std::string(reason.begin(), reason.end());
    if (GetParam().pixels.empty()) {
        EXPECT_EQ(reason.rfind(GetParam().reason, 0), 0u)
            << std::string(reason.begin(), reason.end());
        return;
    }
    EXPECT_EQ(reader.Width(), GetParam().bmp.width);
    EXPECT_EQ(reader.Decode(), GetParam().pixels);
}

// Cases: {bits, width, height, palette, pixels, compression, colours used, header, masks,
// bfOffBits, data bytes}.
const Case kCases[] = {
    {"OneBit", {1, 3, 2, {kA, kB}, "\xA0\0\0\0\x40\0\0\0"s}, {kA, kB, kA, kB, kA, kB}},
    {"TwoBits", {2, 3, 1, kFour, "\xE4\0\0\0"s}, {kD, kC, kB}},
    {"FourBitsTopDown", {4, 3, -1, {kA, kB}, "\x01\x50\0\0"s, 0, 2}, {kA, kB, 0}},
    {"PastTheColours", {8, 3, 1, {kA, kB, kC}, "\1\2\xFF\0"s, 0, 2}, {kB, 0, 0}},
    {"LongPalette", {1, 2, 1, kFour, "\x80\0\0\0"s, 0, 4, 40, {}, 0}, {kB, kA}},
    {"RgbPalette", {24, 1, 1, {kA}, "\3\2\1\0"s, 0, 1, 40, {}, 0}, {0x010203}},
    {"RgbTopDownUnpadded",
     {24, 3, -2, {}, "\1\2\3\4\5\6\7\x8\x9\0\0\0\xA\xB\xC\xD\xE\xF\x10\x11\x12"s},
     {0x030201, 0x060504, 0x090807, 0x0C0B0A, 0x0F0E0D, 0x121110}},
    {"Rgb555", {16, 3, 1, {}, "\x00\x7C\x21\x80\x10\x42\0\0"s}, {0xFF0000, 0x000808, 0x848484}},
    {"Rgb565",
     {16, 2, 1, {}, "\0\xF8\x21\x08"s, 3, 0, 40, {0xF800, 0x7E0, 0x1F}},
     {0xFF0000, 0x080408}},
    {"Rgb32", {32, 1, 1, {}, "\3\2\1\xFF"s}, {0x010203}},
    {"TenBits",
     {32, 1, 1, {}, "\1\0\xF8\x3F"s, 3, 0, 40, {0x3FF00000, 0xFFC00, 0x3FF}},
     {0xFF8000}},
    {"Os2Core", {1, 2, 1, {kA, kB}, "\x40\0\0\0"s, 0, 0, 12}, {kA, kB}},
    {"Os2V2", {4, 2, 1, {kA, kB, kC}, "\x21\0\0\0"s, 0, 3, 64}, {kC, kB}},
    {"Os2V2Short", {1, 1, 1, {kA, kB}, "\x80\0\0\0"s, 0, 0, 16}, {kB}},
    {"V4Masks", {32, 1, 1, {}, "\1\2\3\0"s, 3, 0, 108, {0xFF, 0xFF00, 0xFF0000}}, {0x010203}},
    {"V5Rgb555", {16, 1, 1, {}, "\x00\x7C\0\0"s, 0, 0, 124, {0xF800, 0x7E0, 0x1F}}, {0xFF0000}},
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
    {"NoSignature", {.signature = "BA"}, {}, L"it is no BMP file"},
    {"Jpeg", {0, 3, 1, {}, kRow, 4}, {}, L"it holds a JPEG picture"},
    {"Os2Rle24", {24, 3, 1, {}, kRow, 4}, {}, L"its format (24 bits per pixel, compression 4)"},
    {"BitFieldsOf24Bits", {24, 3, 1, {}, kRow, 3}, {}, L"its format (24 bits per pixel, comp"},
    {"RleTopDown", {8, 3, -1, {}, "\0\1"s, 1}, {}, L"it is compressed and stored top-down"},
    {"RleNoSize", {8, 3, 1, {kA}, "\0\1"s, 1, 1, 40, {}, -1, 0}, {}, L"it is compressed without"},
    {"RleShort", {8, 3, 1, {kA}, "\0\1"s, 1, 1, 40, {}, -1, 3}, {}, L"the file ends before its"},
    {"NoWidth", {24, 0}, {}, L"its size 0 x 1 holds no pixel"},
    {"TooHigh", {24, 3, -2049}, {}, L"its size 3 x 2049 is larger than 2048 x 2048"},
    {"ShortHeader", {.header = 8}, {}, L"its header of 8 bytes"},
    {"ShortColourTable", {8, 3, 1, {kA}, kRow}, {}, L"the file ends before its colour table"},
    {"NoMasks", {16, 3, 1, {}, "", 3}, {}, L"the file ends before its masks"},
    {"ShortPixels", {24, 3, 2, {}, kRow}, {}, L"the file ends before its pixels"},
};

INSTANTIATE_TEST_SUITE_P(Variants, BmpReaderTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

}  // namespace
