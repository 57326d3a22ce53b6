#include "ServiceState_win.h"

DWORD ServiceState(SC_HANDLE Service)
{
    SERVICE_STATUS status = {};
    return QueryServiceStatus(Service, &status) ? status.dwCurrentState : 0;
}

DWORD WaitWhileServiceState(SC_HANDLE Service, DWORD Pending, DWORD TimeoutMs)
{
    // Windows XP has no notification of a service's state changes (NotifyServiceStatusChange
    // came with Vista): the state is read again at short intervals.
    const DWORD interval = 50;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD state = ServiceState(Service);
        if (state != Pending || GetTickCount() - start >= TimeoutMs)
            return state;
        Sleep(interval);
    }
}
