// The extraction run: what lands on disk, passwords, checks, overwrite rules and failures.
#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "TestZipWriter.h"
#include "ZipFileSystem.h"
#include "ZipFormat.h"
#include "ZipTestSupport.h"

using ziptest::ReaderTest;
using ziptest::ReadFile;

namespace {

TestEntry Entry(const std::string& Name, const std::string& Data, uint16_t Method = 8)
{
    TestEntry e;
    e.Name = Name;
    e.Data = Data;
    e.Method = Method;
    return e;
}

std::string Pattern(size_t Size, unsigned Seed)
{
    std::string s(Size, '\0');
    uint32_t x = Seed * 2654435761u + 1;
    for (char& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>((x % 7 == 0) ? x >> 8 : 'a' + x % 5); // compressible, not trivially
    }
    return s;
}

struct Failure {
    std::string FileName;
    int NativeError;
    int ErrorCode;
    std::string Message;
};

// Collects failures and answers each with Action.
void RecordFailures(TZipArchive& Zip, std::vector<Failure>& Failures, TZAAction Action)
{
    Zip.OnProcessFileFailure = [&Failures, Action](TZABaseArchiver*, const std::string& FileName,
                                                   TZAProcessOperation Operation, int Native, int Code,
                                                   const std::string& Message, TZAAction& Answer) {
        EXPECT_EQ(poExtract, Operation);
        Failures.push_back({FileName, Native, Code, Message});
        Answer = Action;
    };
}

bool IsReadOnly(const std::string& Path)
{
    uint32_t attributes = 0;
    return zipfs::GetAttributes(Path, attributes) && (attributes & zipfs::AttrReadOnly);
}

class RecordingPrompts : public IZipUserPrompts {
public:
    bool AskPassword(const std::string& Caption, const std::string& Label, std::string& Password) override
    {
        Captions.push_back(Caption);
        Labels.push_back(Label);
        Offered.push_back(Password);
        if (Answers.empty())
            return false;
        Password = Answers.front();
        Answers.erase(Answers.begin());
        return true;
    }
    TZAAction AskFileFailure(const std::string& Text) override
    {
        FailureTexts.push_back(Text);
        return FailureAnswer;
    }
    std::vector<std::string> Captions, Labels, Offered, Answers, FailureTexts;
    TZAAction FailureAnswer = faAbort;
};

} // namespace

class ZipExtract : public ReaderTest {};
BB7_READER_TEST_SUITE(ZipExtract);

TEST_P(ZipExtract, WritesStoredAndDeflatedEntriesBelowTheBaseFolder)
{
    const std::string big = Pattern(2500000, 1); // several 1 MiB chunks
    TestEntry folder = Entry("Distro/Languages/", "", 0);
    folder.ExternalAttributes = 0x10;
    OpenBytes(BuildArchive(ArchiveOf({Entry("Distro/a.txt", "alpha"), Entry("Distro/Help/b.bin", big, 0),
                                      Entry("Distro/Help/Images/c.dat", big), Entry("Distro/empty", "", 8), folder})));
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("alpha", ReadFile(Out("Distro/a.txt")));
    EXPECT_EQ(big, ReadFile(Out("Distro/Help/b.bin")));
    EXPECT_EQ(big, ReadFile(Out("Distro/Help/Images/c.dat")));
    EXPECT_EQ("", ReadFile(Out("Distro/empty")));
    EXPECT_TRUE(std::filesystem::is_directory(Out("Distro/Languages")));
    EXPECT_EQ(4u, ziptest::ListFiles(OutDir).size());
}

TEST_P(ZipExtract, OnlyTheSelectedEntries)
{
    OpenBytes(BuildArchive(ArchiveOf({Entry("a.txt", "1"), Entry("sub/b.txt", "2"), Entry("c.bin", "3")})));
    Zip.ExtractByMask("*.txt", 0x28BF, "");
    EXPECT_EQ((std::vector<std::string>{"a.txt", "sub/b.txt"}), ziptest::ListFiles(OutDir));
    Zip.Options.Recurse = false;
    ziptest::RemoveTree(OutDir);
    Zip.ExtractByMask("*.txt", 0x28BF, "");
    EXPECT_EQ(std::vector<std::string>{"a.txt"}, ziptest::ListFiles(OutDir));
    ziptest::RemoveTree(OutDir);
    Zip.Options.Recurse = true;
    Zip.ExtractByMask("*.*", 0x28BF, "sub/*");
    EXPECT_EQ((std::vector<std::string>{"a.txt", "c.bin"}), ziptest::ListFiles(OutDir));
}

