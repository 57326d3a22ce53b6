// End to end: Bb7Setup.exe installs the real product of its payload, unattended from a
// Bb7Auto.txt beside it or by a user's clicks, and the installed product's uninstaller takes
// it away again. Checked against the real registry, shell and service manager.
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "BriCommon.h"
#include "InstallationTraces.h"
#include "ProductTestSupport.h"
#include "Registry.h"
#include "StringCipher.h"
#include "UnattendedKey.h"
#include "WizardFixture.h"

namespace {

using namespace wizardtest;

std::string UserName()
{
    char name[256] = {};
    DWORD size = sizeof name;
    GetUserNameA(name, &size);
    return name;
}

std::string Today() // yyyymmdd
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    return text;
}

uint64_t FileSize(const std::string& Path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(Path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

DWORD ValueType(HKEY Key, const char* Name)
{
    DWORD type = REG_NONE;
    RegQueryValueExA(Key, Name, nullptr, &type, nullptr, nullptr);
    return type;
}

class ProductInstallTest : public WizardFixture {
protected:
    void SetUp() override
    {
        WizardFixture::SetUp();
        installDir_ = scratch_ / "Program Files\\Brisel Backup 7\\";
        firstDay_ = Today();
        CleanUp();
    }
    void TearDown() override
    {
        WizardFixture::TearDown();
        CleanUp();
    }

    // Whatever a failed test may have left: the programs, the service, records and groups.
    void CleanUp()
    {
        for (const char* windowClass : {"TBriBUForm", "TBriUIForm"})
            for (HWND w; (w = FindWindowA(windowClass, nullptr)) != nullptr;) {
                PostMessageA(w, WM_CLOSE, 0, 0);
                WaitUntil([&] { return !IsWindow(w); }, 10s);
            }
        RemoveTestService("BriBackup7");
        RemoveInstallationTraces();
    }

    void Settings(const std::string& Text) { WriteWholeFile(programDir_ + "Bb7Auto.txt", Text); }

    // An unattended run to its end: the window closes by itself.
    DWORD RunUnattended()
    {
        Start();
        EXPECT_TRUE(process_->WaitForExit(90s)) << "the unattended run did not end by itself";
        return process_->ExitCode();
    }

    std::vector<std::string> Manifest() { return SplitTextLines(ReadWholeFile(StagedProduct() + "bb7setup.dat")); }

    // Everything an installation of this type leaves. The program it starts last shows that
    // the installation has ended; its window is closed at the end.
    void ExpectInstalled(uint8_t Kind, bool Icons, const std::string& Account = "LocalSystem")
    {
        SCOPED_TRACE(testing::Message() << "type " << int(Kind));
        const char* programWindow = Kind == 3 ? "TBriUIForm" : "TBriBUForm";
        ASSERT_TRUE(WaitUntil([&] { return FindWindowA(programWindow, nullptr) != nullptr; }, 60s))
            << "the product was not started";
        for (const std::string& line : Manifest())
            EXPECT_EQ(ReadWholeFile(StagedProduct() + line), ReadWholeFile(installDir_ + line)) << line;
        EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
        RegKey product = OpenRegKey(HKEY_LOCAL_MACHINE, ProductKey, KEY_READ);
        EXPECT_EQ(Kind, ReadRegDword(product.Get(), "Installation type").value_or(99));
        ExpectUninstallEntry();

        const std::string application = "\"" + installDir_ + "BriBU.exe\"";
        EXPECT_EQ(Kind == 0 ? application : "<none>", RegString(HKEY_LOCAL_MACHINE, RunKey, "Brisel Backup 7"));
        EXPECT_EQ(Kind == 1 ? application : "<none>", RegString(HKEY_CURRENT_USER, RunKey, "Brisel Backup 7"));
        EXPECT_EQ(Kind == 3 ? "\"" + installDir_ + "briui.exe\" -service" : "<none>",
                  RegString(HKEY_LOCAL_MACHINE, RunKey, "Brisel Backup 7 Interface"));

        const std::string group = ShellFolder(Kind == 1 ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS) + "Brisel Backup 7\\";
        const char* last = Kind == 3 ? "Brisel Backup 7 Interface.lnk" : "Brisel Backup 7.lnk";
        EXPECT_EQ(Icons, FilePresent(group + "Uninstall.lnk") && FilePresent(group + last)) << group;

        if (Kind == 3) {
            const ServiceFacts service = QueryService("BriBackup7");
            EXPECT_TRUE(service.Exists);
            EXPECT_EQ(DWORD(SERVICE_RUNNING), service.State);
            EXPECT_NE(std::string::npos, service.Command.find(installDir_ + "BriService.exe")) << service.Command;
            EXPECT_EQ(Account, service.Account);
        }
        EXPECT_TRUE(CloseProgramWindow(programWindow));
    }

    // Every value of the uninstall entry with its type: what Windows' list of programs shows and
    // what deployment tools read to detect the installation and to remove it.
    void ExpectUninstallEntry()
    {
        RegKey entry = OpenRegKey(HKEY_LOCAL_MACHINE, UninstallKey, KEY_READ);
        ASSERT_TRUE(entry);
        const std::string uninstaller = "\"" + installDir_ + "bb7uninstall.exe\"";
        const std::pair<const char*, std::string> texts[] = {
            {"DisplayName", "Brisel Backup 7"},
            {"UninstallString", uninstaller},
            {"DisplayVersion", BB7_PROJECT_VERSION},
            {"Publisher", "Brisel"},
            {"DisplayIcon", installDir_ + "BriBU.exe"},
            {"InstallLocation", installDir_},
            {"QuietUninstallString", uninstaller + " -nowarningclose"},
        };
        for (const auto& [name, text] : texts) {
            EXPECT_EQ(DWORD(REG_SZ), ValueType(entry.Get(), name)) << name;
            EXPECT_EQ(text, ReadRegString(entry.Get(), name).value_or("<none>")) << name;
        }
        const std::string date = ReadRegString(entry.Get(), "InstallDate").value_or("<none>");
        EXPECT_EQ(DWORD(REG_SZ), ValueType(entry.Get(), "InstallDate"));
        EXPECT_TRUE(date == firstDay_ || date == Today()) << date;

        // The size of what the manifest installed, in kilobytes rounded up.
        uint64_t bytes = 0;
        for (const std::string& line : Manifest())
            bytes += FileSize(installDir_ + line);
        const std::pair<const char*, DWORD> numbers[] = {
            {"EstimatedSize", DWORD((bytes + 1023) / 1024)}, {"NoModify", 1}, {"NoRepair", 1}};
        for (const auto& [name, number] : numbers)
            EXPECT_EQ(number, ReadRegDword(entry.Get(), name).value_or(0xBAD)) << name << ": a DWORD";
        EXPECT_EQ(11u, RegValueNames(entry.Get()).size()) << "no other value";
    }

    // The product's own uninstaller, as deployment tools run it: its quiet uninstall string.
    void Uninstall()
    {
        WriteWholeFile(installDir_ + "mine.txt", "user");
        StartedProgram uninstaller(RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
        ASSERT_TRUE(uninstaller.WaitForExit(60000));
        EXPECT_EQ(0u, uninstaller.ExitCode());
        EXPECT_FALSE(QueryService("BriBackup7").Exists);
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
        EXPECT_FALSE(OpenRegKey(HKEY_LOCAL_MACHINE, UninstallKey, KEY_READ)) << "the whole uninstall entry goes";
        EXPECT_FALSE(FolderPresent(ShellFolder(CSIDL_COMMON_PROGRAMS) + "Brisel Backup 7"));
        EXPECT_FALSE(FolderPresent(ShellFolder(CSIDL_PROGRAMS) + "Brisel Backup 7"));
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            for (const char* value : {"Brisel Backup 7", "Brisel Backup 7 Interface"})
                EXPECT_EQ('<', RegString(root, RunKey, value)[0]) << value << " stays in the Run key";
        for (const std::string& line : Manifest())
            EXPECT_FALSE(FilePresent(installDir_ + line)) << line;
        EXPECT_EQ("user", ReadWholeFile(installDir_ + "mine.txt"));
    }

    ScratchFolder scratch_{"C:\\"};
    std::string installDir_;
    std::string firstDay_; // the installation date is this day's or a later one's
};

TEST_F(ProductInstallTest, EveryTypeInstallsUnattendedAndTheProductsUninstallerRemovesIt)
{
    struct Run {
        uint8_t Kind;
        std::string Settings;
        bool Icons;
    };
    const std::string user = UserName();
    const std::string password = *EncipherText("pass word", UnattendedPasswordKey);
    const Run runs[] = {
        {0, "CREATEICONS=TRUE\r\nINSTKIND=0\r\n", true},
        {1, "createicons=true\r\ninstkind=1\r\n", true},
        {2, "CREATEICONS=1\r\nINSTKIND=2\r\nINSTKIND=0\r\n", false}, // "1" is no truth; the first line counts
        {3, "CREATEICONS=True\r\nINSTKIND = 2\r\nINSTKIND=3\r\nAUTHKIND=0\r\n", true},
        {3, "INSTKIND=3\r\nAUTHKIND=1\r\nINSTID=" + user + "\r\nINSTPASSWORD=" + password + "\r\n", false},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.Settings);
        Settings("STDDIR=" + installDir_ + "\r\nSTDDIR=C:\\Elsewhere\r\n" + run.Settings);
        EXPECT_EQ(0u, RunUnattended());
        const bool named = run.Settings.find("AUTHKIND=1") != std::string::npos;
        ExpectInstalled(run.Kind, run.Icons, named ? ".\\" + user : "LocalSystem");
        const std::string log = RunLog();
        EXPECT_NE(std::string::npos, log.find("* Unattended: yes")) << log;
        EXPECT_NE(std::string::npos, log.find("* Settings file line 2: STDDIR given again, ignored (line 1 counts)"))
            << log;
        EXPECT_NE(std::string::npos, log.find("Performing post-install configuration")) << log;
        EXPECT_EQ(std::string::npos, log.find(" ERROR ")) << log;
        EXPECT_EQ(std::string::npos, log.find("pass word")) << "never the password";
        EXPECT_NE(std::string::npos, log.find("* Exit code 0")) << log;
        if (named) {
            EXPECT_NE(std::string::npos,
                      log.find("The account .\\" + user + " has been granted the privilege to logon as a service"))
                << log;
        }
        Uninstall();
    }
}

TEST_F(ProductInstallTest, InstallingAgainOverAnInstallationRunsItsUninstallerFirst)
{
    // A first installation, unattended, with autostart for all users.
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=0\r\nCREATEICONS=TRUE\r\n");
    ASSERT_EQ(0u, RunUnattended());
    ASSERT_TRUE(CloseProgramWindow("TBriBUForm"));
    DeleteFileA((programDir_ + "Bb7Auto.txt").c_str());

    // A user installs again, without autostart: the old version's uninstaller runs first
    // ("-nowarning": it reports at the end, and the installer waits for it).
    Start();
    GoToFolders();
    EXPECT_EQ(installDir_, TextOf("e_Dir"));
    ASSERT_TRUE(ClickButton(Ctl("b_Next1")));
    HWND report = WaitForOldUninstallerReport();
    ASSERT_NE(nullptr, report) << "the old uninstaller did not report";
    DWORD_PTR answer = 0;
    EXPECT_FALSE(SendMessageTimeoutA(wizard_, WM_NULL, 0, 0, SMTO_BLOCK, 500, &answer))
        << "the installer waits for the uninstaller without handling messages";
    PressButton(report, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 3; }, 60s));
    EXPECT_EQ("<none>", RegString(HKEY_LOCAL_MACHINE, RunKey, "Brisel Backup 7")) << "the old version is gone";

    // Back to the Folders page and on again: the old version went with its records and its
    // uninstaller, and there is nothing left to run or to fail.
    Click("b_Previous2");
    ExpectPage(wizard_, 2);
    Click("b_Next1");
    if (HWND box = process_->FindMessageBox()) {
        ADD_FAILURE() << "a box at the second Next: " << InstallerProcess::MessageBoxText(box);
        InstallerProcess::PressMessageBoxButton(box, IDOK);
    }
    ExpectPage(wizard_, 3);

    Click("rb_NoAuto");
    Click("b_Next2");
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Ctl("b_Done")); }, 60s));
    EXPECT_FALSE(IsEnabled(Ctl("b_Cancel")));
    ExpectInstalled(2, true);
    Click("b_Done");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, process_->ExitCode());
    EXPECT_FALSE(FolderPresent(TempFolder() + "Distro")) << "the unpacked files go with the window";
    Uninstall();
}

