#include "studio.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <random>
#include <system_error>
#include <tuple>

#include "check_tool.h"
#include "configuration_check.h"
#include "configuration_document.h"
#include "findings.h"
#include "gauge/windows_path.h"
#include "gauge_preview.h"
#include "hotas/page.h"
#include "lens_check.h"
#include "lens_document.h"
#include "profile_check.h"
#include "profile_document.h"
#include "screen/screen_panel.h"
#include "sim/aircraft_profiles.h"
#include "sim/input_simulation.h"
#include "sim/sim_registry.h"
#include "studio_files.h"
#include "tool_text.h"
#include "vsim/vsim.h"
#include "xml_map.h"

namespace XPL::STUDIO {

namespace {

using json = nlohmann::json;
using TOOLS::Narrow;
using TOOLS::Widen;

constexpr size_t kMaxText = 4096;
constexpr size_t kMaxEntries = 1000;

HttpResponse Json(int status, const json& body) {
    return HttpResponse{status,
                        "application/json; charset=utf-8",
                        body.dump(-1, ' ', false, json::error_handler_t::replace),
                        {}};
}

HttpResponse Refuse(int status, const std::string& message) {
    return Json(status, json{{"error", message}});
}

// Text members of untrusted JSON, read without throwing.
bool GetText(const json& object, const char* name, std::wstring& value, bool& present) {
    present = false;
    if (!object.is_object() || !object.contains(name) || object[name].is_null()) {
        return true;
    }
    const json& member = object[name];
    if (!member.is_string() || member.get_ref<const std::string&>().size() > kMaxText) {
        return false;
    }
    value = Widen(member.get<std::string>());
    present = true;
    return true;
}

bool IsPageName(const std::wstring& name) {
    if (name.empty() || name.size() > 64 || !(std::iswalpha(name[0]) || name[0] == L'_')) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](wchar_t c) {
        return (c < 0x80 && (std::iswalnum(c) || c == L'_' || c == L'-' || c == L'.'));
    });
}

json FindingsJson(const CHECKTOOL::CFindings& findings,
                  const std::function<json(const CHECKTOOL::Finding&)>& where,
                  const std::function<std::string(const std::string&)>& shown) {
    json list = json::array();
    for (const CHECKTOOL::Finding& finding : findings.All()) {
        static constexpr const char* kSeverities[] = {"error", "warning", "note"};
        json item{{"severity", kSeverities[static_cast<size_t>(finding.severity)]},
                  {"file", shown(finding.file)},
                  {"line", finding.line},
                  {"text", Narrow(finding.text)}};
        const json place = where(finding);
        if (!place.is_null()) {
            item["where"] = place;
        }
        list.push_back(std::move(item));
    }
    return list;
}

// The element a finding's line concerns: the deepest one whose start tag stands on it, else the
// deepest one the line lies in.
size_t ElementOnLine(const CXmlText& text, uint32_t line) {
    size_t tag = CXmlText::kNone;
    size_t inside = CXmlText::kNone;
    for (size_t i = 0; i < text.Elements().size(); ++i) {
        const CXmlText::Element& element = text.Elements()[i];
        tag = element.firstLine <= line && line <= element.line ? i : tag;
        inside = element.firstLine <= line && line <= element.lastLine ? i : inside;
    }
    return tag != CXmlText::kNone ? tag : inside;
}

// A file as the plug-in reads it: the document, where its elements stand, and the check.
struct Reading {
    std::optional<std::string> bytes;  // none: no file
    PLATFORM::CXmlDocument document;
    bool loaded = false;
    std::string loadError;
    CXmlText text;
    bool editable = false;
    std::string why;  // why it cannot be edited
    CHECKTOOL::CFindings findings;
};

}  // namespace

struct CStudio::Impl {
    StudioOptions options;
    std::string page;
    std::function<void()> quit;
    std::filesystem::path scratch;  // the studio's own folder for drafts
    CGaugePreview preview;

    std::filesystem::path ConfigurationFile() const {
        return options.dataFolder / CScreenPanel::kConfigurationFileName;
    }
    std::filesystem::path LensFile() const {
        return options.profileFolder / CLampPanel::kProgrammingFileName;
    }
    std::wstring FolderText() const {
        std::wstring text = TOOLS::WideOfPath(options.dataFolder);
        if (text.empty() || (text.back() != L'\\' && text.back() != L'/')) {
            text += L'\\';
        }
        return text;
    }

    // Reads bytes (the file at path holds them) through the plug-in's reader, locates them and,
    // with check, runs the configuration check on them.
    void Read(const std::filesystem::path& path, Reading& reading, bool lens, bool check) {
        reading.document.Create();
        const PLATFORM::XmlStatus loaded = reading.document.LoadFile(TOOLS::WideOfPath(path));
        reading.loaded = static_cast<bool>(loaded);
        reading.loadError = Narrow(loaded.message);
        if (reading.loaded && reading.bytes) {
            reading.editable = reading.text.Read(*reading.bytes, reading.why);
            if (reading.editable && !SameElements(reading.text, reading.document)) {
                reading.editable = false;
                reading.why = "the elements are not where the reader finds them";
            }
        } else if (!reading.loaded) {
            reading.why = "the file does not read as XML: " + reading.loadError;
        }
        if (check) {
            if (lens) {
                CHECKTOOL::CLensCheck(reading.findings)
                    .Check(path, TOOLS::ShownPath(path), ProfileConditions());
            } else {
                CHECKTOOL::CConfigurationCheck(reading.findings).Check(options.dataFolder, path);
            }
        }
    }

    // Checks every profile of the data folder into findings.
    void CheckProfiles(CHECKTOOL::CFindings& findings) const {
        CHECKTOOL::CConfigurationCheck configuration(findings);
        CHECKTOOL::CProfileCheck(findings, configuration).CheckFolder(options.dataFolder);
    }

    // The lamp conditions the aircraft profiles define (each once, in the order the plug-in
    // tries the profiles), which the lens file may program like the built-in ones.
    std::vector<std::wstring> ProfileConditions() const {
        std::vector<std::wstring> names;
        for (const CAircraftProfiles::Candidate& candidate :
             CAircraftProfiles::Candidates(TOOLS::WideOfPath(options.dataFolder), {})) {
            const auto profile = CAircraftProfile::Read(candidate.file, candidate.shown);
            for (const CLampCondition& condition : profile->Conditions()) {
                const auto& builtIn = CLampPanel::kTileNames;
                if (std::find(builtIn.begin(), builtIn.end(), condition.name) == builtIn.end() &&
                    std::find(names.begin(), names.end(), condition.name) == names.end()) {
                    names.push_back(condition.name);
                }
            }
        }
        return names;
    }

