// The lamp panel: 24 backlit lenses, each lit green, red or amber (both) or dark; no inputs.
// Which aircraft condition a lens shows, and in which colour, the user programs per physical
// panel in "LampProgramming.xml" in the profile folder: the file binds some of the 51 named
// conditions (tiles) to a lens and a colour. The file is read once, when the panel is
// initialised. Every frame each tile's condition is evaluated in a fixed order into a fresh
// lens report, which is sent only when it differs from the last one handed to the device; the
// first frame sends it whatever it holds, even with every lens dark, because the panel keeps
// its lenses while it stays powered: those a previous run left lit (the simulator restarted, the
// panel still plugged in) go dark.
//
// The file, as read:
//   <Lamp>                                       at any depth
//     <LampProgramming Id="SERIAL">              this panel's HID serial number, exactly
//       <Lense>                                  one binding; a later one for a tile wins
//         <Id>GearDown</Id>                      a tile name (case-sensitive)
//         <Colour>Green</Colour>                 "Green", "Red" or "Amber" (case-sensitive)
//         <Assignment>5</Assignment>             lens 0 to 23; -1 for none
// Any other child of a Lense is reported and skipped. A binding without a valid colour or a
// lens 0 to 23 leaves its tile unprogrammed: it never touches any lens.
//
// An aircraft profile may add conditions of its own (tiles written after the built-in ones,
// before the master step, so a lit red or amber one lights MasterWarning or MasterCaution), which
// the file may program too (its bindings of names that are no built-in tile wait for a profile's
// condition of that name), and lens programming in the same elements (a LampProgramming without
// Id is for every lamp panel).
// A lens the profile programs shows what the profile says; the file's tile on that lens leaves
// it, and the file's programming of every other lens stays.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "panels/panel.h"
#include "platform/xml.h"
#include "sim/lamp_condition.h"

namespace XPL {

class CLampPanel : public CPanel {
public:
    static constexpr uint32_t kReportLength = 7;
    static constexpr uint8_t kReportId = 0xB8;
    static constexpr int32_t kLensCount = 24;
    static constexpr const wchar_t* kProgrammingFileName = L"LampProgramming.xml";

    enum Colour : uint32_t { kUnprogrammed = 0, kGreen = 1, kRed = 2, kAmber = 3 };

    struct Tile {
        std::wstring name;
        uint32_t colour = kUnprogrammed;
        int32_t lens = -1;  // 0 to 23, or -1 for none
    };

    // The tiles in the order InitTiles creates them.
    static constexpr std::array<const wchar_t*, 51> kTileNames = {L"EngineFire",
                                                                  L"Engine1Fire",
                                                                  L"Engine2Fire",
                                                                  L"Engine3Fire",
                                                                  L"Engine4Fire",
                                                                  L"LeftEngineFire",
                                                                  L"RightEngineFire",
                                                                  L"LowPressure",
                                                                  L"OilPressure",
                                                                  L"Engine1OilPressure",
                                                                  L"Engine2OilPressure",
                                                                  L"Engine3OilPressure",
                                                                  L"Engine4OilPressure",
                                                                  L"EngineOilTemp",
                                                                  L"Engine1OilTemp",
                                                                  L"Engine2OilTemp",
                                                                  L"Engine3OilTemp",
                                                                  L"Engine4OilTemp",
                                                                  L"RotorLowRpm",
                                                                  L"NAV",
                                                                  L"NAV1",
                                                                  L"NAV2",
                                                                  L"COM1",
                                                                  L"COM2",
                                                                  L"Both",
                                                                  L"DME",
                                                                  L"ADF",
                                                                  L"MKR",
                                                                  L"GPS",
                                                                  L"AutoPilot",
                                                                  L"APMaster",
                                                                  L"GearUp",
                                                                  L"GearDown",
                                                                  L"Down",
                                                                  L"Up",
                                                                  L"GearUnsafe",
                                                                  L"MasterCaution",
                                                                  L"MasterWarning",
                                                                  L"BeaconLight",
                                                                  L"LandingLights",
                                                                  L"ParkingBrakes",
                                                                  L"PitotHeat",
                                                                  L"StallWarning",
                                                                  L"DoorWarning",
                                                                  L"VacLow",
                                                                  L"StrobeLight",
                                                                  L"FuelLow",
                                                                  L"LeftFuelLow",
                                                                  L"RightFuelLow",
                                                                  L"CentreFuelLow",
                                                                  L"FuelCrossFeed"};

    // The colour words of the file, in the order of the Colour values from kGreen.
    static constexpr std::array<const wchar_t*, 3> kColourNames = {L"Green", L"Red", L"Amber"};
    // Every programming of the file, and each one's Lense elements (relative to it).
    static constexpr const wchar_t* kProgrammingXPath = L"//Lamp/LampProgramming";
    static constexpr const wchar_t* kLenseXPath = L"Lense";

