// The one record of every simulator command and dataref handle that the HID panels and the stick
// pages use, looked up by path once at start and held for the module's life, together with the
// three input-name vocabularies filled by the same start-up step.
//
// Finding a member by its path: the member name is the path without its leading "sim/", with
// every '/' turned into '_'; commands live in `cmd`, datarefs in `ref`.
//   "sim/flight_controls/cowl_flaps_open"  -> cmd.flight_controls_cowl_flaps_open
//   "sim/cockpit/radios/com1_freq_hz"      -> ref.cockpit_radios_com1_freq_hz
// A family of eight paths numbered by unit or engine 1 to 8 is one array of 8 indexed by the number
// minus 1; its name drops the number together with the '_' before it:
//   "sim/electrical/generator_3_on"        -> cmd.electrical_generator_on[2]
//   "sim/magnetos/magnetos_both_1"         -> cmd.magnetos_magnetos_both[0]
// A path held in two members names the second with a trailing "_2":
//   "sim/cockpit2/gauges/indicators/altitude_ft_pilot"
//       -> ref.cockpit2_gauges_indicators_altitude_ft_pilot, ..._altitude_ft_pilot_2
// The path tables in sim_registry.cpp check this rule when they compile.
//
// Handles are null until ResolveSimRegistry; a path the simulator does not know stays null. Users
// pass a handle to the SDK unchanged and never test it; datarefs go through the SDK-named
// functions of sim_dataref.h, which convert when an aircraft profile points a member at a
// dataref of another type or at an array element. Resolution, profiles and every use run on the
// simulator's thread: a profile changes members only on the plane-loaded message and while its
// paths are looked up again (CAircraftProfiles), never while a frame reads them.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "sim/sim_dataref.h"
#include "xplm/xplm.h"

namespace XPL {

struct SimRegistry {
    struct Commands {
        // Cowl flaps
        XPLMCommandRef flight_controls_cowl_flaps_open = nullptr;
        XPLMCommandRef flight_controls_cowl_flaps_closed = nullptr;

        // Pitot heat
        XPLMCommandRef ice_pitot_heat0_on = nullptr;
        XPLMCommandRef ice_pitot_heat0_off = nullptr;
        XPLMCommandRef ice_pitot_heat1_on = nullptr;
        XPLMCommandRef ice_pitot_heat1_off = nullptr;
        XPLMCommandRef ice_pitot_heat_on = nullptr;
        XPLMCommandRef ice_pitot_heat_off = nullptr;

        // Avionics and batteries
        XPLMCommandRef systems_avionics_on = nullptr;
        XPLMCommandRef systems_avionics_off = nullptr;
        XPLMCommandRef electrical_battery_1_on = nullptr;
        XPLMCommandRef electrical_battery_1_off = nullptr;
        XPLMCommandRef electrical_battery_2_on = nullptr;
        XPLMCommandRef electrical_battery_2_off = nullptr;

        // Lights
        XPLMCommandRef lights_landing_lights_on = nullptr;
        XPLMCommandRef lights_landing_lights_off = nullptr;
        XPLMCommandRef lights_taxi_lights_on = nullptr;
        XPLMCommandRef lights_taxi_lights_off = nullptr;
        XPLMCommandRef lights_strobe_lights_on = nullptr;
        XPLMCommandRef lights_strobe_lights_off = nullptr;
        XPLMCommandRef lights_nav_lights_on = nullptr;
        XPLMCommandRef lights_nav_lights_off = nullptr;
        XPLMCommandRef lights_beacon_lights_on = nullptr;
        XPLMCommandRef lights_beacon_lights_off = nullptr;

        // Landing gear
        XPLMCommandRef flight_controls_landing_gear_up = nullptr;
        XPLMCommandRef flight_controls_landing_gear_down = nullptr;

        // Generators, units 1 to 8 (index: unit - 1)
        XPLMCommandRef electrical_generator_on[8]{};
        XPLMCommandRef electrical_generator_off[8]{};

        // Fuel pumps, units 1 to 8 (index: unit - 1)
        XPLMCommandRef fuel_fuel_pump_on[8]{};
        XPLMCommandRef fuel_fuel_pump_off[8]{};

