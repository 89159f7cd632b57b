// The configuration check on the data folder: the gauge list, the buttons it binds, the stick's
// pages and the memory file, each kind of finding from a folder of its own, with the line it
// names.
#include <gtest/gtest.h>

#include "check_support.h"
#include "configuration_check.h"

namespace XPL::TEST {
namespace {

struct ConfigurationCase {
    const char* name;
    std::string entries;                      // the content of the GaugeList, from line 2
    std::string memory;                       // XVarlenScreen.xml; none when empty
    std::vector<std::string> findings;        // of XVarlenSkydeck.xml
    std::vector<std::string> memoryFindings;  // of XVarlenScreen.xml
};

class CheckConfigurationTest : public CheckFolderTest,
                               public ::testing::WithParamInterface<ConfigurationCase> {
protected:
    void SetUp() override {
        CheckFolderTest::SetUp();
        const std::string face = R"(<Image Name="Face.bmp" ImageSizes="240,240,240,240"/>)";
        Bitmap("gauges/1024/Face.bmp", 240, 240);
        Write("gauges/a.xml", "<Gauge Name=\"A\">" + face + "</Gauge>");
        Write("gauges/b.xml", "<Gauge Name=\"B\">" + face + "</Gauge>");
        Write("gauges/a2.xml", "<Gauge Name=\"A\">" + face + "</Gauge>");
        Write("gauges/broken.xml", "<Gauge Name=\"C\">" + face + "<Sound/></Gauge>");
    }
    // The findings of the file whose name ends in name.
    static std::vector<std::string> FindingsOf(const CHECKTOOL::CFindings& findings,
                                               const std::string& name) {
        CHECKTOOL::CFindings of;
        for (const CHECKTOOL::Finding& finding : findings.All()) {
            if (finding.file.size() >= name.size() &&
                finding.file.compare(finding.file.size() - name.size(), name.size(), name) == 0) {
                of.Add(finding.file, finding.line, finding.severity, finding.text);
            }
        }
        return Lines(of);
    }
};

TEST_P(CheckConfigurationTest, ReportsWhatThePlugInWouldIgnoreOrMisread) {
    Write("XVarlenSkydeck.xml", "<GaugeList>\n" + GetParam().entries + "\n</GaugeList>\n");
    if (!GetParam().memory.empty()) {
        Write("XVarlenScreen.xml", GetParam().memory);
    }
    CHECKTOOL::CFindings findings;
    CHECKTOOL::CConfigurationCheck check(findings);
    check.Check(folder_);
    check.CheckMemory(folder_);
    ExpectFindings(FindingsOf(findings, "XVarlenSkydeck.xml"), GetParam().findings);
    ExpectFindings(FindingsOf(findings, "XVarlenScreen.xml"), GetParam().memoryFindings);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, CheckConfigurationTest,
    ::testing::Values(
        ConfigurationCase{
            "Clean",
            R"(<Gauge File="gauges\a.xml">
<Button Id="1" Name="K" Type="Key" Event="xplm_key_pause"/>
<Button Id="2" Type="Button" Event="xplm_joy_start_0" Visible="no"/>
<Button Id="3" Type="Command" Event="sim/none/at/all"/>
<Button Id=" 4" Type="VInput" Event="control + shift + s" Visible="yes"/>
<Button Id="12" Type="String" Event=""/>
<!-- a note --></Gauge>
<Gauge File="gauges/b.xml"/>
<Hotas><ComNav radio1="true"/><ComNav radio1="false"/><Adf/><Dme/><Xpndr/><VorHdg/>
<Autopilot/></Hotas>)",
            "<ScreenList>\n<Screen Serial=\"S1\" Name=\"B\"/>\n<Screen Serial=\"\" Name=\"A\"/>"
            "\n</ScreenList>",
            {},
            {}},
        ConfigurationCase{
            "ButtonIds",
            R"(<Gauge File="gauges\a.xml">
<Button Name="NONE" Type="Key" Event="xplm_key_pause"/>
<Button Id="13" Type="Key" Event="xplm_key_pause"/>
<Button Id="x" Type="Key" Event="xplm_key_pause"/>
<Button Id="2" Type="Key" Event="xplm_key_pause"/>
<Button Id="2" Name="AGAIN"/>
</Gauge>)",
            "",
            {"3: error: the element Button has no Id: it binds no button",
             "4: error: the button Id \"13\" is not 1 to 12: the element binds no",
             "5: error: the button Id \"x\" is not 1 to 12",
             "7: warning: button 2 is bound again in this gauge: only the attributes"},
            {}},
        ConfigurationCase{
            "TypesAndVisibility",
            R"(<Gauge File="gauges\a.xml">
<Button Id="1" Type="command" Event="sim/a"/>
<Button Id="2" Type="Press" Event="sim/a"/>
<Button Id="3" Name="LABEL"/>
<Button Id="4" Type="Command" Event="sim/a" Visible="Yes"/>
<Button Id="5" Type="Command" Event="sim/a" Visible="true"/>
</Gauge>)",
            "",
            {"3: error: the Type \"command\" is not spelled exactly \"Command\": the button does",
             "4: error: the Type \"Press\" is not one of Key, Button, Command, VInput or String",
             "5: warning: the button has no Type: its LED lights and its label shows",
             "6: error: Visible is \"Yes\", which is not spelled exactly \"yes\": the button",
             "7: error: Visible is \"true\", neither \"yes\" nor \"no\""},
            {}},
        ConfigurationCase{
            "Events",
            R"(<Gauge File="gauges\a.xml">
<Button Id="1" Type="Key" Event="xplm_key_pausee"/>
<Button Id="2" Type="Button" Event="start"/>
<Button Id="3" Type="VInput" Event="ctrl + w"/>
<Button Id="4" Type="Command"/>
<Button Id="5" Type="Key" Event="nothing like it"/>
<Button Id="6" Type="Key" Event="xplm_key_pause"/>
<Button Id="6" Event="xplm_key_pausx"/>
<Button Id="7" Type="Key" Event="xplm_key_nope"/>
<Button Id="7" Name="LATER"/>
</Gauge>)",
            "",
            {"3: error: the Event \"xplm_key_pausee\" is not a simulator key name: the button "
             "strokes key 0 (did you mean \"xplm_key_pause\"?)",
             "4: error: the Event \"start\" is not a simulator joystick-button name: the button "
             "presses button 0, which does nothing (did you mean \"xplm_joy_start_",
             "5: error: the Event \"ctrl + w\" names the key \"ctrl\" (VK_CTRL), which does not "
             "exist: key 0 is sent for it (did you mean \"control\"?)",
             "5: error: the Event \"ctrl + w\" names the key \"w\" (VK_W), which does not exist",
             "6: error: the button runs a Command but its Event names none",
             "7: error: the Event \"nothing like it\" is not a simulator key name: the button "
             "strokes key 0$",
             // A repeated Id keeps the earlier Type: the event is checked as a key.
             "9: warning: button 6 is bound again",
             "9: error: the Event \"xplm_key_pausx\" is not a simulator key name",
             // Named where the Event was written, not at the element that bound the button last.
             "10: error: the Event \"xplm_key_nope\" is not a simulator key name",
             "11: warning: button 7 is bound again"},
            {}},
        ConfigurationCase{"Gauges",
                          R"(<Gauge/>
<Gauge File="gauges\none.xml"/>
<Gauge File="gauges\a.xml"/>
<Gauge File="gauges\a2.xml"/>
<Gauge File="gauges\broken.xml"/>
<Gauges File="gauges\b.xml"/>)",
                          "",
                          {"2: error: a Gauge without File: the plug-in skips it",
                           "3: error: the gauge file gauges\\none.xml does not exist",
                           "5: warning: the gauge \"A\" has the name of the gauge at line 4",
                           "7: warning: the element Gauges is not read: a GaugeList holds Gauge"},
                          {}},
        ConfigurationCase{"Pages",
                          R"(<Hotas>
<Radar/>
<dme/>
<ComNav/>
<ComNav radio1="True"/>
</Hotas>)",
                          "",
                          {"3: error: the stick has no page Radar: it is left out",
                           "4: error: the stick has no page dme (did you mean Dme?): it is left",
                           "5: error: a ComNav page without radio1",
                           "6: error: radio1 \"True\" is neither \"true\" nor \"false\" (spelled"},
                          {}},
        ConfigurationCase{"MemoryNotXml",
                          R"(<Gauge File="gauges\a.xml"/>)",
                          "<ScreenList>\n<Screen Serial=\"S\" Name=\"A\">\n</ScreenList>",
                          {},
                          {"3: error: the file does not read as XML: screen panels start with"}},
        ConfigurationCase{"MemoryOfAnotherRoot",
                          R"(<Gauge File="gauges\a.xml"/>)",
                          "<Screens>\n<Screen Serial=\"S\" Name=\"A\"/>\n</Screens>",
                          {},
                          {"1: error: the root element is Screens, not ScreenList"}},
        ConfigurationCase{
            "MemoryEntries",
            R"(<Gauge File="gauges\a.xml"/>
<Gauge File="gauges\broken.xml"/>)",
            R"(<ScreenList>
<Screen Name="A"/>
<Screen Serial="S1" Name="A"/>
<Screen Serial="S1" Name="A"/>
<Screen Serial="S2"/>
<Screen Serial="S3" Name="C"/>
<Screen Serial="S4" Name="a"/>
</ScreenList>)",
            {},
            {"2: warning: a Screen without Serial belongs to no panel",
             "4: warning: serial number \"S1\" is remembered again: only the Screen at line 3",
             "5: warning: a Screen without Name: the panel starts with its first gauge",
             // The gauge C does not load, so it is not in the list.
             "6: warning: the gauge \"C\" is not in the gauge list: the panel starts with",
             "7: warning: the gauge \"a\" is not in the gauge list"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace XPL::TEST
