// A user's XML file as written, for edits that change only what they must. The bytes are turned
// into UTF-8 text in the encoding the plug-in's reader settles on (byte-order mark, then the
// declaration: UTF-8, UTF-16 either way round, ISO-8859-1, windows-1252) and back; a file whose
// text would not turn back into exactly its bytes is not edited. The markup is located, not
// interpreted: every element with the places of its tags and attributes, in document order, so
// that an edit replaces a value, adds an attribute or moves an element and leaves comments, line
// ends, blanks, unknown elements and attributes as they were. What the elements mean is decided
// by the plug-in's own readers, never here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace XPL::STUDIO {

enum class TextEncoding : uint8_t { Utf8, Utf16Le, Utf16Be, Latin1, Windows1252 };

// One replacement of the text: [begin, end) becomes text (begin == end inserts).
struct TextEdit {
    size_t begin = 0;
    size_t end = 0;
    std::string text;
};

// text with the edits made; they must not overlap (an insertion may sit at the end of another
// edit's range, and comes after it). Offsets are those of text plus base.
std::string ApplyEdits(std::string_view text, std::vector<TextEdit> edits, size_t base = 0);

class CXmlText {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    struct Attribute {
        std::string name;
        size_t begin = 0;       // the name's first character
        size_t valueBegin = 0;  // inside the quotes
        size_t valueEnd = 0;    // the closing quote
        char quote = '"';
    };
    struct Element {
        std::string name;
        size_t begin = 0;        // '<' of the start tag
        size_t startEnd = 0;     // just past the start tag's '>'
        size_t contentEnd = 0;   // '<' of the end tag (startEnd for an empty element)
        size_t end = 0;          // just past the end tag (startEnd for an empty element)
        bool empty = false;      // written <name .../>
        size_t parent = kNone;   // index of the parent element
        uint32_t firstLine = 0;  // where the start tag begins, from 1
        uint32_t line = 0;       // where the start tag ends
        uint32_t lastLine = 0;   // where the element ends
        std::vector<Attribute> attributes;
        const Attribute* Find(std::string_view attribute) const;
    };

    // Takes a file's bytes. False, with why, when they cannot be edited safely: an encoding other
    // than those above, a text that does not turn back into the same bytes, or markup that is not
    // located (a document type declaration, an unclosed tag).
    bool Read(std::string_view bytes, std::string& why);
    // A new file in UTF-8 with a byte-order mark-less declaration and CRLF line ends.
    void Start(std::string_view text);

    const std::string& Text() const { return text_; }
    TextEncoding Encoding() const { return encoding_; }
    const std::vector<Element>& Elements() const { return elements_; }
    // The bytes of text (this text edited) in the file's encoding, with its byte-order mark.
    std::string Encode(std::string_view text) const;
    // The line end most of the file uses ("\r\n" when it has none).
    const std::string& LineEnd() const { return lineEnd_; }
    // The blanks before the element on its line ("" when something else stands there).
    std::string IndentOf(const Element& element) const;
    // Whether only blanks stand before the element on its line.
    bool OnLineOfItsOwn(const Element& element) const;
    // One level of indentation as the file writes it (two blanks when it does not tell).
    std::string IndentUnit() const;
    // The element children of elements_[index], in order.
    std::vector<size_t> ChildrenOf(size_t index) const;

    // value escaped for an attribute in quote, or for element text (quote 0): markup characters
    // and line breaks as references, and characters the file's encoding lacks as numeric ones.
    std::string Escape(std::wstring_view value, char quote) const;

    // Edits of one element (offsets into Text()).
    TextEdit SetAttributeValue(const Attribute& attribute, std::wstring_view value) const;
    TextEdit RemoveAttribute(const Attribute& attribute) const;
    // Where new attributes go: just after the last attribute or the name.
    size_t AttributeInsertPoint(const Element& element) const;
    std::string NewAttribute(std::string_view name, std::wstring_view value) const;
    // The element's content replaced by text (an empty element gets an end tag).
    TextEdit SetContent(const Element& element, std::wstring_view text) const;
    // The element removed, with the blanks and line end around it when it stands on lines of its
    // own.
    TextEdit Remove(const Element& element) const;
    // The markup of elements, each on a line of its own, added as the last children of parent;
    // removed: children that other edits remove (the new ones follow the last child kept).
    TextEdit AppendChildren(const Element& parent, const std::vector<std::string>& markups,
                            const std::vector<size_t>& removed = {}) const;
    // The markups on lines of their own after element (siblings at its indentation).
    TextEdit InsertAfter(const Element& element, const std::vector<std::string>& markups) const;

private:
    bool Locate(std::string& why);

    std::string text_;  // UTF-8
    TextEncoding encoding_ = TextEncoding::Utf8;
    std::string mark_;  // the byte-order mark as read
    std::string lineEnd_ = "\r\n";
    std::vector<Element> elements_;
};

}  // namespace XPL::STUDIO
