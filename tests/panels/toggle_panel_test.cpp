// The toggle panel over the virtual bus and the virtual simulator: what each switch sends on
// both edges and the per-unit loops. The gear lamps' thresholds: tests/scenarios/toggle_lamps.sim.
#include "panels/toggle_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "devices/skydeck.h"
#include "test_support.h"
#include "vsim/vsim.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

using Lines = std::vector<std::string>;

const std::wstring kPath = L"\\\\?\\hid#vid_2c5d&pid_4a03#7&2b3c4d5e&0&0000#{4d1e55b2}";
const std::string kEngines = "sim/aircraft/engine/acf_num_engines";
const std::string kGenerators = "sim/aircraft/electrical/num_generators";
const std::string kCowlClosed = "cmd once sim/flight_controls/cowl_flaps_closed";
const std::string kCowlOpen = "cmd once sim/flight_controls/cowl_flaps_open";

// "PREFIX1 ... PREFIXn" for units 1 to n.
Lines Units(const std::string& prefix, int n, const std::string& suffix = "") {
    Lines lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back(prefix + std::to_string(i) + suffix);
    }
    return lines;
}

class TogglePanelTest : public PanelFixture<CTogglePanel> {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        VSIM::SetInt(kEngines, 2);
        VSIM::SetInt(kGenerators, 3);
        Start(HidDevice(kPath, kToggleProductId));
        VIRTUAL::TakeTraceLines();
    }
    // The journal since the last call but the per-frame cowl commands.
    Lines Taken() {
        Lines lines;
        for (const std::string& line : TakeJournal()) {
            if (line != kCowlClosed && line != kCowlOpen) {
                lines.push_back(line);
            }
        }
        return lines;
    }
};

struct SwitchCase {
    const char* name;
    uint16_t usage;
    Lines on;
    Lines off;
};

// A switch that sends "cmd once PATH_on" on, "cmd once PATH_off" off, for each path in order.
SwitchCase OnOff(const char* name, uint16_t usage, const Lines& paths) {
    SwitchCase c{name, usage, {}, {}};
    for (const std::string& path : paths) {
        c.on.push_back("cmd once " + path + "_on");
        c.off.push_back("cmd once " + path + "_off");
    }
    return c;
}

class TogglePanelSwitchTest : public TogglePanelTest,
                              public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(TogglePanelSwitchTest, SendsItsOwnCommandsOnEachEdge) {
    Frame({GetParam().usage});
    EXPECT_EQ(Taken(), GetParam().on);
    panel_->Notify();  // held: nothing more
    EXPECT_EQ(Taken(), Lines{});
    Frame({});
    EXPECT_EQ(Taken(), GetParam().off);
}

const std::string kDeIce = "set sim/cockpit/switches/anti_ice_";

// Two engines and three generators (fixture). The alternator, de-ice, cowl, magneto, starter and
// gear-lever switches run end to end in tests/scenarios/toggle.sim and toggle_engine.sim.
INSTANTIATE_TEST_SUITE_P(
    Usages, TogglePanelSwitchTest,
    ::testing::Values(OnOff("Battery", 1, {"sim/electrical/battery_1", "sim/electrical/battery_2"}),
                      OnOff("Avionics", 3, {"sim/systems/avionics"}),
                      SwitchCase{"FuelPump", 4, Units("cmd once sim/fuel/fuel_pump_", 2, "_on"),
                                 Units("cmd once sim/fuel/fuel_pump_", 2, "_off")},
                      OnOff("PitotHeat", 6,
                            {"sim/ice/pitot_heat", "sim/ice/pitot_heat0", "sim/ice/pitot_heat1"}),
                      SwitchCase{"PanelLights",
                                 8,
                                 {"set sim/cockpit/electrical/instrument_brightness 1"},
                                 {"set sim/cockpit/electrical/instrument_brightness 0"}},
                      OnOff("Beacon", 9, {"sim/lights/beacon_lights"}),
                      OnOff("Nav", 10, {"sim/lights/nav_lights"}),
                      OnOff("Strobe", 11, {"sim/lights/strobe_lights"}),
                      OnOff("Taxi", 12, {"sim/lights/taxi_lights"}),
                      OnOff("Landing", 13, {"sim/lights/landing_lights"}),
                      // Usages the panel did not register are never heard of.
                      SwitchCase{"Unregistered", 21, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Every per-unit switch shares one rule: the count is read when the switch moves, counts above
// eight send the eight commands there are, none or a negative count sends nothing.
TEST_F(TogglePanelTest, UnitCommandsFollowTheCountReadAtEachEdge) {
    for (const int count : {-1, 0, 1, 9}) {
        VSIM::SetInt(kGenerators, count);
        Frame({2});
        EXPECT_EQ(Taken(),
                  Units("cmd once sim/electrical/generator_", std::clamp(count, 0, 8), "_on"))
            << count;
        VSIM::SetInt(kGenerators, 4);
        Frame({});
        EXPECT_EQ(Taken(), Units("cmd once sim/electrical/generator_", 4, "_off")) << count;
    }
}

}  // namespace
