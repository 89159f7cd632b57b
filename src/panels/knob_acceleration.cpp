#include "panels/knob_acceleration.h"

namespace XPL {

void CKnobAcceleration::Configure(const KnobSettings& settings) {
    settings_ = settings;
    last_ = {};
}

uint32_t CKnobAcceleration::Steps(size_t knob, bool up, uint32_t now) {
    if (!settings_.acceleration || knob >= kMostKnobs) {
        return 1;
    }
    Detent& last = last_[knob];
    const bool fast = last.seen && last.up == up && now - last.tick < settings_.fastTurnMs;
    last = {true, up, now};
    return fast ? settings_.steps : 1;
}

}  // namespace XPL
