// The tree of a gauge file: one node per element with its local name, its attributes by local
// name and its text. A node's text is the character data the XML reader delivers directly inside
// it, piece by piece: the pieces that hold a character other than a blank (space, tab, CR, LF)
// are joined in order, pieces of blanks only are left out. So "<V>1 &gt; 2</V>" reads
// "1 > 2", while a reference that stands for a blank, as in "a &#32; b", is dropped ("a  b").
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace XPL {

class CXmlNode {
public:
    // Bounds for files users share, each far beyond any gauge. A file larger than kMaxFileBytes,
    // or with an element of more than kMaxElementAttributes attributes, is refused before it is
    // read as XML; one with more than kMaxElements elements or kMaxAttributes attributes is
    // refused as it reads. Together they hold a tree, and what the XML reader keeps of the file
    // meanwhile, to about 150 MB and its reading to well under a second.
    static constexpr size_t kMaxFileBytes = 4u << 20;
    static constexpr size_t kMaxElementAttributes = 4096;
    static constexpr size_t kMaxElements = 1u << 17;
    static constexpr size_t kMaxAttributes = 1u << 17;
    // Elements nest at most this deep (as MSXML's DOM allows).
    static constexpr size_t kMaxDepth = 256;

    CXmlNode() = default;
    CXmlNode(const CXmlNode&) = delete;
    CXmlNode& operator=(const CXmlNode&) = delete;
    // Frees the children first, without recursion.
    ~CXmlNode();

    // The tree of a file (a Windows path: backslashes, any letter case), or null with the reason
    // in error (when given): a file that is missing, past a bound or not well-formed XML; errorLine
    // (when given) receives the line of the fault, 0 when it has none.
    static std::unique_ptr<CXmlNode> ParseXmlFile(std::wstring_view path,
                                                  std::wstring* error = nullptr,
                                                  uint32_t* errorLine = nullptr);
    // The tree of a file's bytes, as above.
    static std::unique_ptr<CXmlNode> ParseXmlBytes(std::string_view bytes,
                                                   std::wstring* error = nullptr,
                                                   uint32_t* errorLine = nullptr);

    // The attribute's value, or null when the element has none of that name (exact,
    // case-sensitive comparison).
    const std::wstring* GetAttribute(std::wstring_view attribute) const;

    std::wstring name;
    std::wstring text;
    // Where the element's start tag ends in its file (from 1), for messages; 0 when unknown.
    uint32_t line = 0;
    // A repeated attribute keeps its last value.
    std::map<std::wstring, std::wstring, std::less<>> attributes;
    std::vector<std::unique_ptr<CXmlNode>> children;
    CXmlNode* parent = nullptr;
};

}  // namespace XPL
