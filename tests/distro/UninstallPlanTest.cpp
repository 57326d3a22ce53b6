#include <gtest/gtest.h>

#include "BriCommon.h"
#include "UninstallPlan.h"

using Names = std::vector<std::string>;

TEST(UninstallPlan, EveryFileOnceManifestApartFoldersDeepestFirstAndNothingOutsideTheFolder)
{
    const Names lines = {"BriBU.exe", "Help\\Images\\logo.png", "bb7setup.dat", "Help\\index.htm", "bb7uninstall.exe",
                         "help\\INDEX.HTM", "Tools\\bb7uninstall.exe",
                         // named outside the folder, or no file at all
                         "", "Help\\", "\\Windows\\win.ini", "C:\\win.ini", "C:win.ini", "..\\x", "Help\\..\\..\\x",
                         "Help/../../x", ".\\x", "\\\\server\\share\\x", "Help\\\\x", "*.exe", "x:stream", "a\tb"};
    const TRemovalPlan plan = PlanRemoval(lines, "bb7uninstall.exe", "bb7setup.dat");
    EXPECT_EQ((Names{"BriBU.exe", "Help\\Images\\logo.png", "Help\\index.htm", "Tools\\bb7uninstall.exe"}), plan.Files)
        << "the running uninstaller and the manifest are apart; letter case makes no other file";
    EXPECT_TRUE(plan.ListsManifest);
    EXPECT_EQ((Names{"Help\\Images", "Help", "Tools"}), plan.Folders);
    EXPECT_EQ(Names(lines.begin() + 7, lines.end()), plan.Refused);
    EXPECT_FALSE(PlanRemoval({"Tools\\bb7setup.dat"}, "bb7uninstall.exe", "bb7setup.dat").ListsManifest);
}

TEST(UninstallPlan, SwitchesAndWhoseRecordsTheyAre)
{
    const TUninstallOptions plain = ParseUninstallArguments({}), quiet = ParseUninstallArguments({"-nowarning"}),
                            silent = ParseUninstallArguments({"-NoWarningClose", "-nowarning"});
    EXPECT_TRUE(plain.Valid && plain.Confirm && plain.Report);
    EXPECT_TRUE(quiet.Valid && !quiet.Confirm && quiet.Report);
    EXPECT_TRUE(silent.Valid && !silent.Confirm && !silent.Report);
    EXPECT_FALSE(ParseUninstallArguments({"/nowarning"}).Valid || ParseUninstallArguments({"-nowarning", "x"}).Valid);

    EXPECT_TRUE(RecordsBelongTo(std::nullopt, "C:\\Brisel\\") && RecordsBelongTo(std::string(), "C:\\Brisel\\"));
    EXPECT_TRUE(RecordsBelongTo(std::string("c:\\BRISEL"), "C:\\Brisel\\"));
    EXPECT_FALSE(RecordsBelongTo(std::string("D:\\Brisel\\"), "C:\\Brisel\\"));
    EXPECT_FALSE(RecordsBelongTo(std::string("C:\\Brisel\\Old\\"), "C:\\Brisel\\"));
}

TEST(UninstallPlan, APathLiesWithinAFolderOnlyBelowAWholeName)
{
    EXPECT_TRUE(LiesWithin("Help", "Help") && LiesWithin("help\\Images\\logo.png", "Help"));
    EXPECT_TRUE(LiesWithin("Help\\Images", "Help\\images"));
    EXPECT_FALSE(LiesWithin("Helpers\\x.htm", "Help") || LiesWithin("Hel", "Help") ||
                 LiesWithin("Help", "Help\\Images"));
}
