// XML seam over pugixml (builds other than Windows). pugixml keeps UTF-8; texts cross the seam
// as wide strings. It reads only what it is told, so the encoding of an 8-bit file is settled
// here the way MSXML settles it: byte-order mark first, then the declaration's encoding.
#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/utf8.h"
#include "platform/xml.h"
#include "platform/xml_declaration.h"

namespace XPL::PLATFORM {

namespace {

// Comments and processing instructions are nodes in MSXML's tree too. The declaration is not
// kept: a save writes its own (UTF-8), whatever encoding the file was read in.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi;

// pugixml has no detached nodes: an element made by CreateElement lives in a scratch document
// until AppendChild copies it into the tree.
struct Document {
    pugi::xml_document doc;
    pugi::xml_document scratch;

    void Reset() {
        doc.reset();
        scratch.reset();
    }
};

std::string ToUtf8(std::wstring_view text) {
    return pugi::as_utf8(std::wstring(text));
}

std::wstring ToWide(const char* text) {
    return pugi::as_wide(text);
}

// The file system's UTF-8 name of a Windows path (a wide text would go through the C locale,
// which refuses every character outside ASCII).
std::filesystem::path FilePath(std::wstring_view path) {
    std::string text;
    PLATFORM::AppendUtf8(text, path);
    std::replace(text.begin(), text.end(), '\\', '/');
    return std::filesystem::path(text);
}

XmlStatus Failure(std::wstring message) {
    return XmlStatus{false, 0, std::move(message)};
}

// True when bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsUtf8(const unsigned char* p, size_t size) {
    size_t i = 0;
    while (i < size) {
        const unsigned char c = p[i];
        size_t extra = 0;
        uint32_t value = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            value = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            value = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            value = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= size) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (p[i + k] & 0x3F);
        }
        if ((extra == 2 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
            (extra == 3 && (value < 0x10000 || value > 0x10FFFF))) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

// windows-1252 bytes 0x80 to 0x9F; the five the code page leaves undefined keep their value,
// as Windows' own conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// UTF-8 of a windows-1252 text, or of an ISO-8859-1 text (latin1: every byte its own code).
std::string EightBitToUtf8(const std::string& bytes, bool latin1) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char byte : bytes) {
        const unsigned char c = static_cast<unsigned char>(byte);
        const uint32_t value = (!latin1 && c >= 0x80 && c <= 0x9F) ? kCp1252High[c - 0x80] : c;
        if (value < 0x80) {
            out += static_cast<char>(value);
        } else if (value < 0x800) {
            out += static_cast<char>(0xC0 | (value >> 6));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (value >> 12));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
    return out;
}

bool StartsWith(const std::string& bytes, std::initializer_list<unsigned char> prefix) {
    return bytes.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), bytes.begin(),
                      [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
}

// MSXML's default bound on element nesting; it also keeps the recursive text walk shallow.
constexpr int kMaxDepth = 256;

bool IsXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool HasControl(const char* text) {
    for (; *text != '\0'; ++text) {
        const unsigned char c = static_cast<unsigned char>(*text);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return true;
        }
    }
    return false;
}

// Why an unescaped text (as written in the file) is not well-formed, or "". Every '&' must start
// a reference to a legal character or to one of the five predefined entities; an entity that a
// document type declares cannot be told from an undeclared one here, so with one any name goes.
// fault (when given) receives the index of the '&' of a fault.
std::string CheckReferences(const std::string& text, bool declaredEntities,
                            size_t* fault = nullptr) {
    for (size_t at = text.find('&'); at != std::string::npos; at = text.find('&', at + 1)) {
        if (fault != nullptr) {
            *fault = at;
        }
        const size_t end = text.find(';', at);
        if (end == std::string::npos) {
            return "a '&' that starts no reference";
        }
        const std::string name = text.substr(at + 1, end - at - 1);
        if (!name.empty() && name[0] == '#') {
            const bool hex = name.size() > 1 && name[1] == 'x';
            std::string digits = name.substr(hex ? 2 : 1);
            digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
            const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
            if (digits.empty() || digits.size() > 8 ||
                digits.find_first_not_of(allowed) != std::string::npos ||
                !IsXmlChar(static_cast<uint32_t>(std::stoul(digits, nullptr, hex ? 16 : 10)))) {
                return "the character reference &" + name + "; is not a legal character";
            }
        } else if (name.empty() || name.find_first_of(" \t\r\n<&\"'") != std::string::npos) {
            return "a '&' that starts no reference";
        } else if (!declaredEntities && name != "amp" && name != "lt" && name != "gt" &&
                   name != "quot" && name != "apos") {
            return "the entity &" + name + "; is not defined";
        }
    }
    return {};
}

