#include "sim/xml_lines.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace XPL {

namespace {

class CLineSink : public PLATFORM::IXmlEventSink {
public:
    CLineSink(std::vector<uint32_t>& lines, std::vector<std::vector<std::wstring>>& attributes)
        : lines_(lines), attributes_(attributes) {}
    void StartLine(uint32_t line) override { line_ = line; }
    bool StartElement(std::wstring_view, const PLATFORM::XmlAttribute* attributes,
                      size_t count) override {
        lines_.push_back(line_);
        line_ = 0;
        std::vector<std::wstring>& names = attributes_.emplace_back();
        for (size_t i = 0; i < count; ++i) {
            names.emplace_back(attributes[i].name);
        }
        return true;
    }
    bool EndElement() override { return true; }
    bool Characters(std::wstring_view) override { return true; }

private:
    std::vector<uint32_t>& lines_;
    std::vector<std::vector<std::wstring>>& attributes_;
    uint32_t line_ = 0;
};

}  // namespace

size_t CountElements(const PLATFORM::CXmlNode& node) {
    size_t count = 0;
    for (const PLATFORM::CXmlNode& child : node.Children()) {
        if (child.Type() == PLATFORM::XmlNodeType::Element) {
            count += 1 + CountElements(child);
        }
    }
    return count;
}

bool CXmlLines::Read(const std::filesystem::path& file, const PLATFORM::CXmlDocument& document) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in) {
        lines_.assign(CountElements(document.Root()), 0);
        return false;
    }
    return ReadBytes(bytes, document);
}

bool CXmlLines::ReadBytes(std::string_view bytes, const PLATFORM::CXmlDocument& document) {
    lines_.clear();
    attributes_.clear();
    const size_t elements = CountElements(document.Root());
    CLineSink sink(lines_, attributes_);
    if (!PLATFORM::ReadXmlEvents(bytes, sink) || lines_.size() != elements) {
        lines_.assign(elements, 0);
        attributes_.assign(elements, {});
        return false;
    }
    return true;
}

size_t CXmlLines::IndexOf(const PLATFORM::CXmlNode& node) const {
    if (node.Type() != PLATFORM::XmlNodeType::Element) {
        return SIZE_MAX;
    }
    // The elements before it in document order are those it follows and those it is inside.
    std::vector<PLATFORM::CXmlNode> before;
    if (!node.SelectNodes(L"preceding::* | ancestor::*", before)) {
        return SIZE_MAX;
    }
    return before.size();
}

const std::vector<std::wstring>& CXmlLines::AttributesAt(size_t index) const {
    static const std::vector<std::wstring> kNone;
    return index < attributes_.size() ? attributes_[index] : kNone;
}

uint32_t CXmlLines::LineOf(const PLATFORM::CXmlNode& node) const {
    return LineAt(IndexOf(node));
}

}  // namespace XPL
