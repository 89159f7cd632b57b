#include "lens_check.h"

#include <algorithm>
#include <map>
#include <vector>

#include "panels/lamp_panel.h"
#include "platform/xml.h"
#include "sim/xml_lines.h"
#include "spelling.h"

namespace XPL::CHECKTOOL {

namespace {

using Panel = CLampPanel;

// One Lense as the panel read it, with its place.
struct Binding {
    std::wstring tile;
    uint32_t line = 0;            // of its Lense
    uint32_t assignmentLine = 0;  // of the Assignment that placed it
    int32_t lens = -1;            // -1 when it lights no lens
};

// The line of the last child element named name (the one the panel keeps), or fallback.
uint32_t LastChildLine(const PLATFORM::CXmlNode& parent, std::wstring_view name, const auto& lineOf,
                       uint32_t fallback) {
    uint32_t line = fallback;
    for (const PLATFORM::CXmlNode& child : parent.Children()) {
        if (child.Type() == PLATFORM::XmlNodeType::Element && child.Name() == name) {
            line = lineOf(child, fallback);
        }
    }
    return line;
}

std::vector<std::wstring> Names(const auto& list) {
    std::vector<std::wstring> names;
    for (const auto& entry : list) {
        if constexpr (requires { entry.name; }) {
            names.emplace_back(entry.name);
        } else {
            names.emplace_back(entry);
        }
    }
    return names;
}

// The place of a tile in the frame's writing order (a profile's conditions come after the
// built-in ones, before the master step, in the profile's order), and whether two tiles are
// written in the same frame for some engine count.
size_t WriteRank(const std::wstring& tile, const std::vector<std::wstring>& conditions) {
    const size_t master = Panel::kWriteOrder.size() - 2;
    for (size_t i = 0; i < Panel::kWriteOrder.size(); ++i) {
        if (tile == Panel::kWriteOrder[i].name) {
            return i < master ? i : i + conditions.size();
        }
    }
    const auto found = std::find(conditions.begin(), conditions.end(), tile);
    return master + static_cast<size_t>(found - conditions.begin());
}

uint8_t EnginesOf(size_t rank, const std::vector<std::wstring>& conditions) {
    const size_t master = Panel::kWriteOrder.size() - 2;
    if (rank < master) {
        return Panel::kWriteOrder[rank].engines;
    }
    return rank < master + conditions.size() ? Panel::kAnyEngineCount
                                             : Panel::kWriteOrder[rank - conditions.size()].engines;
}

bool WrittenTogether(size_t a, size_t b, const std::vector<std::wstring>& conditions) {
    const uint8_t ea = EnginesOf(a, conditions);
    const uint8_t eb = EnginesOf(b, conditions);
    return ea == Panel::kAnyEngineCount || eb == Panel::kAnyEngineCount || (ea & eb) != 0;
}

// A profile's programming for every lamp panel, kept apart from every serial number (no
// attribute can hold U+FFFF).
const std::wstring kEveryPanel(1, L'\xFFFF');

std::wstring Quote(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

}  // namespace

void CLensCheck::Check(const std::filesystem::path& file, const std::string& shown,
                       const std::vector<std::wstring>& conditions) {
    PLATFORM::CXmlDocument document;
    if (const PLATFORM::XmlStatus created = document.Create(); !created) {
        findings_.Error(shown, 0, L"the XML reader cannot be made: " + created.message);
        return;
    }
    if (const PLATFORM::XmlStatus loaded = document.LoadFile(WideOfPath(file)); !loaded) {
        findings_.Error(
            shown, loaded.line,
            L"the file does not read as XML, so every lens stays dark: " + loaded.message);
        return;
    }
    CXmlLines lines;
    lines.Read(file, document);
    CheckProgrammings(document, lines, shown, false, conditions);
}

void CLensCheck::CheckProfile(const PLATFORM::CXmlDocument& document, const CXmlLines& lines,
                              const std::string& shown,
                              const std::vector<std::wstring>& conditions) {
    CheckProgrammings(document, lines, shown, true, conditions);
}

void CLensCheck::CheckProgrammings(const PLATFORM::CXmlDocument& document, const CXmlLines& lines,
                                   const std::string& shown, bool profile,
                                   const std::vector<std::wstring>& conditions) {
    const auto lineOf = [&](const PLATFORM::CXmlNode& node, uint32_t fallback = 0) {
        const uint32_t line = lines.LineOf(node);
        return line != 0 ? line : fallback;
    };

    std::vector<PLATFORM::CXmlNode> programmings;
    document.SelectNodes(Panel::kProgrammingXPath, programmings);
    std::vector<PLATFORM::CXmlNode> strays;
    document.SelectNodes(L"//LampProgramming[not(parent::Lamp)]", strays);
    for (const PLATFORM::CXmlNode& stray : strays) {
        findings_.Error(shown, lineOf(stray),
                        L"a LampProgramming outside a Lamp element is not read");
    }
    if (programmings.empty() && !profile) {
        const PLATFORM::CXmlNode root = document.DocumentElement();
        findings_.Error(shown, lineOf(root),
                        L"no LampProgramming inside a Lamp element (the root element is " +
                            root.Name() + L"): the file programs no panel");
        return;
    }

    std::vector<std::wstring> tiles = Names(Panel::kTileNames);
    tiles.insert(tiles.end(), conditions.begin(), conditions.end());
    const std::vector<std::wstring> colours = Names(Panel::kColourNames);
    const std::vector<std::wstring> parts = {L"Id", L"Colour", L"Assignment"};
    // Per serial number: where its first programming starts, and the final binding of each tile.
    std::map<std::wstring, uint32_t> firstLine;
    std::map<std::wstring, std::map<std::wstring, Binding>> bound;
    std::vector<std::wstring> serials;
    std::map<std::wstring, size_t> lensCount;

    for (const PLATFORM::CXmlNode& programming : programmings) {
        const uint32_t programmingLine = lineOf(programming);
        std::optional<std::wstring> serial = programming.GetAttribute(L"Id");
        if (!serial && profile) {
            serial = kEveryPanel;
        }
        if (!serial) {
            findings_.Error(shown, programmingLine,
                            L"a LampProgramming without Id (the panel's serial number) programs "
                            L"no panel");
            continue;
        }
        if (const auto [first, inserted] = firstLine.emplace(*serial, programmingLine); inserted) {
            serials.push_back(*serial);
        } else {
            findings_.Warning(shown, programmingLine,
                              (*serial == kEveryPanel ? std::wstring(L"every lamp panel")
                                                      : L"serial number " + Quote(*serial)) +
                                  L" is programmed again (first at line " +
                                  std::to_wstring(first->second) +
                                  L"): the Lense elements of both apply, later ones winning");
        }
        for (const PLATFORM::CXmlNode& child : programming.Children()) {
            if (child.Type() == PLATFORM::XmlNodeType::Element && child.Name() != L"Lense") {
                findings_.Warning(shown, lineOf(child, programmingLine),
                                  L"the element " + child.Name() +
                                      L" is not read: a LampProgramming holds Lense elements");
            }
        }
        std::vector<PLATFORM::CXmlNode> lenses;
        programming.SelectNodes(Panel::kLenseXPath, lenses);
        for (const PLATFORM::CXmlNode& lense : lenses) {
            const uint32_t lenseLine = lineOf(lense, programmingLine);
            const Panel::LenseReading reading = Panel::ReadLense(
                lense, [&](Panel::LenseFault fault, const PLATFORM::CXmlNode& child,
                           const std::wstring& text) {
                    const uint32_t line = lineOf(child, lenseLine);
                    if (fault == Panel::LenseFault::InvalidColour) {
                        const auto same = std::find_if(
                            colours.begin(), colours.end(),
                            [&](const auto& name) { return SameIgnoringCase(name, text); });
                        findings_.Error(
                            shown, line,
                            L"the colour " + Quote(text) + L" is not read: colours are " +
                                (same != colours.end() ? L"spelled exactly " + Quote(*same)
                                                       : std::wstring(L"Green, Red or Amber")));
                    } else if (fault == Panel::LenseFault::InvalidLens) {
                        findings_.Error(shown, line,
                                        L"lens " + Quote(text) +
                                            L" does not exist: lenses are 0 to 23 (-1 for none)");
                    } else if (text == L"#comment") {
                        findings_.Warning(shown, line,
                                          L"a comment inside a Lense is reported by the plug-in "
                                          L"as an invalid element; put it outside");
                    } else if (child.Type() != PLATFORM::XmlNodeType::Element) {
                        findings_.Error(shown, line, L"text directly inside a Lense is not read");
                    } else {
                        const std::wstring meant = SuggestedName(text, parts);
                        findings_.Error(
                            shown, line,
                            L"the element " + text +
                                L" is not read: a Lense holds Id, Colour and Assignment" +
                                (meant.empty() ? L"" : L" (did you mean " + meant + L"?)"));
                    }
                });
            if (!reading.hasId) {
                findings_.Error(shown, lenseLine, L"a Lense without Id programs nothing");
                continue;
            }
            if (std::find(tiles.begin(), tiles.end(), reading.name) == tiles.end()) {
                const std::wstring meant = SuggestedName(reading.name, tiles);
                findings_.Error(
                    shown, LastChildLine(lense, L"Id", lineOf, lenseLine),
                    L"the condition " + Quote(reading.name) + L" is unknown" +
                        (meant.empty() ? L"" : L" (did you mean " + Quote(meant) + L"?)") +
                        L", so the Lense programs nothing");
                continue;
            }
            if (!reading.hasColour) {
                findings_.Error(shown, lenseLine,
                                L"a Lense without Colour lights no lens: " + reading.name +
                                    L" stays unprogrammed");
            }
            if (!reading.hasAssignment) {
                findings_.Error(shown, lenseLine,
                                L"a Lense without Assignment lights no lens: " + reading.name +
                                    L" stays unprogrammed");
            }
            auto& tilesOfSerial = bound[*serial];
            if (const auto earlier = tilesOfSerial.find(reading.name);
                earlier != tilesOfSerial.end()) {
                findings_.Warning(shown, lenseLine,
                                  reading.name +
                                      L" is programmed again: this Lense replaces "
                                      L"the one at line " +
                                      std::to_wstring(earlier->second.line));
            }
            const bool lights = reading.colour != Panel::kUnprogrammed && reading.lens >= 0;
            tilesOfSerial[reading.name] = Binding{
                reading.name, lenseLine, LastChildLine(lense, L"Assignment", lineOf, lenseLine),
                lights ? reading.lens : -1};
        }
    }

    // Tiles that share a lens: in a frame written together, the later one decides the lens.
    for (const auto& [serial, tilesOfSerial] : bound) {
        std::map<int32_t, std::vector<const Binding*>> byLens;
        for (const auto& [tile, binding] : tilesOfSerial) {
            if (binding.lens >= 0) {
                byLens[binding.lens].push_back(&binding);
            }
        }
        size_t programmed = 0;
        for (auto& [lens, sharing] : byLens) {
            programmed += sharing.size();
            std::sort(sharing.begin(), sharing.end(),
                      [&conditions](const Binding* a, const Binding* b) {
                          return WriteRank(a->tile, conditions) < WriteRank(b->tile, conditions);
                      });
            for (size_t i = 0; i < sharing.size(); ++i) {
                const Binding* decider = nullptr;
                for (size_t k = i + 1; k < sharing.size(); ++k) {
                    if (WrittenTogether(WriteRank(sharing[i]->tile, conditions),
                                        WriteRank(sharing[k]->tile, conditions), conditions)) {
                        decider = sharing[k];
                    }
                }
                if (decider != nullptr) {
                    findings_.Warning(shown, sharing[i]->assignmentLine,
                                      L"lens " + std::to_wstring(lens) +
                                          L" is also programmed for " + decider->tile + L" (line " +
                                          std::to_wstring(decider->assignmentLine) +
                                          L"), which the plug-in writes later in each frame: " +
                                          decider->tile + L" decides the lens, lit or dark, so " +
                                          sharing[i]->tile + L" does not show");
                }
            }
        }
        lensCount[serial] = programmed;
    }
    // A profile's programming is told by the aircraft's description instead.
    for (const std::wstring& serial : profile ? std::vector<std::wstring>() : serials) {
        findings_.Note(shown, firstLine[serial],
                       L"programs the lamp panel with serial number " + Quote(serial) + L": " +
                           std::to_wstring(lensCount[serial]) +
                           (lensCount[serial] == 1 ? L" lens" : L" lenses"));
    }
}

}  // namespace XPL::CHECKTOOL
