// The service manager's view of a service, as the tests read it.
#pragma once

#include <windows.h>

#include <string>

#include "WinHandles.h"

// What the service manager holds about a service; Exists false when there is no such service.
struct ServiceFacts {
    bool Exists = false;
    std::string Command, Account;
    DWORD StartType = 0, State = 0, ProcessId = 0;
};
inline ServiceFacts QueryService(const std::string& Name)
{
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service(OpenServiceA(manager.Get(), Name.c_str(), SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS));
    alignas(QUERY_SERVICE_CONFIGA) char config[8192];
    auto* facts = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(config);
    SERVICE_STATUS_PROCESS status = {};
    DWORD size = 0;
    if (!QueryServiceConfigA(service.Get(), facts, sizeof(config), &size) ||
        !QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                              &size))
        return {};
    return {true,
            facts->lpBinaryPathName,
            facts->lpServiceStartName,
            facts->dwStartType,
            status.dwCurrentState,
            status.dwProcessId};
}
