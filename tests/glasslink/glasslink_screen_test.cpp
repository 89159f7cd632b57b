// The screen link against a virtual screen display: the bytes of its requests, the LED and
// picture caches, reply handling, the time-outs on the virtual clock and the serialisation of its
// exchanges per device.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "glasslink/glasslink_screen.h"
#include "platform/clock.h"
#include "test_support.h"
#include "trace/trace.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

const std::wstring kScreen = L"\\\\?\\glasslink#screen#7";
using Bytes = std::vector<uint8_t>;

// A request header: the marker, then the fields given, each big-endian.
Bytes Header(uint32_t payload, uint32_t command, uint32_t led, uint32_t on) {
    Bytes header(44, 0);
    header[7] = 1;
    for (const auto& [offset, value] :
         {std::pair{8, payload}, {20, command}, {28, led}, {32, on}}) {
        for (int i = 0; i < 4; ++i) {
            header[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
        }
    }
    return header;
}

class GlasslinkScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VIRTUAL::AttachDevice(DisplayDevice(VIRTUAL::DeviceKind::ScreenDisplay, kScreen,
                                            L"\\device\\screen", L"SCR-7"));
        link_ = std::make_unique<CGlasslinkScreen>(kScreen);
        ASSERT_TRUE(link_->Initialize());
        VIRTUAL::EnableTrace(3, TRACEKW::kGlasslink);
        TakeTraceTexts();
        VIRTUAL::DriveClock();  // the link's waits move the clock on by themselves
    }
    void TearDown() override {
        link_.reset();
        EXPECT_EQ(VIRTUAL::OpenFileCount(), 0);
        VIRTUAL::ResetPlatform();
    }
    static Bytes Picture(uint8_t fill) { return Bytes(CGlasslinkScreen::kImageBytes, fill); }
    bool SendPicture(const Bytes& picture) {
        return link_->SetImage(picture.data(), static_cast<uint32_t>(picture.size()));
    }

    std::unique_ptr<CGlasslinkScreen> link_;
};

TEST_F(GlasslinkScreenTest, RequestsCarryTheirBigEndianHeaderThenThePayload) {
    const Bytes picture = Picture(0x5A);
    EXPECT_TRUE(SendPicture(picture));
    link_->SetLed(3, true);
    link_->SetLed(8, true);
    link_->SetLed(3, false);
    const std::vector<Bytes> sent = VIRTUAL::DisplayRequests(kScreen);
    EXPECT_EQ(sent, (std::vector<Bytes>{Header(230400, 6, 0, 0), picture, Header(0, 24, 3, 1),
                                        Header(0, 24, 8, 1), Header(0, 24, 3, 0)}));
    const VIRTUAL::DisplayView view = VIRTUAL::ViewDisplay(kScreen);
    EXPECT_EQ(view.leds, 1u << 8);
    EXPECT_EQ(view.picture, picture);
    EXPECT_EQ(view.protocolErrors, 0u);
}

TEST_F(GlasslinkScreenTest, ALedIsSentOnlyWhenItsConfirmedStateDiffers) {
    link_->SetLed(2, false);  // all start off
    link_->SetLed(2, true);
    link_->SetLed(2, true);
    for (const int32_t index : {-1, 9, 1000}) {
        link_->SetLed(index, true);
    }
    EXPECT_EQ(VIRTUAL::DisplayRequests(kScreen).size(), 1u);
    EXPECT_EQ(CountLines(TakeTraceTexts(1), L"There is no LED 9"), 1u);

    // A refused write leaves the cache, so the same call tries again.
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Write, true);
    link_->SetLed(2, false);
    EXPECT_EQ(TakeTraceTexts(1), std::vector<std::wstring>{L"WriteFile failed due to 31"});
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Write, false);
    link_->SetLed(2, false);
    link_->SetLed(2, false);
    EXPECT_EQ(VIRTUAL::DisplayRequests(kScreen).size(), 2u);
    EXPECT_EQ(VIRTUAL::ViewDisplay(kScreen).leds, 0u);
}

class ScreenReplyTest : public GlasslinkScreenTest,
                        public ::testing::WithParamInterface<std::pair<int32_t, size_t>> {};

// A reply counting further bytes is followed by reads of at most 1024 bytes until all are in.
TEST_P(ScreenReplyTest, TheBytesAfterAReplyAreReadAndDropped) {
    const auto [extra, reads] = GetParam();
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::ExtraBytes, true);
    VIRTUAL::SetReplyExtraBytes(kScreen, extra);
    EXPECT_TRUE(SendPicture(Picture(1)));
    EXPECT_EQ(CountLines(TakeTraceTexts(), L">>XPL::CGlasslinkScreen::IoRead"), reads);
    EXPECT_TRUE(TakeTraceTexts(1).empty());
}

