// IsAdministrator: the built-in Administrators group in the caller's security token.
#include "BriCommon.h"

#include <vector>

#include "WinHandles.h"

namespace {

// The token of the thread when it impersonates someone, else the token of the process.
ObjectHandle OpenCallerToken()
{
    ObjectHandle token;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.Receive()))
        return token;
    token.Release();
    if (GetLastError() != ERROR_NO_TOKEN)
        return token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
        token.Release();
    return token;
}

// The token's group list in a buffer of the size the system asks for: a token with many
// groups does not fit a fixed buffer, and its owner must not be taken for a normal user.
std::vector<BYTE> ReadTokenGroups(HANDLE Token)
{
    std::vector<BYTE> buffer(1024);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD needed = 0;
        if (GetTokenInformation(Token, TokenGroups, buffer.data(), static_cast<DWORD>(buffer.size()), &needed))
            return buffer;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
            break;
        buffer.resize(needed); // the list may change between calls, hence the retries
    }
    return {};
}

struct SidTraits {
    using Handle = PSID;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { FreeSid(h); }
};
using AllocatedSid = UniqueHandle<SidTraits>;

} // namespace

bool IsAdministrator()
{
    std::vector<BYTE> buffer;
    {
        ObjectHandle token = OpenCallerToken();
        if (!token)
            return false;
        buffer = ReadTokenGroups(token.Get());
    }
    if (buffer.empty())
        return false;

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    AllocatedSid administrators;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, administrators.Receive()))
        return false;

    // Deny-only and disabled groups count too: the question is membership, not the rights in force.
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, administrators.Get()))
            return true;
    return false;
}
