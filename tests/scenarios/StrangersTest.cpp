// End to end: nothing that an ordinary user of the machine opened, made or left beforehand
// steers the elevated installer. A folder held open or made beforehand, a file or a folder at
// the name where earlier releases kept an upgrade's copy, a journal that names other folders or
// is damaged, an earlier folder that somebody tries to replace with a link while an upgrade runs
// or after one was cut off: each time nothing outside the product's folder and the upgrade's
// store changes, nothing is lost, and at the end a version of the product works, the exit code
// saying which. (Under Wine every program may open every folder: what an ordinary user could not
// open on Windows is opened here all the same, which only makes the cases harder.)
#include <winternl.h>

#include <tlhelp32.h>

#include <atomic>
#include <thread>

#include "EarlierRelease.h"
#include "SecurityDescriptor_win.h"
#include "UninstallerTrust.h"

namespace {

using namespace wizardtest;

// A folder opened as another program of the user's would open it: sharing everything.
FileHandle OpenFolder(const std::string& Path, ACCESS_MASK Access)
{
    return FileHandle(CreateFileA(Path.c_str(), Access | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Makes the file Name in the folder held by Folder, through that handle as it was opened.
bool AddThrough(HANDLE Folder, const std::wstring& Name)
{
    UNICODE_STRING name;
    name.Buffer = const_cast<PWSTR>(Name.c_str());
    name.Length = name.MaximumLength = static_cast<USHORT>(Name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, Folder, nullptr);
    IO_STATUS_BLOCK io = {};
    HANDLE file = nullptr;
    const NTSTATUS status =
        NtCreateFile(&file, GENERIC_WRITE | SYNCHRONIZE, &attributes, &io, nullptr, 0, 0, FILE_CREATE,
                     FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (NT_SUCCESS(status))
        CloseHandle(file);
    return NT_SUCCESS(status);
}

bool ProcessRuns(const char* Name)
{
    for (const PROCESSENTRY32& process : RunningProcesses())
        if (lstrcmpiA(process.szExeFile, Name) == 0)
            return true;
    return false;
}

void EndProcesses(const char* Name)
{
    for (const PROCESSENTRY32& process : RunningProcesses())
        if (lstrcmpiA(process.szExeFile, Name) == 0)
            if (ObjectHandle running{OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.th32ProcessID)}) {
                TerminateProcess(running.Get(), 99);
                WaitForSingleObject(running.Get(), 5000);
            }
}

class StrangersTest : public EarlierReleaseFixture {
protected:
    void TearDown() override
    {
        RemoveHostLink(installDir_.substr(0, installDir_.size() - 1));
        EarlierReleaseFixture::TearDown();
    }

    void ExpectNothingInstalled()
    {
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
        EXPECT_FALSE(QueryService("BriBackup7").Exists);
        EXPECT_FALSE(FilePresent(installDir_ + "BriService.exe"));
    }
};

TEST_F(StrangersTest, AFolderOpenedBeforehandIsRefusedAndWhatIsAddedThroughItNeverReachesTheProduct)
{
    ASSERT_TRUE(CreateDirectoryA(installDir_.c_str(), nullptr));
    const std::string inUse =
        " ERROR The directory " + installDir_ + " is in use by another program. Close it, or choose another directory.";
    {
        // Opened to add files to it before the service installation: refused before anything
        // changes, and what the program adds stays its own, in a folder that is no product's.
        FileHandle adding = OpenFolder(installDir_, FILE_ADD_FILE | FILE_LIST_DIRECTORY);
        ASSERT_TRUE(adding);
        EXPECT_EQ(5u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings));
        EXPECT_TRUE(Has(Log(log_), inUse)) << Log(log_);
        ExpectNothingInstalled();
        EXPECT_TRUE(AddThrough(adding.Get(), L"version.dll"));
    }
    ASSERT_TRUE(DeleteFileA((installDir_ + "version.dll").c_str()));
    {
        // Opened only to pass through, which no sharing shows: the folder is removed to be made
        // anew, but while that handle keeps it Windows (before 10) and Wine cannot free its name.
        FileHandle passing = OpenFolder(installDir_, FILE_TRAVERSE);
        ASSERT_TRUE(passing);
        EXPECT_EQ(5u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings));
        EXPECT_TRUE(Has(Log(log_), inUse)) << Log(log_);
        ExpectNothingInstalled();
    }
    // Let go of, it was gone with the last handle: the folder is made as the installer's own.
    EXPECT_EQ(0u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings)) << Log(log_);
    EXPECT_EQ("new", FirstLine(Stands()));
    EXPECT_TRUE(OnlyAdministratorsMayChange(SecurityText(installDir_), ProcessUserSid())) << SecurityText(installDir_);

    // Before an upgrade, the earlier installation's folder opened to add to it (on Windows only an
    // administrator could): refused with the earlier version untouched; let go of, upgraded.
    RemoveTestService("BriBackup7");
    RemoveInstallationTraces();
    RemoveTree(installDir_);
    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    {
        FileHandle adding = OpenFolder(installDir_, FILE_ADD_FILE | FILE_LIST_DIRECTORY);
        EXPECT_EQ(5u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings));
        EXPECT_TRUE(Has(Log(log_), inUse)) << Log(log_);
        EXPECT_FALSE(Has(Log(log_), "Uninstalling the old version")) << "nothing changed";
        EXPECT_EQ("old", FirstLine(Stands()));
    }
    EXPECT_EQ(0u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings)) << Log(log_);
    EXPECT_EQ("new", FirstLine(Stands()));
}