INSTANTIATE_TEST_SUITE_P(ExtraBytes, ScreenReplyTest,
                         ::testing::Values(std::pair<int32_t, size_t>{0, 1},
                                           std::pair<int32_t, size_t>{1500, 3},
                                           std::pair<int32_t, size_t>{-5, 1}));

// A reply counting very many bytes, each read slow, is read until the exchange's time is up and
// the next exchange goes. A write that is not taken, a reply that never comes and a driver that
// never ends a cancelled request: tests/scenarios/screen_unresponsive.sim.
TEST_F(GlasslinkScreenTest, AnEndlessReplyEndsWhenTheExchangesTimeIsUp) {
    const VIRTUAL::Fault faults[] = {VIRTUAL::Fault::Slow, VIRTUAL::Fault::ExtraBytes};
    for (const VIRTUAL::Fault fault : faults) {
        VIRTUAL::SetFault(kScreen, fault, true);
    }
    VIRTUAL::SetReplyExtraBytes(kScreen, 1 << 20);
    const uint32_t before = PLATFORM::GetTickCount();
    SendPicture(Picture(2));
    EXPECT_EQ(PLATFORM::GetTickCount() - before, 6000u);
    EXPECT_EQ(
        CountLines(TakeTraceTexts(1), L"The exchange has not ended within 6000 ms; it is given up"),
        1u);
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kScreen), 0);
    for (const VIRTUAL::Fault fault : faults) {
        VIRTUAL::SetFault(kScreen, fault, false);
    }
    EXPECT_TRUE(SendPicture(Picture(3)));
}

// The picture the device accepted last is not sent again; after an exchange that failed, the
// device may show anything, so the next one goes out. A retired link makes no exchange.
TEST_F(GlasslinkScreenTest, APictureTheDeviceShowsIsNotSentAgain) {
    const Bytes a = Picture(1);
    EXPECT_TRUE(SendPicture(a));
    EXPECT_TRUE(SendPicture(a));
    EXPECT_TRUE(SendPicture(Picture(2)));
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Reply, true);
    EXPECT_FALSE(SendPicture(a));
    EXPECT_TRUE(link_->SetLed(4, true)) << "a LED written counts as set without a reply";
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Reply, false);
    EXPECT_TRUE(link_->SetLed(4, true));
    EXPECT_EQ(VIRTUAL::DisplayRequests(kScreen).size(), 7u) << "the LED is not sent again";
    EXPECT_TRUE(SendPicture(a));
    EXPECT_EQ(VIRTUAL::ViewDisplay(kScreen).pictures, 4u);
    link_->Uninitialize();
    EXPECT_FALSE(SendPicture(Picture(5)));
    EXPECT_FALSE(link_->SetLed(1, true));
    EXPECT_EQ(VIRTUAL::ViewDisplay(kScreen).pictures, 4u);
}

// Two links of one device (it arrived twice; its path in another letter case): pictures through
// one and LEDs through the other never mix their exchanges.
TEST_F(GlasslinkScreenTest, ExchangesOfTwoLinksOfOneDeviceNeverMix) {
    CGlasslinkScreen other(L"\\\\?\\GLASSLINK#SCREEN#7");
    ASSERT_TRUE(other.Initialize());
    // Further bytes after every reply: a read taken by the wrong exchange would be seen.
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::ExtraBytes, true);
    VIRTUAL::SetReplyExtraBytes(kScreen, 16 * 1024);
    VIRTUAL::DisableTrace();
    constexpr int kPictures = 20;
    std::atomic<bool> picturesSent{false};
    // A thread that takes part in the clock: time does not move on while it sends.
    std::thread pictures = PLATFORM::StartThread([&] {
        for (int i = 1; i <= kPictures; ++i) {
            EXPECT_TRUE(SendPicture(Picture(static_cast<uint8_t>(i))));
        }
        picturesSent = true;
    });
    // LEDs change for as long as pictures are on their way.
    uint16_t expected = 0;
    for (int i = 0; !picturesSent || i < 100; ++i) {
        const bool on = (i / 9) % 2 == 0;
        other.SetLed(i % 9, on);
        expected =
            static_cast<uint16_t>(on ? expected | (1u << (i % 9)) : expected & ~(1u << (i % 9)));
    }
    pictures.join();
    const VIRTUAL::DisplayView view = VIRTUAL::ViewDisplay(kScreen);
    EXPECT_EQ(view.protocolErrors, 0u);
    EXPECT_EQ(view.pictures, static_cast<uint64_t>(kPictures));
    EXPECT_EQ(view.picture, Picture(kPictures));
    EXPECT_EQ(view.leds, expected);
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kScreen), 0);
}

}  // namespace
