#include "PrivateFolder.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "WinHandles.h"

const char* const PrivateFolderSddl = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

namespace {

// The rights that change a folder, what it holds, or who may do so.
const ACCESS_MASK ChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                   FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                   GENERIC_ALL;

bool IsTrusted(PSID Sid, PSID Self)
{
    return Sid && (IsWellKnownSid(Sid, WinLocalSystemSid) || IsWellKnownSid(Sid, WinBuiltinAdministratorsSid) ||
                   (Self && EqualSid(Sid, Self)));
}

// The SID of the account this process runs as.
std::vector<BYTE> ProcessUser()
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return {};
    ObjectHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    std::vector<BYTE> copy(GetLengthSid(sid));
    CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
    return copy;
}

bool IsLinkOrFile(const std::string& Path)
{
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Lets this process take the ownership of what another account owns: Administrators hold the
// privilege, but it is off until asked for.
void EnableTakeOwnership()
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
        return;
    ObjectHandle token(raw);
    TOKEN_PRIVILEGES privileges = {1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    if (LookupPrivilegeValueA(nullptr, "SeTakeOwnershipPrivilege", &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

struct LocalDescriptor {
    PSECURITY_DESCRIPTOR Descriptor = nullptr;
    ~LocalDescriptor() { LocalFree(Descriptor); }
};

bool ApplyPrivateDescriptor(const std::string& Folder)
{
    LocalDescriptor wanted;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(PrivateFolderSddl, SDDL_REVISION_1, &wanted.Descriptor,
                                                              nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    GetSecurityDescriptorDacl(wanted.Descriptor, &present, &dacl, &defaulted);
    GetSecurityDescriptorOwner(wanted.Descriptor, &owner, &defaulted);
    EnableTakeOwnership();
    std::string path = Folder;
    return SetNamedSecurityInfoA(&path[0], SE_FILE_OBJECT,
                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                     PROTECTED_DACL_SECURITY_INFORMATION,
                                 owner, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

// Removes everything in Folder (see RemoveTreeWithoutLinks); false when something stays.
bool RemoveContents(const std::string& Folder)
{
    bool removed = true;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((Folder + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            removed = RemoveTreeWithoutLinks(Folder + "\\" + name) && removed;
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return removed;
}

} // namespace

bool OnlyTrustedMayChange(PSECURITY_DESCRIPTOR Descriptor, PSID Self)
{
    BOOL present = FALSE, defaulted = FALSE;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorOwner(Descriptor, &owner, &defaulted) || !IsTrusted(owner, Self) ||
        !GetSecurityDescriptorDacl(Descriptor, &present, &dacl, &defaulted) || !present || !dacl)
        return false; // no DACL at all lets everybody do everything
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry))
            return false;
        const auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue; // a denial takes nothing away from the trusted; inherit-only guards nothing here
        const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        const PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if ((allowed->Mask & ChangingRights) && !IsTrusted(sid, Self))
            return false;
    }
    return true;
}

PrivateFolderState MakePrivateFolder(const std::string& Folder)
{
    LocalDescriptor wanted;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(PrivateFolderSddl, SDDL_REVISION_1, &wanted.Descriptor,
                                                              nullptr))
        return PrivateFolderState::Refused;
    SECURITY_ATTRIBUTES security = {sizeof security, wanted.Descriptor, FALSE};
    if (CreateDirectoryA(Folder.c_str(), &security))
        return PrivateFolderState::Made;
    if (GetLastError() != ERROR_ALREADY_EXISTS || IsLinkOrFile(Folder))
        return PrivateFolderState::Refused;

    std::vector<BYTE> self = ProcessUser();
    PSECURITY_DESCRIPTOR found = nullptr;
    if (GetNamedSecurityInfoA(Folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, &found) == ERROR_SUCCESS) {
        LocalDescriptor held{found};
        if (OnlyTrustedMayChange(found, self.empty() ? nullptr : self.data()))
            return PrivateFolderState::Trusted;
    }
    // Somebody else made it, or may change it: nothing it holds is ours to trust.
    if (!ApplyPrivateDescriptor(Folder) || IsLinkOrFile(Folder))
        return PrivateFolderState::Refused;
    return RemoveContents(Folder) ? PrivateFolderState::TakenOver : PrivateFolderState::Refused;
}

bool RemoveTreeWithoutLinks(const std::string& Path)
{
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(Path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileA(Path.c_str()) != 0;
    // A junction or a link to a folder is removed as the empty folder it is; what it leads to stays.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveDirectoryA(Path.c_str()) != 0;
    const bool emptied = RemoveContents(Path);
    return RemoveDirectoryA(Path.c_str()) && emptied;
}