TEST_F(StrangersTest, AFolderMadeBeforehandIsNeverWrittenIntoUnlessEmptyOrKeptByTheProductsUninstaller)
{
    // Made by somebody before the administrator installs there: a "Help" that leads to a folder
    // of theirs, a library that the service would load from its own folder, a file of data.
    const std::string theirs = scratch_ / "Theirs\\";
    ASSERT_TRUE(CreateDirectoryA(theirs.c_str(), nullptr) && CreateDirectoryA(installDir_.c_str(), nullptr));
    WriteWholeFile(theirs + "index.htm", "theirs");
    WriteWholeFile(installDir_ + "version.dll", "MZ planted");
    WriteWholeFile(installDir_ + "notes.txt", "mine");
    PlantedLink help(theirs, installDir_ + "Help");
    ASSERT_TRUE(help);
    const std::string refusal = "The directory " + installDir_ +
                                " exists already, was not made by this setup and is not empty: other users could "
                                "have put files there. Choose another directory, or empty this one.";
    const auto expectUnchanged = [&] {
        EXPECT_EQ("theirs", ReadWholeFile(theirs + "index.htm"));
        EXPECT_FALSE(FilePresent(theirs + "Images\\logo.gif"));
        EXPECT_EQ("mine", ReadWholeFile(installDir_ + "notes.txt"));
        ExpectNothingInstalled();
    };
    Settings("STDDIR=" + installDir_ + "\r\n" + ServiceSettings);
    EXPECT_EQ(5u, RunSilently());
    EXPECT_TRUE(Has(Log(), " ERROR " + refusal + "\r\n")) << Log();
    EXPECT_EQ("MZ planted", ReadWholeFile(installDir_ + "version.dll"));
    expectUnchanged();

    // The wizard says so in a box and stays on the Folders page; without the link and the
    // library, the data alone still refuses it.
    help.Remove();
    ASSERT_TRUE(DeleteFileA((installDir_ + "version.dll").c_str()));
    DeleteFileA((programDir_ + "Bb7Auto.txt").c_str());
    Start();
    GoToFolders();
    SetTextOf("e_Dir", installDir_);
    ASSERT_TRUE(ClickButton(Ctl("b_Next1")));
    AnswerMessageBox(refusal, "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 2);
    EXPECT_TRUE(IsEnabled(Ctl("b_Next1")));
    Click("b_Cancel1");
    ASSERT_TRUE(WaitForExit());
    expectUnchanged();

    // Empty, it is removed and made anew: its permissions are the installer's from the start.
    ASSERT_TRUE(DeleteFileA((installDir_ + "notes.txt").c_str()));
    ASSERT_TRUE(LetEverybodyChange(installDir_));
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n");
    EXPECT_EQ(0u, RunSilently()) << Log();
    EXPECT_TRUE(Has(Log(), "* An empty folder that this setup did not make was made anew: " +
                               installDir_.substr(0, installDir_.size() - 1) + "\r\n"))
        << Log();
    EXPECT_TRUE(OnlyAdministratorsMayChange(SecurityText(installDir_), ProcessUserSid())) << SecurityText(installDir_);

    // The product's own uninstaller keeps the folder for the user's files, and notes it where
    // only administrators may write: the next installation takes it, the files kept.
    ASSERT_TRUE(CreateDirectoryA((installDir_ + "Data").c_str(), nullptr));
    WriteWholeFile(installDir_ + "Data\\backup.cfg", "the user's settings");
    StartedProgram uninstaller(RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
    ASSERT_TRUE(uninstaller.WaitForExit(60000));
    EXPECT_EQ(0u, uninstaller.ExitCode());
    EXPECT_EQ("", RegString(HKEY_LOCAL_MACHINE, KeptFoldersKey, installDir_.c_str()));
    EXPECT_EQ(0u, RunSilently()) << Log();
    EXPECT_EQ("the user's settings", ReadWholeFile(installDir_ + "Data\\backup.cfg"));
    EXPECT_EQ(ReadWholeFile(StagedProduct() + "BriBU.exe"), ReadWholeFile(installDir_ + "BriBU.exe"));
    EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, KeptFoldersKey, installDir_.c_str()))
        << "the recorded installation's folder now";
}

