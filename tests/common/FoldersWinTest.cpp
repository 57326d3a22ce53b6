#include <gtest/gtest.h>

#include "BriCommon.h"
#include "BriErrors.h"
#include "Common_Custom.h"
#include "WinTestSupport.h"

namespace {

TEST(IsExistingFile, TrueForFilesAndPatternsWhoseFirstMatchIsAFile)
{
    ScratchFolder scratch;
    scratch.WriteFile("readme.txt");
    CreateDirectoryA((scratch / "Languages").c_str(), nullptr);

    EXPECT_TRUE(IsExistingFile(scratch / "README.TXT"));
    EXPECT_TRUE(IsExistingFile(scratch / "*.txt"));
    EXPECT_TRUE(IsExistingFile(scratch / "read??.txt"));
    EXPECT_FALSE(IsExistingFile(scratch / "Languages"));
    EXPECT_FALSE(IsExistingFile(scratch / "Lang*")) << "the only match is a folder";
    EXPECT_FALSE(IsExistingFile(scratch / "*.dll"));
    EXPECT_FALSE(IsExistingFile(""));

    EXPECT_TRUE(FolderExists(scratch / "Languages\\"));
    EXPECT_TRUE(FolderExists("C:\\"));
    EXPECT_FALSE(FolderExists(scratch / "readme.txt"));
    EXPECT_FALSE(FolderExists(scratch / "missing"));
    EXPECT_FALSE(FolderExists(""));
}

TEST(CreateFolderPath, CreatesEveryMissingLevel)
{
    ScratchFolder scratch;
    EXPECT_TRUE(CreateFolderPath(scratch / "Brisel\\Brisel Backup 7\\Help\\Images\\"));
    EXPECT_TRUE(FolderExists(scratch / "Brisel\\Brisel Backup 7\\Help\\Images"));
    EXPECT_TRUE(CreateFolderPath(scratch / "Brisel")) << "an existing folder";
    EXPECT_TRUE(CreateFolderPath("C:\\"));

    // A bare name has an empty parent part, which cannot be created: the folder of an
    // installation is never put wherever the current folder happens to be.
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(previous), previous);
    SetCurrentDirectoryA(scratch.Path().c_str());
    EXPECT_THROW(CreateFolderPath("Distro"), EInOutError);
    SetCurrentDirectoryA(previous);
    EXPECT_FALSE(FolderExists(scratch / "Distro"));
}

TEST(CreateFolderPath, FailsOnAMissingDriveAndKeepsWhatItCreated)
{
    const char missing = MissingDriveLetter();
    EXPECT_FALSE(CreateFolderPath(std::string(1, missing) + ":\\Brisel\\Brisel Backup 7"));

    ScratchFolder scratch;
    scratch.WriteFile("blocker");
    EXPECT_FALSE(CreateFolderPath(scratch / "blocker\\inner"));
    EXPECT_FALSE(CreateFolderPath(scratch / "outer\\bad|name\\inner"));
    EXPECT_TRUE(FolderExists(scratch / "outer"));
}

TEST(CreateFolderPath, ADeepPathIsMadeLevelByLevelAndAnOverlongOneFails)
{
    ScratchFolder scratch;
    std::string deep = scratch.Path();
    while (deep.size() < MAX_PATH - 20)
        deep += "\\d";
    EXPECT_TRUE(CreateFolderPath(deep));
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_FALSE(CreateFolderPath(deep + std::string(20000, '\\') + "x"));
    std::string overlong = scratch.Path();
    for (int level = 0; level < 50000; ++level)
        overlong += "\\o";
    EXPECT_FALSE(CreateFolderPath(overlong));
    EXPECT_FALSE(FolderExists(scratch / "o")) << "nothing of it is made";
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
