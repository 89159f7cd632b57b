#include "panels/lamp_panel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwctype>
#include <vector>

#include "platform/xml.h"
#include "sim/aircraft_profiles.h"
#include "sim/aircraft_settings.h"
#include "sim/sim_registry.h"
#include "sim/utility.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kLamp;
constexpr uint8_t kBrightnessReport[2] = {0xB2, 0x64};
constexpr float kGearDownRatio = 0.99f;
constexpr float kGearMovingRatio = 0.01f;
constexpr float kFuelLowLevel = 0.1f;
constexpr float kPoundsToKilograms = 0.453592f;
// The simulator has at most 9 tanks; a larger count from a broken aircraft is cut here, so the
// frame needs no heap.
constexpr int kMaxTanks = 32;
constexpr int kMaxEngines = 4;

// Text read as a decimal integer: leading blanks and a sign allowed, reading stops at the first
// non-digit, no digits give 0. Values beyond 32 bits saturate (and are then out of range).
int32_t ReadDecimal(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - L'0'), int64_t{INT32_MAX} + 1);
    }
    value = negative ? -value : value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

// Places in kTileNames.
enum CLampPanel::TileIndex : size_t {
    kEngineFire,
    kEngine1Fire,
    kEngine2Fire,
    kEngine3Fire,
    kEngine4Fire,
    kLeftEngineFire,
    kRightEngineFire,
    kLowPressure,
    kOilPressure,
    kEngine1OilPressure,
    kEngine2OilPressure,
    kEngine3OilPressure,
    kEngine4OilPressure,
    kEngineOilTemp,
    kEngine1OilTemp,
    kEngine2OilTemp,
    kEngine3OilTemp,
    kEngine4OilTemp,
    kRotorLowRpm,
    kNav,
    kNav1,
    kNav2,
    kCom1,
    kCom2,
    kBoth,
    kDme,
    kAdf,
    kMkr,
    kGps,
    kAutoPilot,
    kApMaster,
    kGearUp,
    kGearDown,
    kDown,
    kUp,
    kGearUnsafe,
    kMasterCaution,
    kMasterWarning,
    kBeaconLight,
    kLandingLights,
    kParkingBrakes,
    kPitotHeat,
    kStallWarning,
    kDoorWarning,
    kVacLow,
    kStrobeLight,
    kFuelLow,
    kLeftFuelLow,
    kRightFuelLow,
    kCentreFuelLow,
    kFuelCrossFeed,
    kTileCount,
};

CLampPanel::CLampPanel(const std::wstring& devicePath) : CPanel(devicePath) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::CLampPanel");
}

CLampPanel::~CLampPanel() {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::~CLampPanel");
}

void CLampPanel::OnInitialize() {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::OnInitialize");
    InitTiles();
    SendReport(kBrightnessReport, sizeof(kBrightnessReport));
}

void CLampPanel::OnUninitialize() {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::OnUninitialize");
    tileByIndex.fill(nullptr);
    tiles.clear();
    fileOtherProgramming.clear();
    profileTiles.clear();
    conditions.reset();
}

bool CLampPanel::InitTiles() {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::InitTiles");
    static_assert(kTileCount == kTileNames.size());
    fileOtherProgramming.clear();
    for (const wchar_t* name : kTileNames) {
        AddTile(name);
    }
    for (size_t i = 0; i < kTileNames.size(); ++i) {
        tileByIndex[i] = tiles.find(std::wstring_view(kTileNames[i]))->second.get();
    }
    const bool updated = UpdateTilesFromXML();
    if (!updated) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in updating the tiles according to the XML");
    }
    for (size_t i = 0; i < kTileNames.size(); ++i) {
        fileProgramming[i] = *tileByIndex[i];
    }
    return updated;
}

void CLampPanel::AddTile(const std::wstring& name) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::AddTile");
    auto tile = std::make_unique<Tile>();
    tile->name = name;
    tiles[name] = std::move(tile);
}

