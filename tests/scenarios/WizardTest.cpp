// End-to-end tests of the installer's start: unpacking, the wizard window, moving between
// its pages, closing and clean-up. Each test runs a copy of Bb7Setup.exe in a folder of its
// own and drives its real windows through messages.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "DesignPlaces.h"
#include "UnpackerLayout.h"
#include "WizardFixture.h"

namespace {

using namespace wizardtest;

class WizardTest : public WizardFixture {
protected:
    // A user's "Distro" folder below Folder: a file at its top and one in its Help folder.
    void PlantUserFiles(const std::string& Folder)
    {
        ASSERT_TRUE(CreateDirectoryA((Folder + "Distro").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((Folder + "Distro\\Help").c_str(), nullptr));
        std::ofstream(Folder + "Distro\\mine.txt") << "user";
        std::ofstream(Folder + "Distro\\Help\\notes.txt") << "user";
    }

    // The user's files and their folders stay; everything the unpacker wrote is gone.
    void ExpectOnlyUserFilesLeft(const std::string& Folder)
    {
        EXPECT_EQ("user", ReadFile(Folder + "Distro\\mine.txt"));
        EXPECT_EQ("user", ReadFile(Folder + "Distro\\Help\\notes.txt"));
        EXPECT_FALSE(FilePresent(Folder + "Distro\\LICENSE.TXT"));
        EXPECT_FALSE(FilePresent(Folder + "Distro\\Help\\index.htm"));
        EXPECT_FALSE(FolderPresent(Folder + "Distro\\Help\\Images"));
        EXPECT_FALSE(FolderPresent(Folder + "Distro\\Languages"));
    }
};

TEST_F(WizardTest, UnpacksBelowTheTemporaryFolderAndCancelDeletesOnlyWhatItWrote)
{
    const std::string sentinel = TempFolder() + "bb7-sentinel.txt";
    std::ofstream(sentinel) << "stays";
    // A user's own "Distro" folder in the temporary folder, with files of the user's.
    PlantUserFiles(TempFolder());
    Start();

    HWND unpacker = process_->WaitForWindow("TForm_Unzip", 20s);
    ASSERT_NE(nullptr, unpacker);
    EXPECT_EQ("Brisel Backup 7", WindowText(unpacker));

    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ("Brisel Backup 7 Setup", WindowText(wizard));
    EXPECT_FALSE(IsVisible(unpacker));
    EXPECT_TRUE(FilePresent(TempFolder() + "Distro\\LICENSE.TXT"));
    EXPECT_TRUE(FilePresent(TempFolder() + "Distro\\bb7setup.dat"));
    EXPECT_TRUE(FolderPresent(TempFolder() + "Distro\\Help\\Images"));
    EXPECT_FALSE(FilePresent(TempFolder() + "DISTRO.ZIP")) << "the temporary zip file stays";
    EXPECT_FALSE(FolderPresent(programDir_ + "Distro"));
    ExpectPage(wizard, 0);

    ASSERT_TRUE(ClickButton(Control(wizard, "b_Cancel0")));
    ASSERT_TRUE(WaitForExit());
    ExpectOnlyUserFilesLeft(TempFolder());
    EXPECT_TRUE(FilePresent(sentinel));
    EXPECT_TRUE(FilePresent(exe_));
    DeleteFileA(sentinel.c_str());
}

TEST_F(WizardTest, WindowsAndControlsLieWhereTheDesignSays)
{
    Start();
    HWND unpacker = process_->WaitForWindow("TForm_Unzip", 20s);
    ASSERT_NE(nullptr, unpacker);
    ExpectClientSize(unpacker, UnpackerClient, 96);
    EXPECT_FALSE(GetWindowLongA(unpacker, GWL_STYLE) & WS_CAPTION) << "no border, no title bar";
    ExpectDesignPlaces(unpacker, UnpackerLayout, UnpackerPlaces, 96);

    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    ExpectClientSize(wizard, WizardClient, 96);
    const LONG style = GetWindowLongA(wizard, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    RECT frame, work;
    GetWindowRect(wizard, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((work.left + work.right) / 2, (frame.left + frame.right) / 2, 1) << "centred";
    EXPECT_NEAR((work.top + work.bottom) / 2, (frame.top + frame.bottom) / 2, 1) << "centred";
    ExpectDesignPlaces(wizard, MainFormLayout, WizardPlaces, 96);
}

TEST_F(WizardTest, CloseBoxAndEscapeCloseTheWizardAndDeleteTheFolder)
{
    Start();
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    PostMessageA(wizard, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitForExit());
    EXPECT_FALSE(FolderPresent(TempFolder() + "Distro"));

    Start();
    wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    ASSERT_TRUE(ClickCheck(Control(wizard, "rb_Accept")));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Control(wizard, "b_Next0")); }, 5s));
    ASSERT_TRUE(ClickButton(Control(wizard, "b_Next0")));
    ExpectPage(wizard, 1);
    PressKey(wizard, VK_ESCAPE); // the Warning page's Cancel
    ASSERT_TRUE(WaitForExit());
    EXPECT_FALSE(FolderPresent(TempFolder() + "Distro"));
}

