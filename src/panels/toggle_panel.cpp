#include "panels/toggle_panel.h"

#include <algorithm>

#include "sim/input_simulation.h"
#include "sim/sim_registry.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kToggle;
constexpr int kUnits = 8;  // entries of each per-engine and per-generator command list

using CommandFn = void (*)(XPLMCommandRef);

// Sends the commands of units 1 to the count the aircraft reports now; the lists end at eight.
void ForEachUnit(const SimDataRef& countRef, const XPLMCommandRef (&commands)[kUnits],
                 CommandFn send) {
    const int count = std::min(GetDatai(countRef), kUnits);
    for (int i = 0; i < count; ++i) {
        send(commands[i]);
    }
}

void CommandOnce(XPLMCommandRef command) {
    XPLMCommandOnce(command);
}
void CommandBegin(XPLMCommandRef command) {
    XPLMCommandBegin(command);
}
void CommandEnd(XPLMCommandRef command) {
    XPLMCommandEnd(command);
}

// The command of a switch for its new state.
void Switch(uint32_t state, XPLMCommandRef on, XPLMCommandRef off) {
    XPLMCommandOnce(state != 0 ? on : off);
}

}  // namespace

CTogglePanel::CTogglePanel(const std::wstring& devicePath) : CPanel(devicePath) {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::CTogglePanel");
}

void CTogglePanel::OnInitialize() {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::OnInitialize");
    InitLightSystem();
    InitCowl();
    InitMisc();
    InitEngine();
    InitGear();
}

void CTogglePanel::InitLightSystem() {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::InitLightSystem");
    for (uint16_t usage = kPanelLights; usage <= kLandingLights; ++usage) {
        RegisterButton(usage);
    }
}

void CTogglePanel::InitCowl() {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::InitCowl");
    RegisterButton(kCowlFlaps);
}

void CTogglePanel::InitMisc() {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::InitMisc");
    for (uint16_t usage = kMasterBattery; usage <= kPitotHeat; ++usage) {
        RegisterButton(usage);
    }
}

void CTogglePanel::InitEngine() {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::InitEngine");
    for (uint16_t usage = kMagnetosOff; usage <= kStart; ++usage) {
        RegisterButton(usage);
    }
}

void CTogglePanel::InitGear() {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::InitGear");
    RegisterButton(kGearUp);
    RegisterButton(kGearDown);
}

void CTogglePanel::OnButton(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::OnButton");
    ParseLightSystem(usage, state);
    ParseCowl(usage, state);
    ParseMisc(usage, state);
    ParseEngine(usage, state);
    ParseGear(usage, state);
}

void CTogglePanel::ParseLightSystem(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::ParseLightSystem");
    const SimRegistry::Commands& cmd = registry->cmd;
    switch (usage) {
        case kPanelLights:
            SetDataf(registry->ref.cockpit_electrical_instrument_brightness,
                     state != 0 ? 1.0f : 0.0f);
            break;
        case kBeaconLight:
            Switch(state, cmd.lights_beacon_lights_on, cmd.lights_beacon_lights_off);
            break;
        case kNavLights:
            Switch(state, cmd.lights_nav_lights_on, cmd.lights_nav_lights_off);
            break;
        case kStrobeLights:
            Switch(state, cmd.lights_strobe_lights_on, cmd.lights_strobe_lights_off);
            break;
        case kTaxiLight:
            Switch(state, cmd.lights_taxi_lights_on, cmd.lights_taxi_lights_off);
            break;
        case kLandingLights:
            Switch(state, cmd.lights_landing_lights_on, cmd.lights_landing_lights_off);
            break;
        default:
            break;
    }
}

void CTogglePanel::ParseCowl(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::ParseCowl");
    if (usage == kCowlFlaps) {
        cowlSwitch = state;
    }
}

