#include "aircraft_model.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace XPL::SIMTOOL {

namespace {

using VSIM::DataType;

constexpr float kFrameSeconds = 1.0f / 60.0f;
// Seconds each gear leg takes from up to down: the nose leg is quicker than the mains, so the
// lamps change one by one.
constexpr float kGearSeconds[] = {3.0f, 3.5f, 4.0f};

constexpr char kHeadingStatus[] = "sim/cockpit2/autopilot/heading_status";
constexpr char kNavStatus[] = "sim/cockpit2/autopilot/nav_status";
constexpr char kSpeedStatus[] = "sim/cockpit2/autopilot/speed_status";
constexpr char kAltitudeStatus[] = "sim/cockpit2/autopilot/altitude_hold_status";
constexpr char kAltitudeArmed[] = "sim/cockpit2/autopilot/altitude_hold_armed";
constexpr char kVviStatus[] = "sim/cockpit2/autopilot/vvi_status";
constexpr char kApproachStatus[] = "sim/cockpit2/autopilot/approach_status";
constexpr char kBackCourseStatus[] = "sim/cockpit2/autopilot/backcourse_status";
constexpr char kDirectorMode[] = "sim/cockpit2/autopilot/flight_director_mode";
constexpr char kAutopilotOn[] = "sim/cockpit2/autopilot/autopilot_on";
constexpr char kAltitudeTarget[] = "sim/cockpit/autopilot/altitude";
constexpr char kVerticalSpeedTarget[] = "sim/cockpit/autopilot/vertical_velocity";
constexpr char kIndicatedAltitude[] = "sim/cockpit2/gauges/indicators/altitude_ft_pilot";
constexpr char kAdfStandby[] = "sim/cockpit/radios/adf1_stdby_freq_hz";
constexpr char kTransponder[] = "sim/cockpit/radios/transponder_code";
constexpr char kGearHandle[] = "sim/cockpit2/controls/gear_handle_down";
constexpr char kGearRatio[] = "sim/flightmodel2/gear/deploy_ratio";
constexpr char kEngineCount[] = "sim/aircraft/engine/acf_num_engines";
constexpr char kIgnitionKey[] = "sim/cockpit2/engine/actuators/ignition_key";

int GetI(const std::string& path) {
    return VSIM::GetInt(path);
}

void SetI(const std::string& path, int value) {
    VSIM::SetInt(path, value);
}

float GetF(const std::string& path) {
    return VSIM::GetFloat(path);
}

void SetF(const std::string& path, float value) {
    VSIM::SetFloat(path, value);
}

void SetElement(const std::string& path, size_t index, int value) {
    std::vector<int> values = VSIM::GetInts(path);
    if (values.size() <= index) {
        values.resize(index + 1);
    }
    values[index] = value;
    VSIM::SetInts(path, values);
}

// Every element of a per-engine array, one per engine.
void SetPerEngine(const std::string& path, float value) {
    const int engines = std::max(1, std::min(GetI(kEngineCount), 8));
    VSIM::SetFloats(path, std::vector<float>(static_cast<size_t>(engines), value));
}

// Turns a mode off when it is on, else on with the value given (2 engaged, 1 armed); true when
// it is on afterwards.
bool ToggleMode(const char* path, int onValue) {
    const bool on = GetI(path) == 0;
    SetI(path, on ? onValue : 0);
    return on;
}

// Frequencies in 10 kHz units (12150 is 121.50 MHz): the megahertz wrap within the band, the
// fraction wraps within its megahertz.
int StepMegahertz(int frequency, int step, int lowest, int highest) {
    int megahertz = frequency / 100 + step;
    if (megahertz > highest) {
        megahertz = lowest;
    } else if (megahertz < lowest) {
        megahertz = highest;
    }
    return megahertz * 100 + frequency % 100;
}

int StepFraction(int frequency, int step) {
    return frequency / 100 * 100 + (frequency % 100 + step + 100) % 100;
}

// One decimal digit of a code stepped within base (8 for the transponder's octal digits).
int StepDigit(int value, int place, int step, int base) {
    const int digit = value / place % 10;
    const int stepped = ((digit + step) % base + base) % base;
    return value + (stepped - digit) * place;
}

float WrapDegrees(float degrees) {
    const float wrapped = std::fmod(degrees, 360.0f);
    return wrapped < 0.0f ? wrapped + 360.0f : wrapped;
}

void SeedInt(const char* path, int value) {
    if (VSIM::TypeOf(path) == DataType::None) {
        SetI(path, value);
    }
}

void SeedFloat(const char* path, float value) {
    if (VSIM::TypeOf(path) == DataType::None) {
        SetF(path, value);
    }
}

void SeedInts(const char* path, const std::vector<int>& values) {
    if (VSIM::TypeOf(path) == DataType::None) {
        VSIM::SetInts(path, values);
    }
}

void SeedFloats(const char* path, const std::vector<float>& values) {
    if (VSIM::TypeOf(path) == DataType::None) {
        VSIM::SetFloats(path, values);
    }
}

}  // namespace