TEST_F(WizardTest, TabsAcceleratorsAndKeyboardNeverChangeThePage)
{
    Start();
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    HWND tabs = Control(wizard, "PageControl");

    HWND marker = Control(wizard, "m_License"); // the posted messages' round trip
    for (int x = 5; x < 400; x += 15)
        ClickAt(tabs, x, 10);
    ASSERT_TRUE(WaitForPostedMessages(marker));
    ExpectPage(wizard, 0);
    PostMessageA(tabs, WM_KEYDOWN, VK_RIGHT, 1);
    PostMessageA(tabs, WM_KEYDOWN, VK_END, 1);
    ASSERT_TRUE(WaitForPostedMessages(marker));
    ExpectPage(wizard, 0);
    for (char letter : {'L', 'F', 'S'})
        PressAltKey(wizard, letter);
    ASSERT_TRUE(WaitForPostedMessages(marker));
    ExpectPage(wizard, 0);
    PressKey(wizard, VK_NEXT);
    PressKey(wizard, VK_TAB);
    ASSERT_TRUE(WaitForPostedMessages(marker));
    ExpectPage(wizard, 0);

    // On a later page too: tabs, their accelerators and Enter with a disabled default button.
    ASSERT_TRUE(ClickCheck(Control(wizard, "rb_Accept")));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Control(wizard, "b_Next0")); }, 5s));
    ASSERT_TRUE(ClickButton(Control(wizard, "b_Next0")));
    ExpectPage(wizard, 1);
    for (int x = 5; x < 400; x += 15)
        ClickAt(tabs, x, 10);
    for (char letter : {'L', 'F', 'S', 'I'})
        PressAltKey(wizard, letter);
    SetFocus(nullptr);
    PressKey(wizard, VK_RETURN); // Next is disabled until the box is ticked
    ASSERT_TRUE(WaitForPostedMessages(marker));
    ExpectPage(wizard, 1);
    EXPECT_TRUE(process_->Running());
}

TEST_F(WizardTest, ButtonsMoveBetweenThePages)
{
    Start();
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);

    // License: Next only while "I accept" is selected.
    EXPECT_FALSE(IsEnabled(Control(wizard, "b_Next0")));
    EXPECT_TRUE(IsChecked(Control(wizard, "rb_NotAccept")));
    ASSERT_TRUE(ClickCheck(Control(wizard, "rb_Accept")));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Control(wizard, "b_Next0")); }, 5s));
    EXPECT_FALSE(IsChecked(Control(wizard, "rb_NotAccept")));
    ASSERT_TRUE(ClickCheck(Control(wizard, "rb_NotAccept")));
    ASSERT_TRUE(WaitUntil([&] { return !IsEnabled(Control(wizard, "b_Next0")); }, 5s));
    ASSERT_TRUE(ClickCheck(Control(wizard, "rb_Accept")));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Control(wizard, "b_Next0")); }, 5s));
    ASSERT_TRUE(ClickButton(Control(wizard, "b_Next0")));
    ExpectPage(wizard, 1);

    // Warning: Next only while the box is ticked; Enter presses the default button, Next.
    EXPECT_FALSE(IsEnabled(Control(wizard, "b_NextWarning")));
    ASSERT_TRUE(ClickButton(Control(wizard, "b_PreviousWarning")));
    ExpectPage(wizard, 0);
    EXPECT_TRUE(IsChecked(Control(wizard, "rb_Accept"))) << "going back loses nothing";
    ASSERT_TRUE(ClickButton(Control(wizard, "b_Next0")));
    ExpectPage(wizard, 1);
    ASSERT_TRUE(ClickCheck(Control(wizard, "cb_Warning")));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Control(wizard, "b_NextWarning")); }, 5s));
    PressKey(wizard, VK_RETURN);
    ExpectPage(wizard, 2);

    // Folders, Settings, and back.
    ASSERT_TRUE(ClickButton(Control(wizard, "b_Previous1")));
    ExpectPage(wizard, 1);
    EXPECT_TRUE(IsChecked(Control(wizard, "cb_Warning")));
    ASSERT_TRUE(ClickButton(Control(wizard, "b_NextWarning")));
    ExpectPage(wizard, 2);
    ASSERT_TRUE(ClickButton(Control(wizard, "b_Next1")));
    ExpectPage(wizard, 3);
    ASSERT_TRUE(ClickButton(Control(wizard, "b_Previous2")));
    ExpectPage(wizard, 2);

    ASSERT_TRUE(ClickButton(Control(wizard, "b_Cancel1")));
    ASSERT_TRUE(WaitForExit());
}

