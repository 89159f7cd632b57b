// What the panel benchmarks share: a fresh simulated machine, a Skydeck panel on the virtual bus,
// a started device manager, and the timed loop of steady frames with its allocation counter.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "backends/virtual/virtual_devices.h"
#include "devices/skydeck.h"
#include "sim/aircraft_profiles.h"

namespace XPL::BENCH {

// A fresh virtual machine and simulator, with the registry resolved against it.
void ResetSimulation();

// A Skydeck HID panel with 24 buttons.
VIRTUAL::DeviceSpec PanelSpec(const std::wstring& path, uint16_t productId,
                              uint16_t featureReportLength);

// A device manager started over the attached devices, run warmFrames frames so that first
// reports are sent and reads pend, and what they set going on other threads done: steady from
// here. With profiles, the panels follow them.
std::unique_ptr<CSkydeck> StartSkydeck(int warmFrames = 3,
                                       const CAircraftProfiles* profiles = nullptr);

// An aircraft profile of body (the elements inside AircraftProfile), read from a file and
// applied to the module's registry; its paths must be known to the simulator.
std::unique_ptr<CAircraftProfiles> ApplyProfile(const std::string& body);

struct SteadyFrameOptions {
    // A report sent to path during the timed frames fails the benchmark.
    bool mustNotSend = true;
    // When non-zero, the simulator's journal is cleared (untimed) every that many frames, for
    // panels that send a command every frame.
    int journalClearFrames = 0;
    // When not empty, a request to this display device during the timed frames fails the
    // benchmark.
    std::wstring quietDisplayPath;
};

// Times one frame of the device manager per iteration and reports "allocs/frame", and the
// frame's floor: "reads/frame" (dataref reads) and "peeks/frame" (checks for a new input
// report); then uninitialises the manager and empties the bus.
void TimeSteadyFrames(benchmark::State& state, CSkydeck& skydeck, const std::wstring& path,
                      SteadyFrameOptions options = {});

}  // namespace XPL::BENCH
