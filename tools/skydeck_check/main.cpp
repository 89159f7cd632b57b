// skydeck-check: checks the plug-in's configuration, gauge files and lens programming file.
#include <iostream>
#include <string>
#include <vector>

#include "check_tool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return XPL::CHECKTOOL::Run(arguments, XVS_DEFAULT_DATA_DIR, std::cout, std::cerr);
}
