// skydeck-studio: edits the plug-in's files in the browser, with the panels' pictures.
#include <iostream>

#include "platform/program.h"
#include "studio_tool.h"

int main(int argc, char** argv) {
    XPL::PLATFORM::UseUtf8Console();
    return XPL::STUDIO::Run(XPL::PLATFORM::GetProgramArguments(argc, argv), XVS_DEFAULT_DATA_DIR,
                            std::cout, std::cerr);
}
