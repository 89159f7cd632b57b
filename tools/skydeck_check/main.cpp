// skydeck-check: checks the plug-in's configuration, gauge files and lens programming file.
#include <iostream>

#include "check_tool.h"
#include "platform/program.h"

int main(int argc, char** argv) {
    XPL::PLATFORM::UseUtf8Console();
    return XPL::CHECKTOOL::Run(XPL::PLATFORM::GetProgramArguments(argc, argv), XVS_DEFAULT_DATA_DIR,
                               std::cout, std::cerr);
}