bool CLampPanel::UpdateTilesFromXML() {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::UpdateTilesFromXML");
    PLATFORM::CXmlDocument document;
    const std::wstring path = UTILITY::GetProfileFolder() + L"\\" + kProgrammingFileName;
    if (!UTILITY::LoadXmlFile(document, path, kKeyword)) {
        return false;
    }

    serialNumber = GetSerialNumberString();
    const std::wstring& serial = serialNumber;
    const std::wstring xpath = LenseXPathFor(serial);
    std::vector<PLATFORM::CXmlNode> lenses;
    const PLATFORM::XmlStatus selected = document.SelectNodes(xpath, lenses);
    if (!selected) {
        // Only a serial number no attribute can hold gets here: nothing is for this panel.
        TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"The XML parser reports: %s",
                   selected.message);
    }
    // Users program a panel by its serial number: the detail level tells them which one it has.
    TraceWrite(kTraceDetail, kKeyword, kTraceMessage,
               L"The lamp panel's serial number is \"%s\"; %u Lense elements are for it", serial,
               static_cast<uint32_t>(lenses.size()));

    for (const PLATFORM::CXmlNode& lense : lenses) {
        const LenseReading reading = ReadLense(
            lense, [](LenseFault fault, const PLATFORM::CXmlNode&, const std::wstring& text) {
                if (fault == LenseFault::InvalidColour) {
                    TraceWrite(kTraceFailure, kKeyword, kTraceMessage, L"It's an invalid color %s",
                               text);
                } else if (fault == LenseFault::InvalidLens) {
                    TraceWrite(kTraceFailure, kKeyword, kTraceMessage, L"It's an invalid lens %s",
                               text);
                } else {
                    TraceWrite(kTraceFailure, kKeyword, kTraceMessage, L"It's an invalid tag %s",
                               text);
                }
            });
        const auto found = tiles.find(reading.name);
        if (found == tiles.end()) {
            if (reading.name.empty()) {
                continue;
            }
            // Kept for an aircraft profile's condition of that name.
            fileOtherProgramming.insert_or_assign(reading.name, Tile{reading.name});
        }
        Program(found != tiles.end() ? *found->second : fileOtherProgramming[reading.name],
                reading);
    }
    return true;
}

void CLampPanel::Program(Tile& tile, const LenseReading& reading) {
    // A lens needs both a colour and a place: a half binding leaves the tile inert, so it cannot
    // darken a lens that another tile lights either.
    const bool complete = reading.colour != kUnprogrammed && reading.lens != -1;
    tile.colour = complete ? reading.colour : kUnprogrammed;
    tile.lens = complete ? reading.lens : -1;
}

std::wstring CLampPanel::LenseXPathFor(std::wstring_view serial) {
    // The serial number goes into the expression as a literal, so no text in it can change what
    // the expression selects.
    return std::wstring(kProgrammingXPath) + L"[@Id=" + PLATFORM::XPathStringLiteral(serial) +
           L"]/" + kLenseXPath;
}

CLampPanel::Report CLampPanel::LightByHand(const Programming& programmed,
                                           const std::function<bool(std::wstring_view)>& lit,
                                           int32_t engines, bool helicopter) {
    Report report{kReportId, 0, 0, 0, 0, 0, 0};
    uint32_t warning = 0;
    uint32_t caution = 0;
    const uint8_t engineBit = engines == 1   ? kOneEngine
                              : engines == 2 ? kTwoEngines
                              : engines == 4 ? kFourEngines
                                             : 0;
    const auto set = [&](std::wstring_view name, bool on) {
        if (const auto found = programmed.find(name); found != programmed.end()) {
            SetLens(found->second, on, report, warning, caution);
        }
    };
    for (const TileWrite& write : kWriteOrder) {
        const std::wstring_view name = write.name;
        if (name == L"MasterCaution" || name == L"MasterWarning") {
            continue;
        }
        const bool written =
            (write.engines == kAnyEngineCount || (write.engines & engineBit) != 0) &&
            (name != L"RotorLowRpm" || helicopter);
        if (written) {
            set(name, lit(name));
        }
    }
    // Conditions of aircraft profiles come after the built-in ones.
    for (const auto& [name, tile] : programmed) {
        if (std::find(kTileNames.begin(), kTileNames.end(), name) == kTileNames.end()) {
            SetLens(tile, lit(name), report, warning, caution);
        }
    }
    // The master step, as the frame's: a master lens programmed red or amber raises a flag too.
    set(L"MasterCaution", caution != 0);
    set(L"MasterWarning", warning != 0);
    return report;
}

