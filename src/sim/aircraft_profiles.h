// The aircraft profiles: which one serves the user's aircraft, and applying it to the registry.
//
// Where profiles live: the aircraft's own folder may hold kOwnFileName (an aircraft author can
// ship one), which comes first; then every "*.xml" of the data folder's "aircraft" folder in
// name order (letters without regard to case). The first that serves the aircraft applies.
//
// Applying restores the registry's members as resolved at start, then points the members the
// profile names at its paths. A path the simulator does not know yet (the aircraft's own plug-in
// may publish it later) is looked up again every kLookUpEveryMs for kLookUpForMs; meanwhile the
// member keeps its default path, and a condition stays dark. A path still unknown then is
// reported once. Panels read the members every frame, so they follow from their next frame on;
// what else concerns a panel (conditions, lens programming, gauge list, pages, knobs) the device
// manager hands it when Generation changes.
//
// Knob acceleration is off unless the shared configuration (a Knobs element of the GaugeList in
// XVarlenSkydeck.xml) or the profile turns it on; the profile's Knobs win per panel.
//
// Threads: everything here runs on the simulator's thread (start, the plane-loaded message, the
// frame); the library functions (Candidates, Find) on any one thread at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sim/aircraft_profile.h"
#include "sim/sim_registry.h"

namespace XPL {

enum class KnobPanel : uint8_t { Tuner, Autoflight };

class CAircraftProfiles {
public:
    static constexpr const wchar_t* kFolderName = L"aircraft";
    static constexpr const wchar_t* kOwnFileName = L"SkydeckAircraftProfile.xml";
    static constexpr const wchar_t* kConfigurationFileName = L"XVarlenSkydeck.xml";
    static constexpr const char* kIcaoDataRef = "sim/aircraft/view/acf_ICAO";
    static constexpr uint32_t kLookUpEveryMs = 1000;
    static constexpr uint32_t kLookUpForMs = 10000;

    // A profile file that may serve an aircraft.
    struct Candidate {
        std::filesystem::path file;
        std::wstring shown;  // for messages: the path as the plug-in composed it
        bool own = false;    // in the aircraft's own folder
    };

    explicit CAircraftProfiles(SimRegistry& registry) : registry_(registry) {}

    // The module's one set, over the module's registry.
    static CAircraftProfiles& Get();

    // The files that may serve the aircraft of aircraftFile (empty: shared ones only), in the
    // order they are tried. dataFolder: the plug-in's data folder (a trailing separator or not).
    static std::vector<Candidate> Candidates(const std::wstring& dataFolder,
                                             const std::filesystem::path& aircraftFile);
    // The first candidate that serves aircraft, read, and the Match that took it (null for an
    // own profile without Match elements); null when none serves it. Candidates that do not
    // read are reported (level 1) and passed over.
    static std::shared_ptr<CAircraftProfile> Find(const std::vector<Candidate>& candidates,
                                                  const AircraftIdentity& aircraft,
                                                  const CAircraftProfile::Match** match = nullptr);
    // The Knobs of the shared configuration in dataFolder; its problems at level 1.
    static CAircraftProfile::Knobs ReadSharedKnobs(const std::wstring& dataFolder);
    // The ICAO type the simulator reports for the user's aircraft (blanks and NULs cut off).
    static std::string UserAircraftIcao();

    // At start, after the registry was resolved: its members become the defaults; the shared
    // knob settings are read.
    void Start(const std::wstring& dataFolder);
    // The plane-loaded message: the profile that serves aircraft, applied (or the defaults,
    // without one). The shared knob settings stay as read at start.
    void Load(const std::wstring& dataFolder, const AircraftIdentity& aircraft);
    // Restores the defaults and applies profile (null: none), with the shared knobs known.
    void Apply(std::shared_ptr<CAircraftProfile> profile);
    // Each frame: looks up again what is still unknown when it is time. One test when nothing
    // waits.
    void Retry() {
        if (!waiting_.empty()) {
            LookUpWaiting();
        }
    }
    // At stop: the defaults back, the profile dropped (on the thread that read it).
    void Stop();

    // The profile applied, or null.
    const CAircraftProfile* Profile() const { return profile_.get(); }
    // The profile's lamp conditions, with their datarefs as found so far (the same list until
    // the next Apply).
    std::shared_ptr<const std::vector<CLampCondition>> Conditions() const { return conditions_; }
    const KnobSettings& Knobs(KnobPanel panel) const {
        return panel == KnobPanel::Tuner ? tunerKnobs_ : autoflightKnobs_;
    }
    // Changes at every Start, Apply and Stop.
    uint32_t Generation() const { return generation_; }
    // Paths still looked up again.
    size_t WaitingCount() const { return waiting_.size(); }

private:
    struct Waiting {
        bool condition = false;
        size_t index = 0;  // into the profile's uses or conditions
    };
    // Points the members of the use at its path; false when the simulator does not know it.
    bool BindUse(const CAircraftProfile::Use& use);
    bool BindCondition(CLampCondition& condition);
    void LookUpWaiting();

    SimRegistry& registry_;
    bool started_ = false;
    SimRegistry::Commands defaultCommands_;
    SimRegistry::DataRefs defaultDataRefs_;
    std::shared_ptr<CAircraftProfile> profile_;
    std::shared_ptr<std::vector<CLampCondition>> conditions_ =
        std::make_shared<std::vector<CLampCondition>>();
    CAircraftProfile::Knobs sharedKnobs_;
    KnobSettings tunerKnobs_;
    KnobSettings autoflightKnobs_;
    std::vector<Waiting> waiting_;
    uint32_t appliedAt_ = 0;
    uint32_t nextLookUp_ = 0;
    uint32_t generation_ = 0;
};

}  // namespace XPL
