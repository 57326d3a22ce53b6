// The product's service as the service control manager holds it: its state, waiting for a state
// to pass, and stopping and deleting it. The product's uninstaller and the installer (when it
// puts an earlier version back) share these.
#pragma once

#include <windows.h>

// Reads the service's state until it is no longer Pending (SERVICE_START_PENDING,
// SERVICE_STOP_PENDING...) or TimeoutMs have passed, and returns the last state read; 0 when
// the status cannot be read. The handle needs SERVICE_QUERY_STATUS.
DWORD WaitWhileServiceState(SC_HANDLE Service, DWORD Pending, DWORD TimeoutMs);

// The service's current state, 0 when it cannot be read.
DWORD ServiceState(SC_HANDLE Service);

enum class ServiceRemoval {
    Removed,       // stopped (its process ended) and deleted, or marked for deletion
    Absent,        // there is no service of that name
    NoManager,     // the service control manager refused us
    DidNotStop,    // it was still running after TimeoutMs; it is deleted once it stops
    NotDeleted,    // the manager refused to open or delete it
};
// Stops the service, waits for its process to end, and deletes it.
ServiceRemoval StopAndDeleteService(const char* Name, DWORD TimeoutMs);

// Posts WM_CLOSE to every window of the product's programs (the application's and the
// interface's) and waits up to TimeoutMs in all for their processes to end.
void CloseProductPrograms(DWORD TimeoutMs);