CLampPanel::LenseReading CLampPanel::ReadLense(const PLATFORM::CXmlNode& lense,
                                               const LenseFaultFn& onFault) {
    LenseReading reading;
    for (const PLATFORM::CXmlNode& child : lense.Children()) {
        const std::wstring tag = child.Name();
        if (tag == L"Id") {
            reading.hasId = true;
            reading.name = child.Text();
        } else if (tag == L"Colour") {
            reading.hasColour = true;
            const std::wstring text = child.Text();
            const auto named = std::find_if(kColourNames.begin(), kColourNames.end(),
                                            [&](const wchar_t* name) { return text == name; });
            if (named != kColourNames.end()) {
                reading.colour = static_cast<uint32_t>(named - kColourNames.begin()) + kGreen;
            } else {
                onFault(LenseFault::InvalidColour, child, text);
            }
        } else if (tag == L"Assignment") {
            reading.hasAssignment = true;
            const std::wstring text = child.Text();
            const int32_t value = ReadDecimal(text);
            if (value == -1 || (value >= 0 && value < kLensCount)) {
                reading.lens = value;
            } else {
                // The report has no bit for it.
                onFault(LenseFault::InvalidLens, child, text);
            }
        } else {
            onFault(LenseFault::InvalidTag, child, tag);
        }
    }
    return reading;
}

const CLampPanel::Tile* CLampPanel::FindTile(std::wstring_view name) const {
    return const_cast<CLampPanel*>(this)->FindMutableTile(name);
}

CLampPanel::Tile* CLampPanel::FindMutableTile(std::wstring_view name) {
    if (const auto found = tiles.find(name); found != tiles.end()) {
        return found->second.get();
    }
    for (ProfileTile& profileTile : profileTiles) {
        if (profileTile.tile.name == name) {
            return &profileTile.tile;
        }
    }
    return nullptr;
}