// Why one node below the root, as written, is not well-formed, or "". inner receives where in
// a text's value the fault is.
std::string CheckNode(const pugi::xml_node& node, bool declaredEntities, size_t& inner) {
    switch (node.type()) {
        case pugi::node_element: {
            // Sorted, so that an element with a great many attributes costs no more than their
            // count times its logarithm.
            std::vector<const char*> names;
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
                names.push_back(a.name());
            }
            const auto before = [](const char* a, const char* b) { return std::strcmp(a, b) < 0; };
            std::sort(names.begin(), names.end(), before);
            const auto twice = std::adjacent_find(
                names.begin(), names.end(), [](auto a, auto b) { return std::strcmp(a, b) == 0; });
            if (twice != names.end()) {
                return std::string("the attribute ") + *twice + " is repeated";
            }
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
                if (HasControl(a.value()) || std::strchr(a.value(), '<') != nullptr) {
                    return std::string("a '<' or a control character in the attribute ") + a.name();
                }
                std::string fault = CheckReferences(a.value(), declaredEntities);
                if (!fault.empty()) {
                    return fault;
                }
            }
            return {};
        }
        case pugi::node_pcdata:
            if (HasControl(node.value())) {
                return "a control character in a text";
            }
            if (const char* end = std::strstr(node.value(), "]]>")) {
                inner = static_cast<size_t>(end - node.value());
                return "a ']]>' in a text";
            }
            return CheckReferences(node.value(), declaredEntities, &inner);
        case pugi::node_cdata:
            return HasControl(node.value()) ? "a control character in a CDATA section" : "";
        case pugi::node_comment: {
            const std::string text = node.value();
            const size_t twice = text.find("--");
            if (twice != std::string::npos) {
                inner = twice;
            } else if (!text.empty() && text.back() == '-') {
                inner = text.size() - 1;
            } else {
                return {};
            }
            return "a '--' in a comment";
        }
        case pugi::node_declaration:
            return "an XML declaration that does not start the document";
        case pugi::node_doctype:
            return "a misplaced document type declaration";
        default:
            return {};
    }
}

// pugixml parses leniently: it takes several root elements, text outside the root, stray '&',
// undefined entities, repeated attributes and control characters, all of which MSXML refuses.
// raw is the document parsed as a fragment without unescaping; this finds the first such fault
// and the node where it is (where stays null when the fault has no place).
std::string CheckWellFormed(const pugi::xml_document& raw, pugi::xml_node& where, size_t& inner) {
    bool declaredEntities = false;
    int elements = 0;
    for (pugi::xml_node top = raw.first_child(); top; top = top.next_sibling()) {
        where = top;
        switch (top.type()) {
            case pugi::node_element:
                if (++elements > 1) {
                    return "more than one root element";
                }
                break;
            case pugi::node_pcdata:
            case pugi::node_cdata:
                return "text outside the root element";
            case pugi::node_declaration:
                if (top != raw.first_child()) {
                    return "an XML declaration that does not start the document";
                }
                break;
            case pugi::node_doctype:
                if (elements > 0 || declaredEntities) {
                    return "a misplaced document type declaration";
                }
                declaredEntities = true;
                break;
            case pugi::node_comment:
                // Comments around the root are held to the same rules as those inside it.
                if (std::string fault = CheckNode(top, declaredEntities, inner); !fault.empty()) {
                    return fault;
                }
                break;
            default:
                break;
        }
    }
    where = pugi::xml_node();
    if (elements != 1) {
        return "no root element";
    }
    // Depth-first without recursion, so a deep document cannot exhaust the stack here.
    pugi::xml_node node = raw.document_element();
    int depth = 0;
    for (;;) {
        std::string fault = CheckNode(node, declaredEntities, inner);
        if (fault.empty() && node.type() == pugi::node_element && depth >= kMaxDepth) {
            fault = "elements nested deeper than " + std::to_string(kMaxDepth);
        }
        if (!fault.empty()) {
            where = node;
            return fault;
        }
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (depth > 0 && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (depth == 0) {
            return {};
        }
        node = node.next_sibling();
    }
}

void AppendText(const pugi::xml_node& node, std::string& text) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            text += child.value();
        } else if (child.type() == pugi::node_element) {
            AppendText(child, text);
        }
    }
}

