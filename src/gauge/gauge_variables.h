// A gauge's table of simulator values. The loaders register every variable that the gauge's
// scripts read; once per simulator frame Fetch reads their datarefs into the current values and,
// when one moved by more than 0.005, copies them all over the working values, which scripts read
// (with unit conversion) and write (without) while the gauge is drawn.
//
// A variable is a type letter, a name and a unit as a script writes them, (A:name,unit). Only the
// letters A, E, P, a, e and p are variables; any other letter (L, say) is ignored by every
// operation, so it reads 0.0 and takes no writes. The key is name + "," + unit: the same name and
// unit under A and E are one variable, the same name with two units two variables that fetch
// the same dataref.
//
// A name is a dataref path with an optional suffix after its last colon:
//   path        a float dataref, or element 0 of a float array
//   path:K      element K of a float array
//   path:n      an int dataref
//   path:nK     element K of an int array
// (K a decimal number; a negative K reads nothing).
//
// Threads: registration happens while the gauge loads, on whichever thread loads it; Fetch calls
// the simulator and so runs on the simulator's thread only; scripts run on the drawing thread.
// The table has no lock: its owner serialises Fetch and drawing.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "xplm/xplm.h"

namespace XPL {

class CGaugeVariables {
public:
    // Fetch walks the variables with a 16-bit index.
    static constexpr uint32_t kMaxCount = 65535;
    // A fetched value that moved by no more than this is no change.
    static constexpr double kChangeThreshold = 0.005;

    CGaugeVariables() = default;
    CGaugeVariables(const CGaugeVariables&) = delete;
    CGaugeVariables& operator=(const CGaugeVariables&) = delete;

    static bool IsVariableLetter(wchar_t letter);

    // Adds a variable unless the letter is not a variable letter, the key is present or the table
    // is full. The value arrays are not touched (RegisterScript sizes them).
    void Register(wchar_t letter, std::wstring_view name, std::wstring_view unit);
    // Registers every variable the script reads (blocks included), then resets both value arrays
    // to one 0.0 per variable.
    void RegisterScript(std::wstring_view script);

    // The working value converted by unit ("ndegree", "pdegree", "negative", "degcf", "lbs",
    // "psi"; any other unit as stored); 0.0 for a letter that is no variable letter or a key not
    // held. Allocates nothing.
    float Read(wchar_t letter, std::wstring_view name, std::wstring_view unit) const;
    // Stores value as the working value, unconverted; ignored as Read gives 0.0.
    void Write(wchar_t letter, std::wstring_view name, std::wstring_view unit, float value);

    // One simulator frame: reads every variable's dataref (float first; only when that reads
    // exactly 0 the name's suffix decides the second read). A value that moved by more than
    // kChangeThreshold from its current value becomes current; when any did, all current values
    // are copied over the working values (discarding what scripts wrote). True when any changed.
    // Dataref handles are looked up on the first fetch and kept; a path the simulator did not
    // know is asked again at each fetch, so a dataref another plug-in publishes later is found.
    // Allocates nothing.
    bool Fetch();

    uint32_t Count() const { return static_cast<uint32_t>(names_.size()); }
    // The index of a key, or -1.
    int32_t IndexOf(std::wstring_view name, std::wstring_view unit) const;
    const std::wstring& Name(uint32_t index) const { return names_[index]; }
    const std::wstring& Unit(uint32_t index) const { return units_[index]; }
    float Current(uint32_t index) const { return index < current_.size() ? current_[index] : 0.0f; }
    float Working(uint32_t index) const { return index < working_.size() ? working_[index] : 0.0f; }

private:
    // Orders keys "name,unit" and finds one from its two parts without building it.
    struct KeyParts {
        std::wstring_view name;
        std::wstring_view unit;
    };
    struct KeyLess {
        using is_transparent = void;
        bool operator()(const std::wstring& a, const std::wstring& b) const { return a < b; }
        bool operator()(const std::wstring& a, const KeyParts& b) const;
        bool operator()(const KeyParts& a, const std::wstring& b) const;
    };

    // How the second read of a variable goes, settled from its name at registration.
    enum class SourceKind : uint8_t { Float, FloatElement, Int, IntElement };
    struct Source {
        std::string path;    // the whole name, narrowed (low byte of each character)
        std::string prefix;  // before the last colon (element and int kinds)
        SourceKind kind = SourceKind::Float;
        int32_t element = 0;
        XPLMDataRef pathRef = nullptr;
        XPLMDataRef prefixRef = nullptr;
    };

    int32_t Find(std::wstring_view name, std::wstring_view unit) const;
    static float ReadSource(Source& source);

    std::vector<float> current_;
    std::vector<float> working_;
    std::map<std::wstring, int32_t, KeyLess> index_;
    std::vector<std::wstring> names_;
    std::vector<std::wstring> units_;
    std::vector<Source> sources_;
    bool valuesWritten_ = false;  // some value may differ from 0 since the arrays were reset
};

}  // namespace XPL