void CLampPanel::OnAircraftProfile(const CAircraftProfiles& profiles) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::OnAircraftProfile");
    if (tileByIndex[0] == nullptr) {
        return;  // not initialised
    }
    for (size_t i = 0; i < kTileNames.size(); ++i) {
        *tileByIndex[i] = fileProgramming[i];
    }
    profileTiles.clear();
    conditions = profiles.Conditions();
    const CAircraftProfile* profile = profiles.Profile();
    if (profile == nullptr) {
        return;
    }
    for (const CLampCondition& condition : *conditions) {
        if (tiles.find(condition.name) != tiles.end()) {
            profile->Report(kKeyword, condition.line,
                            L"the condition " + condition.name +
                                L" has the name of a built-in one: it is ignored");
            continue;
        }
        // Programmed as the file says, when it names the condition.
        const auto programmed = fileOtherProgramming.find(condition.name);
        profileTiles.push_back(
            {programmed != fileOtherProgramming.end() ? programmed->second : Tile{condition.name},
             &condition});
    }

    // The profile's lens programming: for every lamp panel, or for this one by serial number.
    std::vector<PLATFORM::CXmlNode> programmings;
    profile->Document().SelectNodes(kProgrammingXPath, programmings);
    std::vector<const Tile*> programmed;  // by the profile
    for (const PLATFORM::CXmlNode& programming : programmings) {
        const std::optional<std::wstring> id = programming.GetAttribute(L"Id");
        if (id && *id != serialNumber) {
            continue;
        }
        std::vector<PLATFORM::CXmlNode> lenses;
        programming.SelectNodes(kLenseXPath, lenses);
        for (const PLATFORM::CXmlNode& lense : lenses) {
            const uint32_t line = profile->LineOf(lense);
            const LenseReading reading = ReadLense(
                lense, [&](LenseFault fault, const PLATFORM::CXmlNode&, const std::wstring& text) {
                    profile->Report(kKeyword, line,
                                    fault == LenseFault::InvalidColour
                                        ? L"the colour " + text +
                                              L" is not Green, Red or Amber: the Lense is ignored"
                                    : fault == LenseFault::InvalidLens
                                        ? L"the lens " + text +
                                              L" is not 0 to 23 (-1 for none): the Lense is "
                                              L"ignored"
                                        : L"a Lense holds Id, Colour and Assignment, not " + text);
                });
            Tile* tile = FindMutableTile(reading.name);
            if (tile == nullptr) {
                profile->Report(kKeyword, line,
                                L"the condition " + reading.name +
                                    L" is neither a built-in one nor one of the profile: the "
                                    L"Lense is ignored");
                continue;
            }
            // Assignment -1 takes the condition off every lens.
            const bool off = reading.hasAssignment && reading.lens == -1;
            if (!off && (reading.colour == kUnprogrammed || reading.lens == -1)) {
                continue;  // a part missing or reported above
            }
            if (!off) {
                // The lens shows what the profile says: the file's tile on it leaves it.
                const auto leave = [&](Tile& other) {
                    if (other.lens == reading.lens &&
                        std::find(programmed.begin(), programmed.end(), &other) ==
                            programmed.end()) {
                        other = Tile{other.name};
                    }
                };
                for (size_t i = 0; i < kTileNames.size(); ++i) {
                    leave(*tileByIndex[i]);
                }
                for (ProfileTile& other : profileTiles) {
                    leave(other.tile);
                }
            }
            tile->colour = off ? kUnprogrammed : reading.colour;
            tile->lens = off ? -1 : reading.lens;
            programmed.push_back(tile);
        }
    }
}

void CLampPanel::FillLenseReportForProfile(Report& report) {
    for (const ProfileTile& profileTile : profileTiles) {
        FillLenseReport(profileTile.tile, profileTile.condition->Holds(), report);
    }
}

void CLampPanel::OnNotify() {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::OnNotify");
    Report report{kReportId, 0, 0, 0, 0, 0, 0};
    FillLenseReportForGear(report);
    FillLenseReportForEngineFire(report);
    FillLenseReportForEnginOilPressure(report);
    FillLenseReportForEnginOilTemp(report);
    FillLenseReportForFuelLow(report);
    FillLenseReportForFuelPressure(report);
    FillLenseReportForFuelCrossFeed(report);
    FillLenseReportForDownUp(report);
    FillLenseReportForBeaconLightOn(report);
    FillLenseReportForLandingLightOn(report);
    FillLenseReportForParkingBrake(report);
    FillLenseReportForPitotHeatOff(report);
    FillLenseReportForRotorLowRPM(report);
    FillLenseReportForStallWarning(report);
    FillLenseReportForDoorWarning(report);
    FillLenseReportForLowVacuum(report);
    FillLenseReportForAutopilot(report);
    FillLenseReportForStrobeLightOn(report);
    FillLenseReportForAudio(report);
    FillLenseReportForHsiSrcSel(report);
    FillLenseReportForProfile(report);
    FillLenseReportForMaster(report);
    if (reportSent && report == lastReport) {
        return;
    }
    // Stored before the send: a failed send is not repeated until the lenses change.
    lastReport = report;
    reportSent = true;
    SendReport(report.data(), kReportLength);
}

void CLampPanel::FillLenseReport(const Tile& tile, bool on, Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReport");
    SetLens(tile, on, report, warningLit, cautionLit);
}

