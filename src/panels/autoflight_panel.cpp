#include "panels/autoflight_panel.h"

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "sim/aircraft_profiles.h"
#include "sim/sim_registry.h"
#include "sim/utility.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kAutoflight;
constexpr uint32_t kRightAligned = 1;  // ConvertIntValueToString: "%5d", cut to 5 characters
constexpr size_t kUpperRow = 1;
constexpr size_t kLowerRow = 6;
constexpr size_t kLampByte = 11;
constexpr float kClimbRate = 700.0f;
constexpr uint8_t kDetentsPerCommand = 1;
constexpr int kStatusArmed = 1;
constexpr int kStatusEngaged = 2;
constexpr int kDirectorOff = 0;
constexpr int kDirectorOnly = 1;
constexpr int kDirectorServos = 2;

void Notice(const wchar_t* text) {
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage, text);
}

}  // namespace

CAutoflightPanel::CAutoflightPanel(const std::wstring& path) : CPanel(path) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::CAutoflightPanel");
}

CAutoflightPanel::~CAutoflightPanel() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::~CAutoflightPanel");
}

void CAutoflightPanel::OnInitialize() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::OnInitialize");
    InitAutopilotSettingsSelector();
    InitAutopilotFunctionButton();
    InitAutopilotAdjustWheel();
    InitAutoThrottleSwitch();
    InitFlaps();
    InitPitchTrimWheel();
}

void CAutoflightPanel::InitAutopilotSettingsSelector() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::InitAutopilotSettingsSelector");
    for (uint16_t usage = kSelectorAlt; usage <= kSelectorCrs; ++usage) {
        RegisterButton(usage);
    }
}

void CAutoflightPanel::InitAutopilotFunctionButton() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::InitAutopilotFunctionButton");
    for (uint16_t usage = kButtonAp; usage <= kButtonRev; ++usage) {
        RegisterButton(usage);
    }
}

void CAutoflightPanel::InitAutopilotAdjustWheel() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::InitAutopilotAdjustWheel");
    RegisterButton(kWheelIncrease);
    RegisterButton(kWheelDecrease);
}

void CAutoflightPanel::InitAutoThrottleSwitch() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::InitAutoThrottleSwitch");
    RegisterButton(kAutoThrottle);
}

void CAutoflightPanel::InitFlaps() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::InitFlaps");
    RegisterButton(kFlapsUp);
    RegisterButton(kFlapsDown);
}

void CAutoflightPanel::InitPitchTrimWheel() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::InitPitchTrimWheel");
    RegisterButton(kPitchTrimDown);
    RegisterButton(kPitchTrimUp);
}

void CAutoflightPanel::OnButton(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::OnButton");
    // Every step sees every event and keeps to its own usages.
    ParseAutopilotSettingsSelector(usage, state);
    ParseAutopilotMasterButtons(usage, state);
    ParseAutopilotAdjustWheel(usage, state);
    ParseAutoThrottleSwitch(usage, state);
    ParseFlaps(usage, state);
    ParsePitchTrimWheel(usage, state);
}

void CAutoflightPanel::ParseAutopilotSettingsSelector(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::ParseAutopilotSettingsSelector");
    if (state != 1) {
        return;
    }
    switch (usage) {
        case kSelectorAlt:
            selectorMode = kModeAlt;
            Notice(L"Autopilot selector ALT");
            break;
        case kSelectorVs:
            selectorMode = kModeVs;
            Notice(L"Autopilot selector VS");
            break;
        case kSelectorIas:
            selectorMode = kModeIas;
            Notice(L"Autopilot selector IAS");
            break;
        case kSelectorHdg:
            selectorMode = kModeHdg;
            Notice(L"Autopilot selector HDG");
            break;
        case kSelectorCrs:
            selectorMode = kModeCrs;
            Notice(L"Autopilot selector CRS");
            break;
        default:
            break;
    }
}

