// The virtual cockpit's aircraft model: the wraps of the radio bands and the autopilot targets, the
// mode changes and the switches. Seeding, the climb and capture, and the gear's travel:
// tests/scenarios/model.sim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aircraft_model.h"
#include "vsim/vsim.h"

namespace XPL::SIMTOOL {
namespace {

class AircraftModelTest : public testing::Test {
protected:
    void SetUp() override {
        VSIM::Reset();
        model.SetActive(true);
    }
    void TearDown() override { VSIM::Reset(); }

    void Command(const std::string& path, VSIM::EventKind kind = VSIM::EventKind::CommandOnce) {
        VSIM::Event event{kind, path};
        model.OnEvent(event);
    }

    CAircraftModel model;
};

TEST_F(AircraftModelTest, RadioCommandsStepAndFlipWithinTheirBands) {
    struct Row {
        const char* path;  // the dataref set before and read after
        int before;
        const char* command;
        int after;
    };
    const Row rows[] = {
        {"sim/cockpit/radios/com1_stdby_freq_hz", 13650, "sim/radios/stby_com1_coarse_up", 11850},
        {"sim/cockpit/radios/com2_stdby_freq_hz", 12195, "sim/radios/stby_com2_fine_up", 12100},
        {"sim/cockpit/radios/nav1_stdby_freq_hz", 10800, "sim/radios/stby_nav1_fine_down", 10895},
        {"sim/cockpit/radios/transponder_code", 1277, "sim/transponder/transponder_ones_up", 1270},
        {"sim/cockpit/radios/transponder_code", 200, "sim/transponder/transponder_thousands_down",
         7200},
        {"sim/cockpit/radios/adf1_stdby_freq_hz", 305, "sim/radios/stby_adf1_tens_down", 395},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        VSIM::SetInt(row.path, row.before);
        Command(row.command);
        EXPECT_EQ(VSIM::GetInt(row.path), row.after);
    }
}

TEST_F(AircraftModelTest, AutopilotTargetsStepAndModesSetTheirStatus) {
    VSIM::SetFloat("sim/cockpit/autopilot/heading_mag", 0.0f);
    Command("sim/autopilot/heading_down");
    EXPECT_EQ(VSIM::GetFloat("sim/cockpit/autopilot/heading_mag"), 359.0f);

    Command("sim/autopilot/heading");
    Command("sim/autopilot/NAV");
    EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/nav_status"), 2);
    EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/heading_status"), 0);
    Command("sim/autopilot/approach");
    EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/approach_status"), 1);
    Command("sim/autopilot/approach");
    EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/approach_status"), 0);

    // The director walks off, director, servos and stops there.
    const int up[] = {1, 2, 2};
    for (const int mode : up) {
        Command("sim/autopilot/fdir_servos_up_one");
        EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/flight_director_mode"), mode);
    }
    EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/autopilot_on"), 1);
    Command("sim/autopilot/fdir_servos_down_one");
    EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/autopilot_on"), 0);
}

TEST_F(AircraftModelTest, SwitchCommandsSetTheirStatesAndTheStarterIsHeld) {
    Command("sim/electrical/battery_2_on");
    Command("sim/magnetos/magnetos_both_1");
    EXPECT_EQ(VSIM::GetInts("sim/cockpit2/electrical/battery_on"), (std::vector<int>{0, 1}));
    EXPECT_EQ(VSIM::GetInts("sim/cockpit2/engine/actuators/ignition_key"), (std::vector<int>{3}));
    Command("sim/starters/engage_starter_1", VSIM::EventKind::CommandBegin);
    EXPECT_EQ(VSIM::GetInts("sim/cockpit2/engine/actuators/ignition_key"), (std::vector<int>{4}));
    Command("sim/starters/engage_starter_1", VSIM::EventKind::CommandEnd);
    EXPECT_EQ(VSIM::GetInts("sim/cockpit2/engine/actuators/ignition_key"), (std::vector<int>{3}));
}

}  // namespace
}  // namespace XPL::SIMTOOL
