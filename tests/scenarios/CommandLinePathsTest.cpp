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

const std::string Unrepresentable = " holds a character that the system's code page cannot represent";

TEST_F(CommandLinePathsTest, WhatTheCommandLineCannotTakeIsRefusedBeforeAnythingIsWritten)
{
    // "Ā" (U+0100) is in no Western code page, and best fit reads it as "A": the look-alikes
    // are there, as somebody else's folder and settings would be.
    const std::wstring scratch = Wide(scratch_.Path());
    const std::string settings = scratch_ / "bb7 settings.txt", lookAlike = scratch_ / "Apps\\";
    const std::string text = "STDDIR=" + installDir_ +
                             "\r\nINSTKIND=2\r\nINSTPASSWORD=" + *EncipherText("pass word", UnattendedPasswordKey) +
                             "\r\n";
    for (const std::string& file : {settings, scratch_ / "sA.txt", programDir_ + "Bb7Auto.txt"})
        WriteWholeFile(file, text);
    WriteWide(scratch + L"\\s\u0100.txt", text);
    CreateDirectoryA(lookAlike.c_str(), nullptr);
    const std::string noDrive = std::string(1, MissingDriveLetter()) + ":\\Logs\\bb7.log"; // no log can go there
    const struct {
        std::wstring Arguments;
        std::string Refusal;
    } cases[] = {
        {L"/silent /dir=" + scratch + L"\\\u0100pps\\B7", "The path of /dir=" + Unrepresentable},
        {L"/silent \"/settings=" + scratch + L"\\s\u0100.txt\"", "The path of /settings=" + Unrepresentable},
        {L"/silent STDDIR=" + scratch + L"\\\u0100pps\\B7", "The command line's STDDIR" + Unrepresentable},
        {L"/silent /log=" + scratch + L"\\l\u0100.log", "The path of /log=" + Unrepresentable},
        {Wide("/silent \"/settings=" + settings + "\" \"/log=" + settings + "\""),
         "The log file " + settings + " is a settings file, which the log would replace: give another /log=PATH"},
        {Wide("/silent /log=" + exe_), "The log file " + exe_ + " is the installer itself"},
        {Wide("/silent /log=" + noDrive), "The log file " + noDrive + " cannot be written: "},
        {Wide("/silent /dir=" + scratch_ / "One /dir=" + scratch_ / "Two"), "The switch /dir=PATH is given twice"},
        // A command line is visible to every program on the computer, and kept in deployment logs.
        {L"/silent INSTKIND=3 AUTHKIND=1 INSTID=backup INSTPASSWORD=s3cret",
         "INSTPASSWORD is never taken from the command line, which every program on the computer can read: give "
         "it in the settings file"},
    };
    const auto kit = Files(programDir_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Refusal);
        EXPECT_EQ(6u, RunWide(c.Arguments));
        const std::string log = TemporaryLog();
        for (const std::string& line : {" ERROR " + c.Refusal, std::string("* Exit code 6")})
            EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
        EXPECT_NE(std::string::npos, StandardError().find(c.Refusal)) << StandardError();
        EXPECT_EQ(std::string::npos, log.find("s3cret"));
        EXPECT_EQ(text, ReadWholeFile(settings));
        EXPECT_EQ("", Changes(kit, Files(programDir_)));
        EXPECT_TRUE(Files(lookAlike).empty() && !FilePresent(scratch_ / "lA.log"));
        EXPECT_FALSE(FolderPresent(installDir_) || FolderPresent(scratch_ / "One") || FolderPresent(scratch_ / "Two"));
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    }
}

