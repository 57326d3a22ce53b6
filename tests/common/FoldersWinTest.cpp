#include <gtest/gtest.h>

#include <shlobj.h>

#include "BriCommon.h"
#include "BriErrors.h"
#include "Common_Custom.h"
#include "WinTestSupport.h"

namespace {

// A drive letter that names no drive, or 0 when all are taken.
char MissingDrive()
{
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter >= 'D'; --letter)
        if (!(drives & (1u << (letter - 'A'))))
            return letter;
    return 0;
}

TEST(IsExistingFile, TrueOnlyForFiles)
{
    ScratchFolder scratch;
    scratch.WriteFile("setup.log");
    CreateDirectoryA((scratch / "Help").c_str(), nullptr);

    EXPECT_TRUE(IsExistingFile(scratch / "setup.log"));
    EXPECT_TRUE(IsExistingFile(scratch / "SETUP.LOG")) << "file names ignore letter case";
    EXPECT_FALSE(IsExistingFile(scratch / "Help"));
    EXPECT_FALSE(IsExistingFile(scratch.Path()));
    EXPECT_FALSE(IsExistingFile(scratch / "missing.log"));
    EXPECT_FALSE(IsExistingFile(""));
}

TEST(IsExistingFile, PatternsCountByTheirFirstMatch)
{
    ScratchFolder scratch;
    scratch.WriteFile("readme.txt");
    CreateDirectoryA((scratch / "Languages").c_str(), nullptr);

    EXPECT_TRUE(IsExistingFile(scratch / "*.txt"));
    EXPECT_TRUE(IsExistingFile(scratch / "read??.txt"));
    EXPECT_FALSE(IsExistingFile(scratch / "Lang*")) << "the only match is a folder";
    EXPECT_FALSE(IsExistingFile(scratch / "*.dll"));
}

TEST(FolderExists, TrueOnlyForFolders)
{
    ScratchFolder scratch;
    scratch.WriteFile("file.txt");

    EXPECT_TRUE(FolderExists(scratch.Path()));
    EXPECT_TRUE(FolderExists(scratch.Path() + "\\"));
    EXPECT_TRUE(FolderExists("C:\\"));
    EXPECT_FALSE(FolderExists(scratch / "file.txt"));
    EXPECT_FALSE(FolderExists(scratch / "missing"));
    EXPECT_FALSE(FolderExists(""));
}

TEST(CreateFolderPath, CreatesEveryMissingLevel)
{
    ScratchFolder scratch;
    const std::string deep = scratch / "Brisel\\Brisel Backup 7\\Help\\Images";

    EXPECT_TRUE(CreateFolderPath(deep + "\\"));
    EXPECT_TRUE(FolderExists(scratch / "Brisel"));
    EXPECT_TRUE(FolderExists(scratch / "Brisel\\Brisel Backup 7"));
    EXPECT_TRUE(FolderExists(scratch / "Brisel\\Brisel Backup 7\\Help"));
    EXPECT_TRUE(FolderExists(deep));

    EXPECT_TRUE(CreateFolderPath(deep)) << "an existing folder";
}

TEST(CreateFolderPath, DriveRootIsTrueAndMissingDriveIsFalse)
{
    EXPECT_TRUE(CreateFolderPath("C:\\"));
    EXPECT_TRUE(CreateFolderPath("C:"));

    const char drive = MissingDrive();
    ASSERT_NE(0, drive);
    EXPECT_FALSE(CreateFolderPath(std::string(1, drive) + ":\\Brisel\\Brisel Backup 7"));
}

TEST(CreateFolderPath, FailureKeepsTheOuterFoldersCreatedSoFar)
{
    ScratchFolder scratch;
    scratch.WriteFile("blocker");

    EXPECT_FALSE(CreateFolderPath(scratch / "blocker\\inner"));
    EXPECT_FALSE(CreateFolderPath(scratch / "outer\\bad|name\\inner"));
    EXPECT_TRUE(FolderExists(scratch / "outer"));
    EXPECT_FALSE(FolderExists(scratch / "outer\\bad|name"));
}

TEST(CreateFolderPath, BareNameIsCreatedInTheCurrentFolder)
{
    ScratchFolder scratch;
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(previous), previous);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.Path().c_str()));

    bool created = false;
    EXPECT_NO_THROW(created = CreateFolderPath("Distro"));
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(created);
    EXPECT_TRUE(FolderExists(scratch / "Distro"));
}

TEST(CreateFolderPath, EmptyPathRaisesTheInOutError)
{
    try {
        CreateFolderPath("");
        FAIL() << "no error raised";
    } catch (const EInOutError& error) {
        EXPECT_EQ(3, error.ErrorCode);
        EXPECT_STREQ("Unable to create directory", error.what());
    }
}

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

TEST(IsAdministrator, TheWineUserIsAnAdministrator)
{
    EXPECT_TRUE(IsAdministrator());
}

TEST(IsAdministrator, AnImpersonatingThreadIsJudgedByItsOwnToken)
{
    ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
    const bool administrator = IsAdministrator();
    RevertToSelf();
    EXPECT_TRUE(administrator);
}

} // namespace
