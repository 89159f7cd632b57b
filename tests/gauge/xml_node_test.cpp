// The gauge-file tree. Portable: the same expectations hold over pugixml on Linux and over the
// MSXML 6 SAX reader under Wine, so both readers give gauges the same texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gauge/xml_node.h"

using namespace XPL;

namespace {

struct TextCase {
    const char* label;
    std::string bytes;
    const wchar_t* text;  // of the root's first child
};

class XmlNodeTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(XmlNodeTextTest, JoinsThePiecesThatAreNotBlank) {
    std::wstring error;
    const std::unique_ptr<CXmlNode> root = CXmlNode::ParseXmlBytes(GetParam().bytes, &error);
    ASSERT_NE(root, nullptr) << std::string(error.begin(), error.end());
    ASSERT_FALSE(root->children.empty());
    EXPECT_EQ(root->children[0]->text, GetParam().text);
    EXPECT_EQ(root->text, L"");
}

std::string Utf16(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, XmlNodeTextTest,
    ::testing::Values(
        TextCase{"Plain", "<G><V>1 2 +</V></G>", L"1 2 +"},
        TextCase{"EntityReference", "<G><V>(A:x,n) 1 &gt; if{ 2 }</V></G>", L"(A:x,n) 1 > if{ 2 }"},
        TextCase{"EscapedEntity", "<G><V>1 2 &amp;gt;</V></G>", L"1 2 &gt;"},
        TextCase{"BlankReferenceLeftOut", "<G><V>a &#32; b</V></G>", L"a  b"},
        TextCase{"BlanksAroundAReference", "<G><V> &amp; </V></G>", L"&"},
        TextCase{"CharacterReferences", "<G><V>&#65;&#x42;C&#x20AC;</V></G>", L"ABC\u20ac"},
        TextCase{"CData", "<G><V>x<![CDATA[ y&z<> ]]>w</V></G>", L"x y&z<> w"},
        TextCase{"CommentSplits", "<G><V>x <!-- c --> y</V></G>", L"x  y"},
        TextCase{"TextAroundAChild", "<G><V>a<W>inner</W>b</V></G>", L"ab"},
        // A CR LF is a piece of its own, so lines written on Windows join without a break; a
        // line feed alone stays in its piece.
        TextCase{"Crlf", "<G>\r\n  <V>a \r\n b</V>\r\n</G>\r\n", L"a  b"},
        TextCase{"Lf", "<G>\n  <V>a\n\nb</V>\n</G>\n", L"a\n\nb"},
        TextCase{"Cr", "<G><V>a\rb</V></G>", L"a\nb"},
        TextCase{"Utf8Bom", "\xEF\xBB\xBF<G><V>caf\xC3\xA9</V></G>", L"caf\u00e9"},
        TextCase{"Utf8Declared",
                 "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<G><V>\xE2\x82\xAC</V></G>",
                 L"\u20ac"},
        TextCase{"Utf16",
                 Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
                       u"<G><V>1 &lt; x\u00fc</V></G>\r\n"),
                 L"1 < x\u00fc"},
        TextCase{"Latin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><G><V>\xFC</V></G>",
                 L"\u00fc"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(XmlNodeTest, BuildsTheTreeWithAttributesByLocalName) {
    const std::unique_ptr<CXmlNode> root = CXmlNode::ParseXmlBytes(
        "<x:Gauge xmlns:x='urn:g' xmlns='urn:d' x:Name='N' b=\"&lt;2\">"
        "<Element><Position X='1' Y='2\r\n'/></Element><Element/><?pi ignored?></x:Gauge>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name, L"Gauge");
    EXPECT_EQ(root->parent, nullptr);
    const std::map<std::wstring, std::wstring, std::less<>> attributes = {{L"Name", L"N"},
                                                                          {L"b", L"<2"}};
    EXPECT_EQ(root->attributes, attributes);
    ASSERT_EQ(root->children.size(), 2u);
    const CXmlNode& position = *root->children[0]->children.at(0);
    EXPECT_EQ(position.name, L"Position");
    EXPECT_EQ(position.parent, root->children[0].get());
    ASSERT_NE(position.GetAttribute(L"Y"), nullptr);
    EXPECT_EQ(*position.GetAttribute(L"Y"), L"2 ");
    EXPECT_EQ(position.GetAttribute(L"y"), nullptr);
    EXPECT_TRUE(root->children[1]->children.empty());
}

TEST(XmlNodeTest, WhatIsNotWellFormedGivesNoTreeAndAReason) {
    std::string deep;
    for (int i = 0; i < 300; ++i) {
        deep += "<a>";
    }
    for (int i = 0; i < 300; ++i) {
        deep += "</a>";
    }
    const std::vector<std::string> bad = {
        "",
        "not xml",
        "<G><V></G>",
        "<G/><G/>",
        "<G a='1' a='2'/>",
        "<x:G/>",
        "<G>&nbsp;</G>",
        "<!DOCTYPE G [<!ENTITY e 'ee'>]><G>&e;</G>",
        std::string("<G>\0</G>", 8),
        "<G>\xC3</G>",
        deep,
    };
    for (const std::string& bytes : bad) {
        std::wstring error;
        EXPECT_EQ(CXmlNode::ParseXmlBytes(bytes, &error), nullptr) << bytes;
        EXPECT_FALSE(error.empty()) << bytes;
    }
    // Past the tree's bounds: elements, attributes, and attributes of one element (UTF-16).
    std::string elements = "<G>";
    std::string attributes = "<G>";
    std::string one("\xFF\xFE<\0G\0", 6);
    for (size_t i = 0; i < CXmlNode::kMaxElements; ++i) {
        elements += "<a/>";
        attributes += i % 2 == 0 ? "<a b='' c=''/>" : "";
        one += i <= CXmlNode::kMaxElementAttributes ? std::string(" \0a\0=\0'\0'\0", 10) : "";
    }
    for (const auto& [bytes, reason] :
         {std::pair{elements + "</G>", L"more than 131072 elements"},
          {attributes + "<a b=''/></G>", L"more than 131072 attributes"},
          {one + std::string("/\0>\0", 4), L"an element with more than 4096 attributes"}}) {
        std::wstring error;
        EXPECT_EQ(CXmlNode::ParseXmlBytes(bytes, &error), nullptr);
        EXPECT_EQ(error.rfind(reason, 0), 0u) << std::string(error.begin(), error.end());
    }
}

}  // namespace
