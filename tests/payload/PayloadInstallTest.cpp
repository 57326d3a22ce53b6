// The product's files straight from the payload in memory into the installation folder: the
// copy's log lines, the checks before anything is written, and no half installation.
#include <gtest/gtest.h>

#include <filesystem>

#include "LogOnlySink.h"
#include "PayloadInstall.h"
#include "PayloadPassword.h"
#include "TestZipWriter.h"
#include "ZipTestSupport.h"

using namespace ziptest;

namespace {

TestEntry Entry(const std::string& Name, const std::string& Data, const std::string& Password = PayloadPassword)
{
    TestEntry entry;
    entry.Name = Name;
    entry.Data = Data;
    entry.Password = Password;
    return entry;
}

const char* const Manifest = "BriBU.exe\r\nHelp\\Images\\logo.png\r\nmissing.txt\r\n..\\evil.txt\r\nbb7setup.dat\r\n";

class PayloadInstallTest : public testing::Test {
protected:
    bool Load(std::vector<TestEntry> Entries)
    {
        bytes_ = BuildArchive(ArchiveOf(Entries));
        return payload_.Open(bytes_.data(), bytes_.size()) && payload_.ReadManifest();
    }
    std::string Dir() const { return Scratch / "Program" + "\\"; }

    ScratchDir Scratch;
    std::string bytes_;
    PayloadInstall payload_;
    std::vector<std::string> lines_;
    LogOnlySink sink_{
        [this](const std::string& Text, bool Error) { lines_.push_back((Error ? "ERROR " : "") + Text); }};
};

TEST_F(PayloadInstallTest, PlacesWhatTheManifestNamesWithTheLinesOfACopy)
{
    ASSERT_TRUE(Load({Entry("Distro/BriBU.exe", "program"), Entry("Distro/Help/Images/logo.png", "logo"),
                      Entry("Distro/../evil.txt", "evil"), Entry("Distro/extra.txt", "not named"),
                      Entry("Distro/bb7setup.dat", Manifest)}));
    ASSERT_TRUE(payload_.CheckEntries()) << payload_.Failure();
    EXPECT_FALSE(Exists(SystemPath(Dir()))) << "checking writes nothing";

    ASSERT_EQ(PayloadInstall::PlaceResult::Done, payload_.PlaceFiles(Dir(), sink_));
    EXPECT_EQ((std::vector<std::string>{"BriBU.exe", "Help/Images/logo.png", "bb7setup.dat"}),
              ListFiles(SystemPath(Dir())));
    EXPECT_EQ("logo", ReadFile(SystemPath(Dir() + "Help\\Images\\logo.png")));
    const std::string dir = Dir();
    EXPECT_EQ((std::vector<std::string>{
                  "Creating " + dir, "File " + dir + "BriBU.exe copied", "Creating " + dir + "Help\\Images\\",
                  "File " + dir + "Help\\Images\\logo.png copied", "ERROR Could'nt copy " + dir + "missing.txt",
                  "ERROR Could'nt copy " + dir + "..\\evil.txt", "File " + dir + "bb7setup.dat copied"}),
              lines_);
    EXPECT_EQ(2, sink_.ErrorLines());

    // The digest of a file as it was written, for the service library's check.
    const Sha256Digest* digest = payload_.Written().DigestOf(dir + "BRIBU.EXE");
    ASSERT_NE(nullptr, digest);
    EXPECT_EQ(Sha256Of("program", 7), *digest);
    payload_.DeleteWritten();
    EXPECT_FALSE(Exists(SystemPath(Dir()))) << "what it made goes again, folders included";
}

TEST_F(PayloadInstallTest, ADamagedPayloadIsFoundBeforeAnythingIsWritten)
{
    TestEntry damaged = Entry("Distro/Help/Images/logo.png", "logo");
    damaged.CentralCrc = 0xDEADBEEF;
    ASSERT_TRUE(Load({Entry("Distro/BriBU.exe", "program"), damaged, Entry("Distro/bb7setup.dat", Manifest)}));
    EXPECT_FALSE(payload_.CheckEntries());
    EXPECT_NE(std::string::npos, payload_.Failure().find("Help\\Images\\logo.png")) << payload_.Failure();

    // Were it placed all the same, it ends the placing; what was written goes again, and a
    // file of the user's in the folder stays.
    std::filesystem::create_directories(SystemPath(Dir()));
    WriteFile(SystemPath(Dir() + "mine.txt"), "user");
    EXPECT_EQ(PayloadInstall::PlaceResult::Damaged, payload_.PlaceFiles(Dir(), sink_));
    EXPECT_EQ("program", ReadFile(SystemPath(Dir() + "BriBU.exe")));
    payload_.DeleteWritten();
    EXPECT_EQ((std::vector<std::string>{"mine.txt"}), ListFiles(SystemPath(Dir())));

    // No manifest is no damage; a manifest that the password does not open, and no archive, are.
    EXPECT_FALSE(Load({Entry("Distro/BriBU.exe", "program")}));
    EXPECT_EQ("", payload_.Failure());
    PayloadInstall locked;
    const std::string bytes = BuildArchive(ArchiveOf({Entry("Distro/bb7setup.dat", Manifest, "another")}));
    EXPECT_TRUE(locked.Open(bytes.data(), bytes.size()) && !locked.ReadManifest() && !locked.Failure().empty());
    PayloadInstall none;
    EXPECT_FALSE(none.Open("no zip archive at all", 21));
    EXPECT_NE("", none.Failure());
}

} // namespace
