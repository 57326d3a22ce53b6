// Entries that fail: names that would leave the base folder, targets that cannot be
// created, and the decision between retry, ignore and abort.
#include <filesystem>

#include <gtest/gtest.h>

#include "TestZipWriter.h"
#include "ZipFormat.h"
#include "ZipTestSupport.h"

using ziptest::ReaderTest;
using ziptest::ReadFile;

namespace {

TestEntry Entry(const std::string& Name, const std::string& Data)
{
    TestEntry e;
    e.Name = Name;
    e.Data = Data;
    return e;
}

class FailurePrompts : public IZipUserPrompts {
public:
    bool AskPassword(const std::string&, const std::string&, std::string&) override { return false; }
    TZAAction AskFileFailure(const std::string& Text) override
    {
        Texts.push_back(Text);
        return Answer;
    }
    std::vector<std::string> Texts;
    TZAAction Answer = faAbort;
};

} // namespace

class ZipFailures : public ReaderTest {};
BB7_READER_TEST_SUITE(ZipFailures);

TEST_P(ZipFailures, NamesThatLeaveTheBaseFolderFailWithCode19)
{
    const std::vector<std::string> escapes = {
        "../escape1.txt",
        "..\\escape2.txt",
        "sub/../../escape3.txt",
        "sub\\..\\..\\escape4.txt",
        "/tmp/escape5.txt",
        "\\escape6.txt",
        "C:\\escape7.txt",
        "C:escape8.txt",
        "\\\\server\\share\\escape9.txt",
        "//server/share/escape10.txt",
        "sub/.. /escape11.txt",
    };
    TestArchive a;
    for (const std::string& name : escapes)
        a.Entries.push_back(Entry(name, "evil"));
    a.Entries.push_back(Entry("sub/inside.txt", "good"));
    // The base folder lies two levels down, so that ".." targets would stay in the scratch folder.
    Zip.BaseDir = Scratch / "one/two/out";
    OpenBytes(BuildArchive(a));

    std::vector<std::string> failed;
    Zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string& FileName, TZAProcessOperation, int Native,
                                   int Code, const std::string& Message, TZAAction& Action) {
        EXPECT_EQ(19, Native);
        EXPECT_EQ(9, Code);
        EXPECT_NE(std::string::npos, Message.find("Cannot create file \"")) << Message;
        failed.push_back(FileName);
        Action = faIgnore;
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(escapes.size(), failed.size());
    // Nothing was written anywhere but the one good entry, inside the base folder.
    const std::vector<std::string> all = ziptest::ListFiles(Scratch.Path().string());
    EXPECT_EQ((std::vector<std::string>{"one/two/out/sub/inside.txt", "test.zip"}), all);
}

TEST_P(ZipFailures, UncreatableFolderRaises20AndRetryRepeatsTheEntry)
{
    OpenBytes(BuildArchive(ArchiveOf({Entry("blocked/a.txt", "a"), Entry("b.txt", "b")})));
    std::filesystem::create_directories(OutDir);
    ziptest::WriteFile(Out("blocked"), "a file where a folder belongs");
    int calls = 0;
    std::string message;
    Zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string& FileName, TZAProcessOperation, int Native,
                                   int Code, const std::string& Message, TZAAction& Action) {
        ++calls;
        EXPECT_EQ("blocked\\a.txt", FileName);
        EXPECT_EQ(20, Native);
        EXPECT_EQ(10, Code);
        message = Message;
        std::filesystem::remove(Out("blocked")); // the user mends it, then retries
        Action = faRetry;
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(1, calls);
    EXPECT_EQ(0u, message.find("Unzip: Cannot create directory \"")) << message;
    EXPECT_EQ("a", ReadFile(Out("blocked/a.txt")));
    EXPECT_EQ("b", ReadFile(Out("b.txt")));
}

TEST_P(ZipFailures, UncreatableFileRaises19IgnoreGoesOnAbortStops)
{
    TestArchive a = ArchiveOf({Entry("x.txt", "x"), Entry("y.txt", "y"), Entry("z.txt", "z")});
    OpenBytes(BuildArchive(a));
    std::filesystem::create_directories(Out("x.txt")); // a folder where the file belongs
    std::vector<std::string> failed;
    Zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string& FileName, TZAProcessOperation, int Native, int,
                                   const std::string&, TZAAction& Action) {
        EXPECT_EQ(19, Native);
        failed.push_back(FileName);
        Action = faIgnore;
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(std::vector<std::string>{"x.txt"}, failed);
    EXPECT_EQ("z", ReadFile(Out("z.txt")));

    std::filesystem::remove(Out("y.txt"));
    std::filesystem::remove(Out("z.txt"));
    std::vector<TZAProgressPhase> overall;
    Zip.OnOverallProgress = [&](TZABaseArchiver*, double, TZAProcessOperation, TZAProgressPhase Phase, bool&) {
        overall.push_back(Phase);
    };
    Zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation, int, int,
                                   const std::string&, TZAAction& Action) { Action = faAbort; };
    Zip.ExtractByMask("*.*", 0x28BF, ""); // returns normally
    EXPECT_FALSE(ziptest::Exists(Out("y.txt")));
    EXPECT_EQ(ppEnd, overall.back());
}

TEST_P(ZipFailures, WithoutHandlerTheBoxDecides)
{
    TestArchive a = ArchiveOf({Entry("x.txt", "x"), Entry("y.txt", "y")});
    OpenBytes(BuildArchive(a));
    std::filesystem::create_directories(Out("x.txt"));
    FailurePrompts prompts;
    SetZipUserPrompts(&prompts);
    prompts.Answer = faIgnore;
    Zip.ExtractByMask("*.*", 0x28BF, "");
    ASSERT_EQ(1u, prompts.Texts.size());
    const std::string target = (std::filesystem::path(OutDir) / "x.txt").string();
    EXPECT_EQ(0u, prompts.Texts[0].find("Unzip: Cannot create file \"")) << prompts.Texts[0];
    EXPECT_NE(std::string::npos,
              prompts.Texts[0].find("\" - Native error: 00019. File processing error, possibly disk is full"));
    EXPECT_EQ("y", ReadFile(Out("y.txt")));

    // The default box answers Abort: the run ends quietly after the failing entry.
    SetZipUserPrompts(nullptr);
    std::filesystem::remove(Out("y.txt"));
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_FALSE(ziptest::Exists(Out("y.txt")));
}

TEST_P(ZipFailures, EntryDataOutsideTheFileFailsThatEntryOnly)
{
    TestArchive a = ArchiveOf({Entry("lost.txt", "lost"), Entry("kept.txt", "kept")});
    std::string bytes = BuildArchive(a);
    // Point the first central header's local offset far past the end.
    const size_t central = FindSignature(bytes, zip::CentralHeaderSignature);
    Poke32(bytes, central + zip::central::LocalHeaderOffset, 0x7FFFFF00);
    OpenBytes(bytes);
    std::vector<int> failures;
    Zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation, int Native, int,
                                   const std::string&, TZAAction& Action) {
        failures.push_back(Native);
        Action = faIgnore;
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(std::vector<int>{8}, failures);
    EXPECT_EQ("kept", ReadFile(Out("kept.txt")));
}
