// The fixture of the end-to-end tests of silent runs: the installer gets a temporary folder of
// its own, a settings file beside it, a watch on its windows while it runs, and the means to
// read what an installation leaves.
#pragma once

#include <shlobj.h>
#include <tlhelp32.h>

#include <atomic>
#include <map>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "BriCommon.h"
#include "InstallationTraces.h"
#include "ProductTestSupport.h"
#include "Registry.h"
#include "Sha256.h"
#include "WizardFixture.h"

namespace wizardtest {

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
inline std::map<std::string, std::string> Files(const std::string& Folder, const std::string& Relative = "")
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

inline std::string Changes(const std::map<std::string, std::string>& Before, const std::map<std::string, std::string>& After)
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
inline std::string DescribeInstallation(const std::string& InstallDir)
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

inline std::string Lowered(std::string Text)
{
    for (char& c : Text)
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    return Text;
}

// Every running process, as the system's snapshot lists it.
inline std::vector<PROCESSENTRY32> RunningProcesses()
{
    std::vector<PROCESSENTRY32> all;
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 process = {};
    process.dwSize = sizeof process;
    for (bool more = Process32First(snapshot.Get(), &process); more; more = Process32Next(snapshot.Get(), &process))
        all.push_back(process);
    return all;
}

// The running processes of the product's programs, by the names the manifest gives them, sorted.
inline std::string ProductProcesses()
{
    std::map<std::string, std::string> programs; // by the name in lower case
    for (const std::string& line : SplitTextLines(ReadWholeFile(StagedProduct() + "bb7setup.dat"))) {
        const std::string name = line.substr(line.find_last_of('\\') + 1);
        if (name.size() > 4 && Lowered(name.substr(name.size() - 4)) == ".exe")
            programs[Lowered(name)] = name;
    }
    std::multiset<std::string> running;
    for (const PROCESSENTRY32& process : RunningProcesses()) {
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
inline std::wstring Wide(const std::string& Ansi)
{
    std::wstring wide(Ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, Ansi.data(), int(Ansi.size()), &wide[0], int(wide.size())));
    return wide;
}
inline std::string Utf8WithMark(const std::string& Ansi) // Windows PowerShell: Set-Content -Encoding UTF8
{
    const std::wstring wide = Wide(Ansi);
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0], int(utf8.size()), nullptr, nullptr));
    return "\xEF\xBB\xBF" + utf8;
}
inline std::string Utf16WithMark(const std::wstring& Text, bool BigEndian) // Out-File, ">", Notepad's "Unicode"
{
    std::string bytes = BigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t c : Text) {
        const char high = char(c >> 8), low = char(c & 0xFF);
        bytes += BigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// A copy of the installer Exe named Bb7Setup98.exe beside it, which Wine runs as Windows 98 (its
// configuration gives a version for one program name) while this object lives.
class Windows98Copy {
public:
    explicit Windows98Copy(const std::string& Exe) : exe_(Exe.substr(0, Exe.find_last_of('\\') + 1) + "Bb7Setup98.exe")
    {
        EXPECT_TRUE(CopyFileA(Exe.c_str(), exe_.c_str(), FALSE));
        SetRegString(CreateRegKey(HKEY_CURRENT_USER, AppDefaults, KEY_WRITE).Get(), "Version", "win98");
    }
    ~Windows98Copy() { RegDeleteKeyA(HKEY_CURRENT_USER, AppDefaults); }
    Windows98Copy(const Windows98Copy&) = delete;
    Windows98Copy& operator=(const Windows98Copy&) = delete;
    const std::string& Exe() const { return exe_; }

private:
    static constexpr const char* AppDefaults = "Software\\Wine\\AppDefaults\\Bb7Setup98.exe";
    std::string exe_;
};

class SilentFixture : public WizardFixture {
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

} // namespace wizardtest
