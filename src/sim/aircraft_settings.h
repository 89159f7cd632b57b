// The user aircraft's settings that no dataref gives: whether it is a helicopter and the bottoms
// of its oil-pressure and engine-speed green arcs. One record for the module, rewritten each time
// the simulator reports the user's aircraft loaded, read by the lamp panel's conditions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace XPL {

struct AircraftSettings {
    uint32_t isHelicopter;      // 1 when the aircraft's path contains "helicopter" (any case)
    float oilPressureGreenLow;  // psi; 15.0 when the file gives 0
    float rpmGreenLow;          // 0.95 x the engine-speed green-arc bottom; helicopters only
};

// The aircraft the simulator loaded, as aircraft profiles match it: the texts as the simulator
// gives them (profiles' texts compare as UTF-8, so letters outside ASCII match where the
// simulator's texts are UTF-8).
struct AircraftIdentity {
    std::string fileName;  // "b738.acf"
    std::string path;      // the aircraft file's full path
    std::string icao;      // "B738"; empty when the simulator gives none
};

// The module's one record; all fields 0 until the first load.
AircraftSettings& GetAircraftSettings();

// Refills the record from the user aircraft (simulator's thread only; the frame reads the record
// on the same thread, so no lock). All fields are set to 0 first. The helicopter test looks at
// the path alone. Then the aircraft file is read line by line; a line containing
// "acf/_green_lo_oilP" (any aircraft) or "acf/_RSC_mingreen_ENGN" (helicopters) gives its third
// blank-separated field as the value, and the last such line wins. A line whose third field is
// missing or not a number changes nothing. A file that cannot be read leaves the zeros and the
// helicopter flag; nothing is reported as a failure. Returns the aircraft's file name and path
// as the simulator reported them (no ICAO type).
AircraftIdentity XPLAcfLoadSettings();

// The ICAO type an aircraft file gives (the third field of its line "P acf/_ICAO TYPE"), or ""
// when the file cannot be read or has none. For the tools: the plug-in asks the simulator.
std::string ReadAcfIcao(const std::filesystem::path& file);

}  // namespace XPL