void CTogglePanel::ParseMisc(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::ParseMisc");
    const SimRegistry::Commands& cmd = registry->cmd;
    const SimRegistry::DataRefs& ref = registry->ref;
    const bool on = state != 0;
    switch (usage) {
        case kMasterBattery:
            Switch(state, cmd.electrical_battery_1_on, cmd.electrical_battery_1_off);
            Switch(state, cmd.electrical_battery_2_on, cmd.electrical_battery_2_off);
            break;
        case kMasterAlternator:
            ForEachUnit(ref.aircraft_electrical_num_generators,
                        on ? cmd.electrical_generator_on : cmd.electrical_generator_off,
                        &CommandOnce);
            break;
        case kAvionicsMaster:
            Switch(state, cmd.systems_avionics_on, cmd.systems_avionics_off);
            break;
        case kFuelPump:
            ForEachUnit(ref.aircraft_engine_acf_num_engines,
                        on ? cmd.fuel_fuel_pump_on : cmd.fuel_fuel_pump_off, &CommandOnce);
            break;
        case kDeIce: {
            const int value = on ? 1 : 0;
            SetDatai(ref.cockpit_switches_anti_ice_AOA_heat, value);
            SetDatai(ref.cockpit_switches_anti_ice_AOA_heat2, value);
            SetDataviAll(ref.cockpit_switches_anti_ice_prop_heat_per_engine, value);
            SetDatai(ref.cockpit_switches_anti_ice_window_heat, value);
            SetDatai(ref.cockpit_switches_anti_ice_surf_heat, value);
            SetDatai(ref.cockpit_switches_anti_ice_surf_boot, value);
            break;
        }
        case kPitotHeat:
            Switch(state, cmd.ice_pitot_heat_on, cmd.ice_pitot_heat_off);
            Switch(state, cmd.ice_pitot_heat0_on, cmd.ice_pitot_heat0_off);
            Switch(state, cmd.ice_pitot_heat1_on, cmd.ice_pitot_heat1_off);
            break;
        default:
            break;
    }
}

void CTogglePanel::ParseEngine(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::ParseEngine");
    const SimRegistry::Commands& cmd = registry->cmd;
    const SimDataRef& engines = registry->ref.aircraft_engine_acf_num_engines;
    if (usage == kStart) {
        // The starters turn while the knob is held in START.
        ForEachUnit(engines, cmd.starters_engage_starter, state != 0 ? &CommandBegin : &CommandEnd);
        return;
    }
    if (state == 0) {
        return;
    }
    switch (usage) {
        case kMagnetosOff:
            ForEachUnit(engines, cmd.magnetos_magnetos_off, &CommandOnce);
            break;
        case kMagnetosRight:
            ForEachUnit(engines, cmd.magnetos_magnetos_right, &CommandOnce);
            break;
        case kMagnetosLeft:
            ForEachUnit(engines, cmd.magnetos_magnetos_left, &CommandOnce);
            break;
        case kMagnetosBoth:
            ForEachUnit(engines, cmd.magnetos_magnetos_both, &CommandOnce);
            break;
        default:
            break;
    }
}

void CTogglePanel::ParseGear(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::ParseGear");
    if (state == 0) {
        return;
    }
    if (usage == kGearUp) {
        XPLMCommandOnce(registry->cmd.flight_controls_landing_gear_up);
    } else if (usage == kGearDown) {
        XPLMCommandOnce(registry->cmd.flight_controls_landing_gear_down);
    }
}

void CTogglePanel::OnNotify() {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::OnNotify");
    XPLMCommandOnce(cowlSwitch != 0 ? registry->cmd.flight_controls_cowl_flaps_closed
                                    : registry->cmd.flight_controls_cowl_flaps_open);
    Report report{};
    FillLedReport(report.data());
    if (report != lastReport) {
        // Stored before the send, so a failed send is not repeated until the lamps change.
        lastReport = report;
        SendReport(report.data(), kReportLength);
    }
}

void CTogglePanel::FillLedReport(uint8_t* report) {
    CTraceScope scope(kKeyword, "XPL::CTogglePanel::FillLedReport");
    float ratios[3] = {0.0f, 0.0f, 0.0f};
    GetDatavf(registry->ref.flightmodel2_gear_deploy_ratio, ratios, 0, 3);
    for (size_t i = 0; i < 3; ++i) {
        if (ratios[i] > kGearDownRatio) {
            report[1] |= kGreenBits[i];
        } else if (ratios[i] >= kGearMovingRatio) {
            report[1] |= kRedBits[i];
        }
    }
}

}  // namespace XPL
