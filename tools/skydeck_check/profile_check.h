// Checks aircraft profiles with the plug-in's own reader (CAircraftProfile) and the panels' own
// rules for the parts they read (lens programming, gauge list, stick pages): what the reader
// reports (format, registry paths unknown, entries repeated or in conflict, conditions that
// cannot be evaluated, knob settings), conditions named like built-in ones, lens programming
// that names neither, gauges and pages as in the configuration file, profiles that serve no
// aircraft, and Match elements that an earlier profile always takes first.
//
// It also tells which profile serves an aircraft file and what that profile changes, as notes at
// the lines that say so.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "configuration_check.h"
#include "findings.h"
#include "sim/aircraft_profile.h"

namespace XPL::CHECKTOOL {

class CProfileCheck {
public:
    // configuration checks the gauge lists and pages (and learns their gauges for the memory
    // file).
    CProfileCheck(CFindings& findings, CConfigurationCheck& configuration)
        : findings_(findings), configuration_(configuration) {}

    // Every profile of the data folder's "aircraft" folder, then the Match elements they share.
    void CheckFolder(const std::filesystem::path& dataFolder);
    // One profile file; own: it lies in an aircraft's folder (where it needs no Match). Returns
    // what was read (never null).
    std::shared_ptr<CAircraftProfile> CheckFile(const std::filesystem::path& file,
                                                const std::filesystem::path& dataFolder, bool own);
    // Which profile serves the aircraft file acf (its ICAO type read from the file) and what it
    // changes, as notes; the profile itself is checked too.
    void DescribeAircraft(const std::filesystem::path& acf,
                          const std::filesystem::path& dataFolder);

    // What profile changes, as notes at the lines that say so (shown names it).
    void Describe(const CAircraftProfile& profile, const std::string& shown);

    // The conditions the profiles checked define (each name once, in the order met).
    const std::vector<std::wstring>& ConditionNames() const { return conditionNames_; }

    // The findings of a profile's own problems (as the reader found them), named shown.
    static void AddProblems(const CAircraftProfile& profile, const std::string& shown,
                            CFindings& findings);

private:
    void CheckOverlaps(const std::vector<std::shared_ptr<CAircraftProfile>>& profiles);

    CFindings& findings_;
    CConfigurationCheck& configuration_;
    std::vector<std::wstring> conditionNames_;
};

}  // namespace XPL::CHECKTOOL
