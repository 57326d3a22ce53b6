// End to end: what real machines have that a clean test machine lacks. A file of the product
// that another program holds open during an upgrade, the temporary folder on another drive,
// an uninstall that could not remove a held program: the run says what waits for the next start
// of Windows (exit code 3010), no mix of versions stands at any moment, and after a start of
// Windows (wineboot -r: pending renames, then RunOnce) the new version stands whole. This
// program runs in a Wine prefix of its own, which it may restart.
#include <atomic>

#include "EarlierRelease.h"

namespace {

using namespace wizardtest;

const DWORD RestartRequired = 3010;

// The file opened as a viewer or a backup tool may open it: sharing nothing.
FileHandle HoldWithoutSharing(const std::string& Path)
{
    return FileHandle(CreateFileA(Path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

// Runs a command of the host's shell to its end; its exit status. Wine starts a Unix program as
// it is, but its process can be neither waited for nor asked for its exit code: the shell leaves
// the status in a file.
int RunOnHost(const std::string& Command)
{
    const std::string status = TempFolder() + UniqueTestName("bb7-host") + ".status";
    const std::string hostStatus = HostPath(status);
    StartHostProgram("Z:\\bin\\sh -c \"" + Command + "; echo $? > " + hostStatus + "\"");
    std::string text;
    WaitUntil([&] { return !(text = ReadWholeFile(status)).empty(); }, 60s);
    DeleteFileA(status.c_str());
    return text.empty() ? 99 : std::atoi(text.c_str());
}

// Runs a Windows program to its end; its exit code.
DWORD RunProgram(const std::string& CommandLine)
{
    StartedProgram program(CommandLine);
    return program.WaitForExit(120000) ? program.ExitCode() : 99;
}

std::string Prefix()
{
    char prefix[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    return prefix;
}

// A small drive of its own, T:, as a second disk of a machine is: a tmpfs of Size mounted by
// the host and linked as the prefix's drive, gone again with this object. Mounting needs root;
// without it the object is false.
class SmallDrive {
public:
    explicit SmallDrive(const std::string& Size)
        : point_("/tmp/bb7-machines-t-" + std::to_string(GetCurrentProcessId())), link_(Prefix() + "/dosdevices/t:")
    {
        mounted_ = RunOnHost("mkdir -p " + point_) == 0 &&
                   RunOnHost("mount -t tmpfs -o size=" + Size + " tmpfs " + point_) == 0;
        mounted_ = mounted_ && RunOnHost("ln -s " + point_ + " " + link_) == 0 &&
                   WaitUntil([] { return GetFileAttributesA("T:\\") != INVALID_FILE_ATTRIBUTES; }, 10s);
    }
    ~SmallDrive() { RunOnHost("rm -f " + link_ + "; umount " + point_ + "; rmdir " + point_); }
    SmallDrive(const SmallDrive&) = delete;
    SmallDrive& operator=(const SmallDrive&) = delete;
    explicit operator bool() const { return mounted_; }

private:
    std::string point_, link_;
    bool mounted_ = false;
};

class RealMachinesTest : public EarlierReleaseFixture {
protected:
    // Windows starts again: what waits for its start is done (the pending renames, then the
    // RunOnce entries), and every program it starts settles.
    void RestartWindows()
    {
        ASSERT_EQ(0u, RunProgram("wineboot.exe -r"));
        WaitUntil([] { return ProductProcesses().find("Bb7Setup") == std::string::npos; }, 60s);
    }

    bool FinishPending()
    {
        RegKey runOnce = OpenRegKey(HKEY_LOCAL_MACHINE, RunOnceKey, KEY_READ | KEY_WOW64_64KEY);
        return runOnce && ReadRegString(runOnce.Get(), "Brisel Backup 7 Setup");
    }
};

TEST_F(RealMachinesTest, AFileInUseDuringAnUpgradeIsReplacedAtTheRestartAndNoMixOfVersionsStands)
{
    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    const std::string held = installDir_ + "history.txt";
    const std::string earlierHistory = ReadWholeFile(held);
    {
        FileHandle viewer = HoldWithoutSharing(held);
        ASSERT_TRUE(viewer);
        EXPECT_EQ(RestartRequired, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings))
            << Log(log_);
        const std::string log = Log(log_);
        for (const std::string& line :
             {"* The earlier version's " + held + " is in use by another program: it stays where it is",
              "      File " + held + " is in use: the new one replaces it when Windows starts again",
              std::string("      Some files were in use: Windows replaces them when it starts again. Restart "
                          "Windows to finish the installation."),
              std::string("* Exit code 3010")})
            EXPECT_TRUE(Has(log, line)) << line << " in\n" << log;
        // Every other file is the new version's, the records are; the one in use is the earlier
        // one's until the restart, and the earlier version's copy waits for it.
        const std::string stands = Stands();
        EXPECT_TRUE(Has(stands, "history.txt")) << stands;
        EXPECT_EQ(1u, UpgradeStores().size());
        EXPECT_TRUE(FinishPending());
    }
    EXPECT_EQ(earlierHistory, ReadWholeFile(held));
    ASSERT_NO_FATAL_FAILURE(RestartWindows());
    EXPECT_EQ("new", FirstLine(Stands()));
    const std::string store = RegString(HKEY_LOCAL_MACHINE, SetupKey, "Upgrade store");
    EXPECT_TRUE(store == "<none>" || store == "<no key>")
        << "the earlier version's copy goes once the restart has replaced the file: " << store;
    EXPECT_FALSE(FinishPending());
    EXPECT_FALSE(FilePresent(held + ".bb7-restart"));
}

TEST_F(RealMachinesTest, AFileInUseThatCannotWaitForTheRestartPutsTheEarlierVersionBackWhole)
{
    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    const std::string held = installDir_ + "history.txt";
    // Where the new file would wait, something that is no file and cannot be replaced.
    ASSERT_TRUE(CreateDirectoryA((held + ".bb7-restart").c_str(), nullptr));
    WriteWholeFile(held + ".bb7-restart\\x", "x");
    {
        FileHandle viewer = HoldWithoutSharing(held);
        ASSERT_TRUE(viewer);
        EXPECT_EQ(7u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings)) << Log(log_);
        EXPECT_TRUE(Has(Log(log_), " ERROR Could'nt copy " + installDir_ + "history.txt")) << Log(log_);
    }
    RemoveTree(held + ".bb7-restart");
    EXPECT_EQ("old", FirstLine(Stands()));
    EXPECT_TRUE(UpgradeStores().empty());
    EXPECT_FALSE(FinishPending());
    // Nothing of the new version waits for the restart either.
    ASSERT_NO_FATAL_FAILURE(RestartWindows());
    EXPECT_EQ("old", FirstLine(Stands()));
}

TEST_F(RealMachinesTest, WithTheTemporaryFolderOnAnotherDriveTheNewUninstallerSurvivesTheRestart)
{
    SmallDrive drive("64m");
    if (!drive)
        GTEST_SKIP() << "a drive of its own needs root to mount a tmpfs";
    ASSERT_TRUE(CreateDirectoryA("T:\\Temp", nullptr));

    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    const std::string ownTemp = TempFolder();
    for (const char* name : {"TMP", "TEMP"})
        SetEnvironmentVariableA(name, "T:\\Temp\\");
    EXPECT_EQ(0u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings)) << Log(log_);
    for (const char* name : {"TMP", "TEMP"})
        SetEnvironmentVariableA(name, ownTemp.c_str());
    EXPECT_TRUE(Has(Log(log_), "at the next start of Windows is dropped: the installation goes on there")) << Log(log_);
    ASSERT_NO_FATAL_FAILURE(RestartWindows());
    EXPECT_EQ("new", FirstLine(Stands()));
    EXPECT_TRUE(FilePresent(installDir_ + "bb7uninstall.exe"));
    EXPECT_TRUE(ReadWholeFile(StagedProduct() + "bb7uninstall.exe") == ReadWholeFile(installDir_ + "bb7uninstall.exe"))
        << "the new version's uninstaller";
}

TEST_F(RealMachinesTest, AFolderThatTheUninstallerLeftForAHeldProgramTakesTheNextInstallation)
{
    Settings("STDDIR=" + installDir_ + "\r\n" + ServiceSettings);
    ASSERT_EQ(0u, RunSilently()) << Log();
    const std::string held = installDir_ + "Decompressor.exe";
    {
        // The product's own program, held through its uninstall: it stays, as the uninstaller says.
        FileHandle holder = HoldWithoutSharing(held);
        ASSERT_TRUE(holder);
        StartedProgram uninstaller(RegString(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"));
        ASSERT_TRUE(uninstaller.WaitForExit(60000));
        EXPECT_EQ(2u, uninstaller.ExitCode());
        ASSERT_TRUE(FilePresent(held));
        // Installed again before Windows starts again: the folder is the product's own, the
        // program in use waits for the restart.
        EXPECT_EQ(RestartRequired, RunSilently()) << Log();
        EXPECT_TRUE(Has(Log(), "      File " + held + " is in use: the new one replaces it when Windows starts again"))
            << Log();
    }
    ASSERT_NO_FATAL_FAILURE(RestartWindows());
    EXPECT_EQ("new", FirstLine(Stands()));
    EXPECT_FALSE(FilePresent(held + ".bb7-restart"));
}

TEST_F(RealMachinesTest, AFullDriveEndsWithItsOwnCodeBeforeAnythingChangesAndDuringTheCopyAlike)
{
    // The product's files as they lie once installed, and a drive that just holds their bytes:
    // the check before anything changes lets it through, the files' own rounding fills it.
    uint64_t bytes = 0;
    for (const std::string& line : SplitTextLines(ReadWholeFile(StagedProduct() + "bb7setup.dat")))
        bytes += ReadWholeFile(StagedProduct() + line).size();
    const std::string folder = "T:\\Brisel Backup 7\\";
    for (const uint64_t size : {bytes / 2, bytes + 4096}) {
        SCOPED_TRACE(size < bytes ? "too small for the product" : "filled up during the copy");
        SmallDrive drive(std::to_string(size));
        if (!drive)
            GTEST_SKIP() << "a drive of its own needs root to mount a tmpfs";
        EXPECT_EQ(8u, RunFrom(programDir_, "STDDIR=" + folder + "\r\nINSTKIND=2\r\nCREATEICONS=FALSE\r\n"))
            << Log(log_);
        EXPECT_TRUE(Has(Log(log_), " ERROR There is not enough free space for the program in T:\\Brisel Backup 7"))
            << Log(log_);
        EXPECT_EQ(size < bytes, !Has(Log(log_), "copied")) << Log(log_);
        EXPECT_FALSE(FolderPresent(folder)) << "what was written goes";
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
        EXPECT_EQ("<no key>", RegString(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"));
    }
}

} // namespace
