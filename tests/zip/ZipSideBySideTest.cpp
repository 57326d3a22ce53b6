// Several items read at once, their data decrypted side by side: the same bytes, keys and
// verdicts as one item after the other.
#include <string>

#include <gtest/gtest.h>

#include "TestZipWriter.h"
#include "ZipTestSupport.h"

class ZipSideBySide : public ziptest::ReaderTest {};
BB7_READER_TEST_SUITE(ZipSideBySide);

TEST_P(ZipSideBySide, ReadsEveryItemAsReadItemAtDoesAndTellsWhichDidNot)
{
    // More encrypted items than lanes, of many lengths, so that lanes end apart and take more,
    // and the last ones run three, two and one side by side;
    // one of more than a chunk, one stored, one with the time as its check byte; one not
    // encrypted, one of another password, one whose data fail their CRC, one over MaxSize.
    TestArchive a;
    const size_t sizes[] = {70000, 0, 1, 100, 5000, 200000, 16385, 1300000, 300, 40000, 20, 60000, 2000};
    for (size_t i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
        TestEntry e;
        e.Name = "f" + std::to_string(i);
        e.Data = i % 2 ? ziptest::RandomBytes(sizes[i], static_cast<unsigned>(i)) : std::string(sizes[i], 'z');
        e.Method = i == 3 ? 0 : 8;
        e.DataDescriptor = i == 4;
        e.Password = i == 9 ? "" : i == 10 ? "another" : "pw";
        if (i == 11)
            e.CentralCrc = 0xDEADBEEF;
        a.Entries.push_back(e);
    }
    OpenBytes(BuildArchive(a));
    Zip.Password = "pw";
    Zip.OnPassword = [](TZABaseArchiver*, const std::string&, std::string&, bool& Skip) { Skip = true; };
    std::vector<int> indexes;
    for (size_t i = 0; i < a.Entries.size(); ++i)
        indexes.push_back(static_cast<int>(i));
    std::vector<std::string> data;
    const auto read = Zip.ReadItemsAt(indexes, data, 1500000 - 1);

    using Read = TZABaseArchiver::TZAItemRead;
    ASSERT_EQ(a.Entries.size(), read.size());
    ASSERT_EQ(a.Entries.size(), data.size());
    for (size_t i = 0; i < a.Entries.size(); ++i) {
        const Read expected = i == 10 ? Read::Skipped : i == 11 ? Read::Damaged : Read::Read;
        EXPECT_EQ(expected, read[i]) << a.Entries[i].Name;
        EXPECT_EQ(expected == Read::Read ? a.Entries[i].Data : std::string(), data[i]) << a.Entries[i].Name;
        // The same verdict and bytes one item at a time.
        std::string one;
        if (expected == Read::Damaged)
            EXPECT_THROW(Zip.ReadItemAt(static_cast<int>(i), one, 1500000), EZAException);
        else
            EXPECT_EQ(expected == Read::Read, Zip.ReadItemAt(static_cast<int>(i), one, 1500000));
        EXPECT_EQ(data[i], one) << a.Entries[i].Name;
    }
    // An item of more than MaxSize bytes is not read at all.
    const auto small = Zip.ReadItemsAt({0, 7}, data, 100000);
    EXPECT_EQ((std::vector<Read>{Read::Read, Read::Damaged}), small);
    EXPECT_EQ("", data[1]);
}
