// End to end: Bb7Setup.exe /silent installs the real product without showing anything and
// leaves exactly what an unattended run of the same settings leaves; what it refuses, it
// refuses before anything changes. A watch on the installer's windows runs all the while.
#include <shlobj.h>
#include <tlhelp32.h>

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

// The classes of the visible top-level windows that a process shows while this object lives.
class WindowWatch {
public:
    explicit WindowWatch(DWORD ProcessId)
        : id_(ProcessId), thread_([this] {
              while (!stop_)
                  EnumWindows(&WindowWatch::Look, reinterpret_cast<LPARAM>(this)), Sleep(1);
          })
    {
    }
    std::string Stop()
    {
        stop_ = true;
        thread_.join();
        std::string seen;
        for (const std::string& name : seen_)
            seen += name + " ";
        return seen;
    }

private:
    static BOOL CALLBACK Look(HWND Window, LPARAM Self)
    {
        auto* self = reinterpret_cast<WindowWatch*>(Self);
        DWORD id = 0;
        GetWindowThreadProcessId(Window, &id);
        char name[256] = {};
        if (id == self->id_ && IsWindowVisible(Window) && GetClassNameA(Window, name, sizeof name))
            self->seen_.insert(name);
        return TRUE;
    }
    DWORD id_;
    std::set<std::string> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The files below Folder with their sizes, attributes and write times, by relative path.
std::map<std::string, std::string> Files(const std::string& Folder, const std::string& Relative = "")
{
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((Folder + Relative + "*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != "..")
                files.merge(Files(Folder, Relative + name + "\\"));
            continue;
        }
        files[Relative + name] = std::to_string(found.nFileSizeLow) + " attributes " +
                                 std::to_string(found.dwFileAttributes) + " written " +
                                 std::to_string(found.ftLastWriteTime.dwHighDateTime) + ":" +
                                 std::to_string(found.ftLastWriteTime.dwLowDateTime);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return files;
}

std::string Changes(const std::map<std::string, std::string>& Before, const std::map<std::string, std::string>& After)
{
    std::string changes;
    for (const auto& [name, facts] : After)
        changes += !Before.count(name) ? "+ " + name + "\n" : Before.at(name) != facts ? "~ " + name + "\n" : "";
    for (const auto& [name, facts] : Before)
        changes += After.count(name) ? "" : "- " + name + "\n";
    return changes;
}

// Everything an installation in InstallDir leaves, a fact a line: its files with their
// contents' digests, the records, the Run values, the program groups' shortcuts, the service.
std::string DescribeInstallation(const std::string& InstallDir)
{
    std::ostringstream text;
    for (const auto& [name, facts] : Files(InstallDir)) {
        const std::string data = ReadWholeFile(InstallDir + name);
        text << "file " << name << " " << facts << " " << DigestToHex(Sha256Of(data.data(), data.size())) << "\n";
    }
    for (const char* key : {ProductKey, UninstallKey}) {
        RegKey open = OpenRegKey(HKEY_LOCAL_MACHINE, key, KEY_READ);
        char name[256];
        BYTE data[2048];
        for (DWORD i = 0, size = sizeof name, length = sizeof data, type = 0;
             open && RegEnumValueA(open.Get(), i, name, &size, nullptr, &type, data, &length) == ERROR_SUCCESS;
             ++i, size = sizeof name, length = sizeof data)
            text << key << " " << name << " = "
                 << (type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data))
                                       : std::string(reinterpret_cast<char*>(data)))
                 << "\n";
    }
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        for (const char* value : {"Brisel Backup 7", "Brisel Backup 7 Interface"})
            text << "Run " << value << " = " << RegString(root, RunKey, value) << "\n";
    for (int programs : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        const std::string group = ShellFolder(programs) + "Brisel Backup 7\\";
        for (const auto& [name, facts] : Files(group))
            text << "shortcut " << group << name << " " << facts.substr(0, facts.find(' ')) << "\n";
    }
    const ServiceFacts service = QueryService("BriBackup7");
    text << "service " << (service.Exists ? "exists" : "absent") << " state " << service.State << " start "
         << service.StartType << " " << service.Command << " as " << service.Account << "\n";
    return text.str();
}

std::string Lowered(std::string Text)
{
    for (char& c : Text)
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    return Text;
}

// The running processes of the product's programs, by the names the manifest gives them, sorted.
std::string ProductProcesses()
{
    std::map<std::string, std::string> programs; // by the name in lower case
    for (const std::string& line : SplitTextLines(ReadWholeFile(StagedProduct() + "bb7setup.dat"))) {
        const std::string name = line.substr(line.find_last_of('\\') + 1);
        if (name.size() > 4 && Lowered(name.substr(name.size() - 4)) == ".exe")
            programs[Lowered(name)] = name;
    }
    std::multiset<std::string> running;
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 process = {};
    process.dwSize = sizeof process;
    for (bool more = Process32First(snapshot.Get(), &process); more; more = Process32Next(snapshot.Get(), &process)) {
        const std::string path = process.szExeFile;
        const auto program = programs.find(Lowered(path.substr(path.find_last_of('\\') + 1)));
        if (program != programs.end())
            running.insert(program->second);
    }
    std::string names;
    for (const std::string& name : running)
        names += name + " ";
    return names;
}

