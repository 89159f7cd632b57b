#include "xml_text.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/utf8.h"
#include "platform/xml_declaration.h"

namespace XPL::STUDIO {

namespace {

// windows-1252 bytes 0x80 to 0x9F; the five the code page leaves undefined keep their value, as
// Windows' own conversion (and so the plug-in's reader) does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The next code point of UTF-8 text at i (advanced past it); false at a malformed sequence.
bool NextCodePoint(std::string_view text, size_t& i, uint32_t& c) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char first = byte(i);
    const size_t extra = first < 0x80    ? 0
                         : first >= 0xF0 ? 3
                         : first >= 0xE0 ? 2
                         : first >= 0xC2 ? 1
                                         : 9;
    if (extra == 9 || i + extra >= text.size()) {
        return false;
    }
    c = extra == 0 ? first : first & (0x3Fu >> extra);
    for (size_t k = 1; k <= extra; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) {
            return false;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
    return !overlong && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

bool Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& out) {
    if (bytes.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 0; i < bytes.size(); i += 2) {
        const auto unit = [&](size_t k) {
            const uint32_t a = static_cast<unsigned char>(bytes[k]);
            const uint32_t b = static_cast<unsigned char>(bytes[k + 1]);
            return bigEndian ? (a << 8) | b : (b << 8) | a;
        };
        uint32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= bytes.size()) {
                return false;
            }
            const uint32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return false;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
        PLATFORM::AppendUtf8(out, c);
    }
    return true;
}

// The byte of code point c in an 8-bit encoding, or -1 when it has none.
int EightBit(uint32_t c, TextEncoding encoding) {
    if (encoding == TextEncoding::Latin1) {
        return c <= 0xFF ? static_cast<int>(c) : -1;
    }
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<int>(c);
    }
    const auto found = std::find(kCp1252High.begin(), kCp1252High.end(), static_cast<char16_t>(c));
    return c <= 0xFFFF && found != kCp1252High.end()
               ? static_cast<int>(0x80 + (found - kCp1252High.begin()))
               : -1;
}

bool Encodable(uint32_t c, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf16Le ||
           encoding == TextEncoding::Utf16Be || EightBit(c, encoding) >= 0;
}

bool IsXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsNameEnd(char c) {
    return IsBlank(c) || c == '/' || c == '>' || c == '=';
}

}  // namespace

std::string ApplyEdits(std::string_view text, std::vector<TextEdit> edits, size_t base) {
    std::stable_sort(edits.begin(), edits.end(), [](const TextEdit& a, const TextEdit& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end > b.end;
    });
    std::string out;
    size_t at = base;
    for (const TextEdit& edit : edits) {
        const size_t begin = std::max(edit.begin, at);
        out.append(text.substr(at - base, begin - at));
        out += edit.text;
        at = std::max(begin, edit.end);
    }
    out.append(text.substr(std::min(at - base, text.size())));
    return out;
}

const CXmlText::Attribute* CXmlText::Element::Find(std::string_view attribute) const {
    for (const Attribute& candidate : attributes) {
        if (candidate.name == attribute) {
            return &candidate;
        }
    }
    return nullptr;
}

