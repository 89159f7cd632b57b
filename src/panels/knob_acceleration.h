// How far a rotary knob's detent reaches. Without acceleration (the default) every detent makes
// one step. With it, a detent that comes less than the fast-turn time after the detent before it
// on the same knob, turned the same way, makes `steps` steps; any slower detent, and the first
// one after turning the other way, makes one. So a pilot who turns slowly steps one at a time,
// and a quick spin covers `steps` times the distance, never more: the same turn always gives the
// same result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sim/aircraft_profile.h"

namespace XPL {

class CKnobAcceleration {
public:
    static constexpr size_t kMostKnobs = 4;

    // New settings; what the knobs did before is forgotten.
    void Configure(const KnobSettings& settings);
    // The steps of a detent of knob (0 to kMostKnobs - 1) turned up or down at tick now, which
    // every detent must be told of in order (also those a filter drops afterwards).
    uint32_t Steps(size_t knob, bool up, uint32_t now);
    const KnobSettings& Settings() const { return settings_; }

private:
    struct Detent {
        bool seen = false;
        bool up = false;
        uint32_t tick = 0;
    };
    KnobSettings settings_;
    std::array<Detent, kMostKnobs> last_{};
};

}  // namespace XPL
