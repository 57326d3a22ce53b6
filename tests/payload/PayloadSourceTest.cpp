// The product straight from the payload in memory: the manifest read from the archive, every
// entry it names checked before anything is written, each file written where the copy puts it,
// and the digest of the files loaded as code taken as they are written.
#include <gtest/gtest.h>

#include <filesystem>

#include "PayloadPassword.h"
#include "PayloadSource.h"
#include "TestZipWriter.h"
#include "ZipFileSystem.h"
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

class PayloadSourceTest : public testing::Test {
protected:
    bool Load(std::vector<TestEntry> Entries)
    {
        bytes_ = BuildArchive(ArchiveOf(Entries));
        return payload_.Open(bytes_.data(), bytes_.size()) && payload_.LoadManifest();
    }
    std::string Dir() const { return Scratch / "Program" + "\\"; }

    ScratchDir Scratch;
    std::string bytes_;
    PayloadSource payload_;
};

TEST_F(PayloadSourceTest, PlacesWhatTheManifestNamesAndKnowsTheDigestsItTook)
{
    ASSERT_TRUE(Load({Entry("Distro/BriBU.exe", "program"), Entry("Distro/Help/Images/logo.png", "logo"),
                      Entry("Distro/../evil.txt", "evil"), Entry("Distro/extra.txt", "not named"),
                      Entry("Distro/bb7setup.dat", Manifest)}));
    std::vector<std::string> lines;
    ASSERT_EQ(ProductSource::ManifestState::Read, payload_.ReadManifest(lines));
    EXPECT_EQ((std::vector<std::string>{"BriBU.exe", "Help\\Images\\logo.png", "missing.txt", "..\\evil.txt",
                                        "bb7setup.dat"}),
              lines);
    ASSERT_TRUE(payload_.CheckEntries()) << payload_.Failure();
    EXPECT_FALSE(Exists(SystemPath(Dir()))) << "checking writes nothing";
    EXPECT_EQ(std::nullopt, payload_.OwnFolder()) << "the library is loaded from where it was placed";

    std::filesystem::create_directories(SystemPath(Dir() + "Help\\Images"));
    payload_.TakesDigest = [](const std::string& Line) { return Line == "BriBU.exe"; };
    EXPECT_EQ(ProductSource::Placed::Written, payload_.Place("BriBU.exe", Dir() + "BriBU.exe"));
    EXPECT_EQ(ProductSource::Placed::Written, payload_.Place("Help\\Images\\logo.png", Dir() + "Help\\Images\\logo.png"));
    EXPECT_EQ(ProductSource::Placed::NotWritten, payload_.Place("missing.txt", Dir() + "missing.txt"));
    EXPECT_EQ(ProductSource::Placed::NotWritten, payload_.Place("Help", Dir() + "Help")) << "a folder is no file";
    EXPECT_EQ((std::vector<std::string>{"BriBU.exe", "Help/Images/logo.png"}), ListFiles(SystemPath(Dir())));
    EXPECT_EQ("logo", ReadFile(SystemPath(Dir() + "Help\\Images\\logo.png")));

    // The digest of a file as it was written, for the service library's check; only where asked.
    const Sha256Digest* digest = payload_.DigestOf(Dir() + "BRIBU.EXE");
    ASSERT_NE(nullptr, digest);
    EXPECT_EQ(Sha256Of("program", 7), *digest);
    EXPECT_EQ(nullptr, payload_.DigestOf(Dir() + "Help\\Images\\logo.png"));
}