TEST_F(WizardTest, FocusFollowsTheLicensePageOrder)
{
    Start();
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(wizard) == Control(wizard, "rb_NotAccept"); }, 5s))
        << "focus on control " << GetDlgCtrlID(FocusedControl(wizard));
    for (const char* next : {"m_License", "cb_File", "b_Cancel0", "rb_NotAccept"}) {
        PressKey(wizard, VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return FocusedControl(wizard) == Control(wizard, next); }, 5s))
            << next << ", focus on control " << GetDlgCtrlID(FocusedControl(wizard));
    }
}

TEST_F(WizardTest, UnpacksInTheProgramFolderWhenTheTemporaryFolderFails)
{
    // A folder in the way of the temporary zip file makes the first attempt fail. Beside the
    // installer stands a "Distro" folder of the user's.
    ASSERT_TRUE(CreateDirectoryA((TempFolder() + "DISTRO.ZIP").c_str(), nullptr));
    PlantUserFiles(programDir_);
    Start();
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ(nullptr, process_->FindMessageBox()) << "the first failure must be silent";
    EXPECT_TRUE(FilePresent(programDir_ + "Distro\\LICENSE.TXT"));
    EXPECT_FALSE(FilePresent(programDir_ + "DISTRO.ZIP"));
    EXPECT_FALSE(FolderPresent(TempFolder() + "Distro"));

    PostMessageA(wizard, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit());
    ExpectOnlyUserFilesLeft(programDir_);
    EXPECT_TRUE(FilePresent(exe_)) << "only what was unpacked goes";
}

TEST_F(WizardTest, DamagedPayloadFailsWithAMessageAndShowsNoWizard)
{
    std::string payload = Payload();
    ASSERT_GT(payload.size(), 400u);
    auto field16 = [&](size_t At) {
        return static_cast<size_t>(static_cast<unsigned char>(payload[At]) | static_cast<unsigned char>(payload[At + 1])
                                                                                 << 8);
    };
    // Walk the local headers to the last entry, so that the others have been written when
    // the damage is found.
    size_t last = 0, compressed = 0, data = 0;
    for (size_t at = 0; at + 30 <= payload.size() && payload.compare(at, 4, "PK\x03\x04") == 0;) {
        last = at;
        compressed = field16(at + 18) | field16(at + 20) << 16;
        data = at + 30 + field16(at + 26) + field16(at + 28) + 12; // behind the encryption header
        at = data - 12 + compressed;
    }
    ASSERT_GT(last, 0u);
    ASSERT_GT(compressed, 12u + 16u);
    // Damage the middle of its data.
    for (size_t i = data + (compressed - 12) / 2 - 8; i < data + (compressed - 12) / 2 + 8; ++i)
        payload[i] = static_cast<char>(payload[i] ^ 0x5A);
    ReplacePayload(payload);

    Start();
    AnswerMessageBox("The files couldn't be unzipped");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(3u, process_->ExitCode()) << "the payload could not be unpacked";
    EXPECT_EQ(nullptr, process_->FindWindowOfClass("TMainForm"));
    EXPECT_FALSE(FilePresent(TempFolder() + "DISTRO.ZIP"));
    EXPECT_FALSE(FilePresent(programDir_ + "DISTRO.ZIP"));
    // Both attempts had written every other entry; neither leaves a tree behind.
    EXPECT_FALSE(FolderPresent(TempFolder() + "Distro"));
    EXPECT_FALSE(FolderPresent(programDir_ + "Distro"));
}

