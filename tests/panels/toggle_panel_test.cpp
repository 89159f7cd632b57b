// The toggle panel over the virtual bus and the virtual simulator: what each switch sends on
// both edges, the per-engine and per-generator loops, and the gear lamps' thresholds.
#include "panels/toggle_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
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
const std::string kGearRatios = "sim/flightmodel2/gear/deploy_ratio";
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
        VSIM::SetInts("sim/cockpit/switches/anti_ice_prop_heat_per_engine", {0, 0});
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

// Two engines and three generators (fixture).
INSTANTIATE_TEST_SUITE_P(
    Usages, TogglePanelSwitchTest,
    ::testing::Values(
        OnOff("Battery", 1, {"sim/electrical/battery_1", "sim/electrical/battery_2"}),
        SwitchCase{"Alternator", 2, Units("cmd once sim/electrical/generator_", 3, "_on"),
                   Units("cmd once sim/electrical/generator_", 3, "_off")},
        OnOff("Avionics", 3, {"sim/systems/avionics"}),
        SwitchCase{"FuelPump", 4, Units("cmd once sim/fuel/fuel_pump_", 2, "_on"),
                   Units("cmd once sim/fuel/fuel_pump_", 2, "_off")},
        SwitchCase{
            "DeIce",
            5,
            {kDeIce + "AOA_heat 1", kDeIce + "AOA_heat2 1", kDeIce + "prop_heat_per_engine 1 1",
             kDeIce + "window_heat 1", kDeIce + "surf_heat 1", kDeIce + "surf_boot 1"},
            {kDeIce + "AOA_heat 0", kDeIce + "AOA_heat2 0", kDeIce + "prop_heat_per_engine 0 0",
             kDeIce + "window_heat 0", kDeIce + "surf_heat 0", kDeIce + "surf_boot 0"}},
        OnOff("PitotHeat", 6, {"sim/ice/pitot_heat", "sim/ice/pitot_heat0", "sim/ice/pitot_heat1"}),
        SwitchCase{"CowlFlaps", 7, {}, {}},
        SwitchCase{"PanelLights",
                   8,
                   {"set sim/cockpit/electrical/instrument_brightness 1"},
                   {"set sim/cockpit/electrical/instrument_brightness 0"}},
        OnOff("Beacon", 9, {"sim/lights/beacon_lights"}),
        OnOff("Nav", 10, {"sim/lights/nav_lights"}),
        OnOff("Strobe", 11, {"sim/lights/strobe_lights"}),
        OnOff("Taxi", 12, {"sim/lights/taxi_lights"}),
        OnOff("Landing", 13, {"sim/lights/landing_lights"}),
        SwitchCase{"MagnetosOff", 14, Units("cmd once sim/magnetos/magnetos_off_", 2), {}},
        SwitchCase{"MagnetosRight", 15, Units("cmd once sim/magnetos/magnetos_right_", 2), {}},
        SwitchCase{"MagnetosLeft", 16, Units("cmd once sim/magnetos/magnetos_left_", 2), {}},
        SwitchCase{"MagnetosBoth", 17, Units("cmd once sim/magnetos/magnetos_both_", 2), {}},
        SwitchCase{"Start", 18, Units("cmd begin sim/starters/engage_starter_", 2),
                   Units("cmd end sim/starters/engage_starter_", 2)},
        SwitchCase{"GearUp", 19, {"cmd once sim/flight_controls/landing_gear_up"}, {}},
        SwitchCase{"GearDown", 20, {"cmd once sim/flight_controls/landing_gear_down"}, {}},
        // Usages the panel did not register are never heard of.
        SwitchCase{"Unregistered", 21, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnitCase {
    uint16_t usage;
    const char* countPath;
    std::string prefix;
    std::string suffix;
    friend void PrintTo(const UnitCase& u, std::ostream* os) { *os << "usage " << u.usage; }
};

class TogglePanelUnitTest : public TogglePanelTest,
                            public ::testing::WithParamInterface<std::tuple<UnitCase, int>> {};

// Counts above eight send the eight commands there are; none or a negative count sends nothing.
TEST_P(TogglePanelUnitTest, SendsOneCommandPerUnitUpToEight) {
    const auto& [unit, count] = GetParam();
    VSIM::SetInt(unit.countPath, count);
    Frame({unit.usage});
    EXPECT_EQ(Taken(), Units(unit.prefix, std::clamp(count, 0, 8), unit.suffix));
}

INSTANTIATE_TEST_SUITE_P(
    Counts, TogglePanelUnitTest,
    ::testing::Combine(::testing::Values(UnitCase{2, "sim/aircraft/electrical/num_generators",
                                                  "cmd once sim/electrical/generator_", "_on"},
                                         UnitCase{4, "sim/aircraft/engine/acf_num_engines",
                                                  "cmd once sim/fuel/fuel_pump_", "_on"},
                                         UnitCase{14, "sim/aircraft/engine/acf_num_engines",
                                                  "cmd once sim/magnetos/magnetos_off_", ""},
                                         UnitCase{15, "sim/aircraft/engine/acf_num_engines",
                                                  "cmd once sim/magnetos/magnetos_right_", ""},
                                         UnitCase{16, "sim/aircraft/engine/acf_num_engines",
                                                  "cmd once sim/magnetos/magnetos_left_", ""},
                                         UnitCase{17, "sim/aircraft/engine/acf_num_engines",
                                                  "cmd once sim/magnetos/magnetos_both_", ""},
                                         UnitCase{18, "sim/aircraft/engine/acf_num_engines",
                                                  "cmd begin sim/starters/engage_starter_", ""}),
                       ::testing::Values(-1, 0, 1, 4, 8, 9, 40)));

TEST_F(TogglePanelTest, CountsAreReadWhenTheSwitchMoves) {
    VSIM::SetInt(kGenerators, 1);
    Frame({2});
    EXPECT_EQ(Taken(), Units("cmd once sim/electrical/generator_", 1, "_on"));
    VSIM::SetInt(kGenerators, 4);
    Frame({});
    EXPECT_EQ(Taken(), Units("cmd once sim/electrical/generator_", 4, "_off"));
}

struct LampCase {
    float ratio;
    const char* shows;  // "green", "red" or "dark"
    friend void PrintTo(const LampCase& l, std::ostream* os) { *os << l.ratio << ' ' << l.shows; }
};

class TogglePanelLampTest : public TogglePanelTest,
                            public ::testing::WithParamInterface<LampCase> {};

// Each leg alone at the ratio, the other two up: its own bit only.
TEST_P(TogglePanelLampTest, ShowsEachLegsStateOnItsOwnBit) {
    const std::string shows = GetParam().shows;
    for (size_t leg = 0; leg < 3; ++leg) {
        std::vector<float> ratios(3, 0.0f);
        ratios[leg] = GetParam().ratio;
        VSIM::SetFloats(kGearRatios, ratios);
        uint8_t report[2] = {0, 0};
        panel_->FillLedReport(report);
        const uint8_t expected = shows == "green" ? CTogglePanel::kGreenBits[leg]
                                 : shows == "red" ? CTogglePanel::kRedBits[leg]
                                                  : 0;
        EXPECT_EQ(report[0], 0) << "leg " << leg;
        EXPECT_EQ(report[1], expected) << "leg " << leg;
    }
}

INSTANTIATE_TEST_SUITE_P(Ratios, TogglePanelLampTest,
                         ::testing::Values(LampCase{0.0f, "dark"}, LampCase{0.005f, "dark"},
                                           LampCase{0.0099f, "dark"}, LampCase{0.01f, "red"},
                                           LampCase{0.5f, "red"}, LampCase{0.99f, "red"},
                                           LampCase{0.9901f, "green"}, LampCase{0.995f, "green"},
                                           LampCase{1.0f, "green"}, LampCase{-0.5f, "dark"}));

}  // namespace
