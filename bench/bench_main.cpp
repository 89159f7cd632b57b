#include <benchmark/benchmark.h>

#include "shell/module.h"

// The benchmarks run inside a "loaded module", like the tests.
int main(int argc, char** argv) {
    XPL::ModuleProcessAttach();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    XPL::ModuleProcessDetach();
    return 0;
}
