// An archive read from memory, and single items taken by their index: tested, read into
// memory, written where the caller says, with the checks of an extraction run.
#include <gtest/gtest.h>

#include "TestZipWriter.h"
#include "ZipTestSupport.h"

using ziptest::ReaderTest;
using ziptest::ReadFile;

namespace {

TestEntry Entry(const std::string& Name, const std::string& Data, const std::string& Password = "secret")
{
    TestEntry e;
    e.Name = Name;
    e.Data = Data;
    e.Password = Password;
    return e;
}

class ZipItems : public ReaderTest {
protected:
    void OpenInMemory(const std::string& Bytes)
    {
        Memory = Bytes;
        Zip.Password = "secret";
        Zip.OpenMemory(Memory.data(), Memory.size());
    }
    // A target as the reader writes paths, with backslashes.
    std::string Target(const std::string& Relative) const { return OutDir + "\\" + Relative; }
    std::string Memory;
};

TEST_P(ZipItems, AnArchiveInMemoryReadsAsFromItsFile)
{
    std::string big(300000, 'x');
    for (size_t i = 0; i < big.size(); i += 7)
        big[i] = static_cast<char>('a' + i % 26);
    OpenInMemory(BuildArchive(ArchiveOf({Entry("Distro/a.txt", "alpha"), Entry("Distro/Help/Big.htm", big)})));
    ASSERT_TRUE(Zip.Active());
    EXPECT_EQ(2, Zip.FileEntryCount());

    // Found by name, letter case and slashes aside.
    EXPECT_EQ(1, Zip.IndexOf("distro\\help\\big.HTM"));
    EXPECT_EQ(-1, Zip.IndexOf("Distro/Help"));

    std::string data;
    EXPECT_TRUE(Zip.TestItemAt(1));
    ASSERT_TRUE(Zip.ReadItemAt(1, data, big.size()));
    EXPECT_EQ(big, data);
    EXPECT_THROW(Zip.ReadItemAt(1, data, big.size() - 1), EZAException) << "larger than the caller allows";

    // Written where the caller says, folders made and reported, every byte seen.
    std::vector<std::string> created;
    size_t seen = 0;
    Zip.AfterCreatePath = [&](TZABaseArchiver*, const std::string& Path, bool) { created.push_back(Path); };
    Zip.OnFileData = [&](TZABaseArchiver*, const uint8_t*, size_t Length) { seen += Length; };
    const std::string target = Target("Program\\Help\\big.htm");
    ASSERT_TRUE(Zip.ExtractItemTo(1, target));
    EXPECT_EQ(big, ReadFile(ziptest::SystemPath(target)));
    EXPECT_EQ(big.size(), seen);
    ASSERT_EQ(4u, created.size()); // out, Program, Help, then the file
    EXPECT_EQ(target, created.back());

    EXPECT_THROW(Zip.TestItemAt(2), EZAException) << "an index outside the directory";
    Zip.Close();
    EXPECT_THROW(Zip.TestItemAt(0), EZAException) << "no archive open";
}

TEST_P(ZipItems, SingleItemsKeepTheChecksOfARun)
{
    TestEntry damaged = Entry("Distro/bad.txt", "the stored check does not fit");
    damaged.CentralCrc = 0x12345678;
    OpenInMemory(BuildArchive(ArchiveOf(
        {damaged, Entry("Distro/../evil.txt", "evil"), Entry("Distro/other.txt", "other", "another password")})));

    // Data that fail their check: raised, and no file stays.
    std::string data;
    EXPECT_THROW(Zip.TestItemAt(0), EZAException);
    EXPECT_THROW(Zip.ReadItemAt(0, data, 1000), EZAException);
    try {
        Zip.ExtractItemTo(0, Target("bad.txt"));
        ADD_FAILURE() << "a damaged item was written";
    } catch (const EZAException& e) {
        EXPECT_EQ(zecCorruptedData, e.NativeError);
    }
    EXPECT_FALSE(ziptest::Exists(ziptest::SystemPath(Target("bad.txt"))));

    // A stored name that could leave a folder fails, wherever the caller puts it.
    EXPECT_THROW(Zip.ExtractItemTo(1, Target("evil.txt")), EZAException);
    EXPECT_FALSE(ziptest::Exists(ziptest::SystemPath(Target("evil.txt"))));

    // A password that does not fit and nobody to give another: skipped, nothing written.
    Zip.OnPassword = [](TZABaseArchiver*, const std::string&, std::string&, bool& Skip) { Skip = true; };
    EXPECT_FALSE(Zip.TestItemAt(2));
    EXPECT_FALSE(Zip.ReadItemAt(2, data, 1000));
    EXPECT_FALSE(Zip.ExtractItemTo(2, Target("other.txt")));
    EXPECT_FALSE(ziptest::Exists(ziptest::SystemPath(Target("other.txt"))));
}

BB7_READER_TEST_SUITE(ZipItems);

} // namespace
