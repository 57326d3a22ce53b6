#include "FolderStep.h"

#include <windows.h>

#include <sddl.h>

#include "BriCommon.h"
#include "BriErrors.h"
#include "Common_Custom.h"
#include "Product.h"
#include "Registry.h"
#include "WinHandles.h"

namespace {

// The system's Program Files folders: a 32-bit program's own, and on 64-bit Windows the other.
std::vector<std::string> ProgramFilesFolders()
{
    std::vector<std::string> folders;
    for (const char* value : {ProgramFilesDirValue, ProgramW6432DirValue})
        if (auto folder = ReadKeyString(HKEY_LOCAL_MACHINE, CurrentVersionKeyPath, value))
            folders.push_back(*folder);
    return folders;
}

// Creates Folder and what is missing above it. A folder made outside Program Files gets the
// protection Program Files would have given it, and the log file names it.
bool CreateInstallationFolder(const std::string& Folder, InstallSink& Sink)
{
    if (!NeedsOwnProtection(Folder, ProgramFilesFolders()))
        return CreateFolderPath(Folder);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(ProtectedFolderSddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false; // never made open to everybody instead
    struct Free {
        PSECURITY_DESCRIPTOR Descriptor;
        ~Free() { LocalFree(Descriptor); }
    } free{descriptor};
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    std::string created;
    const bool made = CreateFolderPath(Folder, &security, &created);
    if (!created.empty())
        Sink.Note("Folder protected against changes by ordinary users: " + created);
    return made;
}

std::nullopt_t RefuseFolder(const FolderRequest& Request, InstallSink& Sink)
{
    Sink.Inform("Couldn't create the directory " + Request.Folder);
    Sink.FolderRefused();
    return std::nullopt;
}

} // namespace

bool WindowsFolderName(const std::string& Text, std::string& Folder)
{
    // A relative text would name a folder below whatever the current folder happens to be.
    if (!IsFullFolderPath(Text))
        return false;
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetFullPathNameA(Text.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0)
            return false;
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length); // the size asked for, with its closing NUL
    }
    // GetFullPathNameA gives reserved names such as "CON" as devices ("\\.\CON").
    Folder = TidyFolderPath(full);
    return IsFullFolderPath(Folder);
}

std::optional<std::string> PrepareFolder(const FolderRequest& Request, InstallSink& Sink)
{
    // Windows drops blanks and full stops at the end of a name and reads "/" as "\": what is
    // created, copied and recorded is the folder as Windows names it, decided once, here. An
    // empty box goes on to the folder helper, whose error says so.
    std::string folder;
    if (!Request.Folder.empty() && !WindowsFolderName(Request.Folder, folder))
        return RefuseFolder(Request, Sink);
    if (Request.OldVersionFound) {
        Sink.Status(UninstallingOldVersion);
        Sink.ProcessMessages();
        UninstallOldVersion(Request, Sink);
    }
    if (FolderExists(folder))
        return folder;
    bool created = false;
    try {
        created = CreateInstallationFolder(folder, Sink);
    } catch (...) {
        Sink.FolderRefused();
        throw;
    }
    if (!created)
        return RefuseFolder(Request, Sink);
    return folder;
}

void UninstallOldVersion(const FolderRequest& Request, InstallSink& Sink)
{
    Sink.Busy(true);
    Sink.OldVersionRemoval(true);
    struct Restore {
        InstallSink& Sink;
        ~Restore()
        {
            Sink.OldVersionRemoval(false);
            Sink.Busy(false);
        }
    } restore{Sink};
    RunAndWait(OldUninstallerCommandLine(Request.OldInstallDir, Request.AutoMode));
}

void RunAndWait(const std::string& CommandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info = {};
    std::string commandLine = CommandLine; // CreateProcessA may write into it
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info)) {
        const DWORD error = GetLastError();
        throw EOSError(error, SysErrorMessage(error));
    }
    ObjectHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
}
