// Gauge bitmaps: the BMP layouts users' tools write and bounded reading. Windows file names and
// the first bitmap staying: the gauge document's tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gauge/gauge_image.h"
#include "test_support.h"
#include "trace/trace.h"

using namespace XPL;
namespace fs = std::filesystem;

namespace {

class GaugeImageTest : public ::testing::Test {
protected:
    std::wstring Folder() const { return test_.Path().wstring(); }
    TEST::CTestFolder test_;
    const fs::path& folder_ = test_.Path();
};

uint32_t Pattern(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(x * 40) << 16) | (static_cast<uint32_t>(y * 50) << 8) |
           static_cast<uint32_t>(x + y);
}

struct LayoutCase {
    int bits;
    bool topDown;
};

class GaugeImageLayoutTest : public GaugeImageTest,
                             public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(GaugeImageLayoutTest, LoadsTopRowFirstAs0x00RRGGBB) {
    const int bits = GetParam().bits;
    const auto colour = [bits](int32_t x, int32_t y) {
        return bits == 8 ? static_cast<uint32_t>(x * 30 + y) * 0x010101u : Pattern(x, y);
    };
    TEST::WriteFile(folder_ / "needle.bmp", TEST::BmpFile(5, 3, bits, GetParam().topDown, colour));
    CGaugeImage image;
    ASSERT_TRUE(image.Load(Folder(), L"needle.bmp", 2.5f, 1.0f, true))
        << std::string(image.Failure().begin(), image.Failure().end());
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 3);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(image.Pixel(x, y), colour(x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(image.Pixel(5, 0), 0u);
    EXPECT_EQ(image.axisX, 2.5f);
    EXPECT_EQ(image.alpha, 1);
}

INSTANTIATE_TEST_SUITE_P(Layouts, GaugeImageLayoutTest,
                         ::testing::Values(LayoutCase{8, false}, LayoutCase{24, false},
                                           LayoutCase{24, true}, LayoutCase{32, false},
                                           LayoutCase{32, true}),
                         [](const auto& info) {
                             return std::to_string(info.param.bits) +
                                    (info.param.topDown ? "TopDown" : "BottomUp");
                         });

TEST_F(GaugeImageTest, ABitmapThatDoesNotLoadLeavesTheImageEmptyWithAMessage) {
    std::string truncated = TEST::BmpFile(8, 8, 24, false, Pattern);
    truncated.resize(30);
    TEST::WriteFile(folder_ / "truncated.bmp", truncated);
    TEST::WriteFile(folder_ / "text.bmp", "not a bitmap");
    TEST::WriteFile(folder_ / "wide.bmp", TEST::BmpFile(2049, 1, 24, false, Pattern));
    TEST::WriteFile(folder_ / "big.bmp", TEST::BmpFile(64, 64, 24, false, Pattern));
    struct Case {
        const wchar_t* name;
        const wchar_t* reason;  // the start of it
        uint64_t budget = 1u << 30;
    };
    const Case cases[] = {{L"missing.bmp", L"the file cannot be found"},
                          {L"", L"the file cannot be found"},
                          {L"truncated.bmp", L"the bitmap cannot be decoded"},
                          {L"text.bmp", L"it is no BMP file"},
                          {L"wide.bmp", L"the bitmap cannot be decoded"},
                          {L"big.bmp", L"the gauge's bitmaps would take more", 64 * 64 - 1}};
    VIRTUAL::EnableTrace(1, TRACEKW::kScreen);
    VIRTUAL::TakeTraceLines();
    for (const Case& c : cases) {
        uint64_t budget = c.budget;
        CGaugeImage image;
        EXPECT_FALSE(image.Load(Folder(), c.name, 1, 1, true, &budget));
        EXPECT_FALSE(image.HasBitmap());
        EXPECT_EQ(image.Failure().rfind(c.reason, 0), 0u)
            << std::string(image.Failure().begin(), image.Failure().end());
        EXPECT_EQ(budget, c.budget);
        EXPECT_TRUE(TEST::HasLineStartingWith(
            TEST::TakeTraceTexts(1),
            L"Failed in loading the gauge bitmap " + Folder() + L"\\" + c.name + L":"));
    }
    VIRTUAL::DisableTrace();
    uint64_t budget = 64 * 64;
    CGaugeImage image;
    EXPECT_TRUE(image.Load(Folder(), L"big.bmp", 0, 0, false, &budget));
    EXPECT_EQ(budget, 0u);
}

}  // namespace
