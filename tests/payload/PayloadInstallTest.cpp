// The product's files straight from the payload in memory into the installation folder: the
// manifest's lines, the copy's log lines, the checks before anything is written, and no half
// installation after a damaged entry.
#include <gtest/gtest.h>

#include <filesystem>

#include "PayloadInstall.h"
#include "PayloadPassword.h"
#include "TestZipWriter.h"
#include "ZipTestSupport.h"

using namespace ziptest;

namespace {

TestEntry Entry(const std::string& Name, const std::string& Data)
{
    TestEntry entry;
    entry.Name = Name;
    entry.Data = Data;
    entry.Password = PayloadPassword;
    return entry;
}

const char* const Manifest = "BriBU.exe\r\nHelp\\index.htm\r\nHelp\\Images\\logo.png\r\nmissing.txt\r\n"
                             "..\\evil.txt\r\nbb7setup.dat\r\n";

std::vector<TestEntry> Product()
{
    return {Entry("Distro/BriBU.exe", "program"),         Entry("Distro/Help/index.htm", "help"),
            Entry("Distro/Help/Images/logo.png", "logo"), Entry("Distro/../evil.txt", "evil"),
            Entry("Distro/extra.txt", "not named"),       Entry("Distro/bb7setup.dat", Manifest)};
}

// The sink of a run without windows, keeping what it was told.
struct RecordingSink : InstallSink {
    std::vector<std::string> Lines;
    int CopyEnds = 0;
    void Log(const std::string& Text, bool Error) override { Lines.push_back((Error ? "ERROR " : "") + Text); }
    void SetProgress(int Percent) override { Lines.push_back("progress " + std::to_string(Percent)); }
    void Status(const std::string&) override {}
    void Inform(const std::string&) override {}
    void Busy(bool) override {}
    void ProcessMessages() override {}
    bool StopRequested() override { return false; }
    void EnableFolderNext(bool) override {}
    void CopyEnded() override { ++CopyEnds; }
    void CloseWizard() override {}
};

class PayloadInstallTest : public testing::Test {
protected:
    void Load(const std::vector<TestEntry>& Entries)
    {
        bytes_ = BuildArchive(ArchiveOf(Entries));
        ASSERT_TRUE(payload_.Open(bytes_.data(), bytes_.size())) << payload_.Failure();
    }
    std::string Dir() const { return Scratch / "Program" + "\\"; }
    std::string File(const std::string& Relative) const { return ReadFile(SystemPath(Dir() + Relative)); }

    ScratchDir Scratch;
    std::string bytes_;
    PayloadInstall payload_;
    RecordingSink sink_;
};

TEST_F(PayloadInstallTest, PlacesWhatTheManifestNamesWithTheLinesOfACopy)
{
    Load(Product());
    ASSERT_TRUE(payload_.ReadManifest());
    EXPECT_EQ(6u, payload_.Manifest().size());
    ASSERT_TRUE(payload_.CheckEntries()) << payload_.Failure();
    EXPECT_FALSE(Exists(SystemPath(Dir()))) << "checking writes nothing";

    ASSERT_EQ(PayloadInstall::PlaceResult::Done, payload_.PlaceFiles(Dir(), sink_));
    EXPECT_EQ("program", File("BriBU.exe"));
    EXPECT_EQ("help", File("Help\\index.htm"));
    EXPECT_EQ("logo", File("Help\\Images\\logo.png"));
    EXPECT_EQ(Manifest, File("bb7setup.dat"));
    EXPECT_EQ((std::vector<std::string>{"BriBU.exe", "Help/Images/logo.png", "Help/index.htm", "bb7setup.dat"}),
              ListFiles(SystemPath(Dir())));
    EXPECT_FALSE(Exists(SystemPath(Scratch / "evil.txt")));

    const std::string dir = Dir();
    EXPECT_EQ((std::vector<std::string>{"Creating " + dir, "progress 16", "File " + dir + "BriBU.exe copied",
                                        "Creating " + dir + "Help\\", "progress 33",
                                        "File " + dir + "Help\\index.htm copied", "Creating " + dir + "Help\\Images\\",
                                        "progress 50", "File " + dir + "Help\\Images\\logo.png copied", "progress 66",
                                        "ERROR Could'nt copy " + dir + "missing.txt", "progress 83",
                                        "ERROR Could'nt copy " + dir + "..\\evil.txt", "progress 100",
                                        "File " + dir + "bb7setup.dat copied"}),
              sink_.Lines);
    EXPECT_EQ(1, sink_.CopyEnds);

    // Every written file with the digest of what was written, for the service library's check.
    const Sha256Digest* digest = payload_.Written().DigestOf(dir + "BRIBU.EXE");
    ASSERT_NE(nullptr, digest);
    EXPECT_EQ(Sha256Of("program", 7), *digest);
    EXPECT_EQ(4u, payload_.Written().Files.size());
    payload_.DeleteWritten();
    EXPECT_FALSE(Exists(SystemPath(Dir()))) << "what it made goes again, folders included";
}

TEST_F(PayloadInstallTest, ADamagedEntryIsFoundBeforeTheFirstFileIsWritten)
{
    std::vector<TestEntry> entries = Product();
    entries[2].CentralCrc = 0xDEADBEEF; // Help/Images/logo.png
    Load(entries);
    ASSERT_TRUE(payload_.ReadManifest());
    EXPECT_FALSE(payload_.CheckEntries());
    EXPECT_NE(std::string::npos, payload_.Failure().find("Help\\Images\\logo.png")) << payload_.Failure();

    // Were it written all the same, the damaged entry ends the placing, and what was
    // written before it goes again; a file of the user's in the folder stays.
    std::filesystem::create_directories(SystemPath(Dir()));
    WriteFile(SystemPath(Dir() + "mine.txt"), "user");
    EXPECT_EQ(PayloadInstall::PlaceResult::Damaged, payload_.PlaceFiles(Dir(), sink_));
    EXPECT_EQ("help", File("Help\\index.htm"));
    payload_.DeleteWritten();
    EXPECT_EQ((std::vector<std::string>{"mine.txt"}), ListFiles(SystemPath(Dir())));
}

TEST_F(PayloadInstallTest, NoManifestAndNoArchiveAreToldApart)
{
    Load({Entry("Distro/BriBU.exe", "program")});
    EXPECT_FALSE(payload_.ReadManifest());
    EXPECT_EQ("", payload_.Failure()) << "a missing manifest is no damage";

    // A wrong password fails the manifest like damage.
    PayloadInstall other;
    TestEntry locked = Entry("Distro/bb7setup.dat", "BriBU.exe\r\n");
    locked.Password = "another";
    const std::string lockedBytes = BuildArchive(ArchiveOf({locked}));
    ASSERT_TRUE(other.Open(lockedBytes.data(), lockedBytes.size()));
    EXPECT_FALSE(other.ReadManifest());
    EXPECT_NE("", other.Failure());

    const std::string junk = "this is no zip archive at all";
    PayloadInstall none;
    EXPECT_FALSE(none.Open(junk.data(), junk.size()));
    EXPECT_NE("", none.Failure());
}

} // namespace
