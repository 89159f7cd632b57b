// skydeck-gauge: evaluate a gauge script, show how a gauge file reads, or draw it.
#include <iostream>

#include "gauge_tool.h"
#include "platform/program.h"

int main(int argc, char** argv) {
    XPL::PLATFORM::UseUtf8Console();
    return XPL::GAUGETOOL::Run(XPL::PLATFORM::GetProgramArguments(argc, argv), std::cout,
                               std::cerr);
}
