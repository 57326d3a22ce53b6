// End to end: where the product may go and what a run leaves there. A folder too deep for the
// product's files and the places of Windows and of its users are refused before anything
// changes; a fresh installation whose copy falls short leaves nothing; a run that installs
// nothing takes away the folders it made, and the uninstall (or an upgrade that moves the
// product) those that the installation made above its own.
#include "EarlierRelease.h"

namespace {

using namespace wizardtest;

const char* const NoPlace = ", which is no place for a program's own folder. Choose another directory.";

class PlacesTest : public EarlierReleaseFixture {
protected:
    bool Logged(const std::string& Text) { return Log(log_).find(Text) != std::string::npos; }
    void ExpectNoRecords()
    {
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"));
    }

    // The wizard without a settings file, at its Folders page.
    void StartWizardAtFolders()
    {
        DeleteFileA((programDir_ + "Bb7Auto.txt").c_str());
        Start();
        ASSERT_NO_FATAL_FAILURE(GoToFolders());
    }
    void CloseWizard()
    {
        PostMessageA(wizard_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitForExit());
        EXPECT_EQ(2u, process_->ExitCode()) << "closed before the installation began";
    }
    // Folder refused on the Folders page with Message in a box; the page stays.
    void ExpectRefusedByTheWizard(const std::string& Folder, const std::string& Message)
    {
        ASSERT_NO_FATAL_FAILURE(StartWizardAtFolders());
        SetTextOf("e_Dir", Folder);
        Click("b_Next1");
        AnswerMessageBox(Message, "Brisel Backup 7 Setup");
        ExpectPage(wizard_, 2);
        EXPECT_TRUE(IsEnabled(Ctl("b_Next1")));
        CloseWizard();
    }
};

TEST_F(PlacesTest, AFolderTooDeepForTheProductsFilesIsRefusedBeforeAnythingChangesAnUpgradeToo)
{
    std::string deep = scratch_ / "Deep\\"; // 249 characters, below a folder that would be made
    deep += std::string(249 - deep.size(), 'd');
    const std::string refusal = " ERROR The directory " + deep +
                                " is too deep for the program's files: their paths would be longer than Windows "
                                "allows. Choose a shorter directory.\r\n";
    EXPECT_EQ(5u, RunFrom(programDir_, "INSTKIND=2\r\n", "/silent \"/dir=" + deep + "\""));
    EXPECT_TRUE(Logged(refusal)) << Log(log_);
    ExpectNoRecords();
    ExpectRefusedByTheWizard(deep, refusal.substr(7, refusal.size() - 9));

    // Over an earlier version: refused before its uninstaller runs, and it stands as it was.
    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    EXPECT_EQ(5u, RunFrom(programDir_, "STDDIR=" + deep + "\r\n" + ServiceSettings));
    EXPECT_TRUE(Logged(refusal) && !Logged("Uninstalling the old version")) << Log(log_);
    const std::string stands = Stands();
    EXPECT_EQ("old", FirstLine(stands)) << stands;
    EXPECT_FALSE(FolderPresent(scratch_ / "Deep"));
}

TEST_F(PlacesTest, TheSystemFolderAndTheTemporaryFolderAreRefusedWithNothingChanged)
{
    char windows[MAX_PATH] = {};
    ASSERT_TRUE(GetSystemWindowsDirectoryA(windows, MAX_PATH));
    const std::string system32 = std::string(windows) + "\\System32\\acc-b7";
    const std::string syswow64 = std::string(windows) + "\\SysWOW64\\acc-b7";
    const std::string temp = TempFolder().substr(0, TempFolder().size() - 1); // the installer's too
    const std::string tempSecurity = SecurityText(temp);
    const auto tempFiles = Files(TempFolder());
    const std::string refusals[][2] = {{system32, " lies in the Windows folder " + std::string(windows)},
                                       {temp, " is the temporary folder " + temp}};
    for (const auto& [folder, says] : refusals) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(5u, RunFrom(programDir_, ServiceSettings, "/silent \"/dir=" + folder + "\""));
        EXPECT_TRUE(Logged(" ERROR The directory " + folder + says + NoPlace + "\r\n")) << Log(log_);
        ExpectNoRecords();
        EXPECT_FALSE(FolderPresent(system32) || FolderPresent(syswow64));
        EXPECT_EQ(tempSecurity, SecurityText(temp)) << "the temporary folder's owner and permissions";
        EXPECT_EQ("", Changes(tempFiles, Files(TempFolder())));
    }
    ExpectRefusedByTheWizard(system32, "The directory " + system32 + refusals[0][1] + NoPlace);
}