// The line (from 1) of the character at offset of a text: CR LF, CR and LF each end a line.
uint32_t LineAt(std::string_view text, size_t offset) {
    uint32_t line = 1;
    offset = std::min(offset, text.size());
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
        } else if (text[i] == '\r') {
            ++line;
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        }
    }
    return line;
}

// The line of a node of a document parsed from text, or of the character at inner of its value,
// 0 when pugixml cannot place it.
uint32_t LineOfNode(std::string_view text, const pugi::xml_node& node, size_t inner = 0) {
    const ptrdiff_t offset = node ? node.offset_debug() : -1;
    if (offset < 0) {
        return 0;
    }
    const std::string_view value = node.type() == pugi::node_element ? "" : node.value();
    return LineAt(text, static_cast<size_t>(offset)) + LineAt(value, inner) - 1;
}

// UTF-8 of a UTF-16 text (little- or big-endian, without its byte-order mark); false when it
// holds an unpaired surrogate.
bool Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& out) {
    out.clear();
    const auto unit = [&](size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<uint32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= bytes.size()) {
                return false;
            }
            const uint32_t next = unit(i + 2);
            if (next < 0xDC00 || next > 0xDFFF) {
                return false;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            i += 2;
        }
        PLATFORM::AppendUtf8(out, c);
    }
    return true;
}

}  // namespace

// The document owns every node; a node handle is pugixml's node record.
struct XmlBackend {
    static Document* Doc(const CXmlDocument& document) {
        return static_cast<Document*>(document.impl_);
    }
    static pugi::xml_node Node(const CXmlNode& node) {
        return pugi::xml_node(static_cast<pugi::xml_node_struct*>(node.handle_));
    }
    static CXmlNode Make(const pugi::xml_node& node) {
        return CXmlNode(node ? node.internal_object() : nullptr);
    }

    // Parses a UTF-8 text. With raw, the document is left as written (references, line ends and
    // blanks in attributes as they are) for the event reader. A failure tells its line.
    static XmlStatus Parse(CXmlDocument& document, std::string_view text, bool raw = false) {
        Document* doc = Doc(document);
        if (doc == nullptr) {
            return Failure(L"the parser was not created");
        }
        doc->Reset();
        // First as written, to hold the document to what MSXML accepts; then for use.
        constexpr unsigned kRawOptions =
            (kParseOptions | pugi::parse_fragment | pugi::parse_declaration | pugi::parse_doctype) &
            ~pugi::parse_escapes;
        // The event reader also sees line ends and attribute blanks as written.
        constexpr unsigned kEventOptions =
            kRawOptions & ~(pugi::parse_eol | pugi::parse_wconv_attribute);
        pugi::xml_parse_result result = doc->doc.load_buffer(
            text.data(), text.size(), raw ? kEventOptions : kRawOptions, pugi::encoding_utf8);
        if (result) {
            pugi::xml_node where;
            size_t inner = 0;
            const std::string fault = CheckWellFormed(doc->doc, where, inner);
            if (!fault.empty()) {
                XmlStatus failure = Failure(ToWide(fault.c_str()));
                failure.line = LineOfNode(text, where, inner);
                doc->Reset();
                return failure;
            }
            if (raw) {
                return {};
            }
            result =
                doc->doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
        }
        if (!result) {
            doc->Reset();
            XmlStatus failure = Failure(ToWide(result.description()) + L" at offset " +
                                        std::to_wstring(result.offset));
            failure.line = LineAt(text, static_cast<size_t>(std::max<ptrdiff_t>(result.offset, 0)));
            return failure;
        }
        return {};
    }

