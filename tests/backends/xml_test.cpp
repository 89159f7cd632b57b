// The xml seam as configuration readers use it. Portable: the same tests run over pugixml on
// Linux and over MSXML 6 under Wine, so both backends read users' files alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/xml.h"
#include "test_support.h"

using namespace XPL::PLATFORM;
namespace fs = std::filesystem;

namespace {

class XmlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(document_.Create()); }
    // Writes bytes to root/sub/name; returns the path spelled with backslashes after the root.
    std::wstring Write(const std::string& name, const std::string& bytes) {
        XPL::TEST::WriteFile(root_ / "sub" / name, bytes);
        return root_.wstring() + L"\\sub\\" + std::wstring(name.begin(), name.end());
    }
    std::vector<std::wstring> Names(const std::wstring& xpath) {
        std::vector<CXmlNode> nodes;
        EXPECT_TRUE(document_.SelectNodes(xpath, nodes)) << "xpath";
        std::vector<std::wstring> names;
        for (const CXmlNode& node : nodes) {
            names.push_back(node.GetAttribute(L"n").value_or(node.Name()));
        }
        return names;
    }

    XPL::TEST::CTestFolder test_;
    const fs::path& root_ = test_.Path();
    CXmlDocument document_;
};

// One document, "<Lamp a=\"V\">\r\n<Name>T</Name></Lamp>" with V and T outside ASCII, in the
// encodings users' editors write.
struct EncodingCase {
    const char* label;
    std::string bytes;
    const wchar_t* text;
};

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char high = static_cast<char>(c >> 8);
        const char low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

const std::u16string kUtf16Document =
    u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Lamp a=\"Caf\u00e9\">\r\n"
    u"<Name>\u20ac 5 \u00fc</Name></Lamp>\r\n";

class XmlEncodingTest : public XmlTest, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(XmlEncodingTest, ReadsTheTextsOfTheFile) {
    const XmlStatus loaded = document_.LoadFile(Write("file.xml", GetParam().bytes));
    ASSERT_TRUE(loaded) << std::string(loaded.message.begin(), loaded.message.end());
    const CXmlNode root = document_.DocumentElement();
    EXPECT_EQ(root.Name(), L"Lamp");
    EXPECT_EQ(root.GetAttribute(L"a"), std::optional<std::wstring>(L"Caf\u00e9"));
    EXPECT_EQ(document_.SelectSingleNode(L"/Lamp/Name").Text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, XmlEncodingTest,
    ::testing::Values(
        EncodingCase{"Utf8",
                     "<Lamp a=\"Caf\xC3\xA9\">\n<Name>\xE2\x82\xAC 5 \xC3\xBC</Name></Lamp>",
                     L"\u20ac 5 \u00fc"},
        EncodingCase{"Utf8BomCrlf",
                     "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Lamp "
                     "a=\"Caf\xC3\xA9\">\r\n<Name>\xE2\x82\xAC 5\r\n\xC3\xBC</Name></Lamp>\r\n",
                     L"\u20ac 5\n\u00fc"},
        EncodingCase{"Utf16LittleEndian", Utf16(kUtf16Document, false), L"\u20ac 5 \u00fc"},
        EncodingCase{"Utf16BigEndian", Utf16(kUtf16Document, true), L"\u20ac 5 \u00fc"},
        EncodingCase{"Latin1",
                     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<Lamp "
                     "a=\"Caf\xE9\">\r\n<Name>\xA3 5 \xFC</Name></Lamp>",
                     L"\u00a3 5 \u00fc"},
        EncodingCase{"Windows1252",
                     "<?xml version='1.0' encoding='windows-1252'?>\r\n<Lamp "
                     "a=\"Caf\xE9\">\r\n<Name>\x80 5 \xFC</Name></Lamp>",
                     L"\u20ac 5 \u00fc"}),
    [](const auto& info) { return std::string(info.param.label); });

std::string Nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) {
        text += "<a>";
    }
    for (int i = 0; i < depth; ++i) {
        text += "</a>";
    }
    return text;
}