TEST_F(PayloadSourceTest, WhatTheCheckInflatedStaysWithinTheBoundAndAProductOverItInstallsTheSameBytes)
{
    // Files of 3000, 5000 and 2000 bytes under a bound of 6000: the first, the last and the
    // manifest are held from the check to the copy, the second is inflated again as it is written.
    const std::string first(3000, 'a'), second(5000, 'b'), third(2000, 'c');
    const std::string manifest = "first.bin\r\nsecond.bin\r\nthird.bin\r\nbb7setup.dat\r\n";
    ASSERT_TRUE(Load({Entry("Distro/first.bin", first), Entry("Distro/second.bin", second),
                      Entry("Distro/third.bin", third), Entry("Distro/bb7setup.dat", manifest)}));
    payload_.KeptBytesLimit = 6000;
    ASSERT_TRUE(payload_.CheckEntries()) << payload_.Failure();
    EXPECT_EQ(3000 + 2000 + manifest.size(), payload_.KeptBytes());

    // Each file's bytes go as it is placed; every file gets its bytes, its entry's time and its digest.
    std::filesystem::create_directories(SystemPath(Dir()));
    const struct {
        std::string Name, Data;
        uint64_t HeldAfter;
    } files[] = {{"first.bin", first, 2000 + manifest.size()},
                 {"second.bin", second, 2000 + manifest.size()},
                 {"third.bin", third, manifest.size()}};
    const TestEntry stamp = Entry("any", "");
    int64_t stamped = 0;
    ASSERT_TRUE(zipfs::DosDateTimeToStamp(stamp.Date, stamp.Time, stamped));
    for (const auto& file : files) {
        ASSERT_EQ(ProductSource::Placed::Written, payload_.Place(file.Name, Dir() + file.Name)) << file.Name;
        EXPECT_EQ(file.HeldAfter, payload_.KeptBytes()) << file.Name;
        EXPECT_EQ(file.Data, ReadFile(SystemPath(Dir() + file.Name))) << file.Name;
        int64_t written = 0;
        ASSERT_TRUE(zipfs::FileModifiedTime(Dir() + file.Name, written));
        EXPECT_EQ(stamped, written) << file.Name;
        const Sha256Digest* digest = payload_.DigestOf(Dir() + file.Name);
        ASSERT_NE(nullptr, digest) << file.Name;
        EXPECT_EQ(Sha256Of(file.Data.data(), file.Data.size()), *digest) << file.Name;
    }

    // Without room at all nothing is held, and the product installs all the same.
    ASSERT_TRUE(Load({Entry("Distro/first.bin", first), Entry("Distro/bb7setup.dat", "first.bin\r\n")}));
    payload_.KeptBytesLimit = 0;
    ASSERT_TRUE(payload_.CheckEntries()) << payload_.Failure();
    EXPECT_EQ(0u, payload_.KeptBytes());
    ASSERT_EQ(ProductSource::Placed::Written, payload_.Place("first.bin", Dir() + "again.bin"));
    EXPECT_EQ(first, ReadFile(SystemPath(Dir() + "again.bin")));
}

TEST_F(PayloadSourceTest, ADamagedPayloadIsFoundBeforeAnythingIsWritten)
{
    TestEntry damaged = Entry("Distro/Help/Images/logo.png", "logo");
    damaged.CentralCrc = 0xDEADBEEF;
    ASSERT_TRUE(Load({Entry("Distro/BriBU.exe", "program"), damaged, Entry("Distro/bb7setup.dat", Manifest)}));
    EXPECT_FALSE(payload_.CheckEntries());
    EXPECT_NE(std::string::npos, payload_.Failure().find("Help\\Images\\logo.png")) << payload_.Failure();

    // Were it placed all the same, it says so and leaves no file of its own.
    std::filesystem::create_directories(SystemPath(Dir() + "Help\\Images"));
    EXPECT_EQ(ProductSource::Placed::Damaged, payload_.Place("Help\\Images\\logo.png", Dir() + "Help\\Images\\logo.png"));
    EXPECT_TRUE(ListFiles(SystemPath(Dir())).empty());

    // No manifest is no damage; a manifest that the password does not open, and no archive, are.
    EXPECT_FALSE(Load({Entry("Distro/BriBU.exe", "program")}));
    EXPECT_EQ("", payload_.Failure());
    std::vector<std::string> lines;
    EXPECT_EQ(ProductSource::ManifestState::Missing, payload_.ReadManifest(lines));
    PayloadSource locked;
    const std::string bytes = BuildArchive(ArchiveOf({Entry("Distro/bb7setup.dat", Manifest, "another")}));
    EXPECT_TRUE(locked.Open(bytes.data(), bytes.size()) && !locked.LoadManifest() && !locked.Failure().empty());
    PayloadSource none;
    EXPECT_FALSE(none.Open("no zip archive at all", 21));
    EXPECT_NE("", none.Failure());
}

} // namespace
