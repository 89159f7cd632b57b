// The virtual cockpit's display view: the expectations on what the display devices show, saved
// pictures, and a wait that sees a picture due within it. The devices are driven through their
// links, as the screen and stick panels drive them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "cockpit.h"
#include "glasslink/glasslink_hotas.h"
#include "glasslink/glasslink_screen.h"
#include "platform/clock.h"
#include "platform/hid.h"
#include "scenario.h"
#include "shell/module.h"

namespace XPL::SIMTOOL {
namespace {

namespace fs = std::filesystem;

// A picture as the renderer hands it over: bottom-up rows of blue, green, red.
std::vector<uint8_t> Picture(int x, int y, uint32_t rgb) {
    std::vector<uint8_t> picture(CGlasslinkScreen::kImageBytes, 0);
    uint8_t* pixel = picture.data() + (239 - y) * 960 + x * 3;
    pixel[0] = static_cast<uint8_t>(rgb);
    pixel[1] = static_cast<uint8_t>(rgb >> 8);
    pixel[2] = static_cast<uint8_t>(rgb >> 16);
    return picture;
}

class DisplayViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("xvs-display-view-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        CockpitOptions options;
        options.dataFolder = folder_;
        options.quiet = true;
        cockpit_ = std::make_unique<CCockpit>(options);
        std::string message;
        ASSERT_TRUE(cockpit_->Setup(message)) << message;
        ASSERT_EQ(Play("attach screen\nattach hotas\nstart"), kPassed);
        screen_ = std::make_unique<CGlasslinkScreen>(PathOf(VIRTUAL::kScreenDisplayClass));
        hotas_ = std::make_unique<CGlasslinkHotas>(PathOf(VIRTUAL::kStickDisplayClass));
        ASSERT_TRUE(screen_->Initialize());
        ASSERT_TRUE(hotas_->Initialize());
    }
    void TearDown() override {
        screen_.reset();
        hotas_.reset();
        cockpit_.reset();       // unloads the module, as the cockpit does at its end
        ModuleProcessAttach();  // the test program plays the loaded module again
        fs::remove_all(folder_);
    }
    static std::wstring PathOf(const PLATFORM::Guid& interfaceClass) {
        const auto list = PLATFORM::ListInterfaces(interfaceClass);
        return list.entries.empty() ? L"" : list.entries[0].path;
    }
    int Play(const std::string& text) {
        std::vector<Command> commands;
        ScenarioError error;
        EXPECT_TRUE(CScenarioParser::Parse(text, commands, error)) << error.message;
        return cockpit_->Play(commands, "view.sim", folder_);
    }

    fs::path folder_;
    std::unique_ptr<CCockpit> cockpit_;
    std::unique_ptr<CGlasslinkScreen> screen_;
    std::unique_ptr<CGlasslinkHotas> hotas_;
};

TEST_F(DisplayViewTest, AWaitPastThePictureDueSeesItAndExpectationsReadWhatIsShown) {
    // As the screen panel's I/O thread: a first picture ten seconds after it starts.
    std::thread io([this] {
        std::mutex mutex;
        std::condition_variable condition;
        std::unique_lock lock(mutex);
        PLATFORM::TimedWait(
            lock, condition, 10000, [](void*) { return false; }, nullptr);
        screen_->SetImage(Picture(10, 20, 0xFF8001).data(), CGlasslinkScreen::kImageBytes);
    });
    // The screen panel's own I/O thread waits too (it has no gauge to show).
    while (VIRTUAL::TimedWaiters() < 2) {
        std::this_thread::yield();
    }
    screen_->SetLed(3, true);
    hotas_->SetString("NAV \xB0\"", 0);
    EXPECT_EQ(Play(R"(expect led screen 3 on
expect led screen 4 off
expect count led screen 1
expect line hotas 0 "NAV \xB0\""
expect line hotas 1 ""
wait 9999
expect no picture
wait 1
expect picture screen 1
expect pixel screen 10 20 ff8001
expect pixel screen 11 20 000000
save screen first.png)"),
              kPassed);
    io.join();

    testing::internal::CaptureStderr();  // each failure names its line there
    for (const char* wrong : {"expect led screen 3 off", "expect pixel screen 10 219 FF8001",
                              R"(expect line hotas 0 "NAV ")", "expect picture screen 2"}) {
        EXPECT_EQ(Play(wrong), kExpectationFailed) << wrong;
    }
    EXPECT_EQ(Play("save screen no/such/folder/x.png"), kScenarioError);
    testing::internal::GetCapturedStderr();

    // The saved picture reads back top row first.
    int width = 0;
    int height = 0;
    int channels = 0;
    uint8_t* rgb =
        stbi_load((folder_ / "first.png").string().c_str(), &width, &height, &channels, 3);
    ASSERT_NE(rgb, nullptr) << "no picture saved";
    EXPECT_EQ(width * height, 320 * 240);
    const uint8_t* pixel = rgb + (20 * 320 + 10) * 3;
    EXPECT_EQ((std::vector<uint8_t>{pixel[0], pixel[1], pixel[2]}),
              (std::vector<uint8_t>{0xFF, 0x80, 0x01}));
    stbi_image_free(rgb);
}

}  // namespace
}  // namespace XPL::SIMTOOL
