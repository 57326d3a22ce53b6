#include <gtest/gtest.h>

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

} // namespace