    // Settles the encoding of a file's bytes as MSXML would, turns them into the UTF-8 text that
    // is then parsed (so the caller can place nodes in it), and parses.
    static XmlStatus ParseBytes(CXmlDocument& document, std::string& bytes, bool raw = false) {
        const bool littleEndian =
            StartsWith(bytes, {0xFF, 0xFE}) || StartsWith(bytes, {0x3C, 0x00, 0x3F, 0x00});
        const bool bigEndian =
            StartsWith(bytes, {0xFE, 0xFF}) || StartsWith(bytes, {0x00, 0x3C, 0x00, 0x3F});
        if (littleEndian || bigEndian) {
            // pugixml's strings end at a NUL, which would hide the rest of a text.
            for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
                if (bytes[i] == '\0' && bytes[i + 1] == '\0') {
                    return Failure(L"a NUL character in the text");
                }
            }
            const bool mark = StartsWith(bytes, {0xFF, 0xFE}) || StartsWith(bytes, {0xFE, 0xFF});
            std::string utf8;
            if (!Utf16ToUtf8(std::string_view(bytes).substr(mark ? 2 : 0), bigEndian, utf8)) {
                return Failure(L"the text is not valid UTF-16");
            }
            bytes = std::move(utf8);
            return Parse(document, bytes, raw);
        }
        if (bytes.find('\0') != std::string::npos) {
            return Failure(L"a NUL character in the text");
        }
        if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
            if (!IsUtf8(reinterpret_cast<const unsigned char*>(bytes.data()) + 3,
                        bytes.size() - 3)) {
                return Failure(L"the text is not valid UTF-8");
            }
            return Parse(document, bytes, raw);
        }
        const std::string encoding = PLATFORM::DeclaredXmlEncoding(bytes);
        if (encoding.empty() || encoding == "utf-8" || encoding == "utf8" ||
            encoding == "us-ascii" || encoding == "ascii") {
            if (!IsUtf8(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())) {
                return Failure(L"the text is not valid UTF-8");
            }
            return Parse(document, bytes, raw);
        }
        const bool latin1 = encoding == "iso-8859-1" || encoding == "iso_8859-1" ||
                            encoding == "latin1" || encoding == "latin-1" || encoding == "l1" ||
                            encoding == "iso8859-1";
        if (latin1 || encoding == "windows-1252" || encoding == "cp1252" ||
            encoding == "x-cp1252") {
            bytes = EightBitToUtf8(bytes, latin1);
            return Parse(document, bytes, raw);
        }
        return Failure(L"the encoding " + ToWide(encoding.c_str()) + L" is not supported");
    }
};

CXmlNode::CXmlNode(const CXmlNode& other) = default;
CXmlNode::CXmlNode(CXmlNode&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
CXmlNode& CXmlNode::operator=(const CXmlNode& other) = default;
CXmlNode& CXmlNode::operator=(CXmlNode&& other) noexcept {
    handle_ = std::exchange(other.handle_, nullptr);
    return *this;
}
CXmlNode::~CXmlNode() = default;

XmlNodeType CXmlNode::Type() const {
    switch (XmlBackend::Node(*this).type()) {
        case pugi::node_element:
            return XmlNodeType::Element;
        case pugi::node_pcdata:
            return XmlNodeType::Text;
        case pugi::node_cdata:
            return XmlNodeType::CData;
        case pugi::node_comment:
            return XmlNodeType::Comment;
        case pugi::node_pi:
        case pugi::node_declaration:
            return XmlNodeType::ProcessingInstruction;
        case pugi::node_document:
            return XmlNodeType::Document;
        default:
            return XmlNodeType::Other;
    }
}

std::wstring CXmlNode::Name() const {
    const pugi::xml_node node = XmlBackend::Node(*this);
    switch (node.type()) {
        case pugi::node_null:
            return {};
        case pugi::node_pcdata:
            return L"#text";
        case pugi::node_cdata:
            return L"#cdata-section";
        case pugi::node_comment:
            return L"#comment";
        case pugi::node_document:
            return L"#document";
        default:
            return ToWide(node.name());
    }
}

std::wstring CXmlNode::Text() const {
    const pugi::xml_node node = XmlBackend::Node(*this);
    std::string text;
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
        text = node.value();
    } else {
        AppendText(node, text);
    }
    return TrimXmlWhiteSpace(ToWide(text.c_str()));
}