void CLampPanel::SetLens(const Tile& tile, bool on, Report& report, uint32_t& warning,
                         uint32_t& caution) {
    if (tile.lens < 0 || tile.lens >= kLensCount) {
        return;
    }
    const size_t byte = static_cast<size_t>(tile.lens / 8);
    const uint8_t bit = static_cast<uint8_t>(1u << (tile.lens % 8));
    uint8_t& green = report[1 + byte];
    uint8_t& red = report[4 + byte];
    if (!on) {
        green &= static_cast<uint8_t>(~bit);
        red &= static_cast<uint8_t>(~bit);
        return;
    }
    switch (tile.colour) {
        case kGreen:
            green |= bit;
            red &= static_cast<uint8_t>(~bit);
            break;
        case kRed:
            green &= static_cast<uint8_t>(~bit);
            red |= bit;
            warning = 1;
            break;
        case kAmber:
            green |= bit;
            red |= bit;
            caution = 1;
            break;
        default:
            break;
    }
}

void CLampPanel::Fill(TileIndex index, bool on, Report& report) {
    if (const Tile* tile = tileByIndex[index]) {
        FillLenseReport(*tile, on, report);
    }
}

void CLampPanel::FillPerEngine(const bool* flags, int32_t engines, TileIndex summary,
                               TileIndex engine1, Report& report) {
    // The summary tile shows any engine; the numbered tiles follow it in the tile order, one per
    // engine the aircraft has (engines is 1, 2 or 4).
    bool any = false;
    for (int32_t i = 0; i < engines; ++i) {
        any = any || flags[i];
    }
    Fill(summary, any, report);
    for (int32_t i = 0; i < engines; ++i) {
        Fill(static_cast<TileIndex>(engine1 + static_cast<size_t>(i)), flags[i], report);
    }
}

int32_t CLampPanel::EngineCount() const {
    const int32_t count = GetDatai(registry->ref.aircraft_engine_acf_num_engines);
    return (count == 1 || count == 2 || count == 4) ? count : 0;
}

void CLampPanel::FillLenseReportForGear(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForGear");
    float ratio = 0.0f;
    GetDatavf(registry->ref.flightmodel2_gear_deploy_ratio, &ratio, 0, 1);
    const bool down = ratio > kGearDownRatio;
    const bool moving = !down && ratio >= kGearMovingRatio;
    const bool up = !down && !moving;
    Fill(kGearUp, up, report);
    Fill(kGearDown, down, report);
    Fill(kGearUnsafe, moving, report);
}

void CLampPanel::FillLenseReportForEngineFire(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForEngineFire");
    const int32_t engines = EngineCount();
    if (engines == 0) {
        return;
    }
    int fires[kMaxEngines] = {};
    GetDatavi(registry->ref.cockpit_warnings_annunciators_engine_fires, fires, 0, engines);
    if (engines == 1) {
        Fill(kEngineFire, fires[0] != 0, report);
    } else if (engines == 2) {
        Fill(kLeftEngineFire, fires[0] != 0, report);
        Fill(kRightEngineFire, fires[1] != 0, report);
    } else {
        Fill(kEngine1Fire, fires[0] != 0, report);
        Fill(kEngine2Fire, fires[1] != 0, report);
        Fill(kEngine3Fire, fires[2] != 0, report);
        Fill(kEngine4Fire, fires[3] != 0, report);
    }
}

void CLampPanel::FillLenseReportForEnginOilPressure(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForEnginOilPressure");
    const int32_t engines = EngineCount();
    if (engines == 0) {
        return;
    }
    float pressures[kMaxEngines] = {};
    GetDatavf(registry->ref.cockpit2_engine_indicators_oil_pressure_psi, pressures, 0, engines);
    const float greenLow = aircraftSettings->oilPressureGreenLow;
    bool low[kMaxEngines] = {};
    for (int32_t i = 0; i < engines; ++i) {
        low[i] = greenLow > pressures[i];
    }
    FillPerEngine(low, engines, kOilPressure, kEngine1OilPressure, report);
}

