// BriService.exe: the product's Windows service. Started by the service control manager, it
// reports that it runs and stops when the manager asks it to.
#include <windows.h>

#include "Product.h"
#include "WinHandles.h"

namespace {

SERVICE_STATUS_HANDLE StatusHandle = nullptr;
HANDLE StopEvent = nullptr;

void ReportState(DWORD State, DWORD ExitCode = NO_ERROR, DWORD WaitHint = 0)
{
    static DWORD checkPoint = 0;
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = State;
    status.dwWin32ExitCode = ExitCode;
    status.dwWaitHint = WaitHint;
    // Stop is offered only while running: before that the stop event does not exist yet.
    status.dwControlsAccepted = State == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    // The check point counts progress through a pending state, and is 0 outside one.
    status.dwCheckPoint = State == SERVICE_RUNNING || State == SERVICE_STOPPED ? 0 : ++checkPoint;
    SetServiceStatus(StatusHandle, &status);
}

DWORD WINAPI ControlHandler(DWORD Control, DWORD, void*, void*)
{
    switch (Control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        ReportState(SERVICE_STOP_PENDING, NO_ERROR, 5000);
        SetEvent(StopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: // the manager asks for the state reported last
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD Argc, char** Argv)
{
    // A service of its own process gets the name it was started under as the first argument.
    const char* name = Argc > 0 && Argv[0] ? Argv[0] : ServiceName;
    StatusHandle = RegisterServiceCtrlHandlerExA(name, ControlHandler, nullptr);
    if (!StatusHandle)
        return;
    ReportState(SERVICE_START_PENDING, NO_ERROR, 3000);
    ObjectHandle stop(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stop) {
        ReportState(SERVICE_STOPPED, GetLastError());
        return;
    }
    StopEvent = stop.Get();
    ReportState(SERVICE_RUNNING);
    WaitForSingleObject(StopEvent, INFINITE);
    ReportState(SERVICE_STOPPED);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char name[64];
    lstrcpynA(name, ServiceName, sizeof(name));
    SERVICE_TABLE_ENTRYA services[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherA(services))
        return 0; // every service of this process has stopped
    if (GetLastError() != ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
        return 1;
    // Started by hand rather than by the service control manager.
    MessageBoxA(nullptr,
                "This program is the Brisel Backup 7 service (BriBackup7). Windows starts it; "
                "it does not run on its own.",
                ServiceDisplayName, MB_OK | MB_ICONINFORMATION);
    return 2;
}
