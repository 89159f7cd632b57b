#include "sim/aircraft_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "test_support.h"

namespace XPL {
namespace {

namespace fs = std::filesystem;

class AircraftSettingsTest : public TEST::VirtualTest {
protected:
    // Writes content (bytes as given) to the folder's relative and returns the file's full path.
    std::string WriteAircraft(const std::string& relative, const std::string& content) {
        TEST::WriteFile(root_.Path() / relative, content);
        return (root_.Path() / relative).string();
    }
    const AircraftSettings& Load(const std::string& path) {
        VSIM::SetUserAircraft(fs::path(path).filename().string(), path);
        XPLAcfLoadSettings();
        return GetAircraftSettings();
    }

    TEST::CTestFolder root_;
};

struct FileCase {
    const char* label;
    const char* relative;
    std::string content;
    uint32_t isHelicopter;
    float oilPressureGreenLow;
    float rpmGreenLow;
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.label;
}

class AircraftFileTest : public AircraftSettingsTest,
                         public testing::WithParamInterface<FileCase> {};

TEST_P(AircraftFileTest, ReadsTheGreenArcs) {
    const FileCase& c = GetParam();
    const AircraftSettings& settings = Load(WriteAircraft(c.relative, c.content));
    EXPECT_EQ(settings.isHelicopter, c.isHelicopter);
    EXPECT_FLOAT_EQ(settings.oilPressureGreenLow, c.oilPressureGreenLow);
    EXPECT_FLOAT_EQ(settings.rpmGreenLow, c.rpmGreenLow);
}

const std::string kHeader = "I\n1000 Version\nACF\n";

INSTANTIATE_TEST_SUITE_P(
    Files, AircraftFileTest,
    testing::Values(FileCase{"HelicopterWithCrlf", "Aircraft/HELICOPTERS/R22/R22.acf",
                             "I\r\n1000 Version\r\nP acf/_RSC_mingreen_ENGN 300.000000\r\n"
                             "P acf/_green_lo_oilP 25.000000\r\n",
                             1, 25.0f, 285.0f},
                    FileCase{"PlusAndNoLastNewline", "Aircraft/Helicopters/S76/S76.acf",
                             kHeader + "P acf/_green_lo_oilP +30.5\nP acf/_RSC_mingreen_ENGN 200",
                             1, 30.5f, 190.0f},
                    FileCase{"NotAHelicopterIgnoresRpm", "Aircraft/General Aviation/C172/C172.acf",
                             kHeader + "P acf/_RSC_mingreen_ENGN 2100\nP acf/_green_lo_oilP 25\n",
                             0, 25.0f, 0.0f},
                    FileCase{"ZeroOilPressureMeans15", "Aircraft/Heavy/B744/B744.acf",
                             kHeader + "P acf/_green_lo_oilP 0.000000\n", 0, 15.0f, 0.0f},
                    FileCase{"LastMatchingLineWins", "Aircraft/helicopter-pack/Bell.acf",
                             kHeader + "P acf/_green_lo_oilP 10\nP acf/_RSC_mingreen_ENGN 100\n"
                                       "P acf/_green_lo_oilP 0\nP acf/_RSC_mingreen_ENGN 400\n",
                             1, 15.0f, 380.0f},
                    FileCase{"KeyAnywhereThirdFieldCounts", "Aircraft/Jet/Jet.acf",
                             kHeader + "x\tprefix/acf/_green_lo_oilP[0]   \t 42.5 trailing\n", 0,
                             42.5f, 0.0f},
                    FileCase{"BadThirdFieldKeepsTheEarlierValue",
                             "Aircraft/Helicopters/Bad/Bad.acf",
                             kHeader + "P acf/_green_lo_oilP 20\nP acf/_green_lo_oilP\n"
                                       "P acf/_green_lo_oilP abc\nP acf/_RSC_mingreen_ENGN 100\n"
                                       "P acf/_RSC_mingreen_ENGN x\n",
                             1, 20.0f, 95.0f},
                    FileCase{"EmptyFile", "Aircraft/Helicopter/Empty.acf", "", 1, 0.0f, 0.0f}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.label); });

TEST_F(AircraftSettingsTest, AMissingFileLeavesZerosAndTheHelicopterFlag) {
    Load(WriteAircraft("Aircraft/A/A.acf", "P acf/_green_lo_oilP 25\n"));
    ASSERT_FLOAT_EQ(GetAircraftSettings().oilPressureGreenLow, 25.0f);

    const AircraftSettings& settings =
        Load((root_.Path() / "Aircraft/Helicopters/Gone/Gone.acf").string());
    EXPECT_EQ(settings.isHelicopter, 1u);
    EXPECT_EQ(settings.oilPressureGreenLow, 0.0f);
    EXPECT_EQ(settings.rpmGreenLow, 0.0f);

    EXPECT_EQ(Load("").isHelicopter, 0u);  // no aircraft at all
    EXPECT_EQ(GetAircraftSettings().oilPressureGreenLow, 0.0f);
}

TEST_F(AircraftSettingsTest, OpensAPathWrittenTheWindowsWay) {
    WriteAircraft("Aircraft/Helicopters/EC135/EC135.acf", "P acf/_RSC_mingreen_ENGN 300\n");
    const std::string windowsPath =
        root_.Path().string() + "\\Aircraft\\Helicopters\\EC135\\EC135.acf";
    EXPECT_FLOAT_EQ(Load(windowsPath).rpmGreenLow, 285.0f);
}

}  // namespace
}  // namespace XPL
