// End to end: Bb7Setup.exe /silent installs the real product of its payload without showing
// anything, and leaves exactly what an unattended run of the same settings leaves; what it
// refuses, it refuses before anything changes. Checked against the real registry, shell and
// service manager, with a watch on the installer's windows all the while.
#include <objidl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "BriCommon.h"
#include "InstallationTraces.h"
#include "ProductTestSupport.h"
#include "Registry.h"
#include "Sha256.h"
#include "StringCipher.h"
#include "UnattendedKey.h"
#include "WizardFixture.h"

namespace {

using namespace wizardtest;

// The visible top-level windows that a process shows while this object lives.
class WindowWatch {
public:
    explicit WindowWatch(DWORD ProcessId) : processId_(ProcessId), thread_([this] { Watch(); }) {}
    ~WindowWatch() { Stop(); }
    // The classes of the windows seen, one line each.
    std::string Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        std::string seen;
        for (const std::string& name : seen_)
            seen += name + "\n";
        return seen;
    }

private:
    void Watch()
    {
        while (!stop_) {
            EnumWindows(&WindowWatch::Look, reinterpret_cast<LPARAM>(this));
            Sleep(1);
        }
    }
    static BOOL CALLBACK Look(HWND Window, LPARAM Param)
    {
        auto* self = reinterpret_cast<WindowWatch*>(Param);
        DWORD processId = 0;
        GetWindowThreadProcessId(Window, &processId);
        if (processId == self->processId_ && IsWindowVisible(Window)) {
            char name[256] = {};
            GetClassNameA(Window, name, sizeof name);
            self->seen_.insert(name);
        }
        return TRUE;
    }

    DWORD processId_;
    std::set<std::string> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Every file below Folder (recursively) with its size and write time, as "relative" -> text.
void ListTree(const std::string& Folder, const std::string& Relative, std::map<std::string, std::string>& Files)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((Folder + Relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListTree(Folder, Relative + name + "\\", Files);
        } else {
            std::ostringstream facts;
            facts << found.nFileSizeLow << " attributes " << found.dwFileAttributes << " written "
                  << found.ftLastWriteTime.dwHighDateTime << ":" << found.ftLastWriteTime.dwLowDateTime;
            Files[Relative + name] = facts.str();
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string RegistryValues(HKEY Root, const char* Key)
{
    RegKey key = OpenRegKey(Root, Key, KEY_READ);
    if (!key)
        return std::string(Key) + ": no key\n";
    std::string text;
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[2048];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key.Get(), i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        text += std::string(Key) + " " + name + " = ";
        if (type == REG_DWORD)
            text += std::to_string(*reinterpret_cast<DWORD*>(data)) + "\n";
        else
            text += std::string(reinterpret_cast<char*>(data), strnlen(reinterpret_cast<char*>(data), dataSize)) + "\n";
    }
    return text;
}

std::string ShortcutFacts(const std::string& Path)
{
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return "no shell link object";
    IPersistFile* file = nullptr;
    std::string facts = "cannot be read";
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(Path.begin(), Path.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {};
            link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->GetArguments(arguments, MAX_PATH);
            link->GetWorkingDirectory(folder, MAX_PATH);
            facts = std::string(target) + " [" + arguments + "] in " + folder;
        }
        file->Release();
    }
    link->Release();
    return facts;
}

// Everything an installation in InstallDir leaves, one fact a line: its files with their
// contents' digests, the records, the Run values, the program groups' shortcuts, the service.
std::string DescribeInstallation(const std::string& InstallDir)
{
    std::ostringstream text;
    std::map<std::string, std::string> files;
    ListTree(InstallDir, "", files);
    for (const auto& [name, facts] : files) {
        const std::string data = ReadWholeFile(InstallDir + name);
        text << "file " << name << " " << facts << " sha256 " << DigestToHex(Sha256Of(data.data(), data.size()))
             << "\n";
    }
    text << RegistryValues(HKEY_LOCAL_MACHINE, ProductKey) << RegistryValues(HKEY_LOCAL_MACHINE, UninstallKey);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        for (const char* value : {"Brisel Backup 7", "Brisel Backup 7 Interface"})
            text << (root == HKEY_LOCAL_MACHINE ? "HKLM " : "HKCU ") << "Run " << value << " = "
                 << RegString(root, RunKey, value) << "\n";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (int programs : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        const std::string group = ShellFolder(programs) + "Brisel Backup 7\\";
        std::map<std::string, std::string> shortcuts;
        ListTree(group, "", shortcuts);
        for (const auto& [name, facts] : shortcuts)
            text << "shortcut " << group << name << ": " << ShortcutFacts(group + name) << "\n";
    }
    CoUninitialize();
    const ServiceFacts service = QueryService("BriBackup7");
    text << "service " << (service.Exists ? "exists" : "absent") << " state " << service.State << " start "
         << service.StartType << " command " << service.Command << " account " << service.Account << "\n";
    return text.str();
}

// The files below the temporary folder with their sizes and times.
std::map<std::string, std::string> TemporaryFiles()
{
    std::map<std::string, std::string> files;
    ListTree(TempFolder(), "", files);
    return files;
}

// What changed between two listings: "+ name", "- name", "~ name".
std::string Changes(const std::map<std::string, std::string>& Before, const std::map<std::string, std::string>& After)
{
    std::string changes;
    for (const auto& [name, facts] : After) {
        auto old = Before.find(name);
        if (old == Before.end())
            changes += "+ " + name + "\n";
        else if (old->second != facts)
            changes += "~ " + name + "\n";
    }
    for (const auto& [name, facts] : Before)
        if (!After.count(name))
            changes += "- " + name + "\n";
    return changes;
}

class SilentInstallTest : public WizardFixture {
protected:
    void SetUp() override
    {
        WizardFixture::SetUp();
        installDir_ = scratch_ / "Brisel Backup 7\\";
        CleanUp();
    }
    void TearDown() override
    {
        WizardFixture::TearDown();
        CleanUp();
    }
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
    std::string RunLog(const std::string& Path = TempFolder() + "Bb7Setup.log") { return ReadWholeFile(Path); }

