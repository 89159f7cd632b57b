// The registry's path tables and its resolution. Each table row pairs a path with an accessor of
// its member; a row's member name is checked against its path when the table compiles, so a
// member can always be found from its path by the rule in the header.
#include "sim/sim_registry.h"

#include <cstddef>
#include <iterator>
#include <string_view>

namespace XPL {
namespace {

// Not constexpr on purpose: a table row whose member breaks the naming rule calls it during
// constant evaluation, which stops the build at that row.
void MemberNameBreaksNamingRule() {}

// Character i of the member name a path gives: the path after "sim/", '/' read as '_'.
consteval char PathNameAt(std::string_view path, std::size_t i) {
    const char c = path[4 + i];
    return c == '/' ? '_' : c;
}

// Whether name equals the path's name with the characters [cut, cut + cutLength) left out.
consteval bool NameMatches(std::string_view name, std::string_view path, std::size_t cut,
                           std::size_t cutLength) {
    const std::size_t length = path.size() - 4;
    if (name.size() + cutLength != length) {
        return false;
    }
    for (std::size_t i = 0, j = 0; i < length; ++i) {
        if (i >= cut && i < cut + cutLength) {
            continue;
        }
        if (name[j++] != PathNameAt(path, i)) {
            return false;
        }
    }
    return true;
}

consteval bool FollowsNamingRule(std::string_view member, std::string_view path) {
    if (!path.starts_with("sim/")) {
        return false;
    }
    const std::size_t length = path.size() - 4;
    if (member.ends_with("]")) {
        // Family member "name[k]": the path holds "_<k + 1>" between '_'-separated words or at
        // its end, and leaving that out gives name.
        const std::size_t open = member.find('[');
        if (open == std::string_view::npos || member.size() != open + 3 || member[open + 1] < '0' ||
            member[open + 1] > '7') {
            return false;
        }
        const char unit = static_cast<char>(member[open + 1] + 1);
        const std::string_view name = member.substr(0, open);
        for (std::size_t i = 1; i < length; ++i) {
            if (PathNameAt(path, i) == unit && PathNameAt(path, i - 1) == '_' &&
                (i + 1 == length || PathNameAt(path, i + 1) == '_') &&
                NameMatches(name, path, i - 1, 2)) {
                return true;
            }
        }
        return false;
    }
    if (NameMatches(member, path, length, 0)) {
        return true;
    }
    // The second member of a path held twice.
    return member.ends_with("_2") &&
           NameMatches(member.substr(0, member.size() - 2), path, length, 0);
}

consteval const char* CheckedPath(std::string_view member, const char* path) {
    if (!FollowsNamingRule(member, path)) {
        MemberNameBreaksNamingRule();
    }
    return path;
}

#define XVS_COMMAND(member, path)                                                        \
    SimCommandPath {                                                                     \
        CheckedPath(#member, path),                                                      \
            [](SimRegistry& registry) -> XPLMCommandRef& { return registry.cmd.member; } \
    }
#define XVS_DATAREF(member, path)                                                    \
    SimDataRefPath {                                                                 \
        CheckedPath(#member, path),                                                  \
            [](SimRegistry& registry) -> SimDataRef& { return registry.ref.member; } \
    }

constexpr SimCommandPath kCommandPaths[] = {
    // Cowl flaps
    XVS_COMMAND(flight_controls_cowl_flaps_open, "sim/flight_controls/cowl_flaps_open"),
    XVS_COMMAND(flight_controls_cowl_flaps_closed, "sim/flight_controls/cowl_flaps_closed"),
    // Pitot heat
    XVS_COMMAND(ice_pitot_heat0_on, "sim/ice/pitot_heat0_on"),
    XVS_COMMAND(ice_pitot_heat0_off, "sim/ice/pitot_heat0_off"),
    XVS_COMMAND(ice_pitot_heat1_on, "sim/ice/pitot_heat1_on"),
    XVS_COMMAND(ice_pitot_heat1_off, "sim/ice/pitot_heat1_off"),
    XVS_COMMAND(ice_pitot_heat_on, "sim/ice/pitot_heat_on"),
    XVS_COMMAND(ice_pitot_heat_off, "sim/ice/pitot_heat_off"),
    // Avionics and batteries
    XVS_COMMAND(systems_avionics_on, "sim/systems/avionics_on"),
    XVS_COMMAND(systems_avionics_off, "sim/systems/avionics_off"),
    XVS_COMMAND(electrical_battery_1_on, "sim/electrical/battery_1_on"),
    XVS_COMMAND(electrical_battery_1_off, "sim/electrical/battery_1_off"),
    XVS_COMMAND(electrical_battery_2_on, "sim/electrical/battery_2_on"),
    XVS_COMMAND(electrical_battery_2_off, "sim/electrical/battery_2_off"),
    // Lights
    XVS_COMMAND(lights_landing_lights_on, "sim/lights/landing_lights_on"),
    XVS_COMMAND(lights_landing_lights_off, "sim/lights/landing_lights_off"),
    XVS_COMMAND(lights_taxi_lights_on, "sim/lights/taxi_lights_on"),
    XVS_COMMAND(lights_taxi_lights_off, "sim/lights/taxi_lights_off"),
    XVS_COMMAND(lights_strobe_lights_on, "sim/lights/strobe_lights_on"),
    XVS_COMMAND(lights_strobe_lights_off, "sim/lights/strobe_lights_off"),
    XVS_COMMAND(lights_nav_lights_on, "sim/lights/nav_lights_on"),
    XVS_COMMAND(lights_nav_lights_off, "sim/lights/nav_lights_off"),
    XVS_COMMAND(lights_beacon_lights_on, "sim/lights/beacon_lights_on"),
    XVS_COMMAND(lights_beacon_lights_off, "sim/lights/beacon_lights_off"),
    // Landing gear
    XVS_COMMAND(flight_controls_landing_gear_up, "sim/flight_controls/landing_gear_up"),
    XVS_COMMAND(flight_controls_landing_gear_down, "sim/flight_controls/landing_gear_down"),
    // Generators, units 1 to 8
    XVS_COMMAND(electrical_generator_on[0], "sim/electrical/generator_1_on"),
    XVS_COMMAND(electrical_generator_on[1], "sim/electrical/generator_2_on"),
    XVS_COMMAND(electrical_generator_on[2], "sim/electrical/generator_3_on"),
    XVS_COMMAND(electrical_generator_on[3], "sim/electrical/generator_4_on"),
    XVS_COMMAND(electrical_generator_on[4], "sim/electrical/generator_5_on"),
    XVS_COMMAND(electrical_generator_on[5], "sim/electrical/generator_6_on"),
    XVS_COMMAND(electrical_generator_on[6], "sim/electrical/generator_7_on"),
    XVS_COMMAND(electrical_generator_on[7], "sim/electrical/generator_8_on"),
    XVS_COMMAND(electrical_generator_off[0], "sim/electrical/generator_1_off"),
    XVS_COMMAND(electrical_generator_off[1], "sim/electrical/generator_2_off"),
    XVS_COMMAND(electrical_generator_off[2], "sim/electrical/generator_3_off"),
    XVS_COMMAND(electrical_generator_off[3], "sim/electrical/generator_4_off"),
    XVS_COMMAND(electrical_generator_off[4], "sim/electrical/generator_5_off"),
    XVS_COMMAND(electrical_generator_off[5], "sim/electrical/generator_6_off"),
    XVS_COMMAND(electrical_generator_off[6], "sim/electrical/generator_7_off"),
    XVS_COMMAND(electrical_generator_off[7], "sim/electrical/generator_8_off"),
    // Fuel pumps, units 1 to 8
    XVS_COMMAND(fuel_fuel_pump_on[0], "sim/fuel/fuel_pump_1_on"),
    XVS_COMMAND(fuel_fuel_pump_on[1], "sim/fuel/fuel_pump_2_on"),
    XVS_COMMAND(fuel_fuel_pump_on[2], "sim/fuel/fuel_pump_3_on"),
    XVS_COMMAND(fuel_fuel_pump_on[3], "sim/fuel/fuel_pump_4_on"),
    XVS_COMMAND(fuel_fuel_pump_on[4], "sim/fuel/fuel_pump_5_on"),
    XVS_COMMAND(fuel_fuel_pump_on[5], "sim/fuel/fuel_pump_6_on"),
    XVS_COMMAND(fuel_fuel_pump_on[6], "sim/fuel/fuel_pump_7_on"),
    XVS_COMMAND(fuel_fuel_pump_on[7], "sim/fuel/fuel_pump_8_on"),
    XVS_COMMAND(fuel_fuel_pump_off[0], "sim/fuel/fuel_pump_1_off"),
    XVS_COMMAND(fuel_fuel_pump_off[1], "sim/fuel/fuel_pump_2_off"),
    XVS_COMMAND(fuel_fuel_pump_off[2], "sim/fuel/fuel_pump_3_off"),
    XVS_COMMAND(fuel_fuel_pump_off[3], "sim/fuel/fuel_pump_4_off"),
    XVS_COMMAND(fuel_fuel_pump_off[4], "sim/fuel/fuel_pump_5_off"),
    XVS_COMMAND(fuel_fuel_pump_off[5], "sim/fuel/fuel_pump_6_off"),
    XVS_COMMAND(fuel_fuel_pump_off[6], "sim/fuel/fuel_pump_7_off"),
    XVS_COMMAND(fuel_fuel_pump_off[7], "sim/fuel/fuel_pump_8_off"),
    // Magnetos, engines 1 to 8
    XVS_COMMAND(magnetos_magnetos_off[0], "sim/magnetos/magnetos_off_1"),
    XVS_COMMAND(magnetos_magnetos_off[1], "sim/magnetos/magnetos_off_2"),
    XVS_COMMAND(magnetos_magnetos_off[2], "sim/magnetos/magnetos_off_3"),
    XVS_COMMAND(magnetos_magnetos_off[3], "sim/magnetos/magnetos_off_4"),
    XVS_COMMAND(magnetos_magnetos_off[4], "sim/magnetos/magnetos_off_5"),
    XVS_COMMAND(magnetos_magnetos_off[5], "sim/magnetos/magnetos_off_6"),
    XVS_COMMAND(magnetos_magnetos_off[6], "sim/magnetos/magnetos_off_7"),
    XVS_COMMAND(magnetos_magnetos_off[7], "sim/magnetos/magnetos_off_8"),
    XVS_COMMAND(magnetos_magnetos_left[0], "sim/magnetos/magnetos_left_1"),
    XVS_COMMAND(magnetos_magnetos_left[1], "sim/magnetos/magnetos_left_2"),
    XVS_COMMAND(magnetos_magnetos_left[2], "sim/magnetos/magnetos_left_3"),
    XVS_COMMAND(magnetos_magnetos_left[3], "sim/magnetos/magnetos_left_4"),
    XVS_COMMAND(magnetos_magnetos_left[4], "sim/magnetos/magnetos_left_5"),
    XVS_COMMAND(magnetos_magnetos_left[5], "sim/magnetos/magnetos_left_6"),
    XVS_COMMAND(magnetos_magnetos_left[6], "sim/magnetos/magnetos_left_7"),
    XVS_COMMAND(magnetos_magnetos_left[7], "sim/magnetos/magnetos_left_8"),
    XVS_COMMAND(magnetos_magnetos_right[0], "sim/magnetos/magnetos_right_1"),
    XVS_COMMAND(magnetos_magnetos_right[1], "sim/magnetos/magnetos_right_2"),
    XVS_COMMAND(magnetos_magnetos_right[2], "sim/magnetos/magnetos_right_3"),
    XVS_COMMAND(magnetos_magnetos_right[3], "sim/magnetos/magnetos_right_4"),
    XVS_COMMAND(magnetos_magnetos_right[4], "sim/magnetos/magnetos_right_5"),
    XVS_COMMAND(magnetos_magnetos_right[5], "sim/magnetos/magnetos_right_6"),
    XVS_COMMAND(magnetos_magnetos_right[6], "sim/magnetos/magnetos_right_7"),
    XVS_COMMAND(magnetos_magnetos_right[7], "sim/magnetos/magnetos_right_8"),
    XVS_COMMAND(magnetos_magnetos_both[0], "sim/magnetos/magnetos_both_1"),
    XVS_COMMAND(magnetos_magnetos_both[1], "sim/magnetos/magnetos_both_2"),
    XVS_COMMAND(magnetos_magnetos_both[2], "sim/magnetos/magnetos_both_3"),
    XVS_COMMAND(magnetos_magnetos_both[3], "sim/magnetos/magnetos_both_4"),
    XVS_COMMAND(magnetos_magnetos_both[4], "sim/magnetos/magnetos_both_5"),
    XVS_COMMAND(magnetos_magnetos_both[5], "sim/magnetos/magnetos_both_6"),
    XVS_COMMAND(magnetos_magnetos_both[6], "sim/magnetos/magnetos_both_7"),
    XVS_COMMAND(magnetos_magnetos_both[7], "sim/magnetos/magnetos_both_8"),
    // Starters, engines 1 to 8
    XVS_COMMAND(starters_engage_starter[0], "sim/starters/engage_starter_1"),
    XVS_COMMAND(starters_engage_starter[1], "sim/starters/engage_starter_2"),
    XVS_COMMAND(starters_engage_starter[2], "sim/starters/engage_starter_3"),
    XVS_COMMAND(starters_engage_starter[3], "sim/starters/engage_starter_4"),
    XVS_COMMAND(starters_engage_starter[4], "sim/starters/engage_starter_5"),
    XVS_COMMAND(starters_engage_starter[5], "sim/starters/engage_starter_6"),
    XVS_COMMAND(starters_engage_starter[6], "sim/starters/engage_starter_7"),
    XVS_COMMAND(starters_engage_starter[7], "sim/starters/engage_starter_8"),
    // Standby radio tuning
    XVS_COMMAND(radios_stby_com1_fine_down, "sim/radios/stby_com1_fine_down"),
    XVS_COMMAND(radios_stby_com1_fine_up, "sim/radios/stby_com1_fine_up"),
    XVS_COMMAND(radios_stby_com1_coarse_down, "sim/radios/stby_com1_coarse_down"),
    XVS_COMMAND(radios_stby_com1_coarse_up, "sim/radios/stby_com1_coarse_up"),
    XVS_COMMAND(radios_stby_com2_fine_down, "sim/radios/stby_com2_fine_down"),
    XVS_COMMAND(radios_stby_com2_fine_up, "sim/radios/stby_com2_fine_up"),
    XVS_COMMAND(radios_stby_com2_coarse_down, "sim/radios/stby_com2_coarse_down"),
    XVS_COMMAND(radios_stby_com2_coarse_up, "sim/radios/stby_com2_coarse_up"),
    XVS_COMMAND(radios_stby_nav1_fine_down, "sim/radios/stby_nav1_fine_down"),
    XVS_COMMAND(radios_stby_nav1_fine_up, "sim/radios/stby_nav1_fine_up"),
    XVS_COMMAND(radios_stby_nav1_coarse_down, "sim/radios/stby_nav1_coarse_down"),
    XVS_COMMAND(radios_stby_nav1_coarse_up, "sim/radios/stby_nav1_coarse_up"),
    XVS_COMMAND(radios_stby_nav2_fine_down, "sim/radios/stby_nav2_fine_down"),
    XVS_COMMAND(radios_stby_nav2_fine_up, "sim/radios/stby_nav2_fine_up"),
    XVS_COMMAND(radios_stby_nav2_coarse_down, "sim/radios/stby_nav2_coarse_down"),
    XVS_COMMAND(radios_stby_nav2_coarse_up, "sim/radios/stby_nav2_coarse_up"),
    // Active/standby flips
    XVS_COMMAND(radios_com1_standy_flip, "sim/radios/com1_standy_flip"),
    XVS_COMMAND(radios_com2_standy_flip, "sim/radios/com2_standy_flip"),
    XVS_COMMAND(radios_nav1_standy_flip, "sim/radios/nav1_standy_flip"),
    XVS_COMMAND(radios_nav2_standy_flip, "sim/radios/nav2_standy_flip"),
    XVS_COMMAND(radios_adf1_standy_flip, "sim/radios/adf1_standy_flip"),
    // Transponder digits
    XVS_COMMAND(transponder_transponder_thousands_down,
                "sim/transponder/transponder_thousands_down"),
    XVS_COMMAND(transponder_transponder_thousands_up, "sim/transponder/transponder_thousands_up"),
    XVS_COMMAND(transponder_transponder_hundreds_down, "sim/transponder/transponder_hundreds_down"),
    XVS_COMMAND(transponder_transponder_hundreds_up, "sim/transponder/transponder_hundreds_up"),
    XVS_COMMAND(transponder_transponder_tens_down, "sim/transponder/transponder_tens_down"),
    XVS_COMMAND(transponder_transponder_tens_up, "sim/transponder/transponder_tens_up"),
    XVS_COMMAND(transponder_transponder_ones_down, "sim/transponder/transponder_ones_down"),
    XVS_COMMAND(transponder_transponder_ones_up, "sim/transponder/transponder_ones_up"),
    // ADF standby digits and audio
    XVS_COMMAND(radios_stby_adf1_hundreds_up, "sim/radios/stby_adf1_hundreds_up"),
    XVS_COMMAND(radios_stby_adf1_hundreds_down, "sim/radios/stby_adf1_hundreds_down"),
    XVS_COMMAND(radios_stby_adf1_tens_up, "sim/radios/stby_adf1_tens_up"),
    XVS_COMMAND(radios_stby_adf1_tens_down, "sim/radios/stby_adf1_tens_down"),
    XVS_COMMAND(radios_stby_adf1_ones_up, "sim/radios/stby_adf1_ones_up"),
    XVS_COMMAND(radios_stby_adf1_ones_down, "sim/radios/stby_adf1_ones_down"),
    XVS_COMMAND(audio_panel_monitor_audio_adf1, "sim/audio_panel/monitor_audio_adf1"),
    // Autothrottle, flaps, pitch trim
    XVS_COMMAND(autopilot_autothrottle_on, "sim/autopilot/autothrottle_on"),
    XVS_COMMAND(autopilot_autothrottle_off, "sim/autopilot/autothrottle_off"),
    XVS_COMMAND(flight_controls_flaps_up, "sim/flight_controls/flaps_up"),
    XVS_COMMAND(flight_controls_flaps_down, "sim/flight_controls/flaps_down"),
    XVS_COMMAND(flight_controls_pitch_trim_up, "sim/flight_controls/pitch_trim_up"),
    XVS_COMMAND(flight_controls_pitch_trim_down, "sim/flight_controls/pitch_trim_down"),
    // Autopilot modes
    XVS_COMMAND(autopilot_fdir_servos_down_one, "sim/autopilot/fdir_servos_down_one"),
    XVS_COMMAND(autopilot_fdir_servos_up_one, "sim/autopilot/fdir_servos_up_one"),
    XVS_COMMAND(autopilot_heading, "sim/autopilot/heading"),
    XVS_COMMAND(autopilot_NAV, "sim/autopilot/NAV"),
    XVS_COMMAND(autopilot_level_change, "sim/autopilot/level_change"),
    XVS_COMMAND(autopilot_altitude_arm, "sim/autopilot/altitude_arm"),
    XVS_COMMAND(autopilot_vertical_speed, "sim/autopilot/vertical_speed"),
    XVS_COMMAND(autopilot_approach, "sim/autopilot/approach"),
    XVS_COMMAND(autopilot_back_course, "sim/autopilot/back_course"),
    // Autopilot targets
    XVS_COMMAND(autopilot_altitude_down, "sim/autopilot/altitude_down"),
    XVS_COMMAND(autopilot_altitude_up, "sim/autopilot/altitude_up"),
    XVS_COMMAND(autopilot_vertical_speed_down, "sim/autopilot/vertical_speed_down"),
    XVS_COMMAND(autopilot_vertical_speed_up, "sim/autopilot/vertical_speed_up"),
    XVS_COMMAND(autopilot_airspeed_down, "sim/autopilot/airspeed_down"),
    XVS_COMMAND(autopilot_airspeed_up, "sim/autopilot/airspeed_up"),
    XVS_COMMAND(autopilot_heading_down, "sim/autopilot/heading_down"),
    XVS_COMMAND(autopilot_heading_up, "sim/autopilot/heading_up"),
    XVS_COMMAND(radios_obs1_down, "sim/radios/obs1_down"),
    XVS_COMMAND(radios_obs1_up, "sim/radios/obs1_up"),
};

constexpr SimDataRefPath kDataRefPaths[] = {
    // Lighting and anti-ice switches
    XVS_DATAREF(cockpit_electrical_instrument_brightness,
                "sim/cockpit/electrical/instrument_brightness"),
    XVS_DATAREF(cockpit_switches_anti_ice_AOA_heat, "sim/cockpit/switches/anti_ice_AOA_heat"),
    XVS_DATAREF(cockpit_switches_anti_ice_AOA_heat2, "sim/cockpit/switches/anti_ice_AOA_heat2"),
    XVS_DATAREF(cockpit_switches_anti_ice_prop_heat_per_engine,
                "sim/cockpit/switches/anti_ice_prop_heat_per_engine"),
    XVS_DATAREF(cockpit_switches_anti_ice_window_heat, "sim/cockpit/switches/anti_ice_window_heat"),
    XVS_DATAREF(cockpit_switches_anti_ice_surf_heat, "sim/cockpit/switches/anti_ice_surf_heat"),
    XVS_DATAREF(cockpit_switches_anti_ice_surf_boot, "sim/cockpit/switches/anti_ice_surf_boot"),
    // Aircraft configuration
    XVS_DATAREF(aircraft_engine_acf_num_engines, "sim/aircraft/engine/acf_num_engines"),
    XVS_DATAREF(aircraft_electrical_num_generators, "sim/aircraft/electrical/num_generators"),
    XVS_DATAREF(aircraft_engine_acf_max_OILT, "sim/aircraft/engine/acf_max_OILT"),
    XVS_DATAREF(aircraft_overflow_acf_num_tanks, "sim/aircraft/overflow/acf_num_tanks"),
    XVS_DATAREF(aircraft_weight_acf_m_fuel_tot, "sim/aircraft/weight/acf_m_fuel_tot"),
    XVS_DATAREF(aircraft_overflow_acf_tank_rat, "sim/aircraft/overflow/acf_tank_rat"),
    // Gear and brakes
    XVS_DATAREF(flightmodel2_gear_deploy_ratio, "sim/flightmodel2/gear/deploy_ratio"),
    XVS_DATAREF(flightmodel_controls_parkbrake, "sim/flightmodel/controls/parkbrake"),
    // Engines and annunciators
    XVS_DATAREF(cockpit_warnings_annunciators_engine_fires,
                "sim/cockpit/warnings/annunciators/engine_fires"),
    XVS_DATAREF(cockpit2_engine_indicators_oil_pressure_psi,
                "sim/cockpit2/engine/indicators/oil_pressure_psi"),
    XVS_DATAREF(cockpit2_engine_indicators_oil_temperature_deg_C,
                "sim/cockpit2/engine/indicators/oil_temperature_deg_C"),
    XVS_DATAREF(cockpit_warnings_annunciators_fuel_pressure_low,
                "sim/cockpit/warnings/annunciators/fuel_pressure_low"),
    XVS_DATAREF(cockpit_warnings_annunciators_crossfeed_on,
                "sim/cockpit/warnings/annunciators/crossfeed_on"),
    XVS_DATAREF(cockpit2_ice_ice_pitot_heat_on_pilot, "sim/cockpit2/ice/ice_pitot_heat_on_pilot"),
    XVS_DATAREF(flightmodel_failures_stallwarning, "sim/flightmodel/failures/stallwarning"),
    XVS_DATAREF(cockpit_warnings_annunciators_cabin_door_open,
                "sim/cockpit/warnings/annunciators/cabin_door_open"),
    XVS_DATAREF(cockpit_warnings_annunciators_low_vacuum,
                "sim/cockpit/warnings/annunciators/low_vacuum"),
    XVS_DATAREF(cockpit2_engine_indicators_engine_speed_rpm,
                "sim/cockpit2/engine/indicators/engine_speed_rpm"),
    XVS_DATAREF(cockpit_warnings_annunciators_fuel_quantity,
                "sim/cockpit/warnings/annunciators/fuel_quantity"),
    XVS_DATAREF(flightmodel_weight_m_fuel, "sim/flightmodel/weight/m_fuel"),
    // Light states
    XVS_DATAREF(cockpit_electrical_beacon_lights_on, "sim/cockpit/electrical/beacon_lights_on"),
    XVS_DATAREF(cockpit_electrical_landing_lights_on, "sim/cockpit/electrical/landing_lights_on"),
    XVS_DATAREF(cockpit_electrical_strobe_lights_on, "sim/cockpit/electrical/strobe_lights_on"),
    XVS_DATAREF(cockpit_electrical_nav_lights_on, "sim/cockpit/electrical/nav_lights_on"),
    // Audio panel
    XVS_DATAREF(cockpit2_radios_actuators_audio_selection_com1,
                "sim/cockpit2/radios/actuators/audio_selection_com1"),
    XVS_DATAREF(cockpit2_radios_actuators_audio_selection_com2,
                "sim/cockpit2/radios/actuators/audio_selection_com2"),
    XVS_DATAREF(cockpit2_radios_actuators_audio_selection_nav1,
                "sim/cockpit2/radios/actuators/audio_selection_nav1"),
    XVS_DATAREF(cockpit2_radios_actuators_audio_selection_nav2,
                "sim/cockpit2/radios/actuators/audio_selection_nav2"),
    XVS_DATAREF(cockpit2_radios_actuators_audio_selection_adf1,
                "sim/cockpit2/radios/actuators/audio_selection_adf1"),
    XVS_DATAREF(cockpit2_radios_actuators_audio_selection_adf2,
                "sim/cockpit2/radios/actuators/audio_selection_adf2"),
    XVS_DATAREF(cockpit2_radios_actuators_audio_dme_enabled,
                "sim/cockpit2/radios/actuators/audio_dme_enabled"),
    XVS_DATAREF(cockpit2_radios_actuators_audio_marker_enabled,
                "sim/cockpit2/radios/actuators/audio_marker_enabled"),
    XVS_DATAREF(cockpit2_radios_actuators_HSI_source_select_pilot,
                "sim/cockpit2/radios/actuators/HSI_source_select_pilot"),
    // Radio frequencies
    XVS_DATAREF(cockpit_radios_com1_freq_hz, "sim/cockpit/radios/com1_freq_hz"),
    XVS_DATAREF(cockpit_radios_com1_stdby_freq_hz, "sim/cockpit/radios/com1_stdby_freq_hz"),
    XVS_DATAREF(cockpit_radios_com2_freq_hz, "sim/cockpit/radios/com2_freq_hz"),
    XVS_DATAREF(cockpit_radios_com2_stdby_freq_hz, "sim/cockpit/radios/com2_stdby_freq_hz"),
    XVS_DATAREF(cockpit_radios_nav1_freq_hz, "sim/cockpit/radios/nav1_freq_hz"),
    XVS_DATAREF(cockpit_radios_nav1_stdby_freq_hz, "sim/cockpit/radios/nav1_stdby_freq_hz"),
    XVS_DATAREF(cockpit_radios_nav2_freq_hz, "sim/cockpit/radios/nav2_freq_hz"),
    XVS_DATAREF(cockpit_radios_nav2_stdby_freq_hz, "sim/cockpit/radios/nav2_stdby_freq_hz"),
    XVS_DATAREF(cockpit_radios_adf1_freq_hz, "sim/cockpit/radios/adf1_freq_hz"),
    XVS_DATAREF(cockpit_radios_adf1_stdby_freq_hz, "sim/cockpit/radios/adf1_stdby_freq_hz"),
    XVS_DATAREF(cockpit_radios_dme_freq_hz, "sim/cockpit/radios/dme_freq_hz"),
    XVS_DATAREF(cockpit_radios_transponder_code, "sim/cockpit/radios/transponder_code"),
    // DME indications
    XVS_DATAREF(cockpit2_radios_indicators_nav1_dme_distance_nm,
                "sim/cockpit2/radios/indicators/nav1_dme_distance_nm"),
    XVS_DATAREF(cockpit2_radios_indicators_nav2_dme_distance_nm,
                "sim/cockpit2/radios/indicators/nav2_dme_distance_nm"),
    XVS_DATAREF(cockpit2_radios_indicators_nav1_dme_speed_kts,
                "sim/cockpit2/radios/indicators/nav1_dme_speed_kts"),
    XVS_DATAREF(cockpit2_radios_indicators_nav2_dme_speed_kts,
                "sim/cockpit2/radios/indicators/nav2_dme_speed_kts"),
    // Autopilot state
    XVS_DATAREF(cockpit2_autopilot_autopilot_on, "sim/cockpit2/autopilot/autopilot_on"),
    XVS_DATAREF(cockpit2_autopilot_flight_director_mode,
                "sim/cockpit2/autopilot/flight_director_mode"),
    XVS_DATAREF(cockpit2_autopilot_heading_status, "sim/cockpit2/autopilot/heading_status"),
    XVS_DATAREF(cockpit2_autopilot_nav_status, "sim/cockpit2/autopilot/nav_status"),
    XVS_DATAREF(cockpit2_autopilot_speed_status, "sim/cockpit2/autopilot/speed_status"),
    XVS_DATAREF(cockpit2_autopilot_altitude_hold_status,
                "sim/cockpit2/autopilot/altitude_hold_status"),
    XVS_DATAREF(cockpit2_autopilot_vvi_status, "sim/cockpit2/autopilot/vvi_status"),
    XVS_DATAREF(cockpit2_autopilot_approach_status, "sim/cockpit2/autopilot/approach_status"),
    XVS_DATAREF(cockpit2_autopilot_backcourse_status, "sim/cockpit2/autopilot/backcourse_status"),
    XVS_DATAREF(cockpit2_autopilot_altitude_hold_armed,
                "sim/cockpit2/autopilot/altitude_hold_armed"),
    // Autopilot targets and altitude (the altitude path twice, one row per member)
    XVS_DATAREF(cockpit_autopilot_altitude, "sim/cockpit/autopilot/altitude"),
    XVS_DATAREF(cockpit_autopilot_vertical_velocity, "sim/cockpit/autopilot/vertical_velocity"),
    XVS_DATAREF(cockpit_autopilot_airspeed, "sim/cockpit/autopilot/airspeed"),
    XVS_DATAREF(cockpit_autopilot_heading_mag, "sim/cockpit/autopilot/heading_mag"),
    XVS_DATAREF(cockpit_radios_nav1_obs_degm, "sim/cockpit/radios/nav1_obs_degm"),
    XVS_DATAREF(cockpit2_gauges_indicators_altitude_ft_pilot,
                "sim/cockpit2/gauges/indicators/altitude_ft_pilot"),
    XVS_DATAREF(cockpit2_gauges_indicators_altitude_ft_pilot_2,
                "sim/cockpit2/gauges/indicators/altitude_ft_pilot"),
};

#undef XVS_COMMAND
#undef XVS_DATAREF

// One row per handle member: nothing in the record is left out of resolution.
static_assert(std::size(kCommandPaths) * sizeof(XPLMCommandRef) == sizeof(SimRegistry::Commands));
static_assert(std::size(kDataRefPaths) * sizeof(SimDataRef) == sizeof(SimRegistry::DataRefs));

// Simulator key names in the SDK's XPLMCommandKeyID order, from 0.
constexpr const char* kKeyNames[] = {
    "xplm_key_pause",      "xplm_key_revthrust",  "xplm_key_jettison",   "xplm_key_brakesreg",
    "xplm_key_brakesmax",  "xplm_key_gear",       "xplm_key_timedn",     "xplm_key_timeup",
    "xplm_key_fadec",      "xplm_key_otto_dis",   "xplm_key_otto_atr",   "xplm_key_otto_asi",
    "xplm_key_otto_hdg",   "xplm_key_otto_gps",   "xplm_key_otto_lev",   "xplm_key_otto_hnav",
    "xplm_key_otto_alt",   "xplm_key_otto_vvi",   "xplm_key_otto_vnav",  "xplm_key_otto_nav1",
    "xplm_key_otto_nav2",  "xplm_key_targ_dn",    "xplm_key_targ_up",    "xplm_key_hdgdn",
    "xplm_key_hdgup",      "xplm_key_barodn",     "xplm_key_baroup",     "xplm_key_obs1dn",
    "xplm_key_obs1up",     "xplm_key_obs2dn",     "xplm_key_obs2up",     "xplm_key_com1_1",
    "xplm_key_com1_2",     "xplm_key_com1_3",     "xplm_key_com1_4",     "xplm_key_nav1_1",
    "xplm_key_nav1_2",     "xplm_key_nav1_3",     "xplm_key_nav1_4",     "xplm_key_com2_1",
    "xplm_key_com2_2",     "xplm_key_com2_3",     "xplm_key_com2_4",     "xplm_key_nav2_1",
    "xplm_key_nav2_2",     "xplm_key_nav2_3",     "xplm_key_nav2_4",     "xplm_key_adf_1",
    "xplm_key_adf_2",      "xplm_key_adf_3",      "xplm_key_adf_4",      "xplm_key_adf_5",
    "xplm_key_adf_6",      "xplm_key_transpon_1", "xplm_key_transpon_2", "xplm_key_transpon_3",
    "xplm_key_transpon_4", "xplm_key_transpon_5", "xplm_key_transpon_6", "xplm_key_transpon_7",
    "xplm_key_transpon_8", "xplm_key_flapsup",    "xplm_key_flapsdn",    "xplm_key_cheatoff",
    "xplm_key_cheaton",    "xplm_key_sbrkoff",    "xplm_key_sbrkon",     "xplm_key_ailtrimL",
    "xplm_key_ailtrimR",   "xplm_key_rudtrimL",   "xplm_key_rudtrimR",   "xplm_key_elvtrimD",
    "xplm_key_elvtrimU",   "xplm_key_forward",    "xplm_key_down",       "xplm_key_left",
    "xplm_key_right",      "xplm_key_back",       "xplm_key_tower",      "xplm_key_runway",
    "xplm_key_chase",      "xplm_key_free1",      "xplm_key_free2",      "xplm_key_spot",
    "xplm_key_fullscrn1",  "xplm_key_fullscrn2",  "xplm_key_tanspan",    "xplm_key_smoke",
    "xplm_key_map",        "xplm_key_zoomin",     "xplm_key_zoomout",    "xplm_key_cycledump",
    "xplm_key_replay",     "xplm_key_tranID",
};
static_assert(std::size(kKeyNames) == 94);

// Simulator joystick button names in the SDK's XPLMCommandButtonID order, from 1.
constexpr const char* kJoystickNames[] = {
    "xplm_joy_start_all", "xplm_joy_start_0",    "xplm_joy_start_1",    "xplm_joy_start_2",
    "xplm_joy_start_3",   "xplm_joy_start_4",    "xplm_joy_start_5",    "xplm_joy_start_6",
    "xplm_joy_start_7",   "xplm_joy_throt_up",   "xplm_joy_throt_dn",   "xplm_joy_prop_up",
    "xplm_joy_prop_dn",   "xplm_joy_mixt_up",    "xplm_joy_mixt_dn",    "xplm_joy_carb_tog",
    "xplm_joy_carb_on",   "xplm_joy_carb_off",   "xplm_joy_trev",       "xplm_joy_trm_up",
    "xplm_joy_trm_dn",    "xplm_joy_rot_trm_up", "xplm_joy_rot_trm_dn", "xplm_joy_rud_lft",
    "xplm_joy_rud_cntr",  "xplm_joy_rud_rgt",    "xplm_joy_ail_lft",    "xplm_joy_ail_cntr",
    "xplm_joy_ail_rgt",   "xplm_joy_B_rud_lft",  "xplm_joy_B_rud_rgt",  "xplm_joy_look_up",
    "xplm_joy_look_dn",   "xplm_joy_look_lft",   "xplm_joy_look_rgt",   "xplm_joy_glance_l",
    "xplm_joy_glance_r",  "xplm_joy_v_fnh",      "xplm_joy_v_fwh",      "xplm_joy_v_tra",
    "xplm_joy_v_twr",     "xplm_joy_v_run",      "xplm_joy_v_cha",      "xplm_joy_v_fr1",
    "xplm_joy_v_fr2",     "xplm_joy_v_spo",      "xplm_joy_flapsup",    "xplm_joy_flapsdn",
    "xplm_joy_vctswpfwd", "xplm_joy_vctswpaft",  "xplm_joy_gear_tog",   "xplm_joy_gear_up",
    "xplm_joy_gear_down", "xplm_joy_lft_brake",  "xplm_joy_rgt_brake",  "xplm_joy_brakesREG",
    "xplm_joy_brakesMAX", "xplm_joy_speedbrake", "xplm_joy_ott_dis",    "xplm_joy_ott_atr",
    "xplm_joy_ott_asi",   "xplm_joy_ott_hdg",    "xplm_joy_ott_alt",    "xplm_joy_ott_vvi",
    "xplm_joy_tim_start", "xplm_joy_tim_reset",  "xplm_joy_ecam_up",    "xplm_joy_ecam_dn",
    "xplm_joy_fadec",     "xplm_joy_yaw_damp",   "xplm_joy_art_stab",   "xplm_joy_chute",
    "xplm_joy_JATO",      "xplm_joy_arrest",     "xplm_joy_jettison",   "xplm_joy_fuel_dump",
    "xplm_joy_puffsmoke", "xplm_joy_prerotate",  "xplm_joy_UL_prerot",  "xplm_joy_UL_collec",
    "xplm_joy_TOGA",      "xplm_joy_shutdown",   "xplm_joy_con_atc",    "xplm_joy_fail_now",
    "xplm_joy_pause",     "xplm_joy_rock_up",    "xplm_joy_rock_dn",    "xplm_joy_rock_lft",
    "xplm_joy_rock_rgt",  "xplm_joy_rock_for",   "xplm_joy_rock_aft",   "xplm_joy_idle_hilo",
    "xplm_joy_lanlights",
};
static_assert(std::size(kJoystickNames) == 93);

struct VirtualKeyName {
    const char* name;
    uint8_t code;
};

// Windows virtual-key codes other than the digit, letter, numeric-pad and function-key runs.
constexpr VirtualKeyName kNamedVirtualKeys[] = {
    {"VK_LBUTTON", 0x01},
    {"VK_RBUTTON", 0x02},
    {"VK_CANCEL", 0x03},
    {"VK_MBUTTON", 0x04},
    {"VK_XBUTTON1", 0x05},
    {"VK_XBUTTON2", 0x06},
    {"VK_BACK", 0x08},
    {"VK_TAB", 0x09},
    {"VK_CLEAR", 0x0C},
    {"VK_RETURN", 0x0D},
    {"VK_SHIFT", 0x10},
    {"VK_CONTROL", 0x11},
    {"VK_MENU", 0x12},
    {"VK_PAUSE", 0x13},
    {"VK_CAPITAL", 0x14},
    {"VK_KANA", 0x15},
    {"VK_JUNJA", 0x17},
    {"VK_FINAL", 0x18},
    {"VK_KANJI", 0x19},
    {"VK_ESCAPE", 0x1B},
    {"VK_CONVERT", 0x1C},
    {"VK_NONCONVERT", 0x1D},
    {"VK_ACCEPT", 0x1E},
    {"VK_MODECHANGE", 0x1F},
    {"VK_SPACE", 0x20},
    {"VK_PRIOR", 0x21},
    {"VK_NEXT", 0x22},
    {"VK_END", 0x23},
    {"VK_HOME", 0x24},
    {"VK_LEFT", 0x25},
    {"VK_UP", 0x26},
    {"VK_RIGHT", 0x27},
    {"VK_DOWN", 0x28},
    {"VK_SELECT", 0x29},
    {"VK_PRINT", 0x2A},
    {"VK_EXECUTE", 0x2B},
    {"VK_SNAPSHOT", 0x2C},
    {"VK_INSERT", 0x2D},
    {"VK_DELETE", 0x2E},
    {"VK_HELP", 0x2F},
    {"VK_LWIN", 0x5B},
    {"VK_RWIN", 0x5C},
    {"VK_APPS", 0x5D},
    {"VK_SLEEP", 0x5F},
    {"VK_MULTIPLY", 0x6A},
    {"VK_ADD", 0x6B},
    {"VK_SEPARATOR", 0x6C},
    {"VK_SUBTRACT", 0x6D},
    {"VK_DECIMAL", 0x6E},
    {"VK_DIVIDE", 0x6F},
    {"VK_NUMLOCK", 0x90},
    {"VK_SCROLL", 0x91},
    {"VK_OEM_NEC_EQUAL", 0x92},
    {"VK_OEM_FJ_MASSHOU", 0x93},
    {"VK_OEM_FJ_TOUROKU", 0x94},
    {"VK_OEM_FJ_LOYA", 0x95},
    {"VK_OEM_FJ_ROYA", 0x96},
    {"VK_LSHIFT", 0xA0},
    {"VK_RSHIFT", 0xA1},
    {"VK_LCONTROL", 0xA2},
    {"VK_RCONTROL", 0xA3},
    {"VK_LMENU", 0xA4},
    {"VK_RMENU", 0xA5},
    {"VK_BROWSER_BACK", 0xA6},
    {"VK_BROWSER_FORWARD", 0xA7},
    {"VK_BROWSER_REFRESH", 0xA8},
    {"VK_BROWSER_STOP", 0xA9},
    {"VK_BROWSER_SEARCH", 0xAA},
    {"VK_BROWSER_FAVORITES", 0xAB},
    {"VK_BROWSER_HOME", 0xAC},
    {"VK_VOLUME_MUTE", 0xAD},
    {"VK_VOLUME_DOWN", 0xAE},
    {"VK_VOLUME_UP", 0xAF},
    {"VK_MEDIA_NEXT_TRACK", 0xB0},
    {"VK_MEDIA_PREV_TRACK", 0xB1},
    {"VK_MEDIA_STOP", 0xB2},
    {"VK_MEDIA_PLAY_PAUSE", 0xB3},
    {"VK_LAUNCH_MAIL", 0xB4},
    {"VK_LAUNCH_MEDIA_SELECT", 0xB5},
    {"VK_LAUNCH_APP1", 0xB6},
    {"VK_LAUNCH_APP2", 0xB7},
    {"VK_OEM_1", 0xBA},
    {"VK_OEM_PLUS", 0xBB},
    {"VK_OEM_COMMA", 0xBC},
    {"VK_OEM_MINUS", 0xBD},
    {"VK_OEM_PERIOD", 0xBE},
    {"VK_OEM_2", 0xBF},
    {"VK_OEM_3", 0xC0},
    {"VK_OEM_4", 0xDB},
    {"VK_OEM_5", 0xDC},
    {"VK_OEM_6", 0xDD},
    {"VK_OEM_7", 0xDE},
    {"VK_OEM_8", 0xDF},
    {"VK_OEM_AX", 0xE1},
    {"VK_OEM_102", 0xE2},
    {"VK_ICO_HELP", 0xE3},
    {"VK_ICO_00", 0xE4},
    {"VK_PROCESSKEY", 0xE5},
    {"VK_ICO_CLEAR", 0xE6},
    {"VK_PACKET", 0xE7},
};
static_assert(std::size(kNamedVirtualKeys) == 100);

void FillKeyNames(std::map<std::string, int>& names) {
    names.clear();
    for (std::size_t i = 0; i < std::size(kKeyNames); ++i) {
        names.emplace(kKeyNames[i], static_cast<int>(i));
    }
}

void FillJoystickNames(std::map<std::string, int>& names) {
    names.clear();
    for (std::size_t i = 0; i < std::size(kJoystickNames); ++i) {
        names.emplace(kJoystickNames[i], static_cast<int>(i) + 1);
    }
}

void FillVirtualKeyNames(std::map<std::string, uint8_t>& names) {
    names.clear();
    // Digits and letters are their own character codes. The vocabulary has no VK_W, so a key
    // text naming W gives virtual key 0.
    for (char c = '0'; c <= '9'; ++c) {
        names.emplace(std::string("VK_") + c, static_cast<uint8_t>(c));
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        if (c != 'W') {
            names.emplace(std::string("VK_") + c, static_cast<uint8_t>(c));
        }
    }
    for (int i = 0; i <= 9; ++i) {
        names.emplace("VK_NUMPAD" + std::to_string(i), static_cast<uint8_t>(0x60 + i));
    }
    for (int i = 1; i <= 24; ++i) {
        names.emplace("VK_F" + std::to_string(i), static_cast<uint8_t>(0x70 + i - 1));
    }
    for (const VirtualKeyName& key : kNamedVirtualKeys) {
        names.emplace(key.name, key.code);
    }
}

}  // namespace

SimRegistry& GetSimRegistry() {
    static SimRegistry registry;
    return registry;
}

void ResolveSimRegistry() {
    SimRegistry& registry = GetSimRegistry();
    for (const SimCommandPath& row : kCommandPaths) {
        row.handle(registry) = XPLMFindCommand(row.path);
    }
    for (const SimDataRefPath& row : kDataRefPaths) {
        row.handle(registry) = SimDataRef(XPLMFindDataRef(row.path));
    }
    FillKeyNames(registry.keyNames);
    FillJoystickNames(registry.joystickNames);
    FillVirtualKeyNames(registry.virtualKeyNames);
}

std::span<const SimCommandPath> SimCommandPaths() {
    return kCommandPaths;
}

std::span<const SimDataRefPath> SimDataRefPaths() {
    return kDataRefPaths;
}

}  // namespace XPL