TEST_F(CommandLinePathsTest, ASilentRunRefusesWhatItCannotTakeWholeAndTakesTheRestAsMeant)
{
    const std::string nothing = DescribeInstallation(installDir_);
    const std::string folder = "STDDIR=" + installDir_ + "\r\n";
    const struct {
        std::string Bytes;
        std::string Refusal;
    } refused[] = {
        {folder + "INSTKIND=9\r\n", "The settings file's INSTKIND \"9\" is not understood (0, 1, 2 or 3)"},
        {folder + "CREATEICONS=maybe\r\n",
         "The settings file's CREATEICONS \"maybe\" is not understood (TRUE or FALSE)"},
        {folder + "INSTKIND=3\r\nAUTHKIND=x\r\n", "The settings file's AUTHKIND \"x\" is not understood (0 or 1)"},
        {folder + "INSTKIND=3\r\nAUTHKIND=1\r\n", "Your account name is empty"}, // given, and incomplete
        {Utf8(L"STDDIR=" + Wide(scratch_.Path()) + L"\\\u0100pps\r\n"), "The settings file's STDDIR" + Unrepresentable},
        {folder + "INSTKIND=2\r\n" + std::string(1, '\0') + "INSTKIND=3\r\n",
         "The settings file holds a NUL byte in line 3, where its text would end: a silent run takes no settings file "
         "in part"},
    };
    for (const auto& file : refused) {
        SCOPED_TRACE(file.Refusal);
        Settings(file.Bytes);
        EXPECT_EQ(5u, RunSilently());
        for (const std::string& line : {" ERROR " + file.Refusal, std::string("* Exit code 5")})
            EXPECT_NE(std::string::npos, Log().find(line)) << line << " in\n" << Log();
        EXPECT_EQ(nothing, DescribeInstallation(installDir_));
    }

    // UTF-8 without a mark (PowerShell 7's Set-Content), where the ANSI code page would read "é"
    // as "Ã©"; the blank that "echo INSTKIND=2 >> Bb7Auto.txt" writes in a batch file.
    installDir_ = scratch_ / "Donn\351es-u8\\";
    Settings(Utf8(L"STDDIR=" + Wide(installDir_) + L"\r\nINSTKIND=2 \r\nCREATEICONS=false\t\r\n"));
    ASSERT_EQ(0u, RunSilently());
    const std::string installed = DescribeInstallation(installDir_);
    EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_NE(std::string::npos, installed.find("file BriBU.exe ")) << installed;
    EXPECT_NE(std::string::npos, installed.find("Run Brisel Backup 7 = <none>")) << "type 2: " << installed;
    EXPECT_EQ(std::string::npos, installed.find(".lnk")) << installed;
    for (const char* line : {"* Settings file written in UTF-8 without a byte-order mark",
                             "* The settings file's INSTKIND \"2 \": the blanks at its ends are ignored"})
        EXPECT_NE(std::string::npos, Log().find(line)) << line << " in\n" << Log();
    QuietUninstall(nothing);
}

TEST_F(CommandLinePathsTest, SilentAloneInstallsAWorkingProductAndSettingsOnTheCommandLineWinOverTheFile)
{
    // Where the pages propose: the product's folder in the program-files folder.
    const std::string scratchFolder = installDir_;
    installDir_ = AddTrailingBackslash(RegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                                                 "ProgramFilesDir")) +
                  "Brisel Backup 7\\";
    const std::string nothing = DescribeInstallation(installDir_);
    ASSERT_EQ(0u, RunWide(L"/silent"));
    const ServiceFacts service = QueryService("BriBackup7");
    EXPECT_EQ(DWORD(SERVICE_RUNNING), service.State);
    EXPECT_EQ("LocalSystem", service.Account);
    EXPECT_EQ("\"" + installDir_ + "BriService.exe\"", service.Command);
    EXPECT_EQ("BriService.exe ", ProductProcesses()) << "and no program window";
    for (const std::string& line : SplitTextLines(ReadWholeFile(StagedProduct() + "bb7setup.dat")))
        EXPECT_EQ(ReadWholeFile(StagedProduct() + line), ReadWholeFile(installDir_ + line)) << line;
    EXPECT_EQ("\"" + installDir_ + "bb7uninstall.exe\" -nowarningclose",
              RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
    EXPECT_NE(std::string::npos, DescribeInstallation(installDir_).find("Uninstall.lnk")) << "icons, as proposed";
    for (const std::string& line :
         {"* Default taken: the installation folder " + installDir_.substr(0, installDir_.size() - 1) +
              ", which the Folders page proposes (no STDDIR and no /dir=PATH given)",
          std::string("* Default taken: installation type 3, the type the Settings page proposes to an administrator "
                      "(no INSTKIND given)"),
          std::string("* Default taken: the service runs as LocalSystem, as no account is named (no AUTHKIND and no "
                      "INSTID given)"),
          std::string("* Exit code 0")})
        EXPECT_NE(std::string::npos, TemporaryLog().find(line)) << line << " in\n" << TemporaryLog();

    // Over it, settings on the command line in place of the file's, and a log in folders that
    // are made for it.
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=0\r\nCREATEICONS=TRUE\r\n");
    installDir_ = scratchFolder;
    const std::string log = scratch_ / "Logs\\deep\\bb7.log";
    ASSERT_EQ(0u, RunSilently("/silent \"STDDIR=" + installDir_.substr(0, installDir_.size() - 1) +
                              "\" instkind=2 CreateIcons=false \"/log=" + log + "\""));
    const std::string installed = DescribeInstallation(installDir_);
    EXPECT_NE(std::string::npos, installed.find("Run Brisel Backup 7 = <none>")) << installed;
    EXPECT_EQ(std::string::npos, installed.find(".lnk")) << installed;
    EXPECT_NE(std::string::npos, installed.find("service absent")) << "the earlier version was removed";
    for (const char* line : {"* Command-line settings: CREATEICONS=false INSTKIND=2 STDDIR=", "* Exit code 0"})
        EXPECT_NE(std::string::npos, Log(log).find(line)) << line << " in\n" << Log(log);
    QuietUninstall(nothing);
}