    // The current file (or a new one's text where there is none).
    bool ReadCurrent(bool lens, Reading& reading) {
        const std::filesystem::path file = lens ? LensFile() : ConfigurationFile();
        const std::filesystem::path& folder = lens ? options.profileFolder : options.dataFolder;
        std::error_code missing;
        // A folder yet to be made holds no link; the save makes it.
        if (std::filesystem::exists(folder, missing) && !LiesInside(folder, file)) {
            reading.why = "the file leads out of its folder";
            return false;
        }
        std::string bytes;
        std::error_code error;
        if (std::filesystem::exists(file, error)) {
            if (!ReadFileBytes(file, bytes)) {
                reading.why = "the file cannot be read";
                return false;
            }
            reading.bytes = bytes;
            Read(file, reading, lens, true);
            return true;
        }
        // No file yet: the studio starts one.
        const std::string fresh = lens ? kNewLensFile : kNewConfigurationFile;
        const std::filesystem::path draft = scratch / (lens ? "new-lens.xml" : "new-config.xml");
        std::string why;
        CPendingFile writer(draft);
        if (!writer.Write(fresh, why)) {
            reading.why = why;
            return false;
        }
        Read(writer.Temporary(), reading, lens, false);
        reading.editable = reading.text.Read(fresh, reading.why);
        return true;
    }

    json LensPanels(const LensModel& model) const {
        json panels = json::array();
        for (const LensPanel& panel : model) {
            json tiles = json::object();
            for (const auto& [name, tile] : panel.tiles) {
                tiles[Narrow(name)] = {
                    {"colour", Narrow(CLampPanel::kColourNames[tile.colour - 1])},
                    {"lens", tile.lens}};
            }
            panels.push_back({{"serial", Narrow(panel.serial)}, {"tiles", tiles}});
        }
        return panels;
    }

    bool ParseLens(const json& body, LensModel& model, std::string& why) const {
        const std::vector<std::wstring> conditions = ProfileConditions();
        if (!body.is_object() || !body.contains("panels") || !body["panels"].is_array() ||
            body["panels"].size() > 100) {
            why = "panels must be a list";
            return false;
        }
        for (const json& item : body["panels"]) {
            LensPanel panel;
            bool present = false;
            if (!GetText(item, "serial", panel.serial, present) || !present ||
                std::any_of(model.begin(), model.end(),
                            [&](const LensPanel& p) { return p.serial == panel.serial; })) {
                why = "each panel needs its own serial number";
                return false;
            }
            if (!item.contains("tiles") || !item["tiles"].is_object()) {
                why = "tiles must be an object";
                return false;
            }
            for (const auto& [name, value] : item["tiles"].items()) {
                const std::wstring tile = Widen(name);
                const bool known =
                    std::find(CLampPanel::kTileNames.begin(), CLampPanel::kTileNames.end(), tile) !=
                        CLampPanel::kTileNames.end() ||
                    std::find(conditions.begin(), conditions.end(), tile) != conditions.end();
                std::wstring colour;
                if (!known || !GetText(value, "colour", colour, present) || !present ||
                    !value.contains("lens") || !value["lens"].is_number_integer()) {
                    why = "unknown condition or incomplete lens: " + name;
                    return false;
                }
                const auto named = std::find(CLampPanel::kColourNames.begin(),
                                             CLampPanel::kColourNames.end(), colour);
                const int64_t lens = value["lens"].get<int64_t>();
                if (named == CLampPanel::kColourNames.end() || lens < 0 ||
                    lens >= CLampPanel::kLensCount) {
                    why = "a lens is 0 to 23 with a colour Green, Red or Amber: " + name;
                    return false;
                }
                CLampPanel::Tile entry;
                entry.name = tile;
                entry.colour = static_cast<uint32_t>(named - CLampPanel::kColourNames.begin()) + 1;
                entry.lens = static_cast<int32_t>(lens);
                panel.tiles[tile] = entry;
            }
            model.push_back(std::move(panel));
        }
        return true;
    }

    json ConfigurationJson(const ConfigurationModel& model) const {
        json gauges = json::array();
        for (const GaugeEntry& gauge : model.gauges) {
            json buttons = json::array();
            for (const auto& button : gauge.buttons) {
                if (!button) {
                    buttons.push_back(nullptr);
                    continue;
                }
                json attributes = json::object();
                for (const auto& [name, value] : *button) {
                    attributes[Narrow(name)] = Narrow(value);
                }
                buttons.push_back(attributes);
            }
            gauges.push_back({{"ref", gauge.ref},
                              {"file", gauge.file ? json(Narrow(*gauge.file)) : json(nullptr)},
                              {"buttons", buttons}});
        }
        json pages = json::array();
        for (const PageEntry& page : model.pages) {
            pages.push_back({{"ref", page.ref},
                             {"name", Narrow(page.name)},
                             {"radio1", page.radio1 ? json(Narrow(*page.radio1)) : json(nullptr)}});
        }
        return {{"gauges", gauges}, {"pages", pages}};
    }

    static bool ParseRef(const json& item, const std::vector<size_t>& known,
                         std::vector<size_t>& used, size_t& ref) {
        ref = CXmlText::kNone;
        if (!item.contains("ref") || item["ref"].is_null()) {
            return true;
        }
        if (!item["ref"].is_number_unsigned()) {
            return false;
        }
        ref = item["ref"].get<size_t>();
        if (std::find(known.begin(), known.end(), ref) == known.end() ||
            std::find(used.begin(), used.end(), ref) != used.end()) {
            return false;
        }
        used.push_back(ref);
        return true;
    }

