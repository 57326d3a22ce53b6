#include "LogFilePlace.h"

#include <windows.h>

#include "BriCommon.h"
#include "WidePaths.h"
#include "WinHandles.h"

namespace {

// Every folder above the file, from the drive's root (or the share) down; what exists stays.
void MakeFoldersAbove(const std::wstring& FullPath)
{
    const size_t first =
        FullPath.compare(0, 2, L"\\\\") == 0 ? FullPath.find(L'\\', FullPath.find(L'\\', 2) + 1) : FullPath.find(L'\\');
    for (size_t at = FullPath.find(L'\\', first + 1); first != std::wstring::npos && at != std::wstring::npos;
         at = FullPath.find(L'\\', at + 1))
        CreateDirectoryW(ExtendedLengthPath(FullPath.substr(0, at)).c_str(), nullptr);
}

// The system's error that keeps a log file from FullPath; ERROR_SUCCESS when a file can be
// made beside it (the log is written under a new name, then renamed over its own) and what
// stands at its name can be replaced.
DWORD LogFileProblem(const std::wstring& FullPath)
{
    const std::wstring probe = FullPath + L"." + std::to_wstring(GetCurrentProcessId()) + L".probe";
    FileHandle made(CreateFileW(ExtendedLengthPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!made && GetLastError() != ERROR_FILE_EXISTS)
        return GetLastError();
    const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(FullPath).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ERROR_SUCCESS;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    FileHandle existing(CreateFileW(ExtendedLengthPath(FullPath).c_str(), DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return existing ? ERROR_SUCCESS : GetLastError();
}

} // namespace

std::string RefusalOfLogFile(const CommandLineOptions& Options)
{
    if (Options.LogFile.empty())
        return std::string();
    const std::wstring log = WidePath(Options.LogFile);
    const std::string refused = "The log file " + Options.LogFile + " ";
    if (SameFile(log, SettingsFileBesideProgram()) ||
        (!Options.SettingsFile.empty() && SameFile(log, WidePath(Options.SettingsFile))))
        return refused + "is a settings file, which the log would replace: give another /log=PATH";
    if (SameFile(log, OwnProgramPath()))
        return refused + "is the installer itself: give another /log=PATH";
    const std::wstring full = FullWidePath(log);
    MakeFoldersAbove(full);
    const DWORD problem = LogFileProblem(full);
    if (problem != ERROR_SUCCESS)
        return refused + "cannot be written: " + SysErrorMessage(problem);
    return std::string();
}

void WriteToStandardError(const std::string& Text)
{
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    const std::string line = "Bb7Setup.exe: " + Text + "\r\n";
    DWORD written = 0;
    WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
