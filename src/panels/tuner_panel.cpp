#include "panels/tuner_panel.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "platform/clock.h"
#include "sim/aircraft_profiles.h"
#include "sim/sim_registry.h"
#include "sim/utility.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kTuner;

// Display formats of UTILITY::ConvertIntValueToString.
constexpr uint32_t kFormatAdf = 2;        // five digits, the first two dark
constexpr uint32_t kFormatXpdr = 4;       // five digits, the first dark
constexpr uint32_t kFormatFrequency = 6;  // hundredths with two decimals
constexpr uint32_t kFormatDistance = 7;   // tenths with one decimal, six characters

// Upper half at report byte 1, lower half at byte 11; each half is two displays.
constexpr uint32_t kUpperCells = 1;
constexpr uint32_t kLowerCells = 1 + 2 * CTunerPanel::kDisplayCells;

constexpr int32_t kAdfMax = 999;

const wchar_t* const kSelectorMessages[2][CTunerPanel::kModeCount] = {
    {L"Lower COM1 on", L"Lower COM2 on", L"Lower NAV1 on", L"Lower NAV2 on", L"Lower ADF on",
     L"Lower DME on", L"Lower XPDR on"},
    {L"Upper COM1 on", L"Upper COM2 on", L"Upper NAV1 on", L"Upper NAV2 on", L"Upper ADF on",
     L"Upper DME on", L"Upper XPDR on"},
};

// The knob usages 17 to 24 in order, with their messages.
const wchar_t* const kRotaryMessages[8] = {
    L"Upper fine up", L"Upper fine down", L"Upper coarse up", L"Upper coarse down",
    L"Lower fine up", L"Lower fine down", L"Lower coarse up", L"Lower coarse down",
};

// The four knob actions, in the column order of the command tables.
enum Step { kFineUp = 0, kFineDown = 1, kCoarseUp = 2, kCoarseDown = 3 };

using CommandMember = XPLMCommandRef SimRegistry::Commands::*;
using Cmd = SimRegistry::Commands;

// Standby tuning of COM1, COM2, NAV1, NAV2 (modes 0 to 3).
constexpr CommandMember kRadioSteps[4][4] = {
    {&Cmd::radios_stby_com1_fine_up, &Cmd::radios_stby_com1_fine_down,
     &Cmd::radios_stby_com1_coarse_up, &Cmd::radios_stby_com1_coarse_down},
    {&Cmd::radios_stby_com2_fine_up, &Cmd::radios_stby_com2_fine_down,
     &Cmd::radios_stby_com2_coarse_up, &Cmd::radios_stby_com2_coarse_down},
    {&Cmd::radios_stby_nav1_fine_up, &Cmd::radios_stby_nav1_fine_down,
     &Cmd::radios_stby_nav1_coarse_up, &Cmd::radios_stby_nav1_coarse_down},
    {&Cmd::radios_stby_nav2_fine_up, &Cmd::radios_stby_nav2_fine_down,
     &Cmd::radios_stby_nav2_coarse_up, &Cmd::radios_stby_nav2_coarse_down},
};

// Transponder digits: [xpdrHighDigits][step].
constexpr CommandMember kXpdrSteps[2][4] = {
    {&Cmd::transponder_transponder_ones_up, &Cmd::transponder_transponder_ones_down,
     &Cmd::transponder_transponder_tens_up, &Cmd::transponder_transponder_tens_down},
    {&Cmd::transponder_transponder_hundreds_up, &Cmd::transponder_transponder_hundreds_down,
     &Cmd::transponder_transponder_thousands_up, &Cmd::transponder_transponder_thousands_down},
};

// Active/standby flips of COM1, COM2, NAV1, NAV2, ADF (modes 0 to 4).
constexpr CommandMember kFlips[5] = {
    &Cmd::radios_com1_standy_flip, &Cmd::radios_com2_standy_flip, &Cmd::radios_nav1_standy_flip,
    &Cmd::radios_nav2_standy_flip, &Cmd::radios_adf1_standy_flip,
};

