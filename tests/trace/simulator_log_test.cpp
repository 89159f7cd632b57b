// Failures in the simulator's log: which messages reach it, when and in which form. The limit
// per message format and the messages of other threads: tests/scenarios/simulator_log.sim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/virtual/virtual_platform.h"
#include "test_support.h"
#include "trace/simulator_log.h"
#include "trace/trace.h"
#include "vsim/vsim.h"

using namespace XPL;

namespace {

class SimulatorLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VSIM::Reset();
        CSimulatorLog::Get().Reset();
    }
    void TearDown() override {
        CSimulatorLog::Get().Reset();
        VIRTUAL::ResetPlatform();
        VSIM::Reset();
    }
    static std::vector<std::string> Flushed() {
        CSimulatorLog::Get().Flush();
        return TEST::TakeJournal();
    }
};

struct SelectionCase {
    const char* name;
    bool traceEnabled;
    int level;
    int kind;
    bool logged;
};

class SimulatorLogSelectionTest : public SimulatorLogTest,
                                  public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(SimulatorLogSelectionTest, OnlyFailureMessagesReachTheLogWhateverTheController) {
    const SelectionCase& c = GetParam();
    if (c.traceEnabled) {
        VIRTUAL::EnableTrace(3, 0xFFF);
    }
    TraceWrite(c.level, TRACEKW::kLamp, c.kind, L"Failed in probing %d", 7);
    const std::vector<std::string> expected =
        c.logged ? std::vector<std::string>{"log \"XVarlenSkydeck: Failed in probing 7\""}
                 : std::vector<std::string>{};
    EXPECT_EQ(Flushed(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, SimulatorLogSelectionTest,
    ::testing::Values(SelectionCase{"FailureTraceOff", false, 1, kTraceMessage, true},
                      SelectionCase{"FailureTraceOn", true, 1, kTraceMessage, true},
                      SelectionCase{"Notice", true, 2, kTraceMessage, false},
                      SelectionCase{"Detail", true, 3, kTraceMessage, false},
                      SelectionCase{"EntryLineAtLevelOne", true, 1, kTraceEntry, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatorLogTest, LinesWaitForTheFlushAndEndWithALineEnd) {
    TraceWrite(kTraceFailure, TRACEKW::kShell, kTraceMessage, L"first");
    EXPECT_TRUE(VSIM::Journal().empty());
    CSimulatorLog::Get().Flush();
    ASSERT_EQ(VSIM::Journal().size(), 1u);
    EXPECT_EQ(VSIM::Journal()[0].text, "XVarlenSkydeck: first\n");
    VSIM::ClearJournal();
    CSimulatorLog::Get().Flush();
    EXPECT_TRUE(VSIM::Journal().empty());
}

TEST_F(SimulatorLogTest, TextsReachTheLogAsUtf8) {
    TraceWrite(kTraceFailure, TRACEKW::kLamp, kTraceMessage, L"Failed in loading %s",
               L"C:\\Users\\J\u00F6rg\\\u6587.xml");
    EXPECT_EQ(Flushed(), std::vector<std::string>{"log \"XVarlenSkydeck: Failed in loading "
                                                  "C:\\\\Users\\\\J\\xC3\\xB6rg\\\\\\xE6\\x96\\x87."
                                                  "xml\""});
}

TEST_F(SimulatorLogTest, LinesBeyondTheWaitingBoundAreDropped) {
    for (size_t i = 0; i < CSimulatorLog::kMostWaiting + 10; ++i) {
        TraceWrite(kTraceFailure, TRACEKW::kLamp, kTraceMessage,
                   std::wstring(L"format " + std::to_wstring(i)).c_str());
    }
    EXPECT_EQ(Flushed().size(), CSimulatorLog::kMostWaiting);
}

}  // namespace
