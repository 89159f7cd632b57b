// The entry points as the simulator drives them: start and stop order, the identity strings, the
// flight loop and the plane-loaded message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "backends/virtual/virtual_platform.h"
#include "shell/plugin.h"
#include "sim/aircraft_settings.h"
#include "trace/trace.h"
#include "vsim/vsim.h"

using namespace XPL;

namespace {

constexpr wchar_t kPauseEvent[] = L"Global\\{8D41F2A6-3E7B-4C19-A5D8-1F6B2C9E7034}";
constexpr wchar_t kResumeEvent[] = L"Global\\{E6A09C53-7B1D-4A82-9F34-C25D8B1E6A07}";

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VSIM::Reset();
        GetAircraftSettings() = {};
        std::memset(name_, 'x', sizeof(name_));
        std::memset(signature_, 'x', sizeof(signature_));
        std::memset(description_, 'x', sizeof(description_));
    }
    void TearDown() override {
        if (started_) {
            XPluginDisable();
            XPluginStop();
        }
        VIRTUAL::ResetPlatform();
    }
    int Start() {
        const int result = XPluginStart(name_, signature_, description_);
        started_ = result == 1;
        return result;
    }
    void Stop() {
        XPluginDisable();
        XPluginStop();
        started_ = false;
    }
    // How many times the device manager was given a frame, from its trace.
    static int NotifiedFrames() {
        int count = 0;
        for (const auto& line : VIRTUAL::TakeTraceLines()) {
            count += line.text.find(L">>XPL::CSkydeck::NotifyPanels") != std::wstring::npos;
        }
        return count;
    }

    char name_[256];
    char signature_[256];
    char description_[256];
    bool started_ = false;
};

TEST_F(PluginTest, StartFillsIdentityAndRegistersTheFlightLoopAgainAfterAStop) {
    ASSERT_EQ(Start(), 1);
    EXPECT_STREQ(name_, "XVarlenSkydeck.1.2.6.0");
    EXPECT_STREQ(signature_, "XVarlenSkydeck.1.2.6.0");
    EXPECT_STREQ(description_, "X-Plane 10 Plugin For Varlen Skydeck V1.2.6.0");
    ASSERT_EQ(VSIM::FlightLoops().size(), 1u);
    EXPECT_EQ(VSIM::FlightLoops()[0].interval, -1.0f);
    EXPECT_EQ(VSIM::FlightLoops()[0].refcon, nullptr);
    EXPECT_FALSE(VSIM::LookedUpCommands().empty());
    EXPECT_FALSE(VSIM::LookedUpDataRefs().empty());

    Stop();
    EXPECT_TRUE(VSIM::FlightLoops().empty());
    ASSERT_EQ(Start(), 1);
    EXPECT_EQ(VSIM::FlightLoops().size(), 1u);
}

TEST_F(PluginTest, IdentityCopyStopsAt254Characters) {
    const std::string longText(400, 'n');
    char buffer[300];
    std::memset(buffer, 'x', sizeof(buffer));
    CopyIdentityText(buffer, longText.c_str());
    EXPECT_EQ(std::strlen(buffer), 254u);
    EXPECT_EQ(buffer[255], 'x');
}

TEST_F(PluginTest, DisplayServiceIsPausedAtStartAndResumedAtStopWhenItRuns) {
    VIRTUAL::EnableTrace(1, 0xFFFF);
    ASSERT_EQ(Start(), 1);  // not running: no error
    Stop();
    EXPECT_TRUE(VIRTUAL::TakeSignalledEvents().empty());
    EXPECT_TRUE(VIRTUAL::TakeTraceLines().empty());

    VIRTUAL::SetNamedEventExists(kPauseEvent, true);
    VIRTUAL::SetNamedEventExists(kResumeEvent, true);
    ASSERT_EQ(Start(), 1);
    EXPECT_EQ(VIRTUAL::TakeSignalledEvents(), std::vector<std::wstring>{kPauseEvent});
    Stop();
    EXPECT_EQ(VIRTUAL::TakeSignalledEvents(), std::vector<std::wstring>{kResumeEvent});
}

TEST_F(PluginTest, FlightLoopKeepsRunningAndReachesDevicesOnlyWhileEnabled) {
    VIRTUAL::EnableTrace(3, 0x2);
    ASSERT_EQ(Start(), 1);
    VIRTUAL::TakeTraceLines();

    EXPECT_EQ(VSIM::RunFrames(3), -1.0f);
    EXPECT_EQ(NotifiedFrames(), 0);

    EXPECT_EQ(XPluginEnable(), 1);
    EXPECT_EQ(VSIM::RunFrames(4), -1.0f);
    EXPECT_EQ(NotifiedFrames(), 4);

    XPluginDisable();
    EXPECT_EQ(VSIM::RunFrames(2), -1.0f);
    EXPECT_EQ(NotifiedFrames(), 0);
    EXPECT_EQ(VSIM::FlightLoops().size(), 1u);
}

TEST_F(PluginTest, OnlyTheUserAircraftLoadFromTheSimulatorReadsItsSettings) {
    VSIM::SetUserAircraft("R22.acf", "Aircraft/Helicopters/R22/R22.acf");
    ASSERT_EQ(Start(), 1);
    const std::vector<std::tuple<XPLMPluginID, int, intptr_t>> ignored = {
        {1, XPLM_MSG_PLANE_LOADED, 0}, {0, XPLM_MSG_PLANE_LOADED, 1}, {0, 101, 0}, {5, 7, 3}};
    for (const auto& [from, message, param] : ignored) {
        XPluginReceiveMessage(from, message, reinterpret_cast<void*>(param));
        EXPECT_EQ(GetAircraftSettings().isHelicopter, 0u) << from << " " << message;
    }
    XPluginReceiveMessage(0, XPLM_MSG_PLANE_LOADED, nullptr);
    EXPECT_EQ(GetAircraftSettings().isHelicopter, 1u);
}

TEST_F(PluginTest, MessageLineShowsItsArguments) {
    VIRTUAL::EnableTrace(3, 0x1);
    XPluginReceiveMessage(0x1F, 7, reinterpret_cast<void*>(intptr_t{0xAB}));
    const auto lines = VIRTUAL::TakeTraceLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].text, L"    PluginID: 0x1f, Message: 7, Param: 0x00000000000000AB");
}

}  // namespace
