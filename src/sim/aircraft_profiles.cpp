#include "sim/aircraft_profiles.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "platform/clock.h"
#include "sim/utility.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kAircraft;
constexpr int kIcaoBytes = 40;

std::wstring WithSeparator(const std::wstring& folder) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') {
        return folder;
    }
    return folder + L'\\';
}

bool IsXmlFile(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    if (!entry.is_regular_file(error)) {
        return false;
    }
    return UTILITY::ConvertStringToLower(UTILITY::WideOfPath(entry.path().extension())) == L".xml";
}

}  // namespace

CAircraftProfiles& CAircraftProfiles::Get() {
    static CAircraftProfiles profiles(GetSimRegistry());
    return profiles;
}

std::vector<CAircraftProfiles::Candidate> CAircraftProfiles::Candidates(
    const std::wstring& dataFolder, const std::filesystem::path& aircraftFile) {
    std::vector<Candidate> candidates;
    std::error_code error;
    if (!aircraftFile.empty()) {
        const std::filesystem::path own = aircraftFile.parent_path() / kOwnFileName;
        if (std::filesystem::is_regular_file(own, error)) {
            candidates.push_back({own, UTILITY::WideOfPath(own), true});
        }
    }
    const std::wstring folder = WithSeparator(dataFolder) + kFolderName;
    std::vector<Candidate> shared;
    for (std::filesystem::directory_iterator it(UTILITY::MakeFilePath(folder), error), end;
         !error && it != end; it.increment(error)) {
        if (IsXmlFile(*it)) {
            const std::wstring name = UTILITY::WideOfPath(it->path().filename());
            shared.push_back({it->path(), folder + L'\\' + name, false});
        }
    }
    std::sort(shared.begin(), shared.end(), [](const Candidate& a, const Candidate& b) {
        const std::wstring left =
            UTILITY::ConvertStringToLower(UTILITY::WideOfPath(a.file.filename()));
        const std::wstring right =
            UTILITY::ConvertStringToLower(UTILITY::WideOfPath(b.file.filename()));
        return left != right ? left < right : a.file.filename() < b.file.filename();
    });
    candidates.insert(candidates.end(), shared.begin(), shared.end());
    return candidates;
}

std::shared_ptr<CAircraftProfile> CAircraftProfiles::Find(const std::vector<Candidate>& candidates,
                                                          const AircraftIdentity& aircraft,
                                                          const CAircraftProfile::Match** match) {
    for (const Candidate& candidate : candidates) {
        std::shared_ptr<CAircraftProfile> profile =
            CAircraftProfile::Read(candidate.file, candidate.shown);
        if (!profile->Readable()) {
            // It may be the one meant for this aircraft: say why it is passed over.
            profile->ReportProblems(kKeyword);
            continue;
        }
        if (const CAircraftProfile::Match* found = profile->MatchFor(aircraft, candidate.own)) {
            if (match != nullptr) {
                *match = found->line != 0 ? found : nullptr;
            }
            return profile;
        }
    }
    return nullptr;
}

CAircraftProfile::Knobs CAircraftProfiles::ReadSharedKnobs(const std::wstring& dataFolder) {
    CAircraftProfile::Knobs knobs;
    const std::wstring path = WithSeparator(dataFolder) + kConfigurationFileName;
    PLATFORM::CXmlDocument document;
    // A missing or broken configuration is reported by the panels that read its gauges and pages.
    if (!document.Create() || !document.LoadFile(path)) {
        return knobs;
    }
    const PLATFORM::CXmlNode root = document.DocumentElement();
    if (root.Name() != L"GaugeList" || !root.SelectSingleNode(L"Knobs")) {
        return knobs;
    }
    CXmlLines lines;
    lines.Read(UTILITY::MakeFilePath(path), document);
    std::vector<ProfileProblem> problems;
    CAircraftProfile::ReadKnobs(root, lines, knobs, problems);
    for (const ProfileProblem& problem : problems) {
        if (!problem.warning) {
            TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                       L"The configuration file %s, line %u: %s", path, problem.line, problem.text);
        }
    }
    return knobs;
}

std::string CAircraftProfiles::UserAircraftIcao() {
    char bytes[kIcaoBytes + 1] = {};
    const int count =
        XPLMGetDatab(XPLMFindDataRef(kIcaoDataRef), bytes, 0, static_cast<int>(kIcaoBytes));
    std::string icao(bytes, static_cast<size_t>(std::clamp(count, 0, kIcaoBytes)));
    icao.resize(strnlen(icao.c_str(), icao.size()));
    const size_t first = icao.find_first_not_of(" \t");
    const size_t last = icao.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : icao.substr(first, last - first + 1);
}

void CAircraftProfiles::Start(const std::wstring& dataFolder) {
    CTraceScope scope(kKeyword, "XPL::CAircraftProfiles::Start");
    defaultCommands_ = registry_.cmd;
    defaultDataRefs_ = registry_.ref;
    started_ = true;
    sharedKnobs_ = ReadSharedKnobs(dataFolder);
    Apply(nullptr);
}

