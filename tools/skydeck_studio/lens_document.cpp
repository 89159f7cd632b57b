#include "lens_document.h"

#include <algorithm>

#include "tool_text.h"
#include "xml_map.h"

namespace XPL::STUDIO {

namespace {

using Panel = CLampPanel;

bool SameTile(const Panel::Tile& a, const Panel::Tile& b) {
    return a.colour == b.colour && a.lens == b.lens;
}

std::wstring ColourWord(uint32_t colour) {
    return colour >= Panel::kGreen && colour <= Panel::kAmber ? Panel::kColourNames[colour - 1]
                                                              : L"";
}

std::vector<PLATFORM::CXmlNode> ProgrammingsOf(const PLATFORM::CXmlDocument& document) {
    std::vector<PLATFORM::CXmlNode> programmings;
    document.SelectNodes(Panel::kProgrammingXPath, programmings);
    return programmings;
}

const PLATFORM::CXmlNode* ChildNamed(const std::vector<PLATFORM::CXmlNode>& children,
                                     std::wstring_view name) {
    // The reader takes each child in turn, so the last of a name decides.
    const PLATFORM::CXmlNode* found = nullptr;
    for (const PLATFORM::CXmlNode& child : children) {
        if (child.Name() == name) {
            found = &child;
        }
    }
    return found;
}

}  // namespace

bool LensPanel::operator==(const LensPanel& other) const {
    if (serial != other.serial || tiles.size() != other.tiles.size()) {
        return false;
    }
    for (const auto& [name, tile] : tiles) {
        const auto found = other.tiles.find(name);
        if (found == other.tiles.end() || !SameTile(tile, found->second)) {
            return false;
        }
    }
    return true;
}

namespace {

// The built-in conditions, then the profiles'.
std::vector<std::wstring> ConditionNames(const std::vector<std::wstring>& conditions) {
    std::vector<std::wstring> names(Panel::kTileNames.begin(), Panel::kTileNames.end());
    names.insert(names.end(), conditions.begin(), conditions.end());
    return names;
}

}  // namespace

LensModel ReadLensModel(const PLATFORM::CXmlDocument& document,
                        const std::vector<std::wstring>& conditions) {
    const std::vector<std::wstring> names = ConditionNames(conditions);
    LensModel model;
    for (const PLATFORM::CXmlNode& programming : ProgrammingsOf(document)) {
        const std::optional<std::wstring> serial = programming.GetAttribute(L"Id");
        if (!serial || std::any_of(model.begin(), model.end(), [&](const LensPanel& panel) {
                return panel.serial == *serial;
            })) {
            continue;
        }
        LensPanel panel;
        panel.serial = *serial;
        // The panel's own selection: every programming of this serial, in document order.
        std::vector<PLATFORM::CXmlNode> lenses;
        document.SelectNodes(Panel::LenseXPathFor(*serial), lenses);
        for (const PLATFORM::CXmlNode& lense : lenses) {
            const Panel::LenseReading reading = Panel::ReadLense(
                lense, [](Panel::LenseFault, const PLATFORM::CXmlNode&, const std::wstring&) {});
            if (std::find(names.begin(), names.end(), reading.name) == names.end()) {
                continue;
            }
            Panel::Tile& tile = panel.tiles[reading.name];
            tile.name = reading.name;
            Panel::Program(tile, reading);
        }
        std::erase_if(panel.tiles, [](const auto& entry) {
            return entry.second.colour == Panel::kUnprogrammed;
        });
        model.push_back(std::move(panel));
    }
    return model;
}

bool ComposeLens(const CXmlText& text, const PLATFORM::CXmlDocument& document,
                 const LensModel& wanted, std::string& composed, std::string& why,
                 const std::vector<std::wstring>& conditions) {
    const auto& elements = text.Elements();
    const auto lenseMarkup = [&](const Panel::Tile& tile) {
        return "<Lense><Id>" + text.Escape(tile.name, 0) + "</Id><Colour>" +
               TOOLS::Narrow(ColourWord(tile.colour)) + "</Colour><Assignment>" +
               std::to_string(tile.lens) + "</Assignment></Lense>";
    };
    const LensModel current = ReadLensModel(document, conditions);
    const std::vector<PLATFORM::CXmlNode> programmings = ProgrammingsOf(document);
    std::vector<TextEdit> edits;

    // Panels no longer wanted lose every programming of theirs.
    for (const PLATFORM::CXmlNode& programming : programmings) {
        const std::optional<std::wstring> serial = programming.GetAttribute(L"Id");
        if (serial && std::none_of(wanted.begin(), wanted.end(), [&](const LensPanel& panel) {
                return panel.serial == *serial;
            })) {
            edits.push_back(text.Remove(elements[DocumentIndex(programming)]));
        }
    }

    std::vector<std::string> newPanels;
    for (const LensPanel& panel : wanted) {
        std::vector<size_t> own;  // this serial's programmings, as element indexes
        for (const PLATFORM::CXmlNode& programming : programmings) {
            if (programming.GetAttribute(L"Id") == panel.serial) {
                own.push_back(DocumentIndex(programming));
            }
        }
        if (own.empty()) {
            const std::string inner = text.IndentUnit();
            std::string markup = "<LampProgramming Id=\"" + text.Escape(panel.serial, '"') + "\">";
            std::vector<const Panel::Tile*> tiles;
            for (const auto& [name, tile] : panel.tiles) {
                tiles.push_back(&tile);
            }
            std::sort(tiles.begin(), tiles.end(),
                      [](const Panel::Tile* a, const Panel::Tile* b) { return a->lens < b->lens; });
            // The container's indentation is added by the insertion; these lines go one deeper.
            for (const Panel::Tile* tile : tiles) {
                markup += text.LineEnd() + "\x01" + inner + lenseMarkup(*tile);
            }
            markup += text.LineEnd() + "\x01</LampProgramming>";
            newPanels.push_back(markup);
            continue;
        }
        const auto known = std::find_if(current.begin(), current.end(), [&](const LensPanel& p) {
            return p.serial == panel.serial;
        });
        std::vector<PLATFORM::CXmlNode> lenses;
        document.SelectNodes(Panel::LenseXPathFor(panel.serial), lenses);
        std::vector<size_t> removed;
        std::vector<std::string> added;
        for (const std::wstring& name : ConditionNames(conditions)) {
            const auto want = panel.tiles.find(std::wstring_view(name));
            const Panel::Tile* have = nullptr;
            if (known != current.end()) {
                if (const auto found = known->tiles.find(std::wstring_view(name));
                    found != known->tiles.end()) {
                    have = &found->second;
                }
            }
            const bool wantIt = want != panel.tiles.end();
            if ((!wantIt && have == nullptr) || (wantIt && have && SameTile(want->second, *have))) {
                continue;
            }
            std::vector<const PLATFORM::CXmlNode*> naming;
            for (const PLATFORM::CXmlNode& lense : lenses) {
                const Panel::LenseReading reading = Panel::ReadLense(
                    lense,
                    [](Panel::LenseFault, const PLATFORM::CXmlNode&, const std::wstring&) {});
                if (reading.name == name) {
                    naming.push_back(&lense);
                }
            }
            if (!wantIt) {
                for (const PLATFORM::CXmlNode* lense : naming) {
                    removed.push_back(DocumentIndex(*lense));
                    edits.push_back(text.Remove(elements[removed.back()]));
                }
                continue;
            }
            if (naming.empty()) {
                added.push_back(lenseMarkup(want->second));
                continue;
            }
            // The last Lense of the tile decides: its colour and lens are set.
            const PLATFORM::CXmlNode& lense = *naming.back();
            const std::vector<PLATFORM::CXmlNode> children = lense.Children();
            std::vector<std::string> missing;
            const auto setPart = [&](std::wstring_view part, const std::wstring& value) {
                if (const PLATFORM::CXmlNode* child = ChildNamed(children, part)) {
                    edits.push_back(text.SetContent(elements[DocumentIndex(*child)], value));
                } else {
                    // Built piece by piece: mingw-w64's g++ 12 warns falsely of "<" + string.
                    const std::string tag = TOOLS::Narrow(std::wstring(part));
                    std::string markup(1, '<');
                    markup.append(tag).append(">").append(text.Escape(value, 0));
                    markup.append("</").append(tag).append(">");
                    missing.push_back(std::move(markup));
                }
            };
            setPart(L"Colour", ColourWord(want->second.colour));
            setPart(L"Assignment", std::to_wstring(want->second.lens));
            if (!missing.empty()) {
                const CXmlText::Element& element = elements[DocumentIndex(lense)];
                std::string inline_;
                for (const std::string& part : missing) {
                    inline_ += part;
                }
                edits.push_back({element.contentEnd, element.contentEnd, inline_});
                if (element.empty) {
                    edits.back() = {element.startEnd - 2, element.startEnd,
                                    ">" + inline_ + "</" + element.name + ">"};
                }
            }
        }
        if (!added.empty()) {
            edits.push_back(text.AppendChildren(elements[own.back()], added, removed));
        }
    }
    if (!newPanels.empty()) {
        // Beside the last programming, or into the document's Lamp element.
        size_t container = CXmlText::kNone;
        if (!programmings.empty()) {
            container = elements[DocumentIndex(programmings.back())].parent;
        } else if (const PLATFORM::CXmlNode lamp = document.SelectSingleNode(L"//Lamp"); lamp) {
            container = DocumentIndex(lamp);
        }
        if (container == CXmlText::kNone) {
            why = "the file has no Lamp element to add a panel to";
            return false;
        }
        std::vector<size_t> removedPanels;
        for (const PLATFORM::CXmlNode& programming : programmings) {
            const std::optional<std::wstring> serial = programming.GetAttribute(L"Id");
            if (serial && std::none_of(wanted.begin(), wanted.end(),
                                       [&](const LensPanel& p) { return p.serial == *serial; })) {
                removedPanels.push_back(DocumentIndex(programming));
            }
        }
        const std::string outer = text.IndentOf(elements[container]) + text.IndentUnit();
        for (std::string& markup : newPanels) {
            for (size_t at = markup.find('\x01'); at != std::string::npos;
                 at = markup.find('\x01', at)) {
                markup.replace(at, 1, outer);
            }
        }
        edits.push_back(text.AppendChildren(elements[container], newPanels, removedPanels));
    }
    composed = ApplyEdits(text.Text(), edits);
    return true;
}

}  // namespace XPL::STUDIO
