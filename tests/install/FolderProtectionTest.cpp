// The installation folder as the folder step leaves it: the permissions that it, the upgrade's
// store and the one-installer lock get as they are made; that a folder found beforehand is never
// written into; when the earlier installation's folder and uninstaller are the installer's own.
// Wine keeps permissions only as Unix mode bits: the descriptors are read as the step builds
// them, and what Wine shows of a folder afterwards is read through the same rule that judges a
// folder found.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <functional>
#include <optional>

#include "BriCommon.h"
#include "EarlierUninstaller_win.h"
#include "FolderStep.h"
#include "LogOnlySink.h"
#include "SecurityDescriptor_win.h"
#include "SingleInstance.h"
#include "UninstallerTrust.h"
#include "UpgradeStore_win.h"
#include "WinTestSupport.h"

namespace {

bool IsWellKnown(PSID Sid, WELL_KNOWN_SID_TYPE Type)
{
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return CreateWellKnownSid(Type, nullptr, known, &size) && EqualSid(Sid, known);
}

struct ExpectedAce {
    WELL_KNOWN_SID_TYPE Who;
    ACCESS_MASK Rights;
};

// The descriptor of Sddl as the system reads it: owner, control flags, and exactly these ACEs.
void ExpectDescriptor(const char* Sddl, SECURITY_DESCRIPTOR_CONTROL Control, BYTE AceFlags,
                      const std::vector<ExpectedAce>& Aces)
{
    SCOPED_TRACE(Sddl);
    const SecurityDescriptor descriptor(Sddl);
    ASSERT_TRUE(descriptor);
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor.Get(), &owner, &defaulted));
    EXPECT_TRUE(owner && IsWellKnown(owner, WinBuiltinAdministratorsSid)) << "owner Administrators";
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor.Get(), &control, &revision));
    EXPECT_EQ(Control, control & (SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED));
    BOOL present = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    ASSERT_EQ(Aces.size(), dacl->AceCount) << "nobody else has any right";
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        EXPECT_EQ(AceFlags, ace->Header.AceFlags) << i;
        EXPECT_TRUE(IsWellKnown(&ace->SidStart, Aces[i].Who)) << i;
        EXPECT_EQ(Aces[i].Rights, ace->Mask) << i;
    }
}

class FolderStepRun {
public:
    FolderStepRun()
        : sink_([this](const std::string& Text, bool) { lines.push_back(Text); },
                [this](const std::string& Text) { notes.push_back(Text); })
    {
    }
    std::optional<PreparedFolder> Prepare(const FolderRequest& Request)
    {
        lines.clear();
        notes.clear();
        return PrepareFolder(Request, sink_);
    }
    std::vector<std::string> lines, notes;

private:
    LogOnlySink sink_;
};

const std::vector<std::string> Manifest = {"BriService.exe", "Help\\index.htm", "bb7setup.dat"};

} // namespace