    bool ParseConfiguration(const json& body, const ConfigurationModel& current,
                            ConfigurationModel& model, std::string& why) const {
        if (!body.is_object() || !body.contains("gauges") || !body["gauges"].is_array() ||
            !body.contains("pages") || !body["pages"].is_array() ||
            body["gauges"].size() > kMaxEntries || body["pages"].size() > kMaxEntries) {
            why = "gauges and pages must be lists";
            return false;
        }
        std::vector<size_t> known;
        std::vector<size_t> used;
        for (const GaugeEntry& gauge : current.gauges) {
            known.push_back(gauge.ref);
        }
        for (const json& item : body["gauges"]) {
            GaugeEntry gauge;
            std::wstring file;
            bool present = false;
            if (!item.is_object() || !ParseRef(item, known, used, gauge.ref) ||
                !GetText(item, "file", file, present) || !item.contains("buttons") ||
                !item["buttons"].is_array() || item["buttons"].size() != kBoundButtonCount) {
                why = "a gauge entry is malformed";
                return false;
            }
            if (present) {
                gauge.file = file;
            }
            for (size_t i = 0; i < gauge.buttons.size(); ++i) {
                const json& button = item["buttons"][i];
                if (button.is_null()) {
                    continue;
                }
                if (!button.is_object()) {
                    why = "a button is malformed";
                    return false;
                }
                ButtonAttributes& attributes = gauge.buttons[i].emplace();
                for (const auto& [name, value] : button.items()) {
                    const std::wstring attribute = Widen(name);
                    std::wstring text;
                    if (std::find(kButtonAttributes.begin(), kButtonAttributes.end(), attribute) ==
                            kButtonAttributes.end() ||
                        !GetText(button, name.c_str(), text, present)) {
                        why = "a button attribute is unknown or no text: " + name;
                        return false;
                    }
                    if (present) {
                        attributes[attribute] = text;
                    }
                }
            }
            model.gauges.push_back(std::move(gauge));
        }
        known.clear();
        used.clear();
        for (const PageEntry& page : current.pages) {
            known.push_back(page.ref);
        }
        for (const json& item : body["pages"]) {
            PageEntry page;
            std::wstring radio1;
            bool present = false;
            bool named = false;
            if (!item.is_object() || !ParseRef(item, known, used, page.ref) ||
                !GetText(item, "name", page.name, named) || !named || !IsPageName(page.name) ||
                !GetText(item, "radio1", radio1, present)) {
                why = "a page entry is malformed";
                return false;
            }
            if (present) {
                page.radio1 = radio1;
            }
            model.pages.push_back(std::move(page));
        }
        return true;
    }

    // Where a finding of the configuration (read from shown) belongs on the page.
    json ConfigurationPlace(const CHECKTOOL::Finding& finding, const std::string& shown,
                            const Reading& reading, const ConfigurationModel& model) const {
        if (finding.file != shown) {
            json gauges = json::array();
            for (size_t k = 0; k < model.gauges.size(); ++k) {
                if (model.gauges[k].file &&
                    TOOLS::ShownPath(UTILITY::ResolveWindowsPath(
                        FolderText() + *model.gauges[k].file)) == finding.file) {
                    gauges.push_back(k);
                }
            }
            return gauges.empty() ? json(nullptr) : json{{"gauges", gauges}};
        }
        const size_t element = ElementOnLine(reading.text, finding.line);
        if (element == CXmlText::kNone) {
            return nullptr;
        }
        const size_t parent = reading.text.Elements()[element].parent;
        for (size_t k = 0; k < model.gauges.size(); ++k) {
            if (model.gauges[k].ref == element) {
                return {{"gauges", {k}}};
            }
            if (model.gauges[k].ref == parent) {
                const CXmlText::Attribute* id = reading.text.Elements()[element].Find("Id");
                const std::string& text = reading.text.Text();
                const int32_t button = id ? ReadButtonId(Widen(text.substr(
                                                id->valueBegin, id->valueEnd - id->valueBegin)))
                                          : 0;
                json place{{"gauges", {k}}};
                if (button >= 1 && button <= kBoundButtonCount) {
                    place["button"] = button;
                }
                return place;
            }
        }
        for (size_t k = 0; k < model.pages.size(); ++k) {
            if (model.pages[k].ref == element) {
                return {{"page", k}};
            }
        }
        return nullptr;
    }

    json LensPlace(const CHECKTOOL::Finding& finding, const Reading& reading) const {
        size_t element = ElementOnLine(reading.text, finding.line);
        if (element == CXmlText::kNone) {
            return nullptr;
        }
        const auto& elements = reading.text.Elements();
        if (elements[element].name != "Lense" && elements[element].name != "LampProgramming" &&
            elements[element].parent != CXmlText::kNone) {
            element = elements[element].parent;
        }
        json place = json::object();
        if (elements[element].name == "Lense") {
            std::vector<PLATFORM::CXmlNode> lenses;
            reading.document.SelectNodes(L"//Lense", lenses);
            for (const PLATFORM::CXmlNode& lense : lenses) {
                if (DocumentIndex(lense) == element) {
                    place["tile"] =
                        Narrow(CLampPanel::ReadLense(lense, [](CLampPanel::LenseFault,
                                                               const PLATFORM::CXmlNode&,
                                                               const std::wstring&) {
                               }).name);
                }
            }
            element = elements[element].parent;
        }
        if (element != CXmlText::kNone && elements[element].name == "LampProgramming") {
            if (const CXmlText::Attribute* id = elements[element].Find("Id")) {
                place["serial"] =
                    reading.text.Text().substr(id->valueBegin, id->valueEnd - id->valueBegin);
            }
        }
        return place.empty() ? json(nullptr) : place;
    }

    std::string Shown(const std::string& file, const std::string& draft, bool lens) const {
        if (file == draft) {
            return TOOLS::ShownPath(lens ? LensFile() : ConfigurationFile());
        }
        return file;
    }

    json State(bool lens, Reading& reading) {
        json state{{"file", TOOLS::ShownPath(lens ? LensFile() : ConfigurationFile())},
                   {"exists", reading.bytes.has_value()},
                   {"version", VersionOf(reading.bytes)},
                   {"readable", reading.loaded},
                   {"editable", reading.editable},
                   {"why", reading.why}};
        const std::string shown = TOOLS::ShownPath(lens ? LensFile() : ConfigurationFile());
        if (lens) {
            state["panels"] = reading.loaded
                                  ? LensPanels(ReadLensModel(reading.document, ProfileConditions()))
                                  : json::array();
            state["findings"] = FindingsJson(
                reading.findings,
                [&](const CHECKTOOL::Finding& f) { return LensPlace(f, reading); },
                [&](const std::string& f) { return f; });
        } else {
            const ConfigurationModel model =
                reading.loaded ? ReadConfigurationModel(reading.document) : ConfigurationModel{};
            state["configuration"] = ConfigurationJson(model);
            state["findings"] = FindingsJson(
                reading.findings,
                [&](const CHECKTOOL::Finding& f) {
                    return ConfigurationPlace(f, f.file, reading, model);
                },
                [&](const std::string& f) { return f; });
            // Findings of the file itself name it by its path; the page knows it as "file".
            (void)shown;
        }
        return state;
    }

