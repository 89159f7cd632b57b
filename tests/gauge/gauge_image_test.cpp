// Gauge bitmaps: Windows file names, and what does not load.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "bmp_file.h"
#include "gauge/gauge_image.h"
#include "test_support.h"
#include "trace/trace.h"

using namespace XPL;
namespace fs = std::filesystem;

namespace {

class GaugeImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("xvs-image-") + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::wstring Folder() const { return folder_.wstring(); }
    fs::path folder_;
};

uint32_t Pattern(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(x * 40) << 16) | (static_cast<uint32_t>(y * 50) << 8) |
           static_cast<uint32_t>(x + y);
}

TEST_F(GaugeImageTest, NamesResolveAsOnWindowsAndTheFirstBitmapStays) {
    TEST::WriteFile(folder_ / "1024" / "Needle.BMP", TEST::BmpFile(2, 2, 24, false, Pattern));
    TEST::WriteFile(folder_ / "other.bmp", TEST::BmpFile(4, 4, 24, false, Pattern));
    CGaugeImage image;
    EXPECT_TRUE(image.Load(Folder() + L"\\1024", L"needle.bmp", 0, 0, false));
    EXPECT_FALSE(image.Load(Folder(), L"other.bmp", 0, 0, false));
    EXPECT_EQ(image.Width(), 2);
    EXPECT_TRUE(image.Failure().empty());
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
