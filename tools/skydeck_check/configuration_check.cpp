#include "configuration_check.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <vector>

#include "gauge/windows_path.h"
#include "gauge_check.h"
#include "hotas/hotas_panel.h"
#include "screen/screen_panel.h"
#include "sim/aircraft_profile.h"
#include "sim/input_simulation.h"
#include "sim/sim_registry.h"
#include "sim/xml_lines.h"
#include "spelling.h"

namespace XPL::CHECKTOOL {

namespace {

bool IsFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

std::wstring Quote(std::wstring_view text) {
    return L"\"" + std::wstring(text) + L"\"";
}

// " (did you mean X?)" with the name of names that word most likely means, or "". prefix,
// which every name has, is left out of the comparison and of the suggestion; lower makes the
// suggestion lower case, as a user writes it.
template <class Value>
std::wstring Suggestion(const std::string& word, const std::map<std::string, Value>& names,
                        std::string_view prefix = {}, bool lower = false) {
    std::vector<std::wstring> candidates;
    for (const auto& [name, value] : names) {
        candidates.push_back(Widen(name.substr(std::min(prefix.size(), name.size()))));
    }
    std::wstring suggested =
        SuggestedName(Widen(word.substr(std::min(prefix.size(), word.size()))), candidates);
    if (suggested.empty()) {
        return {};
    }
    if (lower) {
        std::transform(suggested.begin(), suggested.end(), suggested.begin(), [](wchar_t c) {
            return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
        });
    }
    return L" (did you mean " + Quote(suggested) + L"?)";
}

std::wstring TypeWords() {
    std::wstring words;
    for (uint32_t type = kEventKey; type <= kEventString; ++type) {
        words += (type == kEventKey      ? L""
                  : type == kEventString ? L" or "
                                         : L", ") +
                 std::wstring(EventTypeWord(type));
    }
    return words;
}

}  // namespace

void CConfigurationCheck::Check(const std::filesystem::path& dataFolder) {
    Check(dataFolder, dataFolder / CScreenPanel::kConfigurationFileName);
}

void CConfigurationCheck::Check(const std::filesystem::path& dataFolder,
                                const std::filesystem::path& file) {
    shown_ = ShownPath(file);
    findings_.Reading(shown_);
    if (!IsFile(file)) {
        findings_.Error(shown_, 0,
                        L"the configuration file does not exist: a screen panel shows no gauge "
                        L"and a stick no page");
        return;
    }
    PLATFORM::CXmlDocument document;
    if (const PLATFORM::XmlStatus created = document.Create(); !created) {
        findings_.Error(shown_, 0, L"the XML reader cannot be made: " + created.message);
        return;
    }
    if (const PLATFORM::XmlStatus loaded = document.LoadFile(WideOfPath(file)); !loaded) {
        findings_.Error(shown_, loaded.line,
                        L"the file does not read as XML, so the plug-in reads no gauge and no "
                        L"page: " +
                            loaded.message);
        return;
    }
    CXmlLines lines;
    lines.Read(file, document);
    lines_ = &lines;
    const PLATFORM::CXmlNode root = document.DocumentElement();
    if (root.Name() != L"GaugeList") {
        findings_.Error(shown_, lines.LineOf(root),
                        L"the root element is " + root.Name() +
                            L": the plug-in reads gauges and pages from a GaugeList");
    } else {
        for (const PLATFORM::CXmlNode& child : root.Children()) {
            if (child.Type() == PLATFORM::XmlNodeType::Element && child.Name() != L"Gauge" &&
                child.Name() != L"Hotas" && child.Name() != L"Knobs") {
                findings_.Warning(shown_, lines.LineOf(child),
                                  L"the element " + child.Name() +
                                      L" is not read: a GaugeList holds Gauge, Hotas and Knobs "
                                      L"elements");
            }
        }
        CAircraftProfile::Knobs knobs;
        std::vector<ProfileProblem> problems;
        CAircraftProfile::ReadKnobs(root, lines, knobs, problems);
        for (const ProfileProblem& problem : problems) {
            findings_.Add(shown_, problem.line,
                          problem.warning ? Severity::Warning : Severity::Error, problem.text);
        }
    }
    CheckList(document, dataFolder);
    lines_ = nullptr;
}

void CConfigurationCheck::CheckProfile(const PLATFORM::CXmlDocument& document,
                                       const CXmlLines& lines, const std::string& shown,
                                       const std::filesystem::path& dataFolder) {
    shown_ = shown;
    lines_ = &lines;
    std::vector<PLATFORM::CXmlNode> lists;
    document.SelectNodes(L"//GaugeList", lists);
    for (const PLATFORM::CXmlNode& list : lists) {
        for (const PLATFORM::CXmlNode& child : list.Children()) {
            if (child.Type() == PLATFORM::XmlNodeType::Element && child.Name() != L"Gauge" &&
                child.Name() != L"Hotas") {
                findings_.Error(shown_, lines.LineOf(child),
                                L"the element " + child.Name() +
                                    L" is not read: a profile's GaugeList holds Gauge and Hotas "
                                    L"elements");
            }
        }
    }
    CheckList(document, dataFolder);
    lines_ = nullptr;
}

void CConfigurationCheck::CheckList(const PLATFORM::CXmlDocument& document,
                                    const std::filesystem::path& dataFolder) {
    // The key, button and key names that events are looked up in.
    ResolveSimRegistry();
    // Gauge paths as the plug-in composes them: the data folder's text, then "File".
    std::wstring folderText = WideOfPath(dataFolder);
    if (folderText.empty() || (folderText.back() != L'\\' && folderText.back() != L'/')) {
        folderText += L'\\';
    }
    gaugeNames_.clear();
    std::vector<PLATFORM::CXmlNode> gauges;
    document.SelectNodes(CScreenPanel::kGaugeXPath, gauges);
    for (const PLATFORM::CXmlNode& gauge : gauges) {
        CheckGauge(gauge, folderText);
        CheckButtons(gauge);
    }
    for (const auto& [name, line] : gaugeNames_) {
        knownGauges_.insert(name);
    }
    CheckPages(document);
}

void CConfigurationCheck::CheckMemory(const std::filesystem::path& dataFolder) {
    const std::filesystem::path memory = dataFolder / CScreenPanel::kMemoryFileName;
    if (IsFile(memory)) {
        CheckMemoryFile(memory);
    }
}

void CConfigurationCheck::CheckGauge(const PLATFORM::CXmlNode& gauge,
                                     const std::wstring& folderText) {
    const uint32_t line = lines_->LineOf(gauge);
    const std::optional<std::wstring> name = gauge.GetAttribute(L"File");
    if (!name) {
        findings_.Error(shown_, line, L"a Gauge without File: the plug-in skips it");
        return;
    }
    const std::wstring path = folderText + *name;
    const std::filesystem::path resolved = UTILITY::ResolveWindowsPath(path);
    if (!IsFile(resolved)) {
        findings_.Error(shown_, line,
                        L"the gauge file " + *name + L" does not exist: the plug-in skips it");
        return;
    }
    const CGaugeCheck::Result result = CGaugeCheck(findings_).Check(path, ShownPath(resolved));
    if (!result.usable) {
        return;
    }
    if (const auto [first, added] = gaugeNames_.emplace(result.name, line); !added) {
        findings_.Warning(shown_, line,
                          L"the gauge " + Quote(result.name) +
                              L" has the name of the gauge at line " +
                              std::to_wstring(first->second) +
                              L": a screen panel that showed this one comes back with that one");
    }
}

void CConfigurationCheck::CheckButtons(const PLATFORM::CXmlNode& gauge) {
    const uint32_t gaugeLine = lines_->LineOf(gauge);
    const auto lineOf = [&](const PLATFORM::CXmlNode& child) {
        const uint32_t line = lines_->LineOf(child);
        return line != 0 ? line : gaugeLine;
    };
    ButtonBindings bindings;
    ReadButtonBindings(
        gauge, bindings,
        [&](BindingNote note, const PLATFORM::CXmlNode& child, std::wstring_view value) {
            const uint32_t line = lineOf(child);
            switch (note) {
                case BindingNote::IgnoredId:
                    findings_.Error(
                        shown_, line,
                        child.GetAttribute(L"Id")
                            ? L"the button Id " + Quote(value) +
                                  L" is not 1 to 12: the element binds no button"
                            : L"the element " + child.Name() + L" has no Id: it binds no button");
                    break;
                case BindingNote::RepeatedId:
                    findings_.Warning(shown_, line,
                                      L"button " + std::wstring(value) +
                                          L" is bound again in this gauge: only the attributes "
                                          L"given here replace the earlier ones");
                    break;
                case BindingNote::UnknownType: {
                    std::wstring text = L"the Type " + Quote(value) + L" is not ";
                    uint32_t meant = kEventNone;
                    for (uint32_t type = kEventKey; type <= kEventString; ++type) {
                        if (SameIgnoringCase(value, EventTypeWord(type))) {
                            meant = type;
                        }
                    }
                    text += meant != kEventNone ? L"spelled exactly " + Quote(EventTypeWord(meant))
                                                : L"one of " + TypeWords();
                    findings_.Error(shown_, line, text + L": the button does nothing");
                    break;
                }
                case BindingNote::NoType:
                    findings_.Warning(
                        shown_, line,
                        L"the button has no Type: its LED lights and its label shows, "
                        L"but it does nothing");
                    break;
                case BindingNote::NotVisible:
                    if (value != L"no") {
                        findings_.Error(shown_, line,
                                        L"Visible is " + Quote(value) +
                                            (SameIgnoringCase(value, L"yes")
                                                 ? L", which is not spelled exactly \"yes\""
                                                 : std::wstring(L", neither \"yes\" nor \"no\"")) +
                                            L": the button counts as not visible");
                    }
                    break;
            }
        });
    // Each event as the button will fire it, named at the element that wrote the Event the
    // button keeps (a later element of the same Id changes only what it carries); without one,
    // at the element that gave the Type.
    std::array<uint32_t, kBoundButtonCount> eventLines{};
    std::array<uint32_t, kBoundButtonCount> typeLines{};
    for (const PLATFORM::CXmlNode& child : gauge.Children()) {
        const int32_t id = child.HasAttributes()
                               ? ReadButtonId(child.GetAttribute(L"Id").value_or(std::wstring()))
                               : 0;
        if (id >= 1 && id <= kBoundButtonCount) {
            const auto i = static_cast<size_t>(id - 1);
            if (child.GetAttribute(L"Event")) {
                eventLines[i] = lineOf(child);
            }
            if (child.GetAttribute(L"Type")) {
                typeLines[i] = lineOf(child);
            }
        }
    }
    for (size_t i = 0; i < bindings.size(); ++i) {
        if (bindings[i].number != 0) {
            CheckEvent(bindings[i], eventLines[i] != 0 ? eventLines[i] : typeLines[i]);
        }
    }
}

void CConfigurationCheck::CheckEvent(const ButtonBinding& binding, uint32_t line) {
    const SimRegistry& registry = GetSimRegistry();
    const std::string event = Narrow(binding.event);
    switch (binding.eventType) {
        case kEventKey:
            if (registry.keyNames.find(event) == registry.keyNames.end()) {
                findings_.Error(shown_, line,
                                L"the Event " + Quote(binding.event) +
                                    L" is not a simulator key name: the button strokes key 0" +
                                    Suggestion(event, registry.keyNames));
            }
            break;
        case kEventButton:
            if (registry.joystickNames.find(event) == registry.joystickNames.end()) {
                findings_.Error(shown_, line,
                                L"the Event " + Quote(binding.event) +
                                    L" is not a simulator joystick-button name: the button "
                                    L"presses button 0, which does nothing" +
                                    Suggestion(event, registry.joystickNames));
            }
            break;
        case kEventVInput: {
            // The parts as written, to name them in the messages.
            std::vector<std::string> parts;
            for (size_t start = 0;;) {
                const size_t plus = event.find('+', start);
                std::string part =
                    event.substr(start, plus == std::string::npos ? plus : plus - start);
                part.erase(0, part.find_first_not_of(" \t"));
                part.erase(part.find_last_not_of(" \t") + 1);
                parts.push_back(part);
                if (plus == std::string::npos) {
                    break;
                }
                start = plus + 1;
            }
            const std::vector<std::string> keys = UTILITY::KeyCombinationNames(event);
            for (size_t i = 0; i < keys.size() && i < parts.size(); ++i) {
                if (registry.virtualKeyNames.find(keys[i]) == registry.virtualKeyNames.end()) {
                    findings_.Error(shown_, line,
                                    L"the Event " + Quote(binding.event) + L" names the key " +
                                        Quote(Widen(parts[i])) + L" (" + Widen(keys[i]) +
                                        L"), which does not exist: key 0 is sent for it" +
                                        Suggestion(keys[i], registry.virtualKeyNames, "VK_", true));
                }
            }
            break;
        }
        case kEventCommand:
            if (binding.event.empty()) {
                findings_.Error(shown_, line,
                                L"the button runs a Command but its Event names none: it does "
                                L"nothing");
            }
            break;
        default:
            break;
    }
}

void CConfigurationCheck::CheckPages(const PLATFORM::CXmlDocument& document) {
    std::vector<PLATFORM::CXmlNode> pages;
    document.SelectNodes(CHotasPanel::kPageXPath, pages);
    std::vector<std::wstring> names(CHotasPanel::kPageNames.begin(), CHotasPanel::kPageNames.end());
    for (const PLATFORM::CXmlNode& page : pages) {
        const uint32_t line = lines_->LineOf(page);
        const std::wstring name = page.Name();
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            const std::wstring meant = SuggestedName(name, names);
            findings_.Error(shown_, line,
                            L"the stick has no page " + name +
                                (meant.empty() ? L"" : L" (did you mean " + meant + L"?)") +
                                L": it is left out");
        } else if (name == L"ComNav") {
            const std::optional<std::wstring> radio = page.GetAttribute(L"radio1");
            if (!radio) {
                findings_.Error(shown_, line,
                                L"a ComNav page without radio1 (\"true\" for COM1 and NAV1, "
                                L"\"false\" for COM2 and NAV2) is left out");
            } else if (*radio != L"true" && *radio != L"false") {
                findings_.Error(shown_, line,
                                L"radio1 " + Quote(*radio) +
                                    L" is neither \"true\" nor \"false\" (spelled exactly): the "
                                    L"ComNav page is left out");
            }
        }
    }
}