    // Composes a draft against the current file. status: 0 when composed, else the refusal.
    int Compose(bool lens, const json& body, Reading& current, std::string& composed,
                std::string& why) {
        if (!ReadCurrent(lens, current)) {
            return 500;
        }
        if (!current.loaded || !current.editable) {
            why = "the file cannot be edited here: " + current.why;
            return 409;
        }
        if (lens) {
            LensModel wanted;
            if (!ParseLens(body, wanted, why)) {
                return 400;
            }
            return ComposeLens(current.text, current.document, wanted, composed, why,
                               ProfileConditions())
                       ? 0
                       : 409;
        }
        ConfigurationModel wanted;
        if (!ParseConfiguration(body, ReadConfigurationModel(current.document), wanted, why)) {
            return 400;
        }
        return ComposeConfiguration(current.text, current.document, wanted, composed, why) ? 0
                                                                                           : 409;
    }

    // Reads a composed file back: what the plug-in reads must be what the draft says.
    bool ReadsAsMeant(bool lens, const json& body, const Reading& current, const Reading& result) {
        if (!result.loaded) {
            return false;
        }
        std::string why;
        if (lens) {
            LensModel wanted;
            return ParseLens(body, wanted, why) &&
                   ReadLensModel(result.document, ProfileConditions()) == wanted;
        }
        ConfigurationModel wanted;
        return ParseConfiguration(body, ReadConfigurationModel(current.document), wanted, why) &&
               ReadConfigurationModel(result.document).SameReading(wanted);
    }

    json FindingsOf(bool lens, const Reading& result, const std::string& draftPath) {
        const ConfigurationModel model =
            lens || !result.loaded ? ConfigurationModel{} : ReadConfigurationModel(result.document);
        return FindingsJson(
            result.findings,
            [&](const CHECKTOOL::Finding& f) {
                return lens ? LensPlace(f, result)
                            : ConfigurationPlace(f, draftPath, result, model);
            },
            [&](const std::string& f) { return Shown(f, draftPath, lens); });
    }

    HttpResponse Check(bool lens, const json& body) {
        Reading current;
        std::string composed;
        std::string why;
        if (const int status = Compose(lens, body, current, composed, why); status != 0) {
            return Refuse(status, why);
        }
        const std::filesystem::path draft =
            scratch / (lens ? "LampProgramming.xml" : "XVarlenSkydeck.xml");
        CPendingFile writer(draft);
        if (!writer.Write(current.text.Encode(composed), why)) {
            return Refuse(500, why);
        }
        Reading result;
        result.bytes = current.text.Encode(composed);
        Read(writer.Temporary(), result, lens, true);
        return Json(200,
                    {{"findings", FindingsOf(lens, result, TOOLS::ShownPath(writer.Temporary()))}});
    }

    HttpResponse Save(bool lens, const json& body) {
        std::wstring version;
        bool present = false;
        if (!GetText(body, "version", version, present) || !present) {
            return Refuse(400, "a save names the version it was made from");
        }
        Reading current;
        std::string composed;
        std::string why;
        if (const int status = Compose(lens, body, current, composed, why); status != 0) {
            return Refuse(status, why);
        }
        if (Narrow(version) != VersionOf(current.bytes)) {
            return Json(
                409, {{"error", "the file changed on disk since it was read"}, {"changed", true}});
        }
        const std::filesystem::path target = lens ? LensFile() : ConfigurationFile();
        const std::string bytes = current.text.Encode(composed);
        std::error_code made;
        std::filesystem::create_directories(target.parent_path(), made);
        CPendingFile pending(target);
        if (!pending.Write(bytes, why)) {
            return Refuse(500, why);
        }
        Reading result;
        result.bytes = bytes;
        Read(pending.Temporary(), result, lens, true);
        if (!ReadsAsMeant(lens, body, current, result)) {
            return Refuse(500, "the file as composed would not read as meant; nothing was written");
        }
        const json findings = FindingsOf(lens, result, TOOLS::ShownPath(pending.Temporary()));
        const bool confirmed =
            body.contains("confirm") && body["confirm"].is_boolean() && body["confirm"].get<bool>();
        if (result.findings.Errors() != 0 && !confirmed) {
            return Json(422, {{"error", "the plug-in would misread the file as saved"},
                              {"confirm", true},
                              {"findings", findings}});
        }
        if (!pending.Commit(current.bytes, why)) {
            return Refuse(500, why);
        }
        Reading saved;
        ReadCurrent(lens, saved);
        return Json(200, State(lens, saved));
    }

    HttpResponse Light(const json& body) {
        LensModel model;
        std::string why;
        json wrapped{{"panels", json::array({body.value("panel", json::object())})}};
        if (!ParseLens(wrapped, model, why)) {
            return Refuse(400, why);
        }
        std::vector<std::wstring> lit;
        if (body.contains("lit") && body["lit"].is_array()) {
            for (const json& name : body["lit"]) {
                if (name.is_string()) {
                    lit.push_back(Widen(name.get<std::string>()));
                }
            }
        }
        const int32_t engines = body.contains("engines") && body["engines"].is_number_integer()
                                    ? body["engines"].get<int32_t>()
                                    : 1;
        const bool helicopter = body.contains("helicopter") && body["helicopter"].is_boolean() &&
                                body["helicopter"].get<bool>();
        const CLampPanel::Report report = CLampPanel::LightByHand(
            model.front().tiles,
            [&](std::wstring_view name) {
                return std::find(lit.begin(), lit.end(), name) != lit.end();
            },
            engines, helicopter);
        json lenses = json::array();
        for (int32_t lens = 0; lens < CLampPanel::kLensCount; ++lens) {
            const uint8_t bit = static_cast<uint8_t>(1u << (lens % 8));
            const bool green = (report[1 + static_cast<size_t>(lens / 8)] & bit) != 0;
            const bool red = (report[4 + static_cast<size_t>(lens / 8)] & bit) != 0;
            lenses.push_back(green && red ? "amber" : green ? "green" : red ? "red" : "");
        }
        return Json(200, {{"lenses", lenses}});
    }

