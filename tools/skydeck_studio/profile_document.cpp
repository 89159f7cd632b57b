#include "profile_document.h"

#include <algorithm>

#include "sim/aircraft_profile.h"
#include "tool_text.h"
#include "xml_map.h"

namespace XPL::STUDIO {

namespace {

bool IsUse(const std::wstring& element) {
    return element == L"Command" || element == L"DataRef";
}

std::string EntryMarkup(const CXmlText& text, const ProfileEntry& entry) {
    std::string markup = "<" + TOOLS::Narrow(entry.element);
    for (const std::wstring& name : ProfileAttributes(entry.element)) {
        if (const auto found = entry.attributes.find(name); found != entry.attributes.end()) {
            markup += text.NewAttribute(TOOLS::Narrow(name), found->second);
        }
    }
    return markup + "/>";
}

// The edits that make a kept element read as wanted: its attributes set, added or removed.
void EntryEdits(const CXmlText& text, const ProfileEntry& have, const ProfileEntry& want,
                std::vector<TextEdit>& edits) {
    const CXmlText::Element& element = text.Elements()[have.ref];
    std::string added;
    for (const std::wstring& name : ProfileAttributes(want.element)) {
        const auto wanted = want.attributes.find(name);
        const auto had = have.attributes.find(name);
        const CXmlText::Attribute* attribute = element.Find(TOOLS::Narrow(name));
        if (wanted == want.attributes.end()) {
            if (attribute != nullptr) {
                edits.push_back(text.RemoveAttribute(*attribute));
            }
        } else if (attribute == nullptr) {
            added += text.NewAttribute(TOOLS::Narrow(name), wanted->second);
        } else if (had == have.attributes.end() || had->second != wanted->second) {
            edits.push_back(text.SetAttributeValue(*attribute, wanted->second));
        }
    }
    if (!added.empty()) {
        const size_t at = text.AttributeInsertPoint(element);
        edits.push_back({at, at, added});
    }
}

}  // namespace

std::vector<std::wstring> ProfileAttributes(const std::wstring& element) {
    if (element == L"Match") {
        return {L"File", L"PathContains", L"Icao"};
    }
    return IsUse(element) ? std::vector<std::wstring>{L"Path", L"Use"}
                          : std::vector<std::wstring>{};
}

bool ProfileModel::SameReading(const ProfileModel& other) const {
    const auto same = [](const std::vector<ProfileEntry>& a, const std::vector<ProfileEntry>& b) {
        return std::equal(
            a.begin(), a.end(), b.begin(), b.end(),
            [](const ProfileEntry& x, const ProfileEntry& y) { return x.SameReading(y); });
    };
    return name == other.name && same(matches, other.matches) && same(uses, other.uses);
}

ProfileModel ReadProfileModel(const PLATFORM::CXmlDocument& document) {
    ProfileModel model;
    const PLATFORM::CXmlNode root = document.DocumentElement();
    if (root.IsNull() || root.Name() != CAircraftProfile::kRootName) {
        return model;
    }
    model.name = root.GetAttribute(L"Name");
    for (const PLATFORM::CXmlNode& child : root.Children()) {
        if (child.Type() != PLATFORM::XmlNodeType::Element) {
            continue;
        }
        ProfileEntry entry{DocumentIndex(child), child.Name(), {}};
        for (const std::wstring& name : ProfileAttributes(entry.element)) {
            if (const std::optional<std::wstring> value = child.GetAttribute(name)) {
                entry.attributes[name] = *value;
            }
        }
        if (entry.element == L"Match") {
            model.matches.push_back(std::move(entry));
        } else if (IsUse(entry.element)) {
            model.uses.push_back(std::move(entry));
        }
    }
    return model;
}

bool ComposeProfile(const CXmlText& text, const PLATFORM::CXmlDocument& document,
                    const ProfileModel& wanted, std::string& composed, std::string& why) {
    const PLATFORM::CXmlNode root = document.DocumentElement();
    if (root.IsNull() || root.Name() != CAircraftProfile::kRootName) {
        why = "the file's root is not an AircraftProfile element";
        return false;
    }
    const ProfileModel current = ReadProfileModel(document);
    const size_t rootIndex = DocumentIndex(root);
    std::vector<TextEdit> edits;
    const CXmlText::Element& rootElement = text.Elements()[rootIndex];
    if (wanted.name != current.name) {
        const CXmlText::Attribute* name = rootElement.Find("Name");
        if (!wanted.name) {
            edits.push_back(text.RemoveAttribute(*name));
        } else if (name != nullptr) {
            edits.push_back(text.SetAttributeValue(*name, *wanted.name));
        } else {
            const size_t at = text.AttributeInsertPoint(rootElement);
            edits.push_back({at, at, text.NewAttribute("Name", *wanted.name)});
        }
    }

    // New entries go after the last kept one of their list, or of the list before; else after
    // the last child kept. Entries sharing a place keep the lists' order.
    std::vector<size_t> removed;
    std::map<size_t, std::vector<std::string>> added;  // by the element they follow
    size_t anchor = CXmlText::kNone;
    for (const auto& [have, want] :
         {std::pair{&current.matches, &wanted.matches}, std::pair{&current.uses, &wanted.uses}}) {
        for (const ProfileEntry& entry : *have) {
            const auto kept = std::find_if(want->begin(), want->end(), [&](const ProfileEntry& w) {
                return w.ref == entry.ref;
            });
            if (kept == want->end()) {
                removed.push_back(entry.ref);
                edits.push_back(text.Remove(text.Elements()[entry.ref]));
            } else if (kept->element != entry.element) {
                const CXmlText::Element& element = text.Elements()[entry.ref];
                edits.push_back({element.begin, element.end, EntryMarkup(text, *kept)});
                anchor = entry.ref;
            } else {
                EntryEdits(text, entry, *kept, edits);
                anchor = entry.ref;
            }
        }
        for (const ProfileEntry& entry : *want) {
            if (entry.ref == CXmlText::kNone) {
                added[anchor].push_back(EntryMarkup(text, entry));
            }
        }
    }
    for (const auto& [after, markups] : added) {
        edits.push_back(after == CXmlText::kNone
                            ? text.AppendChildren(rootElement, markups, removed)
                            : text.InsertAfter(text.Elements()[after], markups));
    }
    composed = ApplyEdits(text.Text(), edits);
    return true;
}

}  // namespace XPL::STUDIO
