#include <gtest/gtest.h>

#include <shlobj.h>

#include "BriCommon.h"
#include "Common_Custom.h"

namespace {

TEST(GetProgramFolder, IsTheFolderOfThisTestProgram)
{
    const std::string folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ('\\', folder.back());
    EXPECT_NE("\\\\", folder.substr(folder.size() - 2));
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(IsExistingFile(folder + "common_win_tests.exe"));
}

std::string ShellFolder(int Csidl)
{
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, Csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return "";
    return std::string(path) + "\\";
}

TEST(GetSpecialFolder, TemporaryFolderEndsWithExactlyOneBackslash)
{
    const std::string temp = GetSpecialFolder(sfTemp);
    ASSERT_GE(temp.size(), 4u);
    EXPECT_EQ('\\', temp.back());
    EXPECT_NE('\\', temp[temp.size() - 2]);
    EXPECT_TRUE(FolderExists(temp));
    char expected[MAX_PATH + 1] = {};
    GetTempPathA(sizeof(expected), expected);
    EXPECT_EQ(AddTrailingBackslash(expected), temp);
}

TEST(GetSpecialFolder, WindowsAndSystemFolders)
{
    char windows[MAX_PATH] = {};
    char system[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof(windows));
    GetSystemDirectoryA(system, sizeof(system));
    EXPECT_EQ(std::string(windows) + "\\", GetSpecialFolder(18));
    EXPECT_EQ(std::string(system) + "\\", GetSpecialFolder(19));
}

TEST(GetSpecialFolder, EveryShellKindGivesItsOwnFolder)
{
    // Kind and shell folder, pairwise as the kinds are numbered.
    const int shellFolders[][2] = {
        {0, CSIDL_DESKTOPDIRECTORY},
        {1, CSIDL_FONTS},
        {2, CSIDL_PERSONAL},
        {3, CSIDL_RECENT},
        {4, CSIDL_SENDTO},
        {5, CSIDL_STARTMENU},
        {6, CSIDL_STARTUP},
        {7, CSIDL_TEMPLATES},
        {8, CSIDL_FAVORITES},
        {9, CSIDL_COOKIES},
        {10, CSIDL_INTERNET_CACHE},
        {11, CSIDL_HISTORY},
        {12, CSIDL_PROGRAMS},
        {13, CSIDL_COMMON_DESKTOPDIRECTORY},
        {14, CSIDL_COMMON_PROGRAMS},
        {15, CSIDL_COMMON_STARTUP},
        {16, CSIDL_COMMON_STARTMENU},
        {17, CSIDL_APPDATA},
    };
    for (const auto& pair : shellFolders) {
        const std::string expected = ShellFolder(pair[1]);
        ASSERT_FALSE(expected.empty()) << "kind " << pair[0];
        EXPECT_EQ(expected, GetSpecialFolder(static_cast<uint8_t>(pair[0]))) << "kind " << pair[0];
    }
}

TEST(GetSpecialFolder, KindsAbove20GiveTheDesktop)
{
    const std::string desktop = ShellFolder(CSIDL_DESKTOP);
    ASSERT_FALSE(desktop.empty());
    EXPECT_EQ(desktop, GetSpecialFolder(21));
    EXPECT_EQ(desktop, GetSpecialFolder(200));
    EXPECT_EQ(desktop, GetSpecialFolder(255));
}

} // namespace