bool CXmlText::Read(std::string_view bytes, std::string& why) {
    text_.clear();
    mark_.clear();
    const bool littleMark = StartsWith(bytes, std::string_view("\xFF\xFE", 2));
    const bool bigMark = StartsWith(bytes, std::string_view("\xFE\xFF", 2));
    const bool little = littleMark || StartsWith(bytes, std::string_view("<\0?\0", 4));
    const bool big = bigMark || StartsWith(bytes, std::string_view("\0<\0?", 4));
    if (little || big) {
        encoding_ = little ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
        mark_ = std::string(bytes.substr(0, littleMark || bigMark ? 2 : 0));
        if (!Utf16ToUtf8(bytes.substr(mark_.size()), big, text_)) {
            why = "the text is not valid UTF-16";
            return false;
        }
    } else if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        encoding_ = TextEncoding::Utf8;
        mark_ = "\xEF\xBB\xBF";
        text_ = std::string(bytes.substr(3));
    } else {
        const std::string declared = PLATFORM::DeclaredXmlEncoding(bytes);
        if (declared.empty() || declared == "utf-8" || declared == "utf8" ||
            declared == "us-ascii" || declared == "ascii") {
            encoding_ = TextEncoding::Utf8;
            text_ = std::string(bytes);
        } else if (declared == "iso-8859-1" || declared == "iso_8859-1" || declared == "latin1" ||
                   declared == "latin-1" || declared == "l1" || declared == "iso8859-1") {
            encoding_ = TextEncoding::Latin1;
        } else if (declared == "windows-1252" || declared == "cp1252" || declared == "x-cp1252") {
            encoding_ = TextEncoding::Windows1252;
        } else {
            why = "the encoding " + declared + " is not one the studio writes";
            return false;
        }
        if (encoding_ != TextEncoding::Utf8) {
            for (const char byte : bytes) {
                const auto c = static_cast<unsigned char>(byte);
                PLATFORM::AppendUtf8(
                    text_, encoding_ == TextEncoding::Windows1252 && c >= 0x80 && c <= 0x9F
                               ? kCp1252High[c - 0x80]
                               : c);
            }
        }
    }
    for (size_t i = 0; i < text_.size();) {
        uint32_t c = 0;
        if (!NextCodePoint(text_, i, c)) {
            why = "the text is not valid UTF-8";
            return false;
        }
    }
    if (Encode(text_) != bytes) {
        why = "the text would not be written back byte for byte";
        return false;
    }
    const size_t crlf = [&] {
        size_t count = 0;
        for (size_t at = text_.find("\r\n"); at != std::string::npos;
             at = text_.find("\r\n", at + 2)) {
            ++count;
        }
        return count;
    }();
    const size_t lf = static_cast<size_t>(std::count(text_.begin(), text_.end(), '\n'));
    lineEnd_ = lf == 0 || crlf * 2 >= lf ? "\r\n" : "\n";
    return Locate(why);
}

void CXmlText::Start(std::string_view text) {
    encoding_ = TextEncoding::Utf8;
    mark_.clear();
    text_ = std::string(text);
    lineEnd_ = "\r\n";
    std::string why;
    Locate(why);
}