    DWORD RunUnattended()
    {
        Start();
        EXPECT_TRUE(process_->WaitForExit(90s)) << "the unattended run did not end by itself";
        return process_->ExitCode();
    }

    // A silent run to its end, watched: it must show no window at any moment.
    DWORD RunSilently(const std::string& Arguments = "/silent")
    {
        process_ = std::make_unique<InstallerProcess>(exe_, programDir_, Arguments);
        WindowWatch watch(process_->Id());
        EXPECT_TRUE(process_->WaitForExit(90s)) << "the silent run did not end";
        EXPECT_EQ("", watch.Stop()) << "windows of the silent run";
        return process_->ExitCode();
    }

    // What the installation left, once the program it started last has shown its window
    // (which shows that it has ended) and that window has been closed.
    std::string Leftovers(uint8_t Kind)
    {
        const char* window = Kind == 3 ? "TBriUIForm" : "TBriBUForm";
        HWND program = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (program = FindWindowA(window, nullptr)) != nullptr; }, 60s))
            << "the product was not started";
        PostMessageA(program, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(program); }, 10s));
        return DescribeInstallation(installDir_);
    }

    // An earlier installation that stands in for the real one: its "Path" names a folder whose
    // uninstaller records how it was run and works for a moment.
    std::string PlantEarlierInstallation()
    {
        const std::string old = earlier_ / "Old\\";
        CreateDirectoryA(old.c_str(), nullptr);
        EXPECT_TRUE(CopyFileA((OwnFolder() + "bb7recorder.exe").c_str(), (old + "bb7uninstall.exe").c_str(), FALSE));
        RegKey product = CreateRegKey(HKEY_LOCAL_MACHINE, ProductKey, KEY_WRITE);
        SetRegString(product.Get(), "Path", old);
        return old;
    }

    ScratchFolder scratch_{"C:\\"};
    ScratchFolder earlier_{"C:\\"};
    std::string installDir_;
};

