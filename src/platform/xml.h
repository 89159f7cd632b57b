// Seam: XML documents for the configuration readers (DOM: load a file or a text, select nodes by
// XPath 1.0, read names, attributes and texts, create elements, set attributes, save), and the
// gauge-file reader (a file read as a stream of element and text events).
// Windows maps them onto the MSXML 6 DOM document and SAX reader; other builds onto pugixml. Both
// accept what users' files hold: paths with backslashes, CRLF line ends, UTF-8 with or without a
// byte-order mark, UTF-16 with a byte-order mark, and 8-bit files declaring ISO-8859-1 or
// windows-1252. Failures are results with a message; nothing throws.
//
// Threads: a document and its nodes belong to the thread that called Create; every later call
// and the destruction happen there (on Windows that thread's COM is set up by Create as needed).
// A node is valid while its document lives and has not been loaded again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace XPL::PLATFORM {

// What an operation did. code: the OS status (an HRESULT on Windows) where there is one, else 0.
struct XmlStatus {
    bool ok = true;
    uint32_t code = 0;
    std::wstring message;  // why it failed (for the trace); empty on success
    // The line (from 1) of the document where reading failed; 0 when it failed elsewhere or the
    // backend cannot tell.
    uint32_t line = 0;
    explicit operator bool() const { return ok; }
};

enum class XmlNodeType { Element, Text, CData, Comment, ProcessingInstruction, Document, Other };

// A node handle; the default one is the null node, on which every call is harmless (names and
// texts are empty, lists empty, changes fail).
class CXmlNode {
public:
    CXmlNode() = default;
    CXmlNode(const CXmlNode& other);
    CXmlNode(CXmlNode&& other) noexcept;
    CXmlNode& operator=(const CXmlNode& other);
    CXmlNode& operator=(CXmlNode&& other) noexcept;
    ~CXmlNode();

    bool IsNull() const { return handle_ == nullptr; }
    explicit operator bool() const { return handle_ != nullptr; }

    XmlNodeType Type() const;
    // The DOM node name: the tag of an element, the target of a processing instruction,
    // "#text", "#cdata-section", "#comment" or "#document" for the others.
    std::wstring Name() const;
    // The text and CDATA content of the node and its descendants in document order, without
    // leading and trailing blanks (space, tab, CR, LF).
    std::wstring Text() const;
    // The child nodes in document order. Blank-only text between elements is not a node.
    std::vector<CXmlNode> Children() const;
    bool HasAttributes() const;
    // The attribute's value, or none when the element has no attribute of that name (names are
    // compared exactly).
    std::optional<std::wstring> GetAttribute(std::wstring_view name) const;
    // Sets (adds or replaces) an attribute of an element; false on any other node.
    bool SetAttribute(std::wstring_view name, std::wstring_view value);
    // Appends child (a node of the same document, or an element made by its CreateElement) as
    // the last child; on success child refers to the node in the tree from then on. False when
    // either node is null or the document refuses (a node into its own subtree, for one).
    bool AppendChild(CXmlNode& child);
    // The nodes an XPath 1.0 expression selects with this node as context, in document order;
    // selected attributes are left out. A malformed expression (one holding a NUL character
    // included) is a failure with the parser's reason; nodes is then empty.
    XmlStatus SelectNodes(std::wstring_view xpath, std::vector<CXmlNode>& nodes) const;
    // The first node selected, or the null node (also for a malformed expression).
    CXmlNode SelectSingleNode(std::wstring_view xpath) const;

private:
    friend class CXmlDocument;
    friend struct XmlBackend;
    explicit CXmlNode(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;  // backend node (a counted reference where the backend counts)
};

class CXmlDocument {
public:
    CXmlDocument();
    ~CXmlDocument();
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // Makes the parser on the calling thread; an empty document follows. A failure carries the
    // OS status in code (the document stays unusable: loads fail, nodes are null).
    XmlStatus Create();
    // Replaces the content with a file's. path may use backslashes. A missing, unreadable or
    // malformed file (or one in an encoding the backend cannot read) is a failure; the document
    // is then empty. Malformed is what MSXML refuses, on every backend: not exactly one root
    // element, text outside it, an undefined entity or stray '&', a repeated attribute, a
    // character XML does not allow, elements nested more than 256 deep.
    XmlStatus LoadFile(std::wstring_view path);
    // Replaces the content with a text (any encoding declaration in it is not looked at); held
    // to the same rules as a file.
    XmlStatus LoadText(std::wstring_view text);
    // Writes the document to path (backslashes allowed) through a temporary file beside it that
    // then replaces the target, so a failed save leaves the earlier file as it was. A document
    // without a root element (after a failed load, say) is not written: that is a failure too.
    XmlStatus Save(std::wstring_view path) const;

