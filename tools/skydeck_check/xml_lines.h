// Where the elements of a DOM document stand in their file, for messages. The DOM tells no lines,
// so the file is read a second time by the event reader, which reports where each start tag
// ends; the n-th element of the document in document order is the n-th start tag, and an
// element's place in that order is the number of elements before it (XPath tells them).
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/xml.h"

namespace XPL::CHECKTOOL {

class CXmlLines {
public:
    // Reads file for document (loaded from it). False when the event reader does not read the
    // file as the DOM did (every line is then 0).
    bool Read(const std::filesystem::path& file, const PLATFORM::CXmlDocument& document);
    // The line of an element of the document (where its start tag ends), 0 when unknown or for
    // another kind of node.
    uint32_t LineOf(const PLATFORM::CXmlNode& node) const;

private:
    std::vector<uint32_t> lines_;  // of each element in document order
};

}  // namespace XPL::CHECKTOOL