    HttpResponse Names() {
        ResolveSimRegistry();
        const SimRegistry& registry = GetSimRegistry();
        json keys = json::array();
        json buttons = json::array();
        json virtualKeys = json::array();
        json commands = json::array();
        for (const auto& [name, id] : registry.keyNames) {
            keys.push_back(name);
        }
        for (const auto& [name, id] : registry.joystickNames) {
            buttons.push_back(name);
        }
        for (const auto& [name, code] : registry.virtualKeyNames) {
            std::string lower = name.substr(name.rfind("VK_", 0) == 0 ? 3 : 0);
            std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
                return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            });
            virtualKeys.push_back(lower);
        }
        for (const SimCommandPath& row : SimCommandPaths()) {
            commands.push_back(row.path);
        }
        json tiles = json::array();
        for (const CLampPanel::TileWrite& write : CLampPanel::kWriteOrder) {
            tiles.push_back({{"name", Narrow(write.name)}, {"engines", write.engines}});
        }
        for (const std::wstring& name : ProfileConditions()) {
            tiles.push_back({{"name", Narrow(name)}, {"profile", true}});
        }
        json gaugeFiles = json::array();
        std::error_code error;
        auto it = std::filesystem::recursive_directory_iterator(options.dataFolder, error);
        for (size_t seen = 0; !error && it != std::filesystem::recursive_directory_iterator() &&
                              seen < 5000 && gaugeFiles.size() < 500;
             it.increment(error), ++seen) {
            if (it.depth() > 4) {
                it.disable_recursion_pending();
            }
            const std::filesystem::path& path = it->path();
            // The files beside the configuration are no gauges.
            if (it.depth() == 0 && path.filename() == CAircraftProfiles::kFolderName) {
                it.disable_recursion_pending();  // the aircraft profiles are no gauges either
            }
            if (it.depth() == 0 || !it->is_regular_file(error) || path.extension() != ".xml") {
                continue;
            }
            std::string relative =
                Narrow(TOOLS::WideOfPath(path.lexically_relative(options.dataFolder)));
            std::replace(relative.begin(), relative.end(), '/', '\\');
            gaugeFiles.push_back(relative);
        }
        std::sort(gaugeFiles.begin(), gaugeFiles.end());
        json pages = json::array();
        for (const std::wstring_view name : CHotasPanel::kPageNames) {
            pages.push_back(Narrow(std::wstring(name)));
        }
        return Json(200, {{"keys", keys},
                          {"buttons", buttons},
                          {"virtualKeys", virtualKeys},
                          {"commands", commands},
                          {"tiles", tiles},
                          {"gaugeFiles", gaugeFiles},
                          {"pages", pages},
                          {"dataFolder", TOOLS::ShownPath(options.dataFolder)},
                          {"profileFolder", TOOLS::ShownPath(options.profileFolder)}});
    }

    // The bindings the plug-in makes of the page's raw attributes: read by its own rules from a
    // Gauge element written for them.
    bool Bindings(const json& buttons, ButtonBindings& bindings) {
        std::string markup = "<Gauge>";
        CXmlText writer;
        writer.Start("<a/>");
        if (buttons.is_array() && buttons.size() <= kBoundButtonCount) {
            for (size_t i = 0; i < buttons.size(); ++i) {
                if (!buttons[i].is_object()) {
                    continue;
                }
                markup += "<Button Id=\"" + std::to_string(i + 1) + "\"";
                for (const wchar_t* name : kButtonAttributes) {
                    std::wstring value;
                    bool present = false;
                    if (!GetText(buttons[i], Narrow(name).c_str(), value, present)) {
                        return false;
                    }
                    if (present) {
                        markup += writer.NewAttribute(Narrow(name), value);
                    }
                }
                markup += "/>";
            }
        }
        markup += "</Gauge>";
        PLATFORM::CXmlDocument document;
        document.Create();
        if (!document.LoadText(Widen(markup))) {
            return false;
        }
        ReadButtonBindings(document.DocumentElement(), bindings);
        return true;
    }

    std::optional<std::filesystem::path> GaugeFile(const json& body, std::string& why) {
        std::wstring file;
        bool present = false;
        if (!GetText(body, "file", file, present) || !present) {
            why = "a gauge file is wanted";
            return std::nullopt;
        }
        const std::optional<std::filesystem::path> path =
            InsideFolder(options.dataFolder, Narrow(file));
        if (!path) {
            why = "only files inside the data folder are read";
        }
        return path;
    }

    HttpResponse Gauge(const json& body, bool picture) {
        std::string why;
        const std::optional<std::filesystem::path> file = GaugeFile(body, why);
        if (!file) {
            return Refuse(403, why);
        }
        ButtonBindings bindings;
        if (!Bindings(body.value("buttons", json::array()), bindings)) {
            return Refuse(400, "the buttons are malformed");
        }
        if (!preview.Load(*file, bindings, why)) {
            return Refuse(422, why);
        }
        if (!picture) {
            json variables = json::array();
            for (const GaugeVariable& variable : preview.Variables()) {
                variables.push_back({{"name", Narrow(variable.name)},
                                     {"unit", Narrow(variable.unit)},
                                     {"low", variable.low},
                                     {"high", variable.high}});
            }
            return Json(200, {{"name", Narrow(preview.Name())}, {"variables", variables}});
        }
        std::map<std::wstring, float> values;
        if (body.contains("values") && body["values"].is_object()) {
            for (const auto& [name, value] : body["values"].items()) {
                if (value.is_number() && std::isfinite(value.get<double>()) &&
                    std::fabs(value.get<double>()) < 1e9 && name.size() < kMaxText) {
                    values[Widen(name)] = value.get<float>();
                }
            }
        }
        CGaugePreview::Picture drawn;
        const auto started = std::chrono::steady_clock::now();
        if (!preview.Draw(values, drawn)) {
            return Refuse(500, "the picture could not be made");
        }
        const double milliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count();
        std::string leds;
        for (size_t led = 1; led < drawn.leds.size(); ++led) {
            if (drawn.leds[led]) {
                leds += (leds.empty() ? "" : ",") + std::to_string(led);
            }
        }
        char timing[48];
        std::snprintf(timing, sizeof timing, "draw;dur=%.1f", milliseconds);
        return HttpResponse{
            200, "image/png", std::move(drawn.png), {{"X-Leds", leds}, {"Server-Timing", timing}}};
    }

    HttpResponse HotasLines(const json& body) {
        if (!body.contains("pages") || !body["pages"].is_array() || body["pages"].size() > 100) {
            return Refuse(400, "pages must be a list");
        }
        // The page list as the plug-in reads it, from elements written for it.
        CXmlText writer;
        writer.Start("<a/>");
        std::string markup = "<GaugeList><Hotas>";
        for (const json& item : body["pages"]) {
            std::wstring name;
            std::wstring radio1;
            bool named = false;
            bool present = false;
            if (!GetText(item, "name", name, named) || !named || !IsPageName(name) ||
                !GetText(item, "radio1", radio1, present)) {
                return Refuse(400, "a page entry is malformed");
            }
            markup.append("<").append(Narrow(name));
            markup.append(present ? writer.NewAttribute("radio1", radio1) : "").append("/>");
        }
        markup += "</Hotas></GaugeList>";
        PLATFORM::CXmlDocument document;
        document.Create();
        if (!document.LoadText(Widen(markup))) {
            return Refuse(400, "the pages do not make a list");
        }
        VSIM::Reset();
        ResolveSimRegistry();
        std::vector<PLATFORM::CXmlNode> elements;
        document.SelectNodes(CHotasPanel::kPageXPath, elements);
        const json values = body.value("values", json::object());
        json pages = json::array();
        for (const PLATFORM::CXmlNode& element : elements) {
            std::unique_ptr<CHotasPanel::CPage> page =
                CHotasPanel::MakePage(element, GetSimRegistry());
            if (!page) {
                pages.push_back(nullptr);
                continue;
            }
            // What the page reads, learnt by composing it once while recording.
            VSIM::RecordReads(true);
            CHotasPanel::CPage::Lines lines;
            page->Compose(lines);
            VSIM::RecordReads(false);
            json reads = json::array();
            for (const auto& [path, type] : VSIM::RecordedReads()) {
                const bool integer =
                    type == VSIM::DataType::Int || type == VSIM::DataType::IntArray;
                // Give the dataref the type the page reads.
                if (values.contains(path) && values[path].is_number()) {
                    integer ? VSIM::SetInt(path, static_cast<int>(values[path].get<double>()))
                            : VSIM::SetFloat(path, values[path].get<float>());
                }
                reads.push_back({{"path", path}, {"integer", integer}});
            }
            page->Compose(lines);
            json texts = json::array();
            for (const auto& line : lines) {
                std::string shown;
                for (const char c : line.Text()) {
                    // The display's own arrows, as the virtual cockpit shows them.
                    shown += c == CHotasPanel::CPage::kEditingRight ? "\xC2\xBB"
                             : c == CHotasPanel::CPage::kEditingLeft
                                 ? "\xC2\xAB"
                                 : std::string(1, static_cast<unsigned char>(c) < 0x80 ? c : '?');
                }
                texts.push_back(shown);
            }
            pages.push_back({{"lines", texts}, {"reads", reads}});
        }
        return Json(200, {{"pages", pages}});
    }

    // ---- aircraft profiles: data/aircraft/NAME.xml ----------------------------------------

    // The profile file a request names: a plain file name ending in ".xml" inside the data
    // folder's profile folder.
    std::optional<std::filesystem::path> ProfileFile(const json& body, std::string& name,
                                                     std::string& why) const {
        std::wstring file;
        bool present = false;
        if (!GetText(body, "file", file, present) || !present) {
            why = "a profile file is wanted";
            return std::nullopt;
        }
        name = Narrow(file);
        std::string suffix = name.size() > 4 ? name.substr(name.size() - 4) : std::string();
        std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](char c) {
            return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        });
        std::optional<std::filesystem::path> path;
        if (suffix == ".xml" && name.size() <= 200 && name[0] != '.' &&
            name.find_first_of("/\\:") == std::string::npos) {
            path = InsideFolder(options.dataFolder,
                                Narrow(CAircraftProfiles::kFolderName) + "/" + name);
        }
        if (!path) {
            why = "a profile is a file name ending in .xml in the data folder's aircraft folder";
        }
        return path;
    }

    // The profile at file as read, or a new one's text where there is none; no check.
    bool ReadProfile(const std::filesystem::path& file, Reading& reading) {
        std::error_code error;
        if (std::filesystem::exists(file, error)) {
            std::string bytes;
            if (!ReadFileBytes(file, bytes)) {
                reading.why = "the file cannot be read";
                return false;
            }
            reading.bytes = bytes;
            Read(file, reading, false, false);
            return true;
        }
        CPendingFile writer(scratch / "new-profile.xml");
        if (!writer.Write(kNewProfileFile, reading.why)) {
            return false;
        }
        Read(writer.Temporary(), reading, false, false);
        reading.editable = reading.text.Read(kNewProfileFile, reading.why);
        return true;
    }

    // The root's child a finding's line concerns.
    static size_t RootChildOnLine(const CXmlText& text, uint32_t line) {
        size_t element = ElementOnLine(text, line);
        const auto& elements = text.Elements();
        while (element != CXmlText::kNone && elements[element].parent != CXmlText::kNone &&
               elements[elements[element].parent].parent != CXmlText::kNone) {
            element = elements[element].parent;
        }
        return element;
    }

    // Findings (of the file shown so, named so on the page) and notes placed beside the entries
    // they concern.
    json ProfileFindings(const CHECKTOOL::CFindings& findings, const std::string& shown,
                         const std::string& named, const Reading& reading,
                         const ProfileModel& model) const {
        json list = json::array();
        for (const json& item : FindingsJson(
                 findings,
                 [&](const CHECKTOOL::Finding& f) -> json {
                     const size_t element = RootChildOnLine(reading.text, f.line);
                     for (size_t k = 0; k < model.matches.size(); ++k) {
                         if (model.matches[k].ref == element) {
                             return {{"match", k}};
                         }
                     }
                     for (size_t k = 0; k < model.uses.size(); ++k) {
                         if (model.uses[k].ref == element) {
                             return {{"use", k}};
                         }
                     }
                     return nullptr;
                 },
                 [](const std::string& f) { return f; })) {
            if (item["file"] == shown) {
                list.push_back(item);
                list.back()["file"] = named;
            }
        }
        return list;
    }

    static json ProfileJson(const ProfileModel& model) {
        const auto entries = [](const std::vector<ProfileEntry>& list) {
            json items = json::array();
            for (const ProfileEntry& entry : list) {
                json item{{"ref", entry.ref}, {"element", Narrow(entry.element)}};
                for (const auto& [name, value] : entry.attributes) {
                    item[Narrow(name)] = Narrow(value);
                }
                items.push_back(std::move(item));
            }
            return items;
        };
        return {{"name", model.name ? json(Narrow(*model.name)) : json(nullptr)},
                {"matches", entries(model.matches)},
                {"uses", entries(model.uses)}};
    }

    bool ParseProfile(const json& body, const ProfileModel& current, ProfileModel& model,
                      std::string& why) const {
        const json profile = body.value("profile", json());
        std::wstring name;
        bool present = false;
        if (!profile.is_object() || !GetText(profile, "name", name, present)) {
            why = "a profile is an object with a name";
            return false;
        }
        if (present) {
            model.name = name;
        }
        for (const auto& [key, have, list] :
             {std::tuple{"matches", &current.matches, &model.matches},
              std::tuple{"uses", &current.uses, &model.uses}}) {
            const json items = profile.value(key, json());
            if (!items.is_array() || items.size() > kMaxEntries) {
                why = std::string(key) + " must be a list";
                return false;
            }
            std::vector<size_t> known;
            std::vector<size_t> used;
            for (const ProfileEntry& entry : *have) {
                known.push_back(entry.ref);
            }
            for (const json& item : items) {
                ProfileEntry entry;
                bool named = false;
                const bool matches = std::string(key) == "matches";
                if (!item.is_object() || !ParseRef(item, known, used, entry.ref) ||
                    !GetText(item, "element", entry.element, named) ||
                    (matches ? entry.element != L"Match"
                             : entry.element != L"Command" && entry.element != L"DataRef")) {
                    why = std::string("an entry of ") + key + " is malformed";
                    return false;
                }
                for (const std::wstring& attribute : ProfileAttributes(entry.element)) {
                    std::wstring value;
                    if (!GetText(item, Narrow(attribute).c_str(), value, present)) {
                        why = "an attribute is no text: " + Narrow(attribute);
                        return false;
                    }
                    if (present) {
                        entry.attributes[attribute] = value;
                    }
                }
                list->push_back(std::move(entry));
            }
        }
        return true;
    }

    // One profile for the page: its entries, its findings and what it changes.
    json ProfileState(const std::string& name, const std::filesystem::path& file,
                      const Reading& reading, const CHECKTOOL::CFindings& findings,
                      const std::filesystem::path& readFrom) {
        const ProfileModel model =
            reading.loaded ? ReadProfileModel(reading.document) : ProfileModel{};
        CHECKTOOL::CFindings notes;
        CHECKTOOL::CConfigurationCheck configuration(notes);
        const std::string shown = TOOLS::ShownPath(readFrom);
        if (reading.loaded) {
            const std::unique_ptr<CAircraftProfile> profile =
                CAircraftProfile::Read(readFrom, TOOLS::WideOfPath(readFrom));
            if (profile->Readable()) {
                CHECKTOOL::CProfileCheck(notes, configuration).Describe(*profile, shown);
            }
        }
        return {
            {"file", name},
            {"shown", TOOLS::ShownPath(file)},
            {"exists", reading.bytes.has_value()},
            {"version", VersionOf(reading.bytes)},
            {"readable", reading.loaded},
            {"editable", reading.editable},
            {"why", reading.why},
            {"profile", ProfileJson(model)},
            {"findings", ProfileFindings(findings, shown, TOOLS::ShownPath(file), reading, model)},
            {"notes", ProfileFindings(notes, shown, TOOLS::ShownPath(file), reading, model)}};
    }

    HttpResponse Profiles() {
        CHECKTOOL::CFindings findings;
        CheckProfiles(findings);
        json profiles = json::array();
        for (const CAircraftProfiles::Candidate& candidate :
             CAircraftProfiles::Candidates(TOOLS::WideOfPath(options.dataFolder), {})) {
            std::string name = Narrow(TOOLS::WideOfPath(candidate.file.filename()));
            std::string why;
            const std::optional<std::filesystem::path> file =
                ProfileFile({{"file", name}}, name, why);
            Reading reading;
            if (!file || !ReadProfile(*file, reading)) {
                continue;  // a link out of the folder, or unreadable
            }
            profiles.push_back(ProfileState(name, *file, reading, findings, *file));
        }
        json commands = json::array();
        json dataRefs = json::array();
        for (const SimCommandPath& row : SimCommandPaths()) {
            commands.push_back(row.path);
        }
        for (const SimDataRefPath& row : SimDataRefPaths()) {
            dataRefs.push_back(row.path);
        }
        std::sort(commands.begin(), commands.end());
        std::sort(dataRefs.begin(), dataRefs.end());
        commands.erase(std::unique(commands.begin(), commands.end()), commands.end());
        dataRefs.erase(std::unique(dataRefs.begin(), dataRefs.end()), dataRefs.end());
        return Json(200, {{"profiles", profiles},
                          {"commands", commands},
                          {"dataRefs", dataRefs},
                          {"folder",
                           TOOLS::ShownPath(options.dataFolder / CAircraftProfiles::kFolderName)}});
    }

    // Checks (save: saves) a draft of one profile.
    HttpResponse Profile(const json& body, bool save) {
        std::string name;
        std::string why;
        const std::optional<std::filesystem::path> file = ProfileFile(body, name, why);
        if (!file) {
            return Refuse(403, why);
        }
        std::wstring version;
        bool present = false;
        if (save && (!GetText(body, "version", version, present) || !present)) {
            return Refuse(400, "a save names the version it was made from");
        }
        Reading current;
        if (!ReadProfile(*file, current)) {
            return Refuse(500, current.why);
        }
        if (!current.loaded || !current.editable) {
            return Refuse(409, "the file cannot be edited here: " + current.why);
        }
        ProfileModel wanted;
        if (!ParseProfile(body, ReadProfileModel(current.document), wanted, why)) {
            return Refuse(400, why);
        }
        std::string composed;
        if (!ComposeProfile(current.text, current.document, wanted, composed, why)) {
            return Refuse(409, why);
        }
        if (save && Narrow(version) != VersionOf(current.bytes)) {
            return Json(
                409, {{"error", "the file changed on disk since it was read"}, {"changed", true}});
        }
        const std::string bytes = current.text.Encode(composed);
        std::error_code made;
        std::filesystem::create_directories(save ? file->parent_path() : scratch / "aircraft",
                                            made);
        CPendingFile pending(save ? *file : scratch / "aircraft" / file->filename());
        if (!pending.Write(bytes, why)) {
            return Refuse(500, why);
        }
        Reading result;
        result.bytes = bytes;
        Read(pending.Temporary(), result, false, false);
        CHECKTOOL::CFindings findings;
        CHECKTOOL::CConfigurationCheck configuration(findings);
        CHECKTOOL::CProfileCheck(findings, configuration)
            .CheckFile(pending.Temporary(), options.dataFolder, false);
        json state = ProfileState(name, *file, result, findings, pending.Temporary());
        if (!save) {
            return Json(200, state);
        }
        if (!result.loaded || !ReadProfileModel(result.document).SameReading(wanted)) {
            return Refuse(500, "the file as composed would not read as meant; nothing was written");
        }
        const bool confirmed =
            body.contains("confirm") && body["confirm"].is_boolean() && body["confirm"].get<bool>();
        if (findings.Errors() != 0 && !confirmed) {
            return Json(422, {{"error", "the plug-in would misread the file as saved"},
                              {"confirm", true},
                              {"findings", state["findings"]}});
        }
        if (!pending.Commit(current.bytes, why)) {
            return Refuse(500, why);
        }
        return Profiles();
    }
};

