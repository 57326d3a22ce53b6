// End to end: where the product may go and what a run leaves there. A folder too deep for the
// product's files and the places of Windows and of its users are refused before anything
// changes; a fresh installation whose copy falls short leaves nothing and no record; a run that
// installs nothing takes away the folders it made; the uninstall takes away the folders that
// the installation made above its own, as does an upgrade that moves the product elsewhere.
#include "EarlierRelease.h"
#include "SilentFixture.h"

namespace {

using namespace wizardtest;

const char* const ServiceSettings = "INSTKIND=3\r\nAUTHKIND=0\r\nCREATEICONS=FALSE\r\n";
const char* const NoPlace = ", which is no place for a program's own folder. Choose another directory.";

bool Has(const std::string& Text, const std::string& Part)
{
    return Text.find(Part) != std::string::npos;
}

class PlacesTest : public SilentFixture {
protected:
    // A silent run of the installer in Folder with Settings and the switches, to its end; its
    // log in the scratch folder (Log(log_)).
    DWORD RunFrom(const std::string& Folder, const std::string& Settings, const std::string& Switches = "")
    {
        WriteWholeFile(Folder + "Bb7Auto.txt", Settings);
        DeleteFileA(log_.c_str());
        InstallerProcess run(Folder + "Bb7Setup.exe", Folder, "/silent \"/log=" + log_ + "\" " + Switches);
        EXPECT_TRUE(run.WaitForExit(90s)) << "the run did not end";
        return run.ExitCode();
    }

    // 249 characters below a folder that the run would have to make.
    std::string DeepFolder()
    {
        const std::string deep = scratch_ / "Deep\\";
        return deep + std::string(249 - deep.size(), 'd');
    }

    void ExpectNoRecords()
    {
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"));
    }

    // The wizard without a settings file, through to its Folders page.
    void StartWizardAtFolders()
    {
        DeleteFileA((programDir_ + "Bb7Auto.txt").c_str());
        Start();
        ASSERT_NO_FATAL_FAILURE(GoToFolders());
    }
    // Next on the Folders page with Folder: refused with Message, the page stays.
    void ExpectRefusedOnTheFoldersPage(const std::string& Folder, const std::string& Message)
    {
        SetTextOf("e_Dir", Folder);
        Click("b_Next1");
        AnswerMessageBox(Message, "Brisel Backup 7 Setup");
        ExpectPage(wizard_, 2);
        EXPECT_TRUE(IsEnabled(Ctl("b_Next1")));
    }
    void CloseWizard(DWORD ExitCode)
    {
        PostMessageA(wizard_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitForExit());
        EXPECT_EQ(ExitCode, process_->ExitCode());
    }

    std::string log_ = scratch_ / "run.log";
};

TEST_F(PlacesTest, AFolderTooDeepForTheProductsFilesIsRefusedBeforeAnythingChanges)
{
    const std::string deep = DeepFolder();
    const std::string refusal = "The directory " + deep +
                                " is too deep for the program's files: their paths would be longer than Windows "
                                "allows. Choose a shorter directory.";
    EXPECT_EQ(5u, RunFrom(programDir_, "INSTKIND=2\r\n", "\"/dir=" + deep + "\""));
    EXPECT_TRUE(Has(Log(log_), " ERROR " + refusal + "\r\n")) << Log(log_);
    EXPECT_FALSE(FolderPresent(scratch_ / "Deep"));
    ExpectNoRecords();

    StartWizardAtFolders();
    ExpectRefusedOnTheFoldersPage(deep, refusal);
    EXPECT_FALSE(FolderPresent(scratch_ / "Deep"));
    CloseWizard(2);
}

TEST_F(PlacesTest, AnUpgradeIntoAFolderTooDeepLeavesTheEarlierVersionAsItWas)
{
    const std::string earlierDir = programDir_ + "earlier\\";
    ASSERT_TRUE(MakeEarlierInstaller(exe_, earlierDir));
    ASSERT_EQ(0u, RunFrom(earlierDir, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings)) << Log(log_);
    EXPECT_EQ(5u, RunFrom(programDir_, "STDDIR=" + DeepFolder() + "\r\n" + ServiceSettings));
    const std::string log = Log(log_);
    EXPECT_TRUE(Has(log, " is too deep for the program's files")) << log;
    EXPECT_FALSE(Has(log, "Uninstalling the old version")) << log;
    const std::string stands = WhichVersionStands(installDir_, scratch_ / "stands.txt");
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
    const struct {
        std::string Folder, Says;
    } cases[] = {
        {system32, " lies in the Windows folder " + std::string(windows)},
        {temp, " is the temporary folder " + temp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Folder);
        EXPECT_EQ(5u, RunFrom(programDir_, "INSTKIND=3\r\nAUTHKIND=0\r\n", "\"/dir=" + c.Folder + "\""));
        EXPECT_TRUE(Has(Log(log_), " ERROR The directory " + c.Folder + c.Says + NoPlace + "\r\n")) << Log(log_);
        ExpectNoRecords();
        EXPECT_FALSE(QueryService("BriBackup7").Exists);
        EXPECT_FALSE(FolderPresent(system32) || FolderPresent(syswow64));
        EXPECT_EQ(tempSecurity, SecurityText(temp)) << "the temporary folder's owner and permissions";
        EXPECT_EQ("", Changes(tempFiles, Files(TempFolder())));
    }

    StartWizardAtFolders();
    ExpectRefusedOnTheFoldersPage(system32, "The directory " + system32 + cases[0].Says + NoPlace);
    ExpectRefusedOnTheFoldersPage("C:\\", std::string("The directory C:\\ is the root of the drive") + NoPlace);
    CloseWizard(2);
    EXPECT_FALSE(FolderPresent(system32) || FolderPresent(syswow64));
}

TEST_F(PlacesTest, AFreshInstallationWhoseCopyFallsShortLeavesNothing)
{
    const std::string folder = scratch_ / "Short\\B7\\";
    // Silently, a product two of whose files cannot both be placed: everything placed goes
    // again, with the folders made for it, and no record names the half that was copied.
    ReplacePayload(ReadWholeFile(BB7_CLASH_PAYLOAD));
    EXPECT_EQ(4u, RunFrom(programDir_, "STDDIR=" + folder + "\r\nINSTKIND=2\r\n"));
    std::string log = Log(log_);
    for (const std::string& line :
         {"File " + folder + "BriBU.exe copied", "File " + folder + "Clash copied",
          "ERROR Could'nt copy " + folder + "clash\\b.txt",
          "ERROR Not every file of the program could be copied into " + folder.substr(0, folder.size() - 1) +
              ": what was copied has been removed again, and nothing was installed.",
          std::string("* Exit code 4")})
        EXPECT_TRUE(Has(log, line)) << line << " in\n" << log;
    EXPECT_FALSE(Has(log, "Performing post-install configuration")) << log;
    EXPECT_FALSE(FolderPresent(scratch_ / "Short"));
    ExpectNoRecords();

    // The wizard keeps what it copied with its red lines, as long as the installation can be
    // removed: without its uninstaller it leaves nothing either.
    ASSERT_TRUE(CopyFileA((OwnFolder() + "Bb7Setup.exe").c_str(), exe_.c_str(), FALSE));
    StartWizardAtFolders();
    SetTextOf("e_Dir", folder);
    Click("b_Next1");
    ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 3; }, WizardTimeout));
    WriteWholeFile(TempFolder() + "Distro\\bb7uninstall.exe", "MZ not the uninstaller");
    Click("rb_NoAuto");
    ASSERT_TRUE(ClickButton(Ctl("b_Next2")));
    AnswerMessageBox("Not every file of the program could be copied into " + folder.substr(0, folder.size() - 1) +
                         ": what was copied has been removed again, and nothing was installed.",
                     "Brisel Backup 7 Setup");
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Ctl("b_Done")); }, WizardTimeout));
    Click("b_Done");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(4u, process_->ExitCode());
    log = RunLog();
    EXPECT_TRUE(Has(log, " ERROR Could'nt copy " + folder + "bb7uninstall.exe\r\n")) << log;
    EXPECT_FALSE(FolderPresent(scratch_ / "Short"));
    ExpectNoRecords();
}

