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
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            model.Frame();
        }
    }

    CAircraftModel model;
};

TEST_F(AircraftModelTest, SeedsOnlyDataRefsWithoutAValue) {
    VSIM::Reset();
    CAircraftModel fresh;
    VSIM::SetInt("sim/cockpit/radios/com1_freq_hz", 12000);
    fresh.SetActive(true);
    EXPECT_EQ(VSIM::GetInt("sim/cockpit/radios/com1_freq_hz"), 12000);
    EXPECT_EQ(VSIM::GetInt("sim/cockpit/radios/com1_stdby_freq_hz"), 12150);
    EXPECT_EQ(VSIM::GetFloats("sim/flightmodel2/gear/deploy_ratio"),
              (std::vector<float>{1.0f, 1.0f, 1.0f}));
    EXPECT_TRUE(VSIM::Journal().empty());
}

TEST_F(AircraftModelTest, RadioCommandsStepAndFlipWithinTheirBands) {
    struct Row {
        const char* path;  // the dataref set before and read after
        int before;
        const char* command;
        int after;
    };
    const Row rows[] = {
        {"sim/cockpit/radios/com1_stdby_freq_hz", 13650, "sim/radios/stby_com1_coarse_up", 11850},
        {"sim/cockpit/radios/com2_stdby_freq_hz", 11800, "sim/radios/stby_com2_coarse_down", 13600},
        {"sim/cockpit/radios/com2_stdby_freq_hz", 12195, "sim/radios/stby_com2_fine_up", 12100},
        {"sim/cockpit/radios/nav1_stdby_freq_hz", 10800, "sim/radios/stby_nav1_fine_down", 10895},
        {"sim/cockpit/radios/nav2_stdby_freq_hz", 11795, "sim/radios/stby_nav2_coarse_up", 10895},
        {"sim/cockpit/radios/transponder_code", 1277, "sim/transponder/transponder_ones_up", 1270},
        {"sim/cockpit/radios/transponder_code", 1200, "sim/transponder/transponder_thousands_down",
         200},
        {"sim/cockpit/radios/transponder_code", 200, "sim/transponder/transponder_thousands_down",
         7200},
        {"sim/cockpit/radios/transponder_code", 7000, "sim/transponder/transponder_hundreds_up",
         7100},
        {"sim/cockpit/radios/adf1_stdby_freq_hz", 399, "sim/radios/stby_adf1_ones_up", 390},
        {"sim/cockpit/radios/adf1_stdby_freq_hz", 305, "sim/radios/stby_adf1_tens_down", 395},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        VSIM::SetInt(row.path, row.before);
        Command(row.command);
        EXPECT_EQ(VSIM::GetInt(row.path), row.after);
    }
}

// The scenario model.sim flies the common steps; these are the wraps and the mode changes.
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

// Armed altitude, vertical speed engaged: the aircraft climbs at the target rate and captures.
TEST_F(AircraftModelTest, ClimbsToTheArmedAltitudeAndCapturesIt) {
    VSIM::SetFloat("sim/cockpit/autopilot/altitude", 3100.0f);
    VSIM::SetFloat("sim/cockpit/autopilot/vertical_velocity", 600.0f);
    Command("sim/autopilot/altitude_arm");
    Command("sim/autopilot/vertical_speed");
    EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/altitude_hold_status"), 1);
    EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/vvi_status"), 2);
    Frames(60 * 5);  // 600 ft/min for 5 s: 50 ft
    EXPECT_NEAR(VSIM::GetFloat("sim/cockpit2/gauges/indicators/altitude_ft_pilot"), 3050.0f, 0.5f);
    Frames(60 * 6);  // captured (the rest of the capture is checked by model.sim)
    EXPECT_EQ(VSIM::GetInt("sim/cockpit2/autopilot/altitude_hold_armed"), 0);
}

TEST_F(AircraftModelTest, GearTravelsOverSecondsOfFramesLegByLeg) {
    Command("sim/flight_controls/landing_gear_up");
    Frames(60);
    const std::vector<float> oneSecond = VSIM::GetFloats("sim/flightmodel2/gear/deploy_ratio");
    ASSERT_EQ(oneSecond.size(), 3u);
    EXPECT_NEAR(oneSecond[0], 1.0f - 1.0f / 3.0f, 1e-3f);
    EXPECT_GT(oneSecond[2], oneSecond[1]);  // the mains are slower than the nose
    Frames(60 * 3 + 5);
    EXPECT_EQ(VSIM::GetFloats("sim/flightmodel2/gear/deploy_ratio"),
              (std::vector<float>{0.0f, 0.0f, 0.0f}));
    Command("sim/flight_controls/landing_gear_down");
    Frames(60 * 4 + 5);
    EXPECT_EQ(VSIM::GetFloats("sim/flightmodel2/gear/deploy_ratio"),
              (std::vector<float>{1.0f, 1.0f, 1.0f}));
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