TEST_F(SilentInstallTest, EveryTypeLeavesWhatItsUnattendedRunLeavesAndShowsNothing)
{
    char user[256] = {};
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    const std::string password = *EncipherText("pass word", UnattendedPasswordKey);
    struct Run {
        uint8_t Kind;
        bool Icons;
        std::string Settings;
    };
    const Run runs[] = {
        {0, true, "CREATEICONS=TRUE\r\nINSTKIND=0\r\n"},
        {1, true, "createicons=true\r\ninstkind=1\r\n"},
        {2, false, "INSTKIND=2\r\n"},
        {3, true, "CREATEICONS=True\r\nINSTKIND=3\r\nAUTHKIND=0\r\n"},
        {3, false, "INSTKIND=3\r\nAUTHKIND=1\r\nINSTID=" + std::string(user) + "\r\nINSTPASSWORD=" + password + "\r\n"},
    };
    // Each run goes over the installation before it, whose uninstaller it runs first: the
    // unattended run over the silent one of the type before, the silent run over the
    // unattended one of its type.
    for (const Run& run : runs) {
        SCOPED_TRACE(run.Settings);
        Settings("STDDIR=" + installDir_ + "\r\n" + run.Settings);
        ASSERT_EQ(0u, RunUnattended());
        const std::string unattended = Leftovers(run.Kind);
        // What is compared holds what an installation of the type must leave.
        EXPECT_NE(std::string::npos, unattended.find("file bb7setup.dat")) << unattended;
        EXPECT_NE(std::string::npos, unattended.find(run.Kind == 3 ? "service exists state 4 " : "service absent"))
            << unattended;
        EXPECT_EQ(run.Icons, unattended.find("Uninstall.lnk: " + installDir_ + "bb7uninstall.exe") != std::string::npos)
            << unattended;

        ASSERT_EQ(0u, RunSilently());
        EXPECT_EQ(unattended, Leftovers(run.Kind));
        const std::string log = RunLog();
        EXPECT_NE(std::string::npos, log.find("* Silent: yes")) << log;
        EXPECT_NE(std::string::npos, log.find("Uninstalling the old version")) << log;
        EXPECT_NE(std::string::npos, log.find("Performing post-install configuration")) << log;
        EXPECT_EQ(std::string::npos, log.find(" ERROR ")) << log;
        EXPECT_EQ(std::string::npos, log.find("pass word")) << "never the password";
        EXPECT_NE(std::string::npos, log.find("* Exit code 0")) << log;
        EXPECT_FALSE(FolderPresent(TempFolder() + "Distro")) << "nothing of the product in the temporary folder";
    }

    // The product's own uninstaller takes the last one away again.
    StartedProgram uninstaller("\"" + installDir_ + "bb7uninstall.exe\" -nowarningclose");
    ASSERT_TRUE(uninstaller.WaitForExit(60000));
    EXPECT_EQ(0u, uninstaller.ExitCode());
    EXPECT_FALSE(QueryService("BriBackup7").Exists);
}

TEST_F(SilentInstallTest, AFreshRunWaitsForTheEarlierUninstallerAndWritesNothingTemporaryButItsLog)
{
    const std::string old = PlantEarlierInstallation();
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\nCREATEICONS=TRUE\r\n");
    DeleteFileA((TempFolder() + "Bb7Setup.log").c_str());
    const auto before = TemporaryFiles();
    ASSERT_EQ(0u, RunSilently("-SILENT"));
    EXPECT_EQ("+ Bb7Setup.log\n", Changes(before, TemporaryFiles()));

    // The earlier installation's uninstaller ran, closing by itself, and was waited for.
    const std::string calls = ReadWholeFile(old + "bb7uninstall.exe.log");
    EXPECT_NE(std::string::npos, calls.find("\"" + old + "bb7uninstall.exe\" -nowarningclose")) << calls;
    EXPECT_NE(std::string::npos, calls.find("done")) << "the installer did not wait for it";

    const std::string leftovers = Leftovers(2);
    for (const std::string& line : SplitTextLines(ReadWholeFile(StagedProduct() + "bb7setup.dat")))
        EXPECT_EQ(ReadWholeFile(StagedProduct() + line), ReadWholeFile(installDir_ + line)) << line;
    EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_NE(std::string::npos, leftovers.find("Brisel Backup 7\\Uninstall.lnk: " + installDir_ + "bb7uninstall.exe"))
        << leftovers;
    const std::string log = RunLog();
    EXPECT_NE(std::string::npos, log.find("File " + installDir_ + "BriBU.exe copied")) << log;
    EXPECT_NE(std::string::npos, log.find("* Exit code 0")) << log;
}