TEST_F(XmlTest, FilesThatDoNotHoldAWellFormedDocumentFailAndLeaveItEmpty) {
    ASSERT_TRUE(document_.LoadText(L"<Old/>"));
    // (Unclosed elements, two roots, a bare &, a repeated attribute and "--" in a comment: the
    // line test below.)
    const std::vector<std::string> bad = {
        "",
        "just text",
        "<Lamp>\xC3</Lamp>",  // an 8-bit byte in a file that declares no encoding
        "<?xml version=\"1.0\"?>",
        "<Lamp/>trailing",
        "<Lamp>&nbsp;</Lamp>",
        "<Lamp>&#0;</Lamp>",
        "<Lamp>\x01</Lamp>",
        std::string("<Lamp>\0</Lamp>", 15),
        "<Lamp><?xml version=\"1.0\"?></Lamp>",
        Nested(10000),
    };
    for (const std::string& bytes : bad) {
        const XmlStatus loaded = document_.LoadFile(Write("bad.xml", bytes));
        EXPECT_FALSE(loaded) << bytes;
        EXPECT_FALSE(loaded.message.empty()) << bytes;
        EXPECT_TRUE(document_.DocumentElement().IsNull()) << bytes;
    }
    EXPECT_FALSE(document_.LoadFile(root_.wstring() + L"\\sub\\missing.xml"));
    EXPECT_FALSE(document_.LoadText(L"<a><b></a>"));
    EXPECT_FALSE(document_.LoadText(std::wstring(L"<a/>\0<b>", 8)));
    // What well-formed files may hold all the same.
    const std::vector<std::string> good = {
        Nested(100),
        "<!-- before --><?pi x?><Lamp a=\"&#x41;&#0065;&lt;\">&amp;&quot;<![CDATA[&x; <]]>"
        "</Lamp><!-- after -->\r\n",
    };
    for (const std::string& bytes : good) {
        const XmlStatus loaded = document_.LoadFile(Write("good.xml", bytes));
        EXPECT_TRUE(loaded) << bytes << std::string(loaded.message.begin(), loaded.message.end());
    }
    EXPECT_EQ(document_.DocumentElement().GetAttribute(L"a"), std::optional<std::wstring>(L"AA<"));
    EXPECT_EQ(document_.DocumentElement().Text(), L"&\"&x; <");
}

TEST_F(XmlTest, ChildrenAreNamedAsTheDomNamesThemTextsTrimmedAttributesAbsentOrEmpty) {
    ASSERT_TRUE(document_.LoadText(
        L"<Lense>\r\n  <Id x=\"\" y=\"1\"> GearUp </Id>\r\n  <!-- note -->\r\n  "
        L"<colour>Red</colour>"
        L"\r\n  stray <![CDATA[<x>]]><Assignment>7<b>8</b></Assignment>\r\n</Lense>"));
    std::vector<std::wstring> names;
    std::vector<XmlNodeType> types;
    for (const CXmlNode& child : document_.DocumentElement().Children()) {
        names.push_back(child.Name());
        types.push_back(child.Type());
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Id", L"#comment", L"colour", L"#text",
                                                L"#cdata-section", L"Assignment"}));
    EXPECT_EQ(types, (std::vector<XmlNodeType>{XmlNodeType::Element, XmlNodeType::Comment,
                                               XmlNodeType::Element, XmlNodeType::Text,
                                               XmlNodeType::CData, XmlNodeType::Element}));
    const CXmlNode id = document_.SelectSingleNode(L"//Id");
    EXPECT_EQ(id.Text(), L"GearUp");
    EXPECT_EQ(document_.SelectSingleNode(L"//Assignment").Text(), L"78");
    EXPECT_EQ(document_.Root().Type(), XmlNodeType::Document);
    EXPECT_EQ(id.GetAttribute(L"x"), std::optional<std::wstring>(L""));
    EXPECT_EQ(id.GetAttribute(L"Y"), std::nullopt);
    EXPECT_TRUE(id.HasAttributes());
    EXPECT_FALSE(document_.SelectSingleNode(L"//colour").HasAttributes());
    const CXmlNode text = document_.SelectSingleNode(L"/Lense/text()");
    EXPECT_EQ(text.Type(), XmlNodeType::Text);
    EXPECT_FALSE(text.HasAttributes());
    EXPECT_EQ(text.GetAttribute(L"x"), std::nullopt);
}