// The ADF standby frequency after one knob step. Fine steps wrap end to end (999 + 1 is 0);
// coarse steps that leave the range are brought back by 999, not 1000 (995 + 10 is 6, 5 - 10 is
// 994), as the radio's own knob does.
int32_t NextAdfFrequency(int32_t value, Step step) {
    const int64_t v = value;
    int64_t next = v;
    switch (step) {
        case kFineUp:
            next = v + 1 > kAdfMax ? 0 : v + 1;
            break;
        case kFineDown:
            next = v - 1 < 0 ? kAdfMax : v - 1;
            break;
        case kCoarseUp:
            next = v + 10 > kAdfMax ? v + 10 - kAdfMax : v + 10;
            break;
        case kCoarseDown:
            next = v - 10 < 0 ? v - 10 + kAdfMax : v - 10;
            break;
    }
    // Only a dataref already far outside the range can leave int32 here.
    if (next > std::numeric_limits<int32_t>::max() || next < std::numeric_limits<int32_t>::min()) {
        return 0;
    }
    return static_cast<int32_t>(next);
}

// Tenths of a nautical mile, rounded half up; a distance that is no number or does not fit
// shows as 0. The product stays in single precision so that a distance the simulator shows as
// 0.45 (0.4499999881f) rounds to 5 tenths, as the pilot reads it, not to 4.
int32_t DistanceTenths(float distance) {
    const double tenths = std::floor(static_cast<double>(distance * 10.0f) + 0.5);
    if (!(tenths >= std::numeric_limits<int32_t>::min() &&
          tenths <= std::numeric_limits<int32_t>::max())) {
        return 0;
    }
    return static_cast<int32_t>(tenths);
}

}  // namespace

bool CTunerPanel::RotaryFilter::Verdict(uint16_t usage, uint32_t state, uint32_t now) {
    if (state == 0) {
        return true;
    }
    // Reversal: a turn the other way right after a detent is the ring bouncing back.
    if (reverseTick == kNoTick) {
        reverseTick = now;
        reverseUsage = usage;
    }
    if (usage != reverseUsage && now - reverseTick < kReverseMs) {
        reverseTick = kNoTick;
        reverseUsage = usage;
        return false;
    }
    reverseTick = now;
    reverseUsage = usage;

    // Repeat: of detents in one direction that come too fast, every second one is dropped.
    if (repeatUsage == kNoUsage) {
        repeatUsage = usage;
    }
    if (repeatTick == kNoTick) {
        repeatTick = now;
        repeatUsage = usage;
        return true;
    }
    if (usage == repeatUsage && now - repeatTick < kRepeatMs) {
        repeatTick = kNoTick;
        return false;
    }
    repeatTick = now;
    repeatUsage = usage;
    return true;
}

CTunerPanel::CTunerPanel(const std::wstring& path) : CPanel(path) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::CTunerPanel");
    lastReport[0] = 0;
    std::memset(lastReport + 1, kCellBlank, kReportLength - 1);
}

CTunerPanel::~CTunerPanel() {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::~CTunerPanel");
}

void CTunerPanel::OnInitialize() {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::OnInitialize");
    InitRadioModeSelector();
    InitFrequencyAdjustRotary();
    InitActiveStandbySwitch();
}

void CTunerPanel::OnUninitialize() {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::OnUninitialize");
    rotaryFilters.clear();
    rotaryFilters.shrink_to_fit();
}

void CTunerPanel::InitRadioModeSelector() {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::InitRadioModeSelector");
    for (uint16_t usage = kUpperSelectorFirst; usage < kLowerSelectorFirst + kModeCount; ++usage) {
        RegisterButton(usage);
    }
}

