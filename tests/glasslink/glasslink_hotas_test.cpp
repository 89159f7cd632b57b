// The stick link against a virtual stick display: the line records, what is not sent again, and
// requests still in flight when the link is uninitialised.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "glasslink/glasslink_hotas.h"
#include "test_support.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

const std::wstring kStick = L"\\\\?\\glasslink#stick#3";
using Bytes = std::vector<uint8_t>;

class GlasslinkHotasTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VIRTUAL::AttachDevice(
            DisplayDevice(VIRTUAL::DeviceKind::StickDisplay, kStick, L"\\device\\stick", L""));
        link_ = std::make_unique<CGlasslinkHotas>(kStick);
        ASSERT_TRUE(link_->Initialize());
    }
    void TearDown() override {
        link_.reset();
        EXPECT_EQ(VIRTUAL::OpenFileCount(), 0);
        VIRTUAL::ResetPlatform();
    }
    // The requests sent, the shift indicator of initialise first.
    static std::vector<Bytes> Sent() { return VIRTUAL::DisplayRequests(kStick); }
    static std::string Shown(int line) { return VIRTUAL::ViewDisplay(kStick).lines[line]; }

    std::unique_ptr<CGlasslinkHotas> link_;
};

struct LineCase {
    const char* text;
    uint8_t line;
    Bytes records;
};

class LineRecordsTest : public GlasslinkHotasTest,
                        public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineRecordsTest, ClearRecordThenTwoCharactersARecordTheLaterFirst) {
    link_->SetString(GetParam().text, GetParam().line);
    Bytes line = {0x04, 0x30, 0x22, 0x00};
    line.insert(line.end(), GetParam().records.begin(), GetParam().records.end());
    EXPECT_EQ(Sent(), (std::vector<Bytes>{{0x84, 0x30, 0x22, 0x00, 1, 0, 0, 0}, line}));
    EXPECT_EQ(Shown(GetParam().line), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineRecordsTest,
    ::testing::Values(LineCase{"AB", 0, {0xD9, 0, 0, 0, 0xD1, 0, 0x42, 0x41}},
                      LineCase{"ABC", 1, {0xDA, 0, 0, 0, 0xD2, 0, 0x42, 0x41, 0xD2, 0, 0, 0x43}},
                      LineCase{"", 2, {0xDC, 0, 0, 0}},
                      LineCase{"\xB0\x7F", 2, {0xDC, 0, 0, 0, 0xD4, 0, 0x7F, 0xB0}}));

// A refused line is sent again: tests/scenarios/hotas.sim.
TEST_F(GlasslinkHotasTest, ALineIsSentAgainOnlyWhenItChanged) {
    link_->SetString("NAV1 110.50", 0);
    link_->SetString("NAV1 110.50", 0);
    link_->SetString("NAV1 110.50", 1);  // the same text on another line
    link_->SetString("X", 3);            // no such line
    EXPECT_EQ(Sent().size(), 3u);
}

TEST_F(GlasslinkHotasTest, RequestsInFlightAreTakenAsSentAndCancelledWhenTheLinkEnds) {
    VIRTUAL::SetFault(kStick, VIRTUAL::Fault::IoctlPending, true);
    link_->SetString("XPDR 1200", 0);
    link_->SetString("XPDR 1200", 0);  // pending counts as sent
    link_->SetString("ALT 3500", 1);
    EXPECT_EQ(Sent().size(), 3u);
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kStick), 2);
    link_->Uninitialize();
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kStick), 0);
    link_->SetString("ALT 3600", 1);
    link_.reset();  // one left in flight is cancelled before its record goes
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kStick), 0);
}

}  // namespace