TEST_F(StrangersTest, WhatStandsAtTheStoresFormerNameIsNeitherReadNorEmptiedNorInTheWay)
{
    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    const std::string formerName = ShellFolder(CSIDL_COMMON_APPDATA) + "Brisel Backup 7 Setup";
    struct Remove {
        std::string Path;
        ~Remove() { DeleteFileA(Path.c_str()), RemoveHostLink(Path + "\\Kept\\Sub"), RemoveTree(Path); }
    } remove{formerName};

    // A user's file at that name.
    WriteWholeFile(formerName, "a user's file");
    EXPECT_EQ(0u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings)) << Log(log_);
    EXPECT_EQ("new", FirstLine(Stands()));
    EXPECT_EQ("a user's file", ReadWholeFile(formerName));
    ASSERT_TRUE(DeleteFileA(formerName.c_str()));

    // A folder there that everybody may change, with a journal that names the system folder and
    // a subfolder that a program of theirs swaps for a link to an unrelated folder as soon as
    // anything in the store is deleted.
    const std::string unrelated = scratch_ / "Unrelated\\";
    ASSERT_TRUE(CreateDirectoryA(unrelated.c_str(), nullptr));
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(CreateDirectoryA((unrelated + "folder" + std::to_string(i)).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(formerName.c_str(), nullptr) &&
                CreateDirectoryA((formerName + "\\Kept").c_str(), nullptr) &&
                CreateDirectoryA((formerName + "\\Kept\\Sub").c_str(), nullptr));
    WriteWholeFile(formerName + "\\Kept\\Sub\\first.txt", "first");
    WriteWholeFile(formerName + "\\journal.txt",
                   "Brisel Backup 7 Setup journal 1\nstate\tkept\nold\tC:\\\\windows\\\\system32\\\\\n");
    ASSERT_TRUE(LetEverybodyChange(formerName));
    const auto planted = Files(formerName + "\\");
    std::atomic<bool> stop{false}, swapped{false};
    std::thread swapper([&] {
        while (!stop && FilePresent(formerName + "\\Kept\\Sub\\first.txt"))
            Sleep(1);
        if (!stop && MoveFileA((formerName + "\\Kept\\Sub").c_str(), (formerName + "\\Kept\\Old").c_str()))
            swapped = MakeHostLink(unrelated, formerName + "\\Kept\\Sub");
    });
    // Installed again over itself: an upgrade, with its store, its keeping and its uninstaller.
    EXPECT_EQ(0u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings)) << Log(log_);
    stop = true;
    swapper.join();
    EXPECT_FALSE(swapped) << "something in the folder was deleted";
    EXPECT_EQ(planted, Files(formerName + "\\")) << "read, emptied or changed";
    for (int i = 0; i < 50; ++i)
        EXPECT_TRUE(FolderPresent(unrelated + "folder" + std::to_string(i))) << i;
    EXPECT_EQ("new", FirstLine(Stands()));
    EXPECT_FALSE(FilePresent(ShellFolder(CSIDL_SYSTEM) + "BriService.exe"));
    EXPECT_TRUE(UpgradeStores().empty()) << "its own store went when the upgrade ended";
}

// The journal's form of a text: backslashes, tabs and line ends escaped.
std::string Escaped(const std::string& Text)
{
    std::string escaped;
    for (char c : Text)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}