void CTunerPanel::InitFrequencyAdjustRotary() {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::InitFrequencyAdjustRotary");
    for (uint16_t usage = kUpperFineUp; usage <= kLowerCoarseDown; ++usage) {
        RegisterButton(usage);
    }
    rotaryFilters.clear();
    for (uint16_t up : {kUpperFineUp, kUpperCoarseUp, kLowerFineUp, kLowerCoarseUp}) {
        RotaryFilter filter;
        filter.usageUp = up;
        filter.usageDown = static_cast<uint16_t>(up + 1);
        rotaryFilters.push_back(filter);
    }
}

void CTunerPanel::InitActiveStandbySwitch() {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::InitActiveStandbySwitch");
    RegisterButton(kUpperActiveStandby);
    RegisterButton(kLowerActiveStandby);
}

void CTunerPanel::OnButton(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::OnButton");
    // The turning speed counts every detent, also those the filter drops.
    knobSteps = 1;
    if (state == 1 && usage >= kUpperFineUp && usage <= kLowerCoarseDown) {
        const uint32_t ring = usage - kUpperFineUp;
        knobSteps = acceleration.Steps(ring / 2, ring % 2 == 0, PLATFORM::GetTickCount());
    }
    if (!IsDataValid(usage, state)) {
        return;
    }
    ParseRadioModeSelector(usage, state);
    ParseFrequencyAdjustRotary(usage, state);
    ParseActiveStandbySwitch(usage, state);
}

void CTunerPanel::OnAircraftProfile(const CAircraftProfiles& profiles) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::OnAircraftProfile");
    acceleration.Configure(profiles.Knobs(KnobPanel::Tuner));
}

uint32_t CTunerPanel::IsDataValid(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::IsDataValid");
    for (RotaryFilter& filter : rotaryFilters) {
        if (filter.usageUp == usage || filter.usageDown == usage) {
            return filter.Verdict(usage, state, PLATFORM::GetTickCount()) ? 1 : 0;
        }
    }
    return 1;
}

void CTunerPanel::ParseRadioModeSelector(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::ParseRadioModeSelector");
    if (state != 1 || usage < kUpperSelectorFirst || usage >= kLowerSelectorFirst + kModeCount) {
        return;
    }
    const bool upper = usage < kLowerSelectorFirst;
    const uint32_t mode = usage - (upper ? kUpperSelectorFirst : kLowerSelectorFirst);
    TraceWrite(kTraceDetail, kKeyword, kTraceMessage, kSelectorMessages[upper ? 1 : 0][mode]);
    (upper ? upperMode : lowerMode) = mode;
}

void CTunerPanel::ParseFrequencyAdjustRotary(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::ParseFrequencyAdjustRotary");
    if (state != 1 || usage < kUpperFineUp || usage > kLowerCoarseDown) {
        return;
    }
    TraceWrite(kTraceDetail, kKeyword, kTraceMessage, kRotaryMessages[usage - kUpperFineUp]);
    switch (usage) {
        case kUpperFineUp:
            AdjustFrequencyRotaryFineUp(1);
            break;
        case kUpperFineDown:
            AdjustFrequencyRotaryFineDown(1);
            break;
        case kUpperCoarseUp:
            AdjustFrequencyRotaryCoarseUp(1);
            break;
        case kUpperCoarseDown:
            AdjustFrequencyRotaryCoarseDown(1);
            break;
        case kLowerFineUp:
            AdjustFrequencyRotaryFineUp(0);
            break;
        case kLowerFineDown:
            AdjustFrequencyRotaryFineDown(0);
            break;
        case kLowerCoarseUp:
            AdjustFrequencyRotaryCoarseUp(0);
            break;
        default:
            AdjustFrequencyRotaryCoarseDown(0);
            break;
    }
}

void CTunerPanel::ParseActiveStandbySwitch(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::ParseActiveStandbySwitch");
    if (state != 1) {
        return;
    }
    if (usage == kUpperActiveStandby) {
        TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"Flip the upper ACT/STBY");
        FlipActiveStandby(1);
    } else if (usage == kLowerActiveStandby) {
        TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"Flip the lower ACT/STBY");
        FlipActiveStandby(0);
    }
}