    // The tiles in the order a frame writes them: of tiles sharing a lens, the one written later
    // decides it, lit or dark. Some are written only for aircraft with a given engine count
    // (engines: the counts, as bits; kAnyEngineCount: every aircraft).
    static constexpr uint8_t kAnyEngineCount = 0;
    static constexpr uint8_t kOneEngine = 1;
    static constexpr uint8_t kTwoEngines = 2;
    static constexpr uint8_t kFourEngines = 4;
    struct TileWrite {
        const wchar_t* name;
        uint8_t engines;
    };
    static constexpr uint8_t kEngineCounts = kOneEngine | kTwoEngines | kFourEngines;
    static constexpr std::array<TileWrite, 51> kWriteOrder = {{
        {L"GearUp", kAnyEngineCount},
        {L"GearDown", kAnyEngineCount},
        {L"GearUnsafe", kAnyEngineCount},
        {L"EngineFire", kOneEngine},
        {L"LeftEngineFire", kTwoEngines},
        {L"RightEngineFire", kTwoEngines},
        {L"Engine1Fire", kFourEngines},
        {L"Engine2Fire", kFourEngines},
        {L"Engine3Fire", kFourEngines},
        {L"Engine4Fire", kFourEngines},
        {L"OilPressure", kEngineCounts},
        {L"Engine1OilPressure", kEngineCounts},
        {L"Engine2OilPressure", kTwoEngines | kFourEngines},
        {L"Engine3OilPressure", kFourEngines},
        {L"Engine4OilPressure", kFourEngines},
        {L"EngineOilTemp", kEngineCounts},
        {L"Engine1OilTemp", kEngineCounts},
        {L"Engine2OilTemp", kTwoEngines | kFourEngines},
        {L"Engine3OilTemp", kFourEngines},
        {L"Engine4OilTemp", kFourEngines},
        {L"FuelLow", kAnyEngineCount},
        {L"LeftFuelLow", kAnyEngineCount},
        {L"CentreFuelLow", kAnyEngineCount},
        {L"RightFuelLow", kAnyEngineCount},
        {L"LowPressure", kAnyEngineCount},
        {L"FuelCrossFeed", kAnyEngineCount},
        {L"Up", kAnyEngineCount},
        {L"Down", kAnyEngineCount},
        {L"BeaconLight", kAnyEngineCount},
        {L"LandingLights", kAnyEngineCount},
        {L"ParkingBrakes", kAnyEngineCount},
        {L"PitotHeat", kAnyEngineCount},
        {L"RotorLowRpm", kEngineCounts},
        {L"StallWarning", kAnyEngineCount},
        {L"DoorWarning", kAnyEngineCount},
        {L"VacLow", kAnyEngineCount},
        {L"AutoPilot", kAnyEngineCount},
        {L"APMaster", kAnyEngineCount},
        {L"StrobeLight", kAnyEngineCount},
        {L"NAV1", kAnyEngineCount},
        {L"NAV2", kAnyEngineCount},
        {L"COM1", kAnyEngineCount},
        {L"COM2", kAnyEngineCount},
        {L"Both", kAnyEngineCount},
        {L"ADF", kAnyEngineCount},
        {L"DME", kAnyEngineCount},
        {L"MKR", kAnyEngineCount},
        {L"GPS", kAnyEngineCount},
        {L"NAV", kAnyEngineCount},
        {L"MasterCaution", kAnyEngineCount},
        {L"MasterWarning", kAnyEngineCount},
    }};

    // One Lense element as the panel reads it: the tile it names, its colour and lens (kept only
    // when valid), and which of its three parts it has. What is wrong with a part is told to the
    // fault callback with the child and its text (for a child of another name: its node name).
    enum class LenseFault : uint8_t { InvalidColour, InvalidLens, InvalidTag };
    using LenseFaultFn = std::function<void(LenseFault fault, const PLATFORM::CXmlNode& child,
                                            const std::wstring& text)>;
    struct LenseReading {
        std::wstring name;
        uint32_t colour = kUnprogrammed;
        int32_t lens = -1;
        bool hasId = false;
        bool hasColour = false;
        bool hasAssignment = false;
    };
    static LenseReading ReadLense(const PLATFORM::CXmlNode& lense, const LenseFaultFn& onFault);
    // Programs tile as a Lense read so says: a binding needs both a colour and a lens, else the
    // tile is left inert (unprogrammed, no lens), so it cannot darken a lens another tile lights.
    static void Program(Tile& tile, const LenseReading& reading);
    // The expression that selects the Lense elements for a panel of that serial number.
    static std::wstring LenseXPathFor(std::wstring_view serial);

    using Report = std::array<uint8_t, kReportLength>;
    using Programming = std::map<std::wstring, Tile, std::less<>>;