std::vector<CXmlNode> CXmlNode::Children() const {
    std::vector<CXmlNode> children;
    for (pugi::xml_node child = XmlBackend::Node(*this).first_child(); child;
         child = child.next_sibling()) {
        children.push_back(XmlBackend::Make(child));
    }
    return children;
}

bool CXmlNode::HasAttributes() const {
    const pugi::xml_node node = XmlBackend::Node(*this);
    return node.type() == pugi::node_element && node.first_attribute();
}

std::optional<std::wstring> CXmlNode::GetAttribute(std::wstring_view name) const {
    const pugi::xml_node node = XmlBackend::Node(*this);
    if (node.type() != pugi::node_element) {
        return std::nullopt;
    }
    const std::string key = ToUtf8(name);
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        if (key == a.name()) {
            return ToWide(a.value());
        }
    }
    return std::nullopt;
}

bool CXmlNode::SetAttribute(std::wstring_view name, std::wstring_view value) {
    pugi::xml_node node = XmlBackend::Node(*this);
    if (node.type() != pugi::node_element || name.empty()) {
        return false;
    }
    const std::string key = ToUtf8(name);
    pugi::xml_attribute attribute = node.attribute(key.c_str());
    if (!attribute) {
        attribute = node.append_attribute(key.c_str());
    }
    return attribute && attribute.set_value(ToUtf8(value).c_str());
}

bool CXmlNode::AppendChild(CXmlNode& child) {
    pugi::xml_node parent = XmlBackend::Node(*this);
    const pugi::xml_node node = XmlBackend::Node(child);
    if (!parent || !node) {
        return false;
    }
    if (parent.root() == node.root()) {
        return static_cast<bool>(parent.append_move(node));
    }
    // A new element from the scratch document: copied into the tree, the original dropped.
    const pugi::xml_node copy = parent.append_copy(node);
    if (!copy) {
        return false;
    }
    node.parent().remove_child(node);
    child = XmlBackend::Make(copy);
    return true;
}

XmlStatus CXmlNode::SelectNodes(std::wstring_view xpath, std::vector<CXmlNode>& nodes) const {
    nodes.clear();
    const pugi::xml_node node = XmlBackend::Node(*this);
    if (!node) {
        return Failure(L"no context node");
    }
    if (xpath.find(L'\0') != std::wstring_view::npos) {
        return Failure(L"the expression holds a NUL character");
    }
    try {
        const pugi::xpath_query query(ToUtf8(xpath).c_str());
        const pugi::xpath_node_set set = query.evaluate_node_set(node);
        nodes.reserve(set.size());
        for (const pugi::xpath_node& found : set) {
            // Attributes are selected as their elements are not: only nodes cross the seam.
            if (found.node()) {
                nodes.push_back(XmlBackend::Make(found.node()));
            }
        }
        return {};
    } catch (const pugi::xpath_exception& error) {
        nodes.clear();
        return Failure(L"the XPath " + std::wstring(xpath) + L" is malformed: " +
                       ToWide(error.what()));
    } catch (const std::exception& error) {
        nodes.clear();
        return Failure(L"the XPath " + std::wstring(xpath) + L" failed: " + ToWide(error.what()));
    }
}

