// The installation's portable rules.
#include <gtest/gtest.h>

#include "FolderStep.h"
#include "InstallRules.h"

TEST(InstallRules, TheBarCountsLinesAndTruncates)
{
    EXPECT_EQ(0, CopyProgress(0, 0));
    EXPECT_EQ(100, CopyProgress(1, 1));
    EXPECT_EQ(33, CopyProgress(1, 3));
    EXPECT_EQ(66, CopyProgress(2, 3));
    EXPECT_EQ(99, CopyProgress(180, 181));
}

TEST(InstallRules, TheLogonRightGoesToTheNameWithoutItsLocalPrefix)
{
    EXPECT_EQ("backup", GrantingName(".\\backup"));
    EXPECT_EQ("OFFICE\\backup", GrantingName("OFFICE\\backup"));
    EXPECT_EQ(".\\", GrantingName(".\\"));
    EXPECT_EQ("", GrantingName(""));
    EXPECT_EQ("ame", GrantingName(".name")) << "two characters go whatever they are";
}

TEST(FolderStep, AFolderMadeOutsideProgramFilesIsProtectedOnItsOwn)
{
    const std::vector<std::string> programFiles = {"C:\\Program Files (x86)", "C:\\Program Files\\"};
    EXPECT_FALSE(NeedsOwnProtection("C:\\Program Files (x86)\\Brisel Backup 7", programFiles));
    EXPECT_FALSE(NeedsOwnProtection("c:\\program files\\Brisel\\Backup 7\\", programFiles)) << "letter case aside";
    EXPECT_TRUE(NeedsOwnProtection("C:\\BB7", programFiles));
    EXPECT_TRUE(NeedsOwnProtection("C:\\Program Files Extra\\BB7", programFiles)) << "a name that only begins alike";
    EXPECT_TRUE(NeedsOwnProtection("C:\\Program Files", programFiles)) << "the folder itself is no folder below it";
    EXPECT_TRUE(NeedsOwnProtection("D:\\Apps\\BB7", {}));
    EXPECT_TRUE(NeedsOwnProtection("D:\\Apps\\BB7", {""}));
}
