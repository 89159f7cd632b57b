#include "configuration_document.h"

#include <algorithm>

#include "hotas/hotas_panel.h"
#include "screen/screen_panel.h"
#include "tool_text.h"
#include "xml_map.h"

namespace XPL::STUDIO {

namespace {

// The children of a Gauge that bind a button, by its number (those a reader skips left out).
std::map<int32_t, std::vector<PLATFORM::CXmlNode>> ButtonChildren(const PLATFORM::CXmlNode& gauge) {
    std::map<int32_t, std::vector<PLATFORM::CXmlNode>> children;
    for (const PLATFORM::CXmlNode& child : gauge.Children()) {
        if (!child.HasAttributes()) {
            continue;
        }
        const int32_t id = ReadButtonId(child.GetAttribute(L"Id").value_or(std::wstring()));
        if (id >= 1 && id <= kBoundButtonCount) {
            children[id].push_back(child);
        }
    }
    return children;
}

// Attribute changes of one element, made into edits together so that added attributes share
// one insertion.
class CAttributeEdits {
public:
    explicit CAttributeEdits(const CXmlText& text) : text_(text) {}
    void Set(size_t element, const std::string& name, const std::wstring& value) {
        changes_[element].push_back({name, value});
    }
    void Remove(size_t element, const std::string& name) {
        changes_[element].push_back({name, std::nullopt});
    }
    void Drop(size_t element) { changes_.erase(element); }
    void AppendTo(std::vector<TextEdit>& edits) const {
        for (const auto& [index, changes] : changes_) {
            const CXmlText::Element& element = text_.Elements()[index];
            std::string added;
            for (const auto& [name, value] : changes) {
                const CXmlText::Attribute* attribute = element.Find(name);
                if (attribute != nullptr) {
                    edits.push_back(value ? text_.SetAttributeValue(*attribute, *value)
                                          : text_.RemoveAttribute(*attribute));
                } else if (value) {
                    added += text_.NewAttribute(name, *value);
                }
            }
            if (!added.empty()) {
                const size_t at = text_.AttributeInsertPoint(element);
                edits.push_back({at, at, added});
            }
        }
    }

private:
    const CXmlText& text_;
    std::map<size_t, std::vector<std::pair<std::string, std::optional<std::wstring>>>> changes_;
};

std::string ButtonMarkup(const CXmlText& text, int32_t id, const ButtonAttributes& attributes) {
    std::string markup = "<Button Id=\"" + std::to_string(id) + "\"";
    for (const wchar_t* name : kButtonAttributes) {
        if (const auto found = attributes.find(name); found != attributes.end()) {
            markup += text.NewAttribute(TOOLS::Narrow(name), found->second);
        }
    }
    return markup + "/>";
}

std::string GaugeMarkup(const CXmlText& text, const GaugeEntry& gauge, const std::string& indent) {
    std::string markup = "<Gauge";
    if (gauge.file) {
        markup += text.NewAttribute("File", *gauge.file);
    }
    std::string buttons;
    for (int32_t id = 1; id <= kBoundButtonCount; ++id) {
        if (const auto& button = gauge.buttons[static_cast<size_t>(id - 1)]) {
            buttons +=
                text.LineEnd() + indent + text.IndentUnit() + ButtonMarkup(text, id, *button);
        }
    }
    return buttons.empty() ? markup + "/>"
                           : markup + ">" + buttons + text.LineEnd() + indent + "</Gauge>";
}

std::string PageMarkup(const CXmlText& text, const PageEntry& page) {
    std::string markup(1, '<');
    markup += TOOLS::Narrow(page.name);
    if (page.radio1) {
        markup += text.NewAttribute("radio1", *page.radio1);
    }
    return markup + "/>";
}

// The edits that make one Gauge element read as wanted.
std::vector<TextEdit> GaugeEdits(const CXmlText& text, const PLATFORM::CXmlNode& gauge,
                                 const GaugeEntry& have, const GaugeEntry& want) {
    std::vector<TextEdit> edits;
    CAttributeEdits attributes(text);
    const size_t self = DocumentIndex(gauge);
    if (want.file != have.file) {
        want.file ? attributes.Set(self, "File", *want.file) : attributes.Remove(self, "File");
    }
    const auto children = ButtonChildren(gauge);
    std::vector<size_t> removed;
    std::vector<std::string> added;
    for (int32_t id = 1; id <= kBoundButtonCount; ++id) {
        const auto& wantButton = want.buttons[static_cast<size_t>(id - 1)];
        const auto& haveButton = have.buttons[static_cast<size_t>(id - 1)];
        const auto found = children.find(id);
        if (!wantButton) {
            if (found != children.end()) {
                for (const PLATFORM::CXmlNode& child : found->second) {
                    removed.push_back(DocumentIndex(child));
                    attributes.Drop(removed.back());
                    edits.push_back(text.Remove(text.Elements()[removed.back()]));
                }
            }
            continue;
        }
        if (found == children.end()) {
            added.push_back(ButtonMarkup(text, id, *wantButton));
            continue;
        }
        for (const wchar_t* name : kButtonAttributes) {
            const auto wantValue = wantButton->find(name);
            const auto haveValue = haveButton ? haveButton->find(name) : wantButton->end();
            const bool wanted = wantValue != wantButton->end();
            const bool had = haveButton && haveValue != haveButton->end();
            if (wanted == had && (!wanted || wantValue->second == haveValue->second)) {
                continue;
            }
            const std::string attribute = TOOLS::Narrow(name);
            if (!wanted) {
                for (const PLATFORM::CXmlNode& child : found->second) {
                    if (child.GetAttribute(name)) {
                        attributes.Remove(DocumentIndex(child), attribute);
                    }
                }
                continue;
            }
            // Where the plug-in reads it from: the last child carrying it, else the last one.
            const PLATFORM::CXmlNode* carrier = &found->second.back();
            for (const PLATFORM::CXmlNode& child : found->second) {
                if (child.GetAttribute(name)) {
                    carrier = &child;
                }
            }
            attributes.Set(DocumentIndex(*carrier), attribute, wantValue->second);
        }
    }
    attributes.AppendTo(edits);
    if (!added.empty()) {
        edits.push_back(text.AppendChildren(text.Elements()[self], added, removed));
    }
    return edits;
}

const GaugeEntry* FindGauge(const ConfigurationModel& model, size_t ref) {
    for (const GaugeEntry& gauge : model.gauges) {
        if (gauge.ref == ref) {
            return &gauge;
        }
    }
    return nullptr;
}

}  // namespace

bool ConfigurationModel::SameReading(const ConfigurationModel& other) const {
    if (gauges.size() != other.gauges.size() || pages.size() != other.pages.size()) {
        return false;
    }
    for (size_t i = 0; i < gauges.size(); ++i) {
        if (gauges[i].file != other.gauges[i].file ||
            gauges[i].buttons != other.gauges[i].buttons) {
            return false;
        }
    }
    for (size_t i = 0; i < pages.size(); ++i) {
        if (pages[i].name != other.pages[i].name || pages[i].radio1 != other.pages[i].radio1) {
            return false;
        }
    }
    return true;
}

ConfigurationModel ReadConfigurationModel(const PLATFORM::CXmlDocument& document) {
    ConfigurationModel model;
    std::vector<PLATFORM::CXmlNode> gauges;
    document.SelectNodes(CScreenPanel::kGaugeXPath, gauges);
    for (const PLATFORM::CXmlNode& gauge : gauges) {
        GaugeEntry entry;
        entry.ref = DocumentIndex(gauge);
        entry.file = gauge.GetAttribute(L"File");
        for (const auto& [id, children] : ButtonChildren(gauge)) {
            ButtonAttributes& attributes = entry.buttons[static_cast<size_t>(id - 1)].emplace();
            for (const PLATFORM::CXmlNode& child : children) {
                for (const wchar_t* name : kButtonAttributes) {
                    if (const std::optional<std::wstring> value = child.GetAttribute(name)) {
                        attributes[name] = *value;
                    }
                }
            }
        }
        model.gauges.push_back(std::move(entry));
    }
    std::vector<PLATFORM::CXmlNode> pages;
    document.SelectNodes(CHotasPanel::kPageXPath, pages);
    for (const PLATFORM::CXmlNode& page : pages) {
        model.pages.push_back({DocumentIndex(page), page.Name(), page.GetAttribute(L"radio1")});
    }
    return model;
}

bool ComposeConfiguration(const CXmlText& text, const PLATFORM::CXmlDocument& document,
                          const ConfigurationModel& wanted, std::string& composed,
                          std::string& why) {
    const auto& elements = text.Elements();
    const ConfigurationModel current = ReadConfigurationModel(document);
    std::vector<PLATFORM::CXmlNode> gaugeNodes;
    document.SelectNodes(CScreenPanel::kGaugeXPath, gaugeNodes);
    std::vector<TextEdit> edits;

    // The gauges: the n-th entry wanted takes the place of the n-th Gauge element.
    const auto nodeOf = [&](size_t ref) -> const PLATFORM::CXmlNode* {
        for (size_t i = 0; i < current.gauges.size(); ++i) {
            if (current.gauges[i].ref == ref) {
                return &gaugeNodes[i];
            }
        }
        return nullptr;
    };
    std::vector<std::string> extraGauges;
    for (size_t i = 0; i < wanted.gauges.size(); ++i) {
        const GaugeEntry& want = wanted.gauges[i];
        const GaugeEntry* have = FindGauge(current, want.ref);
        const PLATFORM::CXmlNode* node = have != nullptr ? nodeOf(want.ref) : nullptr;
        if (i < current.gauges.size()) {
            const CXmlText::Element& slot = elements[current.gauges[i].ref];
            if (node != nullptr && want.ref == current.gauges[i].ref) {
                const std::vector<TextEdit> own = GaugeEdits(text, *node, *have, want);
                edits.insert(edits.end(), own.begin(), own.end());
            } else if (node != nullptr) {
                const CXmlText::Element& moved = elements[want.ref];
                edits.push_back(
                    {slot.begin, slot.end,
                     ApplyEdits(
                         std::string_view(text.Text()).substr(moved.begin, moved.end - moved.begin),
                         GaugeEdits(text, *node, *have, want), moved.begin)});
            } else {
                edits.push_back(
                    {slot.begin, slot.end, GaugeMarkup(text, want, text.IndentOf(slot))});
            }
        } else {
            extraGauges.push_back(
                node != nullptr
                    ? ApplyEdits(std::string_view(text.Text())
                                     .substr(elements[want.ref].begin,
                                             elements[want.ref].end - elements[want.ref].begin),
                                 GaugeEdits(text, *node, *have, want), elements[want.ref].begin)
                    : std::string());
            if (node == nullptr) {
                extraGauges.back() = "\x01";  // made once the indentation is known
            }
        }
    }
    for (size_t i = wanted.gauges.size(); i < current.gauges.size(); ++i) {
        edits.push_back(text.Remove(elements[current.gauges[i].ref]));
    }
    const PLATFORM::CXmlNode root = document.SelectSingleNode(L"//GaugeList");
    if (!extraGauges.empty()) {
        std::string indent;
        if (!current.gauges.empty()) {
            indent = text.IndentOf(elements[current.gauges.back().ref]);
        } else if (root) {
            indent = text.IndentOf(elements[DocumentIndex(root)]) + text.IndentUnit();
        } else {
            why = "the file has no GaugeList element to add a gauge to";
            return false;
        }
        for (size_t k = 0; k < extraGauges.size(); ++k) {
            if (extraGauges[k] == "\x01") {
                extraGauges[k] =
                    GaugeMarkup(text, wanted.gauges[current.gauges.size() + k], indent);
            }
        }
        edits.push_back(!current.gauges.empty()
                            ? text.InsertAfter(elements[current.gauges.back().ref], extraGauges)
                            : text.AppendChildren(elements[DocumentIndex(root)], extraGauges));
    }

    // The pages: the same, with a page whose name changes written anew.
    std::vector<std::string> extraPages;
    for (size_t i = 0; i < wanted.pages.size(); ++i) {
        const PageEntry& want = wanted.pages[i];
        const PageEntry* have = nullptr;
        for (const PageEntry& page : current.pages) {
            have = page.ref == want.ref ? &page : have;
        }
        std::string markup;
        if (have == nullptr || have->name != want.name) {
            markup = PageMarkup(text, want);
        } else {
            CAttributeEdits attributes(text);
            if (want.radio1 != have->radio1) {
                want.radio1 ? attributes.Set(have->ref, "radio1", *want.radio1)
                            : attributes.Remove(have->ref, "radio1");
            }
            std::vector<TextEdit> own;
            attributes.AppendTo(own);
            if (i < current.pages.size() && current.pages[i].ref == have->ref) {
                edits.insert(edits.end(), own.begin(), own.end());
                continue;
            }
            const CXmlText::Element& element = elements[have->ref];
            markup = ApplyEdits(
                std::string_view(text.Text()).substr(element.begin, element.end - element.begin),
                own, element.begin);
        }
        if (i < current.pages.size()) {
            const CXmlText::Element& slot = elements[current.pages[i].ref];
            edits.push_back({slot.begin, slot.end, markup});
        } else {
            extraPages.push_back(markup);
        }
    }
    for (size_t i = wanted.pages.size(); i < current.pages.size(); ++i) {
        edits.push_back(text.Remove(elements[current.pages[i].ref]));
    }
    if (!extraPages.empty()) {
        if (!current.pages.empty()) {
            edits.push_back(text.InsertAfter(elements[current.pages.back().ref], extraPages));
        } else if (const PLATFORM::CXmlNode hotas = document.SelectSingleNode(L"//GaugeList/Hotas");
                   hotas) {
            edits.push_back(text.AppendChildren(elements[DocumentIndex(hotas)], extraPages));
        } else if (root) {
            const CXmlText::Element& list = elements[DocumentIndex(root)];
            const std::string indent = text.IndentOf(list) + text.IndentUnit();
            std::string markup = "<Hotas>";
            for (const std::string& page : extraPages) {
                markup += text.LineEnd() + indent + text.IndentUnit() + page;
            }
            markup += text.LineEnd() + indent + "</Hotas>";
            // After the gauges added above, when the list had none before.
            std::vector<std::string> both;
            if (current.gauges.empty() && !extraGauges.empty()) {
                both = extraGauges;
                edits.pop_back();
            }
            both.push_back(markup);
            edits.push_back(text.AppendChildren(list, both));
        } else {
            why = "the file has no GaugeList element to add the stick's pages to";
            return false;
        }
    }
    composed = ApplyEdits(text.Text(), edits);
    return true;
}

}  // namespace XPL::STUDIO
