#include "SecurityDescriptor_win.h"

#include <sddl.h>

#include <vector>

#include "WinHandles.h"

SecurityDescriptor::SecurityDescriptor(const char* Sddl)
{
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(Sddl, SDDL_REVISION_1, &descriptor_, nullptr))
        descriptor_ = nullptr;
    attributes_ = {sizeof attributes_, descriptor_, FALSE};
}

SecurityDescriptor::~SecurityDescriptor()
{
    if (descriptor_)
        LocalFree(descriptor_);
}

bool ApplyOwnerAndDacl(HANDLE Object, const SecurityDescriptor& Descriptor)
{
    return Descriptor &&
           SetKernelObjectSecurity(Object, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, Descriptor.Get());
}

std::string OwnerAndDaclText(HANDLE Object)
{
    const SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetKernelObjectSecurity(Object, parts, nullptr, 0, &needed);
    if (needed == 0)
        return "";
    std::vector<BYTE> descriptor(needed);
    char* text = nullptr;
    if (!GetKernelObjectSecurity(Object, parts, descriptor.data(), needed, &needed) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.data(), SDDL_REVISION_1, parts, &text,
                                                              nullptr))
        return "";
    std::string result = text;
    LocalFree(text);
    return result;
}

std::string ProcessUserSid()
{
    ObjectHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) {
        token.Release();
        return "";
    }
    DWORD needed = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &needed);
    std::vector<BYTE> user(needed ? needed : 1);
    char* text = nullptr;
    if (!needed || !GetTokenInformation(token.Get(), TokenUser, user.data(), needed, &needed) ||
        !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text))
        return "";
    std::string result = text;
    LocalFree(text);
    return result;
}

OwnershipPrivileges::OwnershipPrivileges()
{
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_)) {
        token_ = nullptr;
        return;
    }
    alignas(TOKEN_PRIVILEGES) BYTE buffer[sizeof previous_] = {};
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer);
    for (const char* name : {SE_TAKE_OWNERSHIP_NAME, SE_BACKUP_NAME, SE_RESTORE_NAME}) {
        LUID_AND_ATTRIBUTES& entry = privileges->Privileges[privileges->PrivilegeCount];
        if (LookupPrivilegeValueA(nullptr, name, &entry.Luid)) {
            entry.Attributes = SE_PRIVILEGE_ENABLED;
            ++privileges->PrivilegeCount;
        }
    }
    DWORD size = 0;
    // Succeeds also when the token lacks some of them (ERROR_NOT_ALL_ASSIGNED): PreviousState
    // then lists only those whose state changed, and only those are put back.
    changed_ =
        privileges->PrivilegeCount > 0 && AdjustTokenPrivileges(token_, FALSE, privileges, sizeof previous_,
                                                                reinterpret_cast<TOKEN_PRIVILEGES*>(previous_), &size);
}

OwnershipPrivileges::~OwnershipPrivileges()
{
    if (changed_)
        AdjustTokenPrivileges(token_, FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(previous_), 0, nullptr, nullptr);
    if (token_)
        CloseHandle(token_);
}
