// skydeck-studio: edits the plug-in's files in the browser, with the panels' pictures.
#include <iostream>
#include <string>
#include <vector>

#include "studio_tool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return XPL::STUDIO::Run(arguments, XVS_DEFAULT_DATA_DIR, std::cout, std::cerr);
}
