// End to end: an upgrade that cannot be finished leaves the earlier version working, and an
// earlier installation whose folder is gone no longer stands in the way of a new one. The
// earlier version is an earlier release of the product (a changed file, a file more) that a
// copy of the installer carries, installed as a service; bb7installed tells which version
// stands: its records, its service and every file of its manifest.
#include "EarlierRelease.h"

namespace {

using namespace wizardtest;

class FailedUpgradeTest : public EarlierReleaseFixture {
protected:
    void CloseInterfaces()
    {
        for (HWND w; (w = FindWindowA("TBriUIForm", nullptr)) != nullptr;) {
            PostMessageA(w, WM_CLOSE, 0, 0);
            WaitUntil([&] { return !IsWindow(w); }, 10s);
        }
    }

    // Whatever a test may have left: the programs, the service, records, groups and files.
    void CleanUp()
    {
        CloseInterfaces();
        RemoveTestService("BriBackup7");
        RemoveInstallationTraces();
        RemoveTree(installDir_);
    }

    // Waits for the wizard to end, answering each box it shows with OK (their texts go into
    // Boxes) and pressing Done once it is available.
    bool WaitForWizardEnd(std::string& Boxes)
    {
        return WaitUntil(
            [&] {
                if (HWND box = process_->FindMessageBox()) {
                    Boxes += InstallerProcess::MessageBoxText(box) + "\n";
                    InstallerProcess::PressMessageBoxButton(box, IDOK);
                    WaitUntil([&] { return !IsWindow(box); }, 5s);
                } else if (IsWindow(wizard_) && IsEnabled(Ctl("b_Done"))) {
                    ClickButton(Ctl("b_Done"));
                }
                return !process_->Running();
            },
            90s);
    }

    // Leaves the Folders page of an upgrade: the earlier version's uninstaller runs with
    // "-nowarning" and reports at its end, in a box of its own process.
    void LeaveFoldersOverTheEarlierVersion()
    {
        ASSERT_TRUE(ClickButton(Ctl("b_Next1")));
        HWND report = WaitForOldUninstallerReport();
        ASSERT_NE(nullptr, report) << "the earlier uninstaller did not report";
        PressButton(report, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 3; }, 60s));
    }

    // The Settings page's service under LocalSystem, past its warning, to the copy.
    void InstallAsServiceFromSettings()
    {
        Click("rb_Service");
        Click("rb_LocalSystem");
        ASSERT_TRUE(ClickButton(Ctl("b_Next2")));
        AnswerMessageBox("If you run your service under the LocalSystem account you may NOT have access to network "
                         "resources. Continue?",
                         "Warning", IDOK);
    }

};

TEST_F(FailedUpgradeTest, ASilentUpgradeToAFolderOnAMissingDriveLeavesTheEarlierVersionWorking)
{
    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    const std::string missing = std::string(1, MissingDriveLetter()) + ":\\Brisel Backup 7\\";
    const DWORD code = RunFrom(programDir_, "STDDIR=" + missing + "\r\n" + ServiceSettings);
    const std::string log = ReadWholeFile(log_);

    // Refused before the earlier version was touched (5), or the earlier version put back
    // after its uninstaller had run (7): either way it works as before.
    EXPECT_TRUE(code == 5 || code == 7) << "exit code " << code << "\n" << log;
    if (code == 5) {
        EXPECT_EQ(std::string::npos, log.find("Uninstalling the old version")) << "a refusal changes nothing\n" << log;
    }
    EXPECT_NE(std::string::npos, log.find("* Exit code " + std::to_string(code))) << log;
    const std::string stands = Stands();
    EXPECT_EQ("old", FirstLine(stands)) << stands;
}

TEST_F(FailedUpgradeTest, ACancelDuringTheCopyOfAnUpgradePutsTheEarlierVersionBack)
{
    ASSERT_NO_FATAL_FAILURE(InstallEarlier());
    Start();
    ASSERT_NO_FATAL_FAILURE(GoToFolders());
    EXPECT_EQ(installDir_, TextOf("e_Dir")) << "the earlier installation's folder";
    ASSERT_NO_FATAL_FAILURE(LeaveFoldersOverTheEarlierVersion());
    ASSERT_NO_FATAL_FAILURE(InstallAsServiceFromSettings());

    // Cancel while the files are copied, and OK to the question.
    ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 4 && IsEnabled(Ctl("b_Cancel")); }, 30s));
    ASSERT_TRUE(ClickButton(Ctl("b_Cancel")));
    AnswerMessageBox("Do you want to cancel the setup?", nullptr, IDOK);
    std::string boxes;
    ASSERT_TRUE(WaitForWizardEnd(boxes)) << "the wizard did not end; its boxes:\n" << boxes;

    EXPECT_EQ(7u, process_->ExitCode()) << "the earlier version put back; boxes:\n" << boxes << RunLog();
    EXPECT_NE(std::string::npos, RunLog().find("* Exit code 7")) << RunLog();
    const std::string stands = Stands();
    EXPECT_EQ("old", FirstLine(stands)) << stands;
}

TEST_F(FailedUpgradeTest, AnEarlierFolderDeletedByHandBlocksNeitherTheWizardNorASilentRun)
{
    // An administrator stopped the earlier version and deleted its folder, uninstaller and all:
    // its records and its service stay.
    const auto deleteEarlierFolder = [&] {
        ASSERT_NO_FATAL_FAILURE(InstallEarlier());
        CloseInterfaces();
        StartedProgram stop("sc stop BriBackup7");
        stop.WaitForExit(30000);
        ASSERT_TRUE(WaitUntil([] { return QueryService("BriBackup7").State == SERVICE_STOPPED; }, 30s));
        RemoveTree(installDir_);
        ASSERT_FALSE(FolderPresent(installDir_));
    };

    {
        SCOPED_TRACE("the wizard");
        ASSERT_NO_FATAL_FAILURE(deleteEarlierFolder());
        Start();
        ASSERT_NO_FATAL_FAILURE(GoToFolders());
        ASSERT_TRUE(ClickButton(Ctl("b_Next1")));
        HWND box = nullptr;
        WaitUntil([&] { return Page(wizard_) == 3 || (box = process_->FindMessageBox()) != nullptr; }, 60s);
        if (box) {
            ADD_FAILURE() << "the Folders page's Next says: " << InstallerProcess::MessageBoxText(box);
            InstallerProcess::PressMessageBoxButton(box, IDOK);
            WaitUntil([&] { return !IsWindow(box); }, 5s);
            Click("b_Cancel1");
            WaitForExit();
        } else {
            ExpectPage(wizard_, 3);
            ASSERT_NO_FATAL_FAILURE(InstallAsServiceFromSettings());
            std::string boxes;
            ASSERT_TRUE(WaitForWizardEnd(boxes)) << boxes;
            EXPECT_EQ(0u, process_->ExitCode()) << boxes << RunLog();
            const std::string stands = Stands();
            EXPECT_EQ("new", FirstLine(stands)) << stands;
        }
    }

    {
        SCOPED_TRACE("a silent run");
        CleanUp();
        ASSERT_NO_FATAL_FAILURE(deleteEarlierFolder());
        EXPECT_EQ(0u, RunFrom(programDir_, "STDDIR=" + installDir_ + "\r\n" + ServiceSettings))
            << ReadWholeFile(log_);
        const std::string stands = Stands();
        EXPECT_EQ("new", FirstLine(stands)) << stands;
    }
}

} // namespace
