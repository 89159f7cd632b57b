// Random hot-plug storms around two screen panels under one serial number, with the faults of a
// display device that stops answering, answers slowly or never ends a cancelled request switched
// on and off between frames, gauge changes, clock moves, stops and starts. Each storm must end:
// no wait for a device outlives its time-outs, on the clock. (Faults switched mid-exchange may
// well mix the stream up, as a reply held back past its time-outs does.) Run under the asan and
// tsan presets they show that nothing leaks or races meanwhile.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cockpit.h"
#include "gauge/bmp_file.h"
#include "shell/module.h"

namespace XPL::SIMTOOL {
namespace {

namespace fs = std::filesystem;

// A 40 x 40 face with a dot shifted by sim/test/x; the first gauge binds soft buttons 1 and 3.
void WriteData(const fs::path& data) {
    TEST::WriteFile(data / "XVarlenSkydeck.xml",
                    "<GaugeList><Gauge File=\"gauges\\A.xml\"><B Id=\"1\"/><B Id=\"3\"/></Gauge>"
                    "<Gauge File=\"gauges\\A.xml\"/></GaugeList>");
    TEST::WriteFile(data / "gauges" / "A.xml",
                    "<Gauge Name=\"A\"><Image Name=\"Face.bmp\" ImageSizes=\"40,40,40,40\"/>"
                    "<Element><Position X=\"0\" Y=\"0\"/><Image Name=\"Dot.bmp\"/><Shift><Value "
                    "Minimum=\"0\" Maximum=\"36\">(A:sim/test/x,number)</Value><Scale X=\"1\" "
                    "Y=\"0\"/></Shift></Element></Gauge>");
    TEST::WriteFile(data / "gauges" / "1024" / "Face.bmp",
                    TEST::BmpFile(40, 40, 24, false, [](int32_t, int32_t) { return 0xC80000u; }));
    TEST::WriteFile(data / "gauges" / "1024" / "Dot.bmp",
                    TEST::BmpFile(4, 4, 24, false, [](int32_t, int32_t) { return 0xFFFFFFu; }));
}

// One storm of steps random commands; it ends with every fault off and the plug-in stopped.
std::string Storm(unsigned seed, int steps) {
    std::mt19937 random(seed);
    const auto pick = [&random](int count) {
        return static_cast<int>(random() % static_cast<unsigned>(count));
    };
    const char* const names[] = {"one", "two"};
    const char* const faults[] = {"writepending", "reply", "slow", "stuck", "write", "extrabytes"};
    bool attached[2] = {};
    std::string text = "start\n";
    for (int step = 0; step < steps; ++step) {
        const int device = pick(2);
        const std::string name = names[device];
        switch (pick(8)) {
            case 0:
                text += (attached[device] ? "detach " : "attach screen ") + name +
                        (attached[device] ? "\n" : " serial=S1\n");
                attached[device] = !attached[device];
                break;
            case 1:
            case 2:
                if (attached[device]) {
                    text += "fault " + name + " link." + faults[pick(6)] +
                            (pick(2) != 0 ? " on\n" : " off\n");
                }
                break;
            case 3:
                if (attached[device]) {
                    text += "press " + name + (pick(2) != 0 ? " 9\n" : " 10\n");
                }
                break;
            case 4:
                text += "float sim/test/x " + std::to_string(pick(40)) + "\nframes 2\n";
                break;
            case 5:
                text += "wait " + std::to_string(pick(12000)) + "\n";
                break;
            case 6:
                text += pick(4) == 0 ? "stop\nstart\n" : "frames 1\n";
                break;
            default:
                text += "wait 50\n";
                break;
        }
    }
    for (int device = 0; device < 2; ++device) {
        if (attached[device]) {
            for (const char* fault : faults) {
                text += "fault " + std::string(names[device]) + " link." + fault + " off\n";
            }
        }
    }
    return text + "wait 11000\nstop\n";
}

class ScreenStormTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(ScreenStormTest, Ends) {
    const fs::path folder = fs::temp_directory_path() / ("xvs-storm-" + std::to_string(::getpid()) +
                                                         "-" + std::to_string(GetParam()));
    WriteData(folder);
    CockpitOptions options;
    options.dataFolder = folder;
    options.quiet = true;
    {
        CCockpit cockpit(options);
        std::string message;
        ASSERT_TRUE(cockpit.Setup(message)) << message;
        std::vector<Command> commands;
        ScenarioError error;
        const std::string storm = Storm(GetParam(), 200);
        ASSERT_TRUE(CScenarioParser::Parse(storm, commands, error)) << error.message;
        EXPECT_EQ(cockpit.Run(commands, "storm.sim", folder), kPassed) << storm;
    }
    ModuleProcessAttach();  // the test program plays the loaded module again
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ScreenStormTest, ::testing::Values(1u, 2u, 3u));

}  // namespace
}  // namespace XPL::SIMTOOL
