// End to end: a user walks the wizard's pages, with their documents, texts, enable rules
// and checks, and leaves the Folders page, which removes an earlier version first and makes
// the installation folder.
#include <fstream>

#include "InstallationTraces.h"
#include "Registry.h"
#include "WizardFixture.h"

namespace {

using namespace wizardtest;

const char WarningText[] = "FIREWALL WARNING !!!\r\n\r\n"
                           "This software contains several parts that need to \r\n"
                           "communicate with each other. The working part (the \r\n"
                           "\"engine\") and the user interface communicate via \r\n"
                           "TCP/IP. Both programs only accept connections \r\n"
                           "from the local host (YOUR MACHINE) and don't accept \r\n"
                           "connections from external computers  by default.\r\n\r\n"
                           "Some firewalls (most notoriously Zone Alarm) show the \r\n"
                           "TCP activity going on in the local host, thus wasting \r\n"
                           "system resources and wrongly alarming the average \r\n"
                           "users about the program \"sending information\" or \r\n"
                           "\"acting as a server\", which is right but ONLY for the \r\n"
                           "local host.\r\n\r\n"
                           "Other, more intelligent firewalls, choose to rightly ignore \r\n"
                           "this activity and concentrate on REAL threats instead.\r\n\r\n"
                           "In you want to learn more about this, please read the \r\n"
                           "FAQ in the help file. Please do NOT mail me asking about\r\n"
                           "network activity!!!!!! ";
const char AccountNoteText[] = "Important! If your computer is member of a domain, enter your \r\n"
                               "user as DOMAIN\\UserName. Also be sure your password  is \r\n"
                               "correct. If you enter the wrong ID or Password, you can fix it on \r\n"
                               "the Control Panel. See the help file of the program for details.";

// The first line of a document as the rich-text box shows it.
std::string FirstLine(const std::string& Text)
{
    return Text.substr(0, Text.find_first_of("\r\n"));
}

class PagesTest : public WizardFixture {
protected:
    void TearDown() override
    {
        WizardFixture::TearDown();
        RemoveInstallationTraces();
    }

    // Picks an item of the document list as a user does: the selection, then its notice.
    void ChooseDocument(int Item)
    {
        HWND list = Ctl("cb_File");
        PostMessageA(list, CB_SETCURSEL, Item, 0);
        PostMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        ASSERT_TRUE(WaitForPostedMessages(Ctl("m_License")));
    }