TEST_F(SilentInstallTest, WhatCannotBeInstalledEndsWithItsCodeAndChangesNothing)
{
    const std::string old = PlantEarlierInstallation();
    const std::string ownLog = scratch_ / "own.log";
    struct Case {
        std::string Settings; // no file when empty
        std::string Arguments;
        DWORD ExitCode;
        std::string Line; // in the log
    };
    const Case cases[] = {
        {"STDDIR=\r\nINSTKIND=2\r\n", "/silent", 5, " ERROR Unable to create directory"},
        {"INSTKIND=2\r\n", "/Silent", 5, " ERROR Unable to create directory"},
        {"STDDIR=" + installDir_ + "\r\nINSTKIND=3\r\nAUTHKIND=1\r\nINSTID= \r\n", "/silent", 5,
         " ERROR Your account name is empty"},
        // Without a file the pages' defaults: the earlier installation's folder, and on an
        // administrator's system the service under a named account, which needs an ID.
        {"", "/silent", 5, "* Installation folder: " + old},
        {"STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n", "/silent /settings=C:\\no-such-settings.txt", 5,
         " ERROR Cannot find the settings file C:\\no-such-settings.txt"},
        {"STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n", "/silent /quiet", 6, " ERROR Unknown switch \"/quiet\""},
        {"STDDIR=\r\n", "-silent \"-log=" + ownLog + "\"", 5, " ERROR Unable to create directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments + " with " + c.Settings);
        DeleteFileA((programDir_ + "Bb7Auto.txt").c_str());
        if (!c.Settings.empty())
            Settings(c.Settings);
        DeleteFileA((TempFolder() + "Bb7Setup.log").c_str());
        const auto before = TemporaryFiles();
        EXPECT_EQ(c.ExitCode, RunSilently(c.Arguments));
        const bool ownLogFile = c.Arguments.find("-log=") != std::string::npos;
        const std::string log = RunLog(ownLogFile ? ownLog : TempFolder() + "Bb7Setup.log");
        EXPECT_NE(std::string::npos, log.find(c.Line)) << log;
        EXPECT_NE(std::string::npos, log.find("* Exit code " + std::to_string(c.ExitCode))) << log;
        EXPECT_EQ(ownLogFile ? "" : "+ Bb7Setup.log\n", Changes(before, TemporaryFiles()));
        EXPECT_FALSE(FilePresent(old + "bb7uninstall.exe.log")) << "the earlier installation was touched";
        EXPECT_FALSE(FolderPresent(installDir_));
        EXPECT_EQ(old, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    }

    // A damaged payload: found before anything changes, and no installation folder is made.
    std::string payload = Payload();
    const size_t data = payload.size() / 2;
    for (size_t i = data; i < data + 64; ++i)
        payload[i] = static_cast<char>(payload[i] ^ 0x5A);
    ReplacePayload(payload);
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n");
    const auto before = TemporaryFiles();
    EXPECT_EQ(3u, RunSilently());
    const std::string log = RunLog();
    EXPECT_NE(std::string::npos, log.find(" ERROR The files couldn't be unzipped")) << log;
    EXPECT_NE(std::string::npos, log.find("* Exit code 3")) << log;
    EXPECT_EQ("+ Bb7Setup.log\n", Changes(before, TemporaryFiles()));
    EXPECT_FALSE(FilePresent(old + "bb7uninstall.exe.log"));
    EXPECT_FALSE(FolderPresent(installDir_));
    EXPECT_EQ(old, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));

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
