// The configuration's button bindings of one gauge entry, as the plug-in and the check read them:
// which Ids bind and what a repeated one replaces. The Type words and Visible values: the
// configuration check's tests and the screen panel gauge's event tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/xml.h"
#include "screen/button_binding.h"

using namespace XPL;

namespace {

struct Bound {
    int number;
    std::wstring label;
    std::wstring event;
    uint32_t type;
    int32_t visible;
};

struct BindingCase {
    const char* name;
    const wchar_t* children;
    std::vector<Bound> bound;  // every bound button, ascending
    std::vector<BindingNote> notes;
};

void PrintTo(const BindingCase& c, std::ostream* out) {
    *out << c.name;
}

class ButtonBindingTest : public ::testing::TestWithParam<BindingCase> {};

TEST_P(ButtonBindingTest, ChildrenBindButtonsByTheirId) {
    const BindingCase& c = GetParam();
    PLATFORM::CXmlDocument document;
    ASSERT_TRUE(document.Create());
    ASSERT_TRUE(
        document.LoadText(std::wstring(L"<Gauge File=\"g.xml\">") + c.children + L"</Gauge>"));
    ButtonBindings bindings;
    bindings[5].number = 6;  // whatever was there before goes
    std::vector<BindingNote> notes;
    ReadButtonBindings(document.DocumentElement(), bindings,
                       [&notes](BindingNote note, const PLATFORM::CXmlNode&, std::wstring_view) {
                           notes.push_back(note);
                       });
    std::vector<Bound> bound;
    for (size_t i = 0; i < bindings.size(); ++i) {
        const ButtonBinding& b = bindings[i];
        if (b.number != 0) {
            EXPECT_EQ(b.number, i + 1);
            bound.push_back({b.number, b.label, b.event, b.eventType, b.visible});
        }
    }
    ASSERT_EQ(bound.size(), c.bound.size());
    for (size_t i = 0; i < bound.size(); ++i) {
        EXPECT_EQ(bound[i].number, c.bound[i].number) << i;
        EXPECT_EQ(bound[i].label, c.bound[i].label) << i;
        EXPECT_EQ(bound[i].event, c.bound[i].event) << i;
        EXPECT_EQ(bound[i].type, c.bound[i].type) << i;
        EXPECT_EQ(bound[i].visible, c.bound[i].visible) << i;
    }
    EXPECT_EQ(notes, c.notes);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ButtonBindingTest,
    ::testing::Values(
        BindingCase{"OnlyIdsOneToTwelveBind",
                    L"<B Id=\"2\" Type=\"Command\" Event=\"sim/a\"/><B Id=\"13\" Type=\"Key\"/>"
                    L"<B Id=\"0\" Type=\"Key\"/><B Id=\"x\" Type=\"Key\"/><B Type=\"Key\"/>"
                    L"<B Id=\"-1\" Type=\"Key\"/><B Id=\"99999999999\" Type=\"Key\"/>"
                    L"<B Id=\" 12abc\" Type=\"Key\"/>text<B/><B>5</B>",
                    {{2, L"", L"sim/a", kEventCommand, 1}, {12, L"", L"", kEventKey, 1}},
                    {BindingNote::IgnoredId, BindingNote::IgnoredId, BindingNote::IgnoredId,
                     BindingNote::IgnoredId, BindingNote::IgnoredId, BindingNote::IgnoredId}},
        BindingCase{"ARepeatedIdOverwritesOnlyWhatItCarries",
                    L"<B Id=\"3\" Name=\"NAV\" Event=\"a\" Type=\"Key\" Visible=\"no\"/>"
                    L"<Other Id=\"3\" Event=\"b\"/><B Id=\"3\" Type=\"Button\"/>",
                    {{3, L"NAV", L"b", kEventButton, 0}},
                    {BindingNote::NotVisible, BindingNote::RepeatedId, BindingNote::RepeatedId}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
