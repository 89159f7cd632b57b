// Ties the plug-in's reading of a file (the xml seam's document) to where its elements stand in
// the text (CXmlText): both list the elements in document order.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/xml.h"
#include "xml_text.h"

namespace XPL::STUDIO {

// The element's place among the document's elements in document order.
size_t DocumentIndex(const PLATFORM::CXmlNode& element);
// Whether the text locates the same elements, by name and order, as the document holds.
bool SameElements(const CXmlText& text, const PLATFORM::CXmlDocument& document);

}  // namespace XPL::STUDIO
