#include "ServiceControl.h"

#include <vector>

#include "Product.h"
#include "WinHandles.h"

DWORD ServiceState(SC_HANDLE Service)
{
    SERVICE_STATUS status = {};
    return QueryServiceStatus(Service, &status) ? status.dwCurrentState : 0;
}

DWORD WaitWhileServiceState(SC_HANDLE Service, DWORD Pending, DWORD TimeoutMs)
{
    // Windows XP has no notification of a service's state changes (NotifyServiceStatusChange
    // came with Vista): the state is read again at short intervals. A question to the service
    // manager costs far less than a millisecond, and most services start or stop within a few
    // tens of them: a wait that rounds up to a longer interval would be mostly idle.
    const DWORD interval = 10;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD state = ServiceState(Service);
        if (state != Pending || GetTickCount() - start >= TimeoutMs)
            return state;
        Sleep(interval);
    }
}

ServiceRemoval StopAndDeleteService(const char* Name, DWORD TimeoutMs)
{
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return ServiceRemoval::NoManager;
    ServiceHandle service(OpenServiceA(manager.Get(), Name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service)
        return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? ServiceRemoval::Absent : ServiceRemoval::NotDeleted;

    // The service's process is waited for too: it may still hold its program file for a moment
    // after it has reported that it stopped.
    SERVICE_STATUS_PROCESS status = {};
    DWORD size = 0;
    ObjectHandle process;
    if (QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                             &size) &&
        status.dwProcessId != 0)
        process.Reset(OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId));

    DWORD state = ServiceState(service.Get());
    if (state == SERVICE_START_PENDING) // a stop request is refused until the service runs
        state = WaitWhileServiceState(service.Get(), SERVICE_START_PENDING, TimeoutMs);
    if (state != SERVICE_STOPPED && state != SERVICE_STOP_PENDING) {
        SERVICE_STATUS stopped = {};
        ControlService(service.Get(), SERVICE_CONTROL_STOP, &stopped);
    }
    state = WaitWhileServiceState(service.Get(), SERVICE_STOP_PENDING, TimeoutMs);
    const bool stopped = state == SERVICE_STOPPED;
    if (stopped && process)
        WaitForSingleObject(process.Get(), TimeoutMs);

    // A running service is deleted as soon as it stops; until then it is only marked for deletion.
    if (!DeleteService(service.Get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE)
        return ServiceRemoval::NotDeleted;
    return stopped ? ServiceRemoval::Removed : ServiceRemoval::DidNotStop;
}

namespace {

// EnumWindows callback: posts WM_CLOSE to a window of the product's programs and keeps a
// handle of its process to wait for.
BOOL CALLBACK AskProductWindowToClose(HWND Window, LPARAM Processes)
{
    char className[64] = {};
    GetClassNameA(Window, className, sizeof(className));
    if (lstrcmpA(className, ApplicationWindowClass) != 0 && lstrcmpA(className, InterfaceWindowClass) != 0)
        return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(Window, &processId);
    if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId))
        reinterpret_cast<std::vector<HANDLE>*>(Processes)->push_back(process);
    // Posted: a program that does not answer must not hold the caller.
    PostMessageA(Window, WM_CLOSE, 0, 0);
    return TRUE;
}

} // namespace

void CloseProductPrograms(DWORD TimeoutMs)
{
    std::vector<HANDLE> processes;
    EnumWindows(AskProductWindowToClose, reinterpret_cast<LPARAM>(&processes));

    const DWORD start = GetTickCount();
    for (HANDLE process : processes) {
        const DWORD spent = GetTickCount() - start;
        WaitForSingleObject(process, spent < TimeoutMs ? TimeoutMs - spent : 0);
        CloseHandle(process);
    }
}
