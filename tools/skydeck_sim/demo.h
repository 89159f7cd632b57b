// The built-in demo of the virtual cockpit: a short flight over every panel kind the plug-in
// supports so far, with the simple aircraft model on. After each step it prints what the plug-in
// did to the simulator and what every panel that was sent something shows, decoded from its
// reports; the screen's pictures are saved as PNG files and their paths printed. Steps for a
// panel kind that is not supported yet are left out, so the demo works as the panels arrive.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "cockpit.h"
#include "panel_views.h"

namespace XPL::SIMTOOL {

class CDemo {
public:
    // cockpit: set up (Setup done), with a quiet journal; the demo prints on out and saves the
    // screen's pictures as PNG files in pictureFolder.
    CDemo(CCockpit& cockpit, std::ostream& out, std::filesystem::path pictureFolder);
    ~CDemo();
    CDemo(const CDemo&) = delete;
    CDemo& operator=(const CDemo&) = delete;

    // Plays the flight and stops the plug-in. kPassed, or the status of a step that failed
    // (its message is on standard error).
    int Play();

private:
    // The scenario commands of the first step: attach the supported kinds, program the lenses,
    // start.
    std::string SetupCommands();
    void WriteLensProgramming();
    void PrintStep(int number, const char* title);
    void SavePicture(const std::string& device, uint64_t number,
                     const std::vector<uint8_t>& picture);

    CCockpit& cockpit;
    std::ostream& out;
    std::set<std::string> kinds;  // the kinds attached
    LensNames lensNames;
    std::filesystem::path pictureFolder;
    // Per screen: the pictures saved since its view was last printed.
    std::map<std::string, std::vector<std::string>> newPictures;
};

}  // namespace XPL::SIMTOOL
