// Gauge bitmaps: what does not load, and bounded reading. Windows file names and the first
// bitmap staying: the gauge document's tests.
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

TEST_F(GaugeImageTest, ABitmapThatDoesNotLoadLeavesTheImageEmptyWithAMessage) {
    TEST::WriteFile(folder_ / "text.bmp", "not a bitmap");
    TEST::WriteFile(folder_ / "big.bmp", TEST::BmpFile(64, 64, 24, false, Pattern));
    const uint64_t bigBytes = fs::file_size(folder_ / "big.bmp");
    struct Case {
        const wchar_t* name;
        const wchar_t* reason;  // the start of it
        CGaugeImage::Budget budget{1u << 30, 1u << 30};
        uint64_t bytesLeft = (1u << 30) - 12;  // less the file's size
    };
    const Case cases[] = {
        {L"missing.bmp", L"the file cannot be found", {}, 0},
        {L"", L"the file cannot be found", {}, 0},
        {L"text.bmp", L"it is no BMP file"},
        {L"big.bmp", L"the gauge's bitmaps would take more", {bigBytes, 64 * 64 - 1}, 0},
        {L"big.bmp", L"the gauge's bitmap files would take more", {bigBytes - 1, 0}, bigBytes - 1}};
    VIRTUAL::EnableTrace(1, TRACEKW::kScreen);
    VIRTUAL::TakeTraceLines();
    for (const Case& c : cases) {
        CGaugeImage::Budget budget = c.budget;
        CGaugeImage image;
        EXPECT_FALSE(image.Load(Folder(), c.name, 1, 1, true, &budget));
        EXPECT_FALSE(image.HasBitmap());
        EXPECT_EQ(image.Failure().rfind(c.reason, 0), 0u)
            << std::string(image.Failure().begin(), image.Failure().end());
        EXPECT_EQ(budget.pixels, c.budget.pixels);
        EXPECT_EQ(budget.fileBytes, c.bytesLeft);
        EXPECT_TRUE(TEST::HasLineStartingWith(
            TEST::TakeTraceTexts(1),
            L"Failed in loading the gauge bitmap " + Folder() + L"\\" + c.name + L":"));
    }
    VIRTUAL::DisableTrace();
    CGaugeImage::Budget budget{bigBytes, 64 * 64};
    CGaugeImage image;
    EXPECT_TRUE(image.Load(Folder(), L"big.bmp", 0, 0, false, &budget));
    EXPECT_EQ(budget.fileBytes + budget.pixels, 0u);
}

}  // namespace
