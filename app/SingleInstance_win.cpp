#include "SingleInstance.h"

#include <windows.h>

const char* const AlreadyRunningMessage = "Brisel Backup 7 Setup is already running.";

bool ClaimSingleInstance()
{
    // A named mutex in the session's namespace, left to the system to close when the process
    // ends, however it ends.
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, "Local\\BriselBackup7Setup");
    return !(mutex && GetLastError() == ERROR_ALREADY_EXISTS);
}
