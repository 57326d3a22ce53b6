// The folder step's portable rules: which texts name a folder, and the form Windows gives it.
#include <gtest/gtest.h>

#include "FolderStep.h"

TEST(FolderStep, AFullPathNamesItsDriveOrItsServerAndShare)
{
    for (const char* full : {"C:\\", "c:/BB7", "C:\\Program Files\\Brisel Backup 7 ", "\\\\server\\share",
                             "//server/share/x", "\\\\server\\share\\"})
        EXPECT_TRUE(IsFullFolderPath(full)) << full;
    // Relative to the current folder or drive, a share without its name, the device prefixes.
    for (const char* other : {"", ".", "BB7", "\\BB7", "C:", "C:BB7", " C:\\BB7", "1:\\BB7", "\\\\server",
                              "\\\\server\\", "\\\\\\share", "\\\\.\\CON", "\\\\?\\C:\\BB7", "//?/C:/BB7"})
        EXPECT_FALSE(IsFullFolderPath(other)) << other;
}

TEST(FolderStep, TheFolderTakesTheFormWindowsGivesItAndOrdinaryFoldersKeepTheirs)
{
    for (const char* ordinary : {"C:\\Program Files\\Brisel Backup 7", "C:\\Program Files\\Brisel Backup 7\\", "C:\\",
                                 "\\\\server\\share\\Brisel Backup 7\\", "C:\\a...b\\c d"})
        EXPECT_EQ(ordinary, TidyFolderPath(ordinary));
    const char* const tidied[][2] = {
        {"C:\\Program Files\\Brisel Backup 7 ", "C:\\Program Files\\Brisel Backup 7"},
        {"C:/BB7 /x", "C:\\BB7\\x"},
        {"C:\\a .\\b..\\\\c. .\\", "C:\\a\\b\\c\\"},
        {"C:\\ . \\", "C:\\"},
        {"//server/share /x. ", "\\\\server\\share\\x"},
    };
    for (const auto& [typed, windows] : tidied)
        EXPECT_EQ(windows, TidyFolderPath(typed)) << typed;
    EXPECT_FALSE(IsFullFolderPath(TidyFolderPath("\\\\server\\ . \\x"))) << "a share whose name is blanks is none";
}

TEST(FolderStep, TheOldUninstallerIsQuotedAndJoinedWithOneBackslash)
{
    EXPECT_EQ("\"D:\\Apps\\X\\bb7uninstall.exe\" -nowarning", OldUninstallerCommandLine("D:\\Apps\\X", false));
    EXPECT_EQ("\"D:\\Apps\\X\\bb7uninstall.exe\" -nowarning", OldUninstallerCommandLine("D:\\Apps\\X\\", false));
    EXPECT_EQ("\"C:\\Program Files\\Brisel Backup 7\\bb7uninstall.exe\" -nowarningclose",
              OldUninstallerCommandLine("C:\\Program Files\\Brisel Backup 7\\", true));
}
