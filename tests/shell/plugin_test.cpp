// The entry points as the simulator drives them: the display service, and the flight loop
// reaching the devices only while enabled. The shipped module's identity, look-ups,
// flight loop, plane-loaded message and second life run under Wine (tests/win32/plugin_host.cpp).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "backends/virtual/virtual_platform.h"
#include "shell/plugin.h"
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

}  // namespace