        // Magnetos, engines 1 to 8 (index: engine - 1)
        XPLMCommandRef magnetos_magnetos_off[8]{};
        XPLMCommandRef magnetos_magnetos_left[8]{};
        XPLMCommandRef magnetos_magnetos_right[8]{};
        XPLMCommandRef magnetos_magnetos_both[8]{};

        // Starters, engines 1 to 8 (index: engine - 1)
        XPLMCommandRef starters_engage_starter[8]{};

        // Standby radio tuning
        XPLMCommandRef radios_stby_com1_fine_down = nullptr;
        XPLMCommandRef radios_stby_com1_fine_up = nullptr;
        XPLMCommandRef radios_stby_com1_coarse_down = nullptr;
        XPLMCommandRef radios_stby_com1_coarse_up = nullptr;
        XPLMCommandRef radios_stby_com2_fine_down = nullptr;
        XPLMCommandRef radios_stby_com2_fine_up = nullptr;
        XPLMCommandRef radios_stby_com2_coarse_down = nullptr;
        XPLMCommandRef radios_stby_com2_coarse_up = nullptr;
        XPLMCommandRef radios_stby_nav1_fine_down = nullptr;
        XPLMCommandRef radios_stby_nav1_fine_up = nullptr;
        XPLMCommandRef radios_stby_nav1_coarse_down = nullptr;
        XPLMCommandRef radios_stby_nav1_coarse_up = nullptr;
        XPLMCommandRef radios_stby_nav2_fine_down = nullptr;
        XPLMCommandRef radios_stby_nav2_fine_up = nullptr;
        XPLMCommandRef radios_stby_nav2_coarse_down = nullptr;
        XPLMCommandRef radios_stby_nav2_coarse_up = nullptr;

        // Active/standby flips
        XPLMCommandRef radios_com1_standy_flip = nullptr;
        XPLMCommandRef radios_com2_standy_flip = nullptr;
        XPLMCommandRef radios_nav1_standy_flip = nullptr;
        XPLMCommandRef radios_nav2_standy_flip = nullptr;
        XPLMCommandRef radios_adf1_standy_flip = nullptr;

        // Transponder digits
        XPLMCommandRef transponder_transponder_thousands_down = nullptr;
        XPLMCommandRef transponder_transponder_thousands_up = nullptr;
        XPLMCommandRef transponder_transponder_hundreds_down = nullptr;
        XPLMCommandRef transponder_transponder_hundreds_up = nullptr;
        XPLMCommandRef transponder_transponder_tens_down = nullptr;
        XPLMCommandRef transponder_transponder_tens_up = nullptr;
        XPLMCommandRef transponder_transponder_ones_down = nullptr;
        XPLMCommandRef transponder_transponder_ones_up = nullptr;

        // ADF standby digits and audio
        XPLMCommandRef radios_stby_adf1_hundreds_up = nullptr;
        XPLMCommandRef radios_stby_adf1_hundreds_down = nullptr;
        XPLMCommandRef radios_stby_adf1_tens_up = nullptr;
        XPLMCommandRef radios_stby_adf1_tens_down = nullptr;
        XPLMCommandRef radios_stby_adf1_ones_up = nullptr;
        XPLMCommandRef radios_stby_adf1_ones_down = nullptr;
        XPLMCommandRef audio_panel_monitor_audio_adf1 = nullptr;

        // Autothrottle, flaps, pitch trim
        XPLMCommandRef autopilot_autothrottle_on = nullptr;
        XPLMCommandRef autopilot_autothrottle_off = nullptr;
        XPLMCommandRef flight_controls_flaps_up = nullptr;
        XPLMCommandRef flight_controls_flaps_down = nullptr;
        XPLMCommandRef flight_controls_pitch_trim_up = nullptr;
        XPLMCommandRef flight_controls_pitch_trim_down = nullptr;