TEST_F(StrangersTest, AJournalThatNamesOtherFoldersOrIsDamagedIsSetAsideAndEndsNothing)
{
    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    const std::string theirs = scratch_ / "Theirs\\";
    ASSERT_TRUE(CreateDirectoryA(theirs.c_str(), nullptr));
    WriteWholeFile(theirs + "notes.txt", "theirs");
    const std::string system = ShellFolder(CSIDL_SYSTEM);
    const std::string name = "Brisel Backup 7 Setup 0123456789abcdef0123456789abcdef";
    const std::string store = ShellFolder(CSIDL_COMMON_APPDATA) + name + "\\";
    const std::string header = "Brisel Backup 7 Setup journal 2\n", zeros(64, '0');
    const struct {
        const char* What;
        std::string Journal;
    } cases[] = {
        {"naming the system folder as the earlier one, and a user's folder as the new one",
         header + "state\tinstalling\nold\t" + Escaped(system) + "\nfile\tBriService.exe\t" + zeros + "\nservice\t\"" +
             Escaped(system) + "BriService.exe\"\t\tBriBackup7\t2\trunning\nnew\t" + Escaped(theirs) +
             "\nplaced\tnotes.txt\n"},
        {"with a number out of range",
         header + "state\tkept\nold\t" + Escaped(installDir_) +
             "\nvalue\tmachine\t\\\\SOFTWARE\\\\Brisel\\\\Brisel Backup 7\tInstallation type\tdword\t99999999999\n"},
        {"cut short", header + "state\tke"},
    };
    // As a run that was cut off leaves it, recorded where only administrators write.
    const auto plant = [&](const std::string& Journal) {
        ASSERT_TRUE(CreateDirectoryA(store.c_str(), nullptr));
        WriteWholeFile(store + "journal.txt", Journal);
        RegKey setup = CreateRegKey(HKEY_LOCAL_MACHINE, SetupKey, KEY_WRITE);
        SetRegString(setup.Get(), "Upgrade store", name);
        SetRegString(setup.Get(), "Earlier folder", installDir_);
        SetRegString(CreateRegKey(HKEY_LOCAL_MACHINE, RunOnceKey, KEY_WRITE | KEY_WOW64_64KEY).Get(),
                     "Brisel Backup 7 Setup", "\"" + store + "Bb7Setup.exe\" /finish");
    };
    const auto expectSetAside = [&](const std::string& Journal) {
        EXPECT_TRUE(Has(Log(log_),
                        "* The journal of an upgrade in " + store + " is set aside, for an administrator to look at: "))
            << Log(log_);
        EXPECT_EQ(Journal, ReadWholeFile(store + "journal.txt")) << "kept as it was";
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, SetupKey, "Upgrade store"));
        RegKey runOnce = OpenRegKey(HKEY_LOCAL_MACHINE, RunOnceKey, KEY_READ | KEY_WOW64_64KEY);
        EXPECT_FALSE(runOnce && ReadRegString(runOnce.Get(), "Brisel Backup 7 Setup"));
        EXPECT_EQ("theirs", ReadWholeFile(theirs + "notes.txt"));
        EXPECT_FALSE(FilePresent(system + "BriService.exe"));
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        // Finished at the start of Windows: nothing is done, and nothing ends the program.
        ASSERT_NO_FATAL_FAILURE(plant(c.Journal));
        EXPECT_EQ(0u, RunFrom(programDir_, "", "/finish")) << Log(log_);
        expectSetAside(c.Journal);
        EXPECT_EQ("old", FirstLine(Stands()));
        RemoveTree(store);
    }

    // Met by a silent upgrade: set aside, and the upgrade goes on.
    ASSERT_NO_FATAL_FAILURE(plant(cases[1].Journal));
    EXPECT_EQ(0u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings)) << Log(log_);
    expectSetAside(cases[1].Journal);
    EXPECT_EQ("new", FirstLine(Stands()));
    RemoveTree(store);
}

