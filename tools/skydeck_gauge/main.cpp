// skydeck-gauge: evaluate a gauge script, show how a gauge file reads, or draw it.
#include <iostream>
#include <string>
#include <vector>

#include "gauge_tool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return XPL::GAUGETOOL::Run(arguments, std::cout, std::cerr);
}
