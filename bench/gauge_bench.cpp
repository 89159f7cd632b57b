// The gauge engine's steady work: a redraw evaluates each element's three scripts in one
// context; every simulator frame fetches the gauge's variables.
#include <benchmark/benchmark.h>

#include <string>

#include "alloc_counter.h"
#include "gauge/gauge_script.h"
#include "gauge/gauge_variables.h"
#include "vsim/vsim.h"

namespace {

using XPL::BENCH::AllocationCount;

// A typical needle: shown while the bus has power, slid by the pitch (in degrees, converted),
// turned by the airspeed clamped to its arc, with one if{ choosing the low-speed stop.
constexpr wchar_t kVisibility[] = L"(A:sim/cockpit2/electrical/bus_volts:0,volts) 10 &gt;";
constexpr wchar_t kShift[] = L"(A:sim/flightmodel/position/theta,pdegree) 100 * 0 30 - max";
constexpr wchar_t kRotate[] =
    L"(A:sim/cockpit2/gauges/indicators/airspeed_kts_pilot,knots) d 40 &lt; if{ p 40 } "
    L"els{ 200 min } 40 - 300 * 160 / dgrd";

void Register(XPL::CGaugeVariables& variables) {
    variables.RegisterScript(kVisibility);
    variables.RegisterScript(kShift);
    variables.RegisterScript(kRotate);
}

void BM_NeedleScripts(benchmark::State& state) {
    XPL::CGaugeVariables variables;
    Register(variables);
    variables.Write(L'A', L"sim/cockpit2/electrical/bus_volts:0", L"volts", 28.0f);
    variables.Write(L'A', L"sim/flightmodel/position/theta", L"pdegree", 2.5f);
    float speed = 20.0f;
    const long before = AllocationCount();
    for (auto _ : state) {
        variables.Write(L'A', L"sim/cockpit2/gauges/indicators/airspeed_kts_pilot", L"knots",
                        speed);
        XPL::CGaugeScript element(&variables);
        benchmark::DoNotOptimize(element.Evaluate(kVisibility));
        benchmark::DoNotOptimize(element.Evaluate(kShift));
        benchmark::DoNotOptimize(element.Evaluate(kRotate));
        speed = speed > 220.0f ? 20.0f : speed + 1.0f;
    }
    state.counters["allocs/eval"] = benchmark::Counter(
        static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_NeedleScripts);

// One frame's fetch of the needle's three variables from the simulator.
void BM_FetchNeedleVariables(benchmark::State& state) {
    XPL::VSIM::Reset();
    XPL::VSIM::SetFloats("sim/cockpit2/electrical/bus_volts", {28.0f});
    XPL::VSIM::SetFloat("sim/flightmodel/position/theta", 2.5f);
    XPL::CGaugeVariables variables;
    Register(variables);
    variables.Fetch();  // looks the handles up
    const std::string speedPath = "sim/cockpit2/gauges/indicators/airspeed_kts_pilot";
    float speed = 20.0f;
    const long before = AllocationCount();
    for (auto _ : state) {
        XPL::VSIM::SetFloat(speedPath, speed);
        benchmark::DoNotOptimize(variables.Fetch());
        speed = speed > 220.0f ? 20.0f : speed + 1.0f;
    }
    state.counters["allocs/frame"] = benchmark::Counter(
        static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations()));
    XPL::VSIM::Reset();
}
BENCHMARK(BM_FetchNeedleVariables);

}  // namespace