void CAutoflightPanel::ParseAutopilotMasterButtons(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::ParseAutopilotMasterButtons");
    if (state != 1) {
        return;
    }
    const SimRegistry::Commands& cmd = registry->cmd;
    switch (usage) {
        case kButtonAp:
            Notice(L"Button AP");
            // Walks the flight director off -> director -> servos -> director -> off, one step
            // per press; from director only, the way the last step went decides the next.
            switch (GetDatai(registry->ref.cockpit2_autopilot_flight_director_mode)) {
                case kDirectorOff:
                    apButtonDirection = kDirectionUp;
                    XPLMCommandOnce(cmd.autopilot_fdir_servos_up_one);
                    break;
                case kDirectorOnly:
                    if (apButtonDirection == 0 || apButtonDirection == kDirectionUp) {
                        XPLMCommandOnce(cmd.autopilot_fdir_servos_up_one);
                    } else if (apButtonDirection == kDirectionDown) {
                        XPLMCommandOnce(cmd.autopilot_fdir_servos_down_one);
                    }
                    break;
                case kDirectorServos:
                    XPLMCommandOnce(cmd.autopilot_fdir_servos_down_one);
                    apButtonDirection = kDirectionDown;
                    break;
                default:
                    break;
            }
            break;
        case kButtonHdg:
            Notice(L"Button HDG");
            XPLMCommandOnce(cmd.autopilot_heading);
            break;
        case kButtonNav:
            Notice(L"Button MAV");
            XPLMCommandOnce(cmd.autopilot_NAV);
            break;
        case kButtonIas:
            Notice(L"Button IAS");
            XPLMCommandOnce(cmd.autopilot_level_change);
            break;
        case kButtonAlt:
            Notice(L"Button ALT");
            XPLMCommandOnce(cmd.autopilot_altitude_arm);
            // The capture is now armed: head for the target altitude.
            if (GetDatai(registry->ref.cockpit2_autopilot_altitude_hold_armed) == 1) {
                ArmVerticalSpeed();
            }
            break;
        case kButtonVs:
            Notice(L"Button VS");
            XPLMCommandOnce(cmd.autopilot_vertical_speed);
            break;
        case kButtonApr:
            Notice(L"Button APR");
            XPLMCommandOnce(cmd.autopilot_approach);
            break;
        case kButtonRev:
            Notice(L"Button REV");
            XPLMCommandOnce(cmd.autopilot_back_course);
            break;
        default:
            break;
    }
}

void CAutoflightPanel::ParseAutopilotAdjustWheel(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::ParseAutopilotAdjustWheel");
    if (state != 1 || (usage != kWheelIncrease && usage != kWheelDecrease)) {
        return;
    }
    const SimRegistry::Commands& cmd = registry->cmd;
    // The command of each selector position, increase and decrease.
    const XPLMCommandRef commands[5][2] = {
        {cmd.autopilot_altitude_up, cmd.autopilot_altitude_down},
        {cmd.autopilot_vertical_speed_up, cmd.autopilot_vertical_speed_down},
        {cmd.autopilot_airspeed_up, cmd.autopilot_airspeed_down},
        {cmd.autopilot_heading_up, cmd.autopilot_heading_down},
        {cmd.radios_obs1_up, cmd.radios_obs1_down},
    };
    const bool increase = usage == kWheelIncrease;
    Notice(increase ? L"Wheel increase" : L"Wheel decrease");
    const uint32_t steps = acceleration.Steps(0, increase, PLATFORM::GetTickCount());
    if (selectorMode > kModeCrs) {
        return;
    }
    // One command per detent, or with acceleration on, several for a detent of a quick turn.
    uint8_t& detents = increase ? increaseDetents[selectorMode] : decreaseDetents[selectorMode];
    if (++detents < kDetentsPerCommand) {
        return;
    }
    detents = 0;
    for (uint32_t i = 0; i < steps; ++i) {
        XPLMCommandOnce(commands[selectorMode][increase ? 0 : 1]);
    }
    if (selectorMode == kModeAlt &&
        GetDatai(registry->ref.cockpit2_autopilot_altitude_hold_status) != 0) {
        // A new target while the hold is active or armed: climb or descend to it and capture.
        ArmVerticalSpeed();
        ArmAltitude();
    }
}

