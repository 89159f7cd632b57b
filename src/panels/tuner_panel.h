// The dual radio panel: two identical halves, each with a seven-position mode selector, a dual
// rotary knob (coarse and fine ring), an ACT/STBY push switch and two five-cell displays (active
// left, standby right). The knobs tune the standby frequency of the selected radio or set the
// transponder code; ACT/STBY swaps active and standby. The 24-byte output report is rebuilt from
// datarefs every frame and sent only when it changed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "panels/knob_acceleration.h"
#include "panels/panel.h"

namespace XPL {

class CTunerPanel : public CPanel {
public:
    // Selector positions of a half, in usage order.
    enum Mode : uint32_t {
        kModeCom1 = 0,
        kModeCom2 = 1,
        kModeNav1 = 2,
        kModeNav2 = 3,
        kModeAdf = 4,
        kModeDme = 5,
        kModeXpdr = 6,
    };
    static constexpr uint32_t kModeCount = 7;

    // Button-page usages.
    static constexpr uint16_t kUpperSelectorFirst = 1;  // 1..7: upper COM1 .. XPDR
    static constexpr uint16_t kLowerSelectorFirst = 8;  // 8..14: lower COM1 .. XPDR
    static constexpr uint16_t kUpperActiveStandby = 15;
    static constexpr uint16_t kLowerActiveStandby = 16;
    static constexpr uint16_t kUpperFineUp = 17;
    static constexpr uint16_t kUpperFineDown = 18;
    static constexpr uint16_t kUpperCoarseUp = 19;
    static constexpr uint16_t kUpperCoarseDown = 20;
    static constexpr uint16_t kLowerFineUp = 21;
    static constexpr uint16_t kLowerFineDown = 22;
    static constexpr uint16_t kLowerCoarseUp = 23;
    static constexpr uint16_t kLowerCoarseDown = 24;

    // Output report: id, four displays of five cells, three bytes never written.
    static constexpr uint32_t kReportLength = 24;
    static constexpr uint32_t kDisplayCells = 5;
    // Cell codes.
    static constexpr uint8_t kCellBlank = 0xFF;
    static constexpr uint8_t kCellMinus = 0xE0;
    static constexpr uint8_t kCellPoint = 0xD0;  // ORed onto the digit before the point

    // One knob ring's detent filter: drops a detent that reverses direction less than 150 ms
    // after the last one, and every second one of detents in one direction less than 200 ms
    // apart. Times are tick counts compared by unsigned 32-bit difference, so the tick count's
    // wrap-around is harmless; 0xFFFFFFFF stands for "no detent yet".
    struct RotaryFilter {
        static constexpr uint32_t kNoTick = 0xFFFFFFFF;
        static constexpr uint16_t kNoUsage = 0xFFFF;
        static constexpr uint32_t kReverseMs = 150;
        static constexpr uint32_t kRepeatMs = 200;

        uint32_t repeatTick = kNoTick;  // last accepted detent, for the repeat test
        uint16_t repeatUsage = kNoUsage;
        uint32_t reverseTick = kNoTick;  // last detent, for the reversal test
        uint16_t reverseUsage = kNoUsage;
        uint16_t usageUp = 0;
        uint16_t usageDown = 0;

        // True to act on the change (usage, state) seen at tick count now; an off edge always
        // passes and leaves the record as it was.
        bool Verdict(uint16_t usage, uint32_t state, uint32_t now);
    };

    explicit CTunerPanel(const std::wstring& devicePath);
    ~CTunerPanel() override;

    // The verdict of the first filter whose ring has this usage; true when none has it.
    uint32_t IsDataValid(uint16_t usage, uint32_t state);

    // upper: 1 acts on the upper half, 0 on the lower; each acts on the half's current mode.
    void FlipActiveStandby(uint32_t upper);
    void AdjustFrequencyRotaryFineUp(uint32_t upper);
    void AdjustFrequencyRotaryFineDown(uint32_t upper);
    void AdjustFrequencyRotaryCoarseUp(uint32_t upper);
    void AdjustFrequencyRotaryCoarseDown(uint32_t upper);

    // Writes one display of kDisplayCells cells from value converted with
    // UTILITY::ConvertIntValueToString(value, format). Cells the text does not reach keep what
    // they held; a point sets kCellPoint on the cell before it when it is not the text's first
    // two or last character; a text longer than the display loses its tail.
    void FillReport(int32_t value, uint8_t* cells, uint32_t format);

    uint32_t GetUpperMode() const { return upperMode; }
    uint32_t GetLowerMode() const { return lowerMode; }
    // 1 while the knobs set the thousands and hundreds of the transponder, 0 for tens and ones.
    uint32_t GetXpdrHighDigits() const { return xpdrHighDigits; }

protected:
    // Registers usages 1 to 24 and creates the four ring filters.
    void OnInitialize() override;
    // Frees the ring filters.
    void OnUninitialize() override;
    // Rebuilds the report from datarefs and sends it when it differs from the last one sent. A
    // display's text is formatted only when the value it shows changed.
    void OnNotify() override;
    // Filters knob detents, then hands the change to the selector, knob and switch parsers.
    void OnButton(uint16_t usage, uint32_t state) override;
    // Takes the tuner's knob settings (acceleration).
    void OnAircraftProfile(const CAircraftProfiles& profiles) override;

private:
    void InitRadioModeSelector();
    void InitFrequencyAdjustRotary();
    void InitActiveStandbySwitch();
    void ParseRadioModeSelector(uint16_t usage, uint32_t state);
    void ParseFrequencyAdjustRotary(uint16_t usage, uint32_t state);
    void ParseActiveStandbySwitch(uint16_t usage, uint32_t state);
    // One display's cells as last formatted, and the value and format they show.
    struct DisplayCells {
        bool filled = false;
        int32_t value = 0;
        uint32_t format = 0;
        uint8_t cells[kDisplayCells] = {};
    };

    // Fills the two displays of a half (cells: its first of ten cells; displays: its left and
    // right display) by the half's mode.
    void FillFrequencyReport(uint32_t mode, uint8_t* cells, DisplayCells* displays);
    // Copies the cells of value in format into cells, formatting them with FillReport only when
    // display last showed another value or format.
    void ShowValue(DisplayCells& display, int32_t value, uint32_t format, uint8_t* cells);
    // Counts a detent of the half's mode; true when the action is due.
    static bool CountDetent(std::array<uint8_t, kModeCount>& counters, uint32_t mode);
    // Steps the ADF standby frequency by delta within 0..999 (see the wrap rules in the source).
    void StepAdfStandby(int32_t delta);

    uint8_t lastReport[kReportLength];
    uint32_t upperMode = kModeCom1;
    uint32_t lowerMode = kModeCom1;
    uint32_t xpdrHighDigits = 0;  // shared by both halves
    std::array<uint8_t, kModeCount> fineUpDetents{};
    std::array<uint8_t, kModeCount> fineDownDetents{};
    std::array<uint8_t, kModeCount> coarseUpDetents{};
    std::array<uint8_t, kModeCount> coarseDownDetents{};
    std::vector<RotaryFilter> rotaryFilters;  // upper fine, upper coarse, lower fine, lower coarse
    std::array<DisplayCells, 4> displays;     // upper left, upper right, lower left, lower right
    CKnobAcceleration acceleration;  // knobs: upper fine, upper coarse, lower fine, lower coarse
    uint32_t knobSteps = 1;          // of the detent being handled
};

}  // namespace XPL