void CTunerPanel::FlipActiveStandby(uint32_t upper) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::FlipActiveStandby");
    const uint32_t mode = upper != 0 ? upperMode : lowerMode;
    if (mode <= kModeAdf) {
        XPLMCommandOnce(registry->cmd.*kFlips[mode]);
    } else if (mode == kModeXpdr) {
        // One digit pair for both halves: either half's switch moves both knobs.
        xpdrHighDigits = xpdrHighDigits != 0 ? 0 : 1;
    }
}

bool CTunerPanel::CountDetent(std::array<uint8_t, kModeCount>& counters, uint32_t mode) {
    if (mode >= kModeCount) {
        return false;
    }
    // One detent per action: the counter fires and restarts at its first count.
    if (++counters[mode] == 1) {
        counters[mode] = 0;
        return true;
    }
    return false;
}

namespace {

// Runs a knob step count times in a half's mode.
void RunSteps(SimRegistry& registry, uint32_t mode, uint32_t xpdrHighDigits, Step step,
              uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        if (mode <= CTunerPanel::kModeNav2) {
            XPLMCommandOnce(registry.cmd.*kRadioSteps[mode][step]);
        } else if (mode == CTunerPanel::kModeAdf) {
            const SimDataRef& standby = registry.ref.cockpit_radios_adf1_stdby_freq_hz;
            SetDatai(standby, NextAdfFrequency(GetDatai(standby), step));
        } else if (mode == CTunerPanel::kModeXpdr) {
            XPLMCommandOnce(registry.cmd.*kXpdrSteps[xpdrHighDigits != 0 ? 1 : 0][step]);
        }
        // DME: the knobs have nothing to tune.
    }
}

}  // namespace

void CTunerPanel::AdjustFrequencyRotaryFineUp(uint32_t upper) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::AdjustFrequencyRotaryFineUp");
    const uint32_t mode = upper != 0 ? upperMode : lowerMode;
    if (CountDetent(fineUpDetents, mode)) {
        RunSteps(*registry, mode, xpdrHighDigits, kFineUp, knobSteps);
    }
}

void CTunerPanel::AdjustFrequencyRotaryFineDown(uint32_t upper) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::AdjustFrequencyRotaryFineDown");
    const uint32_t mode = upper != 0 ? upperMode : lowerMode;
    if (CountDetent(fineDownDetents, mode)) {
        RunSteps(*registry, mode, xpdrHighDigits, kFineDown, knobSteps);
    }
}

void CTunerPanel::AdjustFrequencyRotaryCoarseUp(uint32_t upper) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::AdjustFrequencyRotaryCoarseUp");
    const uint32_t mode = upper != 0 ? upperMode : lowerMode;
    if (CountDetent(coarseUpDetents, mode)) {
        RunSteps(*registry, mode, xpdrHighDigits, kCoarseUp, knobSteps);
    }
}

void CTunerPanel::AdjustFrequencyRotaryCoarseDown(uint32_t upper) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::AdjustFrequencyRotaryCoarseDown");
    const uint32_t mode = upper != 0 ? upperMode : lowerMode;
    if (CountDetent(coarseDownDetents, mode)) {
        RunSteps(*registry, mode, xpdrHighDigits, kCoarseDown, knobSteps);
    }
}

void CTunerPanel::FillReport(int32_t value, uint8_t* cells, uint32_t format) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::FillReport");
    // Short enough for the string's inline buffer: no allocation on the frame.
    const std::string text = UTILITY::ConvertIntValueToString(value, format);
    const size_t n = text.size();
    uint32_t cell = 0;
    for (size_t i = 0; i < n && cell < kDisplayCells; ++i) {
        const char c = text[i];
        if (c == '-') {
            cells[cell++] = kCellMinus;
        } else if (c == '.') {
            if (i >= 2 && i + 1 < n && cell > 0) {
                cells[cell - 1] |= kCellPoint;
            }
        } else if (c >= '0' && c <= '9') {
            cells[cell++] = static_cast<uint8_t>(c - '0');
        } else {
            ++cell;  // padding or a dark digit: the cell stays blank
        }
    }
}