void CAutoflightPanel::OnAircraftProfile(const CAircraftProfiles& profiles) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::OnAircraftProfile");
    acceleration.Configure(profiles.Knobs(KnobPanel::Autoflight));
}

void CAutoflightPanel::ParseAutoThrottleSwitch(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::ParseAutoThrottleSwitch");
    if (usage != kAutoThrottle) {
        return;
    }
    // A maintained switch: both edges, so the simulator follows its position.
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage, L"Auto throttle %d", state);
    XPLMCommandOnce(state != 0 ? registry->cmd.autopilot_autothrottle_on
                               : registry->cmd.autopilot_autothrottle_off);
}

void CAutoflightPanel::ParseFlaps(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::ParseFlaps");
    if (state != 1) {
        return;
    }
    if (usage == kFlapsUp) {
        Notice(L"Flaps up");
        XPLMCommandOnce(registry->cmd.flight_controls_flaps_up);
    } else if (usage == kFlapsDown) {
        Notice(L"Flaps down");
        XPLMCommandOnce(registry->cmd.flight_controls_flaps_down);
    }
}

void CAutoflightPanel::ParsePitchTrimWheel(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::ParsePitchTrimWheel");
    if (state != 1) {
        return;
    }
    if (usage == kPitchTrimDown) {
        Notice(L"Pitch trim down");
        XPLMCommandOnce(registry->cmd.flight_controls_pitch_trim_down);
    } else if (usage == kPitchTrimUp) {
        Notice(L"Pitch trim up");
        XPLMCommandOnce(registry->cmd.flight_controls_pitch_trim_up);
    }
}

void CAutoflightPanel::ArmAltitude() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::ArmAltitude");
    if (GetDatai(registry->ref.cockpit2_autopilot_altitude_hold_armed) == 0) {
        XPLMCommandOnce(registry->cmd.autopilot_altitude_arm);
    }
}

void CAutoflightPanel::ArmVerticalSpeed() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::ArmVerticalSpeed");
    const SimRegistry::DataRefs& ref = registry->ref;
    const float altitude = GetDataf(ref.cockpit2_gauges_indicators_altitude_ft_pilot);
    const float target = GetDataf(ref.cockpit_autopilot_altitude);
    const float verticalSpeed = GetDataf(ref.cockpit_autopilot_vertical_velocity);
    // Only a target that points away from the new altitude (or is 0) is replaced.
    if (altitude > target && verticalSpeed >= 0.0f) {
        SetDataf(ref.cockpit_autopilot_vertical_velocity, -kClimbRate);
    } else if (altitude <= target && verticalSpeed <= 0.0f) {
        SetDataf(ref.cockpit_autopilot_vertical_velocity, kClimbRate);
    }
    if (GetDatai(ref.cockpit2_autopilot_vvi_status) == 0) {
        XPLMCommandOnce(registry->cmd.autopilot_vertical_speed);
    }
}

void CAutoflightPanel::UpdateLedFlashState() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::UpdateLedFlashState");
    ++flashCounter;
    if (flashCounter < kFlashCycle / 2) {
        flashOn = 0;
    } else if (flashCounter == kFlashCycle) {
        flashCounter = 0;  // the cycle's last frame stays lit
    } else {
        flashOn = 1;
    }
}

uint8_t CAutoflightPanel::EncodeCell(char c) {
    if (c == '-') {
        return kCellMinus;
    }
    if (c >= '0' && c <= '9') {
        return static_cast<uint8_t>(c - '0');
    }
    return kCellBlank;
}

void CAutoflightPanel::FillReport(int32_t value, uint8_t* cells) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillReport");
    // At most five characters: the text lives in the string's own buffer, nothing is allocated.
    const std::string text = UTILITY::ConvertIntValueToString(value, kRightAligned);
    for (size_t i = 0; i < text.size() && i < kCells; ++i) {
        cells[i] = EncodeCell(text[i]);
    }
}

