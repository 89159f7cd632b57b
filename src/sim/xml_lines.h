// Where the elements of a DOM document stand in their file, for messages. The DOM tells no lines,
// so the file is read a second time by the event reader, which reports where each start tag
// ends; the n-th element of the document in document order is the n-th start tag, and an
// element's place in that order is the number of elements before it (XPath tells them). The
// second reading also gives each element's attribute names, which the DOM cannot list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xml.h"

namespace XPL {

// The elements below node, at any depth (node itself not counted): how far an element's subtree
// moves the document-order index on.
size_t CountElements(const PLATFORM::CXmlNode& node);

class CXmlLines {
public:
    // Reads file for document (loaded from it). False when the event reader does not read the
    // file as the DOM did (every line is then 0).
    bool Read(const std::filesystem::path& file, const PLATFORM::CXmlDocument& document);
    // The same for the bytes the document was loaded from.
    bool ReadBytes(std::string_view bytes, const PLATFORM::CXmlDocument& document);
    // The line of an element of the document (where its start tag ends), 0 when unknown or for
    // another kind of node. Asks the document, so for a few nodes; LineAt for many.
    uint32_t LineOf(const PLATFORM::CXmlNode& node) const;
    // The line of the index-th element in document order (the root is 0), 0 when unknown.
    uint32_t LineAt(size_t index) const { return index < lines_.size() ? lines_[index] : 0; }
    // The place of an element in document order (the root is 0); SIZE_MAX for another node.
    size_t IndexOf(const PLATFORM::CXmlNode& node) const;
    // The attribute names of the index-th element as the file lists them (empty when unknown).
    const std::vector<std::wstring>& AttributesAt(size_t index) const;

private:
    std::vector<uint32_t> lines_;  // of each element in document order
    std::vector<std::vector<std::wstring>> attributes_;
};

}  // namespace XPL