TEST_F(PlacesTest, ARunThatInstallsNothingTakesAwayTheFoldersItMade)
{
    // Silently: the folder's last name cannot be made, after the two above it were.
    const std::string invalid = scratch_ / "New\\Deeper\\a|b";
    EXPECT_EQ(5u, RunFrom(programDir_, "INSTKIND=2\r\n", "\"/dir=" + invalid + "\""));
    EXPECT_TRUE(Has(Log(log_), " ERROR Couldn't create the directory " + invalid + "\r\n")) << Log(log_);
    EXPECT_FALSE(FolderPresent(scratch_ / "New"));

    // In the wizard, another folder chosen on the way back from the Settings page lets the first
    // go; the Settings page refuses a named account without a name, and closing the window then
    // takes the second away.
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
    Click("rb_Service");
    Click("rb_Account");
    SetTextOf("e_ID", "");
    ClickButton(Ctl("b_Next2"));
    AnswerMessageBox("Your account name is empty", "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 3);
    CloseWizard(2);
    EXPECT_FALSE(FolderPresent(scratch_ / "Other"));
    ExpectNoRecords();
}

TEST_F(PlacesTest, TheFoldersMadeForTheProductGoWithItsUninstallOrAnUpgradeElsewhereWhileEmpty)
{
    const std::string own = scratch_ / "Own";
    ASSERT_TRUE(CreateDirectoryA(own.c_str(), nullptr));
    WriteWholeFile(own + "\\mine.txt", "mine");
    const struct {
        std::string Above;    // the folder above the product's
        std::string Recorded; // the outermost folder the installation made above its own
        std::string Added;    // a file that somebody puts there after the installation
        bool Stays;
    } cases[] = {
        {scratch_ / "My Apps (x86)", scratch_ / "My Apps (x86)", "", false},
        {own, "<none>", "", true}, // there before, with a file of its own
        {scratch_ / "Later", scratch_ / "Later", "later.txt", true},
    };
    // The first case upgrades an installation elsewhere, whose folder goes with the folders
    // made for it.
    Settings("STDDIR=" + scratch_ / "Earlier\\B7" + "\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n");
    ASSERT_EQ(0u, RunSilently()) << Log();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Above);
        const std::string folder = c.Above + "\\B7\\";
        Settings("STDDIR=" + folder + "\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n");
        ASSERT_EQ(0u, RunSilently()) << Log();
        EXPECT_FALSE(FolderPresent(scratch_ / "Earlier"));
        EXPECT_EQ(c.Recorded, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Folders made"));
        if (!c.Added.empty())
            WriteWholeFile(c.Above + "\\" + c.Added, "theirs");
        StartedProgram uninstaller(RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
        ASSERT_TRUE(uninstaller.WaitForExit(60000));
        EXPECT_EQ(0u, uninstaller.ExitCode());
        EXPECT_FALSE(FolderPresent(folder));
        EXPECT_EQ(c.Stays, FolderPresent(c.Above));
        EXPECT_TRUE(FolderPresent(scratch_.Path()));
        ExpectNoRecords();
    }
    EXPECT_EQ("mine", ReadWholeFile(own + "\\mine.txt"));
    EXPECT_EQ("theirs", ReadWholeFile(scratch_ / "Later\\later.txt"));
}

} // namespace
