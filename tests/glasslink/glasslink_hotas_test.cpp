// The stick link against a virtual stick display: the line records, what is not sent again, the
// refused request kept for a retry, and requests still in flight when the link is uninitialised.
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

const Bytes kLineCode = {0x04, 0x30, 0x22, 0x00};
const Bytes kShiftRequest = {0x84, 0x30, 0x22, 0x00, 0x01, 0x00, 0x00, 0x00};

Bytes LineRequest(const Bytes& records) {
    Bytes request = kLineCode;
    request.insert(request.end(), records.begin(), records.end());
    return request;
}

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
    // The requests after the shift indicator sent at initialise.
    std::vector<Bytes> Lines() const {
        std::vector<Bytes> requests = VIRTUAL::DisplayRequests(kStick);
        EXPECT_EQ(requests.at(0), kShiftRequest);
        requests.erase(requests.begin());
        return requests;
    }

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
    EXPECT_EQ(Lines(), std::vector<Bytes>{LineRequest(GetParam().records)});
    EXPECT_EQ(VIRTUAL::ViewDisplay(kStick).lines[GetParam().line], GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineRecordsTest,
    ::testing::Values(LineCase{"AB", 0, {0xD9, 0, 0, 0, 0xD1, 0, 0x42, 0x41}},
                      LineCase{"ABC", 1, {0xDA, 0, 0, 0, 0xD2, 0, 0x42, 0x41, 0xD2, 0, 0, 0x43}},
                      LineCase{"", 2, {0xDC, 0, 0, 0}},
                      LineCase{"COM1 \xB0\x7F", 2, {0xDC, 0,    0,    0,   0xD4, 0,    'O',
                                                    'C',  0xD4, 0,    '1', 'M',  0xD4, 0,
                                                    0xB0, ' ',  0xD4, 0,   0,    0x7F}}));

TEST_F(GlasslinkHotasTest, ALineIsSentAgainOnlyWhenItChanged) {
    link_->SetString("NAV1 110.50", 0);
    link_->SetString("NAV1 110.50", 0);
    link_->SetString("NAV1 110.50", 1);  // the same text on another line
    link_->SetString("NAV1 110.5", 0);
    link_->SetString("NAV1 110.5", 0);
    link_->SetString("X", 3);  // no such line
    const std::vector<Bytes> lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1][4], 0xDA);
    const auto view = VIRTUAL::ViewDisplay(kStick);
    EXPECT_EQ(view.lines, (std::array<std::string, 3>{"NAV1 110.5", "NAV1 110.50", ""}));
    EXPECT_EQ(view.shiftIndicator, 1u);
}

TEST_F(GlasslinkHotasTest, ARefusedLineIsSentAgainWithTheSameText) {
    link_->SetString("ADF 0350", 2);
    VIRTUAL::SetFault(kStick, VIRTUAL::Fault::Ioctl, true);
    link_->SetString("ADF 0351", 2);
    link_->SetString("ADF 0351", 2);
    EXPECT_EQ(VIRTUAL::ViewDisplay(kStick).lines[2], "ADF 0350");
    VIRTUAL::SetFault(kStick, VIRTUAL::Fault::Ioctl, false);
    link_->SetString("ADF 0351", 2);
    link_->SetString("ADF 0351", 2);
    EXPECT_EQ(Lines().size(), 2u);
    EXPECT_EQ(VIRTUAL::ViewDisplay(kStick).lines[2], "ADF 0351");
}

TEST_F(GlasslinkHotasTest, RequestsInFlightAreTakenAsSentAndCancelledAtUninitialize) {
    VIRTUAL::SetFault(kStick, VIRTUAL::Fault::IoctlPending, true);
    link_->SetString("XPDR 1200", 0);
    link_->SetString("XPDR 1200", 0);  // pending counts as sent
    link_->SetString("ALT 3500", 1);
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kStick), 2);
    EXPECT_EQ(Lines().size(), 2u);
    link_->Uninitialize();
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kStick), 0);

    // One still in flight when the link goes is cancelled then.
    link_->SetString("ALT 3600", 1);
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kStick), 1);
    link_.reset();
    EXPECT_EQ(VIRTUAL::RequestsInFlight(kStick), 0);
}

TEST_F(GlasslinkHotasTest, AStickThatCannotBeOpenedGetsNoLink) {
    VIRTUAL::SetFault(kStick, VIRTUAL::Fault::Open, true);
    CGlasslinkHotas refused(kStick);
    EXPECT_FALSE(refused.Initialize());
    refused.SetString("AB", 0);
    EXPECT_EQ(VIRTUAL::DisplayRequests(kStick).size(), 1u) << "only the first link's shift";
}

}  // namespace