void CLampPanel::FillLenseReportForEnginOilTemp(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForEnginOilTemp");
    const int32_t engines = EngineCount();
    if (engines == 0) {
        return;
    }
    float temperatures[kMaxEngines] = {};
    GetDatavf(registry->ref.cockpit2_engine_indicators_oil_temperature_deg_C, temperatures, 0,
              engines);
    const float maximum = GetDataf(registry->ref.aircraft_engine_acf_max_OILT);
    bool hot[kMaxEngines] = {};
    for (int32_t i = 0; i < engines; ++i) {
        hot[i] = temperatures[i] > maximum;
    }
    FillPerEngine(hot, engines, kEngineOilTemp, kEngine1OilTemp, report);
}

void CLampPanel::FillLenseReportForFuelLow(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForFuelLow");
    Fill(kFuelLow, GetDatai(registry->ref.cockpit_warnings_annunciators_fuel_quantity) != 0,
         report);

    const int tanks = std::min(GetDatai(registry->ref.aircraft_overflow_acf_num_tanks), kMaxTanks);
    if (tanks <= 0) {
        return;
    }
    const float capacity = GetDataf(registry->ref.aircraft_weight_acf_m_fuel_tot);
    float ratios[kMaxTanks] = {};
    float masses[kMaxTanks] = {};
    GetDatavf(registry->ref.aircraft_overflow_acf_tank_rat, ratios, 0, tanks);
    GetDatavf(registry->ref.flightmodel_weight_m_fuel, masses, 0, tanks);
    for (int i = 0; i < tanks; ++i) {
        // Single precision throughout; a tank with no share gives no finite level (inf or NaN,
        // -inf for a negative mass), which is never low.
        const float share = capacity * kPoundsToKilograms * ratios[i];
        const float level = masses[i] / share;
        const bool low = std::isfinite(level) && level < kFuelLowLevel;
        const TileIndex tile =
            i == 0 ? kLeftFuelLow : (i == tanks - 1 ? kRightFuelLow : kCentreFuelLow);
        Fill(tile, low, report);
    }
}

void CLampPanel::FillLenseReportForFuelPressure(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForFuelPressure");
    int low = 0;
    GetDatavi(registry->ref.cockpit_warnings_annunciators_fuel_pressure_low, &low, 0, 1);
    Fill(kLowPressure, low != 0, report);
}

void CLampPanel::FillLenseReportForFuelCrossFeed(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForFuelCrossFeed");
    Fill(kFuelCrossFeed, GetDatai(registry->ref.cockpit_warnings_annunciators_crossfeed_on) != 0,
         report);
}

void CLampPanel::FillLenseReportForDownUp(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForDownUp");
    float ratio = 0.0f;
    GetDatavf(registry->ref.flightmodel2_gear_deploy_ratio, &ratio, 0, 1);
    Fill(kUp, ratio < kGearMovingRatio, report);
    Fill(kDown, ratio > kGearDownRatio, report);
}

void CLampPanel::FillLenseReportForBeaconLightOn(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForBeaconLightOn");
    Fill(kBeaconLight, GetDatai(registry->ref.cockpit_electrical_beacon_lights_on) != 0, report);
}

void CLampPanel::FillLenseReportForLandingLightOn(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForLandingLightOn");
    Fill(kLandingLights, GetDatai(registry->ref.cockpit_electrical_landing_lights_on) != 0, report);
}

void CLampPanel::FillLenseReportForParkingBrake(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForParkingBrake");
    const float ratio = GetDataf(registry->ref.flightmodel_controls_parkbrake);
    Fill(kParkingBrakes, ratio >= 0.5f && ratio <= 1.0f, report);
}