CStudio::CStudio(StudioOptions options, std::string page, std::function<void()> quit)
    : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
    impl_->page = std::move(page);
    impl_->quit = std::move(quit);
    std::error_code error;
    impl_->scratch = std::filesystem::temp_directory_path(error) /
                     ("skydeck-studio-" + MakeSecret().substr(0, 12));
    std::filesystem::create_directories(impl_->scratch, error);
}

CStudio::~CStudio() {
    std::error_code error;
    std::filesystem::remove_all(impl_->scratch, error);
}

void CStudio::SetPort(uint16_t port) {
    impl_->options.port = port;
}

std::string MakeSecret() {
    std::random_device source;
    std::string secret;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(source()));
        secret += part;
    }
    return secret;
}

namespace {

bool SameSecret(const std::string& given, const std::string& secret) {
    // Compared in time independent of where they differ.
    unsigned difference = given.size() == secret.size() ? 0u : 1u;
    for (size_t i = 0; i < secret.size(); ++i) {
        difference |= static_cast<unsigned>(i < given.size() ? given[i] ^ secret[i] : 1);
    }
    return difference == 0 && !secret.empty();
}

std::string QueryValue(const std::string& target, const std::string& name) {
    const size_t query = target.find('?');
    if (query == std::string::npos) {
        return {};
    }
    size_t at = query + 1;
    while (at < target.size()) {
        const size_t end = std::min(target.find('&', at), target.size());
        const std::string pair = target.substr(at, end - at);
        if (pair.rfind(name + "=", 0) == 0) {
            return pair.substr(name.size() + 1);
        }
        at = end + 1;
    }
    return {};
}

}  // namespace

