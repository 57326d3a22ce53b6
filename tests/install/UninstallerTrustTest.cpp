// Whether the earlier installation's uninstaller may be started elevated: who may change it and
// its folder, as their owner and DACL say in their text form, and what the log says otherwise.
#include <gtest/gtest.h>

#include "UninstallerTrust.h"

namespace {

const std::string Admin = "S-1-5-21-1004336348-1177238915-682003330-1000"; // who runs the installer
const std::string TrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

bool Protected(const std::string& Sddl)
{
    return OnlyAdministratorsMayChange(Sddl, Admin);
}

UninstallerFacts Trusted()
{
    UninstallerFacts facts;
    facts.Program = "C:\\Old\\bb7uninstall.exe";
    facts.FolderProtected = facts.ProgramProtected = true;
    return facts;
}

} // namespace

TEST(UninstallerTrust, WhatOnlyAdministratorsCanChangeIsProtected)
{
    // Program Files and its programs; our own protection; a file of the administrator who installs.
    for (const std::string& sddl :
         {"O:" + TrustedInstaller + "D:PAI(A;;FA;;;" + TrustedInstaller + ")(A;;0x1301bf;;;SY)(A;;0x1301bf;;;BA)" +
              "(A;;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)(A;;0x1200a9;;;AC)",
          std::string("O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"),
          "O:" + Admin + "D:(A;;FA;;;SY)(A;;FA;;;" + Admin + ")(A;;0x1200a9;;;WD)",
          std::string("O:SYD:AI(A;ID;FA;;;SY)(A;ID;FR;;;BU)(A;ID;FX;;;AU)(D;;FA;;;WD)"),
          std::string("O:S-1-5-32-544D:(A;;GA;;;S-1-5-18)(A;;GRGX;;;BU)(A;;RCSD;;;OW)")})
        EXPECT_TRUE(Protected(sddl)) << sddl;
}

TEST(UninstallerTrust, AnybodyElseWhoMayChangeItOrItsPermissionsMakesItUnprotected)
{
    for (const std::string& sddl : {
             // Owners: a user owns what the user made, and may always change its permissions.
             std::string("O:S-1-5-21-1-2-3-1001D:P(A;;FA;;;SY)(A;;FA;;;BA)"),
             std::string("O:BUD:P(A;;FA;;;SY)"),
             // Rights for others: write, append, delete, permissions, owner, generic ones.
             std::string("O:BAD:(A;;FA;;;SY)(A;;FA;;;AU)"),
             std::string("O:BAD:(A;;0x1200a9;;;BU)(A;;0x2;;;BU)"),
             std::string("O:BAD:(A;OICI;0x4;;;BU)"),
             std::string("O:BAD:(A;;0x10000;;;WD)"),
             std::string("O:BAD:(A;;WD;;;IU)"),
             std::string("O:BAD:(A;;WO;;;BU)"),
             std::string("O:BAD:(A;;GW;;;BU)"),
             std::string("O:BAD:(A;;GA;;;S-1-5-21-1-2-3-1001)"),
             std::string("O:BAD:(A;;DT;;;BU)"), // delete what is in the folder
             std::string("O:BAD:(A;ID;FW;;;BU)"),
             // An inherited entry counts; a null DACL lets everybody in; nothing known is no DACL.
             std::string("O:BAD:NO_ACCESS_CONTROL"),
             std::string("O:BA"),
             std::string("O:BAD:(A;;ZZ;;;BU)"),
             // Allow entries of every kind count: conditional, callback, object.
             std::string("O:BAD:(A;;FA;;;SY)(XA;;FA;;;BU;(x))"),
             std::string("O:BAD:(A;;FA;;;SY)(ZA;;FA;;;BU;(x))"),
             std::string("O:BAD:(A;;FA;;;SY)(OA;;FA;;;BU)"),
             std::string("O:BAD:(A;;FA;;;SY"),
         })
        EXPECT_FALSE(Protected(sddl)) << sddl;
    // The administrator who installs is trusted only when named.
    const std::string own = "O:" + Admin + "D:(A;;FA;;;" + Admin + ")";
    EXPECT_FALSE(OnlyAdministratorsMayChange(own, ""));
    EXPECT_FALSE(OnlyAdministratorsMayChange(own, "S-1-5-21-1004336348-1177238915-682003330-1001"));
}

TEST(UninstallerTrust, EntriesThatDoNotApplyOrTakeRightsAwayChangeNothing)
{
    // Passed on only to what is created below; a denial; "CREATOR OWNER" outside such an entry;
    // "OWNER RIGHTS" of a trusted owner; reading and running.
    EXPECT_TRUE(Protected("O:BAD:(A;OICIIO;FA;;;BU)(D;;FA;;;WD)(A;;FA;;;CO)(A;;FA;;;OW)(A;;0x1200a9;;;WD)"));
    EXPECT_TRUE(Protected("O:" + Admin + "D:(A;;FA;;;OW)"));
    EXPECT_FALSE(Protected("O:S-1-5-21-1-2-3-1001D:(A;;FA;;;OW)"));
}

TEST(UninstallerTrust, ItRunsOnlyWhenEveryCheckHoldsAndTheLogSaysWhyNot)
{
    EXPECT_EQ("", UninstallerRefusal(Trusted()));
    const std::string start = "The earlier version's uninstaller C:\\Old\\bb7uninstall.exe was not run (";
    const std::string end = "); this installation replaces the earlier version's records";
    auto refusal = [&](void (*Change)(UninstallerFacts&)) {
        UninstallerFacts facts = Trusted();
        Change(facts);
        return UninstallerRefusal(facts);
    };
    EXPECT_EQ(start + "it could not be checked" + end, refusal([](UninstallerFacts& F) { F.Checked = false; }));
    EXPECT_EQ(start + "its folder is a link or lies behind one" + end,
              refusal([](UninstallerFacts& F) { F.FolderIsLink = true; }));
    EXPECT_EQ(start + "it is a link" + end, refusal([](UninstallerFacts& F) { F.ProgramIsLink = true; }));
    EXPECT_EQ(start + "its folder can be changed by users who are not administrators" + end,
              refusal([](UninstallerFacts& F) { F.FolderProtected = false; }));
    EXPECT_EQ(start + "it can be changed by users who are not administrators" + end,
              refusal([](UninstallerFacts& F) { F.ProgramProtected = false; }));
    EXPECT_EQ(start + "it is not signed by the publisher of this installer" + end,
              refusal([](UninstallerFacts& F) { F.SignatureRequired = true; }));
    EXPECT_EQ("", refusal([](UninstallerFacts& F) { F.SignatureRequired = F.SignedLikeInstaller = true; }));
    EXPECT_EQ("", refusal([](UninstallerFacts& F) { F.SignedLikeInstaller = true; }))
        << "an unsigned installer asks none";
}
