#include <gtest/gtest.h>

#include "UninstallPlan.h"

namespace {

using Names = std::vector<std::string>;

TRemovalPlan Plan(const std::string& ManifestText)
{
    return PlanRemoval(ManifestLines(ManifestText), "bb7uninstall.exe", "bb7setup.dat");
}

} // namespace

TEST(ManifestLines, SplitsAtEveryKindOfLineBreakAsTheInstallerDoes)
{
    EXPECT_EQ((Names{"a", "b", "c", "d"}), ManifestLines("a\r\nb\nc\rd"));
    EXPECT_EQ((Names{"a", "", "b"}), ManifestLines("a\n\nb\r\n"));
    EXPECT_EQ((Names{"a", ""}), ManifestLines("a\n\r")) << "LF then CR is two breaks";
    EXPECT_EQ((Names{" a ", "b"}), ManifestLines(" a \r\nb")) << "lines stay as they stand";
    EXPECT_EQ((Names{"a"}), ManifestLines(std::string("a\r\n\0b\r\n", 7))) << "a zero byte ends the text";
    EXPECT_EQ(Names{}, ManifestLines(""));
}

TEST(PlanRemoval, TheProductManifestGivesEveryFileOnceWithTheManifestApartAndFoldersDeepestFirst)
{
    const TRemovalPlan plan = Plan("BriBU.exe\r\nHelp\\Images\\logo.png\r\nbb7setup.dat\r\nHelp\\index.htm\r\n"
                                   "bb7uninstall.exe\r\nLanguages\\English.lng\r\nhelp\\INDEX.HTM\r\nREADME.TXT\r\n");
    EXPECT_EQ((Names{"BriBU.exe", "Help\\Images\\logo.png", "Help\\index.htm", "Languages\\English.lng", "README.TXT"}),
              plan.Files)
        << "the running uninstaller is left out; a name that differs only in letter case is the same file";
    EXPECT_TRUE(plan.ListsManifest) << "the manifest is kept apart, for the end";
    EXPECT_EQ((Names{"Help\\Images", "Help", "Languages"}), plan.Folders);
    EXPECT_TRUE(plan.Refused.empty());
}

TEST(PlanRemoval, NothingOutsideTheInstallationFolderIsEverNamed)
{
    const Names hostile = {"",
                           "Help\\",
                           "\\Windows\\win.ini",
                           "C:\\Windows\\win.ini",
                           "C:win.ini",
                           "..\\other\\file.txt",
                           "Help\\..\\..\\file.txt",
                           "Help/../../file.txt",
                           ".\\README.TXT",
                           "\\\\server\\share\\file",
                           "Help\\\\index.htm",
                           "*.exe",
                           "README.TXT:stream",
                           "a\tb"};
    const TRemovalPlan plan = PlanRemoval(hostile, "bb7uninstall.exe", "bb7setup.dat");
    EXPECT_TRUE(plan.Files.empty()) << plan.Files.front();
    EXPECT_TRUE(plan.Folders.empty()) << plan.Folders.front();
    EXPECT_EQ(hostile, plan.Refused);
}

TEST(PlanRemoval, OnlyTheTopLevelUninstallerAndManifestAreSetApart)
{
    const TRemovalPlan plan = Plan("Tools\\bb7uninstall.exe\nTools\\bb7setup.dat\n");
    EXPECT_EQ((Names{"Tools\\bb7uninstall.exe", "Tools\\bb7setup.dat"}), plan.Files)
        << "only the top-level uninstaller is the running one";
    EXPECT_FALSE(plan.ListsManifest);
    EXPECT_EQ((Names{"Tools"}), plan.Folders);
}

TEST(ParseUninstallArguments, SwitchesDecideQuestionAndReport)
{
    TUninstallOptions plain = ParseUninstallArguments({});
    EXPECT_TRUE(plain.Valid && plain.Confirm && plain.Report);
    TUninstallOptions quiet = ParseUninstallArguments({"-nowarning"});
    EXPECT_TRUE(quiet.Valid && !quiet.Confirm && quiet.Report);
    TUninstallOptions silent = ParseUninstallArguments({"-NoWarningClose"});
    EXPECT_TRUE(silent.Valid && !silent.Confirm && !silent.Report);
    EXPECT_FALSE(ParseUninstallArguments({"-nowarningclose", "-nowarning"}).Report);
    EXPECT_FALSE(ParseUninstallArguments({"/nowarning"}).Valid);
    EXPECT_FALSE(ParseUninstallArguments({"-nowarning", "extra"}).Valid);
}

TEST(RecordsBelongTo, OnlyARecordedPathOfAnotherFolderKeepsTheRecords)
{
    EXPECT_TRUE(RecordsBelongTo(std::nullopt, "C:\\Brisel\\"));
    EXPECT_TRUE(RecordsBelongTo(std::string(), "C:\\Brisel\\"));
    EXPECT_TRUE(RecordsBelongTo(std::string("c:\\BRISEL"), "C:\\Brisel\\"));
    EXPECT_FALSE(RecordsBelongTo(std::string("D:\\Brisel\\"), "C:\\Brisel\\"));
    EXPECT_FALSE(RecordsBelongTo(std::string("C:\\Brisel\\Old\\"), "C:\\Brisel\\"));
}
