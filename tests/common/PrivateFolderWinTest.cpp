// The installer's private folders: which descriptors let only SYSTEM, Administrators and the
// installer's own account change a folder, what a folder is made with, and how an existing one
// is trusted or taken over. Wine keeps no permissions of its own: descriptors are built and
// decided on in process.
#include <gtest/gtest.h>

#include "PrivateFolder.h"

#include <sddl.h>

#include "WinTestSupport.h"

namespace {

struct Descriptor {
    explicit Descriptor(const std::string& Sddl)
    {
        EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(Sddl.c_str(), SDDL_REVISION_1, &Get, nullptr))
            << Sddl;
    }
    ~Descriptor() { LocalFree(Get); }
    PSECURITY_DESCRIPTOR Get = nullptr;
};

// S-1-5-21-1-2-3-1001 stands for the installer's own account, S-1-5-21-1-2-3-1002 for another user.
const char* const Self = "S-1-5-21-1-2-3-1001";
PSID SelfSid()
{
    static PSID sid = [] {
        PSID made = nullptr;
        ConvertStringSidToSidA(Self, &made);
        return made;
    }();
    return sid;
}

TEST(PrivateFolder, OnlySystemAdministratorsAndTheInstallersAccountMayChangeIt)
{
    const char* const trusted[] = {
        PrivateFolderSddl,
        "O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", // others may read
        "O:S-1-5-21-1-2-3-1001D:(A;OICI;FA;;;SY)(A;OICI;FA;;;S-1-5-21-1-2-3-1001)(A;;0x1200a9;;;WD)", // as Wine shows it
        "O:BAD:P(A;OICI;FA;;;BA)(D;OICI;FA;;;BU)",                        // a denial takes nothing from the trusted
        "O:BAD:P(A;OICI;FA;;;BA)(A;OICIIO;FA;;;CO)",                      // inherit only: guards nothing here
    };
    for (const char* sddl : trusted)
        EXPECT_TRUE(OnlyTrustedMayChange(Descriptor(sddl).Get, SelfSid())) << sddl;
    const char* const untrusted[] = {
        "O:S-1-5-21-1-2-3-1002D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)",          // owned by another user
        "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)",      // Users may modify
        "O:BAD:P(A;OICI;FA;;;BA)(A;;0x2;;;AU)",                               // authenticated users may add files
        "O:BAD:P(A;OICI;FA;;;BA)(A;;0x40000;;;WD)",                           // everybody may change permissions
        "O:BAD:P(A;OICI;FA;;;BA)(A;;0x40;;;S-1-5-21-1-2-3-1002)",             // another user may delete children
        "O:BA",                                                               // no DACL: everybody may do everything
    };
    for (const char* sddl : untrusted)
        EXPECT_FALSE(OnlyTrustedMayChange(Descriptor(sddl).Get, SelfSid())) << sddl;
}

TEST(PrivateFolder, IsMadeTrustedOnceItIsOursAndNeverThroughALink)
{
    ScratchFolder scratch;
    const std::string folder = scratch / "Private";
    EXPECT_EQ(PrivateFolderState::Made, MakePrivateFolder(folder));
    WriteWholeFile(folder + "\\journal.txt", "kept");
    EXPECT_EQ(PrivateFolderState::Trusted, MakePrivateFolder(folder)) << "made by us: what it holds stays";
    EXPECT_EQ("kept", ReadWholeFile(folder + "\\journal.txt"));

    WriteWholeFile(scratch / "file", "");
    EXPECT_EQ(PrivateFolderState::Refused, MakePrivateFolder(scratch / "file"));
    EXPECT_EQ(PrivateFolderState::Refused, MakePrivateFolder(scratch / "missing\\below"));
    CreateDirectoryA((scratch / "elsewhere").c_str(), nullptr);
    WriteWholeFile(scratch / "elsewhere\\theirs.txt", "theirs");
    if (MakeHostLink(scratch / "elsewhere", scratch / "linked")) {
        EXPECT_EQ(PrivateFolderState::Refused, MakePrivateFolder(scratch / "linked"));
        EXPECT_EQ("theirs", ReadWholeFile(scratch / "elsewhere\\theirs.txt"));
        RemoveHostLink(scratch / "linked");
    }

    // What a tree holds goes, a link in it by itself: what it leads to stays.
    CreateDirectoryA((folder + "\\Kept").c_str(), nullptr);
    WriteWholeFile(folder + "\\Kept\\a.txt", "a");
    ASSERT_TRUE(MakeHostLink(scratch / "elsewhere", folder + "\\Kept\\link"));
    RemoveTreeWithoutLinks(folder + "\\Kept");
    EXPECT_FALSE(FilePresent(folder + "\\Kept\\a.txt"));
    EXPECT_EQ("theirs", ReadWholeFile(scratch / "elsewhere\\theirs.txt"));
    RemoveHostLink(folder + "\\Kept\\link");
}

} // namespace
