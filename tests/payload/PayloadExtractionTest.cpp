// The unpacker's work without its window: what an extraction writes, and that exactly that
// goes again, natively and under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "PayloadExtraction.h"
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

std::string RandomText(size_t Length)
{
    std::string text(Length, ' ');
    uint32_t state = 12345;
    for (char& c : text)
        c = static_cast<char>('a' + (state = state * 1103515245 + 12345) % 26);
    return text;
}

std::string Payload()
{
    return BuildArchive(ArchiveOf({Entry("Distro/LICENSE.TXT", "licence"), Entry("Distro/Help/index.htm", "help"),
                                   Entry("Distro/Help/Images/logo.png", "logo"), Entry("Distro/bb7setup.dat", "x")}));
}

class PayloadExtractionTest : public testing::Test {
protected:
    // The base folder as the reader takes it (backslashes, which the POSIX file layer turns
    // into slashes), and a path below it as the file system spells it.
    std::string Base() const { return Scratch / "base" + "\\"; }
    std::string Path(std::string Relative) const
    {
        std::replace(Relative.begin(), Relative.end(), '/', '\\');
        return SystemPath(Base() + Relative);
    }
    void WriteArchive(const std::string& Bytes)
    {
        ASSERT_TRUE(Extraction.WriteArchive(Archive(), Bytes.data(), Bytes.size()));
    }
    std::string Archive() const { return SystemPath(Scratch / "DISTRO.ZIP"); }
    void WriteUserFile(const std::string& Relative)
    {
        std::filesystem::create_directories(std::filesystem::path(Path(Relative)).parent_path());
        WriteFile(Path(Relative), "user");
    }

    ScratchDir Scratch;
    PayloadExtraction Extraction;
};

TEST_F(PayloadExtractionTest, RecordsWhatItWroteAndDeletesOnlyThat)
{
    // A user's own "Distro" folder with a file of theirs, and a Help folder of theirs too.
    WriteUserFile("Distro/mine.txt");
    WriteUserFile("Distro/Help/notes.txt");
    WriteArchive(Payload());

    int opened = -1;
    std::vector<std::string> started;
    Extraction.Unzip.AfterOpen = [&](TZABaseArchiver*) { opened = Extraction.Unzip.FileEntryCount(); };
    Extraction.Unzip.OnFileProgress = [&](TZABaseArchiver*, const std::string& Name, double, TZAProcessOperation,
                                          TZAProgressPhase Phase, bool&) {
        if (Phase == ppStart)
            started.push_back(Name);
    };
    ASSERT_TRUE(Extraction.Extract(Archive(), Base()));
    EXPECT_EQ(4, opened);
    EXPECT_EQ(4u, started.size());
    EXPECT_EQ("licence", ReadFile(Path("Distro/LICENSE.TXT")));
    EXPECT_EQ("logo", ReadFile(Path("Distro/Help/Images/logo.png")));

    // Each file's digest, taken as it was written; found letter case aside.
    const Sha256Digest* digest = Extraction.Written().DigestOf(Base() + "DISTRO\\license.txt");
    ASSERT_NE(nullptr, digest);
    EXPECT_EQ(Sha256Of("licence", 7), *digest);
    EXPECT_EQ(nullptr, Extraction.Written().DigestOf(Base() + "Distro\\mine.txt"));

    // Files: the four entries. Folders: only Images had to be made.
    EXPECT_EQ(4u, Extraction.Written().Files.size());
    ASSERT_EQ(1u, Extraction.Written().Folders.size());
    EXPECT_EQ(Path("Distro/Help/Images"), SystemPath(Extraction.Written().Folders[0]));

    UnpackRecord record = Extraction.TakeWritten();
    EXPECT_TRUE(Extraction.Written().Empty());
    DeleteUnpacked(record);
    EXPECT_TRUE(record.Empty());
    EXPECT_EQ((std::vector<std::string>{"Distro/Help/notes.txt", "Distro/mine.txt"}),
              ListFiles(SystemPath(Scratch / "base")));
    EXPECT_FALSE(Exists(Path("Distro/Help/Images")));
}

TEST_F(PayloadExtractionTest, IntoAFreshFolderDeletingLeavesNothing)
{
    WriteArchive(Payload());
    ASSERT_TRUE(Extraction.Extract(Archive(), Base()));
    // Base, Distro, Help and Images were all made by the run.
    EXPECT_EQ(4u, Extraction.Written().Folders.size());
    Extraction.DeleteWritten();
    EXPECT_FALSE(Exists(SystemPath(Scratch / "base")));
    EXPECT_TRUE(Exists(Archive())) << "the archive file is its owner's to delete";
}

