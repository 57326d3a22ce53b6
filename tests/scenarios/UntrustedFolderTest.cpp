// End to end: the elevated installer and what other programs of the user may do meanwhile in
// the temporary folder it unpacks into: change or add files, plant links, start a second
// copy. Nothing of theirs is installed, written through or deleted.
#include "BriCommon.h"
#include "Common_Custom.h"
#include "InstallationTraces.h"
#include "ProductTestSupport.h"
#include "WizardFixture.h"

namespace {

using namespace wizardtest;

class UntrustedFolderTest : public WizardFixture {
protected:
    void SetUp() override
    {
        WizardFixture::SetUp();
        installDir_ = scratch_ / "Deep\\Install\\";
        RemoveInstallationTraces();
    }
    void TearDown() override
    {
        WizardFixture::TearDown();
        RemoveInstallationTraces();
    }

    // Through the pages to the end of an installation without autostart into installDir_.
    void InstallFromThePages()
    {
        GoToFolders();
        SetTextOf("e_Dir", installDir_);
        Click("b_Next1");
        ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 3; }, WizardTimeout));
        Click("rb_NoAuto");
        Click("b_Next2");
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Ctl("b_Done")); }, WizardTimeout));
    }
    DWORD CloseWithDone()
    {
        Click("b_Done");
        EXPECT_TRUE(WaitForExit());
        return process_->ExitCode();
    }
    static bool Has(const std::string& Log, const std::string& Text) { return Log.find(Text) != std::string::npos; }

    ScratchFolder scratch_{"C:\\"};
    std::string installDir_;
};

TEST_F(UntrustedFolderTest, OnlyWhatWasUnpackedIsInstalledAndOneCopyRunsAtATime)
{
    Start();
    ASSERT_NE(nullptr, WaitForWizard());

    // A second copy, started while the first shows its pages, says so and unpacks nothing.
    {
        const std::string secondDir = TempFolder() + "bb7gui-second\\";
        RemoveTree(secondDir);
        ASSERT_TRUE(CreateDirectoryA(secondDir.c_str(), nullptr));
        ASSERT_TRUE(CopyFileA(exe_.c_str(), (secondDir + "Bb7Setup.exe").c_str(), FALSE));
        InstallerProcess second(secondDir + "Bb7Setup.exe", secondDir);
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (box = second.FindMessageBox()) != nullptr; }, WizardTimeout));
        EXPECT_EQ("Brisel Backup 7 Setup is already running.", InstallerProcess::MessageBoxText(box));
        EXPECT_EQ("Brisel Backup 7 Setup", WindowText(box));
        EXPECT_EQ(nullptr, second.FindWindowOfClass("TForm_Unzip", false));
        InstallerProcess::PressMessageBoxButton(box, IDOK);
        ASSERT_TRUE(second.WaitForExit(20s));
        EXPECT_EQ(2u, second.ExitCode());
        EXPECT_FALSE(FilePresent(secondDir + "DISTRO.ZIP") || FolderPresent(secondDir + "Distro"));
        RemoveTree(secondDir);
    }

    // A product file replaced after it was unpacked: not installed, and reported.
    const std::string unpacked = TempFolder() + "Distro\\";
    ASSERT_TRUE(FilePresent(unpacked + "BriBU.exe"));
    WriteWholeFile(unpacked + "BriBU.exe", "MZ not the product");
    InstallFromThePages();
    EXPECT_FALSE(FilePresent(installDir_ + "BriBU.exe"));
    for (const std::string& line : SplitTextLines(ReadWholeFile(StagedProduct() + "bb7setup.dat"))) {
        if (line != "BriBU.exe") {
            EXPECT_EQ(ReadWholeFile(StagedProduct() + line), ReadWholeFile(installDir_ + line)) << line;
        }
    }
    EXPECT_EQ(1u, CloseWithDone());
    const std::string log = RunLog();
    EXPECT_TRUE(Has(log, " ERROR Could'nt copy " + installDir_ + "BriBU.exe\r\n")) << log;
    EXPECT_FALSE(Has(log, "File " + installDir_ + "BriBU.exe copied")) << log;
}

