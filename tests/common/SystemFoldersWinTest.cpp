#include <gtest/gtest.h>

#include <shlobj.h>

#include "BriCommon.h"
#include "Common_Custom.h"

namespace {

std::string ShellFolder(int Csidl)
{
    char path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, Csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path + std::string("\\")
                                                                                          : "";
}

TEST(GetProgramFolder, IsTheFolderOfThisProgram)
{
    const std::string folder = GetProgramFolder();
    EXPECT_EQ("\\", folder.substr(folder.size() - 1));
    EXPECT_NE("\\", folder.substr(folder.size() - 2, 1));
    EXPECT_TRUE(IsExistingFile(folder + "common_win_tests.exe"));
}

TEST(GetSpecialFolder, SystemFoldersEndWithExactlyOneBackslash)
{
    char temp[MAX_PATH + 1] = {}, windows[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp); // already ends with a backslash
    GetWindowsDirectoryA(windows, sizeof(windows));
    EXPECT_EQ(temp, GetSpecialFolder(sfTemp));
    EXPECT_EQ(std::string(windows) + "\\", GetSpecialFolder(sfWindows));
    EXPECT_EQ(ShellFolder(CSIDL_SYSTEM), GetSpecialFolder(sfSystem));
}

TEST(GetSpecialFolder, EveryShellKindGivesItsFolderAndTheRestTheDesktop)
{
    // The kinds in their order; cookies before the Internet cache, all users' programs
    // before all users' Startup.
    const int folders[] = {
        CSIDL_DESKTOPDIRECTORY, CSIDL_FONTS,
        CSIDL_PERSONAL,         CSIDL_RECENT,
        CSIDL_SENDTO,           CSIDL_STARTMENU,
        CSIDL_STARTUP,          CSIDL_TEMPLATES,
        CSIDL_FAVORITES,        CSIDL_COOKIES,
        CSIDL_INTERNET_CACHE,   CSIDL_HISTORY,
        CSIDL_PROGRAMS,         CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_COMMON_PROGRAMS,  CSIDL_COMMON_STARTUP,
        CSIDL_COMMON_STARTMENU, CSIDL_APPDATA,
    };
    for (int kind = 0; kind < 18; ++kind) {
        const std::string expected = ShellFolder(folders[kind]);
        ASSERT_FALSE(expected.empty()) << "kind " << kind;
        EXPECT_EQ(expected, GetSpecialFolder(static_cast<uint8_t>(kind))) << "kind " << kind;
    }
    const std::string desktop = ShellFolder(CSIDL_DESKTOP);
    for (int kind : {21, 200, 255})
        EXPECT_EQ(desktop, GetSpecialFolder(static_cast<uint8_t>(kind))) << "kind " << kind;
}

} // namespace