CAircraftModel::CAircraftModel() {
    AddRadios();
    AddAutopilot();
    AddSystems();
}

void CAircraftModel::SetActive(bool on) {
    std::lock_guard lock(mutex);
    if (on && !active) {
        Seed();
    }
    active = on;
}

bool CAircraftModel::IsActive() {
    std::lock_guard lock(mutex);
    return active;
}

void CAircraftModel::OnEvent(const VSIM::Event& event) {
    std::lock_guard lock(mutex);
    if (!active) {
        return;
    }
    const bool starts =
        event.kind == VSIM::EventKind::CommandOnce || event.kind == VSIM::EventKind::CommandBegin;
    if (!starts && event.kind != VSIM::EventKind::CommandEnd) {
        return;
    }
    const auto& actions = starts ? onCommand : endCommand;
    if (const auto found = actions.find(event.path); found != actions.end()) {
        found->second();
    }
}

void CAircraftModel::Frame() {
    std::lock_guard lock(mutex);
    if (!active) {
        return;
    }
    std::vector<float> ratios = VSIM::GetFloats(kGearRatio);
    const float target = GetI(kGearHandle) != 0 ? 1.0f : 0.0f;
    bool moved = false;
    for (size_t i = 0; i < ratios.size(); ++i) {
        const float step = kFrameSeconds / kGearSeconds[std::min<size_t>(i, 2)];
        const float next = ratios[i] < target ? std::min(target, ratios[i] + step)
                                              : std::max(target, ratios[i] - step);
        moved = moved || next != ratios[i];
        ratios[i] = next;
    }
    if (moved) {
        VSIM::SetFloats(kGearRatio, ratios);
    }

    if (GetI(kVviStatus) != 2) {
        return;
    }
    const float before = GetF(kIndicatedAltitude);
    const float rate = GetF(kVerticalSpeedTarget);
    const float after = std::clamp(before + rate * kFrameSeconds / 60.0f, 0.0f, 50000.0f);
    SetF(kIndicatedAltitude, after);
    const float armedTarget = GetF(kAltitudeTarget);
    const bool reached = rate >= 0.0f ? before <= armedTarget && after >= armedTarget
                                      : before >= armedTarget && after <= armedTarget;
    if (GetI(kAltitudeArmed) != 0 && reached) {
        SetF(kIndicatedAltitude, armedTarget);
        SetI(kAltitudeArmed, 0);
        SetI(kAltitudeStatus, 2);
        SetI(kVviStatus, 0);
    }
}

