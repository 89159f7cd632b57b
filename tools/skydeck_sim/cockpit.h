// The virtual cockpit: plays the simulator, the OS and the user around the real plug-in entry
// points, one scenario command at a time, and checks expectations against the journal.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "aircraft_model.h"
#include "scenario.h"
#include "sim_journal.h"

namespace XPL::SIMTOOL {

struct CockpitOptions {
    std::filesystem::path dataFolder;     // the plug-in's data folder
    std::filesystem::path profileFolder;  // empty: a fresh empty folder
    bool trace = false;
    uint8_t traceLevel = 0;
    uint64_t traceKeywords = 0;
    bool quiet = false;
};

// Exit statuses of a run.
inline constexpr int kPassed = 0;
inline constexpr int kExpectationFailed = 1;
inline constexpr int kScenarioError = 2;

// The USB product id behind a device kind of `attach` (none for `foreign` or an unknown kind).
std::optional<uint16_t> ProductIdOfKind(const std::string& kind);

class CCockpit {
public:
    explicit CCockpit(const CockpitOptions& options);
    ~CCockpit();
    CCockpit(const CCockpit&) = delete;
    CCockpit& operator=(const CCockpit&) = delete;

    // Lays out the module and profile folders, loads the module and hooks the journal; false
    // with message when the folders cannot be made.
    bool Setup(std::string& message);
    // Runs the commands of fileName (relative paths inside are taken from baseFolder); stops a
    // started plug-in at the end. Returns kPassed, kExpectationFailed or kScenarioError after
    // printing "FILE:LINE: ..." on standard error.
    int Run(const std::vector<Command>& commands, const std::string& fileName,
            const std::filesystem::path& baseFolder);
    // As Run, but a started plug-in stays started (the demo plays its flight step by step).
    int Play(const std::vector<Command>& commands, const std::string& fileName,
             const std::filesystem::path& baseFolder);
    // Stops the plug-in if started and unloads the module (also done by the destructor).
    void Finish();

    // The profile folder of this run when it is the tool's own fresh one (no --profile), where
    // a lens programming file may be written; empty otherwise. Valid after Setup.
    std::filesystem::path OwnProfileFolder() const;

    // A device as the views see it: its kind, every feature report it accepted and, for the
    // screen, its LEDs (bit n: LED n is on); for the hotas, the lines its display shows.
    struct DeviceReports {
        std::string name;
        std::string kind;
        std::vector<std::vector<uint8_t>> reports;
        uint16_t leds = 0;
        std::array<std::string, 3> lines;
    };
    // The attached devices in name order.
    std::vector<DeviceReports> AttachedDevices() const;

    // Called with each picture a screen accepted (device name, its number counted from 1, the
    // picture as sent), as the journal hears of it; pictures that came within one command
    // are seen as the last of them.
    using PictureListener = std::function<void(const std::string& device, uint64_t number,
                                               const std::vector<uint8_t>& picture)>;
    void SetPictureListener(PictureListener listener) { pictureListener = std::move(listener); }

    // The plug-in's simulator lines ("cmd once ...", "set ...") since the last call, each once
    // in first-seen order with how often it came.
    std::vector<std::pair<std::string, int>> TakeSimulatorLines();

private:
    struct Device {
        std::string name;
        std::string kind;
        std::wstring hidPath;
        std::wstring displayPath;  // screen and hotas: the display-driver device
        uint16_t buttonCount = 0;
        std::set<uint16_t> usagesOn;
        uint64_t featuresSeen = 0;  // feature reports journaled so far
        uint64_t displaySeen = 0;   // display events journaled so far
        bool attached = false;
    };
    // A failure of one command: the status and its message.
    struct Outcome {
        int status = kPassed;
        std::string message;
    };

    Outcome Execute(const Command& command, const std::filesystem::path& baseFolder);
    Outcome Attach(const Command& command);
    Outcome Detach(const Command& command);
    Outcome Fault(const Command& command);
    Outcome Input(const Command& command);
    Outcome Expect(const Command& command);
    Outcome ExpectReport(const Command& command);
    Outcome ExpectDataRef(const Command& command);
    // expect led, expect line, expect pixel: what a display shows now.
    Outcome ExpectDisplay(const Command& command);
    Outcome Save(const Command& command, const std::filesystem::path& baseFolder);
    // The device named name when it is of kind, else null with the failure in outcome.
    Device* FindDisplay(const std::string& name, const std::string& kind, Outcome& outcome);
    void StartPlugin();
    void StopPlugin();
    void RunFrames(int64_t count);
    // Journals the feature reports the devices accepted, and what their displays accepted, since
    // the last poll.
    void PollDevices();
    void DropCaptures();
    void NoteSimulatorLine(const std::string& line);
    Device* Find(const std::string& name);
    // A new folder of this run in the temporary folder; empty when none can be made.
    static std::filesystem::path MakeScratchFolder();
    // Makes folder the plug-in's folder called name: where it already has that name it is used
    // as it is, otherwise it is linked as name into scratchParent, or copied there (copied set)
    // where the OS makes no links. parent is the folder that then holds it.
    static bool PlaceFolder(const std::filesystem::path& folder, const std::string& name,
                            const std::filesystem::path& scratchParent,
                            std::filesystem::path& parent, bool& copied);

    CockpitOptions options;
    CSimJournal journal;
    std::filesystem::path scratch;  // the module and profile folders of this run
    std::map<std::string, std::unique_ptr<Device>> devices;
    int pdoCounter = 0;
    bool loaded = false;
    bool started = false;
    bool enabled = false;
    CAircraftModel model;
    PictureListener pictureListener;
    std::mutex simLinesLock;
    std::vector<std::pair<std::string, int>> simLines;
};

}  // namespace XPL::SIMTOOL