TEST_F(CommandLinePathsTest, ASettingsFileBesideAnInstallerInAFolderOfAnyNameOrDepthIsFound)
{
    const std::string nothing = DescribeInstallation(installDir_);
    const std::string settings = "STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n";
    const std::string payload = ReadWholeFile(exe_);
    // A folder named in what the code page lacks (the log shows "?" for it), and one deeper
    // than MAX_PATH, from which only Wine's own loader starts a program, as a user's shell does.
    std::string deep = scratch_.Path();
    for (int level = 1; deep.size() < 300; ++level)
        deep += "\\Level " + std::to_string(level) + " " + std::string(40, 'd');
    const std::wstring named = Wide(scratch_.Path()) + L"\\Kit-\u0100";
    for (const std::wstring& kit : {named, Wide(deep)}) {
        const std::string shown = kit == named ? scratch_ / "Kit-?" : deep, log = scratch_ / "kit.log";
        SCOPED_TRACE(shown);
        DeleteFileA(log.c_str());
        WriteWide(kit + L"\\Bb7Setup.exe", payload);
        WriteWide(kit + L"\\Bb7Auto.txt", settings);
        if (kit == named) {
            ASSERT_EQ(0u, RunWide(L"/silent /log=" + Wide(log), kit + L"\\Bb7Setup.exe"));
        } else {
            ASSERT_TRUE(StartThroughWineLoader(kit + L"\\Bb7Setup.exe", {"/silent", "/log=" + log}));
            ASSERT_TRUE(WaitUntil([&] { return Log(log).find("* Exit code ") != std::string::npos; }, 90s));
            ASSERT_TRUE(InstallersEnded());
        }
        for (const std::string& line : {"* Settings file: " + shown + "\\Bb7Auto.txt", std::string("* Exit code 0")})
            EXPECT_NE(std::string::npos, Log(log).find(line)) << line << " in\n" << Log(log);
        EXPECT_NE(std::string::npos, DescribeInstallation(installDir_).find("file BriBU.exe "));
    }

    // The wizard finds it too and runs unattended, keeping the pages' rule: a value it does not
    // understand leaves the page's choice, and the log notes it, as it notes a NUL byte.
    WriteWide(named + L"\\Bb7Auto.txt", settings + "AUTHKIND=x\r\n" + std::string(1, '\0'));
    process_ = std::make_unique<InstallerProcess>(named + L"\\Bb7Setup.exe", named, L"");
    ASSERT_TRUE(process_->WaitForExit(60s));
    EXPECT_EQ(0u, process_->ExitCode());
    EXPECT_EQ(std::string::npos, Leftovers(2).find(".lnk"));
    for (const char* line : {"* Unattended: yes", "* Settings file line 5: a NUL byte, which ends the text",
                             "* Settings file: AUTHKIND \"x\" is not understood, the page's choice of account stays"})
        EXPECT_NE(std::string::npos, TemporaryLog().find(line)) << line << " in\n" << TemporaryLog();
    QuietUninstall(nothing);
}

} // namespace