TEST(FolderProtection, TheFoldersOfTheInstallersOwnGetTheirProtectionAsTheyAreMade)
{
    const std::vector<ExpectedAce> aces = {{WinLocalSystemSid, FILE_ALL_ACCESS},
                                           {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
                                           {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
    // The product's folder: nothing inherited from the drive's root; the folders and files in it
    // inherit from it.
    ExpectDescriptor(ProtectedFolderSddl, SE_DACL_PROTECTED, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, aces);
    // The store of an upgrade: nobody but SYSTEM and the Administrators may even read it.
    ExpectDescriptor(PrivateStoreSddl, SE_DACL_PROTECTED, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                     {{WinLocalSystemSid, FILE_ALL_ACCESS}, {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS}});
    // The lock of one installer per machine: nobody but SYSTEM and the Administrators may open it.
    ExpectDescriptor(MachineLockSddl, SE_DACL_PROTECTED, 0,
                     {{WinLocalSystemSid, FILE_ALL_ACCESS}, {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS}});
    char windows[MAX_PATH] = {};
    ASSERT_TRUE(GetSystemWindowsDirectoryA(windows, MAX_PATH));
    EXPECT_EQ(AddTrailingBackslash(windows) + "Bb7Setup.lock", MachineLockPath())
        << "where only administrators may make a file, for every session";
    // By the rule that judges a folder found later, each of them is the installer's own.
    for (const char* sddl : {ProtectedFolderSddl, PrivateStoreSddl, MachineLockSddl})
        EXPECT_TRUE(OnlyAdministratorsMayChange(sddl, "")) << sddl;
}

TEST(FolderProtection, TheFolderIsMadeAnewHeldAgainstOthersAndAFolderFoundIsNeverWrittenInto)
{
    ScratchFolder scratch{"C:\\"}; // outside Program Files (the temporary folder is no product's place)
    FolderStepRun run;
    const FolderRequest outside = {false, "", scratch / "New\\Brisel Backup 7", false, Manifest};
    std::optional<PreparedFolder> made = run.Prepare(outside);
    ASSERT_TRUE(made);
    EXPECT_EQ(outside.Folder, made->Folder);
    EXPECT_TRUE(made->Hold) << "held for the whole run";
    EXPECT_TRUE(made->KeepsPermissions);
    EXPECT_FALSE(made->ReplaceEarlierRecords);
    EXPECT_EQ(std::vector<std::string>{"Folder protected against changes by ordinary users: " + scratch / "New"},
              run.notes);
    // While it is held nobody may rename it, nor open it to add anything to it.
    EXPECT_FALSE(MoveFileA(outside.Folder.c_str(), (scratch / "Moved").c_str()));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA(outside.Folder.c_str(), FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    made.reset();

    // Found again, made by somebody else (it is not recorded as the product's) and open to
    // everybody: empty, it is removed and made anew, with the protection of a folder made now.
    ASSERT_TRUE(LetEverybodyChange(outside.Folder));
    ASSERT_FALSE(OnlyAdministratorsMayChange(SecurityText(outside.Folder), ProcessUserSid()));
    made = run.Prepare(outside);
    ASSERT_TRUE(made) << (run.lines.empty() ? "" : run.lines.front());
    EXPECT_EQ((std::vector<std::string>{"An empty folder that this setup did not make was made anew: " + outside.Folder,
                                        "Folder protected against changes by ordinary users: " + outside.Folder}),
              run.notes);
    EXPECT_TRUE(OnlyAdministratorsMayChange(SecurityText(outside.Folder), ProcessUserSid()))
        << SecurityText(outside.Folder);
    made.reset();

    // Holding a file, or held open by another program to add to it, it is refused with nothing
    // changed.
    WriteWholeFile(outside.Folder + "\\notes.txt", "mine");
    EXPECT_FALSE(run.Prepare(outside));
    EXPECT_EQ(std::vector<std::string>{"The directory " + outside.Folder +
                                       " exists already, was not made by this setup and is not empty: other users "
                                       "could have put files there. Choose another directory, or empty this one."},
              run.lines)
        << "the box, as a silent run writes it";
    EXPECT_EQ("mine", ReadWholeFile(outside.Folder + "\\notes.txt"));
    ASSERT_TRUE(DeleteFileA((outside.Folder + "\\notes.txt").c_str()));
    {
        FileHandle adding(CreateFileA(outside.Folder.c_str(), FILE_ADD_FILE | FILE_LIST_DIRECTORY,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(adding);
        EXPECT_FALSE(run.Prepare(outside));
        EXPECT_EQ(std::vector<std::string>{"The directory " + outside.Folder +
                                           " is in use by another program. Close it, or choose another directory."},
                  run.lines);
    }
    EXPECT_TRUE(FolderPresent(outside.Folder));

    // Below Program Files a new folder inherits its protection.
    char programFiles[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles));
    const std::string inside = std::string(programFiles) + "\\" + UniqueTestName("bb7-protection");
    EXPECT_TRUE(run.Prepare({false, "", inside + "\\Brisel Backup 7", false}));
    EXPECT_TRUE(FolderPresent(inside + "\\Brisel Backup 7"));
    EXPECT_TRUE(run.notes.empty());
    RemoveTree(inside);
    EXPECT_TRUE(run.lines.empty()) << "no message, no line";

    // A folder that lies behind a link is refused as one that holds a link.
    ASSERT_TRUE(MakeHostLink(scratch.Path(), scratch / "Behind"));
    EXPECT_FALSE(run.Prepare({false, "", scratch / "Behind\\BB7", false, Manifest}));
    EXPECT_EQ(std::vector<std::string>{"The directory " + scratch / "Behind\\BB7" +
                                       " is or holds a link to another place. Choose another directory."},
              run.lines);
    RemoveHostLink(scratch / "Behind");
}

TEST(FolderProtection, TheEarlierInstallationsFolderIsKeptHeldWhileItsUninstallerRunsOnlyWhenItIsTheInstallersOwn)
{
    ScratchFolder scratch{"C:\\"};
    FolderStepRun run;
    const std::string old = scratch / "Old\\";
    ASSERT_TRUE(CreateDirectoryA(old.c_str(), nullptr) && CreateDirectoryA((old + "Plugins").c_str(), nullptr));
    ASSERT_TRUE(CopyFileA((OwnFolder() + "bb7recorder.exe").c_str(), (old + "bb7uninstall.exe").c_str(), FALSE));
    WriteWholeFile(old + "Plugins\\MyPlugin.dll", "MZ a user's plug-in");
    const FolderRequest upgrade = {true, old, old, true, Manifest};

    // Run, closing by itself and waited for; what it kept stays.
    std::optional<PreparedFolder> kept = run.Prepare(upgrade);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->EarlierHold) << "held until the run ends";
    EXPECT_EQ("\"" + old + "bb7uninstall.exe\" -nowarningclose\ndone\n", ReadWholeFile(old + "bb7uninstall.exe.log"));
    EXPECT_EQ("MZ a user's plug-in", ReadWholeFile(old + "Plugins\\MyPlugin.dll"));
    EXPECT_FALSE(RemoveDirectoryA((old + "Plugins").c_str()) && RemoveDirectoryA(old.c_str()))
        << "nobody removes it meanwhile";
    kept.reset();
    DeleteFileA((old + "bb7uninstall.exe.log").c_str());

    // One that anybody may change could hold what anybody put there: its uninstaller is not run,
    // it is refused before anything changes, another one is made, and the records of the earlier
    // version are to be replaced.
    ASSERT_TRUE(LetEverybodyChange(old));
    ASSERT_TRUE(LetEverybodyChange(old + "bb7uninstall.exe"));
    EXPECT_FALSE(run.Prepare(upgrade));
    EXPECT_EQ(std::vector<std::string>{"The directory " + old +
                                       " exists already, was not made by this setup and is not empty: other users "
                                       "could have put files there. Choose another directory, or empty this one."},
              run.lines);
    const std::optional<PreparedFolder> elsewhere = run.Prepare({true, old, scratch / "New", true, Manifest});
    ASSERT_TRUE(elsewhere);
    EXPECT_TRUE(elsewhere->ReplaceEarlierRecords);
    EXPECT_EQ((std::vector<std::string>{"The earlier version's uninstaller " + old +
                                            "bb7uninstall.exe was not run (its folder can be changed by users who are "
                                            "not administrators); this installation replaces the earlier version's "
                                            "records",
                                        "Folder protected against changes by ordinary users: " + scratch / "New"}),
              run.notes);
    EXPECT_FALSE(FilePresent(old + "bb7uninstall.exe.log")) << "not run";
    EXPECT_EQ("MZ a user's plug-in", ReadWholeFile(old + "Plugins\\MyPlugin.dll"));
}

TEST(FolderProtection, TheEarlierUninstallerIsJudgedByWhatItIsAndWhereItLies)
{
    ScratchFolder scratch;
    const std::string old = scratch / "Old";
    ASSERT_TRUE(CreateDirectoryA(old.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA((OwnFolder() + "bb7recorder.exe").c_str(), (old + "\\bb7uninstall.exe").c_str(), FALSE));
    auto facts = [](const std::string& Folder) {
        return HeldUninstaller(Folder, Folder + "\\bb7uninstall.exe").Facts();
    };
    // The administrator's own file in the administrator's own folder: no refusal. This test is
    // not signed, so no signature is asked for.
    UninstallerFacts plain = facts(old);
    EXPECT_TRUE(plain.Checked && plain.FolderProtected && plain.ProgramProtected);
    EXPECT_FALSE(plain.FolderIsLink || plain.ProgramIsLink || plain.SignatureRequired);
    EXPECT_EQ("", UninstallerRefusal(plain));

    ASSERT_TRUE(MakeHostLink(old, scratch / "Linked"));
    EXPECT_TRUE(facts(scratch / "Linked").FolderIsLink);
    RemoveHostLink(scratch / "Linked");
    EXPECT_TRUE(HeldUninstaller(scratch / "Gone", scratch / "Gone\\bb7uninstall.exe").Missing());
    EXPECT_TRUE(HeldUninstaller(scratch.Path(), scratch / "bb7uninstall.exe").Missing());

    ASSERT_TRUE(CreateHardLinkA((scratch / "other.exe").c_str(), (old + "\\bb7uninstall.exe").c_str(), nullptr));
    EXPECT_TRUE(facts(old).ProgramIsLink) << "a file with another name elsewhere";
    DeleteFileA((scratch / "other.exe").c_str());
    ASSERT_TRUE(LetEverybodyChange(old));
    EXPECT_FALSE(facts(old).FolderProtected);

    // Held while it is judged: it cannot be replaced before it is started.
    HeldUninstaller held(old, old + "\\bb7uninstall.exe");
    EXPECT_FALSE(DeleteFileA((old + "\\bb7uninstall.exe").c_str()));
    EXPECT_FALSE(MoveFileA(old.c_str(), (scratch / "Moved").c_str()));
    held.Release();
    EXPECT_TRUE(DeleteFileA((old + "\\bb7uninstall.exe").c_str()));
}