TEST_F(UntrustedFolderTest, AManifestNeverReachesOutsideTheFolderOrPastWhatWasUnpacked)
{
    // The manifest of this payload names two places above the installation folder and a file
    // that the payload does not hold, which is planted once the payload is unpacked.
    ReplacePayload(ReadFile(BB7_HOSTILE_PAYLOAD));
    Start();
    ASSERT_NE(nullptr, WaitForWizard());
    WriteWholeFile(TempFolder() + "Distro\\planted.txt", "planted");
    InstallFromThePages();
    EXPECT_EQ(1u, CloseWithDone());
    EXPECT_TRUE(Has(ReadWholeFile(installDir_ + "LICENSE.TXT"), "A short licence for the tests."));
    EXPECT_TRUE(FilePresent(installDir_ + "Help\\index.htm"));
    EXPECT_FALSE(FilePresent(installDir_ + "planted.txt"));
    EXPECT_FALSE(FolderPresent(scratch_ / "Outside"));
    EXPECT_FALSE(FolderPresent(scratch_ / "Escaped"));
    const std::string log = RunLog();
    for (const char* refused : {"..\\..\\Outside\\evil.txt", "Help\\..\\..\\..\\Escaped\\evil.txt", "planted.txt"})
        EXPECT_TRUE(Has(log, " ERROR Could'nt copy " + installDir_ + refused + "\r\n")) << refused << "\n" << log;
    EXPECT_FALSE(Has(log, "Creating " + installDir_ + "..")) << log;

    // The manifest itself changed after unpacking: as if it were missing, nothing is copied.
    RemoveInstallationTraces();
    RemoveTree(installDir_);
    Start();
    ASSERT_NE(nullptr, WaitForWizard());
    WriteWholeFile(TempFolder() + "Distro\\bb7setup.dat", "planted.txt\r\n");
    GoToFolders();
    SetTextOf("e_Dir", installDir_);
    Click("b_Next1");
    ASSERT_TRUE(WaitUntil([&] { return Page(wizard_) == 3; }, WizardTimeout));
    Click("rb_NoAuto");
    ASSERT_TRUE(ClickButton(Ctl("b_Next2")));
    AnswerMessageBox("Cannot find the data file. Exiting", "Brisel Backup 7 Setup");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(4u, process_->ExitCode());
    EXPECT_FALSE(FilePresent(installDir_ + "planted.txt") || FilePresent(installDir_ + "LICENSE.TXT"));
}

TEST_F(UntrustedFolderTest, LinksInTheTemporaryFolderAreNeverFollowed)
{
    // Their folder and files, and links to them where the installer writes.
    const std::string theirs = scratch_ / "Theirs\\";
    ASSERT_TRUE(CreateFolderPath(theirs + "Help"));
    for (const char* name : {"LICENSE.TXT", "Help\\index.htm", "bb7setup.dat", "archive.zip", "log.txt"})
        WriteWholeFile(theirs + name, "theirs");
    auto expectTheirsWhole = [&] {
        for (const char* name : {"LICENSE.TXT", "Help\\index.htm", "bb7setup.dat", "archive.zip", "log.txt"})
            EXPECT_EQ("theirs", ReadWholeFile(theirs + name)) << name;
        EXPECT_FALSE(FilePresent(theirs + "BriBU.exe") || FilePresent(theirs + "Help\\Images\\logo.gif"));
    };
    const std::string temp = TempFolder();
    // Links to files, which Wine does not show as links, go by the host's rm; a link named
    // Distro goes with the fixture's RemoveTree.
    struct Unlink {
        std::string Temp;
        ~Unlink()
        {
            for (const char* name : {"DISTRO.ZIP", "Bb7Setup.log"})
                RemoveHostLink(Temp + name);
        }
    } unlink{temp};
    ASSERT_TRUE(MakeHostLink(theirs, temp + "Distro"));
    ASSERT_TRUE(MakeHostLink(theirs + "archive.zip", temp + "DISTRO.ZIP"));
    DeleteFileA((temp + "Bb7Setup.log").c_str());
    ASSERT_TRUE(MakeHostLink(theirs + "log.txt", temp + "Bb7Setup.log"));

    // The unpacking in the temporary folder fails, the one beside the program succeeds, and
    // the installation runs to its end.
    WriteWholeFile(programDir_ + "Bb7Auto.txt", "STDDIR=" + installDir_ + "\r\nINSTKIND=2\r\n");
    Start();
    ASSERT_TRUE(process_->WaitForExit(90s));
    EXPECT_EQ(0u, process_->ExitCode());
    EXPECT_TRUE(CloseProgramWindow("TBriBUForm"));
    EXPECT_EQ(ReadWholeFile(StagedProduct() + "BriBU.exe"), ReadWholeFile(installDir_ + "BriBU.exe"));
    expectTheirsWhole();
    EXPECT_TRUE(IsLink(temp + "Distro")) << "left as it was";
    EXPECT_FALSE(FolderPresent(programDir_ + "Distro")) << "the files unpacked beside the program went";
    // The log's name is taken over by the log itself; the link's target is left.
    EXPECT_TRUE(Has(RunLog(), "* Exit code 0")) << RunLog();

    // A folder of the unpacked product that is a link.
    RemoveHostLink(temp + "Distro");
    ASSERT_TRUE(CreateDirectoryA((temp + "Distro").c_str(), nullptr));
    ASSERT_TRUE(MakeHostLink(theirs + "Help", temp + "Distro\\Help"));
    RemoveInstallationTraces();
    RemoveTree(installDir_);
    Start();
    ASSERT_TRUE(process_->WaitForExit(90s));
    EXPECT_EQ(0u, process_->ExitCode());
    EXPECT_TRUE(CloseProgramWindow("TBriBUForm"));
    expectTheirsWhole();
    EXPECT_TRUE(IsLink(temp + "Distro\\Help"));
}

} // namespace