void CLampPanel::FillLenseReportForPitotHeatOff(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForPitotHeatOff");
    Fill(kPitotHeat, GetDatai(registry->ref.cockpit2_ice_ice_pitot_heat_on_pilot) != 0, report);
}

void CLampPanel::FillLenseReportForRotorLowRPM(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForRotorLowRPM");
    if (aircraftSettings->isHelicopter != 1) {
        return;
    }
    const int32_t engines = EngineCount();
    if (engines == 0) {
        return;
    }
    float speeds[kMaxEngines] = {};
    GetDatavf(registry->ref.cockpit2_engine_indicators_engine_speed_rpm, speeds, 0, engines);
    bool anySlow = false;
    for (int32_t i = 0; i < engines; ++i) {
        anySlow = anySlow || aircraftSettings->rpmGreenLow > speeds[i];
    }
    Fill(kRotorLowRpm, anySlow, report);
}

void CLampPanel::FillLenseReportForStallWarning(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForStallWarning");
    Fill(kStallWarning, GetDatai(registry->ref.flightmodel_failures_stallwarning) != 0, report);
}

void CLampPanel::FillLenseReportForDoorWarning(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForDoorWarning");
    Fill(kDoorWarning, GetDatai(registry->ref.cockpit_warnings_annunciators_cabin_door_open) != 0,
         report);
}

void CLampPanel::FillLenseReportForLowVacuum(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForLowVacuum");
    Fill(kVacLow, GetDatai(registry->ref.cockpit_warnings_annunciators_low_vacuum) != 0, report);
}

void CLampPanel::FillLenseReportForAutopilot(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForAutopilot");
    const bool on = GetDatai(registry->ref.cockpit2_autopilot_autopilot_on) != 0;
    Fill(kAutoPilot, on, report);
    Fill(kApMaster, on, report);
}

void CLampPanel::FillLenseReportForStrobeLightOn(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForStrobeLightOn");
    Fill(kStrobeLight, GetDatai(registry->ref.cockpit_electrical_strobe_lights_on) != 0, report);
}

void CLampPanel::FillLenseReportForAudio(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForAudio");
    const SimRegistry::DataRefs& ref = registry->ref;
    const bool com1 = GetDatai(ref.cockpit2_radios_actuators_audio_selection_com1) != 0;
    const bool com2 = GetDatai(ref.cockpit2_radios_actuators_audio_selection_com2) != 0;
    Fill(kNav1, GetDatai(ref.cockpit2_radios_actuators_audio_selection_nav1) != 0, report);
    Fill(kNav2, GetDatai(ref.cockpit2_radios_actuators_audio_selection_nav2) != 0, report);
    Fill(kCom1, com1, report);
    Fill(kCom2, com2, report);
    Fill(kBoth, com1 && com2, report);
    Fill(kAdf,
         GetDatai(ref.cockpit2_radios_actuators_audio_selection_adf1) != 0 ||
             GetDatai(ref.cockpit2_radios_actuators_audio_selection_adf2) != 0,
         report);
    Fill(kDme, GetDatai(ref.cockpit2_radios_actuators_audio_dme_enabled) != 0, report);
    Fill(kMkr, GetDatai(ref.cockpit2_radios_actuators_audio_marker_enabled) != 0, report);
}

void CLampPanel::FillLenseReportForHsiSrcSel(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForHsiSrcSel");
    const bool gps = GetDatai(registry->ref.cockpit2_radios_actuators_HSI_source_select_pilot) == 2;
    Fill(kGps, gps, report);
    Fill(kNav, !gps, report);
}

void CLampPanel::FillLenseReportForMaster(Report& report) {
    CTraceScope scope(kKeyword, "XPL::CLampPanel::FillLenseReportForMaster");
    Fill(kMasterCaution, cautionLit != 0, report);
    Fill(kMasterWarning, warningLit != 0, report);
    // Lighting a master lens raises its flag again; clearing here keeps it from latching.
    cautionLit = 0;
    warningLit = 0;
}

}  // namespace XPL