TEST_F(XmlTest, SelectionIsInDocumentOrderAndLeavesAttributesOut) {
    ASSERT_TRUE(document_.LoadText(
        L"<r><Lamp><P Id='1' n='p1'/><P Id='2' n='p2'/></Lamp><x><Lamp><P Id='1' n='p3'/>"
        L"</Lamp></x></r>"));
    EXPECT_EQ(Names(L"//Lamp/P[@Id='1']"), (std::vector<std::wstring>{L"p1", L"p3"}));
    EXPECT_EQ(Names(L"//P/@Id"), std::vector<std::wstring>{});
    EXPECT_EQ(Names(L"//lamp/P"), std::vector<std::wstring>{});  // names keep their case
    const CXmlNode x = document_.SelectSingleNode(L"/r/x");
    std::vector<CXmlNode> relative;
    ASSERT_TRUE(x.SelectNodes(L"Lamp/P", relative));
    ASSERT_EQ(relative.size(), 1u);
    EXPECT_EQ(relative[0].GetAttribute(L"n"), std::optional<std::wstring>(L"p3"));
}

// Serial numbers as a device may report them: the literal must match exactly that value.
TEST_F(XmlTest, StringLiteralsSelectExactlyTheirTextWhateverQuotesItHolds) {
    const std::vector<std::wstring> values = {
        L"", L"SN-1", L"A'B", L"A\"B", L"'A\"B'", L"x' or '1'='1", L"\"'\"''", L"]/../*[1",
    };
    std::wstring text = L"<r>";
    for (size_t i = 0; i < values.size(); ++i) {
        std::wstring escaped;
        for (wchar_t c : values[i]) {
            escaped += c == L'"' ? L"&quot;" : std::wstring(1, c);
        }
        text += L"<P Id=\"" + escaped + L"\" n=\"" + std::to_wstring(i) + L"\"/>";
    }
    ASSERT_TRUE(document_.LoadText(text + L"</r>"));
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(Names(L"//P[@Id=" + XPathStringLiteral(values[i]) + L"]"),
                  std::vector<std::wstring>{std::to_wstring(i)})
            << i;
    }
    EXPECT_EQ(Names(L"//P[@Id=" + XPathStringLiteral(L"nobody'") + L"]"),
              std::vector<std::wstring>{});
}

TEST_F(XmlTest, BuiltDocumentsSurviveASaveAndLoad) {
    ASSERT_TRUE(document_.LoadText(L"<ScreenList> </ScreenList>"));
    CXmlNode screen = document_.CreateElement(L"Screen");
    ASSERT_FALSE(screen.IsNull());
    EXPECT_TRUE(screen.SetAttribute(L"Serial", L"S'1 \u00e9"));
    EXPECT_TRUE(screen.SetAttribute(L"Name", L"Old"));
    CXmlNode root = document_.DocumentElement();
    ASSERT_TRUE(root.AppendChild(screen));
    EXPECT_TRUE(screen.SetAttribute(L"Name", L"Altimeter & <more>"));  // still the tree's node
    EXPECT_FALSE(document_.Root().SetAttribute(L"x", L"y"));

    const std::wstring path = root_.wstring() + L"\\sub\\ScreenList.xml";
    ASSERT_TRUE(Write("ScreenList.xml", "old content, replaced") != L"");
    ASSERT_TRUE(document_.Save(path));
    EXPECT_FALSE(fs::exists(root_ / "sub" / "ScreenList.xml.tmp"));

    CXmlDocument reread;
    ASSERT_TRUE(reread.Create());
    ASSERT_TRUE(reread.LoadFile(path));
    const CXmlNode saved = reread.SelectSingleNode(L"//ScreenList/Screen");
    EXPECT_EQ(saved.GetAttribute(L"Serial"), std::optional<std::wstring>(L"S'1 \u00e9"));
    EXPECT_EQ(saved.GetAttribute(L"Name"), std::optional<std::wstring>(L"Altimeter & <more>"));
    EXPECT_EQ(reread.DocumentElement().Children().size(), 1u);
}

