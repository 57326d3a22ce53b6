// End to end: Bb7Setup.exe /silent installs the real product without showing anything and
// leaves exactly what an unattended run of the same settings leaves; what it refuses, it
// refuses before anything changes. A watch on the installer's windows runs all the while.
#include "SilentFixture.h"
#include "StringCipher.h"
#include "UnattendedKey.h"

namespace {

using namespace wizardtest;

class SilentInstallTest : public SilentFixture {};

TEST_F(SilentInstallTest, EveryTypeLeavesWhatItsUnattendedRunLeavesButStartsNoProgramAndShowsNothing)
{
    const std::string nothing = DescribeInstallation(installDir_);
    char user[256] = {};
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    const struct {
        uint8_t Kind;
        bool Icons;
        std::string Settings;
    } runs[] = {
        {0, true, "CREATEICONS=TRUE\r\nINSTKIND=0\r\n"},
        {1, true, "createicons=true\r\ninstkind=1\r\n"},
        {2, false, "INSTKIND=2\r\n"},
        {3, true, "CREATEICONS=True\r\nINSTKIND=3\r\nAUTHKIND=0\r\n"},
        {3, false,
         "INSTKIND=3\r\nAUTHKIND=1\r\nINSTID=" + std::string(user) +
             "\r\nINSTPASSWORD=" + *EncipherText("pass word", UnattendedPasswordKey) + "\r\n"},
    };
    // The silent run goes over the unattended one, whose uninstaller it runs first; the quiet
    // uninstall string then removes the silent one.
    for (const auto& run : runs) {
        SCOPED_TRACE(run.Settings);
        Settings("STDDIR=" + installDir_ + "\r\n" + run.Settings);
        Start();
        ASSERT_TRUE(WaitForExit());
        ASSERT_EQ(0u, process_->ExitCode());
        const std::string unattended = Leftovers(run.Kind);
        EXPECT_NE(std::string::npos, unattended.find("file bb7setup.dat")) << unattended;
        EXPECT_NE(std::string::npos, unattended.find(run.Kind == 3 ? "service exists state 4 " : "service absent"));
        EXPECT_EQ(run.Icons, unattended.find("Uninstall.lnk") != std::string::npos);

        ASSERT_EQ(0u, RunSilently());
        // Under a deployment tool a program window would run as SYSTEM, unseen; the service is
        // what a service installation is for.
        EXPECT_EQ(run.Kind == 3 ? "BriService.exe " : "", ProductProcesses());
        EXPECT_EQ(unattended, DescribeInstallation(installDir_));
        const std::string log = Log();
        const char* leftOut = run.Kind == 3
                                  ? "The user interface is not started: a silent installation starts no program"
                                  : "The application is not started: a silent installation starts no program";
        for (const char* line : {"* Silent: yes", "Uninstalling the old version", leftOut, "* Exit code 0"})
            EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
        EXPECT_EQ(std::string::npos, log.find(" ERROR ")) << log;
        EXPECT_EQ(std::string::npos, log.find("pass word")) << "never the password";
        EXPECT_FALSE(FolderPresent(TempFolder() + "Distro")) << "nothing of the product in the temporary folder";
        QuietUninstall(nothing);
    }
}

// The log file's lines without their times, and without those that name the way of running:
// its notes, and the start of the program, which only a run with a window makes.
std::vector<std::string> LogLines(const std::string& Log)
{
    std::vector<std::string> lines;
    for (const std::string& line : SplitTextLines(Log)) {
        const std::string text = line.substr(std::min<size_t>(line.size(), 12));
        bool namesTheMode = false;
        for (const char* mode : {"* Unattended: ", "* Silent: ", "* Settings file: ", "* Unpacked product: ", "* Product: ",
                                 "Starting the application", "Application started", "a silent installation starts"})
            namesTheMode = namesTheMode || text.find(mode) != std::string::npos;
        if (!namesTheMode)
            lines.push_back(text);
    }
    return lines;
}

TEST_F(SilentInstallTest, BothWaysAgreeOnEveryManifestLineAndTheUninstallerRemovesExactlyWhatWasInstalled)
{
    ReplacePayload(ReadWholeFile(BB7_FORMS_PAYLOAD));
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\nCREATEICONS=TRUE\r\n");
    std::string installed[2];
    std::vector<std::string> logs[2];
    for (int silent = 0; silent < 2; ++silent) {
        SCOPED_TRACE(silent ? "silent" : "unattended");
        if (silent) {
            ASSERT_EQ(1u, RunSilently()) << "the refused lines are red";
        } else {
            Start();
            ASSERT_TRUE(WaitForExit());
            ASSERT_EQ(1u, process_->ExitCode());
        }
        installed[silent] = silent ? DescribeInstallation(installDir_) : Leftovers(2);
        logs[silent] = LogLines(Log());

        StartedProgram uninstaller(RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
        ASSERT_TRUE(uninstaller.WaitForExit(60000));
        EXPECT_EQ(0u, uninstaller.ExitCode());
        EXPECT_FALSE(FolderPresent(installDir_)) << "every file and folder installed is removed, and only those";
    }
    EXPECT_EQ(installed[0], installed[1]);
    EXPECT_EQ(logs[0], logs[1]);

    // What the forms gave: the one file inside the folder (a file placed again is made anew, by the
    // name of the line that placed it last), the folder alone, nothing elsewhere.
    EXPECT_NE(std::string::npos, installed[0].find("file Forms\\A.TXT ")) << installed[0];
    for (const char* file : {"b.txt", "c.txt", "f.txt", "g.txt", "h.txt", "i.txt"})
        EXPECT_EQ(std::string::npos, installed[0].find(file)) << file;
    const std::string log = [&] {
        std::string text;
        for (const std::string& line : logs[0])
            text += line + "\n";
        return text;
    }();
    for (const std::string& line : {"Creating " + installDir_ + "Forms\\Empty\\",
                                   "ERROR Could'nt copy " + installDir_ + "Forms\\\\b.txt",
                                   "ERROR Could'nt copy " + installDir_ + "Forms/c.txt",
                                   "ERROR Could'nt copy " + installDir_ + "Forms\\Empty\\",
                                   "ERROR Could'nt copy " + installDir_ + "..\\Outside\\d.txt",
                                   "ERROR Could'nt copy " + installDir_ + "h.txt"})
        EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
    for (const char* outside : {"Outside", "Escaped"})
        EXPECT_FALSE(FolderPresent(scratch_ / outside)) << outside;
    EXPECT_FALSE(FolderPresent("C:\\Rooted") || FilePresent("C:\\h.txt") || FilePresent(scratch_ / "f.txt"));
}

TEST_F(SilentInstallTest, AFreshRunWaitsForTheEarlierUninstallerAndWritesNothingTemporaryButItsLog)
{
    const std::string old = PlantEarlierInstallation();
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\nCREATEICONS=TRUE\r\n");
    const auto before = TemporaryFiles();
    ASSERT_EQ(0u, RunSilently("-SILENT"));
    EXPECT_EQ("+ Bb7Setup.log\n", Changes(before, Files(TempFolder())));
    const std::string calls = ReadWholeFile(old + "bb7uninstall.exe.log");
    EXPECT_EQ("\"" + old + "bb7uninstall.exe\" -nowarningclose\ndone\n", calls) << "run, closing by itself, waited for";

    EXPECT_NE(std::string::npos, DescribeInstallation(installDir_).find("Uninstall.lnk"));
    EXPECT_EQ(ReadWholeFile(StagedProduct() + "BriBU.exe"), ReadWholeFile(installDir_ + "BriBU.exe"));
    EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_NE(std::string::npos, Log().find("File " + installDir_ + "BriBU.exe copied")) << Log();
}

TEST_F(SilentInstallTest, SettingsFilesInUtf8WithAMarkOrInUtf16InstallAsThePlainFileDoes)
{
    // The first line's key was lost behind a UTF-8 mark, and every key in UTF-16; "é" is one
    // byte in the ANSI code page and two in UTF-8.
    installDir_ = scratch_ / "Donn\351es BB7\\";
    const std::string plain =
        "INSTKIND=0\r\nSTDDIR=" + installDir_ + "\r\nCREATEICONS=TRUE\r\nAUTHKIND=0\r\nFLAVOUR=mild\r\ninstkind=3\r\n";
    const struct {
        std::string Bytes;
        const char* Encoding; // its note in the log
    } files[] = {
        {plain, "* Settings file written in the system's ANSI code page"},
        {Utf8WithMark(plain), "* Settings file written in UTF-8 with a byte-order mark"},
        {Utf16WithMark(Wide(plain), false), "* Settings file written in UTF-16, little endian"},
        {Utf16WithMark(Wide(plain), true), "* Settings file written in UTF-16, big endian"},
    };
    std::string installed;
    for (const auto& file : files) {
        SCOPED_TRACE(file.Encoding);
        Settings(file.Bytes);
        ASSERT_EQ(0u, RunSilently());
        const std::string installation = DescribeInstallation(installDir_);
        if (installed.empty())
            installed = installation;
        EXPECT_EQ(installed, installation);
        EXPECT_NE(std::string::npos, installation.find("Run Brisel Backup 7 = \"" + installDir_ + "BriBU.exe\""))
            << "autostart for all users, the first line's type";
        const std::string log = Log();
        for (const char* line : {"* Settings file line 5: unknown key \"FLAVOUR\", ignored",
                                 "* Settings file line 6: INSTKIND given again, ignored (line 1 counts)"})
            EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
        EXPECT_NE(std::string::npos, log.find(file.Encoding)) << log;
    }

    // A value that the code page cannot hold: the unattended run says so in its error box and
    // leaves the wizard to somebody, on its first page.
    Settings(Utf16WithMark(Wide("INSTKIND=2\r\nINSTID=") + L"\x4E2D", true));
    Start();
    AnswerMessageBox("The settings file's INSTID holds a character that the system's code page cannot represent.",
                     "Brisel Backup 7 Setup");
    ASSERT_NE(nullptr, WaitForWizard());
    Click("rb_Accept");
    Click("b_Next0");
    ExpectPage(wizard_, 1); // an unattended run would go on from here by itself
    EXPECT_FALSE(IsChecked(Ctl("cb_Warning")));
    PostMessageA(wizard_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(installed, DescribeInstallation(installDir_)) << "the installation stays as it was";
}

TEST_F(SilentInstallTest, DirNamesTheFolderInPlaceOfStdDir)
{
    const std::string nothing = DescribeInstallation(installDir_);
    const std::string other = scratch_ / "Other\\";
    Settings("STDDIR=" + other + "\r\nINSTKIND=2\r\n");
    // As a package manager passes it: in quotes, without the final backslash.
    ASSERT_EQ(0u, RunSilently("/silent \"/dir=" + installDir_.substr(0, installDir_.size() - 1) + "\""));
    EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_EQ(ReadWholeFile(StagedProduct() + "BriBU.exe"), ReadWholeFile(installDir_ + "BriBU.exe"));
    EXPECT_FALSE(FolderPresent(other));
    EXPECT_NE(std::string::npos, Log().find("* Installation folder: " + installDir_)) << Log();
    QuietUninstall(nothing);
}

TEST_F(SilentInstallTest, WhatCannotBeInstalledEndsWithItsCodeAndChangesNothing)
{
    const std::string old = PlantEarlierInstallation();
    const std::string ownLog = scratch_ / "own.log";
    const std::string good = "STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n";
    const struct {
        std::string Settings; // no file when empty
        std::string Arguments;
        DWORD ExitCode;
        std::string Line;
    } cases[] = {
        {"STDDIR=\r\nINSTKIND=2\r\n", "/silent", 5, " ERROR Unable to create directory"},
        {"INSTKIND=2\r\n", "/Silent", 5, " ERROR Unable to create directory"},
        {"STDDIR=C:\\B\r\nINSTKIND=3\r\nAUTHKIND=1\r\nINSTID= \r\n", "/silent", 5, " ERROR Your account name is empty"},
        // Without a file, the pages' defaults: the earlier installation's folder, and for an
        // administrator the service; a named account given without its ID is refused.
        {"", "/silent AUTHKIND=1", 5, "* Installation folder: " + old},
        {good, "/silent /settings=C:\\none.txt", 5, " ERROR Cannot find the settings file C:\\none.txt"},
        {good, "/silent /quiet", 6, " ERROR Unknown switch \"/quiet\""},
        {"STDDIR=\r\n", "-silent \"-log=" + ownLog + "\"", 5, " ERROR Unable to create directory"},
        // /silent never shows a window, whatever else the command line holds.
        {good, "/bogus /silent", 6, " ERROR Unknown switch \"/bogus\""},
        {good, "/silent /?", 0, "* /dir=PATH: the installation folder of a silent run"},
        // /dir, in place of STDDIR, is checked as the Folders page checks its folder.
        {good, "/silent /dir=Programs\\BB7", 5, " ERROR Couldn't create the directory Programs\\BB7"},
        // A value that the code page cannot hold would name another folder.
        {"!utf-16", "/silent", 5,
         " ERROR The settings file's STDDIR holds a character that the system's code page cannot represent."},
        // Last: it damages the test's copy of the installer.
        {"!damaged", "/silent", 3, " ERROR The files couldn't be unzipped"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments + " with " + c.Settings);
        DeleteFileA((programDir_ + "Bb7Auto.txt").c_str());
        if (c.Settings == "!damaged") {
            // Damage in the middle of the entries' data: found before anything changes.
            std::string payload = Payload();
            for (size_t i = payload.size() / 2; i < payload.size() / 2 + 64; ++i)
                payload[i] = static_cast<char>(payload[i] ^ 0x5A);
            ReplacePayload(payload);
            Settings(good);
        } else if (c.Settings == "!utf-16") {
            Settings(Utf16WithMark(Wide("INSTKIND=2\r\nSTDDIR=C:\\") + L"\x4E2D", false));
        } else if (!c.Settings.empty()) {
            Settings(c.Settings);
        }
        const auto before = TemporaryFiles();
        EXPECT_EQ(c.ExitCode, RunSilently(c.Arguments));
        const bool ownLogFile = c.Arguments.find("-log=") != std::string::npos;
        const std::string log = Log(ownLogFile ? ownLog : TempFolder() + "Bb7Setup.log");
        EXPECT_NE(std::string::npos, log.find(c.Line)) << log;
        EXPECT_NE(std::string::npos, log.find("* Exit code " + std::to_string(c.ExitCode))) << log;
        EXPECT_EQ(ownLogFile ? "" : "+ Bb7Setup.log\n", Changes(before, Files(TempFolder())));
        EXPECT_FALSE(FilePresent(old + "bb7uninstall.exe.log")) << "the earlier installation was touched";
        EXPECT_FALSE(FolderPresent(installDir_));
        EXPECT_EQ(old, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    }

    // The usage, asked for, in a box.
    process_ = std::make_unique<InstallerProcess>(exe_, programDir_, "/?");
    HWND box = WaitForMessageBox();
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, InstallerProcess::MessageBoxText(box).find("/settings=PATH"));
    InstallerProcess::PressMessageBoxButton(box, IDOK);
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, process_->ExitCode());
}

} // namespace

namespace {

using namespace wizardtest;

TEST_F(SilentInstallTest, AnUpgradeThatCannotStandPutsTheEarlierVersionBackWhole)
{
    const std::string nothing = DescribeInstallation(installDir_);
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=3\r\nAUTHKIND=0\r\nCREATEICONS=TRUE\r\n");
    ASSERT_EQ(0u, RunSilently());
    const std::string earlier = DescribeInstallation(installDir_);
    ASSERT_NE(std::string::npos, earlier.find("service exists state 4 ")) << earlier;

    // The new version's service cannot be registered (no such account): the run ends, without a
    // shortcut or a program started, and the earlier version is back as it was, service running.
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=3\r\nAUTHKIND=1\r\nINSTID=nobody-of-this-name\r\n");
    EXPECT_EQ(7u, RunSilently());
    EXPECT_EQ(earlier, DescribeInstallation(installDir_));
    const std::string log = Log();
    for (const char* line : {"* The earlier version in " , " ERROR The service COULDN'T be installed",
                             " ERROR The new version could not be installed", "was put back", "* Exit code 7"})
        EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
    EXPECT_EQ(std::string::npos, log.find("Creating the icons")) << log;
    // Nothing of the upgrade stays behind: no kept copy, no journal, no entry for the next start.
    EXPECT_TRUE(UpgradeStores().empty());
    EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, SetupKey, "Upgrade store"));
    RegKey runOnce = OpenRegKey(HKEY_LOCAL_MACHINE, RunOnceKey, KEY_READ | KEY_WOW64_64KEY);
    EXPECT_FALSE(runOnce && ReadRegString(runOnce.Get(), "Brisel Backup 7 Setup"));

    QuietUninstall(nothing);
}

} // namespace
