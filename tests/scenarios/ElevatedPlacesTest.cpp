// End to end: what the elevated installer runs and writes into, tried as an ordinary user of
// the same machine would prepare it beforehand: a recorded uninstaller behind a link or open to
// everybody, the one-installer lock taken first, a Start-menu folder that leads through a link.
// Nothing of theirs is run, written through, taken or emptied, and the installation still
// completes where it should. (A folder made beforehand: StrangersTest.)
#include <functional>

#include "SecurityDescriptor_win.h"
#include "SilentFixture.h"
#include "UninstallerTrust.h"
#include "WinHandles.h"

namespace {

using namespace wizardtest;

const char* const ShellFoldersKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class ElevatedPlacesTest : public SilentFixture {
protected:
    static bool Has(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }
};

TEST_F(ElevatedPlacesTest, ARecordedUninstallerThatCannotBeTrustedIsNotRunAndItsRecordsAreReplaced)
{
    const std::string old = PlantEarlierInstallation();
    // A program of it that its manifest names: nobody takes it away when the uninstaller is not run.
    WriteWholeFile(old + "BriBU.exe", "the earlier program");
    WriteWholeFile(old + "bb7setup.dat", "BriBU.exe\r\nbb7uninstall.exe\r\n");
    // What the earlier installation registered: the interface's autostart entry, a program group.
    const std::string group = ShellFolder(CSIDL_COMMON_PROGRAMS) + "Brisel Backup 7\\";
    auto plantEarlierRecords = [&] {
        SetRegString(CreateRegKey(HKEY_LOCAL_MACHINE, RunKey, KEY_WRITE).Get(), "Brisel Backup 7 Interface",
                     old + "briui.exe -service");
        CreateDirectoryA(group.c_str(), nullptr);
        WriteWholeFile(group + "Uninstall.lnk", "an earlier shortcut");
    };
    const std::string notRun = "* The earlier version's uninstaller ";
    const struct {
        std::string Recorded;
        std::function<bool()> Prepare;
        std::string Reason;
    } cases[] = {
        // Its folder is a link to the folder that holds it.
        {scratch_ / "OldLink\\", [&] { return MakeHostLink(old, scratch_ / "OldLink"); },
         "its folder is a link or lies behind one"},
        // Anybody may replace it.
        {old, [&] { return LetEverybodyChange(old + "bb7uninstall.exe"); },
         "it can be changed by users who are not administrators"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Reason);
        ASSERT_TRUE(c.Prepare());
        SetRegString(CreateRegKey(HKEY_LOCAL_MACHINE, ProductKey, KEY_WRITE).Get(), "Path", c.Recorded);
        plantEarlierRecords();
        Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\nCREATEICONS=TRUE\r\n");
        // The installation completes: its records and its own program group take the place of
        // the earlier ones.
        EXPECT_EQ(0u, RunSilently());
        EXPECT_TRUE(Has(Log(), notRun + c.Recorded + "bb7uninstall.exe was not run (" + c.Reason +
                                   "); this installation replaces the earlier version's records\r\n"))
            << Log();
        EXPECT_FALSE(FilePresent(old + "bb7uninstall.exe.log")) << "it was run";
        EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
        EXPECT_EQ("<none>", RegString(HKEY_LOCAL_MACHINE, RunKey, "Brisel Backup 7 Interface"));
        EXPECT_NE("an earlier shortcut", ReadWholeFile(group + "Uninstall.lnk"));
        EXPECT_TRUE(FilePresent(group + "README.lnk"));
        EXPECT_TRUE(FilePresent(old + "bb7uninstall.exe")) << "the earlier folder is not the installer's to clear";
        EXPECT_EQ("the earlier program", ReadWholeFile(old + "BriBU.exe"));
        RemoveHostLink(scratch_ / "OldLink");
        RemoveInstallationTraces();
        RemoveTree(installDir_); // the next case installs into a folder of its own again
    }
}

TEST_F(ElevatedPlacesTest, TheLockOfAnotherProgramIsNoOtherInstallerButARunningInstallerIs)
{
    // Names that any program may take first, in the session and for the whole machine, held.
    ObjectHandle session(CreateMutexA(nullptr, TRUE, "Local\\BriselBackup7Setup"));
    ObjectHandle machine(CreateMutexA(nullptr, TRUE, "Global\\BriselBackup7Setup"));
    ASSERT_TRUE(session && machine);
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n");
    EXPECT_EQ(0u, RunSilently());
    EXPECT_TRUE(Has(Log(), "* Exit code 0")) << Log();

    // A wizard that runs holds the machine's lock: a silent run meanwhile ends with 2 and leaves
    // the wizard's log alone.
    DeleteFileA((programDir_ + "Bb7Auto.txt").c_str());
    Start();
    ASSERT_NE(nullptr, WaitForWizard());
    WriteWholeFile(TempFolder() + "Bb7Setup.log", "the wizard's");
    InstallerProcess second(exe_, programDir_, "/silent");
    ASSERT_TRUE(second.WaitForExit(60s));
    EXPECT_EQ(2u, second.ExitCode());
    EXPECT_EQ("the wizard's", Log());
    PostMessageA(wizard_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit());
    char windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_FALSE(FilePresent(std::string(windows) + "\\Bb7Setup.lock")) << "it goes with the installer that held it";
}

TEST_F(ElevatedPlacesTest, AProgramsFolderThatLeadsThroughALinkIsNeitherWrittenNorEmptied)
{
    // The user's own Programs value leads through a link to a folder of somebody else's.
    const std::string saved = RegString(HKEY_CURRENT_USER, ShellFoldersKey, "Programs");
    struct Restore {
        std::string Saved;
        ~Restore()
        {
            RegKey key = CreateRegKey(HKEY_CURRENT_USER, ShellFoldersKey, KEY_WRITE);
            if (Saved.front() == '<') // there was none
                DeleteRegValue(key.Get(), "Programs");
            else
                SetRegString(key.Get(), "Programs", Saved);
        }
    } restore{saved};
    auto setPrograms = [](const std::string& Programs) {
        SetRegString(CreateRegKey(HKEY_CURRENT_USER, ShellFoldersKey, KEY_WRITE).Get(), "Programs", Programs);
    };
    const std::string real = scratch_ / "Real\\";
    ASSERT_TRUE(CreateDirectoryA(real.c_str(), nullptr) && CreateDirectoryA((real + "Programs").c_str(), nullptr));
    PlantedLink link(real, scratch_ / "Link");
    ASSERT_TRUE(link);

    // The installer reports it as a group it cannot make, and makes nothing there.
    setPrograms(scratch_ / "Link\\Programs");
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=1\r\nCREATEICONS=TRUE\r\n");
    EXPECT_EQ(1u, RunSilently());
    EXPECT_TRUE(Has(Log(), " ERROR Couldn't create the program group\r\n")) << Log();
    EXPECT_FALSE(FolderPresent(real + "Programs\\Brisel Backup 7"));

    // The product's uninstaller finds a group of shortcut names behind a link, in the user's
    // Programs folder that leads through one and as a group that is one itself: both stay.
    const std::string theirs = scratch_ / "Theirs\\";
    ASSERT_TRUE(CreateDirectoryA(theirs.c_str(), nullptr) &&
                CreateDirectoryA((real + "Programs\\Brisel Backup 7").c_str(), nullptr));
    for (const std::string& group : {theirs, real + "Programs\\Brisel Backup 7\\"})
        for (const char* name : {"README.lnk", "Uninstall.lnk"})
            WriteWholeFile(group + name, "theirs");
    ASSERT_TRUE(CreateDirectoryA((scratch_ / "Start").c_str(), nullptr));
    PlantedLink linkedGroup(theirs, scratch_ / "Start\\Brisel Backup 7");
    ASSERT_TRUE(linkedGroup);
    for (const std::string& programs : {scratch_ / "Link\\Programs", scratch_ / "Start"}) {
        SCOPED_TRACE(programs);
        setPrograms(programs);
        StartedProgram uninstaller("\"" + installDir_ + "bb7uninstall.exe\" -nowarningclose");
        ASSERT_TRUE(uninstaller.WaitForExit(60000));
        EXPECT_EQ(0u, uninstaller.ExitCode()) << "kept, not left";
        for (const std::string& group : {theirs, real + "Programs\\Brisel Backup 7\\"})
            for (const char* name : {"README.lnk", "Uninstall.lnk"})
                EXPECT_EQ("theirs", ReadWholeFile(group + name)) << group << name;
        // Installed again, without a group: it cannot be made there.
        EXPECT_EQ(1u, RunSilently());
        EXPECT_FALSE(FilePresent(theirs + "history.lnk") || FilePresent(real + "Programs\\Brisel Backup 7\\history.lnk"));
    }
}

TEST_F(ElevatedPlacesTest, OnWindows98TheFolderIsMadeAsBeforeWithoutPermissions)
{
    const Windows98Copy windows98(exe_);
    exe_ = windows98.Exe();
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n");
    EXPECT_EQ(0u, RunSilently());
    EXPECT_TRUE(Has(Log(), "* Folder not protected, as this system keeps no permissions: " +
                               installDir_.substr(0, installDir_.size() - 1) + "\r\n"))
        << Log();
    EXPECT_EQ(ReadWholeFile(StagedProduct() + "BriBU.exe"), ReadWholeFile(installDir_ + "BriBU.exe"));
}

} // namespace