TEST_F(XmlTest, AFailedSaveLeavesTheFileAsItWas) {
    ASSERT_TRUE(document_.LoadText(L"<a/>"));
    EXPECT_FALSE(document_.Save(root_.wstring() + L"\\no such folder\\a.xml"));
    // A load that failed leaves an empty document, which is never written over a file.
    const std::string old = "<Screens><Screen Serial=\"1\"/></Screens>";
    const std::wstring path = Write("keep.xml", old);
    EXPECT_FALSE(document_.LoadFile(Write("bad.xml", "<Screens>")));
    EXPECT_FALSE(document_.Save(path));
    std::ifstream file(root_ / "sub" / "keep.xml", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), old);
    EXPECT_FALSE(fs::exists(root_ / "sub" / "keep.xml.tmp"));
}

// Where a file is malformed, for a message a user can follow: the DOM load and the event reader
// tell the same line, whatever the file's line ends and encoding.
TEST_F(XmlTest, FailuresTellTheLineOfTheFault) {
    struct Case {
        std::string bytes;
        uint32_t line;  // 0: refused, but Wine's MSXML places the fault on line 1
    };
    const std::vector<Case> cases = {
        {"<Lamp>\n<Lense>\n</Lamp>\n", 3},
        {"<Lamp>\r\n<A x=\"1\" x=\"2\"/>\r\n</Lamp>", 2},
        {"<Lamp/>\n\n<Lamp/>", 0},
        {"<a>\r\n\r\n\r\nA & B</a>", 4},
        // MSXML refuses "--" inside a comment, before the root as within it.
        {"<?xml version=\"1.0\"?>\n<!-- try\n  --float x=1 -->\n<a/>", 0},
        {"<a>\n<!-- x --->\n</a>", 2},
        {std::string("\xFF\xFE<\0a\0>\0\n\0<\0b\0>\0\n\0<\0/\0a\0>\0", 24), 3},
    };
    struct NullSink : IXmlEventSink {
        bool StartElement(std::wstring_view, const XmlAttribute*, size_t) override { return true; }
        bool EndElement() override { return true; }
        bool Characters(std::wstring_view) override { return true; }
    } sink;
    for (const Case& c : cases) {
        const XmlStatus loaded = document_.LoadFile(Write("bad.xml", c.bytes));
        EXPECT_FALSE(loaded) << c.bytes;
        const XmlStatus read = ReadXmlEvents(c.bytes, sink);
        EXPECT_FALSE(read) << c.bytes;
        if (c.line != 0) {
            EXPECT_EQ(loaded.line, c.line) << c.bytes;
            EXPECT_EQ(read.line, c.line) << c.bytes;
        }
    }
}

TEST_F(XmlTest, EventReaderTellsTheLineWhereEachStartTagEnds) {
    struct LineSink : IXmlEventSink {
        void StartLine(uint32_t line) override { next = line; }
        bool StartElement(std::wstring_view name, const XmlAttribute*, size_t) override {
            lines.emplace_back(name, next);
            next = 0;
            return true;
        }
        bool EndElement() override { return true; }
        bool Characters(std::wstring_view) override { return true; }
        uint32_t next = 0;
        std::vector<std::pair<std::wstring, uint32_t>> lines;
    } sink;
    ASSERT_TRUE(
        ReadXmlEvents("<?xml version=\"1.0\"?>\r\n<!-- one\ntwo -->\n<a>\r\n  <b/>\r\n\r\n"
                      "  <c x=\"1\"\r\n     y=\"2\"/><![CDATA[\n]]>\n<d/>\r\n<e/></a>",
                      sink));
    const std::vector<std::pair<std::wstring, uint32_t>> expected = {
        {L"a", 4}, {L"b", 5}, {L"c", 8}, {L"d", 10}, {L"e", 11}};
    EXPECT_EQ(sink.lines, expected);
}

}  // namespace
