// End to end: Bb7Setup.exe /silent installs the real product without showing anything and
// leaves exactly what an unattended run of the same settings leaves; what it refuses, it
// refuses before anything changes. A watch on the installer's windows runs all the while.
#include "SilentFixture.h"
#include "StringCipher.h"
#include "UnattendedKey.h"

namespace {

using namespace wizardtest;

class SilentInstallTest : public SilentFixture {};

TEST_F(SilentInstallTest, EveryTypeLeavesWhatItsUnattendedRunLeavesAndShowsNothing)
{
    char user[256] = {};
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    const struct {
        uint8_t Kind;
        bool Icons;
        std::string Settings;
    } runs[] = {
        {0, true, "CREATEICONS=TRUE\r\nINSTKIND=0\r\n"},
        {1, true, "createicons=true\r\ninstkind=1\r\n"},
        {2, false, "INSTKIND=2\r\n"},
        {3, true, "CREATEICONS=True\r\nINSTKIND=3\r\nAUTHKIND=0\r\n"},
        {3, false,
         "INSTKIND=3\r\nAUTHKIND=1\r\nINSTID=" + std::string(user) +
             "\r\nINSTPASSWORD=" + *EncipherText("pass word", UnattendedPasswordKey) + "\r\n"},
    };
    // Each run goes over the one before, whose uninstaller it runs first: the unattended run
    // over the silent one of the type before, the silent run over the unattended one.
    for (const auto& run : runs) {
        SCOPED_TRACE(run.Settings);
        Settings("STDDIR=" + installDir_ + "\r\n" + run.Settings);
        Start();
        ASSERT_TRUE(WaitForExit());
        ASSERT_EQ(0u, process_->ExitCode());
        const std::string unattended = Leftovers(run.Kind);
        EXPECT_NE(std::string::npos, unattended.find("file bb7setup.dat")) << unattended;
        EXPECT_NE(std::string::npos, unattended.find(run.Kind == 3 ? "service exists state 4 " : "service absent"));
        EXPECT_EQ(run.Icons, unattended.find("Uninstall.lnk") != std::string::npos);

        ASSERT_EQ(0u, RunSilently());
        EXPECT_EQ(unattended, Leftovers(run.Kind));
        const std::string log = Log();
        for (const char* line : {"* Silent: yes", "Uninstalling the old version", "* Exit code 0"})
            EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
        EXPECT_EQ(std::string::npos, log.find(" ERROR ")) << log;
        EXPECT_EQ(std::string::npos, log.find("pass word")) << "never the password";
        EXPECT_FALSE(FolderPresent(TempFolder() + "Distro")) << "nothing of the product in the temporary folder";
    }
}

TEST_F(SilentInstallTest, AFreshRunWaitsForTheEarlierUninstallerAndWritesNothingTemporaryButItsLog)
{
    const std::string old = PlantEarlierInstallation();
    Settings("STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\nCREATEICONS=TRUE\r\n");
    const auto before = TemporaryFiles();
    ASSERT_EQ(0u, RunSilently("-SILENT"));
    EXPECT_EQ("+ Bb7Setup.log\n", Changes(before, Files(TempFolder())));
    const std::string calls = ReadWholeFile(old + "bb7uninstall.exe.log");
    EXPECT_EQ("\"" + old + "bb7uninstall.exe\" -nowarningclose\ndone\n", calls) << "run, closing by itself, waited for";

    EXPECT_NE(std::string::npos, Leftovers(2).find("Uninstall.lnk"));
    EXPECT_EQ(ReadWholeFile(StagedProduct() + "BriBU.exe"), ReadWholeFile(installDir_ + "BriBU.exe"));
    EXPECT_EQ(installDir_, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    EXPECT_NE(std::string::npos, Log().find("File " + installDir_ + "BriBU.exe copied")) << Log();
}

TEST_F(SilentInstallTest, WhatCannotBeInstalledEndsWithItsCodeAndChangesNothing)
{
    const std::string old = PlantEarlierInstallation();
    const std::string ownLog = scratch_ / "own.log";
    const std::string good = "STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n";
    const struct {
        std::string Settings; // no file when empty
        std::string Arguments;
        DWORD ExitCode;
        std::string Line;
    } cases[] = {
        {"STDDIR=\r\nINSTKIND=2\r\n", "/silent", 5, " ERROR Unable to create directory"},
        {"INSTKIND=2\r\n", "/Silent", 5, " ERROR Unable to create directory"},
        {"STDDIR=C:\\B\r\nINSTKIND=3\r\nAUTHKIND=1\r\nINSTID= \r\n", "/silent", 5, " ERROR Your account name is empty"},
        // Without a file, the pages' defaults: the earlier installation's folder, and for an
        // administrator the service under a named account, which needs an ID.
        {"", "/silent", 5, "* Installation folder: " + old},
        {good, "/silent /settings=C:\\none.txt", 5, " ERROR Cannot find the settings file C:\\none.txt"},
        {good, "/silent /quiet", 6, " ERROR Unknown switch \"/quiet\""},
        {"STDDIR=\r\n", "-silent \"-log=" + ownLog + "\"", 5, " ERROR Unable to create directory"},
        {"!damaged", "/silent", 3, " ERROR The files couldn't be unzipped"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments + " with " + c.Settings);
        DeleteFileA((programDir_ + "Bb7Auto.txt").c_str());
        if (c.Settings == "!damaged") {
            // Damage in the middle of the entries' data: found before anything changes.
            std::string payload = Payload();
            for (size_t i = payload.size() / 2; i < payload.size() / 2 + 64; ++i)
                payload[i] = static_cast<char>(payload[i] ^ 0x5A);
            ReplacePayload(payload);
            Settings(good);
        } else if (!c.Settings.empty()) {
            Settings(c.Settings);
        }
        const auto before = TemporaryFiles();
        EXPECT_EQ(c.ExitCode, RunSilently(c.Arguments));
        const bool ownLogFile = c.Arguments.find("-log=") != std::string::npos;
        const std::string log = Log(ownLogFile ? ownLog : TempFolder() + "Bb7Setup.log");
        EXPECT_NE(std::string::npos, log.find(c.Line)) << log;
        EXPECT_NE(std::string::npos, log.find("* Exit code " + std::to_string(c.ExitCode))) << log;
        EXPECT_EQ(ownLogFile ? "" : "+ Bb7Setup.log\n", Changes(before, Files(TempFolder())));
        EXPECT_FALSE(FilePresent(old + "bb7uninstall.exe.log")) << "the earlier installation was touched";
        EXPECT_FALSE(FolderPresent(installDir_));
        EXPECT_EQ(old, RegString(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
    }

    // The usage, asked for, in a box.
    process_ = std::make_unique<InstallerProcess>(exe_, programDir_, "/?");
    HWND box = WaitForMessageBox();
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, InstallerProcess::MessageBoxText(box).find("/settings=PATH"));
    InstallerProcess::PressMessageBoxButton(box, IDOK);
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, process_->ExitCode());
}

} // namespace
