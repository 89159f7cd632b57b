// The autopilot panel: a five-position settings selector, eight function buttons, an adjust
// wheel, an auto-throttle switch, a flaps lever and a pitch-trim wheel in; two five-cell digit
// rows and eight button lamps out.
//
// Inputs become simulator commands; the simulator's own commands step every target. Only the ALT
// button and a change of the target altitude write the vertical speed target themselves, to
// start a climb or descent toward the new target. The 13-byte output report is rebuilt from
// datarefs every frame and sent only when it differs from the last one handed to the device.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "panels/knob_acceleration.h"
#include "panels/panel.h"

namespace XPL {

class CAutoflightPanel : public CPanel {
public:
    // Usages of the Button page, as the panel reports them.
    enum Usage : uint16_t {
        kSelectorAlt = 1,
        kSelectorVs = 2,
        kSelectorIas = 3,
        kSelectorHdg = 4,
        kSelectorCrs = 5,
        kWheelIncrease = 6,
        kWheelDecrease = 7,
        kButtonAp = 8,
        kButtonHdg = 9,
        kButtonNav = 10,
        kButtonIas = 11,
        kButtonAlt = 12,
        kButtonVs = 13,
        kButtonApr = 14,
        kButtonRev = 15,
        kAutoThrottle = 16,
        kFlapsUp = 17,
        kFlapsDown = 18,
        kPitchTrimDown = 19,
        kPitchTrimUp = 20,
    };

    // Settings selector positions (selectorMode).
    enum SelectorMode : uint32_t {
        kModeAlt = 0,
        kModeVs = 1,
        kModeIas = 2,
        kModeHdg = 3,
        kModeCrs = 4
    };

    // apButtonDirection: how the AP button last moved the flight director.
    static constexpr int32_t kDirectionUp = 1;
    static constexpr int32_t kDirectionDown = 2;

    static constexpr uint32_t kReportLength = 13;
    static constexpr size_t kCells = 5;
    // Cell codes: 0x00..0x09 the digits, then these two.
    static constexpr uint8_t kCellMinus = 0x0E;
    static constexpr uint8_t kCellBlank = 0xFF;
    // Frames of one lamp flashing cycle.
    static constexpr uint16_t kFlashCycle = 40;

    explicit CAutoflightPanel(const std::wstring& devicePath);
    ~CAutoflightPanel() override;

    // Writes one display row of kCells cells: value right-aligned in five characters, a longer
    // text cut to its first five characters.
    static void FillReport(int32_t value, uint8_t* cells);
    // The cell code of one display character: '-' the minus sign, a digit itself, anything else
    // (padding, a point, a dark digit) a blank cell.
    static uint8_t EncodeCell(char c);

    // Advances the flashing cycle by one frame: 19 frames dark, then 21 lit.
    void UpdateLedFlashState();
    // Arms the altitude capture unless it is armed already.
    void ArmAltitude();
    // Points the vertical speed target toward the target altitude (+/-700 ft/min) unless it
    // already points that way, then engages the vertical speed mode if it is off.
    void ArmVerticalSpeed();

    uint32_t GetSelectorMode() const { return selectorMode; }
    int32_t GetApButtonDirection() const { return apButtonDirection; }
    uint32_t GetFlashOn() const { return flashOn; }
    const std::array<uint8_t, kReportLength>& GetLastReport() const { return lastReport; }

protected:
    void OnInitialize() override;
    void OnNotify() override;
    void OnButton(uint16_t usage, uint32_t state) override;
    // Takes the adjust wheel's settings (acceleration).
    void OnAircraftProfile(const CAircraftProfiles& profiles) override;

private:
    void InitAutopilotSettingsSelector();
    void InitAutopilotFunctionButton();
    void InitAutopilotAdjustWheel();
    void InitAutoThrottleSwitch();
    void InitFlaps();
    void InitPitchTrimWheel();

    void ParseAutopilotSettingsSelector(uint16_t usage, uint32_t state);
    void ParseAutopilotMasterButtons(uint16_t usage, uint32_t state);
    void ParseAutopilotAdjustWheel(uint16_t usage, uint32_t state);
    void ParseAutoThrottleSwitch(uint16_t usage, uint32_t state);
    void ParseFlaps(uint16_t usage, uint32_t state);
    void ParsePitchTrimWheel(uint16_t usage, uint32_t state);

    using Report = std::array<uint8_t, kReportLength>;
    void FillALTVSReport(Report& report);
    void FillIASReport(Report& report);
    void FillHDGReport(Report& report);
    void FillCRSReport(Report& report);
    void FillAPMasterLedReport(Report& report);
    void FillHdgLedReport(Report& report);
    void FillNavLedReport(Report& report);
    void FillIasLedReport(Report& report);
    void FillAltLedReport(Report& report);
    void FillVsLedReport(Report& report);
    void FillAprLedReport(Report& report);
    void FillRevLedReport(Report& report);
    // Sets bit of byte 11 for a status: 2 engaged lights it, 1 armed lights it while flashOn.
    void FillLed(Report& report, int status, uint8_t bit) const;

    Report lastReport{};
    int32_t apButtonDirection = 0;
    uint16_t flashCounter = 0;
    uint32_t flashOn = 0;
    uint32_t selectorMode = kModeAlt;
    std::array<uint8_t, 5> increaseDetents{};
    std::array<uint8_t, 5> decreaseDetents{};
    CKnobAcceleration acceleration;  // the adjust wheel
};

}  // namespace XPL