    bool Enabled(const char* Name) { return IsEnabled(Ctl(Name)); }
    bool Checked(const char* Name) { return IsChecked(Ctl(Name)); }
};

TEST_F(PagesTest, AUserWalksToTheInstallPageAndAnEarlierVersionIsRemovedFirst)
{
    // An earlier installation whose "Path" lacks its trailing backslash, with an uninstaller
    // that records how it was started and takes a while.
    ScratchFolder scratch{"C:\\"};
    const std::string oldDir = scratch / "Old Version";
    ASSERT_TRUE(CreateDirectoryA(oldDir.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA((OwnFolder() + "bb7recorder.exe").c_str(), (oldDir + "\\bb7uninstall.exe").c_str(), FALSE));
    {
        RegKey key = CreateRegKey(HKEY_LOCAL_MACHINE, ProductKey, KEY_WRITE);
        ASSERT_TRUE(WriteRegString(key.Get(), "Path", oldDir));
    }
    Start();
    ASSERT_NE(nullptr, WaitForWizard());

    // License: the licence shown; the readme and the history on request; a missing
    // document keeps what the box shows.
    const std::string distro = TempFolder() + "Distro\\";
    EXPECT_EQ(FirstLine(ReadFile(distro + "LICENSE.TXT")), FirstLine(TextOf("m_License")));
    ChooseDocument(1);
    EXPECT_EQ(FirstLine(ReadFile(distro + "README.TXT")), FirstLine(TextOf("m_License")));
    ChooseDocument(2);
    const std::string history = FirstLine(ReadFile(distro + "history.txt"));
    EXPECT_EQ(history, FirstLine(TextOf("m_License")));
    ASSERT_TRUE(DeleteFileA((distro + "README.TXT").c_str()));
    ChooseDocument(1);
    EXPECT_EQ(history, FirstLine(TextOf("m_License")));

    EXPECT_FALSE(Enabled("b_Next0"));
    Click("rb_Accept");
    EXPECT_TRUE(Enabled("b_Next0"));
    Click("rb_NotAccept");
    EXPECT_FALSE(Enabled("b_Next0"));
    Click("rb_Accept");
    Click("b_Next0");

    // Warning: its texts as they stand, blanks at line ends included.
    ExpectPage(wizard_, 1);
    EXPECT_EQ(WarningText, TextOf("m_Warning"));
    EXPECT_EQ(AccountNoteText, TextOf("MemoWarning"));
    EXPECT_FALSE(Enabled("b_NextWarning"));
    Click("cb_Warning");
    Click("b_NextWarning");

    // Folders: the earlier installation's folder, exactly as read, is proposed. A deep new
    // folder is chosen; Next runs the old uninstaller, waits for it, then makes the folder.
    ExpectPage(wizard_, 2);
    EXPECT_EQ(oldDir, TextOf("e_Dir"));
    EXPECT_EQ("", TextOf("l_Status"));
    const std::string target = scratch / "New Place\\Brisel\\Backup 7";
    SetTextOf("e_Dir", target);
    Click("b_Next1");
    ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 3; }, 20s));
    const std::string log = ReadFile(oldDir + "\\bb7uninstall.exe.log");
    EXPECT_EQ("\"" + oldDir + "\\bb7uninstall.exe\" -nowarning\ndone\n", log) << "run once and waited for";
    EXPECT_EQ("Uninstalling the old version", TextOf("l_Status"));
    EXPECT_TRUE(FolderPresent(target));

    // Settings: an administrator on an NT system starts with the service under an account.
    ExpectPage(wizard_, 3);
    EXPECT_TRUE(Checked("rb_Service"));
    EXPECT_TRUE(Checked("rb_Account"));
    EXPECT_TRUE(Enabled("rb_AutoAll") && Enabled("rb_LocalSystem") && Enabled("e_ID") && Enabled("e_Password"));
    Click("rb_NoAuto");
    EXPECT_FALSE(Enabled("rb_Account") || Enabled("rb_LocalSystem") || Enabled("e_ID") || Enabled("e_Password"));
    Click("rb_Service");
    EXPECT_TRUE(Enabled("rb_Account") && Enabled("e_ID"));
    Click("rb_LocalSystem");
    EXPECT_TRUE(Enabled("rb_Account"));
    EXPECT_FALSE(Enabled("e_ID") || Enabled("e_Password"));
    Click("rb_Account");
    EXPECT_TRUE(Enabled("e_ID") && Enabled("e_Password"));

    // The yellow note covers the type choices exactly while the ID box has the focus.
    EXPECT_FALSE(IsVisible(Ctl("MemoWarning")));
    ClickAt(Ctl("e_ID"), 5, 5);
    ASSERT_TRUE(WaitForPostedMessages(Ctl("m_License")));
    EXPECT_EQ(Ctl("e_ID"), FocusedControl(wizard_));
    EXPECT_TRUE(IsVisible(Ctl("MemoWarning")));
    PressKey(wizard_, VK_TAB);
    ASSERT_TRUE(WaitForPostedMessages(Ctl("m_License")));
    EXPECT_EQ(Ctl("e_Password"), FocusedControl(wizard_));
    EXPECT_FALSE(IsVisible(Ctl("MemoWarning")));

    // A named account needs a name: blanks alone are none.
    ClickButton(Ctl("b_Next2"));
    AnswerMessageBox("Your account name is empty", "Brisel Backup 7 Setup");
    SetTextOf("e_ID", "   ");
    ClickButton(Ctl("b_Next2"));
    AnswerMessageBox("Your account name is empty", "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 3);

    // LocalSystem asks first; Cancel keeps the page as it was.
    Click("rb_LocalSystem");
    ClickButton(Ctl("b_Next2"));
    AnswerMessageBox("If you run your service under the LocalSystem account you may NOT have access to network "
                     "resources. Continue?",
                     "Warning", IDCANCEL);
    ExpectPage(wizard_, 3);
    EXPECT_TRUE(Checked("rb_Service") && Checked("rb_LocalSystem"));

    // Back and forth keeps what was entered; the old version's uninstaller runs again.
    Click("rb_Account");
    SetTextOf("e_ID", "tester");
    SetTextOf("e_Password", "pass word");
    Click("b_Previous2");
    ExpectPage(wizard_, 2);
    EXPECT_EQ(target, TextOf("e_Dir"));
    EXPECT_TRUE(Checked("cb_Icons"));
    Click("b_Next1");
    ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 3; }, 20s));
    EXPECT_EQ(log + log, ReadFile(oldDir + "\\bb7uninstall.exe.log"));
    EXPECT_EQ("tester", TextOf("e_ID"));

    // Next takes the answers: a name without a domain gets the local prefix.
    Click("b_Next2");
    ExpectPage(wizard_, 4);
    EXPECT_EQ(".\\tester", TextOf("e_ID"));
    EXPECT_FALSE(Enabled("b_Done"));
}

