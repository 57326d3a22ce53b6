// BriNT.dll: the product's service library. The installer loads it from the unpacked product
// and calls its three exports to let an account run services, to register the product's
// service and to start it. Every result is what the system reported: non-zero only when the
// system did what was asked.
#include <windows.h>

#include <ntsecapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Product.h"
#include "ServiceControl.h"
#include "WinHandles.h"

namespace {

const DWORD StartTimeoutMs = 30000;

// ".\name" names an account of this computer; LookupAccountName does not know the "." domain.
std::string WithoutLocalPrefix(const std::string& Account)
{
    return Account.size() > 2 && Account.compare(0, 2, ".\\") == 0 ? Account.substr(2) : Account;
}

// The account's security identifier; empty when the system does not know the account.
std::vector<BYTE> AccountSid(const std::string& Account)
{
    DWORD sidSize = 0, domainSize = 0;
    SID_NAME_USE use;
    LookupAccountNameA(nullptr, Account.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
    if (sidSize == 0)
        return {};
    std::vector<BYTE> sid(sidSize);
    std::string domain(domainSize + 1, '\0');
    if (!LookupAccountNameA(nullptr, Account.c_str(), sid.data(), &sidSize, &domain[0], &domainSize, &use))
        return {};
    return sid;
}

} // namespace

extern "C" int32_t __stdcall AddLogonAsAService(const char* AccountName)
{
    if (!AccountName || !*AccountName)
        return 0;
    std::vector<BYTE> sid = AccountSid(WithoutLocalPrefix(AccountName));
    if (sid.empty())
        return 0;

    LSA_OBJECT_ATTRIBUTES attributes = {};
    LsaHandle policy;
    if (LsaOpenPolicy(nullptr, &attributes, POLICY_LOOKUP_NAMES | POLICY_CREATE_ACCOUNT, policy.Receive()) != 0) {
        policy.Release(); // a failed call may leave garbage in the output handle
        return 0;
    }
    // LsaAddAccountRights adds the right to those the account holds; holding it already is no error.
    wchar_t right[] = L"SeServiceLogonRight";
    LSA_UNICODE_STRING rights;
    rights.Buffer = right;
    rights.Length = static_cast<USHORT>(sizeof(right) - sizeof(wchar_t));
    rights.MaximumLength = static_cast<USHORT>(sizeof(right));
    return LsaAddAccountRights(policy.Get(), sid.data(), &rights, 1) == 0 ? 1 : 0;
}

extern "C" int32_t __stdcall InstallAService(const char* ServiceName, const char* DisplayName, const char* InstallDir,
                                             const char* AccountName, const char* Password, uint32_t AccountKind)
{
    // Only the low byte of the account kind is defined: 0 LocalSystem, 1 the named account.
    const uint8_t kind = static_cast<uint8_t>(AccountKind & 0xFF);
    if (!ServiceName || !*ServiceName || !DisplayName || !InstallDir || !*InstallDir || kind > 1)
        return 0;
    // Windows' CreateService refuses an account that does not exist (ERROR_INVALID_SERVICE_ACCOUNT),
    // Wine's accepts any name: the account is looked up here, so that both fail alike.
    if (kind == 1 && (!AccountName || AccountSid(WithoutLocalPrefix(AccountName)).empty()))
        return 0;

    std::string folder = InstallDir;
    if (folder.back() != '\\')
        folder += '\\';
    // Quoted, so that a folder with blanks ("C:\Program Files\...") is not split at the first one.
    const std::string command = '"' + folder + ServiceProgram + '"';
    const char* account = kind == 1 ? AccountName : nullptr; // none: LocalSystem
    const char* password = kind == 1 ? (Password ? Password : "") : nullptr;

    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        return 0;
    ServiceHandle service(CreateServiceA(manager.Get(), ServiceName, DisplayName, SERVICE_QUERY_STATUS,
                                         SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                         command.c_str(), nullptr, nullptr, nullptr, account, password));
    if (service)
        return 1;
    if (GetLastError() != ERROR_SERVICE_EXISTS)
        return 0;

    // A service of that name is registered already (an earlier installation that was not
    // removed): it takes this installation's program, names and account. ChangeServiceConfig
    // keeps the old account when none is given, so LocalSystem is named, with an empty password.
    service.Reset(OpenServiceA(manager.Get(), ServiceName, SERVICE_CHANGE_CONFIG));
    if (!service)
        return 0;
    return ChangeServiceConfigA(service.Get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                command.c_str(), nullptr, nullptr, nullptr, kind == 1 ? account : "LocalSystem",
                                kind == 1 ? password : "", DisplayName)
               ? 1
               : 0;
}

extern "C" int32_t __stdcall StartAService(const char* ServiceName)
{
    if (!ServiceName || !*ServiceName)
        return 0;
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return 0;
    ServiceHandle service(OpenServiceA(manager.Get(), ServiceName, SERVICE_START | SERVICE_QUERY_STATUS));
    if (!service)
        return 0;
    if (!StartServiceA(service.Get(), 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
        return 0;
    return WaitWhileServiceState(service.Get(), SERVICE_START_PENDING, StartTimeoutMs) == SERVICE_RUNNING ? 1 : 0;
}
