#include "SingleInstance.h"

#include <windows.h>

#include <string>

#include "SecurityDescriptor_win.h"

const char* const AlreadyRunningMessage = "Brisel Backup 7 Setup is already running.";
const char* const MachineLockSddl = "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";

namespace {

const char* const LockFileName = "Bb7Setup.lock";

// A named mutex in the session's namespace: anybody in the session may create one of that name
// first, so it serves only where the machine's lock cannot be had.
bool ClaimSessionLock()
{
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, "Local\\BriselBackup7Setup");
    return !(mutex && GetLastError() == ERROR_ALREADY_EXISTS);
}

} // namespace

std::string MachineLockPath()
{
    // The system's own Windows folder, which every session shares (GetWindowsDirectory gives a
    // folder of each user's own under Terminal Services to programs that do not declare that
    // they know about it).
    char folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemWindowsDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return "";
    std::string path = folder;
    return (path.back() == '\\' ? path : path + '\\') + LockFileName;
}

SingleInstance ClaimSingleInstance()
{
    // Nothing on Windows 95/98/Me keeps others out of a file: one installer per session there.
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) && version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return ClaimSessionLock() ? SingleInstance::Claimed : SingleInstance::AnotherCopy;

    // One installer per machine: a file in the Windows folder, where only administrators may
    // create one, made for SYSTEM and the Administrators alone and held open without sharing
    // until the program ends, however it ends (the system closes the handle, and the file goes
    // with it). A second installer cannot open it; nobody without administrator rights can make
    // it or open it first. Left behind by a power cut, it is taken over by the next installer.
    SecurityDescriptor security(MachineLockSddl);
    const std::string path = MachineLockPath();
    const HANDLE lock =
        path.empty()
            ? INVALID_HANDLE_VALUE
            : CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, security.Attributes(), OPEN_ALWAYS,
                          FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (lock != INVALID_HANDLE_VALUE)
        return SingleInstance::Claimed; // the handle stays open until the program ends
    if (GetLastError() == ERROR_SHARING_VIOLATION)
        return SingleInstance::AnotherCopy;
    // No administrator rights (a program that may not write the Windows folder): such a run
    // changes nothing that is not its user's own, and keeps to its session.
    return ClaimSessionLock() ? SingleInstance::Claimed : SingleInstance::AnotherCopy;
}
