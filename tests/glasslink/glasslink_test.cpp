// Where the data folder lies relative to the module file.
#include <gtest/gtest.h>

#include <string>

#include "backends/virtual/virtual_platform.h"
#include "glasslink/glasslink.h"

using namespace XPL;

namespace {

struct FolderCase {
    const wchar_t* modulePath;
    const wchar_t* dataFolder;
};

class ConfigureFilePathTest : public ::testing::TestWithParam<FolderCase> {
protected:
    void TearDown() override { VIRTUAL::ResetPlatform(); }
};

TEST_P(ConfigureFilePathTest, IsTheDataFolderBesideTheModulesFolder) {
    VIRTUAL::SetModuleFilePath(GetParam().modulePath);
    std::wstring folder;
    EXPECT_TRUE(CGlasslink::GetConfigureFilePath(folder));
    EXPECT_EQ(folder, GetParam().dataFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ConfigureFilePathTest,
    ::testing::Values(FolderCase{L"plugins\\p\\64\\win.xpl", L"plugins\\p\\data\\"},
                      FolderCase{L"C:\\X-Plane 10\\Resources\\plugins\\XVarlenSkydeck\\64\\win.xpl",
                                 L"C:\\X-Plane 10\\Resources\\plugins\\XVarlenSkydeck\\data\\"},
                      FolderCase{L"C:\\64\\win.xpl", L"C:\\\\data\\"},
                      FolderCase{L"/opt/xp/plugins/XVarlenSkydeck/64/win.xpl",
                                 L"/opt/xp/plugins/XVarlenSkydeck\\data\\"}));

}  // namespace
