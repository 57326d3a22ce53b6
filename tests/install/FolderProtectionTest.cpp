// The protection an installation folder made outside Program Files gets, as the folder step
// builds it and decides when to give it. Wine stores no permissions: the descriptor that the
// step passes on is read, not the folder's.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include "FolderStep.h"
#include "LogOnlySink.h"
#include "WinTestSupport.h"

namespace {

bool IsWellKnown(PSID Sid, WELL_KNOWN_SID_TYPE Type)
{
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return CreateWellKnownSid(Type, nullptr, known, &size) && EqualSid(Sid, known);
}

TEST(FolderProtection, AdministratorsAndSystemMayChangeWhatIsBelowUsersOnlyReadIt)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(ProtectedFolderSddl, SDDL_REVISION_1, &descriptor,
                                                                     nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing is inherited from the parent";
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    ASSERT_EQ(3, dacl->AceCount) << "nobody else has any right";
    const struct {
        WELL_KNOWN_SID_TYPE Who;
        ACCESS_MASK Rights;
    } expected[] = {{WinLocalSystemSid, FILE_ALL_ACCESS},
                    {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
                    {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags)
            << "for every file and folder below";
        EXPECT_TRUE(IsWellKnown(&ace->SidStart, expected[i].Who)) << i;
        EXPECT_EQ(expected[i].Rights, ace->Mask) << i;
    }
    LocalFree(descriptor);
}

TEST(FolderProtection, OnlyAFolderTheStepMakesOutsideProgramFilesGetsItAndTheLogFileSaysSo)
{
    ScratchFolder scratch; // in the temporary folder, outside Program Files
    std::vector<std::string> lines, notes;
    LogOnlySink sink([&](const std::string& Text, bool) { lines.push_back(Text); },
                     [&](const std::string& Text) { notes.push_back(Text); });
    const FolderRequest outside = {false, "", scratch / "New\\Brisel Backup 7", false};
    EXPECT_TRUE(PrepareFolder(outside, sink));
    EXPECT_TRUE(FolderPresent(outside.Folder));
    EXPECT_EQ(std::vector<std::string>{"Folder protected against changes by ordinary users: " + scratch / "New"},
              notes);

    // A folder that exists keeps the permissions it has.
    notes.clear();
    EXPECT_TRUE(PrepareFolder(outside, sink));
    EXPECT_TRUE(notes.empty());

    // Below Program Files the folder inherits its protection.
    char programFiles[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles));
    const std::string inside = std::string(programFiles) + "\\" + UniqueTestName("bb7-protection");
    EXPECT_TRUE(PrepareFolder({false, "", inside + "\\Brisel Backup 7", false}, sink));
    EXPECT_TRUE(FolderPresent(inside + "\\Brisel Backup 7"));
    EXPECT_TRUE(notes.empty());
    RemoveTree(inside);
    EXPECT_TRUE(lines.empty()) << "no message, no line";
}

} // namespace