TEST_F(PagesTest, TheFolderStepRefusesAnEmptyBoxAndAFolderThatCannotBeMade)
{
    Start();
    GoToFolders();
    const std::string proposed = TextOf("e_Dir");
    EXPECT_NE(std::string::npos, proposed.find("\\Brisel Backup 7")) << proposed;

    // The browse button opens the system's folder dialog with its title; Cancel keeps the box.
    ASSERT_TRUE(ClickButton(Ctl("sb_Browse")));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = process_->FindMessageBox()) != nullptr; }, 20s));
    bool titled = false;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        titled = titled || WindowText(child) == "Select the directory for the program";
    EXPECT_TRUE(titled);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10s));
    EXPECT_EQ(proposed, TextOf("e_Dir"));

    // An empty box: the error of the folder helper, through the default error box.
    SetTextOf("e_Dir", "");
    ClickButton(Ctl("b_Next1"));
    AnswerMessageBox("Unable to create directory.", "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 2);
    EXPECT_TRUE(Enabled("b_Next1"));

    // A drive that does not exist.
    const std::string nowhere = std::string(1, MissingDriveLetter()) + ":\\Nowhere\\Deep";
    SetTextOf("e_Dir", nowhere);
    PressKey(wizard_, VK_RETURN); // Enter presses Next, the page's default button
    AnswerMessageBox("Couldn't create the directory " + nowhere, "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 2);
    EXPECT_TRUE(Enabled("b_Next1"));
    EXPECT_EQ("", TextOf("l_Status")) << "no earlier version: no uninstaller";

    // A folder that exists, made by somebody else, is never written into: with files in it, it
    // is refused with nothing changed; empty, it is made anew without a question.
    ScratchFolder existing{"C:\\"};
    existing.WriteFile("keep.txt");
    SetTextOf("e_Dir", existing.Path());
    Click("b_Next1");
    AnswerMessageBox("The directory " + existing.Path() +
                         " exists already, was not made by this setup and is not empty: other users could have put "
                         "files there. Choose another directory, or empty this one.",
                     "Brisel Backup 7 Setup");
    ExpectPage(wizard_, 2);
    EXPECT_TRUE(Enabled("b_Next1"));
    EXPECT_TRUE(FilePresent(existing / "keep.txt"));
    ASSERT_TRUE(DeleteFileA((existing / "keep.txt").c_str()));
    Click("b_Next1");
    ExpectPage(wizard_, 3);
    EXPECT_TRUE(FolderPresent(existing.Path()));
}

} // namespace
