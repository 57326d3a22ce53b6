// Decryption on the helper thread: the same bytes and keys as on the calling thread, and
// prefetched entries that are used only when they still fit.
#include <string>

#include <gtest/gtest.h>

#include "TestZipWriter.h"
#include "ZipCrypto.h"
#include "ZipDecryptAhead.h"
#include "ZipTestSupport.h"

TEST(ZipDecryptAhead, GivesTheBytesAndKeysOfSerialDecryption)
{
    const std::string cipher = ziptest::RandomBytes(100000, 3);
    std::string serial = cipher;
    zip::TZipKeys serialKeys("password");
    serialKeys.Decrypt(reinterpret_cast<uint8_t*>(&serial[0]), serial.size());

    std::string parallel = cipher;
    TZADecryptAhead ahead;
    zip::TZipKeys keys("password");
    // Three chunks in a row, each started from the keys the last one ended with.
    size_t at = 0;
    for (size_t length : {size_t{1}, size_t{40000}, cipher.size() - 40001}) {
        ahead.Start(keys, reinterpret_cast<uint8_t*>(&parallel[at]), length);
        EXPECT_GE(ahead.WaitFor(length / 2), length / 2);
        keys = ahead.Finish();
        EXPECT_FALSE(ahead.Running());
        at += length;
    }
    EXPECT_EQ(serial, parallel);
    // The keys go on where the serial ones do.
    std::string more = ziptest::RandomBytes(100, 4), moreSerial = more;
    keys.Decrypt(reinterpret_cast<uint8_t*>(&more[0]), more.size());
    serialKeys.Decrypt(reinterpret_cast<uint8_t*>(&moreSerial[0]), moreSerial.size());
    EXPECT_EQ(moreSerial, more);
}

TEST(ZipDecryptAhead, AbandonedChunkLeavesTheHelperReady)
{
    std::string big = ziptest::RandomBytes(4 << 20, 5);
    TZADecryptAhead ahead;
    ahead.Start(zip::TZipKeys("x"), reinterpret_cast<uint8_t*>(&big[0]), big.size());
    ahead.Abandon();
    EXPECT_FALSE(ahead.Running());

    std::string small = ziptest::RandomBytes(5000, 6), expected = small;
    zip::TZipKeys("y").Decrypt(reinterpret_cast<uint8_t*>(&expected[0]), expected.size());
    ahead.Start(zip::TZipKeys("y"), reinterpret_cast<uint8_t*>(&small[0]), small.size());
    ahead.Finish();
    EXPECT_EQ(expected, small);
}

class ZipPrefetch : public ziptest::ReaderTest {};
INSTANTIATE_TEST_SUITE_P(Reads, ZipPrefetch, ::testing::Values(ziptest::ReadMode{0, true}, ziptest::ReadMode{31, true}),
                         ziptest::ReadModeName);

TEST_P(ZipPrefetch, ManyEncryptedEntriesOfEverySize)
{
    TestArchive a;
    const size_t sizes[] = {0, 1, 100, 5000, 20000, 70000, 1500000, 3, 2500000, 16384, 16385};
    for (size_t i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
        TestEntry e;
        e.Name = "f" + std::to_string(i);
        // Random data stays as large when deflated: several chunks for the big ones.
        e.Data = i % 2 ? ziptest::RandomBytes(sizes[i], static_cast<unsigned>(i)) : std::string(sizes[i], 'z');
        e.Method = i % 3 == 0 ? 0 : 8;
        e.Password = "pw";
        e.DataDescriptor = i % 4 == 1;
        a.Entries.push_back(e);
    }
    OpenBytes(BuildArchive(a));
    Zip.Password = "pw";
    std::vector<std::string> failed;
    Zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string& FileName, TZAProcessOperation, int, int,
                                   const std::string&, TZAAction& Action) {
        failed.push_back(FileName);
        Action = faIgnore;
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_TRUE(failed.empty());
    for (const TestEntry& e : a.Entries)
        EXPECT_EQ(e.Data, ziptest::ReadFile(Out(e.Name))) << e.Name;
    Zip.TestByMask("*.*", 0x28BF, "");
    EXPECT_TRUE(failed.empty());
}

TEST_P(ZipPrefetch, PasswordChangedBeforeAnEntryIsCheckedAgain)
{
    TestArchive a;
    for (const char* name : {"first", "second", "third"}) {
        TestEntry e;
        e.Name = name;
        e.Data = ziptest::RandomBytes(60000, 9) + name;
        e.Password = "right";
        a.Entries.push_back(e);
    }
    OpenBytes(BuildArchive(a));
    Zip.Password = "right";
    // The second entry was prefetched with the right password; a handler then changes it.
    Zip.OnConfirmProcessFile = [&](TZABaseArchiver*, const std::string& FileName, TZAProcessOperation, bool&) {
        if (FileName == "second")
            Zip.Password = "wrong";
    };
    std::vector<std::string> asked;
    Zip.OnPassword = [&](TZABaseArchiver*, const std::string& FileName, std::string& NewPassword, bool&) {
        asked.push_back(FileName + ":" + NewPassword);
        NewPassword = "right";
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(std::vector<std::string>{"second:wrong"}, asked);
    for (const TestEntry& e : a.Entries)
        EXPECT_EQ(e.Data, ziptest::ReadFile(Out(e.Name))) << e.Name;
}

TEST_P(ZipPrefetch, CancelAndVetoWhileTheHelperRuns)
{
    TestArchive a;
    for (const char* name : {"big1", "big2", "big3"}) {
        TestEntry e;
        e.Name = name;
        e.Data = ziptest::RandomBytes(2500000, 12);
        e.Password = "pw";
        a.Entries.push_back(e);
    }
    OpenBytes(BuildArchive(a));
    Zip.Password = "pw";
    Zip.OnConfirmProcessFile = [&](TZABaseArchiver*, const std::string& FileName, TZAProcessOperation, bool& Confirm) {
        Confirm = FileName != "big2";
    };
    int processEvents = 0;
    Zip.OnFileProgress = [&](TZABaseArchiver*, const std::string& FileName, double, TZAProcessOperation,
                             TZAProgressPhase Phase, bool& Cancel) {
        if (Phase == ppProcess && FileName == "big3" && ++processEvents == 2)
            Cancel = true;
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(a.Entries[0].Data, ziptest::ReadFile(Out("big1")));
    EXPECT_FALSE(ziptest::Exists(Out("big2")));
    EXPECT_FALSE(ziptest::Exists(Out("big3")));
    // The reader is still sound after the abandoned chunk.
    Zip.OnFileProgress = nullptr;
    Zip.OnConfirmProcessFile = nullptr;
    Zip.ExtractByMask("big3", 0x28BF, "");
    EXPECT_EQ(a.Entries[2].Data, ziptest::ReadFile(Out("big3")));
}