void CTunerPanel::ShowValue(DisplayCells& display, int32_t value, uint32_t format, uint8_t* cells) {
    if (!display.filled || display.value != value || display.format != format) {
        std::memset(display.cells, kCellBlank, kDisplayCells);
        FillReport(value, display.cells, format);
        display.filled = true;
        display.value = value;
        display.format = format;
    }
    std::memcpy(cells, display.cells, kDisplayCells);
}

void CTunerPanel::FillFrequencyReport(uint32_t mode, uint8_t* cells, DisplayCells* displays) {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::FillFrequencyReport");
    const SimRegistry::DataRefs& ref = registry->ref;
    DisplayCells& left = displays[0];
    DisplayCells& right = displays[1];
    uint8_t* leftCells = cells;
    uint8_t* rightCells = cells + kDisplayCells;
    switch (mode) {
        case kModeCom1:
            ShowValue(left, GetDatai(ref.cockpit_radios_com1_freq_hz), kFormatFrequency, leftCells);
            ShowValue(right, GetDatai(ref.cockpit_radios_com1_stdby_freq_hz), kFormatFrequency,
                      rightCells);
            break;
        case kModeCom2:
            ShowValue(left, GetDatai(ref.cockpit_radios_com2_freq_hz), kFormatFrequency, leftCells);
            ShowValue(right, GetDatai(ref.cockpit_radios_com2_stdby_freq_hz), kFormatFrequency,
                      rightCells);
            break;
        case kModeNav1:
            ShowValue(left, GetDatai(ref.cockpit_radios_nav1_freq_hz), kFormatFrequency, leftCells);
            ShowValue(right, GetDatai(ref.cockpit_radios_nav1_stdby_freq_hz), kFormatFrequency,
                      rightCells);
            break;
        case kModeNav2:
            ShowValue(left, GetDatai(ref.cockpit_radios_nav2_freq_hz), kFormatFrequency, leftCells);
            ShowValue(right, GetDatai(ref.cockpit_radios_nav2_stdby_freq_hz), kFormatFrequency,
                      rightCells);
            break;
        case kModeAdf:
            ShowValue(left, GetDatai(ref.cockpit_radios_adf1_freq_hz), kFormatAdf, leftCells);
            ShowValue(right, GetDatai(ref.cockpit_radios_adf1_stdby_freq_hz), kFormatAdf,
                      rightCells);
            break;
        case kModeDme:
            // Both halves show the NAV1 receiver's distance.
            ShowValue(left,
                      DistanceTenths(GetDataf(ref.cockpit2_radios_indicators_nav1_dme_distance_nm)),
                      kFormatDistance, leftCells);
            ShowValue(right, GetDatai(ref.cockpit_radios_dme_freq_hz), kFormatFrequency,
                      rightCells);
            break;
        case kModeXpdr:
            ShowValue(right, GetDatai(ref.cockpit_radios_transponder_code), kFormatXpdr,
                      rightCells);
            break;
        default:
            break;
    }
}

void CTunerPanel::OnNotify() {
    CTraceScope scope(kKeyword, "XPL::CTunerPanel::OnNotify");
    uint8_t report[kReportLength];
    report[0] = 0;
    std::memset(report + 1, kCellBlank, kReportLength - 1);
    FillFrequencyReport(upperMode, report + kUpperCells, displays.data());
    FillFrequencyReport(lowerMode, report + kLowerCells, displays.data() + 2);
    if (std::memcmp(report, lastReport, kReportLength) == 0) {
        return;
    }
    // Copied before the send: a failed send is retried only once the content changes.
    std::memcpy(lastReport, report, kReportLength);
    SendReport(report, kReportLength);
}

}  // namespace XPL