void CAutoflightPanel::OnNotify() {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::OnNotify");
    UpdateLedFlashState();
    Report report{};
    FillALTVSReport(report);
    FillIASReport(report);
    FillHDGReport(report);
    FillCRSReport(report);
    FillAPMasterLedReport(report);
    FillHdgLedReport(report);
    FillNavLedReport(report);
    FillIasLedReport(report);
    FillAltLedReport(report);
    FillVsLedReport(report);
    FillAprLedReport(report);
    FillRevLedReport(report);
    if (report == lastReport) {
        return;
    }
    // Copied first: a failed send is not repeated until the content changes.
    lastReport = report;
    SendReport(lastReport.data(), kReportLength);
}

void CAutoflightPanel::FillALTVSReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillALTVSReport");
    if (selectorMode != kModeAlt && selectorMode != kModeVs) {
        return;
    }
    FillReport(UTILITY::TruncateToInt(GetDataf(registry->ref.cockpit_autopilot_altitude)),
               report.data() + kUpperRow);
    FillReport(UTILITY::TruncateToInt(GetDataf(registry->ref.cockpit_autopilot_vertical_velocity)),
               report.data() + kLowerRow);
}

void CAutoflightPanel::FillIASReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillIASReport");
    if (selectorMode == kModeIas) {
        FillReport(UTILITY::TruncateToInt(GetDataf(registry->ref.cockpit_autopilot_airspeed)),
                   report.data() + kUpperRow);
    }
}

void CAutoflightPanel::FillHDGReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillHDGReport");
    if (selectorMode == kModeHdg) {
        FillReport(UTILITY::TruncateToInt(GetDataf(registry->ref.cockpit_autopilot_heading_mag)),
                   report.data() + kUpperRow);
    }
}

void CAutoflightPanel::FillCRSReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillCRSReport");
    if (selectorMode == kModeCrs) {
        FillReport(UTILITY::TruncateToInt(GetDataf(registry->ref.cockpit_radios_nav1_obs_degm)),
                   report.data() + kUpperRow);
    }
}

void CAutoflightPanel::FillLed(Report& report, int status, uint8_t bit) const {
    if (status == kStatusEngaged || (status == kStatusArmed && flashOn == 1)) {
        report[kLampByte] |= bit;
    }
}

void CAutoflightPanel::FillAPMasterLedReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillAPMasterLedReport");
    FillLed(report, GetDatai(registry->ref.cockpit2_autopilot_flight_director_mode), 0x01);
}

void CAutoflightPanel::FillHdgLedReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillHdgLedReport");
    FillLed(report, GetDatai(registry->ref.cockpit2_autopilot_heading_status), 0x02);
}

void CAutoflightPanel::FillNavLedReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillNavLedReport");
    FillLed(report, GetDatai(registry->ref.cockpit2_autopilot_nav_status), 0x04);
}

void CAutoflightPanel::FillIasLedReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillIasLedReport");
    FillLed(report, GetDatai(registry->ref.cockpit2_autopilot_speed_status), 0x08);
}

void CAutoflightPanel::FillAltLedReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillAltLedReport");
    FillLed(report, GetDatai(registry->ref.cockpit2_autopilot_altitude_hold_status), 0x10);
}

void CAutoflightPanel::FillVsLedReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillVsLedReport");
    FillLed(report, GetDatai(registry->ref.cockpit2_autopilot_vvi_status), 0x20);
}

void CAutoflightPanel::FillAprLedReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillAprLedReport");
    FillLed(report, GetDatai(registry->ref.cockpit2_autopilot_approach_status), 0x40);
}

void CAutoflightPanel::FillRevLedReport(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CAutoflightPanel::FillRevLedReport");
    FillLed(report, GetDatai(registry->ref.cockpit2_autopilot_backcourse_status), 0x80);
}

}  // namespace XPL
