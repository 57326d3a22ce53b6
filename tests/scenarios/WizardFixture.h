// The fixture of the end-to-end tests: a copy of Bb7Setup.exe in a folder of the test's own,
// started as a user would, and the means to find its windows and answer its boxes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "InstallerPayload.h"
#include "MainFormLayout.h"
#include "WizardDriver.h"

using namespace std::chrono_literals;

namespace wizardtest {

const auto WizardTimeout = 60s;

class WizardFixture : public testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        programDir_ = TempFolder() + "bb7gui-" + info->name() + "\\";
        RemoveTree(programDir_);
        RemoveTree(TempFolder() + "Distro");
        ASSERT_TRUE(CreateDirectoryA(programDir_.c_str(), nullptr));
        exe_ = programDir_ + "Bb7Setup.exe";
        ASSERT_TRUE(CopyFileA((OwnFolder() + "Bb7Setup.exe").c_str(), exe_.c_str(), FALSE));
    }

    void TearDown() override
    {
        process_.reset();
        RemoveTree(programDir_);
        RemoveTree(TempFolder() + "Distro");
        RemoveDirectoryA((TempFolder() + "DISTRO.ZIP").c_str());
    }

    void Start() { process_ = std::make_unique<InstallerProcess>(exe_, programDir_); }

    HWND WaitForWizard()
    {
        HWND wizard = process_->WaitForWindow("TMainForm", WizardTimeout);
        EXPECT_NE(nullptr, wizard) << "the wizard window did not appear";
        wizard_ = wizard;
        return wizard;
    }

    HWND Control(HWND Wizard, const char* Name) { return FindControl(Wizard, MainFormLayout, Name); }

    // The wizard's control of this name, in the wizard that WaitForWizard found.
    HWND Ctl(const char* Name) { return Control(wizard_, Name); }
    std::string TextOf(const char* Name) { return WindowText(Ctl(Name)); }
    void SetTextOf(const char* Name, const std::string& Text)
    {
        SendMessageA(Ctl(Name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
    }
    // A click on an enabled button or radio button, handled before this returns.
    void Click(const char* Name)
    {
        ASSERT_TRUE(ClickButton(Ctl(Name))) << Name << " is disabled or hidden";
        ASSERT_TRUE(WaitForPostedMessages(Ctl("m_License")));
    }
    // Through the License and Warning pages to the Folders page.
    void GoToFolders()
    {
        ASSERT_NE(nullptr, WaitForWizard());
        Click("rb_Accept");
        Click("b_Next0");
        Click("cb_Warning");
        Click("b_NextWarning");
        ExpectPageAt(wizard_, 2, __LINE__);
    }

    int Page(HWND Wizard) { return SelectedTab(Control(Wizard, "PageControl")); }

    // The shown page: its index in the tabs, and only its container visible.
    void ExpectPageAt(HWND Wizard, int Expected, int Line)
    {
        SCOPED_TRACE(testing::Message() << "page check at line " << Line);
        static const char* const pages[] = {"tab_License", "tab_Warning", "tab_Folders", "tab_Settings", "tab_Install"};
        EXPECT_TRUE(WaitUntil([&] { return IsVisible(Control(Wizard, pages[Expected])); }, 5s)) << pages[Expected];
        EXPECT_EQ(Expected, Page(Wizard));
        for (int i = 0; i < 5; ++i) {
            if (i != Expected) {
                EXPECT_FALSE(IsVisible(Control(Wizard, pages[i]))) << pages[i] << " is visible too";
            }
        }
    }

#define ExpectPage(Wizard, Expected) ExpectPageAt(Wizard, Expected, __LINE__)

    bool WaitForExit()
    {
        return process_->WaitForExit(20s);
    }

    // Replaces the payload resource of the test's copy.
    void ReplacePayload(const std::string& Data)
    {
        ASSERT_TRUE(ReplaceInstallerPayload(exe_, Data));
    }

    std::string Payload()
    {
        return InstallerPayload(exe_);
    }

    // The installation's log file where a run without /log writes it.
    std::string RunLog()
    {
        return ReadWholeFile(TempFolder() + "Bb7Setup.log");
    }

    std::string ReadFile(const std::string& Path)
    {
        return ReadWholeFile(Path);
    }

    HWND WaitForMessageBox()
    {
        HWND box = nullptr;
        WaitUntil([&] { return (box = process_->FindMessageBox()) != nullptr; }, WizardTimeout);
        return box;
    }

    // The report box of an earlier version's uninstaller run with "-nowarning": a visible dialog
    // of another process than the installer; nullptr when none came.
    HWND WaitForOldUninstallerReport()
    {
        HWND report = nullptr;
        const auto found = [&] {
            for (report = FindWindowExA(nullptr, nullptr, "#32770", nullptr); report;
                 report = FindWindowExA(nullptr, report, "#32770", nullptr)) {
                DWORD pid = 0;
                GetWindowThreadProcessId(report, &pid);
                if (pid != process_->Id() && IsWindowVisible(report))
                    return true;
            }
            return false;
        };
        return WaitUntil(found, WizardTimeout) ? report : nullptr;
    }

    // Waits for a message box, checks its text (and caption, when given) and presses Button.
    void AnswerMessageBox(const std::string& Text, const char* Caption = nullptr, int Button = IDOK)
    {
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (box = process_->FindMessageBox()) != nullptr; }, WizardTimeout))
            << "no message box \"" << Text << "\"";
        EXPECT_EQ(Text, InstallerProcess::MessageBoxText(box));
        if (Caption) {
            EXPECT_EQ(Caption, WindowText(box));
        }
        InstallerProcess::PressMessageBoxButton(box, Button);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5s));
    }

    std::string programDir_, exe_;
    std::unique_ptr<InstallerProcess> process_;
    HWND wizard_ = nullptr;
};

} // namespace wizardtest