TEST_F(StrangersTest, TheEarlierFolderCannotBeTakenAwayDuringAnUpgradeAndNothingIsPutBackThroughALink)
{
    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    const std::string folder = installDir_.substr(0, installDir_.size() - 1);
    const std::string theirs = scratch_ / "Theirs\\";
    ASSERT_TRUE(CreateDirectoryA(theirs.c_str(), nullptr));
    WriteWholeFile(theirs + "notes.txt", "theirs");
    const auto untouched = Files(theirs);

    // A program that tries again and again to take the earlier folder away and to put a link to
    // a folder of its own in its place, from the moment the earlier uninstaller runs until the
    // new version is being installed.
    WriteWholeFile(programDir_ + "Bb7Auto.txt", "STDDIR=" + installDir_ + "\r\n" + ServiceSettings);
    DeleteFileA(log_.c_str());
    InstallerProcess upgrade(exe_, programDir_, "/silent \"/log=" + log_ + "\"");
    bool took = false;
    ASSERT_TRUE(WaitUntil([] { return ProcessRuns("bb7uninstall.exe"); }, 60s));
    while (!took && !Has(ReadWholeFile(log_), "* Installation folder: ")) {
        const bool moved = MoveFileA(folder.c_str(), (scratch_ / "Taken").c_str());
        if (moved || RemoveDirectoryA(folder.c_str())) {
            // This program, held up between its look at the log and the move, may have moved the
            // folder only once the run had ended and let it go: that proves nothing, and it goes back.
            if (moved && Has(ReadWholeFile(log_), "* Exit code")) {
                ASSERT_TRUE(MoveFileA((scratch_ / "Taken").c_str(), folder.c_str()));
                break;
            }
            took = MakeHostLink(theirs, folder);
        }
        Sleep(1);
    }
    ASSERT_TRUE(upgrade.WaitForExit(90s));
    EXPECT_EQ(0u, upgrade.ExitCode()) << Log(log_);
    EXPECT_FALSE(took) << "the folder was taken away while the upgrade held it";
    EXPECT_EQ("new", FirstLine(Stands()));
    EXPECT_EQ(untouched, Files(theirs));

    // Cut off while the earlier uninstaller runs, every program of the upgrade ended; nothing
    // holds the folder then, and it is replaced by a link. Finishing puts nothing back through
    // the link and keeps what it needs for another attempt; with the link gone, the earlier
    // version comes back whole.
    {
        WriteWholeFile(programDir_ + "Bb7Auto.txt", "STDDIR=" + installDir_ + "\r\n" + ServiceSettings);
        InstallerProcess cut(exe_, programDir_, "/silent");
        ASSERT_TRUE(WaitUntil([] { return ProcessRuns("bb7uninstall.exe"); }, 60s));
    }
    EndProcesses("bb7uninstall.exe");
    ASSERT_EQ(1u, UpgradeStores().size());
    RemoveTestService("BriBackup7");
    // What the ended programs held goes once the system has let go of it.
    ASSERT_TRUE(WaitUntil(
        [&] {
            RemoveTree(installDir_);
            return !FolderPresent(installDir_);
        },
        30s));
    ASSERT_TRUE(MakeHostLink(theirs, folder));
    EXPECT_EQ(1u, RunFrom(programDir_, "", "/finish")) << Log(log_);
    EXPECT_TRUE(Has(Log(log_), " ERROR Couldn't put back the earlier version. The directory " + installDir_ +
                                   " is or holds a link to another place. Choose another directory.\r\n"))
        << Log(log_);
    EXPECT_EQ(untouched, Files(theirs)) << "written through the link";
    EXPECT_FALSE(QueryService("BriBackup7").Exists) << "registered from a folder that is not the installer's";
    EXPECT_EQ(1u, UpgradeStores().size()) << "kept for another attempt";

    RemoveHostLink(folder);
    EXPECT_EQ(0u, RunFrom(programDir_, "", "/finish")) << Log(log_);
    EXPECT_EQ("new", FirstLine(Stands())) << "the version that stood before the cut, whole";
    EXPECT_TRUE(UpgradeStores().empty());
}

TEST_F(StrangersTest, OnWindows98AnUnattendedServiceInstallationGoesOnAsItAlwaysDid)
{
    const Windows98Copy windows98(exe_);
    exe_ = windows98.Exe();

    // The file's type counts though the platform disabled it; no drive keeps permissions there,
    // and none are asked for: no box stops the run, which closes its window by itself.
    Settings("STDDIR=" + installDir_ + "\r\n" + ServiceSettings);
    Start();
    std::string boxes;
    EXPECT_TRUE(WaitUntil(
        [&] {
            if (HWND box = process_->FindMessageBox()) {
                boxes += InstallerProcess::MessageBoxText(box) + "\n";
                InstallerProcess::PressMessageBoxButton(box, IDOK);
                WaitUntil([&] { return !IsWindow(box); }, 5s);
            }
            return !process_->Running();
        },
        120s));
    EXPECT_EQ("", boxes);
    EXPECT_EQ(0u, process_->ExitCode()) << RunLog();
    const std::string log = RunLog();
    for (const std::string& line :
         std::vector<std::string>{"* Unattended: yes",
                                  "* Folder not protected, as this system keeps no permissions: " +
                                      installDir_.substr(0, installDir_.size() - 1),
                                  "* Installation type: 3", "* Service account: LocalSystem", "* Exit code 0"})
        EXPECT_TRUE(Has(log, line)) << line << " in\n" << log;
    EXPECT_TRUE(ReadWholeFile(StagedProduct() + "BriService.exe") == ReadWholeFile(installDir_ + "BriService.exe"));
    RegKey product = OpenRegKey(HKEY_LOCAL_MACHINE, ProductKey, KEY_READ);
    EXPECT_EQ(3u, product ? ReadRegDword(product.Get(), "Installation type").value_or(99) : 99);
    // Started last, it may show its window after the installer has ended: closed here, or it
    // would outlive the test.
    EXPECT_TRUE(CloseProgram("TBriUIForm", 30s)) << "the service's interface was not started";
}

} // namespace
