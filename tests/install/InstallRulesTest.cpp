// The installation's portable rules.
#include <gtest/gtest.h>

#include "BriCommon.h"
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

TEST(InstallRules, AutostartEntriesAndShortcutsFollowTheType)
{
    const std::string dir = "C:\\Program Files\\Brisel Backup 7\\";
    EXPECT_FALSE(AutostartFor(2, dir));
    const AutostartEntry current = *AutostartFor(1, dir);
    EXPECT_FALSE(current.AllUsers);
    EXPECT_EQ("Brisel Backup 7", current.ValueName);
    EXPECT_EQ(dir + "BriBU.exe", current.Program);
    const AutostartEntry service = *AutostartFor(3, dir);
    EXPECT_TRUE(service.AllUsers);
    EXPECT_EQ("Brisel Backup 7 Interface", service.ValueName);
    EXPECT_EQ(dir + "briui.exe", service.Program);
    EXPECT_EQ("-service", service.Switch);
    EXPECT_TRUE(AutostartFor(0, dir)->AllUsers);

    const auto app = ShortcutsFor(0, dir);
    ASSERT_EQ(6u, app.size());
    EXPECT_EQ("README.lnk", app[0].File);
    EXPECT_EQ(dir + "Decompressor.exe", app[4].Target);
    EXPECT_EQ("Brisel Backup 7.lnk", app[5].File);
    const auto svc = ShortcutsFor(3, dir);
    EXPECT_EQ("Brisel Backup 7 Interface.lnk", svc[5].File);
    EXPECT_EQ("-service", svc[5].Arguments);

    EXPECT_TRUE(ProgramsFolderFor(1, false).CurrentUser);
    EXPECT_STREQ("Common Programs", ProgramsFolderFor(0, false).ValueName);
    EXPECT_STREQ("Programs", ProgramsFolderFor(3, true).ValueName);
    EXPECT_EQ("C:\\Start\\Brisel Backup 7\\", ProgramGroupFolder("C:\\Start"));
}
