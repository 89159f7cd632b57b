// The switches-and-gear panel: thirteen toggle switches, a five-position magneto and starter
// rotary and a landing-gear lever in; six gear lamps (green and red for each of three legs) out.
//
// Maintained switches act on both edges, so the simulator follows the switch positions; since
// every button starts off, the first report brings the simulator in line with the switches that
// are on. The per-engine and per-generator commands go to units 1 to the aircraft's count, read
// when the switch moves; a count above eight sends the eight commands there are. The cowl-flap
// command is repeated every frame from the cowl switch's last state. The 2-byte lamp report is
// rebuilt from the gear deployment every frame and sent only when it differs from the last one
// handed to the device.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "panels/panel.h"
#include "xplm/xplm.h"

namespace XPL {

class CTogglePanel : public CPanel {
public:
    // Usages of the Button page, as the panel reports them.
    enum Usage : uint16_t {
        kMasterBattery = 1,
        kMasterAlternator = 2,
        kAvionicsMaster = 3,
        kFuelPump = 4,
        kDeIce = 5,
        kPitotHeat = 6,
        kCowlFlaps = 7,
        kPanelLights = 8,
        kBeaconLight = 9,
        kNavLights = 10,
        kStrobeLights = 11,
        kTaxiLight = 12,
        kLandingLights = 13,
        kMagnetosOff = 14,
        kMagnetosRight = 15,
        kMagnetosLeft = 16,
        kMagnetosBoth = 17,
        kStart = 18,
        kGearUp = 19,
        kGearDown = 20,
    };

    static constexpr uint32_t kReportLength = 2;
    // Lamp bits of report byte 1, per element of the gear deployment ratios.
    static constexpr uint8_t kGreenBits[3] = {0x02, 0x01, 0x04};
    static constexpr uint8_t kRedBits[3] = {0x10, 0x08, 0x20};
    // A leg above kGearDownRatio is down (green); one at kGearMovingRatio or more, in transit
    // (red); below, up (dark).
    static constexpr float kGearDownRatio = 0.99f;
    static constexpr float kGearMovingRatio = 0.01f;

    using Report = std::array<uint8_t, kReportLength>;

    explicit CTogglePanel(const std::wstring& devicePath);

    // Sets the lamp bits of report (2 bytes; byte 0, the report id, is left alone) from the first
    // three gear deployment ratios; elements the dataref lacks count as 0 (dark).
    void FillLedReport(uint8_t* report);

    const Report& GetLastReport() const { return lastReport; }
    uint32_t GetCowlSwitch() const { return cowlSwitch; }

protected:
    void OnInitialize() override;
    void OnNotify() override;
    void OnButton(uint16_t usage, uint32_t state) override;

private:
    void InitLightSystem();
    void InitCowl();
    void InitMisc();
    void InitEngine();
    void InitGear();

    // Each acts on its own usages and ignores the others.
    void ParseLightSystem(uint16_t usage, uint32_t state);
    void ParseCowl(uint16_t usage, uint32_t state);
    void ParseMisc(uint16_t usage, uint32_t state);
    void ParseEngine(uint16_t usage, uint32_t state);
    void ParseGear(uint16_t usage, uint32_t state);

    Report lastReport{};
    uint32_t cowlSwitch = 1;
};

}  // namespace XPL
