// The tuner panel over the virtual bus and the virtual simulator: the knob and switch commands of
// every mode, ADF arithmetic, the shared transponder digit pair and the detent filter (also across
// the tick count's wrap-around). The displays and when the report is sent (a refused one not
// again): tests/scenarios/tuner.sim and tuner_displays.sim; the knobs with the clock:
// tuner_knobs.sim. The cost of a steady frame: bench/tuner_bench.cpp.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "devices/skydeck.h"
#include "panels/tuner_panel.h"
#include "test_support.h"
#include "vsim/vsim.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

const std::wstring kPath = L"\\\\?\\hid#vid_2c5d&pid_4a02#7&2b3c4d5e&0&0000#{4d1e55b2}";

using T = CTunerPanel;
using Lines = std::vector<std::string>;

// Usages of the selector positions by half and mode.
constexpr uint16_t Upper(uint32_t mode) {
    return static_cast<uint16_t>(T::kUpperSelectorFirst + mode);
}
constexpr uint16_t Lower(uint32_t mode) {
    return static_cast<uint16_t>(T::kLowerSelectorFirst + mode);
}

class TunerPanelTest : public PanelFixture<CTunerPanel> {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        Start(HidDevice(kPath, kTunerProductId, 32));
    }
    // One frame whose input report has the held selector positions and extra on.
    void Frame(const std::set<uint16_t>& extra = {}) {
        std::set<uint16_t> on = held_;
        on.insert(extra.begin(), extra.end());
        PanelFixture::Frame(on);
    }
    // Moves a half's selector to the position of usage (the other positions of that half go
    // off).
    void Select(uint16_t usage) {
        const uint16_t first =
            usage < T::kLowerSelectorFirst ? T::kUpperSelectorFirst : T::kLowerSelectorFirst;
        for (uint16_t u = first; u < first + T::kModeCount; ++u) {
            held_.erase(u);
        }
        held_.insert(usage);
        Frame();
    }
    // One detent (on, then off), long after the last one so the filter lets it through.
    void Turn(uint16_t usage, uint32_t afterMs = 1000) {
        VIRTUAL::AdvanceClock(afterMs);
        Frame({usage});
        Frame();
    }

    std::set<uint16_t> held_;
};

TEST_F(TunerPanelTest, KnobsAndSwitchOfEachHalfCommandTheSelectedRadio) {
    const char* const radios[] = {"com1", "com2", "nav1", "nav2"};  // modes 0 to 3
    for (const bool upper : {true, false}) {
        // The other half sits on another radio, so a half acting on the wrong mode shows.
        Select(upper ? Lower(T::kModeDme) : Upper(T::kModeDme));
        const uint16_t base = upper ? T::kUpperFineUp : T::kLowerFineUp;
        for (uint32_t mode = T::kModeCom1; mode <= T::kModeNav2; ++mode) {
            const std::string radio = radios[mode];
            SCOPED_TRACE(radio + (upper ? " upper" : " lower"));
            Select(upper ? Upper(mode) : Lower(mode));
            TakeJournal();
            for (uint16_t ring = 0; ring < 4; ++ring) {
                Turn(static_cast<uint16_t>(base + ring));
            }
            Turn(upper ? T::kUpperActiveStandby : T::kLowerActiveStandby);
            Turn(base);  // every accepted detent acts once
            const std::string step = "cmd once sim/radios/stby_" + radio;
            EXPECT_EQ(TakeJournal(),
                      (Lines{step + "_fine_up", step + "_fine_down", step + "_coarse_up",
                             step + "_coarse_down", "cmd once sim/radios/" + radio + "_standy_flip",
                             step + "_fine_up"}));
        }
    }
}

// Either half's switch moves the one digit pair (tests/scenarios/tuner_knobs.sim); the pair stays
// while a half leaves transponder mode, and the switch in DME or COM1 leaves it alone.
TEST_F(TunerPanelTest, TransponderDigitPairOutlivesAModeChange) {
    Select(Upper(T::kModeXpdr));
    Select(Lower(T::kModeXpdr));
    Turn(T::kLowerActiveStandby);
    Select(Upper(T::kModeDme));
    Turn(T::kUpperActiveStandby);
    Select(Upper(T::kModeCom1));
    Turn(T::kUpperActiveStandby);
    Select(Upper(T::kModeXpdr));
    TakeJournal();
    Turn(T::kUpperFineUp);
    Turn(T::kLowerCoarseDown);
    EXPECT_EQ(TakeJournal(), (Lines{"cmd once sim/transponder/transponder_hundreds_up",
                                    "cmd once sim/transponder/transponder_thousands_down"}));
}

struct AdfCase {
    int from;
    uint16_t ring;  // offset from the half's fine-up usage: 0 fine up .. 3 coarse down
    int to;
};

class TunerAdfTest : public TunerPanelTest, public ::testing::WithParamInterface<AdfCase> {};