        // Autopilot modes
        XPLMCommandRef autopilot_fdir_servos_down_one = nullptr;
        XPLMCommandRef autopilot_fdir_servos_up_one = nullptr;
        XPLMCommandRef autopilot_heading = nullptr;
        XPLMCommandRef autopilot_NAV = nullptr;
        XPLMCommandRef autopilot_level_change = nullptr;
        XPLMCommandRef autopilot_altitude_arm = nullptr;
        XPLMCommandRef autopilot_vertical_speed = nullptr;
        XPLMCommandRef autopilot_approach = nullptr;
        XPLMCommandRef autopilot_back_course = nullptr;

        // Autopilot targets
        XPLMCommandRef autopilot_altitude_down = nullptr;
        XPLMCommandRef autopilot_altitude_up = nullptr;
        XPLMCommandRef autopilot_vertical_speed_down = nullptr;
        XPLMCommandRef autopilot_vertical_speed_up = nullptr;
        XPLMCommandRef autopilot_airspeed_down = nullptr;
        XPLMCommandRef autopilot_airspeed_up = nullptr;
        XPLMCommandRef autopilot_heading_down = nullptr;
        XPLMCommandRef autopilot_heading_up = nullptr;
        XPLMCommandRef radios_obs1_down = nullptr;
        XPLMCommandRef radios_obs1_up = nullptr;
    };

    struct DataRefs {
        // Lighting and anti-ice switches
        SimDataRef cockpit_electrical_instrument_brightness;
        SimDataRef cockpit_switches_anti_ice_AOA_heat;
        SimDataRef cockpit_switches_anti_ice_AOA_heat2;
        SimDataRef cockpit_switches_anti_ice_prop_heat_per_engine;
        SimDataRef cockpit_switches_anti_ice_window_heat;
        SimDataRef cockpit_switches_anti_ice_surf_heat;
        SimDataRef cockpit_switches_anti_ice_surf_boot;

        // Aircraft configuration
        SimDataRef aircraft_engine_acf_num_engines;
        SimDataRef aircraft_electrical_num_generators;
        SimDataRef aircraft_engine_acf_max_OILT;
        SimDataRef aircraft_overflow_acf_num_tanks;
        SimDataRef aircraft_weight_acf_m_fuel_tot;
        SimDataRef aircraft_overflow_acf_tank_rat;

        // Gear and brakes
        SimDataRef flightmodel2_gear_deploy_ratio;
        SimDataRef flightmodel_controls_parkbrake;

        // Engines and annunciators
        SimDataRef cockpit_warnings_annunciators_engine_fires;
        SimDataRef cockpit2_engine_indicators_oil_pressure_psi;
        SimDataRef cockpit2_engine_indicators_oil_temperature_deg_C;
        SimDataRef cockpit_warnings_annunciators_fuel_pressure_low;
        SimDataRef cockpit_warnings_annunciators_crossfeed_on;
        SimDataRef cockpit2_ice_ice_pitot_heat_on_pilot;
        SimDataRef flightmodel_failures_stallwarning;
        SimDataRef cockpit_warnings_annunciators_cabin_door_open;
        SimDataRef cockpit_warnings_annunciators_low_vacuum;
        SimDataRef cockpit2_engine_indicators_engine_speed_rpm;
        SimDataRef cockpit_warnings_annunciators_fuel_quantity;
        SimDataRef flightmodel_weight_m_fuel;

        // Light states
        SimDataRef cockpit_electrical_beacon_lights_on;
        SimDataRef cockpit_electrical_landing_lights_on;
        SimDataRef cockpit_electrical_strobe_lights_on;
        SimDataRef cockpit_electrical_nav_lights_on;

        // Audio panel
        SimDataRef cockpit2_radios_actuators_audio_selection_com1;
        SimDataRef cockpit2_radios_actuators_audio_selection_com2;
        SimDataRef cockpit2_radios_actuators_audio_selection_nav1;
        SimDataRef cockpit2_radios_actuators_audio_selection_nav2;
        SimDataRef cockpit2_radios_actuators_audio_selection_adf1;
        SimDataRef cockpit2_radios_actuators_audio_selection_adf2;
        SimDataRef cockpit2_radios_actuators_audio_dme_enabled;
        SimDataRef cockpit2_radios_actuators_audio_marker_enabled;
        SimDataRef cockpit2_radios_actuators_HSI_source_select_pilot;