TEST_P(ZipExtract, RestoresTimeStampAndAttributes)
{
    TestEntry ro = Entry("ro.txt", "read only");
    ro.ExternalAttributes = 0x21;
    ro.Date = (44 << 9) | (6 << 5) | 15; // 2024-06-15
    ro.Time = (13 << 11) | (45 << 5) | 10;
    OpenBytes(BuildArchive(ArchiveOf({ro, Entry("rw.txt", "writable")})));
    Zip.ExtractByMask("*.*", 0x28BF, "");
    int64_t expected = 0, actual = 0;
    ASSERT_TRUE(zipfs::DosDateTimeToStamp(ro.Date, ro.Time, expected));
    ASSERT_TRUE(zipfs::FileModifiedTime(Out("ro.txt"), actual));
    EXPECT_EQ(expected, actual);
    EXPECT_TRUE(IsReadOnly(Out("ro.txt")));
    EXPECT_FALSE(IsReadOnly(Out("rw.txt")));

    // Without SetAttributes the read-only bit is not given.
    ziptest::RemoveTree(OutDir);
    Zip.Options.SetAttributes = false;
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_FALSE(IsReadOnly(Out("ro.txt")));
}

TEST_P(ZipExtract, LocalHeaderWithOtherNameAndExtraLengthsIsReadFromItsOwnLengths)
{
    TestEntry e = Entry("Distro/x.txt", "payload after a longer local header");
    e.LocalName = "Distro/a-much-longer-local-name.txt";
    e.LocalExtra = std::string("\x55\x54\x05\x00\x01\x02\x03\x04\x05", 9);
    e.CentralExtra = std::string("\x0A\x00\x00\x00", 4);
    OpenBytes(BuildArchive(ArchiveOf({e, Entry("next.txt", "next")})));
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(e.Data, ReadFile(Out("Distro/x.txt")));
    EXPECT_EQ("next", ReadFile(Out("next.txt")));
}

TEST_P(ZipExtract, DecryptsWithTheCrcOrTheTimeCheckByte)
{
    TestEntry plain = Entry("crc.txt", Pattern(70000, 2));
    plain.Password = "pw";
    TestEntry descriptor = Entry("time.txt", Pattern(5000, 3));
    descriptor.Password = "pw";
    descriptor.DataDescriptor = true;
    descriptor.Time = 0xA7C3; // its high byte is the check byte
    TestEntry stored = Entry("stored.txt", "stored and encrypted", 0);
    stored.Password = "pw";
    OpenBytes(BuildArchive(ArchiveOf({plain, descriptor, stored})));
    Zip.Password = "pw";
    std::vector<Failure> failures;
    RecordFailures(Zip, failures, faIgnore);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(plain.Data, ReadFile(Out("crc.txt")));
    EXPECT_EQ(descriptor.Data, ReadFile(Out("time.txt")));
    EXPECT_EQ(stored.Data, ReadFile(Out("stored.txt")));
}

