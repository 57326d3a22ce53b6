#include "UninstallerTrust.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// The rights that change a file or a folder: write or append data (add a file or a folder to
// a folder), delete what is in a folder, delete it, change its permissions or its owner, and
// the generic rights that hold them. Reading, running, and writing attributes change no code.
const uint32_t ChangeRights = 0x2 | 0x4 | 0x40 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;

const char* const TrustedInstallerSid = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

std::string Upper(std::string Text)
{
    for (char& c : Text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return Text;
}

bool IsTrusted(const std::string& Sid, const std::string& TrustedUser)
{
    const std::string sid = Upper(Sid);
    return sid == "SY" || sid == "S-1-5-18" || sid == "BA" || sid == "S-1-5-32-544" || sid == TrustedInstallerSid ||
           (!TrustedUser.empty() && sid == Upper(TrustedUser));
}

// The rights of an ACE: a number ("0x1200a9") or two-letter names ("FA", "CCDCLCSWRPWPDTLOCRSDRCWDWO").
// A name not known here counts as every right.
uint32_t Rights(const std::string& Text)
{
    if (Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X'))
        return static_cast<uint32_t>(std::strtoul(Text.c_str(), nullptr, 16));
    static const struct {
        const char* Name;
        uint32_t Mask;
    } names[] = {{"GA", 0x10000000}, {"GR", 0x80000000}, {"GW", 0x40000000}, {"GX", 0x20000000}, {"RC", 0x20000},
                 {"SD", 0x10000},    {"WD", 0x40000},    {"WO", 0x80000},    {"RP", 0x10},       {"WP", 0x20},
                 {"CC", 0x1},        {"DC", 0x2},        {"LC", 0x4},        {"SW", 0x8},        {"LO", 0x80},
                 {"DT", 0x40},       {"CR", 0x100},      {"FA", 0x1F01FF},   {"FR", 0x120089},   {"FW", 0x120116},
                 {"FX", 0x1200A0},   {"KA", 0xF003F},    {"KR", 0x20019},    {"KW", 0x20006},    {"KX", 0x20019}};
    if (Text.empty() || Text.size() % 2 != 0)
        return 0xFFFFFFFF;
    uint32_t rights = 0;
    for (size_t at = 0; at < Text.size(); at += 2) {
        const std::string name = Upper(Text.substr(at, 2));
        const auto known =
            std::find_if(std::begin(names), std::end(names), [&](const auto& N) { return name == N.Name; });
        rights |= known == std::end(names) ? 0xFFFFFFFF : known->Mask;
    }
    return rights;
}

std::vector<std::string> Fields(const std::string& Ace)
{
    std::vector<std::string> fields(1);
    for (char c : Ace) {
        if (c == ';')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// True when the ACE in its text form ("A;OICI;FA;;;SY") lets somebody not trusted change the object.
bool LetsOthersChange(const std::string& Ace, bool OwnerTrusted, const std::string& TrustedUser)
{
    const std::vector<std::string> fields = Fields(Ace);
    if (fields.size() < 6)
        return true;
    const std::string type = Upper(fields[0]), flags = Upper(fields[1]), sid = fields[5];
    if (type == "D" || type == "OD" || type == "XD")
        return false; // a denial takes rights away
    // Only passed on to what is created below: it does not apply to the object itself.
    for (size_t at = 0; at + 1 < flags.size(); at += 2)
        if (flags.compare(at, 2, "IO") == 0)
            return false;
    if ((Rights(fields[2]) & ChangeRights) == 0)
        return false;
    // "OWNER RIGHTS" stands for the owner; "CREATOR OWNER" outside an inherited-only ACE grants nothing.
    const std::string who = Upper(sid);
    if (who == "OW" || who == "S-1-3-4")
        return !OwnerTrusted;
    if (who == "CO" || who == "S-1-3-0")
        return false;
    return !IsTrusted(sid, TrustedUser);
}

} // namespace

bool OnlyAdministratorsMayChange(const std::string& Sddl, const std::string& TrustedUser)
{
    // The owner: "O:" up to the next part ("G:", "D:" or "S:"), which begins with a capital and a colon.
    const size_t ownerAt = Sddl.find("O:");
    const size_t daclAt = Sddl.find("D:");
    if (ownerAt == std::string::npos || daclAt == std::string::npos)
        return false;
    size_t ownerEnd = ownerAt + 2;
    while (ownerEnd < Sddl.size() && !(ownerEnd + 1 < Sddl.size() && Sddl[ownerEnd + 1] == ':' &&
                                       std::isupper(static_cast<unsigned char>(Sddl[ownerEnd]))))
        ++ownerEnd;
    const bool ownerTrusted = IsTrusted(Sddl.substr(ownerAt + 2, ownerEnd - ownerAt - 2), TrustedUser);
    if (!ownerTrusted)
        return false; // the owner may always change the permissions
    // The DACL: its flags, then its ACEs in parentheses. A null DACL lets everybody in.
    size_t at = daclAt + 2;
    const size_t firstAce = Sddl.find('(', at);
    const std::string flags = Sddl.substr(at, (firstAce == std::string::npos ? Sddl.size() : firstAce) - at);
    if (flags.find("NO_ACCESS_CONTROL") != std::string::npos)
        return false;
    for (at = firstAce; at != std::string::npos && at < Sddl.size() && Sddl[at] == '(';) {
        const size_t end = Sddl.find(')', at);
        if (end == std::string::npos)
            return false;
        if (LetsOthersChange(Sddl.substr(at + 1, end - at - 1), ownerTrusted, TrustedUser))
            return false;
        at = end + 1;
    }
    return true;
}

std::string UninstallerRefusal(const UninstallerFacts& Facts)
{
    std::string reason;
    if (!Facts.Checked)
        reason = "it could not be checked";
    else if (Facts.FolderIsLink)
        reason = "its folder is a link or lies behind one";
    else if (Facts.ProgramIsLink)
        reason = "it is a link";
    else if (!Facts.FolderProtected)
        reason = "its folder can be changed by users who are not administrators";
    else if (!Facts.ProgramProtected)
        reason = "it can be changed by users who are not administrators";
    else if (Facts.SignatureRequired && !Facts.SignedLikeInstaller)
        reason = "it is not signed by the publisher of this installer";
    else
        return "";
    return "The earlier version's uninstaller " + Facts.Program + " was not run (" + reason +
           "); this installation replaces the earlier version's records";
}
