#include <gtest/gtest.h>

#include "BriCommon.h"
#include "WinHandles.h"

namespace {

TEST(IsAdministrator, TheWineUserIsAnAdministrator)
{
    EXPECT_TRUE(IsAdministrator());
}

// Membership is what counts: a thread impersonating a token in which the Administrators
// group is deny-only is still an administrator's (the system's own membership test says no).
TEST(IsAdministrator, DenyOnlyGroupInTheThreadTokenCounts)
{
    ObjectHandle process, restricted, impersonation;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, process.Receive()));
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                             &administrators);
    SID_AND_ATTRIBUTES disabled = {administrators, 0};
    const bool made =
        CreateRestrictedToken(process.Get(), 0, 1, &disabled, 0, nullptr, 0, nullptr, restricted.Receive()) &&
        DuplicateTokenEx(restricted.Get(), TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenImpersonation,
                         impersonation.Receive());
    FreeSid(administrators);
    ASSERT_TRUE(made && SetThreadToken(nullptr, impersonation.Get()));
    const bool administrator = IsAdministrator();
    RevertToSelf();
    EXPECT_TRUE(administrator);
}

} // namespace