        // Radio frequencies
        SimDataRef cockpit_radios_com1_freq_hz;
        SimDataRef cockpit_radios_com1_stdby_freq_hz;
        SimDataRef cockpit_radios_com2_freq_hz;
        SimDataRef cockpit_radios_com2_stdby_freq_hz;
        SimDataRef cockpit_radios_nav1_freq_hz;
        SimDataRef cockpit_radios_nav1_stdby_freq_hz;
        SimDataRef cockpit_radios_nav2_freq_hz;
        SimDataRef cockpit_radios_nav2_stdby_freq_hz;
        SimDataRef cockpit_radios_adf1_freq_hz;
        SimDataRef cockpit_radios_adf1_stdby_freq_hz;
        SimDataRef cockpit_radios_dme_freq_hz;
        SimDataRef cockpit_radios_transponder_code;

        // DME indications
        SimDataRef cockpit2_radios_indicators_nav1_dme_distance_nm;
        SimDataRef cockpit2_radios_indicators_nav2_dme_distance_nm;
        SimDataRef cockpit2_radios_indicators_nav1_dme_speed_kts;
        SimDataRef cockpit2_radios_indicators_nav2_dme_speed_kts;

        // Autopilot state
        SimDataRef cockpit2_autopilot_autopilot_on;
        SimDataRef cockpit2_autopilot_flight_director_mode;
        SimDataRef cockpit2_autopilot_heading_status;
        SimDataRef cockpit2_autopilot_nav_status;
        SimDataRef cockpit2_autopilot_speed_status;
        SimDataRef cockpit2_autopilot_altitude_hold_status;
        SimDataRef cockpit2_autopilot_vvi_status;
        SimDataRef cockpit2_autopilot_approach_status;
        SimDataRef cockpit2_autopilot_backcourse_status;
        SimDataRef cockpit2_autopilot_altitude_hold_armed;

        // Autopilot targets and altitude; the altitude is held twice (the autoflight panel
        // reads one of the two)
        SimDataRef cockpit_autopilot_altitude;
        SimDataRef cockpit_autopilot_vertical_velocity;
        SimDataRef cockpit_autopilot_airspeed;
        SimDataRef cockpit_autopilot_heading_mag;
        SimDataRef cockpit_radios_nav1_obs_degm;
        SimDataRef cockpit2_gauges_indicators_altitude_ft_pilot;
        SimDataRef cockpit2_gauges_indicators_altitude_ft_pilot_2;
    };

    Commands cmd;
    DataRefs ref;

    // Simulator key name -> XPLMCommandKeyID ("xplm_key_pause" 0 .. "xplm_key_tranID" 93).
    std::map<std::string, int> keyNames;
    // Simulator joystick button name -> XPLMCommandButtonID ("xplm_joy_start_all" 1 ..
    // "xplm_joy_lanlights" 93; the SDK's 0 has no name).
    std::map<std::string, int> joystickNames;
    // Keyboard key name ("VK_RETURN") -> Windows virtual-key code.
    std::map<std::string, uint8_t> virtualKeyNames;
};

// The one record, constructed on first call (null handles, empty maps) and destroyed at module
// unload. Panels keep the returned reference; resolution later fills this same instance.
SimRegistry& GetSimRegistry();

// Looks up every path of the two tables below in table order, commands with XPLMFindCommand and
// datarefs with XPLMFindDataRef, stores each result in its member, then refills the three name
// maps. No result is tested and nothing is traced; calling it again resolves the same paths into
// the same members and gives the same maps.
void ResolveSimRegistry();

// One row of a path table: the path and the member of a SimRegistry that holds its handle.
struct SimCommandPath {
    const char* path;
    XPLMCommandRef& (*handle)(SimRegistry& registry);
};
struct SimDataRefPath {
    const char* path;
    SimDataRef& (*handle)(SimRegistry& registry);
};

// The tables ResolveSimRegistry walks: one row per handle member, grouped by system, families in
// unit order 1 to 8. Every path is unique except the altitude path, which has a row per member.
std::span<const SimCommandPath> SimCommandPaths();
std::span<const SimDataRefPath> SimDataRefPaths();

}  // namespace XPL
