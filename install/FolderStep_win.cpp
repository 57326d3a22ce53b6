#include "FolderStep.h"

#include <windows.h>

#include "BriCommon.h"
#include "BriErrors.h"
#include "Common_Custom.h"
#include "WinHandles.h"

bool PrepareFolder(const FolderRequest& Request, InstallSink& Sink)
{
    if (Request.OldVersionFound) {
        Sink.Status(UninstallingOldVersion);
        Sink.ProcessMessages();
        UninstallOldVersion(Request, Sink);
    }
    if (FolderExists(Request.Folder))
        return true;
    bool created = false;
    try {
        created = CreateFolderPath(Request.Folder);
    } catch (...) {
        Sink.EnableFolderNext(true);
        throw;
    }
    if (!created) {
        Sink.Inform("Couldn't create the directory " + Request.Folder);
        Sink.EnableFolderNext(true);
        return false;
    }
    return true;
}

void UninstallOldVersion(const FolderRequest& Request, InstallSink& Sink)
{
    Sink.Busy(true);
    Sink.EnableFolderNext(false);
    struct Restore {
        InstallSink& Sink;
        ~Restore()
        {
            Sink.EnableFolderNext(true);
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
