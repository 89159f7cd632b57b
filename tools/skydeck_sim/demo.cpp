#include "demo.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <utility>
#include <vector>

#include "devices/skydeck.h"
#include "picture_file.h"
#include "scenario.h"
#include "tool_text.h"

namespace XPL::SIMTOOL {

namespace {

// The lamp panel the demo attaches, and the programming it writes for it.
constexpr char kLampSerial[] = "DEMO-LAMP-1";
const struct {
    int lens;
    const char* tile;
    const char* colour;
} kLenses[] = {
    {0, "GearDown", "Green"},      {1, "GearUnsafe", "Red"},      {2, "ParkingBrakes", "Amber"},
    {3, "BeaconLight", "Green"},   {4, "LandingLights", "Green"}, {5, "StrobeLight", "Green"},
    {6, "PitotHeat", "Green"},     {8, "APMaster", "Green"},      {9, "LeftFuelLow", "Amber"},
    {10, "RightFuelLow", "Amber"}, {11, "FuelLow", "Amber"},      {16, "MasterCaution", "Amber"},
    {17, "MasterWarning", "Red"},
};

const char* const kKinds[] = {"autoflight", "tuner", "toggle", "lamp", "screen", "hotas"};

// Most distinct simulator lines printed per step.
constexpr size_t kShownLines = 16;

struct Step {
    const char* kind;  // the panel kind the step needs
    const char* title;
    const char* commands;
};

// Usages: toggle 1 battery, 2 alternator, 3 avionics, 4 fuel pump, 6 pitot heat, 9 beacon,
// 10 nav, 11 strobe, 13 landing, 14 magnetos OFF, 17 BOTH, 18 START, 19 gear up, 20 gear down;
// tuner 1-7 upper selector, 8-14 lower, 15/16 ACT/STBY, 17-20 upper fine/coarse up/down, 21-24
// lower; autoflight 1 ALT, 4 HDG selector, 6 wheel increase, 8 AP, 9 HDG, 12 ALT, 16 A/T.
// Tuner knob detents 250 ms apart, so that the rotary filter takes each one. Hotas 35/36 previous
// and next page, 37/38 cursor up and down, 39 select; its steps follow the shipped page list.
// Screen: 1 the gauge's first soft button, 9 and 10 previous and next gauge (the shipped list:
// attitude, altimeter, heading, engine, airspeed). Its pictures come from its own thread, 10
// seconds after the start and then 50 ms after a change, so its steps wait for them.
const Step kSteps[] = {
    {"screen", "Screen: the first picture, ten seconds after the start: attitude, level",
     "float sim/cockpit2/gauges/indicators/pitch_AHARS_deg_pilot 0\n"
     "float sim/cockpit2/gauges/indicators/roll_AHARS_deg_pilot 0\nwait 10000\n"},
    {"toggle", "Switches on: battery, alternator, avionics, fuel pump, pitot heat, beacon, nav",
     "on toggle 1 2 3 4 6 9 10 14 20\n"
     "frames 2\n"},
    {"toggle", "Engine start: magnetos BOTH, START held one and a half seconds, back to BOTH",
     "off toggle 14\non toggle 17\nframes 2\n"
     "off toggle 17\non toggle 18\nframes 90\n"
     "off toggle 18\non toggle 17\nframes 2\n"},
    {"screen", "Screen: next gauge three times: the engine, running; START pressed once",
     "floats sim/cockpit2/engine/indicators/engine_speed_rpm 1150\n"
     "floats sim/cockpit2/engine/indicators/oil_temperature_deg_C 45\n"
     "floats sim/cockpit2/engine/indicators/oil_pressure_psi 64\n"
     "press screen 10\npress screen 10\npress screen 10\npress screen 1\nwait 100\n"},
    {"tuner", "Radios: upper COM1, lower NAV1; COM1 standby to 124.35 and flipped",
     "on tuner 1 10\nframes 2\n"
     "press tuner 19\nwait 250\npress tuner 19\nwait 250\npress tuner 19\nwait 250\n"
     "press tuner 18\nwait 250\npress tuner 18\nwait 250\npress tuner 18\nwait 250\n"
     "press tuner 15\nframes 2\n"},
    {"tuner", "Radios: NAV1 standby up 1 MHz and flipped; transponder to 7000",
     "press tuner 23\nwait 250\npress tuner 16\nwait 250\n"
     "off tuner 10\non tuner 14\nframes 2\n"
     "press tuner 16\n"
     "press tuner 24\nwait 250\npress tuner 24\nwait 250\n"
     "press tuner 22\nwait 250\npress tuner 22\nwait 250\n"
     "press tuner 16\nframes 2\n"},
    {"hotas", "Stick, first page (COM1/NAV1): COM1 standby's fine part adjusted up twice",
     "press hotas 38\npress hotas 38\npress hotas 39\npress hotas 37\npress hotas 37\n"},
    {"hotas", "Stick: next page (COM2/NAV2)", "press hotas 36\n"},
    {"hotas", "Stick: next page (ADF)", "press hotas 36\n"},
    {"hotas", "Stick: next page (DME)", "press hotas 36\n"},
    {"hotas", "Stick: next page (transponder)", "press hotas 36\n"},
    {"autoflight", "Autopilot: heading bug to 275 and HDG mode",
     "on autoflight 4\nframes 2\n"
     "press autoflight 6\npress autoflight 6\npress autoflight 6\npress autoflight 6\n"
     "press autoflight 6\npress autoflight 9\nframes 2\n"},
    {"screen", "Screen: previous gauge: the heading indicator; BUG + twice (bug from 275 to 277)",
     "float sim/cockpit2/gauges/indicators/heading_AHARS_deg_mag_pilot 250\n"
     "press screen 9\npress screen 1\npress screen 1\nwait 100\n"},
    {"hotas", "Stick: next page (VOR course and heading)", "press hotas 36\n"},
    {"autoflight", "Autopilot: target altitude 3500, AP twice (director, servos), ALT arms",
     "off autoflight 4\non autoflight 1\nframes 2\n"
     "press autoflight 6\npress autoflight 6\npress autoflight 6\npress autoflight 6\n"
     "press autoflight 6\npress autoflight 8\npress autoflight 8\npress autoflight 12\n"
     "frames 80\n"},
    {"autoflight",
     "Parking brake off, climb at 700 ft/min for 45 seconds: the altitude is captured",
     "float sim/flightmodel/controls/parkbrake 0\nframes 2700\n"},
    {"screen", "Screen: previous gauge: the altimeter at the captured altitude",
     "press screen 9\nwait 100\n"},
    {"screen", "Screen: previous gauge: the attitude in a climbing turn to the right",
     "float sim/cockpit2/gauges/indicators/pitch_AHARS_deg_pilot 6\n"
     "float sim/cockpit2/gauges/indicators/roll_AHARS_deg_pilot 20\n"
     "press screen 9\nwait 100\n"},
    {"hotas", "Stick: next page (autopilot)", "press hotas 36\n"},
    {"hotas", "Stick: select on AP opens the mode page",
     "press hotas 38\npress hotas 38\npress hotas 39\n"},
    {"hotas", "Stick: back from the mode page (<<<), next page (the plug-in's own)",
     "press hotas 37\npress hotas 39\npress hotas 36\n"},
    {"toggle", "Gear up: one second into the travel", "off toggle 20\non toggle 19\nframes 60\n"},
    {"toggle", "Gear up: four seconds later", "frames 240\n"},
    {"toggle", "Gear down: one and a half seconds into the travel",
     "off toggle 19\non toggle 20\nframes 90\n"},
    {"toggle", "Gear down: four seconds later", "frames 240\n"},
    {"toggle", "Strobes and landing lights on", "on toggle 11 13\nframes 2\n"},
    {"hotas", "Stick: next page, back to the first (still adjusting)", "press hotas 36\n"},
    {"autoflight", "Auto-throttle on; AP pressed: servos off, the director stays",
     "on autoflight 16\npress autoflight 8\nframes 80\n"},
};

std::string Indented(const std::string& view) {
    std::string out;
    for (const char c : view) {
        out += c;
        if (c == '\n') {
            out += "   ";
        }
    }
    return out;
}

}  // namespace

CDemo::CDemo(CCockpit& cockpit, std::ostream& out, std::filesystem::path pictureFolder)
    : cockpit(cockpit), out(out), pictureFolder(std::move(pictureFolder)) {
    cockpit.SetPictureListener(
        [this](const std::string& device, uint64_t number, const std::vector<uint8_t>& picture) {
            SavePicture(device, number, picture);
        });
}

CDemo::~CDemo() {
    cockpit.SetPictureListener({});
}

void CDemo::SavePicture(const std::string& device, uint64_t number,
                        const std::vector<uint8_t>& picture) {
    std::error_code error;
    std::filesystem::create_directories(pictureFolder, error);
    const std::filesystem::path file =
        pictureFolder / (device + "-" + std::to_string(number) + ".png");
    newPictures[device].push_back("picture " + std::to_string(number) + ": " +
                                  (SavePicturePng(picture, file)
                                       ? TOOLS::ShownPath(file)
                                       : "not saved: cannot write " + TOOLS::ShownPath(file)));
}

std::string CDemo::SetupCommands() {
    std::string commands;
    for (const char* kind : kKinds) {
        if (IsProductSupported(*ProductIdOfKind(kind))) {
            kinds.insert(kind);
            commands += std::string("attach ") + kind;
            if (std::string(kind) == "lamp") {
                commands += std::string(" serial=") + kLampSerial;
            }
            commands += "\n";
        }
    }
    return commands + "model on\nstart\nframes 2\n";
}

void CDemo::WriteLensProgramming() {
    const std::filesystem::path folder = cockpit.OwnProfileFolder();
    if (folder.empty()) {
        return;  // the user's own programming applies
    }
    std::ofstream file(folder / "LampProgramming.xml");
    file << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Lamp>\n  <LampProgramming Id=\""
         << kLampSerial << "\">\n";
    for (const auto& lens : kLenses) {
        file << "    <Lense><Id>" << lens.tile << "</Id><Colour>" << lens.colour
             << "</Colour><Assignment>" << lens.lens << "</Assignment></Lense>\n";
        lensNames[lens.lens] = lens.tile;
    }
    file << "  </LampProgramming>\n</Lamp>\n";
}

void CDemo::PrintStep(int number, const char* title) {
    out << "\n== " << number << ". " << title << "\n";
    const auto lines = cockpit.TakeSimulatorLines();
    for (size_t i = 0; i < lines.size() && i < kShownLines; ++i) {
        out << "   sim  " << lines[i].first;
        if (lines[i].second > 1) {
            out << "  (x" << lines[i].second << ")";
        }
        out << "\n";
    }
    if (lines.size() > kShownLines) {
        out << "   sim  ... and " << lines.size() - kShownLines << " more\n";
    }
    for (const auto& device : cockpit.AttachedDevices()) {
        const std::string view =
            device.kind == "screen"
                ? ScreenView(device.leds, std::exchange(newPictures[device.name], {}))
            : device.kind == "hotas" ? HotasView(device.lines)
                                     : PanelView(device.kind, device.reports, lensNames);
        if (!view.empty()) {
            out << "   " << Indented(view) << "\n";
        }
    }
    out.flush();
}

int CDemo::Play() {
    const std::string setup = SetupCommands();
    out << "skydeck-sim demo: a short flight with the simple aircraft model.\n";
    if (kinds.empty()) {
        out << "No panel kind is supported by the plug-in yet: nothing to show.\n";
        return kPassed;
    }
    out << "Panels attached:";
    for (const std::string& kind : kinds) {
        out << " " << kind;
    }
    out << "\n";
    if (kinds.count("lamp") != 0) {
        WriteLensProgramming();
    }

    const auto play = [&](const std::string& text) {
        std::vector<Command> commands;
        ScenarioError error;
        if (!CScenarioParser::Parse(text, commands, error)) {
            std::cerr << "demo:" << error.line << ": " << error.message << "\n";
            return kScenarioError;
        }
        return cockpit.Play(commands, "demo", std::filesystem::current_path());
    };
    int number = 1;
    int status = play(setup);
    if (status == kPassed) {
        PrintStep(number++, "Panels attached, aircraft model on, plug-in started");
    }
    for (const Step& step : kSteps) {
        if (status != kPassed) {
            break;
        }
        if (kinds.count(step.kind) == 0) {
            continue;
        }
        status = play(step.commands);
        if (status == kPassed) {
            PrintStep(number++, step.title);
        }
    }
    if (status == kPassed) {
        status = play("stop\n");
        out << "\n== Plug-in stopped.\n";
    }
    return status;
}

}  // namespace XPL::SIMTOOL