    // The lens report of a frame in which exactly the conditions lit(name) says hold, for an
    // aircraft with that engine count, with the tiles programmed so (tiles missing from it are
    // unprogrammed): every tile the frame writes for such an aircraft, in kWriteOrder, then the
    // aircraft profiles' conditions programmed (by name), then the master step. For trying a
    // programming without an aircraft.
    static Report LightByHand(const Programming& programmed,
                              const std::function<bool(std::wstring_view)>& lit, int32_t engines,
                              bool helicopter);

    explicit CLampPanel(const std::wstring& devicePath);
    ~CLampPanel() override;

    // Creates the 51 tiles unprogrammed, then applies the programming file. False, with
    // "Failed in updating the tiles according to the XML", when the file could not be applied.
    bool InitTiles();
    // Adds an unprogrammed tile of that name.
    void AddTile(const std::wstring& name);
    // Reads the programming file and programs the tiles that this panel's part of it names.
    // True when the file loaded, whether or not anything in it is for this panel.
    bool UpdateTilesFromXML();

    // Sets (on) or clears (off) the tile's lens in report as its colour says; a tile without a
    // lens changes nothing, and so does an unprogrammed tile that is on. Lighting a red lens
    // raises warningLit, an amber one cautionLit.
    void FillLenseReport(const Tile& tile, bool on, Report& report);

    // The tile of that name (a built-in one or a profile's condition), or null.
    const Tile* FindTile(std::wstring_view name) const;
    const Report& GetLastReport() const { return lastReport; }

protected:
    void OnInitialize() override;
    void OnUninitialize() override;
    void OnNotify() override;
    // Programs the tiles as the file did, then adds the profile's conditions and applies its
    // lens programming.
    void OnAircraftProfile(const CAircraftProfiles& profiles) override;

private:
    enum TileIndex : size_t;
    // A profile's condition as a tile.
    struct ProfileTile {
        Tile tile;
        const CLampCondition* condition;
    };
    Tile* FindMutableTile(std::wstring_view name);
    void FillLenseReportForProfile(Report& report);

    // The condition groups, in the order the frame evaluates them; the master step is last.
    void FillLenseReportForGear(Report& report);
    void FillLenseReportForEngineFire(Report& report);
    void FillLenseReportForEnginOilPressure(Report& report);
    void FillLenseReportForEnginOilTemp(Report& report);
    void FillLenseReportForFuelLow(Report& report);
    void FillLenseReportForFuelPressure(Report& report);
    void FillLenseReportForFuelCrossFeed(Report& report);
    void FillLenseReportForDownUp(Report& report);
    void FillLenseReportForBeaconLightOn(Report& report);
    void FillLenseReportForLandingLightOn(Report& report);
    void FillLenseReportForParkingBrake(Report& report);
    void FillLenseReportForPitotHeatOff(Report& report);
    void FillLenseReportForRotorLowRPM(Report& report);
    void FillLenseReportForStallWarning(Report& report);
    void FillLenseReportForDoorWarning(Report& report);
    void FillLenseReportForLowVacuum(Report& report);
    void FillLenseReportForAutopilot(Report& report);
    void FillLenseReportForStrobeLightOn(Report& report);
    void FillLenseReportForAudio(Report& report);
    void FillLenseReportForHsiSrcSel(Report& report);
    void FillLenseReportForMaster(Report& report);

    // FillLenseReport's rule, raising warning or caution as a lit red or amber lens does.
    static void SetLens(const Tile& tile, bool on, Report& report, uint32_t& warning,
                        uint32_t& caution);
    // FillLenseReport for a tile by its place in kTileNames (nothing before InitTiles).
    void Fill(TileIndex index, bool on, Report& report);
    // Fills a group's "any engine" tile and its Engine1.. tiles from per-engine flags.
    void FillPerEngine(const bool* flags, int32_t engines, TileIndex summary, TileIndex engine1,
                       Report& report);
    // The engine count when the engine groups act on it (1, 2 or 4), else 0.
    int32_t EngineCount() const;

    Report lastReport{kReportId, 0, 0, 0, 0, 0, 0};
    bool reportSent = false;  // whether lastReport was ever handed to the device
    std::map<std::wstring, std::unique_ptr<Tile>, std::less<>> tiles;
    // The tiles in kTileNames order, looked up once after the tiles are made, so a frame looks
    // nothing up by name.
    std::array<Tile*, kTileNames.size()> tileByIndex{};
    uint32_t warningLit = 0;
    uint32_t cautionLit = 0;
    std::wstring serialNumber;
    // The programming of the file, per tile in kTileNames order, as InitTiles left it, and of
    // the names it gives that are no built-in tile (for profiles' conditions).
    std::array<Tile, kTileNames.size()> fileProgramming{};
    std::map<std::wstring, Tile, std::less<>> fileOtherProgramming;
    // The profile's conditions (kept alive here) and their tiles, in the profile's order.
    std::shared_ptr<const std::vector<CLampCondition>> conditions;
    std::vector<ProfileTile> profileTiles;
};

}  // namespace XPL
