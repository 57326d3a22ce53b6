// The wizard window in the test's own process: the first defaults for each platform and the
// user's rights, answered by the test instead of the system.
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
        std::ofstream(source_ + "License.txt") << "licence";
    }
    void TearDown() override { RemoveTree(source_); }
    std::string source_;
};

} // namespace

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
