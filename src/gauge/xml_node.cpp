#include "gauge/xml_node.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <utility>

#include "gauge/windows_path.h"
#include "platform/xml.h"

namespace XPL {

namespace {

bool IsBlankOnly(std::wstring_view text) {
    return text.find_first_not_of(L" \t\r\n") == std::wstring_view::npos;
}

// Builds the tree from the reader's events.
class CTreeBuilder : public PLATFORM::IXmlEventSink {
public:
    bool StartElement(std::wstring_view name, const PLATFORM::XmlAttribute* attributes,
                      size_t count) override {
        if (current_ == nullptr && root_ != nullptr) {
            return Stop(L"more than one root element");
        }
        if (depth_ >= CXmlNode::kMaxDepth) {
            return Stop(L"elements nested deeper than " + std::to_wstring(CXmlNode::kMaxDepth));
        }
        if (++elements_ > CXmlNode::kMaxElements) {
            return Stop(L"more than " + std::to_wstring(CXmlNode::kMaxElements) + L" elements");
        }
        if ((attributes_ += count) > CXmlNode::kMaxAttributes) {
            return Stop(L"more than " + std::to_wstring(CXmlNode::kMaxAttributes) + L" attributes");
        }
        ++depth_;
        auto node = std::make_unique<CXmlNode>();
        node->name = name;
        node->line = std::exchange(line_, 0);
        for (size_t i = 0; i < count; ++i) {
            node->attributes.insert_or_assign(std::wstring(attributes[i].name),
                                              std::wstring(attributes[i].value));
        }
        CXmlNode* created = node.get();
        if (current_ == nullptr) {
            root_ = std::move(node);
        } else {
            node->parent = current_;
            current_->children.push_back(std::move(node));
        }
        current_ = created;
        return true;
    }
    bool EndElement() override {
        if (current_ == nullptr) {
            return false;
        }
        current_ = current_->parent;
        --depth_;
        return true;
    }
    void StartLine(uint32_t line) override { line_ = line; }
    bool Characters(std::wstring_view text) override {
        if (current_ != nullptr && !text.empty() && !IsBlankOnly(text)) {
            current_->text += text;
        }
        return true;
    }

    std::unique_ptr<CXmlNode> TakeRoot() { return std::move(root_); }
    const std::wstring& StopReason() const { return stopReason_; }
    uint32_t StopLine() const { return stopLine_; }

private:
    bool Stop(std::wstring reason) {
        stopReason_ = std::move(reason);
        stopLine_ = line_;
        return false;
    }

    std::unique_ptr<CXmlNode> root_;
    CXmlNode* current_ = nullptr;
    size_t depth_ = 0;
    size_t elements_ = 0;
    size_t attributes_ = 0;
    std::wstring stopReason_;
    uint32_t line_ = 0;  // of the element starting next
    uint32_t stopLine_ = 0;
};

// The most '=' signs that follow one '<' before the next: a bound on the attributes of any one
// element (a value holds no '<'), read in the file's code units, as UTF-16 when it starts with
// a byte-order mark or a '<' of 16 bits. The XML readers check that an element's attribute names
// differ before the tree sees it, some of them comparing every pair.
size_t MostEqualsAfterOneTag(std::string_view bytes) {
    const bool little =
        bytes.starts_with("\xFF\xFE") || bytes.starts_with(std::string_view("<\0", 2));
    const bool big = bytes.starts_with("\xFE\xFF") || bytes.starts_with(std::string_view("\0<", 2));
    const size_t step = little || big ? 2 : 1;
    size_t most = 0;
    size_t count = 0;
    for (size_t at = 0; at + step <= bytes.size(); at += step) {
        const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[at + i]); };
        const uint32_t unit = little ? byte(0) | byte(1) << 8
                              : big  ? byte(0) << 8 | byte(1)
                                     : byte(0);
        if (unit == '<') {
            count = 0;
        } else if (unit == '=') {
            most = std::max(most, ++count);
        }
    }
    return most;
}

std::unique_ptr<CXmlNode> Failed(std::wstring* error, std::wstring reason,
                                 uint32_t* errorLine = nullptr, uint32_t line = 0) {
    if (error != nullptr) {
        *error = std::move(reason);
    }
    if (errorLine != nullptr) {
        *errorLine = line;
    }
    return nullptr;
}

}  // namespace

CXmlNode::~CXmlNode() {
    // A deep tree would otherwise free itself by recursion as deep as the tree.
    std::vector<std::unique_ptr<CXmlNode>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<CXmlNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children) {
            pending.push_back(std::move(child));
        }
        node->children.clear();
    }
}

const std::wstring* CXmlNode::GetAttribute(std::wstring_view attribute) const {
    const auto found = attributes.find(attribute);
    return found == attributes.end() ? nullptr : &found->second;
}

std::unique_ptr<CXmlNode> CXmlNode::ParseXmlFile(std::wstring_view path, std::wstring* error,
                                                 uint32_t* errorLine) {
    if (errorLine != nullptr) {
        *errorLine = 0;
    }
    const std::filesystem::path resolved = UTILITY::ResolveWindowsPath(path);
    std::error_code sizeError;
    const uintmax_t size = std::filesystem::file_size(resolved, sizeError);
    if (sizeError) {
        return Failed(error, L"the file cannot be found");
    }
    if (size > kMaxFileBytes) {
        return Failed(error,
                      L"the file is larger than " + std::to_wstring(kMaxFileBytes >> 20) + L" MB");
    }
    std::ifstream file(resolved, std::ios::binary);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!file || !file.read(bytes.data(), static_cast<std::streamsize>(size))) {
        return Failed(error, L"the file cannot be read");
    }
    return ParseXmlBytes(bytes, error, errorLine);
}

std::unique_ptr<CXmlNode> CXmlNode::ParseXmlBytes(std::string_view bytes, std::wstring* error,
                                                  uint32_t* errorLine) {
    if (MostEqualsAfterOneTag(bytes) > kMaxElementAttributes) {
        return Failed(error,
                      L"an element with more than " + std::to_wstring(kMaxElementAttributes) +
                          L" attributes (or as many '=' in the text after it)",
                      errorLine);
    }
    CTreeBuilder builder;
    const PLATFORM::XmlStatus status = PLATFORM::ReadXmlEvents(bytes, builder);
    if (!status) {
        const bool stopped = !builder.StopReason().empty();
        const std::wstring& reason = stopped ? builder.StopReason() : status.message;
        return Failed(error, reason.empty() ? L"the file is not well-formed XML" : reason,
                      errorLine, stopped ? builder.StopLine() : status.line);
    }
    std::unique_ptr<CXmlNode> root = builder.TakeRoot();
    if (root == nullptr) {
        return Failed(error, L"the file has no root element", errorLine);
    }
    return root;
}

}  // namespace XPL