TEST_P(ZipExtract, WrongPasswordAsksUntilTheRightOne)
{
    TestEntry a = Entry("a.txt", "first secret");
    a.Password = "right";
    TestEntry b = Entry("b.txt", "second secret");
    b.Password = "right";
    OpenBytes(BuildArchive(ArchiveOf({a, b})));
    Zip.Password = "wrong";
    std::vector<std::string> asked;
    Zip.OnPassword = [&](TZABaseArchiver* Sender, const std::string& FileName, std::string& NewPassword, bool& Skip) {
        EXPECT_EQ(&Zip, Sender);
        EXPECT_FALSE(Skip);
        asked.push_back(FileName + ":" + NewPassword);
        NewPassword = asked.size() == 1 ? "still wrong" : "right";
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ((std::vector<std::string>{"a.txt:wrong", "a.txt:still wrong"}), asked);
    EXPECT_EQ("right", Zip.Password); // kept for the next entry, which asks nothing
    EXPECT_EQ("first secret", ReadFile(Out("a.txt")));
    EXPECT_EQ("second secret", ReadFile(Out("b.txt")));
}

TEST_P(ZipExtract, CancelledPasswordSkipsOnlyThatEntry)
{
    TestEntry a = Entry("a.txt", "locked");
    a.Password = "right";
    OpenBytes(BuildArchive(ArchiveOf({a, Entry("b.txt", "open")})));
    Zip.Password = "wrong";
    std::vector<Failure> failures;
    RecordFailures(Zip, failures, faAbort);
    Zip.OnPassword = [&](TZABaseArchiver*, const std::string&, std::string&, bool& Skip) { Skip = true; };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_FALSE(ziptest::Exists(Out("a.txt")));
    EXPECT_EQ("open", ReadFile(Out("b.txt")));
    EXPECT_TRUE(failures.empty());
}

TEST_P(ZipExtract, WithoutHandlerThePromptIsAskedWithTheStoredName)
{
    TestEntry a = Entry("Distro/a.txt", "locked");
    a.Password = "right";
    TestEntry b = Entry("Distro/b.txt", "locked too");
    b.Password = "other";
    OpenBytes(BuildArchive(ArchiveOf({a, b, Entry("c.txt", "open")})));
    Zip.Password = "wrong";
    RecordingPrompts prompts;
    prompts.Answers = {"right"}; // then the prompt for b is cancelled
    SetZipUserPrompts(&prompts);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ((std::vector<std::string>{"Password for \"Distro/a.txt\"", "Password for \"Distro/b.txt\""}),
              prompts.Captions);
    EXPECT_EQ((std::vector<std::string>{"Enter password: ", "Enter password: "}), prompts.Labels);
    EXPECT_EQ((std::vector<std::string>{"wrong", "right"}), prompts.Offered);
    EXPECT_EQ("locked", ReadFile(Out("Distro/a.txt")));
    EXPECT_FALSE(ziptest::Exists(Out("Distro/b.txt")));
    EXPECT_EQ("open", ReadFile(Out("c.txt")));
}

TEST_P(ZipExtract, DefaultPromptsCancelThePassword)
{
    TestEntry a = Entry("a.txt", "locked");
    a.Password = "right";
    OpenBytes(BuildArchive(ArchiveOf({a, Entry("b.txt", "open")})));
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_FALSE(ziptest::Exists(Out("a.txt")));
    EXPECT_EQ("open", ReadFile(Out("b.txt")));
}

TEST_P(ZipExtract, CrcMismatchRaises8UnlessCorruptedFilesAreAccepted)
{
    TestEntry bad = Entry("Distro/bad.txt", "these bytes do not match the stored CRC");
    bad.CentralCrc = 0x12345678;
    OpenBytes(BuildArchive(ArchiveOf({bad, Entry("good.txt", "fine")})));
    std::vector<Failure> failures;
    RecordFailures(Zip, failures, faIgnore);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    ASSERT_EQ(1u, failures.size());
    EXPECT_EQ("Distro\\bad.txt", failures[0].FileName);
    EXPECT_EQ(8, failures[0].NativeError);
    EXPECT_EQ(4, failures[0].ErrorCode);
    EXPECT_EQ("Unzip: Invalid size or check sum of file or unsupported compression format - Native error: 00008",
              failures[0].Message);
    EXPECT_FALSE(ziptest::Exists(Out("Distro/bad.txt")));
    EXPECT_EQ("fine", ReadFile(Out("good.txt")));

    failures.clear();
    Zip.ExtractCorruptedFiles = true;
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(bad.Data, ReadFile(Out("Distro/bad.txt")));
}

TEST_P(ZipExtract, SizeMismatchAndUndecodableDataFailToo)
{
    TestEntry shortSize = Entry("size.txt", "twenty bytes of text");
    shortSize.CentralUncompressedSize = 25;
    TestEntry garbage = Entry("garbage.txt", "whatever");
    garbage.RawData = std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6); // not a deflate stream
    TestEntry unknown = Entry("bzip2.txt", "whatever", 12);
    unknown.RawData = "BZh9";
    OpenBytes(BuildArchive(ArchiveOf({shortSize, garbage, unknown})));
    std::vector<Failure> failures;
    RecordFailures(Zip, failures, faIgnore);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    ASSERT_EQ(3u, failures.size());
    for (const Failure& f : failures)
        EXPECT_EQ(8, f.NativeError) << f.FileName;
    EXPECT_TRUE(ziptest::ListFiles(OutDir).empty());
}

