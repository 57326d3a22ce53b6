// The wizard window in the test's own process: closing while the installation runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <thread>

#include "Application.h"
#include "WizardDriver.h"
#include "unit_Setup_Main.h"

using namespace std::chrono_literals;

namespace {

class MainFormTest : public testing::Test {
protected:
    static void SetUpTestSuite() { Application::Initialize(GetModuleHandleA(nullptr)); }
    void SetUp() override
    {
        source_ = TempFolder() + "bb7-mainform-test\\";
        RemoveTree(source_);
        CreateDirectoryA(source_.c_str(), nullptr);
        std::ofstream(source_ + "bb7setup.dat") << "LICENSE.TXT\r\n";
        form_ = std::make_unique<TMainForm>();
        form_->SourceDir = source_;
        form_->Unpacked = {{source_ + "bb7setup.dat"}, {source_.substr(0, source_.size() - 1)}};
        form_->FirstShow = false; // no unpacking: the folder above stands for it
        form_->Show();
        form_->SelectPage(pgInstall);
    }
    void TearDown() override
    {
        form_.reset();
        RemoveTree(source_);
    }
    std::string source_;
    std::unique_ptr<TMainForm> form_;
};

} // namespace

TEST_F(MainFormTest, CancelWhileInstallingClosesOnlyOnceTheSequenceHasStopped)
{
    HWND window = form_->Handle();
    bool folderDuringSequence = false;
    std::string question;
    form_->RunInstallation([&] {
        MessageBoxAnswerer answer("Confirm", IDOK);
        form_->Get<Button>("b_Cancel").Press(); // the user cancels in the middle of the copy
        folderDuringSequence = FolderPresent(source_) && IsWindow(window);
        question = answer.Text();
    });
    EXPECT_EQ("Do you want to cancel the setup?", question);
    EXPECT_TRUE(folderDuringSequence) << "the files being installed stay until the sequence stops";
    EXPECT_FALSE(IsWindow(window)) << "the window closes once the sequence has stopped";
    EXPECT_FALSE(FolderPresent(source_));
}

TEST_F(MainFormTest, CancelAnsweredNoLetsTheInstallationFinishAndTheWindowStay)
{
    HWND window = form_->Handle();
    std::string question;
    form_->RunInstallation([&] {
        MessageBoxAnswerer answer("Confirm", IDCANCEL);
        form_->Get<Button>("b_Cancel").Press();
        question = answer.Text();
    });
    EXPECT_EQ("Do you want to cancel the setup?", question);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(FolderPresent(source_));
    EXPECT_FALSE(form_->InstallRunning);
}

TEST_F(MainFormTest, ClosingWithoutARunningInstallationDeletesTheFolderAtOnce)
{
    HWND window = form_->Handle();
    form_->Close();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(FolderPresent(source_));
}