TEST_F(PlacesTest, AFreshInstallationWhoseCopyFallsShortLeavesNothing)
{
    const std::string folder = scratch_ / "Short\\B7\\";
    const std::string fellShort = "Not every file of the program could be copied into " +
                                  folder.substr(0, folder.size() - 1) +
                                  ": what was copied has been removed again, and nothing was installed.";
    // Silently, a product two of whose files cannot both be placed.
    ReplacePayload(ReadWholeFile(BB7_CLASH_PAYLOAD));
    EXPECT_EQ(4u, RunFrom(programDir_, "STDDIR=" + folder + "\r\nINSTKIND=2\r\n"));
    for (const std::string& line : {"File " + folder + "Clash copied", "ERROR Could'nt copy " + folder + "clash\\b.txt",
                                    "ERROR " + fellShort, std::string("* Exit code 4")})
        EXPECT_TRUE(Logged(line)) << line << " in\n" << Log(log_);
    EXPECT_FALSE(Logged("Performing post-install configuration")) << Log(log_);
    EXPECT_FALSE(FolderPresent(scratch_ / "Short"));
    ExpectNoRecords();

    // The wizard keeps its red lines while the installation can be removed; without its
    // uninstaller (changed after unpacking) it leaves nothing either.
    ASSERT_TRUE(CopyFileA((OwnFolder() + "Bb7Setup.exe").c_str(), exe_.c_str(), FALSE));
    StartWizardAtFolders();
    SetTextOf("e_Dir", folder);
    Click("b_Next1");
    ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 3; }, WizardTimeout));
    WriteWholeFile(TempFolder() + "Distro\\bb7uninstall.exe", "MZ not the uninstaller");
    Click("rb_NoAuto");
    ASSERT_TRUE(ClickButton(Ctl("b_Next2")));
    AnswerMessageBox(fellShort, "Brisel Backup 7 Setup");
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Ctl("b_Done")); }, WizardTimeout));
    Click("b_Done");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(4u, process_->ExitCode());
    EXPECT_NE(std::string::npos, RunLog().find(" ERROR Could'nt copy " + folder + "bb7uninstall.exe\r\n"));
    EXPECT_FALSE(FolderPresent(scratch_ / "Short"));
    ExpectNoRecords();
}

TEST_F(PlacesTest, ARunThatInstallsNothingTakesAwayTheFoldersItMade)
{
    // Silently: the folder's last name cannot be made, after the two above it were.
    const std::string invalid = scratch_ / "New\\Deeper\\a|b";
    EXPECT_EQ(5u, RunFrom(programDir_, "INSTKIND=2\r\n", "/silent \"/dir=" + invalid + "\""));
    EXPECT_TRUE(Logged(" ERROR Couldn't create the directory " + invalid + "\r\n")) << Log(log_);
    EXPECT_FALSE(FolderPresent(scratch_ / "New"));

    // The wizard: another folder chosen on the way back from the Settings page lets the first
    // go; closing the window after the Settings page refused its account, the second.
    const std::string made = scratch_ / "Made\\B7", other = scratch_ / "Other\\B7";
    StartWizardAtFolders();
    for (const std::string& folder : {made, other}) {
        SetTextOf("e_Dir", folder);
        Click("b_Next1");
        ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 3; }, WizardTimeout));
        EXPECT_TRUE(FolderPresent(folder));
        if (folder == made)
            Click("b_Previous2");
    }
    EXPECT_FALSE(FolderPresent(scratch_ / "Made"));
    ClickButton(Ctl("b_Next2")); // the service under a named account, proposed to an administrator
    AnswerMessageBox("Your account name is empty", "Brisel Backup 7 Setup");
    CloseWizard();
    EXPECT_FALSE(FolderPresent(scratch_ / "Other"));
    ExpectNoRecords();
}

TEST_F(PlacesTest, TheFoldersMadeForTheProductGoWithItsUninstallOrAnUpgradeElsewhereWhileEmpty)
{
    const std::string own = scratch_ / "Own";
    ASSERT_TRUE(CreateDirectoryA(own.c_str(), nullptr));
    WriteWholeFile(own + "\\mine.txt", "mine"); // there before, with a file of its own
    const struct {
        std::string Above, Recorded, Added; // Added: a file that somebody puts there afterwards
        bool Stays;
    } cases[] = {{scratch_ / "My Apps (x86)", scratch_ / "My Apps (x86)", "", false},
                 {own, "<none>", "", true},
                 {scratch_ / "Later", scratch_ / "Later", "later.txt", true}};
    // The first case upgrades an installation elsewhere, whose folders go.
    Settings("STDDIR=" + scratch_ / "Earlier\\B7" + "\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n");
    ASSERT_EQ(0u, RunSilently()) << Log();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Above);
        Settings("STDDIR=" + c.Above + "\\B7\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n");
        ASSERT_EQ(0u, RunSilently()) << Log();
        EXPECT_FALSE(FolderPresent(scratch_ / "Earlier"));
        EXPECT_EQ(c.Recorded, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Folders made"));
        if (!c.Added.empty())
            WriteWholeFile(c.Above + "\\" + c.Added, "theirs");
        StartedProgram uninstaller(RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
        ASSERT_TRUE(uninstaller.WaitForExit(60000));
        EXPECT_EQ(0u, uninstaller.ExitCode());
        EXPECT_FALSE(FolderPresent(c.Above + "\\B7"));
        EXPECT_EQ(c.Stays, FolderPresent(c.Above));
        ExpectNoRecords();
    }
    EXPECT_EQ("mine", ReadWholeFile(own + "\\mine.txt"));
}

} // namespace