TEST_P(ZipExtract, OutputBeyondTheDeclaredSizeIsNotWritten)
{
    TestEntry bomb = Entry("bomb.bin", std::string(3000000, '\0'));
    bomb.CentralUncompressedSize = 1000;
    OpenBytes(BuildArchive(ArchiveOf({bomb})));
    Zip.ExtractCorruptedFiles = true;
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(1000u, std::filesystem::file_size(Out("bomb.bin")));
}

TEST_P(ZipExtract, BytesAfterTheDeflateStreamAreIgnored)
{
    TestEntry e = Entry("t.txt", "text with padding behind its deflate stream");
    e.TrailingData = "JUNKJUNK";
    OpenBytes(BuildArchive(ArchiveOf({e})));
    std::vector<Failure> failures;
    RecordFailures(Zip, failures, faIgnore);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(e.Data, ReadFile(Out("t.txt")));
}

TEST_P(ZipExtract, Deflate64RaisesCode55WithoutTheComponentName)
{
    TestEntry d64 = Entry("d64.bin", "x", 9);
    d64.RawData = "xxxx";
    OpenBytes(BuildArchive(ArchiveOf({d64, Entry("after.txt", "after")})));
    std::vector<Failure> failures;
    RecordFailures(Zip, failures, faIgnore);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    ASSERT_EQ(1u, failures.size());
    EXPECT_EQ(55, failures[0].NativeError);
    EXPECT_EQ(32, failures[0].ErrorCode);
    EXPECT_EQ("Deflate64 compression method is not supported - Native error: 00055", failures[0].Message);
    EXPECT_FALSE(ziptest::Exists(Out("d64.bin")));
    EXPECT_EQ("after", ReadFile(Out("after.txt")));
}

TEST_P(ZipExtract, ReadOnlyTargetsFollowReplaceReadOnly)
{
    OpenBytes(BuildArchive(ArchiveOf({Entry("f.txt", "new content")})));
    std::filesystem::create_directories(OutDir);
    ziptest::WriteFile(Out("f.txt"), "old");
    ASSERT_TRUE(zipfs::SetAttributes(Out("f.txt"), zipfs::AttrReadOnly));

    Zip.Options.ReplaceReadOnly = false;
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("old", ReadFile(Out("f.txt")));

    Zip.Options.ReplaceReadOnly = true;
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("new content", ReadFile(Out("f.txt")));
}

TEST_P(ZipExtract, SecondExtractionReplacesEveryFileReadOnlyOnesIncluded)
{
    TestEntry ro = Entry("d/ro.txt", "v1");
    ro.ExternalAttributes = 0x21;
    OpenBytes(BuildArchive(ArchiveOf({ro, Entry("d/rw.txt", "v1")})));
    Zip.ExtractByMask("*.*", 0x28BF, "");
    Zip.Close();
    ro.Data = "v2";
    OpenBytes(BuildArchive(ArchiveOf({ro, Entry("d/rw.txt", "v2")})));
    std::vector<Failure> failures;
    RecordFailures(Zip, failures, faIgnore);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ("v2", ReadFile(Out("d/ro.txt")));
    EXPECT_EQ("v2", ReadFile(Out("d/rw.txt")));
}

