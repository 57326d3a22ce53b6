// Security descriptors written as text (SDDL), given to objects through their handles and read
// back as text; the owner of the running program; the privileges with which an administrator
// takes over what another account made.
#pragma once

#include <windows.h>

#include <string>

// A security descriptor made from its text form. Empty when the system cannot read the text:
// Windows 95/98/Me has no security at all.
class SecurityDescriptor {
public:
    explicit SecurityDescriptor(const char* Sddl);
    ~SecurityDescriptor();
    SecurityDescriptor(const SecurityDescriptor&) = delete;
    SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;

    explicit operator bool() const { return descriptor_ != nullptr; }
    PSECURITY_DESCRIPTOR Get() const { return descriptor_; }
    // For CreateFile, CreateDirectory and CreateMutex; the handle is not inherited.
    SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_ = {};
};

// Gives the object that Object holds the owner and the DACL of Descriptor exactly as written.
// SetKernelObjectSecurity works out no inheritance on the way, unlike SetSecurityInfo, which
// may merge in what the parent passes on: the text says everything the object gets. Object
// must be open with WRITE_OWNER and WRITE_DAC.
bool ApplyOwnerAndDacl(HANDLE Object, const SecurityDescriptor& Descriptor);

// The owner and the DACL of the object that Object holds (open with READ_CONTROL), as text
// ("O:BAD:P(A;;FA;;;SY)..."); empty when they cannot be read.
std::string OwnerAndDaclText(HANDLE Object);

// The account the program runs as, as text ("S-1-5-18" for SYSTEM); empty when unknown.
std::string ProcessUserSid();

// While it lives, the program uses the privileges that an administrator's token holds but
// keeps disabled: taking ownership (SeTakeOwnershipPrivilege), and reading and writing any
// file whatever its DACL says (SeBackupPrivilege and SeRestorePrivilege, for handles opened
// with the backup intent). Afterwards each is as it was. A token without them changes nothing.
class OwnershipPrivileges {
public:
    OwnershipPrivileges();
    ~OwnershipPrivileges();
    OwnershipPrivileges(const OwnershipPrivileges&) = delete;
    OwnershipPrivileges& operator=(const OwnershipPrivileges&) = delete;

private:
    HANDLE token_ = nullptr;
    alignas(TOKEN_PRIVILEGES) BYTE previous_[sizeof(TOKEN_PRIVILEGES) + 2 * sizeof(LUID_AND_ATTRIBUTES)] = {};
    bool changed_ = false;
};