std::string CStudio::Admit(const HttpRequest& request) const {
    const std::string port = std::to_string(impl_->options.port);
    std::string host = request.Header("host");
    std::transform(host.begin(), host.end(), host.begin(), [](char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    if (host != "127.0.0.1:" + port && host != "localhost:" + port) {
        return "the request is not for this studio's address";
    }
    const std::string origin = request.Header("origin");
    if (!origin.empty() && origin != "http://127.0.0.1:" + port &&
        origin != "http://localhost:" + port) {
        return "requests from other sites are refused";
    }
    const std::string site = request.Header("sec-fetch-site");
    if (!site.empty() && site != "same-origin" && site != "none") {
        return "requests from other sites are refused";
    }
    const std::string path = request.target.substr(0, request.target.find('?'));
    const std::string key =
        path == "/" ? QueryValue(request.target, "key") : request.Header("x-studio-key");
    if (!SameSecret(key, impl_->options.secret)) {
        return "the request lacks this run's key: open the address skydeck-studio printed";
    }
    return {};
}

HttpResponse CStudio::Handle(const HttpRequest& request) {
    if (const std::string refusal = Admit(request); !refusal.empty()) {
        return Refuse(403, refusal);
    }
    const std::string path = request.target.substr(0, request.target.find('?'));
    const bool get = request.method == "GET";
    const bool post = request.method == "POST";
    if (get && path == "/") {
        return HttpResponse{200, "text/html; charset=utf-8", impl_->page, {}};
    }
    if (!get && !post) {
        return Refuse(405, "only GET and POST are served");
    }
    json body;
    if (post) {
        if (request.Header("content-type").rfind("application/json", 0) != 0) {
            return Refuse(415, "the request body must be JSON");
        }
        body = json::parse(request.body, nullptr, false);
        if (body.is_discarded() || !body.is_object()) {
            return Refuse(400, "the request body is no JSON object");
        }
    }
    if (get && (path == "/api/lamp" || path == "/api/config")) {
        const bool lens = path == "/api/lamp";
        Reading reading;
        if (!impl_->ReadCurrent(lens, reading)) {
            return Refuse(500, reading.why);
        }
        return Json(200, impl_->State(lens, reading));
    }
    if (get && path == "/api/names") {
        return impl_->Names();
    }
    if (post && (path == "/api/lamp/check" || path == "/api/config/check")) {
        return impl_->Check(path == "/api/lamp/check", body);
    }
    if (post && (path == "/api/lamp/save" || path == "/api/config/save")) {
        return impl_->Save(path == "/api/lamp/save", body);
    }
    if (post && path == "/api/lamp/light") {
        return impl_->Light(body);
    }
    if (post && (path == "/api/gauge" || path == "/api/gauge/picture")) {
        return impl_->Gauge(body, path == "/api/gauge/picture");
    }
    if (get && path == "/api/profiles") {
        return impl_->Profiles();
    }
    if (post && (path == "/api/profiles/check" || path == "/api/profiles/save")) {
        return impl_->Profile(body, path == "/api/profiles/save");
    }
    if (post && path == "/api/hotas/lines") {
        return impl_->HotasLines(body);
    }
    if (post && path == "/api/quit") {
        if (impl_->quit) {
            impl_->quit();
        }
        return Json(200, {{"quit", true}});
    }
    return Refuse(404, "no such page or request");
}

}  // namespace XPL::STUDIO
