// The installation sequence run by the real wizard window in the test's own process, on an
// unpacked folder that each test makes, against the real registry, file system and shell.
// The programs that the installation starts are stood in for by the recorder, which notes
// how it was started.
#include <gtest/gtest.h>

#include <windows.h>

#include <richedit.h>
#include <shlobj.h>

#include <map>

#include "Application.h"
#include "BriBar.h"
#include "BriCommon.h"
#include "Common_Custom.h"
#include "InstallationTraces.h"
#include "Registry.h"
#include "WizardDriver.h"
#include "unit_Setup_Main.h"

using namespace std::chrono_literals;

namespace {

struct LogEntry {
    std::string Text;
    bool Red;
    bool operator==(const LogEntry& Other) const { return Text == Other.Text && Red == Other.Red; }
};
std::ostream& operator<<(std::ostream& Out, const LogEntry& Entry)
{
    return Out << (Entry.Red ? "[red] " : "") << Entry.Text;
}

class InstallationTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Application::Initialize(GetModuleHandleA(nullptr));
        Application::SetTitle("Brisel Backup 7 Setup");
    }

    void SetUp() override
    {
        source_ = scratch_ / "Distro\\";
        target_ = scratch_ / "Program Files (test)\\Brisel Backup 7\\";
        CreateDirectoryA(source_.c_str(), nullptr);
        CreateFolderPath(target_); // the folder step made it
        RemoveInstallationTraces();
    }

    void TearDown() override
    {
        form_.reset();
        RemoveInstallationTraces();
    }

    // A file of the unpacked product, as the unpacker would have written it.
    void Unpacked(const std::string& Name, const std::string& Content)
    {
        const size_t slash = Name.find_last_of('\\');
        if (slash != std::string::npos)
            CreateFolderPath(source_ + Name.substr(0, slash));
        WriteWholeFile(source_ + Name, Content);
        digests_[source_ + Name] = Sha256Of(Content.data(), Content.size());
    }
    void UnpackedProgram(const std::string& Name) { Unpacked(Name, ReadWholeFile(OwnFolder() + "bb7recorder.exe")); }

    // The window on its Install page, with the Settings page's answers, running the sequence
    // as the Settings page's Next does.
    void Install(uint8_t Kind, bool Icons, uint8_t AccountKind = 1, const std::string& Account = ".\\tester",
                 const std::function<void()>& Meanwhile = nullptr)
    {
        form_ = std::make_unique<TMainForm>();
        form_->SourceDir = source_;
        for (const auto& [path, digest] : digests_) {
            form_->Unpacked.Files.push_back(path);
            form_->Unpacked.Digests[path] = digest;
        }
        form_->InstallDir = target_;
        form_->CreateIcons = Icons;
        form_->InstallKind = Kind;
        form_->AccountKind = AccountKind;
        form_->AccountName = Account;
        form_->AccountPassword = "pass word";
        form_->FirstShow = false; // no unpacking: the folder above stands for it
        form_->Show();
        form_->SelectPage(pgInstall);
        window_ = form_->Handle();
        if (Meanwhile)
            Meanwhile();
        form_->RunInstallation([&] { form_->Install(); });
    }

    std::vector<LogEntry> Log()
    {
        std::vector<LogEntry> lines;
        HWND memo = form_->MemoLog.Handle();
        const int count = static_cast<int>(SendMessageA(memo, EM_GETLINECOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            const LRESULT start = SendMessageA(memo, EM_LINEINDEX, i, 0);
            const LRESULT length = SendMessageA(memo, EM_LINELENGTH, start, 0);
            if (length == 0)
                continue;
            std::string text(static_cast<size_t>(length) + 1, '\0');
            *reinterpret_cast<WORD*>(&text[0]) = static_cast<WORD>(text.size());
            text.resize(static_cast<size_t>(SendMessageA(memo, EM_GETLINE, i, reinterpret_cast<LPARAM>(&text[0]))));
            while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
                text.pop_back(); // the paragraph's end comes with the line
            SendMessageA(memo, EM_SETSEL, start, start + 1);
            CHARFORMAT2A format = {};
            format.cbSize = sizeof format;
            SendMessageA(memo, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
            lines.push_back({text, format.crTextColor == RGB(255, 0, 0)});
        }
        return lines;
    }

    // The recorder's note of how it was started, once it has started.
    std::string Started(const std::string& Program)
    {
        const std::string log = target_ + Program + ".log";
        WaitUntil([&] { return ReadWholeFile(log).find("done") != std::string::npos; }, 10s);
        return ReadWholeFile(log);
    }

    ScratchFolder scratch_;
    std::string source_, target_;
    std::map<std::string, Sha256Digest> digests_;
    std::unique_ptr<TMainForm> form_;
    HWND window_ = nullptr;
};

TEST_F(InstallationTest, CurrentUserApplicationFromAManifestWithOddLines)
{
    UnpackedProgram("BriBU.exe");
    Unpacked("LICENSE.TXT", "licence");
    Unpacked("Help\\Images\\logo.png", std::string("\x89PNG\0\x01", 6));
    Unpacked("Help\\index.htm", "help");
    // A line without a folder, a new folder twice, a blank line, a folder alone, a file that
    // is not there; CR, LF and CR LF line ends; the NUL ends the text.
    Unpacked("bb7setup.dat", std::string("BriBU.exe\rLICENSE.TXT\nHelp\\Images\\logo.png\r\nHelp\\index.htm\r\n\r\n"
                                         "Plugins\\\r\nmissing.txt\r\n\0ignored.txt\r\n",
                                         99));
    WriteWholeFile(target_ + "LICENSE.TXT", "an older licence"); // replaced without a question

    Install(1, true);

    const std::string t = target_;
    const std::vector<LogEntry> expected = {
        {"File " + t + "BriBU.exe copied", false},
        {"File " + t + "LICENSE.TXT copied", false},
        {"Creating " + t + "Help\\Images\\", false},
        {"File " + t + "Help\\Images\\logo.png copied", false},
        {"File " + t + "Help\\index.htm copied", false},
        {"Could'nt copy " + t, true},
        {"Creating " + t + "Plugins\\", false},
        {"Could'nt copy " + t + "Plugins\\", true},
        {"Could'nt copy " + t + "missing.txt", true},
        {"Performing post-install configuration", false},
        {"Writting to the registry key \\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run to allow autostart", false},
        {"Creating the icons on the start menu", false},
        {"Icons created", false},
        {"Starting the application", false},
        {"Application started", false},
    };
    EXPECT_EQ(expected, Log());
    EXPECT_EQ(100, form_->Progress.Position());
    EXPECT_TRUE(form_->b_Done.Enabled());
    EXPECT_FALSE(form_->b_Cancel.Enabled());
    EXPECT_EQ(ecInstalledWithErrors, form_->ExitCode);

    EXPECT_EQ(ReadWholeFile(source_ + "Help\\Images\\logo.png"), ReadWholeFile(t + "Help\\Images\\logo.png"));
    EXPECT_EQ("licence", ReadWholeFile(t + "LICENSE.TXT"));
    EXPECT_FALSE(FilePresent(t + "ignored.txt"));

    // Records: the folder with its backslash, the type as a number, the uninstaller quoted.
    EXPECT_EQ(t, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    RegKey product = OpenRegKey(HKEY_LOCAL_MACHINE, ProductKey, KEY_READ);
    EXPECT_EQ(1u, ReadRegDword(product.Get(), "Installation type").value_or(99));
    EXPECT_EQ("Brisel Backup 7", RegString(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"));
    EXPECT_EQ("\"" + t + "bb7uninstall.exe\"", RegString(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"));
    // Autostart for the current user only, the path with blanks in quotes.
    EXPECT_EQ("\"" + t + "BriBU.exe\"", RegString(HKEY_CURRENT_USER, RunKey, "Brisel Backup 7"));
    EXPECT_EQ("<none>", RegString(HKEY_LOCAL_MACHINE, RunKey, "Brisel Backup 7"));

    // The group in the current user's Start menu, each shortcut working in the folder.
    const std::string group = ShellFolder(CSIDL_PROGRAMS) + "Brisel Backup 7\\";
    EXPECT_FALSE(FolderPresent(ShellFolder(CSIDL_COMMON_PROGRAMS) + "Brisel Backup 7"));
    const char* const shortcuts[][2] = {{"README.lnk", "README.TXT"},
                                        {"history.lnk", "history.txt"},
                                        {"LICENSE.lnk", "LICENSE.TXT"},
                                        {"Uninstall.lnk", "bb7uninstall.exe"},
                                        {"Decompressor.lnk", "Decompressor.exe"},
                                        {"Brisel Backup 7.lnk", "BriBU.exe"}};
    for (const auto& [file, program] : shortcuts) {
        ComPtr<IShellLinkA> link;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                         link.ReceiveVoid()));
        ComPtr<IPersistFile> file_;
        link->QueryInterface(IID_IPersistFile, file_.ReceiveVoid());
        std::wstring path(group.begin(), group.end());
        path += std::wstring(file, file + strlen(file));
        ASSERT_EQ(S_OK, file_->Load(path.c_str(), STGM_READ)) << file;
        char target[MAX_PATH] = {}, folder[MAX_PATH] = {}, arguments[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, 0);
        link->GetWorkingDirectory(folder, MAX_PATH);
        link->GetArguments(arguments, MAX_PATH);
        EXPECT_STRCASEEQ((t + program).c_str(), target) << file;
        EXPECT_EQ(t.substr(0, t.size() - 1), std::string(folder).substr(0, t.size() - 1)) << file;
        EXPECT_STREQ("", arguments) << file;
    }
    EXPECT_EQ("\"" + t + "BriBU.exe\"\ndone\n", Started("BriBU.exe")) << "started without parameters";
}

TEST_F(InstallationTest, ServiceWithoutItsLibraryIsAFailureAndTheOtherStepsStillRun)
{
    UnpackedProgram("briui.exe");
    Unpacked("bb7setup.dat", "briui.exe\r\n");
    Install(3, false);

    const std::string t = target_;
    const std::vector<LogEntry> expected = {
        {"Couldn't load BriNT.dll", true},
        {"File " + t + "briui.exe copied", false},
        {"Performing post-install configuration", false},
        {"Granting tester the privilege to logon as a service", false},
        {"Writting to the registry key \\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run to allow autostart", false},
        {"Starting the service", false},
        {"Starting the user interface", false},
        {"User interface started", false},
    };
    EXPECT_EQ(expected, Log());
    EXPECT_EQ("\"" + t + "briui.exe\" -service", RegString(HKEY_LOCAL_MACHINE, RunKey, "Brisel Backup 7 Interface"));
    EXPECT_EQ("<none>", RegString(HKEY_CURRENT_USER, RunKey, "Brisel Backup 7"));
    EXPECT_EQ("\"" + t + "briui.exe\" -service\ndone\n", Started("briui.exe"));
    EXPECT_EQ(ecInstalledWithErrors, form_->ExitCode) << "no service was installed";
}

TEST_F(InstallationTest, EachRecordThatTheSystemRefusesIsARedLineNamingItsKey)
{
    UnpackedProgram("BriBU.exe");
    Unpacked("bb7setup.dat", "BriBU.exe\r\n");
    // A key deleted while it is open stands for the hives: the system refuses every key below it.
    const std::string name = "Software\\" + UniqueTestName("Bb7 Refused Records");
    RegKey refused = CreateRegKey(HKEY_CURRENT_USER, name, KEY_ALL_ACCESS);
    ASSERT_TRUE(refused && DeleteRegKey(HKEY_CURRENT_USER, name));
    Install(0, false, 1, ".\\tester", [&] { form_->Run.Hives = {refused.Get(), refused.Get()}; });

    const std::vector<LogEntry> expected = {
        {"File " + target_ + "BriBU.exe copied", false},
        {"Performing post-install configuration", false},
        {"Couldn't write HKEY_LOCAL_MACHINE\\SOFTWARE\\Brisel\\Brisel Backup 7", true},
        {"Writting to the registry key \\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run to allow autostart", false},
        {"Couldn't write HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", true},
        {"Couldn't write HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7",
         true},
        {"Starting the application", false},
        {"Application started", false},
    };
    EXPECT_EQ(expected, Log());
    EXPECT_EQ(ecInstalledWithErrors, form_->ExitCode);
    EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_EQ("<none>", RegString(HKEY_LOCAL_MACHINE, RunKey, "Brisel Backup 7"));
    Started("BriBU.exe");
}

TEST_F(InstallationTest, ALibraryChangedSinceItWasUnpackedIsNotLoadedAndAnExistingGroupGetsNoShortcuts)
{
    Unpacked("BriNT.dll", "MZ the library as unpacked");
    WriteWholeFile(source_ + "BriNT.dll", "MZ a library somebody put in its place");
    Unpacked("bb7setup.dat", "");
    ASSERT_TRUE(CreateDirectoryA((ShellFolder(CSIDL_COMMON_PROGRAMS) + "Brisel Backup 7").c_str(), nullptr));
    MessageBoxAnswerer answer("Brisel Backup 7 Setup", IDOK);
    Install(3, true, 0, ".\\");
    EXPECT_EQ("Couldn't create the program group", answer.Text());
    const std::vector<LogEntry> log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ((LogEntry{"Couldn't load BriNT.dll", true}), log[0]);
    EXPECT_EQ(0, form_->Progress.Position()) << "a manifest without lines leaves the bar at 0";
    EXPECT_TRUE(std::find(log.begin(), log.end(), LogEntry{"Creating the icons on the start menu", false}) !=
                log.end());
    EXPECT_TRUE(std::find(log.begin(), log.end(), LogEntry{"Icons created", false}) == log.end());
    EXPECT_TRUE(std::find_if(log.begin(), log.end(),
                             [](const LogEntry& e) { return e.Text.find("Granting") != std::string::npos; }) ==
                log.end())
        << "no granting line for LocalSystem";
}

TEST_F(InstallationTest, AMissingManifestEndsTheSequenceAndClosesTheWindow)
{
    UnpackedProgram("BriBU.exe");
    MessageBoxAnswerer answer("Brisel Backup 7 Setup", IDOK);
    Install(0, true);
    EXPECT_EQ("Cannot find the data file. Exiting", answer.Text());
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(ecStoppedEarly, form_->ExitCode);
    EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path")) << "no later step ran";
    EXPECT_FALSE(FilePresent(source_ + "BriBU.exe")) << "the unpacked files go once the window has closed";
}

TEST_F(InstallationTest, CancelDuringTheCopyStopsAfterTheCurrentFile)
{
    Unpacked("a.txt", "a");
    Unpacked("b.txt", "b");
    Unpacked("bb7setup.dat", "a.txt\r\nb.txt\r\n");
    MessageBoxAnswerer answer("Confirm", IDOK);
    Install(0, true, 1, ".\\tester", [&] {
        // The user presses Cancel as the copy begins.
        ASSERT_TRUE(ClickButton(form_->b_Cancel.Handle()));
    });
    EXPECT_EQ("Do you want to cancel the setup?", answer.Text());
    EXPECT_TRUE(FilePresent(target_ + "a.txt")) << "the file being copied is finished";
    EXPECT_FALSE(FilePresent(target_ + "b.txt"));
    EXPECT_FALSE(IsWindow(window_)) << "the window closes once the sequence has stopped";
    EXPECT_EQ(ecStoppedEarly, form_->ExitCode);
    EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path")) << "no post-install step ran";
}

} // namespace