void CConfigurationCheck::CheckMemoryFile(const std::filesystem::path& file) {
    const std::string shown = ShownPath(file);
    findings_.Reading(shown);
    PLATFORM::CXmlDocument document;
    document.Create();
    if (const PLATFORM::XmlStatus loaded = document.LoadFile(WideOfPath(file)); !loaded) {
        findings_.Error(shown, loaded.line,
                        L"the file does not read as XML: screen panels start with their first "
                        L"gauge, and the plug-in replaces the file when it stops: " +
                            loaded.message);
        return;
    }
    CXmlLines lines;
    lines.Read(file, document);
    const PLATFORM::CXmlNode root = document.DocumentElement();
    if (root.Name() != L"ScreenList") {
        findings_.Error(shown, lines.LineOf(root),
                        L"the root element is " + root.Name() +
                            L", not ScreenList: screen panels start with their first gauge, and "
                            L"the plug-in replaces the file when it stops");
        return;
    }
    std::map<std::wstring, uint32_t> serials;
    std::vector<PLATFORM::CXmlNode> screens;
    document.SelectNodes(L"//ScreenList/Screen", screens);
    for (const PLATFORM::CXmlNode& screen : screens) {
        const uint32_t line = lines.LineOf(screen);
        const std::optional<std::wstring> serial = screen.GetAttribute(L"Serial");
        if (!serial) {
            findings_.Warning(shown, line, L"a Screen without Serial belongs to no panel");
            continue;
        }
        if (const auto [first, added] = serials.emplace(*serial, line); !added) {
            findings_.Warning(shown, line,
                              L"serial number " + Quote(*serial) +
                                  L" is remembered again: only the Screen at line " +
                                  std::to_wstring(first->second) + L" is read");
            continue;
        }
        const std::optional<std::wstring> name = screen.GetAttribute(L"Name");
        if (!name) {
            findings_.Warning(shown, line,
                              L"a Screen without Name: the panel starts with its first gauge, "
                              L"and the plug-in never records one here");
        } else if (knownGauges_.find(*name) == knownGauges_.end()) {
            findings_.Warning(shown, line,
                              L"the gauge " + Quote(*name) +
                                  L" is not in the gauge list: the panel starts with its first "
                                  L"gauge");
        }
    }
}

}  // namespace XPL::CHECKTOOL