void CAircraftModel::AddRadios() {
    for (const std::string radio : {"com1", "com2", "nav1", "nav2"}) {
        const std::string active = "sim/cockpit/radios/" + radio + "_freq_hz";
        const std::string standby = "sim/cockpit/radios/" + radio + "_stdby_freq_hz";
        const bool com = radio[0] == 'c';
        const int lowest = com ? 118 : 108;
        const int highest = com ? 136 : 117;
        const std::string step = "sim/radios/stby_" + radio;
        onCommand[step + "_coarse_up"] = [=] {
            SetI(standby, StepMegahertz(GetI(standby), 1, lowest, highest));
        };
        onCommand[step + "_coarse_down"] = [=] {
            SetI(standby, StepMegahertz(GetI(standby), -1, lowest, highest));
        };
        onCommand[step + "_fine_up"] = [=] { SetI(standby, StepFraction(GetI(standby), 5)); };
        onCommand[step + "_fine_down"] = [=] { SetI(standby, StepFraction(GetI(standby), -5)); };
        onCommand["sim/radios/" + radio + "_standy_flip"] = [=] {
            const int was = GetI(active);
            SetI(active, GetI(standby));
            SetI(standby, was);
        };
    }
    onCommand["sim/radios/adf1_standy_flip"] = [] {
        const int was = GetI("sim/cockpit/radios/adf1_freq_hz");
        SetI("sim/cockpit/radios/adf1_freq_hz", GetI(kAdfStandby));
        SetI(kAdfStandby, was);
    };
    const struct {
        const char* name;
        int place;
    } kDigits[] = {{"ones", 1}, {"tens", 10}, {"hundreds", 100}, {"thousands", 1000}};
    for (const auto& digit : kDigits) {
        const int place = digit.place;
        const std::string transponder = std::string("sim/transponder/transponder_") + digit.name;
        onCommand[transponder + "_up"] = [=] {
            SetI(kTransponder, StepDigit(GetI(kTransponder), place, 1, 8));
        };
        onCommand[transponder + "_down"] = [=] {
            SetI(kTransponder, StepDigit(GetI(kTransponder), place, -1, 8));
        };
        if (place == 1000) {
            continue;
        }
        const std::string adf = std::string("sim/radios/stby_adf1_") + digit.name;
        onCommand[adf + "_up"] = [=] {
            SetI(kAdfStandby, StepDigit(GetI(kAdfStandby), place, 1, 10));
        };
        onCommand[adf + "_down"] = [=] {
            SetI(kAdfStandby, StepDigit(GetI(kAdfStandby), place, -1, 10));
        };
    }
    onCommand["sim/radios/obs1_up"] = [] {
        SetF("sim/cockpit/radios/nav1_obs_degm",
             WrapDegrees(GetF("sim/cockpit/radios/nav1_obs_degm") + 1.0f));
    };
    onCommand["sim/radios/obs1_down"] = [] {
        SetF("sim/cockpit/radios/nav1_obs_degm",
             WrapDegrees(GetF("sim/cockpit/radios/nav1_obs_degm") - 1.0f));
    };
    onCommand["sim/audio_panel/monitor_audio_adf1"] = [] {
        ToggleMode("sim/cockpit2/radios/actuators/audio_selection_adf1", 1);
    };
}

void CAircraftModel::AddAutopilot() {
    const struct {
        const char* command;
        const char* path;
        float step;
        float lowest;
        float highest;
    } kTargets[] = {
        {"altitude", kAltitudeTarget, 100.0f, 0.0f, 50000.0f},
        {"vertical_speed", kVerticalSpeedTarget, 100.0f, -8000.0f, 8000.0f},
        {"airspeed", "sim/cockpit/autopilot/airspeed", 1.0f, 0.0f, 500.0f},
    };
    for (const auto& target : kTargets) {
        const std::string path = target.path;
        const auto t = target;
        onCommand[std::string("sim/autopilot/") + t.command + "_up"] = [=] {
            SetF(path, std::clamp(GetF(path) + t.step, t.lowest, t.highest));
        };
        onCommand[std::string("sim/autopilot/") + t.command + "_down"] = [=] {
            SetF(path, std::clamp(GetF(path) - t.step, t.lowest, t.highest));
        };
    }
    onCommand["sim/autopilot/heading_up"] = [] {
        SetF("sim/cockpit/autopilot/heading_mag",
             WrapDegrees(GetF("sim/cockpit/autopilot/heading_mag") + 1.0f));
    };
    onCommand["sim/autopilot/heading_down"] = [] {
        SetF("sim/cockpit/autopilot/heading_mag",
             WrapDegrees(GetF("sim/cockpit/autopilot/heading_mag") - 1.0f));
    };

    // Lateral modes: heading and NAV exclude each other; the approach arms and waits.
    onCommand["sim/autopilot/heading"] = [] {
        if (ToggleMode(kHeadingStatus, 2)) {
            SetI(kNavStatus, 0);
        }
    };
    onCommand["sim/autopilot/NAV"] = [] {
        if (ToggleMode(kNavStatus, 2)) {
            SetI(kHeadingStatus, 0);
        }
    };
    onCommand["sim/autopilot/approach"] = [] { ToggleMode(kApproachStatus, 1); };
    onCommand["sim/autopilot/back_course"] = [] { ToggleMode(kBackCourseStatus, 2); };
    // Vertical modes: speed, vertical speed and altitude hold exclude each other; an armed
    // altitude stays armed while the aircraft climbs or descends toward it.
    const auto leaveAltitudeHold = [] {
        if (GetI(kAltitudeStatus) == 2) {
            SetI(kAltitudeStatus, GetI(kAltitudeArmed) != 0 ? 1 : 0);
        }
    };
    onCommand["sim/autopilot/level_change"] = [=] {
        if (ToggleMode(kSpeedStatus, 2)) {
            SetI(kVviStatus, 0);
            leaveAltitudeHold();
        }
    };
    onCommand["sim/autopilot/vertical_speed"] = [=] {
        if (ToggleMode(kVviStatus, 2)) {
            SetI(kSpeedStatus, 0);
            leaveAltitudeHold();
        }
    };
    onCommand["sim/autopilot/altitude_arm"] = [] {
        const bool arm = GetI(kAltitudeArmed) == 0;
        SetI(kAltitudeArmed, arm ? 1 : 0);
        if (GetI(kAltitudeStatus) != 2) {
            SetI(kAltitudeStatus, arm ? 1 : 0);
        }
    };
    // The flight director walks off, director, servos; the autopilot is on with the servos.
    onCommand["sim/autopilot/fdir_servos_up_one"] = [] {
        const int mode = std::min(GetI(kDirectorMode) + 1, 2);
        SetI(kDirectorMode, mode);
        SetI(kAutopilotOn, mode == 2 ? 1 : 0);
    };
    onCommand["sim/autopilot/fdir_servos_down_one"] = [] {
        const int mode = std::max(GetI(kDirectorMode) - 1, 0);
        SetI(kDirectorMode, mode);
        SetI(kAutopilotOn, mode == 2 ? 1 : 0);
    };
    onCommand["sim/autopilot/autothrottle_on"] = [] {
        SetI("sim/cockpit2/autopilot/autothrottle_enabled", 1);
    };
    onCommand["sim/autopilot/autothrottle_off"] = [] {
        SetI("sim/cockpit2/autopilot/autothrottle_enabled", 0);
    };
}

