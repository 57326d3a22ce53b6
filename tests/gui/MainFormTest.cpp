// The wizard window in the test's own process: the first defaults for each platform and the
// user's rights (answered by the test instead of the system), and closing while the
// installation runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <thread>
#include <vector>

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
        form_->Unpacked = {{source_ + "bb7setup.dat"}, {source_.substr(0, source_.size() - 1)}, {}};
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

TEST_F(MainFormTest, PlatformAndRightsGiveTheFirstDefaults)
{
    Application::SetTitle("Brisel Backup 7 Setup");
    struct Row {
        bool Nt, Administrator;
        const char* Selected;
        std::vector<const char*> Disabled;
        bool Notice;
    };
    const Row rows[] = {
        {false, true, "rb_AutoAll", {"rb_Service", "rb_LocalSystem", "rb_Account", "e_ID", "e_Password"}, false},
        {true, true, "rb_Service", {}, false},
        {true,
         false,
         "rb_AutoCurent",
         {"rb_AutoAll", "rb_Service", "rb_LocalSystem", "rb_Account", "e_ID", "e_Password"},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Selected);
        TMainForm form;
        form.SourceDir = source_;
        form.IsNtFamily = [&] { return row.Nt; };
        form.IsAdministratorUser = [&] { return row.Administrator; };
        std::string notice;
        {
            std::unique_ptr<MessageBoxAnswerer> answer;
            if (row.Notice)
                answer = std::make_unique<MessageBoxAnswerer>("Brisel Backup 7 Setup", IDOK);
            form.InitPages();
            if (answer)
                notice = answer->Text();
        }
        EXPECT_EQ(row.Notice ? "You must be an administrator to install the service. The \"Service\" option and the "
                               "\"Application with Autostart for all users\" option will be disabled"
                             : "",
                  notice);
        EXPECT_TRUE(form.Get<RadioButton>(row.Selected).Checked());
        EXPECT_EQ(row.Nt && row.Administrator, form.rb_Account.Checked()) << "the account only with the service";
        EXPECT_FALSE(form.rb_LocalSystem.Checked());
        for (const char* name : {"rb_AutoAll", "rb_AutoCurent", "rb_NoAuto", "rb_Service", "rb_LocalSystem",
                                 "rb_Account", "e_ID", "e_Password"}) {
            const bool disabled =
                std::find(row.Disabled.begin(), row.Disabled.end(), std::string(name)) != row.Disabled.end();
            EXPECT_EQ(!disabled, form.Find(name).Enabled()) << name;
        }
        EXPECT_FALSE(form.b_Next0.Enabled());
        EXPECT_FALSE(form.b_NextWarning.Enabled());
    }
}
