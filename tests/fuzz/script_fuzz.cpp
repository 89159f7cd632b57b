// Fuzz target: a gauge script (each input byte one character) registered with a variable table,
// given hostile variable values and evaluated twice in one context, as an element's scripts are.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "gauge/gauge_script.h"
#include "gauge/gauge_variables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring script(data, data + size);
    XPL::CGaugeVariables variables;
    variables.RegisterScript(script);
    constexpr float kValues[] = {0.0f,
                                 -0.0f,
                                 1.5f,
                                 -360.0f,
                                 1e30f,
                                 -1e30f,
                                 std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN(),
                                 2147483648.0f,
                                 std::numeric_limits<float>::denorm_min()};
    for (uint32_t i = 0; i < variables.Count(); ++i) {
        variables.Write(L'A', variables.Name(i), variables.Unit(i),
                        kValues[i % (sizeof kValues / sizeof kValues[0])]);
    }
    XPL::CGaugeScript context(&variables);
    context.Evaluate(script);
    context.Evaluate(script);
    return 0;
}