TEST_F(ProductInstallTest, TheFolderIsInstalledAsWindowsNamesItOrRefused)
{
    // A blank at the end of the name: the folder without it, and every record names that.
    const std::string folder = installDir_.substr(0, installDir_.size() - 1);
    Settings("STDDIR=" + folder + " \r\nINSTKIND=0\r\nCREATEICONS=TRUE\r\n");
    EXPECT_EQ(0u, RunUnattended());
    ExpectInstalled(0, true);
    EXPECT_NE(std::string::npos, RunLog().find("Installation folder: " + installDir_ + "\r\n")) << RunLog();
    Uninstall();

    // Forward slashes, as a service: the service's program and the Run entry name the folder
    // with backslashes, and the uninstaller knows them for its own.
    std::string slashes = folder + "\\";
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    Settings("STDDIR=" + slashes + "\r\nINSTKIND=3\r\nAUTHKIND=0\r\nCREATEICONS=TRUE\r\n");
    EXPECT_EQ(0u, RunUnattended());
    ExpectInstalled(3, true);
    Uninstall();

    // A folder relative to the current one (the installer's own here) is no folder to install to.
    Settings("STDDIR=.\r\nINSTKIND=2\r\n");
    Start();
    ASSERT_NE(nullptr, WaitForWizard());
    AnswerMessageBox("Couldn't create the directory .", "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 2);
    EXPECT_TRUE(IsEnabled(Ctl("b_Next1")));
    Click("b_Cancel1");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(2u, process_->ExitCode());
    EXPECT_FALSE(FilePresent(programDir_ + "bb7setup.dat"));
    EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
}

TEST_F(ProductInstallTest, AnUnattendedRunThatFailsWaitsOnItsPageAndReportsHowItEnded)
{
    // A settings file that cannot be read: its error, then the run goes on as with an empty
    // file, to the Folders page.
    Settings("STDDIR=" + installDir_ + "\r\n");
    {
        FileHandle locked(
            CreateFileA((programDir_ + "Bb7Auto.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locked);
        Start();
        AnswerMessageBox("Cannot open file \"" + programDir_ + "Bb7Auto.txt\". Access is denied.",
                         "Brisel Backup 7 Setup");
    }
    ASSERT_NE(nullptr, WaitForWizard());
    AnswerMessageBox("Unable to create directory.", "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 2);
    Click("b_Cancel1");
    ASSERT_TRUE(WaitForExit());
    EXPECT_FALSE(FolderPresent(installDir_));

    // A file without any "=": unattended all the same, with an empty folder box, and the
    // window closed before the installation began.
    Settings("just some text\r\n");
    Start();
    ASSERT_NE(nullptr, WaitForWizard());
    AnswerMessageBox("Unable to create directory.", "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 2);
    EXPECT_TRUE(IsEnabled(Ctl("b_Next1")));
    Click("b_Cancel1");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(2u, process_->ExitCode()) << "closed before the installation began";

    // A type that is no type and an account kind that is none leave the defaults, the service
    // under a named account, whose blank name stops the run on the Settings page. The file is
    // read once: changed while the wizard runs, it has no effect.
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=5\r\nAUTHKIND=9\r\nINSTID=   \r\nINSTPASSWORD=" +
             *EncipherText("secret", "another key") + "\r\n");
    Start();
    ASSERT_NE(nullptr, process_->WaitForWindow("TForm_Unzip", 30s));
    Settings("STDDIR=C:\\Changed\r\nINSTKIND=2\r\n");
    ASSERT_NE(nullptr, WaitForWizard());
    AnswerMessageBox("Your account name is empty", "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 3);
    EXPECT_TRUE(IsChecked(Ctl("rb_Service")) && IsChecked(Ctl("rb_Account")));
    EXPECT_TRUE(IsEnabled(Ctl("b_Next2")));
    // A password ciphered with another key gives the cipher's error text, unreported.
    EXPECT_EQ("BriEncryptError*-*Incorrect password", TextOf("e_Password"));
    EXPECT_TRUE(FolderPresent(installDir_));
    EXPECT_FALSE(FolderPresent("C:\\Changed"));
    PostMessageA(wizard_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(2u, process_->ExitCode());

    // A named account that does not exist: the installation runs to its end with red lines.
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=3\r\nAUTHKIND=1\r\nINSTID=nobody-" +
             std::to_string(GetTickCount()) + "\r\n");
    EXPECT_EQ(1u, RunUnattended());
    const std::string log = RunLog();
    EXPECT_NE(std::string::npos, log.find(" ERROR The service COULDN'T be installed")) << log;
    EXPECT_NE(std::string::npos, log.find("* Exit code 1")) << log;
    CloseProgramWindow("TBriUIForm");
}

} // namespace
