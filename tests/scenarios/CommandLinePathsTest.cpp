// End to end: the command lines, paths and settings that administrators and deployment tools
// really give. A path is taken as Windows gives it or refused, never as a look-alike; a silent
// run takes only what it was given, from its settings file or its command line, or refuses;
// with nothing given it installs a working product; the log goes where it is asked for and
// never over the settings.
#include "CommandLineFixture.h"
#include "StringCipher.h"
#include "UnattendedKey.h"

namespace {

using namespace wizardtest;

class CommandLinePathsTest : public CommandLineFixture {};

const char* const Unrepresentable = " holds a character that the system's code page cannot represent";

TEST_F(CommandLinePathsTest, APathTheCodePageCannotHoldIsRefusedNeverTakenForItsLookAlike)
{
    // "Ā" (U+0100) is in no Western code page; best fit would read it as "A". The look-alikes
    // are there, as somebody else's folder and settings would be.
    const std::wstring scratch = Wide(scratch_.Path());
    const std::string lookAlikeFolder = scratch_ / "Apps\\";
    CreateDirectoryA(lookAlikeFolder.c_str(), nullptr);
    const std::string settings = "STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n";
    WriteWholeFile(scratch_ / "sA.txt", settings);
    WriteWide(scratch + L"\\s\u0100.txt", settings);
    const struct {
        std::wstring Arguments;
        std::string Refusal;
    } cases[] = {
        {L"/silent INSTKIND=2 /dir=" + scratch + L"\\\u0100pps\\B7",
         std::string("The path of /dir=") + Unrepresentable},
        {L"/silent \"/settings=" + scratch + L"\\s\u0100.txt\"",
         std::string("The path of /settings=") + Unrepresentable},
        {L"/silent INSTKIND=2 STDDIR=" + scratch + L"\\\u0100pps\\B7",
         std::string("The command line's STDDIR") + Unrepresentable},
        // The refusal goes into the log's usual place, not into "lA.log".
        {L"/silent INSTKIND=2 /log=" + scratch + L"\\l\u0100.log", std::string("The path of /log=") + Unrepresentable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Refusal);
        EXPECT_EQ(6u, RunWide(c.Arguments));
        const std::string log = TemporaryLog();
        for (const std::string& line : {" ERROR " + c.Refusal, std::string("* Exit code 6")})
            EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
        EXPECT_NE(std::string::npos, StandardError().find(c.Refusal)) << StandardError();
        EXPECT_TRUE(Files(lookAlikeFolder).empty()) << "nothing in the look-alike folder";
        EXPECT_FALSE(FolderPresent(installDir_)) << "the look-alike settings file was read";
        EXPECT_FALSE(FilePresent(scratch_ / "lA.log"));
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    }
    EXPECT_EQ(settings, ReadWholeFile(scratch_ / "sA.txt"));
}

TEST_F(CommandLinePathsTest, ASettingsFileBesideAnInstallerInAFolderOfAnyNameOrDepthIsFound)
{
    const std::string nothing = DescribeInstallation(installDir_);
    const std::wstring scratch = Wide(scratch_.Path());
    const std::string settings = "STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n";
    // What a run from a kit installed: the file's settings.
    const auto expectInstalled = [&](const std::string& Log, const std::wstring& Kit) {
        EXPECT_NE(std::string::npos, Log.find("* Settings file: " + Narrow(Kit) + "\\Bb7Auto.txt")) << Log;
        EXPECT_NE(std::string::npos, Log.find("* Exit code 0")) << Log;
        EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
        const std::string installed = DescribeInstallation(installDir_);
        EXPECT_NE(std::string::npos, installed.find("file BriBU.exe ")) << installed;
        EXPECT_EQ(std::string::npos, installed.find(".lnk")) << "CREATEICONS=FALSE: " << installed;
    };

    const std::wstring named = scratch + L"\\Kit-\u0100";
    const std::wstring exe = CopyInstallerTo(named);
    WriteWide(named + L"\\Bb7Auto.txt", settings);
    ASSERT_EQ(0u, RunWide(L"/silent", exe));
    expectInstalled(TemporaryLog(), named);

    // Deeper than MAX_PATH, where only Wine's own loader starts a program (as a user's shell
    // does); the log file says how the run ended.
    std::wstring deep = scratch;
    for (int level = 1; deep.size() < 300; ++level)
        deep += L"\\Level " + std::to_wstring(level) + L" " + std::wstring(40, L'd');
    WriteWide(CopyInstallerTo(deep).substr(0, deep.size()) + L"\\Bb7Auto.txt", settings);
    const std::string deepLog = scratch_ / "deep.log";
    ASSERT_TRUE(StartThroughWineLoader(deep + L"\\Bb7Setup.exe", {"/silent", "/log=" + deepLog}));
    ASSERT_TRUE(WaitUntil([&] { return Log(deepLog).find("* Exit code ") != std::string::npos; }, 90s)) << Log(deepLog);
    expectInstalled(Log(deepLog), deep);
    ASSERT_TRUE(InstallersEnded());

    // The wizard finds it too, and runs unattended.
    process_ = std::make_unique<InstallerProcess>(exe, named, L"");
    ASSERT_TRUE(process_->WaitForExit(60s));
    EXPECT_EQ(0u, process_->ExitCode());
    EXPECT_EQ(std::string::npos, Leftovers(2).find(".lnk"));
    EXPECT_NE(std::string::npos, TemporaryLog().find("* Unattended: yes")) << TemporaryLog();
    QuietUninstall(nothing);
}

TEST_F(CommandLinePathsTest, Utf8WithoutAMarkIsReadAsUtf8AndWhatCannotBeReadWholeRefusesTheRun)
{
    const std::string nothing = DescribeInstallation(installDir_);
    // PowerShell 7's Set-Content: "é" in two bytes, which the ANSI code page would read as "Ã©".
    installDir_ = scratch_ / "Donn\351es-u8\\";
    Settings(Utf8(L"STDDIR=" + Wide(installDir_) + L"\r\nINSTKIND=2\r\n"));
    ASSERT_EQ(0u, RunSilently());
    EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_EQ(ReadWholeFile(StagedProduct() + "BriBU.exe"), ReadWholeFile(installDir_ + "BriBU.exe"));
    EXPECT_FALSE(FolderPresent(scratch_ / "Donn\303\251es-u8"));
    EXPECT_NE(std::string::npos, Log().find("* Settings file written in UTF-8 without a byte-order mark")) << Log();

    // A value that the code page cannot hold, and a NUL byte, which would end the text early:
    // refused before anything changes.
    const std::string installed = DescribeInstallation(installDir_);
    const struct {
        std::string Bytes;
        std::string Refusal;
    } files[] = {
        {Utf8(L"STDDIR=" + Wide(scratch_.Path()) + L"\\\u0100pps\r\nINSTKIND=2\r\n"),
         "The settings file's STDDIR" + std::string(Unrepresentable) + "."},
        {"STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n" + std::string(1, '\0') + "INSTKIND=3\r\n",
         "The settings file holds a NUL byte in line 3, where its text would end: a silent run takes no settings "
         "file in part"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.Refusal);
        Settings(file.Bytes);
        EXPECT_EQ(5u, RunSilently());
        const std::string log = Log();
        for (const std::string& line : {" ERROR " + file.Refusal, std::string("* Exit code 5")})
            EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
        EXPECT_EQ(installed, DescribeInstallation(installDir_));
    }
    QuietUninstall(nothing);
}

TEST_F(CommandLinePathsTest, ASilentRunRefusesAValueItDoesNotUnderstandWhereAnUnattendedRunNotesIt)
{
    const std::string nothing = DescribeInstallation(installDir_);
    const std::string folder = "STDDIR=" + installDir_ + "\r\n";
    const struct {
        std::string Settings;
        std::string Refusal;
    } cases[] = {
        {"INSTKIND=9\r\n", "The settings file's INSTKIND \"9\" is not understood (0, 1, 2 or 3)"},
        {"INSTKIND=2\r\nCREATEICONS=maybe\r\n",
         "The settings file's CREATEICONS \"maybe\" is not understood (TRUE or FALSE)"},
        {"INSTKIND=3\r\nAUTHKIND=x\r\n", "The settings file's AUTHKIND \"x\" is not understood (0 or 1)"},
        // Given and incomplete: a named account needs its name.
        {"INSTKIND=3\r\nAUTHKIND=1\r\n", "Your account name is empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Settings);
        Settings(folder + c.Settings);
        EXPECT_EQ(5u, RunSilently());
        const std::string log = Log();
        for (const std::string& line : {" ERROR " + c.Refusal, std::string("* Exit code 5")})
            EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
        EXPECT_EQ(nothing, DescribeInstallation(installDir_));
    }

    // The blank that "echo INSTKIND=2 >> Bb7Auto.txt" writes in a batch file is ignored.
    Settings(folder + "INSTKIND=2 \r\nCREATEICONS=false\t\r\n");
    ASSERT_EQ(0u, RunSilently());
    const std::string silent = DescribeInstallation(installDir_);
    EXPECT_NE(std::string::npos, silent.find("Run Brisel Backup 7 = <none>")) << silent;
    EXPECT_EQ(std::string::npos, silent.find(".lnk")) << silent;
    for (const char* line : {"* The settings file's INSTKIND \"2 \": the blanks at its ends are ignored",
                             "* Installation type: 2", "* Start-menu icons: no"})
        EXPECT_NE(std::string::npos, Log().find(line)) << line << " in\n" << Log();

    // The unattended run keeps the pages' rule (what it does not understand leaves the page's
    // choice) and notes each such value, and a NUL byte that ended the text.
    Settings(folder + "INSTKIND=2\r\nCREATEICONS=maybe\r\nAUTHKIND=x\r\n" + std::string(1, '\0') + "INSTKIND=3\r\n");
    Start();
    ASSERT_TRUE(process_->WaitForExit(60s));
    EXPECT_EQ(0u, process_->ExitCode());
    EXPECT_EQ(silent, Leftovers(2));
    const std::string log = Log();
    for (const char* line : {"* Settings file: CREATEICONS \"maybe\" is not understood, the box is unticked",
                             "* Settings file: AUTHKIND \"x\" is not understood, the page's choice of account stays",
                             "* Settings file line 5: a NUL byte, which ends the text; nothing after it is read"})
        EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
    QuietUninstall(nothing);
}

TEST_F(CommandLinePathsTest, TheLogNeverReplacesTheSettingsOrTheInstallerAndASwitchCountsOnce)
{
    // The settings that a log over them would lose, the ciphered password with them.
    const std::string settings = scratch_ / "bb7 settings.txt";
    const std::string text = "STDDIR=" + installDir_ +
                             "\r\nINSTKIND=3\r\nAUTHKIND=1\r\nINSTID=backup\r\nINSTPASSWORD=" +
                             *EncipherText("pass word", UnattendedPasswordKey) + "\r\n";
    WriteWholeFile(settings, text);
    Settings(text);
    const auto kit = Files(programDir_);
    const std::string written = Files(scratch_.Path() + "\\").at("bb7 settings.txt");
    const struct {
        std::string Arguments;
        std::string Refusal;
    } cases[] = {
        {"/silent \"/settings=" + settings + "\" \"/log=" + settings + "\"",
         "The log file " + settings + " is a settings file, which the log would replace: give another /log=PATH"},
        // Bb7Auto.txt beside the installer, by another letter case.
        {"/silent /log=" + programDir_ + "BB7AUTO.TXT",
         "The log file " + programDir_ + "BB7AUTO.TXT is a settings file, which the log would replace"},
        {"/silent /log=" + exe_, "The log file " + exe_ + " is the installer itself: give another /log=PATH"},
        {"/silent /dir=" + scratch_ / "One /dir=" + scratch_ / "Two", "The switch /dir=PATH is given twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments);
        EXPECT_EQ(6u, RunWide(Wide(c.Arguments)));
        const std::string log = TemporaryLog();
        for (const std::string& line : {" ERROR " + c.Refusal, std::string("* Exit code 6")})
            EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
        EXPECT_NE(std::string::npos, StandardError().find(c.Refusal)) << StandardError();
        EXPECT_EQ("", Changes(kit, Files(programDir_)));
        EXPECT_EQ(written, Files(scratch_.Path() + "\\").at("bb7 settings.txt"));
        EXPECT_EQ(text, ReadWholeFile(settings));
        EXPECT_FALSE(FolderPresent(installDir_) || FolderPresent(scratch_ / "One") || FolderPresent(scratch_ / "Two"));
    }
}

TEST_F(CommandLinePathsTest, SilentAloneInstallsAWorkingProductWithItsServiceAsLocalSystem)
{
    // Where the pages propose: the product's folder in the program-files folder.
    installDir_ = AddTrailingBackslash(RegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                                                 "ProgramFilesDir")) +
                  "Brisel Backup 7\\";
    RemoveTree(installDir_);
    const std::string nothing = DescribeInstallation(installDir_);
    ASSERT_EQ(0u, RunWide(L"/silent"));

    const ServiceFacts service = QueryService("BriBackup7");
    EXPECT_EQ(DWORD(SERVICE_RUNNING), service.State);
    EXPECT_EQ("LocalSystem", service.Account);
    EXPECT_EQ("\"" + installDir_ + "BriService.exe\"", service.Command);
    EXPECT_EQ("BriService.exe ", ProductProcesses()) << "and no program window";
    for (const std::string& line : SplitTextLines(ReadWholeFile(StagedProduct() + "bb7setup.dat")))
        EXPECT_EQ(ReadWholeFile(StagedProduct() + line), ReadWholeFile(installDir_ + line)) << line;
    EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_EQ("\"" + installDir_ + "bb7uninstall.exe\" -nowarningclose",
              RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
    EXPECT_NE(std::string::npos, DescribeInstallation(installDir_).find("Uninstall.lnk")) << "icons, as proposed";

    const std::string log = TemporaryLog();
    for (const std::string& line :
         {"* Default taken: the installation folder " + installDir_.substr(0, installDir_.size() - 1) +
              ", which the Folders page proposes (no STDDIR and no /dir=PATH given)",
          std::string("* Default taken: Start-menu icons, as the Folders page proposes (no CREATEICONS given)"),
          std::string("* Default taken: installation type 3, the type the Settings page proposes to an administrator "
                      "(no INSTKIND given)"),
          std::string("* Default taken: the service runs as LocalSystem, as no account is named (no AUTHKIND and no "
                      "INSTID given)"),
          std::string("* Service account: LocalSystem"), std::string("* Exit code 0")})
        EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
    EXPECT_EQ(std::string::npos, log.find(" ERROR ")) << log;
    QuietUninstall(nothing);
}

TEST_F(CommandLinePathsTest, SettingsOnTheCommandLineWinOverTheFileButThePasswordIsNeverTakenThere)
{
    const std::string nothing = DescribeInstallation(installDir_);
    const std::string fileFolder = scratch_ / "From the file\\";
    Settings("STDDIR=" + fileFolder + "\r\nINSTKIND=0\r\nCREATEICONS=TRUE\r\n");
    // Without its final backslash, which would escape the closing quote.
    const std::string folder = installDir_.substr(0, installDir_.size() - 1);
    ASSERT_EQ(0u, RunSilently("/silent \"STDDIR=" + folder + "\" instkind=2 CreateIcons=false"));
    const std::string installed = DescribeInstallation(installDir_);
    EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_NE(std::string::npos, installed.find("Run Brisel Backup 7 = <none>")) << installed;
    EXPECT_EQ(std::string::npos, installed.find(".lnk")) << installed;
    EXPECT_FALSE(FolderPresent(fileFolder));
    EXPECT_NE(std::string::npos,
              Log().find("* Command-line settings: CREATEICONS=false INSTKIND=2 STDDIR=" + folder + "\r\n"))
        << Log();

    // A command line is visible to every program on the computer, and kept in deployment logs.
    EXPECT_EQ(6u, RunSilently("/silent INSTKIND=3 AUTHKIND=1 INSTID=backup INSTPASSWORD=s3cret-text"));
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find(" ERROR INSTPASSWORD is never taken from the command line, which every "
                                          "program on the computer can read: give it in the settings file"))
        << log;
    EXPECT_EQ(std::string::npos, log.find("s3cret")) << log;
    EXPECT_EQ(installed, DescribeInstallation(installDir_));
    QuietUninstall(nothing);
}

TEST_F(CommandLinePathsTest, TheLogGoesWhereItIsAskedForOrTheRunIsRefusedBeforeAnythingChanges)
{
    const std::string nothing = DescribeInstallation(installDir_);
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n");
    // The administrator's folders, made for the log.
    const std::string log = scratch_ / "Logs\\deep\\bb7.log";
    ASSERT_EQ(0u, RunSilently("/silent \"/log=" + log + "\""));
    EXPECT_NE(std::string::npos, Log(log).find("* Exit code 0")) << Log(log);
    const std::string installed = DescribeInstallation(installDir_);
    const std::string logged = Log(log);

    // A drive that is not there, and a folder where a file is: no log can be written.
    for (const std::string& unwritable :
         {std::string(1, MissingDriveLetter()) + ":\\Logs\\bb7.log", log + "\\inner.log"}) {
        SCOPED_TRACE(unwritable);
        EXPECT_EQ(6u, RunWide(Wide("/silent \"/log=" + unwritable + "\"")));
        const std::string refusal = "The log file " + unwritable + " cannot be written: ";
        EXPECT_NE(std::string::npos, StandardError().find(refusal)) << StandardError();
        EXPECT_NE(std::string::npos, TemporaryLog().find(" ERROR " + refusal)) << TemporaryLog();
        EXPECT_EQ(installed, DescribeInstallation(installDir_)) << "the earlier installation is as it was";
        EXPECT_EQ(logged, Log(log)) << "the earlier log is as it was";
    }
    QuietUninstall(nothing);
}

} // namespace