std::string CXmlText::Encode(std::string_view text) const {
    std::string out = mark_;
    if (encoding_ == TextEncoding::Utf8) {
        return out.append(text);
    }
    for (size_t i = 0; i < text.size();) {
        uint32_t c = '?';
        if (!NextCodePoint(text, i, c)) {
            ++i;
        }
        if (encoding_ == TextEncoding::Latin1 || encoding_ == TextEncoding::Windows1252) {
            const int byte = EightBit(c, encoding_);
            out += static_cast<char>(byte >= 0 ? byte : '?');
            continue;
        }
        const auto unit = [&](uint32_t u) {
            const char high = static_cast<char>(u >> 8);
            const char low = static_cast<char>(u & 0xFF);
            out += encoding_ == TextEncoding::Utf16Be ? high : low;
            out += encoding_ == TextEncoding::Utf16Be ? low : high;
        };
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

bool CXmlText::Locate(std::string& why) {
    elements_.clear();
    std::vector<size_t> open;
    uint32_t line = 1;
    size_t counted = 0;  // line counted up to here
    const auto lineAt = [&](size_t at) {
        for (; counted < at; ++counted) {
            const char c = text_[counted];
            if (c == '\n' ||
                (c == '\r' && (counted + 1 >= text_.size() || text_[counted + 1] != '\n'))) {
                ++line;
            }
        }
        return line;
    };
    const auto skipTo = [&](size_t from, std::string_view end, size_t& at) {
        const size_t found = text_.find(end, from);
        if (found == std::string::npos) {
            return false;
        }
        at = found + end.size();
        return true;
    };
    size_t at = 0;
    while ((at = text_.find('<', at)) != std::string::npos) {
        const std::string_view rest = std::string_view(text_).substr(at);
        bool closed = true;
        if (StartsWith(rest, "<?")) {
            closed = skipTo(at, "?>", at);
        } else if (StartsWith(rest, "<!--")) {
            closed = skipTo(at + 4, "-->", at);
        } else if (StartsWith(rest, "<![CDATA[")) {
            closed = skipTo(at, "]]>", at);
        } else if (StartsWith(rest, "<!")) {
            why = "the file has a document type declaration";
            return false;
        } else if (StartsWith(rest, "</")) {
            const size_t close = text_.find('>', at);
            if (open.empty() || close == std::string::npos) {
                why = "an end tag does not match";
                return false;
            }
            Element& element = elements_[open.back()];
            const std::string name = text_.substr(at + 2, close - at - 2);
            if (name.substr(0, name.find_last_not_of(" \t\r\n") + 1) != element.name) {
                why = "the end tag of " + element.name + " does not match";
                return false;
            }
            element.contentEnd = at;
            element.end = close + 1;
            element.lastLine = lineAt(close);
            open.pop_back();
            at = close + 1;
        } else {
            Element element;
            element.begin = at;
            element.parent = open.empty() ? kNone : open.back();
            size_t i = at + 1;
            while (i < text_.size() && !IsNameEnd(text_[i])) {
                ++i;
            }
            element.name = text_.substr(at + 1, i - at - 1);
            for (;;) {
                while (i < text_.size() && IsBlank(text_[i])) {
                    ++i;
                }
                if (i >= text_.size()) {
                    why = "a start tag is not closed";
                    return false;
                }
                if (text_[i] == '>' || StartsWith(std::string_view(text_).substr(i), "/>")) {
                    element.empty = text_[i] == '/';
                    element.startEnd = i + (element.empty ? 2 : 1);
                    break;
                }
                Attribute attribute;
                attribute.begin = i;
                while (i < text_.size() && !IsNameEnd(text_[i])) {
                    ++i;
                }
                attribute.name = text_.substr(attribute.begin, i - attribute.begin);
                while (i < text_.size() && IsBlank(text_[i])) {
                    ++i;
                }
                if (i >= text_.size() || text_[i] != '=') {
                    why = "an attribute has no value";
                    return false;
                }
                ++i;
                while (i < text_.size() && IsBlank(text_[i])) {
                    ++i;
                }
                if (i >= text_.size() || (text_[i] != '"' && text_[i] != '\'')) {
                    why = "an attribute value is not quoted";
                    return false;
                }
                attribute.quote = text_[i];
                attribute.valueBegin = i + 1;
                const size_t close = text_.find(attribute.quote, i + 1);
                if (close == std::string::npos || attribute.name.empty()) {
                    why = "an attribute value is not closed";
                    return false;
                }
                attribute.valueEnd = close;
                element.attributes.push_back(std::move(attribute));
                i = close + 1;
            }
            element.firstLine = lineAt(element.begin);
            element.line = lineAt(element.startEnd - 1);
            if (element.empty) {
                element.contentEnd = element.end = element.startEnd;
                element.lastLine = element.line;
            }
            at = element.startEnd;
            elements_.push_back(std::move(element));
            if (!elements_.back().empty) {
                open.push_back(elements_.size() - 1);
            }
        }
        if (!closed) {
            why = "a comment, processing instruction or CDATA section is not closed";
            return false;
        }
    }
    if (!open.empty() || elements_.empty()) {
        why = "the elements are not closed";
        return false;
    }
    return true;
}

bool CXmlText::OnLineOfItsOwn(const Element& element) const {
    size_t start = element.begin;
    while (start > 0 && (text_[start - 1] == ' ' || text_[start - 1] == '\t')) {
        --start;
    }
    return start == 0 || text_[start - 1] == '\n' || text_[start - 1] == '\r';
}

std::string CXmlText::IndentOf(const Element& element) const {
    size_t start = element.begin;
    while (start > 0 && (text_[start - 1] == ' ' || text_[start - 1] == '\t')) {
        --start;
    }
    if (start > 0 && text_[start - 1] != '\n' && text_[start - 1] != '\r') {
        return {};
    }
    return text_.substr(start, element.begin - start);
}

std::string CXmlText::IndentUnit() const {
    for (size_t i = 0; i < elements_.size(); ++i) {
        if (elements_[i].parent == kNone) {
            continue;
        }
        const std::string inner = IndentOf(elements_[i]);
        const std::string outer = IndentOf(elements_[elements_[i].parent]);
        if (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0) {
            return inner.substr(outer.size());
        }
    }
    return "  ";
}

std::vector<size_t> CXmlText::ChildrenOf(size_t index) const {
    std::vector<size_t> children;
    for (size_t i = index + 1; i < elements_.size() && elements_[i].begin < elements_[index].end;
         ++i) {
        if (elements_[i].parent == index) {
            children.push_back(i);
        }
    }
    return children;
}

std::string CXmlText::Escape(std::wstring_view value, char quote) const {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(value[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < value.size()) {
            const uint32_t low = static_cast<uint32_t>(value[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (!IsXmlChar(c)) {
            continue;  // XML cannot hold it at all
        }
        char reference[16] = {};
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (quote != 0 && static_cast<char>(c) == quote) {
            out += quote == '"' ? "&quot;" : "&apos;";
        } else if ((quote != 0 && (c == '\t' || c == '\n')) || c == '\r' ||
                   !Encodable(c, encoding_)) {
            // Attribute values turn raw blanks into spaces, and line ends are normalised.
            std::snprintf(reference, sizeof reference, "&#x%X;", c);
            out += reference;
        } else {
            PLATFORM::AppendUtf8(out, c);
        }
    }
    return out;
}

TextEdit CXmlText::SetAttributeValue(const Attribute& attribute, std::wstring_view value) const {
    return {attribute.valueBegin, attribute.valueEnd, Escape(value, attribute.quote)};
}

TextEdit CXmlText::RemoveAttribute(const Attribute& attribute) const {
    size_t begin = attribute.begin;
    while (begin > 0 && IsBlank(text_[begin - 1])) {
        --begin;
    }
    return {begin, attribute.valueEnd + 1, {}};
}

size_t CXmlText::AttributeInsertPoint(const Element& element) const {
    return element.attributes.empty() ? element.begin + 1 + element.name.size()
                                      : element.attributes.back().valueEnd + 1;
}

std::string CXmlText::NewAttribute(std::string_view name, std::wstring_view value) const {
    return " " + std::string(name) + "=\"" + Escape(value, '"') + "\"";
}

TextEdit CXmlText::SetContent(const Element& element, std::wstring_view text) const {
    if (element.empty) {
        // <Id/> becomes <Id>text</Id>.
        return {element.startEnd - 2, element.startEnd,
                ">" + Escape(text, 0) + "</" + element.name + ">"};
    }
    return {element.startEnd, element.contentEnd, Escape(text, 0)};
}

TextEdit CXmlText::Remove(const Element& element) const {
    size_t begin = element.begin;
    size_t end = element.end;
    while (begin > 0 && (text_[begin - 1] == ' ' || text_[begin - 1] == '\t')) {
        --begin;
    }
    const bool lineStart = begin == 0 || text_[begin - 1] == '\n' || text_[begin - 1] == '\r';
    size_t after = end;
    while (after < text_.size() && (text_[after] == ' ' || text_[after] == '\t')) {
        ++after;
    }
    const bool lineEnd = after >= text_.size() || text_[after] == '\r' || text_[after] == '\n';
    if (lineStart && lineEnd) {
        end = after;
        if (end < text_.size() && text_[end] == '\r') {
            ++end;
        }
        if (end < text_.size() && text_[end] == '\n') {
            ++end;
        }
    } else {
        begin = element.begin;
    }
    return {begin, end, {}};
}

TextEdit CXmlText::AppendChildren(const Element& parent, const std::vector<std::string>& markups,
                                  const std::vector<size_t>& removed) const {
    const size_t index = static_cast<size_t>(&parent - elements_.data());
    const std::vector<size_t> children = ChildrenOf(index);
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if (std::find(removed.begin(), removed.end(), *child) == removed.end()) {
            return InsertAfter(elements_[*child], markups);
        }
    }
    const std::string outer = IndentOf(parent);
    std::string lines;
    for (const std::string& markup : markups) {
        lines += lineEnd_ + outer + IndentUnit() + markup;
    }
    if (!children.empty()) {
        // Every child goes: the new ones come first, right after the start tag.
        return {parent.startEnd, parent.startEnd, lines};
    }
    if (parent.empty) {
        return {parent.startEnd - 2, parent.startEnd,
                ">" + lines + lineEnd_ + outer + "</" + parent.name + ">"};
    }
    // Blank content is replaced; other content (text, comments) stays before the new children.
    const std::string_view content =
        std::string_view(text_).substr(parent.startEnd, parent.contentEnd - parent.startEnd);
    if (content.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        return {parent.startEnd, parent.contentEnd, lines + lineEnd_ + outer};
    }
    size_t at = parent.contentEnd;
    while (at > parent.startEnd && IsBlank(text_[at - 1])) {
        --at;
    }
    return {at, at, lines};
}

TextEdit CXmlText::InsertAfter(const Element& element,
                               const std::vector<std::string>& markups) const {
    const std::string indent = IndentOf(element);
    std::string lines;
    for (const std::string& markup : markups) {
        lines += (OnLineOfItsOwn(element) ? lineEnd_ + indent : std::string()) + markup;
    }
    return {element.end, element.end, lines};
}

}  // namespace XPL::STUDIO
