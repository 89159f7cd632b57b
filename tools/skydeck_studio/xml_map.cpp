#include "xml_map.h"

#include "tool_text.h"

namespace XPL::STUDIO {

namespace {

void Collect(const PLATFORM::CXmlNode& node, std::vector<std::wstring>& names) {
    for (const PLATFORM::CXmlNode& child : node.Children()) {
        if (child.Type() == PLATFORM::XmlNodeType::Element) {
            names.push_back(child.Name());
            Collect(child, names);
        }
    }
}

}  // namespace

size_t DocumentIndex(const PLATFORM::CXmlNode& element) {
    // The elements before it in document order are those it follows and those it is inside.
    std::vector<PLATFORM::CXmlNode> before;
    element.SelectNodes(L"preceding::* | ancestor::*", before);
    return before.size();
}

bool SameElements(const CXmlText& text, const PLATFORM::CXmlDocument& document) {
    std::vector<std::wstring> names;
    Collect(document.Root(), names);
    if (names.size() != text.Elements().size()) {
        return false;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        // The reader gives local names; the text keeps any prefix.
        std::string name = text.Elements()[i].name;
        name = name.substr(name.find(':') == std::string::npos ? 0 : name.find(':') + 1);
        if (TOOLS::Narrow(names[i]) != name) {
            return false;
        }
    }
    return true;
}

}  // namespace XPL::STUDIO
