// Fuzz target: the bytes of an aircraft profile read, applied to the registry over the virtual
// simulator (restoring the defaults after), and its lamp conditions evaluated.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "sim/aircraft_profiles.h"
#include "sim/sim_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "xvs-fuzz-profile.xml";
    static XPL::CAircraftProfiles* profiles = [] {
        XPL::ResolveSimRegistry();
        auto* made = new XPL::CAircraftProfiles(XPL::GetSimRegistry());
        made->Start(L"");
        return made;
    }();
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    profiles->Apply(XPL::CAircraftProfile::Read(file, L"fuzz.xml"));
    if (const auto conditions = profiles->Conditions()) {
        for (const XPL::CLampCondition& condition : *conditions) {
            condition.Holds();
        }
    }
    profiles->Retry();
    profiles->Apply(nullptr);
    return 0;
}