    // The document node (context for absolute XPaths) and its root element (null when empty).
    CXmlNode Root() const;
    CXmlNode DocumentElement() const;
    // A new element of that name, not yet in the tree (see CXmlNode::AppendChild).
    CXmlNode CreateElement(std::wstring_view name);

    XmlStatus SelectNodes(std::wstring_view xpath, std::vector<CXmlNode>& nodes) const {
        return Root().SelectNodes(xpath, nodes);
    }
    CXmlNode SelectSingleNode(std::wstring_view xpath) const {
        return Root().SelectSingleNode(xpath);
    }

private:
    friend struct XmlBackend;
    void* impl_ = nullptr;  // backend document
};

// One attribute of a started element: its local name (without a namespace prefix) and value.
struct XmlAttribute {
    std::wstring_view name;
    std::wstring_view value;
};

// Receives a document's events in document order. The views are valid during the call only.
// A false return stops the reading, which then fails.
class IXmlEventSink {
public:
    // An element starts: its local name and its attributes as the file lists them (namespace
    // declarations are no attributes).
    virtual bool StartElement(std::wstring_view name, const XmlAttribute* attributes,
                              size_t count) = 0;
    virtual bool EndElement() = 0;
    // A piece of character data of the current element: a run of text (references already
    // replaced) or a CDATA section's content. One run may come in several pieces; pieces of
    // blanks only may come between them.
    virtual bool Characters(std::wstring_view text) = 0;
    // The line (from 1) on which the start tag of the element that StartElement reports next
    // ends, for messages; called just before that StartElement when the reader can tell.
    virtual void StartLine(uint32_t line) { (void)line; }

protected:
    ~IXmlEventSink() = default;
};

// Reads a file's bytes and hands its events to sink. The encodings and the well-formedness rules
// are those of CXmlDocument::LoadFile; entities that a document type declaration would define
// are never expanded (a document using one fails). Events may have reached the sink before a
// failure is found: a failed read is to be discarded whole. Threads: any thread; on Windows the
// calling thread's COM is set up for the call as needed.
XmlStatus ReadXmlEvents(std::string_view bytes, IXmlEventSink& sink);

// text without the XML white space (blank, tab, CR, LF) at either end: what CXmlNode::Text gives.
inline std::wstring TrimXmlWhiteSpace(std::wstring_view text) {
    constexpr std::wstring_view kWhiteSpace = L" \t\r\n";
    const size_t begin = text.find_first_not_of(kWhiteSpace);
    if (begin == std::wstring_view::npos) {
        return {};
    }
    return std::wstring(text.substr(begin, text.find_last_not_of(kWhiteSpace) - begin + 1));
}

// An XPath 1.0 string literal whose value is exactly text, whatever quotes it holds (XPath has
// no escapes: a text with both kinds of quote becomes a concat() of pieces). Building a
// predicate from a user's or a device's text with it can neither break nor widen the selection.
inline std::wstring XPathStringLiteral(std::wstring_view text) {
    if (text.find(L'\'') == std::wstring_view::npos) {
        return L"'" + std::wstring(text) + L"'";
    }
    if (text.find(L'"') == std::wstring_view::npos) {
        return L"\"" + std::wstring(text) + L"\"";
    }
    std::wstring literal = L"concat(";
    size_t start = 0;
    while (start < text.size()) {
        // Pieces alternate: a run without ' in '...', a run of ' in "...".
        const bool quotes = text[start] == L'\'';
        size_t end = start;
        while (end < text.size() && (text[end] == L'\'') == quotes) {
            ++end;
        }
        const wchar_t mark = quotes ? L'"' : L'\'';
        literal += mark;
        literal += text.substr(start, end - start);
        literal += mark;
        literal += end < text.size() ? L"," : L")";
        start = end;
    }
    return literal;
}

inline CXmlNode CXmlNode::SelectSingleNode(std::wstring_view xpath) const {
    std::vector<CXmlNode> nodes;
    if (!SelectNodes(xpath, nodes) || nodes.empty()) {
        return CXmlNode();
    }
    return nodes.front();
}

}  // namespace XPL::PLATFORM