TEST_P(ZipExtract, OverwriteModesDecideAboutExistingTargets)
{
    TestEntry e = Entry("f.txt", "from archive");
    e.Date = (45 << 9) | (1 << 5) | 1; // 2025-01-01 00:00
    e.Time = 0;
    OpenBytes(BuildArchive(ArchiveOf({e})));
    std::filesystem::create_directories(OutDir);
    const std::string target = Out("f.txt");
    // The target gets the entry's time stamp as the file system stores it, moved by Shift.
    auto reset = [&](std::filesystem::file_time_type::duration Shift) {
        ziptest::WriteFile(target, "existing");
        zipfs::TZAWriteFile stamp;
        ASSERT_TRUE(stamp.Create(target + ".stamp"));
        stamp.SetDosTime(e.Date, e.Time);
        stamp.Close();
        std::filesystem::last_write_time(target, std::filesystem::last_write_time(target + ".stamp") + Shift);
        std::filesystem::remove(target + ".stamp");
    };
    const auto day = std::chrono::hours(24);

    Zip.Options.OverwriteMode = omNever;
    reset(-day);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("existing", ReadFile(target));

    Zip.Options.OverwriteMode = omIfNewer; // replaces only an older target
    reset(day);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("existing", ReadFile(target));
    reset(-day);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("from archive", ReadFile(target));

    Zip.Options.OverwriteMode = omIfOlder; // replaces only a newer target
    reset(-day);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("existing", ReadFile(target));
    reset(day);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("from archive", ReadFile(target));

    Zip.Options.OverwriteMode = omPrompt;
    std::vector<std::string> asked;
    bool answer = false;
    Zip.OnConfirmOverwrite = [&](TZABaseArchiver*, const std::string& FileName, const std::string& Path,
                                 bool& Confirm) {
        EXPECT_TRUE(Confirm);
        asked.push_back(FileName);
        EXPECT_EQ(target, ziptest::SystemPath(Path));
        Confirm = answer;
    };
    reset(day);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("existing", ReadFile(target));
    answer = true;
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("from archive", ReadFile(target));
    EXPECT_EQ(2u, asked.size());

    Zip.Options.OverwriteMode = omAlways;
    reset(day);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("from archive", ReadFile(target));
}

TEST_P(ZipExtract, WithoutCreateDirsEntriesLandInTheBaseFolder)
{
    OpenBytes(BuildArchive(ArchiveOf({Entry("Distro/Help/a.txt", "a")})));
    std::filesystem::create_directories(OutDir);
    Zip.Options.CreateDirs = false;
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(std::vector<std::string>{"a.txt"}, ziptest::ListFiles(OutDir));
}

TEST_P(ZipExtract, TestingChecksEverythingAndWritesNothing)
{
    TestEntry bad = Entry("bad.txt", "bad");
    bad.CentralCrc = 1;
    TestEntry locked = Entry("locked.txt", Pattern(9000, 5));
    locked.Password = "pw";
    OpenBytes(BuildArchive(ArchiveOf({Entry("good.txt", "good"), bad, locked})));
    Zip.Password = "pw";
    Zip.ExtractCorruptedFiles = true; // testing reports damage all the same
    std::vector<std::pair<std::string, int>> failures;
    std::vector<TZAProcessOperation> operations;
    Zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string& FileName, TZAProcessOperation Operation,
                                   int Native, int, const std::string&, TZAAction& Action) {
        EXPECT_EQ(poTest, Operation);
        failures.push_back({FileName, Native});
        Action = faIgnore;
    };
    Zip.OnFileProgress = [&](TZABaseArchiver*, const std::string&, double, TZAProcessOperation Operation,
                             TZAProgressPhase, bool&) { operations.push_back(Operation); };
    Zip.TestByMask("*.*", 0x28BF, "");
    EXPECT_EQ((std::vector<std::pair<std::string, int>>{{"bad.txt", 8}}), failures);
    EXPECT_FALSE(operations.empty());
    for (TZAProcessOperation op : operations)
        EXPECT_EQ(poTest, op);
    EXPECT_FALSE(ziptest::Exists(OutDir));
}

TEST_P(ZipExtract, PendingUpdateBlocksExtraction)
{
    OpenBytes(BuildArchive(ArchiveOf({Entry("a.txt", "a")})));
    Zip.BeginUpdate();
    try {
        Zip.ExtractByMask("*.*", 0x28BF, "");
        FAIL() << "extracted";
    } catch (const EZAException& e) {
        EXPECT_EQ(26, e.NativeError);
        EXPECT_EQ(13, e.ErrorCode);
    }
    Zip.EndUpdate();
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("a", ReadFile(Out("a.txt")));
    EXPECT_THROW(Zip.EndUpdate(), EZAException);
}

TEST_P(ZipExtract, EmptyBaseDirMeansTheCurrentFolder)
{
    OpenBytes(BuildArchive(ArchiveOf({Entry("here/a.txt", "a")})));
    const auto previous = std::filesystem::current_path();
    std::filesystem::create_directories(OutDir);
    std::filesystem::current_path(OutDir);
    Zip.BaseDir.clear();
    Zip.ExtractByMask("*.*", 0x28BF, "");
    std::filesystem::current_path(previous);
    EXPECT_EQ("a", ReadFile(Out("here/a.txt")));
}
