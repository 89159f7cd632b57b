// One aircraft profile file as read: which aircraft it serves and what it changes for them.
//
//   <AircraftProfile Name="...">                          the root; Name is shown in messages
//     <Match File="b738.acf"/>                             the aircraft file's name
//     <Match PathContains="Boeing 737"/>                   a part of the aircraft file's path
//     <Match Icao="B738"/>                                 the simulator's ICAO type
//     <Command Path="sim/autopilot/heading" Use="laminar/B738/autopilot/hdg_sel_press"/>
//     <DataRef Path="sim/cockpit2/autopilot/heading_status" Use="laminar/B738/hdg_status"/>
//     <DataRef Path="sim/cockpit/autopilot/altitude" Use="laminar/B738/mcp/alt[0]"/>
//     <Condition Name="ApuFire" DataRef="laminar/B738/apu_fire" Above="0.5"/>   (CLampCondition)
//     <Lamp> ... </Lamp>                   lens programming, as LampProgramming.xml (Id optional)
//     <GaugeList> <Gauge .../> <Hotas> ... </Hotas> </GaugeList>   as XVarlenSkydeck.xml
//     <Knobs Acceleration="on" FastTurn="80" Steps="5" Panel="Tuner"/>
//   </AircraftProfile>
// Texts compare with case except the match texts (letters A to Z without regard to case, '\' and
// '/' alike in paths). A Match holds when all its attributes hold; a profile serves an aircraft
// when any of its Match elements holds.
//
// The reader checks what it reads and keeps going past every problem: what is wrong is left
// out, the rest is kept. The Lamp and GaugeList parts are read by the panels with their own
// rules, from the document kept here (on the thread that read it).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/xml.h"
#include "sim/aircraft_settings.h"
#include "sim/lamp_condition.h"
#include "sim/xml_lines.h"

namespace XPL {

// What a profile says about a knob of the tuner or the autoflight panel. Off: every detent makes
// one step, as without a profile. On: a detent that comes less than fastTurnMs after the one
// before it on the same knob, turned the same way, makes `steps` steps.
struct KnobSettings {
    static constexpr uint32_t kDefaultFastTurnMs = 80;
    static constexpr uint32_t kDefaultSteps = 5;
    bool acceleration = false;
    uint32_t fastTurnMs = kDefaultFastTurnMs;
    uint32_t steps = kDefaultSteps;
    bool operator==(const KnobSettings&) const = default;
};

struct ProfileProblem {
    // Kinds a tool may say more about (a misspelt name's closest known one): subject is then the
    // word as written.
    enum class Kind : uint8_t {
        Other,
        UnknownElement,    // an element the profile does not have
        UnknownAttribute,  // an attribute its element does not have
        UnknownCommand,    // a Command Path the registry does not hold
        UnknownDataRef,    // a DataRef Path the registry does not hold
    };
    uint32_t line = 0;     // from 1; 0 for the whole file
    bool warning = false;  // works as written, but most likely not as meant
    std::wstring text;
    Kind kind = Kind::Other;
    std::wstring subject;
};

class CAircraftProfile {
public:
    static constexpr const wchar_t* kRootName = L"AircraftProfile";

    struct Match {
        std::wstring file;          // empty: not asked
        std::wstring pathContains;  // empty: not asked
        std::wstring icao;          // empty: not asked
        uint32_t line = 0;
    };

    // A registry path pointed somewhere else.
    struct Use {
        bool command = false;
        std::string path;      // the registry's path
        std::string target;    // the path used instead, without the element part
        int32_t element = -1;  // the element of target, or -1 for the whole dataref
        uint32_t line = 0;
        std::vector<size_t> rows;  // the registry's table rows of path (SimCommandPaths or
                                   // SimDataRefPaths)
    };

    // Per panel: the tuner's and the autoflight panel's knobs, when the file says.
    struct Knobs {
        std::optional<KnobSettings> tuner;
        std::optional<KnobSettings> autoflight;
    };

    // Reads a profile file; shown names it in messages. Never null: a file that does not read
    // gives a profile without content and the reason among its problems.
    static std::unique_ptr<CAircraftProfile> Read(const std::filesystem::path& file,
                                                  std::wstring shown);

    // Reads the Knobs elements that are children of parent into knobs (the shared configuration
    // has them too), with their problems; lines: of parent's document.
    static void ReadKnobs(const PLATFORM::CXmlNode& parent, const CXmlLines& lines, Knobs& knobs,
                          std::vector<ProfileProblem>& problems);

    ~CAircraftProfile();

    // Whether the file read as a profile (XML with the right root).
    bool Readable() const { return readable_; }
    const std::wstring& Shown() const { return shown_; }
    const std::filesystem::path& File() const { return file_; }
    // The Name attribute, or the file's name without its extension.
    const std::wstring& Name() const { return name_; }

    // The first Match that holds for aircraft, or null. own: the file lies in the aircraft's own
    // folder, where a profile without Match elements serves every aircraft.
    const Match* MatchFor(const AircraftIdentity& aircraft, bool own) const;
    static bool Holds(const Match& match, const AircraftIdentity& aircraft);

    const std::vector<Match>& Matches() const { return matches_; }
    const std::vector<Use>& Uses() const { return uses_; }
    const std::vector<CLampCondition>& Conditions() const { return conditions_; }
    const Knobs& KnobSettingsGiven() const { return knobs_; }
    const std::vector<ProfileProblem>& Problems() const { return problems_; }

    // The document, for the parts panels read with their own rules (Lamp, GaugeList), and the
    // lines of its elements. Used on the thread that read the file only.
    const PLATFORM::CXmlDocument& Document() const { return document_; }
    uint32_t LineOf(const PLATFORM::CXmlNode& node) const { return lines_.LineOf(node); }
    const CXmlLines& Lines() const { return lines_; }

    // A problem a panel found while taking its part: written at level 1 under keyword with the
    // file and line, once per profile read however many panels find it. Any thread.
    void Report(int keyword, uint32_t line, const std::wstring& text) const;
    // Writes the file's own problems (errors) at level 1, each once.
    void ReportProblems(int keyword) const;

private:
    CAircraftProfile() = default;
    void ReadRoot(const PLATFORM::CXmlNode& root);
    void ReadMatch(const PLATFORM::CXmlNode& element, uint32_t line);
    void ReadUse(const PLATFORM::CXmlNode& element, uint32_t line, bool command);
    void ReadCondition(const PLATFORM::CXmlNode& element, uint32_t line);
    void Problem(uint32_t line, std::wstring text, bool warning = false,
                 ProfileProblem::Kind kind = ProfileProblem::Kind::Other,
                 std::wstring subject = {});

    std::filesystem::path file_;
    std::wstring shown_;
    std::wstring name_;
    bool readable_ = false;
    PLATFORM::CXmlDocument document_;
    CXmlLines lines_;
    std::vector<Match> matches_;
    std::vector<Use> uses_;
    std::vector<CLampCondition> conditions_;
    Knobs knobs_;
    std::vector<ProfileProblem> problems_;

    mutable std::mutex reportedLock_;
    mutable std::set<std::pair<uint32_t, std::wstring>> reported_;
};

}  // namespace XPL