void CAircraftModel::AddSystems() {
    const auto onOff = [this](const std::string& command, const char* path, int onValue) {
        const std::string target = path;
        onCommand[command + "_on"] = [=] { SetI(target, onValue); };
        onCommand[command + "_off"] = [=] { SetI(target, 0); };
    };
    onOff("sim/lights/beacon_lights", "sim/cockpit/electrical/beacon_lights_on", 1);
    onOff("sim/lights/nav_lights", "sim/cockpit/electrical/nav_lights_on", 1);
    onOff("sim/lights/strobe_lights", "sim/cockpit/electrical/strobe_lights_on", 1);
    onOff("sim/lights/taxi_lights", "sim/cockpit/electrical/taxi_light_on", 1);
    onOff("sim/lights/landing_lights", "sim/cockpit/electrical/landing_lights_on", 1);
    onOff("sim/systems/avionics", "sim/cockpit2/switches/avionics_power_on", 1);
    onOff("sim/ice/pitot_heat", "sim/cockpit2/ice/ice_pitot_heat_on_pilot", 1);
    onOff("sim/ice/pitot_heat0", "sim/cockpit2/ice/ice_pitot_heat_on_pilot", 1);
    onOff("sim/ice/pitot_heat1", "sim/cockpit2/ice/ice_pitot_heat_on_copilot", 1);

    for (size_t i = 0; i < 8; ++i) {
        const std::string n = std::to_string(i + 1);
        const struct {
            std::string command;
            const char* path;
        } kSwitches[] = {
            {"sim/electrical/generator_" + n, "sim/cockpit2/electrical/generator_on"},
            {"sim/fuel/fuel_pump_" + n, "sim/cockpit2/engine/actuators/fuel_pump_on"},
            {"sim/electrical/battery_" + n, "sim/cockpit2/electrical/battery_on"},
        };
        for (const auto& item : kSwitches) {
            const std::string path = item.path;
            onCommand[item.command + "_on"] = [=] { SetElement(path, i, 1); };
            onCommand[item.command + "_off"] = [=] { SetElement(path, i, 0); };
        }
        // The ignition key as the simulator codes it: 0 off, 1 left, 2 right, 3 both, 4 start.
        const struct {
            const char* name;
            int key;
        } kMagnetos[] = {{"off", 0}, {"left", 1}, {"right", 2}, {"both", 3}};
        for (const auto& magneto : kMagnetos) {
            const int key = magneto.key;
            onCommand["sim/magnetos/magnetos_" + std::string(magneto.name) + "_" + n] = [=] {
                SetElement(kIgnitionKey, i, key);
            };
        }
        onCommand["sim/starters/engage_starter_" + n] = [=] { SetElement(kIgnitionKey, i, 4); };
        endCommand["sim/starters/engage_starter_" + n] = [=] { SetElement(kIgnitionKey, i, 3); };
    }

    onCommand["sim/flight_controls/cowl_flaps_closed"] = [] {
        SetPerEngine("sim/cockpit2/engine/actuators/cowl_flap_ratio", 0.0f);
    };
    onCommand["sim/flight_controls/cowl_flaps_open"] = [] {
        SetPerEngine("sim/cockpit2/engine/actuators/cowl_flap_ratio", 1.0f);
    };
    onCommand["sim/flight_controls/landing_gear_up"] = [] { SetI(kGearHandle, 0); };
    onCommand["sim/flight_controls/landing_gear_down"] = [] { SetI(kGearHandle, 1); };
    const auto stepRatio = [](const char* path, float step, float lowest) {
        return [=] { SetF(path, std::clamp(GetF(path) + step, lowest, 1.0f)); };
    };
    onCommand["sim/flight_controls/flaps_down"] =
        stepRatio("sim/cockpit2/controls/flap_ratio", 0.25f, 0.0f);
    onCommand["sim/flight_controls/flaps_up"] =
        stepRatio("sim/cockpit2/controls/flap_ratio", -0.25f, 0.0f);
    onCommand["sim/flight_controls/pitch_trim_up"] =
        stepRatio("sim/cockpit2/controls/elevator_trim", 0.02f, -1.0f);
    onCommand["sim/flight_controls/pitch_trim_down"] =
        stepRatio("sim/cockpit2/controls/elevator_trim", -0.02f, -1.0f);
}