TEST_P(TunerAdfTest, KnobStepsTheStandbyFrequencyWithinItsRange) {
    const AdfCase& c = GetParam();
    Select(Upper(T::kModeAdf));
    Select(Lower(T::kModeAdf));
    for (const uint16_t base : {T::kUpperFineUp, T::kLowerFineUp}) {
        VSIM::SetInt("sim/cockpit/radios/adf1_stdby_freq_hz", c.from);
        TakeJournal();
        Turn(static_cast<uint16_t>(base + c.ring));
        EXPECT_EQ(TakeJournal(),
                  (Lines{"set sim/cockpit/radios/adf1_stdby_freq_hz " + std::to_string(c.to)}));
        EXPECT_EQ(VSIM::GetInt("sim/cockpit/radios/adf1_stdby_freq_hz"), c.to);
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, TunerAdfTest,
                         ::testing::Values(AdfCase{999, 0, 0}, AdfCase{0, 1, 999},
                                           AdfCase{989, 2, 999}, AdfCase{990, 2, 1},
                                           AdfCase{10, 3, 0}, AdfCase{9, 3, 998}));

// ---- Detent filter ----

struct Detent {
    uint16_t usage;
    uint32_t atMs;  // from the first detent
    uint32_t state;
    bool acts;
};

struct FilterCase {
    const char* name;
    std::vector<Detent> detents;
};

constexpr uint16_t kUp = 17;
constexpr uint16_t kDown = 18;

const FilterCase kFilterCases[] = {
    {"FastRepeatsActEverySecondTime",
     {{kUp, 0, 1, true},
      {kUp, 100, 1, false},
      {kUp, 200, 1, true},
      {kUp, 300, 1, false},
      {kUp, 400, 1, true}}},
    {"SlowRepeatsAllAct", {{kUp, 0, 1, true}, {kUp, 250, 1, true}, {kUp, 500, 1, true}}},
    {"RepeatAtTheLimitActs",
     {{kDown, 0, 1, true}, {kDown, 199, 1, false}, {kDown, 399, 1, true}, {kDown, 599, 1, true}}},
    {"QuickReversalIsDropped", {{kUp, 0, 1, true}, {kDown, 149, 1, false}}},
    {"ReversalAtTheLimitActs", {{kUp, 0, 1, true}, {kDown, 150, 1, true}}},
    // After a dropped reversal the reversal test starts afresh, but the repeat test still
    // compares with the last accepted detent.
    {"AfterAReversalTheRepeatTestRemembers",
     {{kUp, 0, 1, true}, {kDown, 100, 1, false}, {kUp, 150, 1, false}, {kUp, 250, 1, true}}},
    // The reversal test of the detent after a dropped one measures from that dropped detent.
    {"AfterAReversalTheReversalTestStartsAfresh",
     {{kUp, 0, 1, true}, {kUp, 50, 1, false}, {kDown, 100, 1, false}, {kUp, 120, 1, true}}},
    {"AfterAReversalTheOtherWayActs",
     {{kUp, 0, 1, true}, {kDown, 100, 1, false}, {kDown, 120, 1, true}}},
    // Off edges pass and leave the record as it was.
    {"OffEdgesPassUntouched",
     {{kUp, 0, 1, true},
      {kUp, 10, 0, true},
      {kDown, 20, 0, true},
      {kUp, 100, 1, false},
      {kUp, 110, 0, true},
      {kUp, 200, 1, true}}},
};

class TunerFilterTest : public ::testing::TestWithParam<std::tuple<FilterCase, uint32_t>> {};

TEST_P(TunerFilterTest, VerdictsDependOnlyOnTickDifferences) {
    const auto& [c, start] = GetParam();
    T::RotaryFilter filter;
    filter.usageUp = kUp;
    filter.usageDown = kDown;
    for (const Detent& d : c.detents) {
        SCOPED_TRACE(d.atMs);
        const T::RotaryFilter before = filter;
        EXPECT_EQ(filter.Verdict(d.usage, d.state, start + d.atMs), d.acts);
        if (d.state == 0) {
            EXPECT_EQ(std::tie(filter.repeatTick, filter.repeatUsage, filter.reverseTick,
                               filter.reverseUsage),
                      std::tie(before.repeatTick, before.repeatUsage, before.reverseTick,
                               before.reverseUsage));
        }
    }
}

// Starts at 0, in the middle and just before the tick count wraps (every detent of a case
// then lies on either side of the wrap; none falls on 0xFFFFFFFF, which means "no detent").
INSTANTIATE_TEST_SUITE_P(Sequences, TunerFilterTest,
                         ::testing::Combine(::testing::ValuesIn(kFilterCases),
                                            ::testing::Values(0u, 86400000u, 0xFFFFFF9Cu,
                                                              0xFFFFFFF0u)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST_F(TunerPanelTest, EachRingFiltersOnItsOwn) {
    Select(Upper(T::kModeCom1));
    Select(Lower(T::kModeCom2));
    TakeJournal();
    VIRTUAL::AdvanceClock(1000);
    // The four rings' up-detents in one report, then again 50 ms later: every ring drops only
    // its own repeat.
    Frame({T::kUpperFineUp, T::kUpperCoarseUp, T::kLowerFineUp, T::kLowerCoarseUp});
    Frame();
    VIRTUAL::AdvanceClock(50);
    Frame({T::kUpperFineUp, T::kLowerCoarseDown});
    Frame();
    EXPECT_EQ(TakeJournal(), (Lines{
                                 "cmd once sim/radios/stby_com1_fine_up",
                                 "cmd once sim/radios/stby_com1_coarse_up",
                                 "cmd once sim/radios/stby_com2_fine_up",
                                 "cmd once sim/radios/stby_com2_coarse_up",
                             }));
}

}  // namespace