void CAircraftProfiles::Load(const std::wstring& dataFolder, const AircraftIdentity& aircraft) {
    CTraceScope scope(kKeyword, "XPL::CAircraftProfiles::Load");
    const CAircraftProfile::Match* match = nullptr;
    std::shared_ptr<CAircraftProfile> profile =
        Find(Candidates(dataFolder, UTILITY::MakeFilePath(aircraft.path)), aircraft, &match);
    if (profile == nullptr) {
        TraceWrite(kTraceNotice, kKeyword, kTraceMessage,
                   L"The aircraft %S (ICAO type \"%S\") has no aircraft profile", aircraft.fileName,
                   aircraft.icao);
    } else if (match != nullptr) {
        TraceWrite(kTraceNotice, kKeyword, kTraceMessage,
                   L"The aircraft %S (ICAO type \"%S\") uses the aircraft profile %s (its Match at "
                   L"line %u)",
                   aircraft.fileName, aircraft.icao, profile->Shown(), match->line);
    } else {
        TraceWrite(kTraceNotice, kKeyword, kTraceMessage,
                   L"The aircraft %S (ICAO type \"%S\") uses its own aircraft profile %s",
                   aircraft.fileName, aircraft.icao, profile->Shown());
    }
    if (profile != nullptr) {
        profile->ReportProblems(kKeyword);
    }
    Apply(std::move(profile));
}

void CAircraftProfiles::Apply(std::shared_ptr<CAircraftProfile> profile) {
    if (started_) {
        registry_.cmd = defaultCommands_;
        registry_.ref = defaultDataRefs_;
    }
    profile_ = std::move(profile);
    waiting_.clear();
    // A new list: panels still holding the last one keep theirs until they are handed this one.
    conditions_ = std::make_shared<std::vector<CLampCondition>>();
    CAircraftProfile::Knobs given = sharedKnobs_;
    if (profile_ != nullptr) {
        *conditions_ = profile_->Conditions();
        const CAircraftProfile::Knobs& own = profile_->KnobSettingsGiven();
        given.tuner = own.tuner ? own.tuner : given.tuner;
        given.autoflight = own.autoflight ? own.autoflight : given.autoflight;
        const auto& uses = profile_->Uses();
        for (size_t i = 0; i < uses.size(); ++i) {
            if (!BindUse(uses[i])) {
                waiting_.push_back({false, i});
            }
        }
        for (size_t i = 0; i < conditions_->size(); ++i) {
            if (!BindCondition((*conditions_)[i])) {
                waiting_.push_back({true, i});
            }
        }
    }
    tunerKnobs_ = given.tuner.value_or(KnobSettings{});
    autoflightKnobs_ = given.autoflight.value_or(KnobSettings{});
    appliedAt_ = PLATFORM::GetTickCount();
    nextLookUp_ = appliedAt_ + kLookUpEveryMs;
    ++generation_;
}

void CAircraftProfiles::Stop() {
    Apply(nullptr);
}

bool CAircraftProfiles::BindUse(const CAircraftProfile::Use& use) {
    if (use.command) {
        const XPLMCommandRef command = XPLMFindCommand(use.target.c_str());
        if (command == nullptr) {
            return false;
        }
        const auto rows = SimCommandPaths();
        for (const size_t row : use.rows) {
            rows[row].handle(registry_) = command;
        }
        return true;
    }
    const XPLMDataRef dataRef = XPLMFindDataRef(use.target.c_str());
    if (dataRef == nullptr) {
        return false;
    }
    const SimDataRef member =
        SimDataRef::PointedAt(dataRef, XPLMGetDataRefTypes(dataRef), use.element);
    const auto rows = SimDataRefPaths();
    for (const size_t row : use.rows) {
        rows[row].handle(registry_) = member;
    }
    return true;
}

bool CAircraftProfiles::BindCondition(CLampCondition& condition) {
    condition.handle = XPLMFindDataRef(condition.path.c_str());
    condition.types =
        condition.handle != nullptr ? XPLMGetDataRefTypes(condition.handle) : xplmType_Unknown;
    return condition.handle != nullptr;
}

void CAircraftProfiles::LookUpWaiting() {
    const uint32_t now = PLATFORM::GetTickCount();
    if (static_cast<int32_t>(now - nextLookUp_) < 0) {
        return;
    }
    CTraceScope scope(kKeyword, "XPL::CAircraftProfiles::LookUpWaiting");
    std::erase_if(waiting_, [this](const Waiting& waiting) {
        return waiting.condition ? BindCondition((*conditions_)[waiting.index])
                                 : BindUse(profile_->Uses()[waiting.index]);
    });
    if (now - appliedAt_ < kLookUpForMs) {
        nextLookUp_ = now + kLookUpEveryMs;
        return;
    }
    for (const Waiting& waiting : waiting_) {
        if (waiting.condition) {
            const CLampCondition& condition = (*conditions_)[waiting.index];
            profile_->Report(kKeyword, condition.line,
                             L"the simulator does not know the dataref " +
                                 UTILITY::FromUtf8(condition.path) + L", so the condition " +
                                 condition.name + L" stays dark");
        } else {
            const CAircraftProfile::Use& use = profile_->Uses()[waiting.index];
            profile_->Report(kKeyword, use.line,
                             L"the simulator does not know the " +
                                 std::wstring(use.command ? L"command " : L"dataref ") +
                                 UTILITY::FromUtf8(use.target) + L", so the panels keep using " +
                                 UTILITY::FromUtf8(use.path));
        }
    }
    waiting_.clear();
}

}  // namespace XPL