void CAircraftModel::Seed() {
    // A single-engine aircraft on the ground: radios tuned, autopilot off, gear down.
    SeedInt("sim/cockpit/radios/com1_freq_hz", 11800);
    SeedInt("sim/cockpit/radios/com1_stdby_freq_hz", 12150);
    SeedInt("sim/cockpit/radios/com2_freq_hz", 12480);
    SeedInt("sim/cockpit/radios/com2_stdby_freq_hz", 13225);
    SeedInt("sim/cockpit/radios/nav1_freq_hz", 11030);
    SeedInt("sim/cockpit/radios/nav1_stdby_freq_hz", 10850);
    SeedInt("sim/cockpit/radios/nav2_freq_hz", 11390);
    SeedInt("sim/cockpit/radios/nav2_stdby_freq_hz", 11175);
    SeedInt("sim/cockpit/radios/adf1_freq_hz", 362);
    SeedInt(kAdfStandby, 278);
    SeedInt("sim/cockpit/radios/dme_freq_hz", 11030);
    SeedFloat("sim/cockpit2/radios/indicators/nav1_dme_distance_nm", 12.3f);
    SeedInt(kTransponder, 1200);
    SeedFloat("sim/cockpit/radios/nav1_obs_degm", 90.0f);

    SeedFloat(kAltitudeTarget, 3000.0f);
    SeedFloat(kVerticalSpeedTarget, 0.0f);
    SeedFloat("sim/cockpit/autopilot/airspeed", 120.0f);
    SeedFloat("sim/cockpit/autopilot/heading_mag", 270.0f);
    SeedFloat(kIndicatedAltitude, 3000.0f);
    for (const char* path :
         {kHeadingStatus, kNavStatus, kSpeedStatus, kAltitudeStatus, kAltitudeArmed, kVviStatus,
          kApproachStatus, kBackCourseStatus, kDirectorMode, kAutopilotOn}) {
        SeedInt(path, 0);
    }

    SeedInt(kEngineCount, 1);
    SeedInt("sim/aircraft/electrical/num_generators", 1);
    SeedInts("sim/cockpit/switches/anti_ice_prop_heat_per_engine", {0});
    SeedInts(kIgnitionKey, {0});
    SeedInt(kGearHandle, 1);
    SeedFloats(kGearRatio, {1.0f, 1.0f, 1.0f});
    SeedFloat("sim/flightmodel/controls/parkbrake", 1.0f);
    SeedInt("sim/aircraft/overflow/acf_num_tanks", 2);
    SeedFloat("sim/aircraft/weight/acf_m_fuel_tot", 300.0f);
    SeedFloats("sim/aircraft/overflow/acf_tank_rat", {0.5f, 0.5f});
    SeedFloats("sim/flightmodel/weight/m_fuel", {60.0f, 6.0f});  // the right tank nearly empty
}

}  // namespace XPL::SIMTOOL