TEST_F(PayloadExtractionTest, DamagedOrUnwritableEntriesFailTheRun)
{
    // A damaged second entry: the run fails, and what it had written can all go again.
    std::string damaged =
        BuildArchive(ArchiveOf({Entry("Distro/a.txt", "first"), Entry("Distro/b.txt", RandomText(20000))}));
    const size_t second = FindSignature(damaged, 0x04034b50, 4);
    ASSERT_NE(std::string::npos, second);
    for (size_t i = second + 200; i < second + 220; ++i)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5A); // inside its deflated data
    WriteArchive(damaged);
    EXPECT_FALSE(Extraction.Extract(Archive(), Base()));
    EXPECT_FALSE(Exists(Path("Distro/b.txt"))) << "a damaged file is not kept";
    Extraction.DeleteWritten();
    EXPECT_FALSE(Exists(SystemPath(Scratch / "base")));

    // A folder in the way of a file: without an answer from a user the prompt says Abort.
    WriteUserFile("Distro/keep.txt");
    ASSERT_TRUE(std::filesystem::create_directories(Path("Distro/LICENSE.TXT")));
    WriteArchive(Payload());
    EXPECT_FALSE(Extraction.Extract(Archive(), Base()));
    Extraction.DeleteWritten();
    EXPECT_EQ(std::vector<std::string>{"Distro/keep.txt"}, ListFiles(SystemPath(Scratch / "base")));

    // An archive that cannot be read at all.
    WriteArchive("not a zip archive");
    EXPECT_FALSE(Extraction.Extract(Archive(), Base()));
    EXPECT_FALSE(Extraction.WriteArchive(SystemPath(Scratch / "no/such/folder/DISTRO.ZIP"), "x", 1));
}

// Another program of the user may put links where the elevated unpacker writes, reads and
// deletes: none is followed, and the places they lead to keep every file.
TEST_F(PayloadExtractionTest, NeverWritesReadsOrDeletesThroughALink)
{
    namespace fs = std::filesystem;
    const fs::path elsewhere = fs::path(SystemPath(Scratch / "elsewhere"));
    fs::create_directories(elsewhere / "Help");
    WriteFile((elsewhere / "LICENSE.TXT").string(), "theirs");
    WriteFile((elsewhere / "Help" / "index.htm").string(), "theirs");
    WriteFile((elsewhere / "victim.zip").string(), "theirs");
    std::error_code linkMade;
    fs::create_directories(Path(""));
    fs::create_directory_symlink(elsewhere, Path("Distro"), linkMade);
    if (linkMade)
        GTEST_SKIP() << "this file system makes no symbolic links: " << linkMade.message();
    auto theirsKept = [&] {
        EXPECT_EQ("theirs", ReadFile((elsewhere / "LICENSE.TXT").string()));
        EXPECT_EQ("theirs", ReadFile((elsewhere / "Help" / "index.htm").string()));
        EXPECT_EQ("theirs", ReadFile((elsewhere / "victim.zip").string()));
        EXPECT_EQ(3u, ListFiles(elsewhere.string()).size());
    };

    // The archive's name taken by a link: not written through, and left where it is.
    fs::create_symlink(elsewhere / "victim.zip", Archive());
    EXPECT_FALSE(Extraction.WriteArchive(Archive(), "x", 1));
    Extraction.ReleaseArchive();
    EXPECT_TRUE(fs::is_symlink(Archive()));
    fs::remove(Archive());

    // "Distro" a link: the run fails and writes nothing there.
    WriteArchive(Payload());
    EXPECT_FALSE(Extraction.Extract(Archive(), Base()));
    Extraction.DeleteWritten();
    theirsKept();

    // "Distro" a folder, its "Help" a link.
    fs::remove(Path("Distro"));
    fs::create_directories(Path("Distro"));
    fs::create_directory_symlink(elsewhere / "Help", Path("Distro/Help"));
    EXPECT_FALSE(Extraction.Extract(Archive(), Base()));
    Extraction.DeleteWritten();
    theirsKept();

    // A sound run whose "Help" becomes a link afterwards: deleting stops at the link.
    fs::remove(Path("Distro/Help"));
    ASSERT_TRUE(Extraction.Extract(Archive(), Base()));
    UnpackRecord record = Extraction.TakeWritten();
    fs::remove_all(Path("Distro/Help"));
    fs::create_directory_symlink(elsewhere / "Help", Path("Distro/Help"));
    DeleteUnpacked(record);
    theirsKept();
    EXPECT_FALSE(Exists(Path("Distro/LICENSE.TXT")));
    Extraction.ReleaseArchive();
    EXPECT_FALSE(Exists(Archive()));
}

} // namespace
