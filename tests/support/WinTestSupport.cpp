#include "WinTestSupport.h"

#include <aclapi.h>
#include <sddl.h>

#include <fstream>
#include <iterator>
#include <thread>

bool WaitUntil(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout)
{
    const auto end = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
        if (Condition())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string UniqueTestName(const std::string& Prefix)
{
    static unsigned counter = 0;
    return Prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
           std::to_string(++counter);
}

void RemoveTree(const std::string& Path)
{
    std::string folder = Path;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    if (IsLink(folder)) {
        RemoveHostLink(folder);
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = found.cFileName, path = folder + "\\" + name;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    RemoveDirectoryA(folder.c_str());
}

void RemoveTreeWide(const std::wstring& Path)
{
    // The extended form "\\?\C:\..." takes paths beyond MAX_PATH.
    const std::wstring folder = Path.compare(0, 4, L"\\\\?\\") == 0 ? Path : L"\\\\?\\" + Path;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::wstring name = found.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L"..")
            continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            RemoveTreeWide(path);
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveDirectoryW(path.c_str()); // a link itself, never what it leads to
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    RemoveDirectoryW(folder.c_str());
}

std::string HostPath(const std::string& Path)
{
    using UnixNameProc = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixNameProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH] = {};
    if (!unixName || !MultiByteToWideChar(CP_ACP, 0, Path.c_str(), -1, wide, MAX_PATH))
        return std::string();
    char* name = unixName(wide);
    if (!name)
        return std::string();
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Starts a program of the host (Wine starts ELF programs too). Wine does not follow such a
// process to its end: callers wait for what it does.
void StartHostProgram(const std::string& CommandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = CommandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

namespace {

// The host's name of a Windows path, through Wine's own export.
std::string HostPathWide(const std::wstring& Path)
{
    using UnixNameProc = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixNameProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(Path.c_str()) : nullptr;
    if (!name)
        return std::string();
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool HostEntryPresent(const std::string& Link)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Link.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

} // namespace

bool MakeHostLink(const std::string& Target, const std::string& Link)
{
    std::string target = Target, link = Link;
    while (target.size() > 3 && target.back() == '\\')
        target.pop_back();
    while (link.size() > 3 && link.back() == '\\')
        link.pop_back();
    const std::string hostTarget = HostPath(target), hostLink = HostPath(link);
    if (hostTarget.empty() || hostLink.empty())
        return false;
    StartHostProgram("Z:\\bin\\ln -s -n \"" + hostTarget + "\" \"" + hostLink + "\"");
    return WaitUntil([&] { return HostEntryPresent(link); }, std::chrono::seconds(10));
}

void RemoveHostLink(const std::string& Link)
{
    std::string link = Link;
    while (link.size() > 3 && link.back() == '\\')
        link.pop_back();
    const std::string hostLink = HostPath(link);
    if (hostLink.empty())
        return;
    StartHostProgram("Z:\\bin\\rm -f \"" + hostLink + "\"");
    WaitUntil([&] { return !HostEntryPresent(link); }, std::chrono::seconds(10));
}

bool StartThroughWineLoader(const std::wstring& Exe, const std::vector<std::string>& Arguments)
{
    const std::string hostExe = HostPathWide(Exe);
    if (hostExe.empty())
        return false;
    // The shell takes each argument in single quotes, backslashes and blanks as they are; the
    // environment (WINEPREFIX, PATH) is the test's.
    std::string command = "exec wine '" + hostExe + "'";
    for (const std::string& argument : Arguments)
        command += " '" + argument + "'";
    StartHostProgram("Z:\\bin\\sh -c \"" + command + "\"");
    return true;
}

bool IsLink(const std::string& Path)
{
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string SecurityText(const std::string& Path)
{
    const SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(Path.c_str(), SE_FILE_OBJECT, parts, nullptr, nullptr, nullptr, nullptr, &descriptor) !=
        ERROR_SUCCESS)
        return "";
    char* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, parts, &text, nullptr);
    const std::string result = text ? text : "";
    LocalFree(text);
    LocalFree(descriptor);
    return result;
}

bool LetEverybodyChange(const std::string& Path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    const bool changed = SetNamedSecurityInfoA(const_cast<char*>(Path.c_str()), SE_FILE_OBJECT,
                                               DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                                               nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return changed;
}

bool FolderPresent(const std::string& Path)
{
    const DWORD a = GetFileAttributesA(Path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FilePresent(const std::string& Path)
{
    const DWORD a = GetFileAttributesA(Path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& Path)
{
    std::ifstream file(Path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& Path, const std::string& Data)
{
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << Data;
}

std::string WindowText(HWND Window)
{
    char text[4096] = "";
    // WM_GETTEXT is marshalled between processes; GetWindowText would not ask the other process.
    SendMessageA(Window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

char MissingDriveLetter()
{
    char letter = 'Y';
    while (letter > 'D' && GetFileAttributesA((std::string(1, letter) + ":\\").c_str()) != INVALID_FILE_ATTRIBUTES)
        --letter;
    return letter;
}

std::string TempFolder()
{
    char path[MAX_PATH + 1] = {};
    GetTempPathA(sizeof path, path);
    return path;
}

std::string OwnFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

ScratchFolder::ScratchFolder(const std::string& Base) : path_(Base + UniqueTestName("bb7test"))
{
    CreateDirectoryA(path_.c_str(), nullptr);
}
