#include "xml_lines.h"

#include <fstream>
#include <iterator>
#include <string>

namespace XPL::CHECKTOOL {

namespace {

class CLineSink : public PLATFORM::IXmlEventSink {
public:
    explicit CLineSink(std::vector<uint32_t>& lines) : lines_(lines) {}
    void StartLine(uint32_t line) override { line_ = line; }
    bool StartElement(std::wstring_view, const PLATFORM::XmlAttribute*, size_t) override {
        lines_.push_back(line_);
        line_ = 0;
        return true;
    }
    bool EndElement() override { return true; }
    bool Characters(std::wstring_view) override { return true; }

private:
    std::vector<uint32_t>& lines_;
    uint32_t line_ = 0;
};

void CollectElements(const PLATFORM::CXmlNode& node, std::vector<PLATFORM::CXmlNode>& elements) {
    for (const PLATFORM::CXmlNode& child : node.Children()) {
        if (child.Type() == PLATFORM::XmlNodeType::Element) {
            elements.push_back(child);
            CollectElements(child, elements);
        }
    }
}

}  // namespace

bool CXmlLines::Read(const std::filesystem::path& file, const PLATFORM::CXmlDocument& document) {
    elements_.clear();
    lines_.clear();
    CollectElements(document.Root(), elements_);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CLineSink sink(lines_);
    if (!in || !PLATFORM::ReadXmlEvents(bytes, sink) || lines_.size() != elements_.size()) {
        lines_.assign(elements_.size(), 0);
        return false;
    }
    return true;
}

uint32_t CXmlLines::LineOf(const PLATFORM::CXmlNode& node) const {
    for (size_t i = 0; i < elements_.size(); ++i) {
        if (elements_[i].IsSameNode(node)) {
            return lines_[i];
        }
    }
    return 0;
}

}  // namespace XPL::CHECKTOOL