// Settings text of the ANSI code page as the tools that administrators use write it.
std::wstring Wide(const std::string& Ansi)
{
    std::wstring wide(Ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, Ansi.data(), int(Ansi.size()), &wide[0], int(wide.size())));
    return wide;
}
std::string Utf8WithMark(const std::string& Ansi) // Windows PowerShell: Set-Content -Encoding UTF8
{
    const std::wstring wide = Wide(Ansi);
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0], int(utf8.size()), nullptr, nullptr));
    return "\xEF\xBB\xBF" + utf8;
}
std::string Utf16WithMark(const std::wstring& Text, bool BigEndian) // Out-File, ">", Notepad's "Unicode"
{
    std::string bytes = BigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t c : Text) {
        const char high = char(c >> 8), low = char(c & 0xFF);
        bytes += BigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

class SilentInstallTest : public WizardFixture {
protected:
    void SetUp() override
    {
        WizardFixture::SetUp();
        installDir_ = scratch_ / "Brisel Backup 7\\";
        RemoveTestService("BriBackup7");
        RemoveInstallationTraces();
        // A temporary folder of the installer's own, which the tests running beside do not use.
        const std::string temp = scratch_ / "Temp\\";
        CreateDirectoryA(temp.c_str(), nullptr);
        for (const char* name : {"TMP", "TEMP"}) {
            char value[MAX_PATH] = {};
            GetEnvironmentVariableA(name, value, MAX_PATH);
            savedTemp_.push_back(value);
            SetEnvironmentVariableA(name, temp.c_str());
        }
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("TMP", savedTemp_[0].c_str());
        SetEnvironmentVariableA("TEMP", savedTemp_[1].c_str());
        WizardFixture::TearDown();
        for (const char* program : {"TBriBUForm", "TBriUIForm"})
            CloseProgram(program);
        RemoveTestService("BriBackup7");
        RemoveInstallationTraces();
    }
    bool CloseProgram(const char* WindowClass, std::chrono::seconds Wait = 0s)
    {
        HWND window = nullptr;
        WaitUntil([&] { return (window = FindWindowA(WindowClass, nullptr)) != nullptr; }, Wait);
        PostMessageA(window, WM_CLOSE, 0, 0);
        return window && WaitUntil([&] { return !IsWindow(window); }, 10s);
    }

    void Settings(const std::string& Text) { WriteWholeFile(programDir_ + "Bb7Auto.txt", Text); }
    std::string Log(const std::string& Path = TempFolder() + "Bb7Setup.log") { return ReadWholeFile(Path); }

    // A silent run to its end, watched: it must show no window at any moment.
    DWORD RunSilently(const std::string& Arguments = "/silent")
    {
        process_ = std::make_unique<InstallerProcess>(exe_, programDir_, Arguments);
        WindowWatch watch(process_->Id());
        EXPECT_TRUE(process_->WaitForExit(90s)) << "the silent run did not end";
        EXPECT_EQ("", watch.Stop()) << "windows of the silent run";
        return process_->ExitCode();
    }

    // The temporary folder's files, without the log of an earlier run.
    std::map<std::string, std::string> TemporaryFiles()
    {
        DeleteFileA((TempFolder() + "Bb7Setup.log").c_str());
        return Files(TempFolder());
    }

    // What an unattended installation left, once the program it starts last has shown (the
    // installation has ended) and has been closed.
    std::string Leftovers(uint8_t Kind)
    {
        EXPECT_TRUE(CloseProgram(Kind == 3 ? "TBriUIForm" : "TBriBUForm", 60s)) << "the product was not started";
        return DescribeInstallation(installDir_);
    }

    // The product's own uninstaller as deployment tools run it, by its quiet uninstall string;
    // it must leave nothing of the product running or installed.
    void QuietUninstall(const std::string& NothingInstalled)
    {
        StartedProgram uninstaller(RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
        ASSERT_TRUE(uninstaller.WaitForExit(60000));
        EXPECT_EQ(0u, uninstaller.ExitCode());
        EXPECT_EQ("", ProductProcesses());
        EXPECT_EQ(NothingInstalled, DescribeInstallation(installDir_));
    }

    // An earlier installation whose uninstaller records how it was run and takes a moment.
    std::string PlantEarlierInstallation()
    {
        const std::string old = scratch_ / "Old\\";
        CreateDirectoryA(old.c_str(), nullptr);
        CopyFileA((OwnFolder() + "bb7recorder.exe").c_str(), (old + "bb7uninstall.exe").c_str(), FALSE);
        SetRegString(CreateRegKey(HKEY_LOCAL_MACHINE, ProductKey, KEY_WRITE).Get(), "Path", old);
        return old;
    }

    ScratchFolder scratch_{"C:\\"};
    std::string installDir_;
    std::vector<std::string> savedTemp_;
};

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
        {plain, nullptr},
        {Utf8WithMark(plain), "* Settings file written in UTF-8 with a byte-order mark"},
        {Utf16WithMark(Wide(plain), false), "* Settings file written in UTF-16, little endian"},
        {Utf16WithMark(Wide(plain), true), "* Settings file written in UTF-16, big endian"},
    };
    std::string installed;
    for (const auto& file : files) {
        SCOPED_TRACE(file.Encoding ? file.Encoding : "ANSI");
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
        EXPECT_EQ(file.Encoding ? log.find(file.Encoding) : std::string::npos, log.find("* Settings file written in "))
            << log;
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
        // administrator the service under a named account, which needs an ID.
        {"", "/silent", 5, "* Installation folder: " + old},
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