TEST_F(WizardTest, ClosingTheHiddenWizardWhileUnpackingEndsWithoutDeletingUserFiles)
{
    PlantUserFiles(TempFolder());
    Start();
    ASSERT_NE(nullptr, process_->WaitForWindow("TForm_Unzip", 20s));
    HWND hiddenWizard = process_->FindWindowOfClass("TMainForm", false);
    ASSERT_NE(nullptr, hiddenWizard);
    PostMessageA(hiddenWizard, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(nullptr, process_->FindMessageBox());
    ExpectOnlyUserFilesLeft(TempFolder());
    EXPECT_FALSE(FolderPresent(programDir_ + "Distro")) << "no retry after the user closed";
}

TEST_F(WizardTest, PayloadThatCannotBeWrittenAnywhereFailsWithAMessage)
{
    // Folders in the way of the temporary zip file, in both places the installer tries.
    ASSERT_TRUE(CreateDirectoryA((TempFolder() + "DISTRO.ZIP").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((programDir_ + "DISTRO.ZIP").c_str(), nullptr));
    Start();
    AnswerMessageBox("Couldn't extract the resource file");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(nullptr, process_->FindWindowOfClass("TMainForm", false));
    EXPECT_FALSE(FolderPresent(TempFolder() + "Distro"));
}

TEST_F(WizardTest, WrongPasswordAsksForAnotherOneAndGoesOnWithIt)
{
    ReplacePayload(ReadFile(BB7_OTHER_PASSWORD_PAYLOAD));
    Start();
    HWND prompt = process_->WaitForWindow("TPasswordPrompt", WizardTimeout);
    ASSERT_NE(nullptr, prompt);
    EXPECT_EQ(0u, WindowText(prompt).rfind("Password for \"Distro/", 0)) << WindowText(prompt);
    HWND label = FindWindowExA(prompt, nullptr, "STATIC", nullptr);
    EXPECT_EQ("Enter password: ", WindowText(label));
    HWND answer = FindWindowExA(prompt, nullptr, "EDIT", nullptr);
    ASSERT_NE(nullptr, answer);
    SendMessageA(answer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("another secret"));
    HWND ok = nullptr;
    for (HWND b = FindWindowExA(prompt, nullptr, "BUTTON", nullptr); b; b = FindWindowExA(prompt, b, "BUTTON", nullptr))
        if (WindowText(b) == "OK")
            ok = b;
    ASSERT_TRUE(ClickButton(ok));

    // The new password holds for the rest of the archive: no second question.
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ(nullptr, process_->FindWindowOfClass("TPasswordPrompt"));
    EXPECT_EQ(ReadFile(BB7_DISTRO_DIR "/LICENSE.TXT"), ReadFile(TempFolder() + "Distro\\LICENSE.TXT"));
}

TEST_F(WizardTest, CancelledPasswordPromptsSkipTheirEntries)
{
    ReplacePayload(ReadFile(BB7_SMALL_OTHER_PASSWORD_PAYLOAD)); // three entries
    Start();
    int prompts = 0;
    HWND wizard = nullptr;
    while (!(wizard = process_->FindWindowOfClass("TMainForm")) && prompts < 10) {
        HWND prompt = process_->WaitForWindow("TPasswordPrompt", 20s);
        if (!prompt)
            continue;
        ++prompts;
        PressKey(prompt, VK_ESCAPE);
        WaitUntil([&] { return !IsVisible(prompt); }, 5s);
    }
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ(3, prompts) << "one question for every entry";
    EXPECT_FALSE(FilePresent(TempFolder() + "Distro\\LICENSE.TXT"));
    EXPECT_FALSE(FilePresent(TempFolder() + "Distro\\Help\\index.htm"));
}

TEST_F(WizardTest, FileThatCannotBeCreatedAsksAbortRetryIgnore)
{
    // A folder where the licence file must go: the entry fails, the others do not.
    ASSERT_TRUE(CreateDirectoryA((TempFolder() + "Distro").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((TempFolder() + "Distro\\LICENSE.TXT").c_str(), nullptr));
    Start();
    HWND box = WaitForMessageBox();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Confirm", WindowText(box));
    const std::string text = InstallerProcess::MessageBoxText(box);
    EXPECT_NE(std::string::npos, text.find("LICENSE.TXT")) << text;
    EXPECT_NE(std::string::npos, text.find(". File processing error, possibly disk is full")) << text;
    InstallerProcess::PressMessageBoxButton(box, IDIGNORE);

    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_TRUE(FilePresent(TempFolder() + "Distro\\README.TXT"));
    EXPECT_FALSE(FolderPresent(programDir_ + "Distro")) << "Ignore goes on in the same folder";
}

TEST_F(WizardTest, AbortInTheFileBoxFailsTheAttemptAndTheRetryUsesTheProgramFolder)
{
    ASSERT_TRUE(CreateDirectoryA((TempFolder() + "Distro").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((TempFolder() + "Distro\\LICENSE.TXT").c_str(), nullptr));
    Start();
    HWND box = WaitForMessageBox();
    ASSERT_NE(nullptr, box);
    InstallerProcess::PressMessageBoxButton(box, IDABORT);

    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_TRUE(FilePresent(programDir_ + "Distro\\LICENSE.TXT"));
    // The aborted attempt had written the Help and Languages entries; they are gone again.
    EXPECT_FALSE(FolderPresent(TempFolder() + "Distro\\Help"));
    EXPECT_FALSE(FolderPresent(TempFolder() + "Distro\\Languages"));
    EXPECT_TRUE(FolderPresent(TempFolder() + "Distro\\LICENSE.TXT")) << "what was there before stays";
    PostMessageA(wizard, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit());
    EXPECT_FALSE(FolderPresent(programDir_ + "Distro"));
}

} // namespace