CXmlDocument::CXmlDocument() = default;

CXmlDocument::~CXmlDocument() {
    delete XmlBackend::Doc(*this);
}

XmlStatus CXmlDocument::Create() {
    if (impl_ == nullptr) {
        impl_ = new (std::nothrow) Document();
    }
    if (impl_ == nullptr) {
        return XmlStatus{false, 0x8007000E, L"out of memory"};
    }
    return {};
}

XmlStatus CXmlDocument::LoadFile(std::wstring_view path) {
    Document* doc = XmlBackend::Doc(*this);
    if (doc == nullptr) {
        return Failure(L"the parser was not created");
    }
    doc->Reset();
    std::ifstream file(FilePath(path), std::ios::binary);
    if (!file) {
        return Failure(L"the file cannot be opened");
    }
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return Failure(L"the file cannot be read");
    }
    return XmlBackend::ParseBytes(*this, bytes);
}

XmlStatus CXmlDocument::LoadText(std::wstring_view text) {
    if (text.find(L'\0') != std::wstring_view::npos) {
        if (Document* doc = XmlBackend::Doc(*this)) {
            doc->Reset();
        }
        return Failure(L"a NUL character in the text");
    }
    const std::string utf8 = ToUtf8(text);
    return XmlBackend::Parse(*this, utf8);
}

XmlStatus CXmlDocument::Save(std::wstring_view path) const {
    const Document* doc = XmlBackend::Doc(*this);
    if (doc == nullptr) {
        return Failure(L"the parser was not created");
    }
    // It would not load again: the file is better left as it is.
    if (!doc->doc.document_element()) {
        return Failure(L"the document has no root element");
    }
    std::ostringstream text;
    doc->doc.save(text, PUGIXML_TEXT("\t"), pugi::format_default, pugi::encoding_utf8);
    const std::filesystem::path target = FilePath(path);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << text.str();
        file.close();
        if (!file) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return Failure(L"the file cannot be written");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return Failure(L"the file cannot be replaced");
    }
    return {};
}

CXmlNode CXmlDocument::Root() const {
    Document* doc = XmlBackend::Doc(*this);
    return doc != nullptr ? XmlBackend::Make(doc->doc) : CXmlNode();
}

CXmlNode CXmlDocument::DocumentElement() const {
    Document* doc = XmlBackend::Doc(*this);
    return doc != nullptr ? XmlBackend::Make(doc->doc.document_element()) : CXmlNode();
}

CXmlNode CXmlDocument::CreateElement(std::wstring_view name) {
    Document* doc = XmlBackend::Doc(*this);
    if (doc == nullptr || name.empty()) {
        return CXmlNode();
    }
    pugi::xml_node element = doc->scratch.append_child(pugi::node_element);
    if (!element || !element.set_name(ToUtf8(name).c_str())) {
        return CXmlNode();
    }
    return XmlBackend::Make(element);
}

namespace {

// The character a reference written as "&name;" stands for (checked well-formed before).
std::wstring ReferenceText(std::string_view name) {
    uint32_t code = 0;
    if (name == "amp") {
        code = '&';
    } else if (name == "lt") {
        code = '<';
    } else if (name == "gt") {
        code = '>';
    } else if (name == "quot") {
        code = '"';
    } else if (name == "apos") {
        code = '\'';
    } else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        for (const char c : name.substr(hex ? 2 : 1)) {
            const uint32_t digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
            code = code * (hex ? 16 : 10) + digit;
        }
    }
    std::wstring text;
    if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
        code -= 0x10000;
        text += static_cast<wchar_t>(0xD800 + (code >> 10));
        text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    } else {
        text += static_cast<wchar_t>(code);
    }
    return text;
}

// Hands text as written to the sink the way MSXML's SAX reader does: each reference as a piece
// of its own; the literal runs between references broken at line ends, where a CR LF becomes a
// piece "\n" of its own and a lone CR a "\n" that starts the next piece.
class CTextSender {
public:
    explicit CTextSender(IXmlEventSink& sink) : sink_(sink) {}

