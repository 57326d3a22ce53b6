// Waiting for a service of the service control manager to leave a pending state.
#pragma once

#include <windows.h>

// Reads the service's state until it is no longer Pending (SERVICE_START_PENDING,
// SERVICE_STOP_PENDING...) or TimeoutMs have passed, and returns the last state read; 0 when
// the status cannot be read. The handle needs SERVICE_QUERY_STATUS.
DWORD WaitWhileServiceState(SC_HANDLE Service, DWORD Pending, DWORD TimeoutMs);

// The service's current state, 0 when it cannot be read.
DWORD ServiceState(SC_HANDLE Service);
