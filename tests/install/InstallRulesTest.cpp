// The installation's portable rules.
#include <gtest/gtest.h>

#include "BriCommon.h"
#include "FolderStep.h"
#include "InstallRules.h"

TEST(InstallRules, ManifestLinesSplitAtTheLastBackslashOrColon)
{
    const auto lines =
        SplitTextLines(std::string("BriBU.exe\r\nHelp\\Images\\a b.png\nC:x\r\rHelp\\\r\n tail \0after", 60));
    ASSERT_EQ(6u, lines.size()); // a line break after the last line makes no line; NUL ends the text
    const ManifestEntry top = SplitManifestLine(lines[0]);
    EXPECT_EQ("", top.Folder);
    EXPECT_EQ("BriBU.exe", top.File);
    const ManifestEntry deep = SplitManifestLine(lines[1]);
    EXPECT_EQ("Help\\Images\\", deep.Folder);
    EXPECT_EQ("a b.png", deep.File);
    const ManifestEntry drive = SplitManifestLine(lines[2]); // a colon splits, but gives no folder part
    EXPECT_EQ("", drive.Folder);
    EXPECT_EQ("x", drive.File);
    EXPECT_EQ("", SplitManifestLine(lines[3]).File) << "a blank line names no file";
    EXPECT_EQ("Help\\", SplitManifestLine(lines[4]).Folder);
    EXPECT_EQ("", SplitManifestLine(lines[4]).File);
    EXPECT_EQ(" tail ", SplitManifestLine(lines[5]).File) << "nothing is trimmed";
}

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

TEST(InstallRules, OnlyManifestLinesThatStayInsideTheFolderAreTaken)
{
    for (const char* inside :
         {"BriBU.exe", "Help\\Images\\a b.png", "", "Help\\", "a..b\\c.d", "Help\\.hidden", "x\\\\y"})
        EXPECT_TRUE(ManifestLineStaysInside(inside)) << inside;
    for (const char* outside : {"..\\..\\ProgramData\\evil.exe", "Help\\..\\..\\evil.exe", "..", ".\\x", "Help\\.\\x",
                                "Help/../../x", "...\\x", "Help\\. \\x", "\\Windows\\x.dll", "/etc/x", "C:x",
                                "C:\\Windows\\x.dll", "\\\\server\\share\\x", "BriBU.exe:stream", "Help\\x::$DATA"})
        EXPECT_FALSE(ManifestLineStaysInside(outside)) << outside;
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