    bool Send(const char* raw) {
        const std::string_view text(raw);
        size_t at = 0;
        while (at < text.size()) {
            const size_t amp = text.find('&', at);
            if (!SendLiteral(text.substr(at, amp == std::string_view::npos ? amp : amp - at))) {
                return false;
            }
            if (amp == std::string_view::npos) {
                break;
            }
            const size_t semicolon = text.find(';', amp);
            if (semicolon == std::string_view::npos) {
                return false;  // refused by the well-formedness check already
            }
            if (!Flush() ||
                !sink_.Characters(ReferenceText(text.substr(amp + 1, semicolon - amp - 1)))) {
                return false;
            }
            at = semicolon + 1;
        }
        return Flush();
    }

private:
    bool SendLiteral(std::string_view text) {
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r') {
                piece_ += text[i];
                continue;
            }
            if (!Flush()) {
                return false;
            }
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
                if (!sink_.Characters(L"\n")) {
                    return false;
                }
            } else {
                piece_.push_back('\n');  // Flush left it empty
            }
        }
        return true;
    }
    bool Flush() {
        if (piece_.empty()) {
            return true;
        }
        const std::wstring wide = ToWide(piece_.c_str());
        piece_.clear();
        return sink_.Characters(wide);
    }

    IXmlEventSink& sink_;
    std::string piece_;
};

// CR LF and lone CR as one line feed, the way XML reads line ends.
std::string NormaliseLineEnds(std::string_view text) {
    std::string normal;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            normal += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            normal += text[i];
        }
    }
    return normal;
}

// An attribute's value as written, read as XML reads it: each line end and each literal blank
// becomes a space, then references are replaced.
std::wstring AttributeValue(const char* raw) {
    std::string blanks = NormaliseLineEnds(raw);
    for (char& c : blanks) {
        if (c == '\t' || c == '\n') {
            c = ' ';
        }
    }
    const std::string_view text(blanks);
    std::wstring value;
    size_t at = 0;
    while (at < text.size()) {
        const size_t amp = text.find('&', at);
        const size_t end = amp == std::string_view::npos ? text.size() : amp;
        value += ToWide(std::string(text.substr(at, end - at)).c_str());
        if (amp == std::string_view::npos) {
            break;
        }
        const size_t semicolon = text.find(';', amp);
        if (semicolon == std::string_view::npos) {
            break;
        }
        value += ReferenceText(text.substr(amp + 1, semicolon - amp - 1));
        at = semicolon + 1;
    }
    return value;
}

std::string_view Prefix(std::string_view qualified) {
    const size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? std::string_view() : qualified.substr(0, colon);
}

std::string_view LocalName(std::string_view qualified) {
    const size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

bool IsNamespaceDeclaration(std::string_view name) {
    return name == "xmlns" || name.substr(0, 6) == "xmlns:";
}

// The namespace prefixes in scope while the tree is walked, each with the depth declaring it.
class CPrefixScope {
public:
    void Enter(const pugi::xml_node& element, int depth) {
        for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view name = a.name();
            if (name.substr(0, 6) == "xmlns:") {
                declared_.emplace_back(std::string(name.substr(6)), depth);
            }
        }
    }
    void Leave(int depth) {
        while (!declared_.empty() && declared_.back().second >= depth) {
            declared_.pop_back();
        }
    }
    bool Known(std::string_view prefix) const {
        return prefix.empty() || prefix == "xml" ||
               std::any_of(declared_.begin(), declared_.end(),
                           [&](const auto& entry) { return entry.first == prefix; });
    }

private:
    std::vector<std::pair<std::string, int>> declared_;
};

// Finds the lines on which the start tags of a document's elements end, visiting them in
// document order (their offsets only grow).
class CStartLines {
public:
    explicit CStartLines(std::string_view text) : text_(text) {}

