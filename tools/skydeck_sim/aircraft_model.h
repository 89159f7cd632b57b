// The simple aircraft model of the virtual cockpit. It answers the commands the panels send the
// way the simulator would, closely enough for the demo and for scenarios: standby frequencies step
// and flip, transponder and ADF digits step, autopilot targets step, mode commands set the status
// datarefs, the flight director walks, the gear moves over a few seconds of frames and light
// commands set the light states. It is no flight model: the only motion is the gear and the
// indicated altitude following the vertical speed target while the vertical speed mode is engaged,
// captured at the armed target.
//
// Its changes are the simulator's own (VSIM::Set...), so they never appear in the journal and
// never disturb what a scenario expects of the plug-in. Commands act at once, inside the
// plug-in's XPLMCommandOnce, as the plug-in reads datarefs right after some of them.
//
// Threads: OnEvent runs on the thread of the SDK call, Frame and SetActive on the simulator's;
// one mutex keeps them apart.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

#include "vsim/vsim.h"

namespace XPL::SIMTOOL {

class CAircraftModel {
public:
    CAircraftModel();

    // Off unless turned on. Turning on gives every dataref the model works with a plausible value
    // (COM1 118.00 / 121.50, gear down, ...) unless the dataref has a value already, so a
    // scenario may set its own before or after.
    void SetActive(bool on);
    bool IsActive();

    // Acts on one journal event of the plug-in while active: a command sent once or begun does
    // its work, the end of a held command (the starter) its release; other events do nothing.
    void OnEvent(const VSIM::Event& event);

    // One frame (1/60 s) while active: the gear moves toward the handle, the altitude follows an
    // engaged vertical speed mode.
    void Frame();

private:
    using Action = std::function<void()>;
    void AddRadios();
    void AddAutopilot();
    void AddSystems();
    void Seed();

    std::mutex mutex;
    bool active = false;
    std::unordered_map<std::string, Action> onCommand;   // sent once or begun
    std::unordered_map<std::string, Action> endCommand;  // ended
};

}  // namespace XPL::SIMTOOL
