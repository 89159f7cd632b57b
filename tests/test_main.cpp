// Test runner: the process plays the loaded module, so the trace provider is registered for the
// whole run as it is for the life of win.xpl.
#include <gtest/gtest.h>

#include "shell/module.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    XPL::ModuleProcessAttach();
    const int result = RUN_ALL_TESTS();
    XPL::ModuleProcessDetach();
    return result;
}