    uint32_t Of(const pugi::xml_node& element) {
        const ptrdiff_t name = element.offset_debug();
        if (name < 0 || static_cast<size_t>(name) < at_) {
            return 0;
        }
        // The tag ends at the first '>' outside a quoted attribute value.
        size_t end = static_cast<size_t>(name);
        char quote = 0;
        for (; end < text_.size(); ++end) {
            const char c = text_[end];
            if (quote != 0) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        for (; at_ < end && at_ < text_.size(); ++at_) {
            if (text_[at_] == '\n' ||
                (text_[at_] == '\r' && (at_ + 1 >= text_.size() || text_[at_ + 1] != '\n'))) {
                ++line_;
            }
        }
        return line_;
    }

private:
    std::string_view text_;
    size_t at_ = 0;
    uint32_t line_ = 1;
};

XmlStatus SendElementStart(const pugi::xml_node& element, const CPrefixScope& prefixes,
                           CStartLines& lines, IXmlEventSink& sink) {
    const std::string_view qualified = element.name();
    if (!prefixes.Known(Prefix(qualified))) {
        return Failure(L"the namespace prefix of " + ToWide(element.name()) + L" is not defined");
    }
    std::vector<std::wstring> texts;
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        if (IsNamespaceDeclaration(name)) {
            continue;
        }
        if (!prefixes.Known(Prefix(name))) {
            return Failure(L"the namespace prefix of " + ToWide(a.name()) + L" is not defined");
        }
        texts.push_back(ToWide(std::string(LocalName(name)).c_str()));
        texts.push_back(AttributeValue(a.value()));
    }
    std::vector<XmlAttribute> attributes;
    for (size_t i = 0; i + 1 < texts.size(); i += 2) {
        attributes.push_back(XmlAttribute{texts[i], texts[i + 1]});
    }
    const std::wstring name = ToWide(std::string(LocalName(qualified)).c_str());
    if (const uint32_t line = lines.Of(element); line != 0) {
        sink.StartLine(line);
    }
    if (!sink.StartElement(name, attributes.data(), attributes.size())) {
        return Failure(L"the reading was stopped");
    }
    return {};
}

}  // namespace

XmlStatus ReadXmlEvents(std::string_view bytes, IXmlEventSink& sink) {
    CXmlDocument document;
    XmlStatus status = document.Create();
    if (!status) {
        return status;
    }
    std::string copy(bytes);
    status = XmlBackend::ParseBytes(document, copy, true);
    if (!status) {
        return status;
    }
    const pugi::xml_document& raw = XmlBackend::Doc(document)->doc;
    for (pugi::xml_node top = raw.first_child(); top; top = top.next_sibling()) {
        if (top.type() == pugi::node_doctype) {
            return Failure(L"a document type declaration (refused in a gauge file)");
        }
    }
    // Depth-first without recursion; the well-formedness check bounded the depth.
    CPrefixScope prefixes;
    CStartLines lines(copy);
    pugi::xml_node node = raw.document_element();
    int depth = 0;
    prefixes.Enter(node, depth);
    status = SendElementStart(node, prefixes, lines, sink);
    if (!status) {
        return status;
    }
    pugi::xml_node child = node.first_child();
    for (;;) {
        if (child) {
            bool goOn = true;
            switch (child.type()) {
                case pugi::node_element:
                    ++depth;
                    prefixes.Enter(child, depth);
                    status = SendElementStart(child, prefixes, lines, sink);
                    if (!status) {
                        return status;
                    }
                    node = child;
                    child = node.first_child();
                    continue;
                case pugi::node_pcdata:
                    goOn = CTextSender(sink).Send(child.value());
                    break;
                case pugi::node_cdata:
                    goOn = sink.Characters(ToWide(NormaliseLineEnds(child.value()).c_str()));
                    break;
                default:
                    break;
            }
            if (!goOn) {
                return Failure(L"the reading was stopped");
            }
            child = child.next_sibling();
            continue;
        }
        // The element is complete.
        if (!sink.EndElement()) {
            return Failure(L"the reading was stopped");
        }
        prefixes.Leave(depth);
        if (depth == 0) {
            return {};
        }
        child = node.next_sibling();
        node = node.parent();
        --depth;
    }
}

}  // namespace XPL::PLATFORM
