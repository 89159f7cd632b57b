// The screen link against a virtual screen display: the bytes of its requests, the LED cache,
// reply handling, the time-outs on the virtual clock and the serialisation of its exchanges.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "glasslink/glasslink_screen.h"
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
    }
    void TearDown() override {
        link_.reset();
        EXPECT_EQ(VIRTUAL::OpenFileCount(), 0);
        VIRTUAL::ResetPlatform();
    }
    // Runs call on its own thread, as the panel's I/O thread would, so the test can drive the
    // clock; returns once the call waits on the clock (or has returned).
    void Begin(std::function<bool()> call) {
        done_ = false;
        worker_ = std::thread([this, call] {
            result_ = call();
            done_ = true;
        });
        while (!done_ && VIRTUAL::TimedWaiters() == 0) {
            std::this_thread::yield();
        }
    }
    bool End() {
        worker_.join();
        return result_;
    }
    static Bytes Picture(uint8_t fill) { return Bytes(CGlasslinkScreen::kImageBytes, fill); }
    bool SendPicture(const Bytes& picture) {
        return link_->SetImage(picture.data(), static_cast<uint32_t>(picture.size()));
    }

    std::unique_ptr<CGlasslinkScreen> link_;
    std::thread worker_;
    std::atomic<bool> done_{false};
    std::atomic<bool> result_{false};
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

TEST_F(GlasslinkScreenTest, AWriteThatDoesNotCompleteInTimeIsCancelledAndNothingIsRead) {
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::WritePending, true);
    Begin([this] { return SendPicture(Picture(2)); });
    VIRTUAL::AdvanceClock(499);
    EXPECT_FALSE(done_);
    VIRTUAL::AdvanceClock(1);
    EXPECT_FALSE(End());
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kScreen), 0) << "cancelled and waited for";
    const auto texts = TakeTraceTexts();
    EXPECT_EQ(CountLines(texts, L"The write request failed due to 258"), 1u);
    EXPECT_FALSE(HasLineStartingWith(texts, L">>XPL::CGlasslinkScreen::IoRead"));
}

// Each of ten reply reads waits 500 ms; a LED written counts as set even without a reply.
TEST_F(GlasslinkScreenTest, ARequestWhoseReplyNeverComesEndsAfterTenReads) {
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Reply, true);
    Begin([this] {
        const bool sent = SendPicture(Picture(3));
        link_->SetLed(4, true);
        return sent;
    });
    VIRTUAL::AdvanceClock(4999);
    EXPECT_EQ(CountLines(TakeTraceTexts(1), L"The read request failed due to 258"), 9u);
    VIRTUAL::AdvanceClock(1 + 5000);
    EXPECT_FALSE(End());
    EXPECT_EQ(CountLines(TakeTraceTexts(1), L"The read request failed due to 258"), 11u);
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kScreen), 0);
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Reply, false);
    link_->SetLed(4, true);
    const VIRTUAL::DisplayView view = VIRTUAL::ViewDisplay(kScreen);
    EXPECT_EQ(view.pictures, 1u) << "the device took it";
    EXPECT_EQ(view.leds, 1u << 4);
    EXPECT_EQ(VIRTUAL::DisplayRequests(kScreen).size(), 3u) << "the LED is not sent again";
}

TEST_F(GlasslinkScreenTest, ALedWaitsForAPictureOnItsWayAndExchangesNeverMix) {
    // Further bytes after every reply: a read taken by the wrong exchange would be seen.
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::ExtraBytes, true);
    VIRTUAL::SetReplyExtraBytes(kScreen, 16 * 1024);
    VIRTUAL::DisableTrace();
    constexpr int kPictures = 20;
    std::atomic<bool> picturesSent{false};
    std::thread pictures([&] {
        for (int i = 1; i <= kPictures; ++i) {
            EXPECT_TRUE(SendPicture(Picture(static_cast<uint8_t>(i))));
        }
        picturesSent = true;
    });
    // LEDs change for as long as pictures are on their way.
    uint16_t expected = 0;
    for (int i = 0; !picturesSent || i < 100; ++i) {
        const bool on = (i / 9) % 2 == 0;
        link_->SetLed(i % 9, on);
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

namespace {

// A stop raised from another thread ends the exchange waiting for the device at once (no time
// passes), makes the exchanges that follow fail without a request, and LEDs go on meanwhile.
TEST_F(GlasslinkScreenTest, AStopEndsThePictureOnItsWayAndRefusesPicturesUntilReset) {
    CGlasslinkScreen::CTransferStop stop;
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Reply, true);
    Begin([this, &stop] {
        const Bytes picture = Picture(4);
        return link_->SetImage(picture.data(), CGlasslinkScreen::kImageBytes, &stop);
    });
    stop.Stop();
    EXPECT_FALSE(End());
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kScreen), 0);
    const size_t requests = VIRTUAL::DisplayRequests(kScreen).size();
    const Bytes picture = Picture(5);
    EXPECT_FALSE(link_->SetImage(picture.data(), CGlasslinkScreen::kImageBytes, &stop));
    EXPECT_EQ(VIRTUAL::DisplayRequests(kScreen).size(), requests);
    EXPECT_EQ(CountLines(TakeTraceTexts(1), L"The read request failed due to 258"), 0u);

    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Reply, false);
    stop.Reset();
    EXPECT_TRUE(link_->SetImage(picture.data(), CGlasslinkScreen::kImageBytes, &stop));
    EXPECT_EQ(VIRTUAL::ViewDisplay(kScreen).picture, picture);
}

}  // namespace
