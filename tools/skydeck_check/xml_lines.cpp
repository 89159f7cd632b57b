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

size_t CountElements(const PLATFORM::CXmlNode& node) {
    size_t count = 0;
    for (const PLATFORM::CXmlNode& child : node.Children()) {
        if (child.Type() == PLATFORM::XmlNodeType::Element) {
            count += 1 + CountElements(child);
        }
    }
    return count;
}

}  // namespace

bool CXmlLines::Read(const std::filesystem::path& file, const PLATFORM::CXmlDocument& document) {
    lines_.clear();
    const size_t elements = CountElements(document.Root());
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CLineSink sink(lines_);
    if (!in || !PLATFORM::ReadXmlEvents(bytes, sink) || lines_.size() != elements) {
        lines_.assign(elements, 0);
        return false;
    }
    return true;
}

uint32_t CXmlLines::LineOf(const PLATFORM::CXmlNode& node) const {
    if (node.Type() != PLATFORM::XmlNodeType::Element) {
        return 0;
    }
    // The elements before it in document order are those it follows and those it is inside.
    std::vector<PLATFORM::CXmlNode> before;
    if (!node.SelectNodes(L"preceding::* | ancestor::*", before)) {
        return 0;
    }
    return before.size() < lines_.size() ? lines_[before.size()] : 0;
}

}  // namespace XPL::CHECKTOOL
