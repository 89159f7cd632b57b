// The virtual cockpit's saved pictures: read back top row first, in the picture's colours. What
// the display expectations read and how a wait sees a picture due within it: the scenarios
// (screen.sim, and fail_led, fail_line, fail_pixel and fail_picture.sim for wrong expectations).
#include <gtest/gtest.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include "picture_file.h"
#include "test_support.h"

namespace XPL::SIMTOOL {
namespace {

TEST(PictureFileTest, SavesThePictureTopRowFirstAsRgb) {
    TEST::CTestFolder folder;
    // As the screen received it: rows from the bottom, pixels blue, green, red.
    std::vector<uint8_t> picture(kPictureWidth * kPictureHeight * 3, 0);
    uint8_t* pixel = picture.data() + (kPictureHeight - 1 - 20) * kPictureWidth * 3 + 10 * 3;
    pixel[0] = 0x01;
    pixel[1] = 0x80;
    pixel[2] = 0xFF;
    const std::string file = (folder.Path() / "first.png").string();
    ASSERT_TRUE(SavePicturePng(picture, file));
    int width = 0;
    int height = 0;
    int channels = 0;
    uint8_t* rgb = stbi_load(file.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(rgb, nullptr) << "no picture saved";
    EXPECT_EQ(width * height, kPictureWidth * kPictureHeight);
    const uint8_t* read = rgb + (20 * kPictureWidth + 10) * 3;
    EXPECT_EQ((std::vector<uint8_t>{read[0], read[1], read[2]}),
              (std::vector<uint8_t>{0xFF, 0x80, 0x01}));
    stbi_image_free(rgb);
    EXPECT_FALSE(SavePicturePng(picture, folder.Path() / "no" / "such" / "x.png"));
}

}  // namespace
}  // namespace XPL::SIMTOOL
