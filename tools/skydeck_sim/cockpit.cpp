#include "cockpit.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <random>
#include <system_error>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_input.h"
#include "backends/virtual/virtual_platform.h"
#include "devices/skydeck.h"
#include "picture_file.h"
#include "shell/module.h"
#include "shell/plugin.h"
#include "sim/aircraft_profiles.h"
#include "sim/aircraft_settings.h"
#include "tool_text.h"
#include "vsim/vsim.h"

namespace XPL::SIMTOOL {

namespace fs = std::filesystem;

namespace {

constexpr int kPlaneLoaded = 102;
constexpr uint16_t kUnsupportedProductId = 0x4A7F;
constexpr uint16_t kForeignVendorId = 0x1209;
constexpr uint16_t kForeignProductId = 0x0001;

using TOOLS::ShownPath;
using TOOLS::Widen;

// Appends a trace text as the journal writes it: indentation dropped, characters outside
// printable ASCII as \xHH (\uHHHH beyond a byte).
void AppendTraceText(std::string& out, const std::wstring& text) {
    const size_t start = std::min(text.find_first_not_of(L' '), text.size());
    const size_t at = out.size();
    // Printable ASCII is copied as it is, in one pass: a full trace writes hundreds of lines a
    // frame.
    out.resize(at + text.size() - start);
    char* to = out.data() + at;
    for (size_t i = start; i < text.size(); ++i) {
        const auto c = static_cast<uint32_t>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            *to++ = static_cast<char>(c);
            continue;
        }
        out.resize(static_cast<size_t>(to - out.data()));
        char hex[16];
        std::snprintf(hex, sizeof(hex), c < 0x100 ? "\\x%02X" : "\\u%04X", c);
        out += hex;
        const size_t written = out.size();
        out.resize(written + text.size() - i - 1);
        to = out.data() + written;
    }
    out.resize(static_cast<size_t>(to - out.data()));
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string out;
    char hex[4];
    for (const uint8_t b : bytes) {
        std::snprintf(hex, sizeof(hex), " %02X", b);
        out += hex;
    }
    return out;
}

std::string JoinArgs(const std::vector<Token>& args, size_t from) {
    std::string out;
    for (size_t i = from; i < args.size(); ++i) {
        out += (i == from ? "" : " ") + (args[i].quoted ? QuoteWord(args[i].text) : args[i].text);
    }
    return out;
}

// A trace text as the journal writes it: indentation dropped, bytes outside printable ASCII as
// \xHH (a backslash stays itself).
std::string TraceTextOfWord(const std::string& word) {
    std::string out;
    const size_t start = word.find_first_not_of(' ');
    for (size_t i = start == std::string::npos ? word.size() : start; i < word.size(); ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += word[i];
        } else {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// The journal line an `expect EVENT` names: words joined by one blank, quoted words quoted as
// the journal quotes them; a trace line's level and keyword in the journal's form and its text
// bare, a feature report's bytes in upper case.
std::string EventOf(const std::vector<Token>& args) {
    const std::string& kind = args[0].text;
    if (kind == "trace" && args.size() >= 3) {
        std::string line = "trace ";
        const auto level = ParseInteger(args[1].text);
        line += level ? std::to_string(*level) : args[1].text;
        char hex[24] = {};
        if (const auto keyword = ParseKeywords(args[2].text)) {
            std::snprintf(hex, sizeof(hex), "0x%llX", static_cast<unsigned long long>(*keyword));
        }
        line += " " + (hex[0] != '\0' ? std::string(hex) : args[2].text);
        for (size_t i = 3; i < args.size(); ++i) {
            line += " " + TraceTextOfWord(args[i].text);
        }
        return line;
    }
    if (kind == "feature" && args.size() >= 2) {
        std::string line = "feature " + args[1].text;
        for (size_t i = 2; i < args.size(); ++i) {
            line += ' ';
            for (const char c : args[i].text) {
                line += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        return line;
    }
    return JoinArgs(args, 0);
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at <= line.size()) {
        const size_t end = std::min(line.find(' ', at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// A "set PATH V..." expectation against a journal line: a value may be written in any form of
// the language (1.0 for 1, 0x10 for 16) as long as it reads as the journal's text.
bool SameWrite(const std::string& expected, const std::string& line) {
    const std::vector<std::string> want = SplitWords(expected);
    const std::vector<std::string> have = SplitWords(line);
    if (want.size() != have.size() || want.size() < 2 || want[1] != have[1]) {
        return false;
    }
    for (size_t i = 2; i < want.size(); ++i) {
        if (want[i] == have[i]) {
            continue;
        }
        const auto value = ParseReal(want[i]);
        if (!value) {
            return false;
        }
        char general[32];
        char integer[32];
        std::snprintf(general, sizeof(general), "%g", *value);
        std::snprintf(integer, sizeof(integer), "%.0f", *value);
        if (have[i] != general && (have[i] != integer || *value != std::floor(*value))) {
            return false;
        }
    }
    return true;
}

// Distinct simulator lines kept for TakeSimulatorLines; later new ones are counted together.
constexpr size_t kMostSimulatorLines = 64;

std::optional<VIRTUAL::Fault> FaultNamed(const std::string& name) {
    static const std::map<std::string, VIRTUAL::Fault> kFaults = {
        {"open", VIRTUAL::Fault::Open},
        {"overlapped", VIRTUAL::Fault::OpenOverlapped},
        {"attributes", VIRTUAL::Fault::Attributes},
        {"preparsed", VIRTUAL::Fault::PreparsedData},
        {"caps", VIRTUAL::Fault::Caps},
        {"pending", VIRTUAL::Fault::PendingRead},
        {"readstart", VIRTUAL::Fault::ReadStart},
        {"read", VIRTUAL::Fault::ReadResult},
        {"usages", VIRTUAL::Fault::Usages},
        {"feature", VIRTUAL::Fault::Feature},
        {"serial", VIRTUAL::Fault::Serial},
        {"write", VIRTUAL::Fault::Write},
        {"reply", VIRTUAL::Fault::Reply},
        {"ioctl", VIRTUAL::Fault::Ioctl},
        {"ioctlpending", VIRTUAL::Fault::IoctlPending},
        {"writepending", VIRTUAL::Fault::WritePending},
        {"extrabytes", VIRTUAL::Fault::ExtraBytes},
        {"slow", VIRTUAL::Fault::Slow},
        {"stuck", VIRTUAL::Fault::Stuck},
    };
    const auto found = kFaults.find(name);
    if (found == kFaults.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool SameValue(double expected, double actual) {
    return static_cast<float>(expected) == static_cast<float>(actual) ||
           std::fabs(expected - actual) <= 1e-6 * std::max(1.0, std::fabs(expected));
}

std::string FormatValues(const std::vector<double>& values, bool integers) {
    std::string out;
    char text[32];
    for (const double v : values) {
        std::snprintf(text, sizeof(text), integers ? "%.0f" : "%g", v);
        out += (out.empty() ? "" : " ") + std::string(text);
    }
    return out.empty() ? "(no value)" : out;
}

}  // namespace

std::optional<uint16_t> ProductIdOfKind(const std::string& kind) {
    static const std::map<std::string, uint16_t> kProducts = {
        {"autoflight", kAutoflightProductId},   {"tuner", kTunerProductId},
        {"toggle", kToggleProductId},           {"lamp", kLampProductId},
        {"screen", kScreenProductId},           {"hotas", kHotasProductId},
        {"unsupported", kUnsupportedProductId}, {"foreign", kForeignProductId}};
    const auto found = kProducts.find(kind);
    if (found == kProducts.end() || kind == "foreign") {
        return std::nullopt;
    }
    return found->second;
}

CCockpit::CCockpit(const CockpitOptions& options) : options(options), journal(options.quiet) {}

CCockpit::~CCockpit() {
    Finish();
}

bool CCockpit::Setup(std::string& message) {
    std::error_code error;
    if (!fs::is_directory(options.dataFolder, error)) {
        message = "no data folder " + ShownPath(options.dataFolder);
        return false;
    }
    if (!options.profileFolder.empty() && !fs::is_directory(options.profileFolder, error)) {
        message = "no profile folder " + ShownPath(options.profileFolder);
        return false;
    }
    scratch = MakeScratchFolder();
    if (scratch.empty()) {
        message = "cannot make a scratch folder in the temporary folder";
        return false;
    }
    // The plug-in finds its data folder beside the "64" folder that holds the module, and the
    // lens programming file in "Trellis Profiles" of the public documents.
    const fs::path plugin = scratch / "XVarlenSkydeck";
    fs::path documents;
    fs::create_directories(plugin / "64", error);
    // The data folder's entries are linked one by one into a folder of the run's own (copied
    // where the OS makes no links), so what the plug-in writes there (the screen panels' memory
    // file) stays in the run and the user's folder is only read.
    fs::create_directories(plugin / "data", error);
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::absolute(options.dataFolder), error)) {
        const fs::path link = plugin / "data" / entry.path().filename();
        if (entry.is_directory()) {
            fs::create_directory_symlink(entry.path(), link, error);
        } else {
            fs::create_symlink(entry.path(), link, error);
        }
        if (error) {
            error.clear();
            fs::copy(entry.path(), link, fs::copy_options::recursive, error);
        }
        if (error) {
            break;
        }
    }
    if (error) {
        message = "cannot place the data folder " + ShownPath(options.dataFolder);
        return false;
    }
    bool profileCopy = false;  // read only: nothing to copy back
    if (!options.profileFolder.empty() &&
        !PlaceFolder(options.profileFolder, "Trellis Profiles", scratch / "Documents", documents,
                     profileCopy)) {
        message = "cannot place the profile folder " + ShownPath(options.profileFolder);
        return false;
    }
    if (options.profileFolder.empty()) {
        documents = scratch / "Documents";
        fs::create_directories(documents / "Trellis Profiles", error);
        if (error) {
            message = "cannot make the profile folder";
            return false;
        }
    }
    VIRTUAL::ResetPlatform();
    VIRTUAL::DriveClock();
    VSIM::Reset();
    VIRTUAL::SetModuleFilePath(TOOLS::WideOfPath(plugin / "64" / "win.xpl"));
    VIRTUAL::SetPublicDocumentsFolder(TOOLS::WideOfPath(documents));
    VIRTUAL::SetTraceListener([this](const VIRTUAL::TraceLine& line) {
        char head[64];
        std::snprintf(head, sizeof(head), "trace %u 0x%llX ", static_cast<unsigned>(line.level),
                      static_cast<unsigned long long>(line.keyword));
        std::string text = head;
        AppendTraceText(text, line.text);
        journal.Add(std::move(text));
    });
    // The model acts after the line is journaled: its own changes are the simulator's and
    // make no lines.
    VSIM::SetJournalListener([this](const VSIM::Event& event) {
        const std::string line = VSIM::FormatEvent(event);
        journal.Add(line);
        NoteSimulatorLine(line);
        model.OnEvent(event);
    });
    VIRTUAL::SetKeyBatchListener([this](const VIRTUAL::KeyBatch& batch) {
        journal.Add(CSimJournal::FormatKeyBatch(batch));
    });
    if (options.trace) {
        VIRTUAL::EnableTrace(options.traceLevel, options.traceKeywords);
    }
    ModuleProcessAttach();
    loaded = true;
    return true;
}

void CCockpit::Finish() {
    if (loaded) {
        StopPlugin();
        ModuleProcessDetach();
        VIRTUAL::SetTraceListener({});
        VSIM::SetJournalListener({});
        VIRTUAL::SetKeyBatchListener({});
        VIRTUAL::ResetPlatform();
        loaded = false;
    }
    if (!scratch.empty()) {
        std::error_code error;
        fs::remove_all(scratch, error);  // removes the links, not what they point at
        scratch.clear();
    }
}

int CCockpit::Run(const std::vector<Command>& commands, const std::string& fileName,
                  const fs::path& baseFolder) {
    const int status = Play(commands, fileName, baseFolder);
    StopPlugin();
    return status;
}

int CCockpit::Play(const std::vector<Command>& commands, const std::string& fileName,
                   const fs::path& baseFolder) {
    for (const Command& command : commands) {
        const uint64_t moved = VIRTUAL::MovedByItself();
        const Outcome outcome = Execute(command, baseFolder);
        VIRTUAL::AwaitIdle();
        PollDevices();
        // The plug-in waited on a device until its time-outs: the clock moved on by itself.
        if (const uint64_t waited = VIRTUAL::MovedByItself() - moved; waited != 0) {
            journal.Add("waited " + std::to_string(waited));
        }
        DropCaptures();
        journal.Flush();
        if (outcome.status != kPassed) {
            std::cerr << fileName << ":" << command.line << ": " << outcome.message << "\n";
            return outcome.status;
        }
    }
    return kPassed;
}

fs::path CCockpit::MakeScratchFolder() {
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) {
        return {};
    }
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof(name), "skydeck-sim-%08x", static_cast<unsigned>(random()));
        const fs::path folder = temporary / name;
        if (fs::create_directory(folder, error)) {
            return folder;
        }
    }
    return {};
}

bool CCockpit::PlaceFolder(const fs::path& folder, const std::string& name,
                           const fs::path& scratchParent, fs::path& parent, bool& copied) {
    std::error_code error;
    const fs::path source = fs::absolute(folder, error).lexically_normal();
    // "dir/" names dir as well.
    const fs::path named = source.has_filename() ? source : source.parent_path();
    if (named.filename() == name) {
        parent = named.parent_path();
        return true;
    }
    parent = scratchParent;
    fs::create_directories(parent, error);
    fs::create_directory_symlink(named, parent / name, error);
    if (!error) {
        return true;
    }
    // Where the OS makes no links, a copy stands in for the folder.
    error.clear();
    fs::copy(named, parent / name, fs::copy_options::recursive, error);
    copied = !error;
    return copied;
}

fs::path CCockpit::OwnProfileFolder() const {
    if (!options.profileFolder.empty() || scratch.empty()) {
        return {};
    }
    return scratch / "Documents" / "Trellis Profiles";
}

std::vector<CCockpit::DeviceReports> CCockpit::AttachedDevices() const {
    std::vector<DeviceReports> out;
    for (const auto& [name, device] : devices) {
        if (device->attached) {
            out.push_back({name, device->kind, VIRTUAL::FeatureReports(device->hidPath), 0, {}});
            if (device->kind == "screen") {
                out.back().leds = VIRTUAL::ViewDisplay(device->displayPath).leds;
            }
            if (device->kind == "hotas") {
                out.back().lines = VIRTUAL::ViewDisplay(device->displayPath).lines;
            }
        }
    }
    return out;
}

std::vector<std::pair<std::string, int>> CCockpit::TakeSimulatorLines() {
    std::lock_guard lock(simLinesLock);
    return std::exchange(simLines, {});
}

void CCockpit::NoteSimulatorLine(const std::string& line) {
    std::lock_guard lock(simLinesLock);
    for (auto& [seen, count] : simLines) {
        if (seen == line) {
            ++count;
            return;
        }
    }
    if (simLines.size() < kMostSimulatorLines) {
        simLines.emplace_back(line, 1);
    } else if (simLines.back().first == "...") {
        ++simLines.back().second;
    } else {
        simLines.emplace_back("...", 1);
    }
}

CCockpit::Outcome CCockpit::Execute(const Command& command, const fs::path& baseFolder) {
    const std::string& v = command.verb;
    const auto& a = command.args;
    if (v == "attach") {
        return Attach(command);
    }
    if (v == "detach") {
        return Detach(command);
    }
    if (v == "fault") {
        return Fault(command);
    }
    if (v == "on" || v == "off" || v == "report" || v == "press") {
        return Input(command);
    }
    if (v == "expect") {
        return Expect(command);
    }
    if (v == "save") {
        return Save(command, baseFolder);
    }
    if (v == "int") {
        VSIM::SetInt(a[0].text, static_cast<int>(*ParseInteger(a[1].text)));
    } else if (v == "float") {
        VSIM::SetFloat(a[0].text, static_cast<float>(*ParseReal(a[1].text)));
    } else if (v == "ints" || v == "floats") {
        std::vector<int> ints;
        std::vector<float> floats;
        for (size_t i = 1; i < a.size(); ++i) {
            ints.push_back(static_cast<int>(v == "ints" ? *ParseInteger(a[i].text) : 0));
            floats.push_back(static_cast<float>(*ParseReal(a[i].text)));
        }
        if (v == "ints") {
            VSIM::SetInts(a[0].text, ints);
        } else {
            VSIM::SetFloats(a[0].text, floats);
        }
    } else if (v == "unknown" || v == "publish") {
        VSIM::SetPathKnown(a[0].text, v == "publish");
    } else if (v == "aircraft") {
        const fs::path file = (baseFolder / TOOLS::PathOfUtf8(a[0].text)).lexically_normal();
        // The simulator gives its paths as UTF-8.
        VSIM::SetUserAircraft(TOOLS::Narrow(TOOLS::WideOfPath(file.filename())),
                              TOOLS::Narrow(TOOLS::WideOfPath(file)));
        // The simulator reports the type the aircraft file gives, unless the scenario says.
        VSIM::SetBytes(CAircraftProfiles::kIcaoDataRef,
                       a.size() == 2 ? a[1].text.substr(4 + 1) : ReadAcfIcao(file));
        XPluginReceiveMessage(0, kPlaneLoaded, nullptr);
    } else if (v == "model") {
        model.SetActive(a[0].text == "on");
    } else if (v == "start") {
        StartPlugin();
    } else if (v == "stop") {
        StopPlugin();
    } else if (v == "enable") {
        if (started && !enabled) {
            enabled = XPluginEnable() == 1;
        }
    } else if (v == "disable") {
        if (enabled) {
            XPluginDisable();
            enabled = false;
        }
    } else if (v == "frames") {
        RunFrames(*ParseInteger(a[0].text));
    } else if (v == "wait") {
        VIRTUAL::AdvanceClock(static_cast<uint32_t>(*ParseInteger(a[0].text)));
    } else if (v == "trace") {
        const auto level = static_cast<uint8_t>(*ParseInteger(a[0].text));
        const auto keywords = *ParseKeywords(a[1].text);
        if (level == 0 && keywords == 0) {
            VIRTUAL::DisableTrace();
        } else {
            VIRTUAL::EnableTrace(level, keywords);
        }
    } else if (v == "forget") {
        PollDevices();
        journal.Forget();
    }
    return {};
}

void CCockpit::StartPlugin() {
    if (started) {
        return;
    }
    char name[256] = {};
    char signature[256] = {};
    char description[256] = {};
    started = XPluginStart(name, signature, description) == 1;
    // The watch thread traces its loop's start after the plug-in's start has returned: the
    // journal holds those lines before the scenario goes on.
    VIRTUAL::AwaitWatchesSettled();
    if (started) {
        enabled = XPluginEnable() == 1;
    }
}

void CCockpit::StopPlugin() {
    if (enabled) {
        XPluginDisable();
        enabled = false;
    }
    if (started) {
        XPluginStop();
        started = false;
    }
    PollDevices();
}

void CCockpit::RunFrames(int64_t count) {
    for (int64_t i = 0; i < count; ++i) {
        model.Frame();
        VSIM::RunFrames(1);
        // What the frame set going (a screen's LEDs) is done before the next one.
        VIRTUAL::AwaitIdle();
        PollDevices();
        DropCaptures();
    }
}

void CCockpit::DropCaptures() {
    // Every line reached the journal through the listeners; the simulator's journal and the
    // platform's captures would only grow in a long run.
    VSIM::ClearJournal();
    VIRTUAL::TakeTraceLines();
    VIRTUAL::TakeKeyBatches();
}

void CCockpit::PollDevices() {
    for (auto& [name, device] : devices) {
        if (!device->hidPath.empty()) {
            for (const auto& report :
                 VIRTUAL::FeatureReportsSince(device->hidPath, &device->featuresSeen)) {
                journal.Add("feature " + name + HexBytes(report));
            }
        }
        if (device->displayPath.empty()) {
            continue;
        }
        uint64_t lastPicture = 0;
        for (const VIRTUAL::DisplayEvent& event :
             VIRTUAL::DisplayEventsSince(device->displayPath, &device->displaySeen)) {
            const std::string index = std::to_string(event.index);
            switch (event.kind) {
                case VIRTUAL::DisplayEvent::Kind::Led:
                    journal.Add("led " + name + " " + index + (event.on ? " on" : " off"));
                    break;
                case VIRTUAL::DisplayEvent::Kind::Line:
                    journal.Add("line " + name + " " + index + " " + QuoteWord(event.text));
                    break;
                case VIRTUAL::DisplayEvent::Kind::Picture:
                    journal.Add("picture " + name + " " + index);
                    lastPicture = event.index;
                    break;
                case VIRTUAL::DisplayEvent::Kind::ProtocolError:
                    journal.Add("protocol " + name + " " + QuoteWord(event.text));
                    break;
            }
        }
        if (lastPicture != 0 && pictureListener) {
            pictureListener(name, lastPicture, VIRTUAL::ViewDisplay(device->displayPath).picture);
        }
    }
}

CCockpit::Device* CCockpit::Find(const std::string& name) {
    const auto found = devices.find(name);
    return found == devices.end() ? nullptr : found->second.get();
}

CCockpit::Outcome CCockpit::Attach(const Command& command) {
    const auto& a = command.args;
    auto device = std::make_unique<Device>();
    device->kind = a[0].text;
    device->name = device->kind;
    std::string serial;
    std::string pdo;
    for (size_t i = 1; i < a.size(); ++i) {
        const std::string& t = a[i].text;
        if (t.rfind("serial=", 0) == 0) {
            serial = t.substr(7);
        } else if (t.rfind("pdo=", 0) == 0) {
            pdo = t.substr(4);
        } else {
            device->name = t;
        }
    }
    if (const Device* old = Find(device->name); old != nullptr && old->attached) {
        return {kScenarioError, "a device named \"" + device->name + "\" is attached already"};
    }
    VIRTUAL::DeviceSpec hid;
    hid.kind = VIRTUAL::DeviceKind::Hid;
    hid.vendorId = device->kind == "foreign" ? kForeignVendorId : kSkydeckVendorId;
    hid.productId = ProductIdOfKind(device->kind).value_or(kForeignProductId);
    char ids[64];
    std::snprintf(ids, sizeof(ids), "\\\\?\\HID#VID_%04X&PID_%04X#", hid.vendorId, hid.productId);
    hid.path = Widen(ids + device->name + "#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    hid.physicalName =
        Widen(pdo.empty() ? "\\Device\\USBPDO-" + std::to_string(++pdoCounter) : pdo);
    hid.serial = Widen(serial.empty() ? "SKY-" + device->name : serial);
    device->buttonCount = device->kind == "hotas" ? 128 : 64;
    hid.buttonCount = device->buttonCount;
    hid.inputReportLength = static_cast<uint16_t>(1 + device->buttonCount / 8);
    hid.featureReportLength = 25;
    device->hidPath = hid.path;

    VIRTUAL::DeviceSpec display;
    if (device->kind == "screen" || device->kind == "hotas") {
        const bool screen = device->kind == "screen";
        display.kind =
            screen ? VIRTUAL::DeviceKind::ScreenDisplay : VIRTUAL::DeviceKind::StickDisplay;
        display.path =
            Widen("\\\\?\\GLASSLINK#" + std::string(screen ? "SCREEN#" : "STICK#") + device->name +
                  (screen ? "#{b7d25e48-1c6a-4f3d-9e80-5a3c71f4d2b9}"
                          : "#{3f8c6d21-b94e-4e57-8c1a-d04f7a2b9e63}"));
        // The screen link answers with the HID serial; the stick link carries the HID
        // interface's physical device object name.
        display.physicalName = hid.physicalName;
        display.serial = hid.serial;
        device->displayPath = display.path;
    }
    device->attached = true;
    Device& added = *device;
    devices[device->name] = std::move(device);
    journal.Add("attached " + added.name);
    if (!added.displayPath.empty()) {
        VIRTUAL::AttachDevice(display);
    }
    VIRTUAL::AttachDevice(hid);
    PollDevices();
    return {};
}

CCockpit::Outcome CCockpit::Detach(const Command& command) {
    Device* device = Find(command.args[0].text);
    if (device == nullptr || !device->attached) {
        return {kScenarioError, "no attached device named \"" + command.args[0].text + "\""};
    }
    PollDevices();
    journal.Add("removed " + device->name);
    device->attached = false;
    VIRTUAL::DetachDevice(device->hidPath);
    if (!device->displayPath.empty()) {
        VIRTUAL::DetachDevice(device->displayPath);
    }
    return {};
}

CCockpit::Outcome CCockpit::Fault(const Command& command) {
    const auto& a = command.args;
    Device* device = Find(a[0].text);
    if (device == nullptr) {
        return {kScenarioError, "no device named \"" + a[0].text + "\""};
    }
    std::string what = a[1].text;
    bool toHid = true;
    bool toDisplay = true;
    if (what.rfind("hid.", 0) == 0) {
        toDisplay = false;
        what = what.substr(4);
    } else if (what.rfind("link.", 0) == 0) {
        toHid = false;
        what = what.substr(5);
    }
    const VIRTUAL::Fault fault = *FaultNamed(what);
    const bool on = a[2].text == "on";
    if (toHid) {
        VIRTUAL::SetFault(device->hidPath, fault, on);
    }
    if (toDisplay && !device->displayPath.empty()) {
        VIRTUAL::SetFault(device->displayPath, fault, on);
    }
    return {};
}

CCockpit::Outcome CCockpit::Input(const Command& command) {
    const auto& a = command.args;
    Device* device = Find(a[0].text);
    if (device == nullptr || !device->attached) {
        return {kScenarioError, "no attached device named \"" + a[0].text + "\""};
    }
    std::set<uint16_t> usages;
    for (size_t i = 1; i < a.size(); ++i) {
        const auto usage = static_cast<uint16_t>(*ParseInteger(a[i].text));
        if (usage > device->buttonCount) {
            return {kScenarioError, "usage " + a[i].text + " is not a button of " + device->name +
                                        " (1 to " + std::to_string(device->buttonCount) + ")"};
        }
        usages.insert(usage);
    }
    const std::string& v = command.verb;
    if (v == "report") {
        device->usagesOn = usages;
        VIRTUAL::QueueInputReport(device->hidPath, device->usagesOn);
        return {};
    }
    if (v == "on" || v == "press") {
        device->usagesOn.insert(usages.begin(), usages.end());
    } else {
        for (const uint16_t usage : usages) {
            device->usagesOn.erase(usage);
        }
    }
    VIRTUAL::QueueInputReport(device->hidPath, device->usagesOn);
    if (v == "press") {
        RunFrames(1);
        device->usagesOn.erase(*usages.begin());
        VIRTUAL::QueueInputReport(device->hidPath, device->usagesOn);
        RunFrames(1);
    }
    return {};
}

CCockpit::Outcome CCockpit::Expect(const Command& command) {
    const auto& a = command.args;
    const std::string& what = a[0].text;
    std::string got;
    if (what == "no" || what == "count") {
        const bool count = what == "count";
        const size_t kindWords = a.size() - (count ? 2 : 1);
        const std::string kind = a[1].text + (kindWords == 2 ? " " + a[2].text : "");
        const uint64_t wanted = count ? static_cast<uint64_t>(*ParseInteger(a.back().text)) : 0;
        const uint64_t found = journal.CountUnmatched(kind, got);
        if (found != wanted) {
            return {kExpectationFailed,
                    "expected " + std::to_string(wanted) + " unmatched \"" + kind +
                        "\" lines, got " + std::to_string(found) +
                        (got.empty() ? std::string() : " (first: " + got + ")")};
        }
        return {};
    }
    if (what == "report") {
        return ExpectReport(command);
    }
    if (what == "dataref") {
        return ExpectDataRef(command);
    }
    if (what == "led" || what == "line" || what == "pixel") {
        return ExpectDisplay(command);
    }
    if (what == "trace" && a.size() == 2) {
        const std::string text = TraceTextOfWord(a[1].text);
        if (!journal.ExpectTrace(text, got)) {
            return {kExpectationFailed, "expected trace \"" + text + "\", got " + got};
        }
        return {};
    }
    const std::string event = EventOf(a);
    const bool matched = what == "set" ? journal.ExpectEvent(event, got, SameWrite)
                                       : journal.ExpectEvent(event, got);
    if (!matched) {
        return {kExpectationFailed, "expected \"" + event + "\", got " + got};
    }
    return {};
}

CCockpit::Outcome CCockpit::ExpectReport(const Command& command) {
    const auto& a = command.args;
    const Device* device = Find(a[1].text);
    if (device == nullptr) {
        return {kScenarioError, "no device named \"" + a[1].text + "\""};
    }
    std::vector<uint8_t> wanted;
    for (size_t i = 2; i < a.size(); ++i) {
        wanted.push_back(static_cast<uint8_t>(std::stoul(a[i].text, nullptr, 16)));
    }
    // No bytes: no report was sent at all.
    const auto reports = VIRTUAL::FeatureReports(device->hidPath);
    if (reports.empty() ? !wanted.empty() : reports.back() != wanted) {
        return {
            kExpectationFailed,
            "expected " +
                (wanted.empty() ? std::string("no report") : "report" + HexBytes(wanted)) + " to " +
                device->name + ", got " +
                (reports.empty() ? std::string("no report") : "report" + HexBytes(reports.back()))};
    }
    return {};
}

CCockpit::Outcome CCockpit::ExpectDataRef(const Command& command) {
    const auto& a = command.args;
    const std::string& path = a[1].text;
    std::vector<double> actual;
    bool integers = false;
    switch (VSIM::TypeOf(path)) {
        case VSIM::DataType::Int:
            actual.push_back(VSIM::GetInt(path));
            integers = true;
            break;
        case VSIM::DataType::Float:
            actual.push_back(VSIM::GetFloat(path));
            break;
        case VSIM::DataType::IntArray:
            for (const int v : VSIM::GetInts(path)) {
                actual.push_back(v);
            }
            integers = true;
            break;
        case VSIM::DataType::FloatArray:
            for (const float v : VSIM::GetFloats(path)) {
                actual.push_back(v);
            }
            break;
        case VSIM::DataType::None:
        case VSIM::DataType::Bytes:
            break;
    }
    std::vector<double> wanted;
    for (size_t i = 2; i < a.size(); ++i) {
        wanted.push_back(*ParseReal(a[i].text));
    }
    bool same = wanted.size() == actual.size();
    for (size_t i = 0; same && i < wanted.size(); ++i) {
        same = SameValue(wanted[i], actual[i]);
    }
    if (!same) {
        return {kExpectationFailed, "expected dataref " + path + " " + JoinArgs(a, 2) + ", got " +
                                        FormatValues(actual, integers)};
    }
    return {};
}

CCockpit::Device* CCockpit::FindDisplay(const std::string& name, const std::string& kind,
                                        Outcome& outcome) {
    Device* device = Find(name);
    if (device == nullptr || device->kind != kind) {
        outcome = {kScenarioError, "no " + kind + " named \"" + name + "\""};
        return nullptr;
    }
    return device;
}

CCockpit::Outcome CCockpit::ExpectDisplay(const Command& command) {
    const auto& a = command.args;
    const std::string& what = a[0].text;
    Outcome outcome;
    const Device* device = FindDisplay(a[1].text, what == "line" ? "hotas" : "screen", outcome);
    if (device == nullptr) {
        return outcome;
    }
    const VIRTUAL::DisplayView view = VIRTUAL::ViewDisplay(device->displayPath);
    const auto n = static_cast<int>(*ParseInteger(a[2].text));
    const std::string expected = "expected " + JoinArgs(a, 0) + ", got ";
    if (what == "led") {
        const bool on = (view.leds >> n & 1u) != 0;
        if (on != (a[3].text == "on")) {
            return {kExpectationFailed, expected + (on ? "on" : "off")};
        }
    } else if (what == "line") {
        if (view.lines[static_cast<size_t>(n)] != a[3].text) {
            return {kExpectationFailed, expected + QuoteWord(view.lines[static_cast<size_t>(n)])};
        }
    } else {
        const auto pixel = PixelOf(view.picture, n, static_cast<int>(*ParseInteger(a[3].text)));
        if (!pixel) {
            return {kExpectationFailed, expected + "no picture"};
        }
        const auto wanted = static_cast<uint32_t>(std::stoul(a[4].text, nullptr, 16));
        if (*pixel != wanted) {
            char got[8];
            std::snprintf(got, sizeof(got), "%06X", *pixel);
            return {kExpectationFailed, expected + got};
        }
    }
    return {};
}

CCockpit::Outcome CCockpit::Save(const Command& command, const fs::path& baseFolder) {
    const auto& a = command.args;
    Outcome outcome;
    const Device* device = FindDisplay(a[0].text, "screen", outcome);
    if (device == nullptr) {
        return outcome;
    }
    const VIRTUAL::DisplayView view = VIRTUAL::ViewDisplay(device->displayPath);
    if (view.pictures == 0) {
        return {kScenarioError, device->name + " has shown no picture yet"};
    }
    const fs::path file = (baseFolder / TOOLS::PathOfUtf8(a[1].text)).lexically_normal();
    if (!SavePicturePng(view.picture, file)) {
        return {kScenarioError, "cannot write " + ShownPath(file)};
    }
    return {};
}

}  // namespace XPL::SIMTOOL
