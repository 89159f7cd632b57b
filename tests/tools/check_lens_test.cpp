// The configuration check on lens programming files: each kind of finding from a file of its
// own, with the line it names.
#include <gtest/gtest.h>

#include "check_support.h"
#include "lens_check.h"

namespace XPL::TEST {
namespace {

struct LensCase {
    const char* name;
    const char* file;
    std::vector<std::string> findings;  // errors and warnings, by line
};

class CheckLensTest : public CheckFolderTest, public ::testing::WithParamInterface<LensCase> {};

TEST_P(CheckLensTest, ReportsWhatThePanelWouldIgnoreOrMisread) {
    Write("LampProgramming.xml", GetParam().file);
    CHECKTOOL::CFindings findings;
    CHECKTOOL::CLensCheck(findings).Check(folder_ / "LampProgramming.xml", "lamp");
    ExpectFindings(Lines(findings), GetParam().findings);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CheckLensTest,
    ::testing::Values(
        LensCase{"Clean",
                 R"(<Lamp><LampProgramming Id="A">
<Lense><Id>GearDown</Id><Colour>Green</Colour><Assignment>0</Assignment></Lense>
<Lense><Id>StallWarning</Id><Colour>Amber</Colour><Assignment>-1</Assignment></Lense>
</LampProgramming></Lamp>)",
                 {}},
        LensCase{"NotXml",
                 "<Lamp>\n<LampProgramming Id=\"A\">\n</Lamp>\n",
                 {"3: error: the file does not read as XML, so every lens stays dark"}},
        LensCase{"ColourCase",
                 R"(<Lamp><LampProgramming Id="A">
<Lense><Id>GearDown</Id><Colour>green</Colour><Assignment>0</Assignment></Lense>
<Lense><Id>GearUp</Id><Colour>Blue</Colour><Assignment>1</Assignment></Lense>
</LampProgramming></Lamp>)",
                 {"2: error: the colour \"green\" is not read: colours are spelled exactly \"Green",
                  "3: error: the colour \"Blue\" is not read: colours are Green, Red or Amber"}},
        LensCase{"UnknownCondition",
                 R"(<Lamp><LampProgramming Id="A">
<Lense><Id>Gearup</Id><Colour>Green</Colour><Assignment>0</Assignment></Lense>
<Lense>
  <Id>Radar</Id><Colour>Green</Colour><Assignment>1</Assignment></Lense>
</LampProgramming></Lamp>)",
                 {"2: error: the condition \"Gearup\" is unknown (did you mean \"GearUp\"?), so "
                  "the Lense programs nothing",
                  "4: error: the condition \"Radar\" is unknown, so the Lense programs nothing"}},
        LensCase{"LensOutOfRange",
                 R"(<Lamp><LampProgramming Id="A">
<Lense><Id>GearUp</Id><Colour>Red</Colour><Assignment>24</Assignment></Lense>
</LampProgramming></Lamp>)",
                 {"2: error: lens \"24\" does not exist: lenses are 0 to 23"}},
        LensCase{"MissingParts",
                 R"(<Lamp><LampProgramming Id="A">
<Lense><Colour>Red</Colour><Assignment>2</Assignment></Lense>
<Lense><Id>GearUp</Id><Assignment>2</Assignment></Lense>
<Lense><Id>GearDown</Id><Colour>Red</Colour></Lense>
</LampProgramming></Lamp>)",
                 {"2: error: a Lense without Id programs nothing",
                  "3: error: a Lense without Colour lights no lens: GearUp",
                  "4: error: a Lense without Assignment lights no lens: GearDown"}},
        LensCase{"UnknownElementAndComment",
                 R"(<Lamp><LampProgramming Id="A">
<Lense><Id>GearUp</Id><Color>Red</Color><Assignment>2</Assignment>
<!-- the gear --></Lense>
</LampProgramming></Lamp>)",
                 {"2: error: the element Color is not read: a Lense holds Id, Colour and Ass",
                  "2: warning: a comment inside a Lense is reported by the plug-in",
                  "2: error: a Lense without Colour"}},
        LensCase{"ConditionsSharingALens",
                 R"(<Lamp><LampProgramming Id="A">
<Lense><Id>Up</Id><Colour>Green</Colour><Assignment>4</Assignment></Lense>
<Lense><Id>GearUp</Id><Colour>Red</Colour><Assignment>4</Assignment></Lense>
<Lense><Id>EngineFire</Id><Colour>Red</Colour><Assignment>5</Assignment></Lense>
<Lense><Id>LeftEngineFire</Id><Colour>Red</Colour><Assignment>5</Assignment></Lense>
</LampProgramming></Lamp>)",
                 // Up is written after GearUp; single-engine and twin fire tiles never meet.
                 {"3: warning: lens 4 is also programmed for Up (line 2), which the plug-in "
                  "writes later in each frame: Up decides the lens, lit or dark, so GearUp does"}},
        LensCase{"ConditionProgrammedTwice",
                 R"(<Lamp><LampProgramming Id="A">
<Lense><Id>GearUp</Id><Colour>Red</Colour><Assignment>2</Assignment></Lense>
<Lense><Id>GearUp</Id><Colour>Green</Colour><Assignment>3</Assignment></Lense>
</LampProgramming></Lamp>)",
                 {"3: warning: GearUp is programmed again: this Lense replaces the one at line 2"}},
        LensCase{"ProgrammingsWithoutSerialOrTwice",
                 R"(<Lamp>
<LampProgramming><Lense><Id>Up</Id><Colour>Red</Colour><Assignment>2</Assignment></Lense>
</LampProgramming>
<LampProgramming Id="A"><Lense><Id>Up</Id><Colour>Red</Colour><Assignment>2</Assignment></Lense>
</LampProgramming>
<LampProgramming Id="A"><Lense><Id>Down</Id><Colour>Red</Colour><Assignment>3</Assignment></Lense>
<Lens><Id>Down</Id></Lens></LampProgramming>
</Lamp>)",
                 {"2: error: a LampProgramming without Id",
                  "6: warning: serial number \"A\" is programmed again (first at line 4)",
                  "7: warning: the element Lens is not read: a LampProgramming holds Lense"}},
        LensCase{"NoLampElement",
                 R"(<Lamps>
<LampProgramming Id="A"/>
</Lamps>)",
                 {"1: error: no LampProgramming inside a Lamp element (the root element is Lamps)",
                  "2: error: a LampProgramming outside a Lamp element is not read"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CheckFolderTest, LensFileNotesTheSerialNumbersItPrograms) {
    Write("LampProgramming.xml", R"(<Profiles><Lamp>
<LampProgramming Id="B-2"><Lense><Id>Up</Id><Colour>Red</Colour><Assignment>2</Assignment></Lense>
<Lense><Id>Down</Id><Colour>Red</Colour><Assignment>-1</Assignment></Lense></LampProgramming>
<LampProgramming Id="A-1"/>
</Lamp></Profiles>)");
    CHECKTOOL::CFindings findings;
    CHECKTOOL::CLensCheck(findings).Check(folder_ / "LampProgramming.xml", "lamp");
    ExpectFindings(Lines(findings, true),
                   {"2: note: programs the lamp panel with serial number \"B-2\": 1 lens",
                    "4: note: programs the lamp panel with serial number \"A-1\": 0 lenses"});
}

}  // namespace
}  // namespace XPL::TEST
