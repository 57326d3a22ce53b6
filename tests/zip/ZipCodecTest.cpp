#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>
#include <zlib.h>

#include "ZipCrc32.h"
#include "ZipCrypto.h"
#include "ZipEntryReader.h"

TEST(ZipCrc32, KnownValues)
{
    EXPECT_EQ(0xCBF43926u, zip::Crc32(0, "123456789", 9));
    EXPECT_EQ(0u, zip::Crc32(0, "", 0));
    EXPECT_EQ(0xE8B7BE43u, zip::Crc32(0, "a", 1));
}

TEST(ZipCrc32, AgreesWithZlibForEveryLengthAndAlignment)
{
    std::mt19937 random(7);
    std::string data(4096 + 16, '\0');
    for (char& c : data)
        c = static_cast<char>(random());
    for (size_t offset = 0; offset < 9; ++offset) {
        for (size_t length : {0, 1, 7, 8, 9, 15, 16, 17, 63, 64, 65, 1000, 4096}) {
            const auto* p = reinterpret_cast<const unsigned char*>(data.data() + offset);
            EXPECT_EQ(crc32(0, p, static_cast<uInt>(length)), zip::Crc32(0, p, length)) << offset << "/" << length;
        }
    }
    // Continuing a CRC over pieces gives the CRC of the whole.
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    EXPECT_EQ(crc32(0, p, 4096), zip::Crc32(zip::Crc32(zip::Crc32(0, p, 5), p + 5, 2000), p + 2005, 2091));
}

TEST(ZipCrypto, DecryptUndoesEncryptInAnyPieces)
{
    std::string plain(10000, '\0');
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<char>(i * 7 + i / 13);
    std::string cipher = plain;
    zip::TZipKeys encrypt("{5C1E7A24-9B3D-4F60-A8E2-17D4C9B0F3A6}");
    encrypt.Encrypt(reinterpret_cast<uint8_t*>(&cipher[0]), cipher.size());
    EXPECT_NE(plain, cipher);

    zip::TZipKeys decrypt("{5C1E7A24-9B3D-4F60-A8E2-17D4C9B0F3A6}");
    auto* p = reinterpret_cast<uint8_t*>(&cipher[0]);
    decrypt.Decrypt(p, 1);
    decrypt.Decrypt(p + 1, 4000);
    decrypt.Decrypt(p + 4001, cipher.size() - 4001);
    EXPECT_EQ(plain, cipher);
}

// The key schedule as the application note writes it, with a bit-wise CRC step.
namespace {

uint32_t ReferenceCrcStep(uint32_t Crc, uint8_t Byte)
{
    Crc ^= Byte;
    for (int k = 0; k < 8; ++k)
        Crc = (Crc & 1) ? (Crc >> 1) ^ 0xEDB88320u : Crc >> 1;
    return Crc;
}

struct ReferenceKeys {
    uint32_t K[3] = {0x12345678u, 0x23456789u, 0x34567890u};
    void Update(uint8_t Plain)
    {
        K[0] = ReferenceCrcStep(K[0], Plain);
        K[1] = (K[1] + (K[0] & 0xFF)) * 134775813u + 1;
        K[2] = ReferenceCrcStep(K[2], static_cast<uint8_t>(K[1] >> 24));
    }
    uint8_t DecryptByte() const
    {
        const uint32_t temp = static_cast<uint16_t>(K[2] | 2);
        return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
    }
};

} // namespace

TEST(ZipCrypto, AgreesWithTheTextbookKeySchedule)
{
    ReferenceKeys reference;
    for (const char c : std::string("pass word"))
        reference.Update(static_cast<uint8_t>(c));
    std::string cipher(5000, '\0');
    std::mt19937 random(11);
    for (char& c : cipher)
        c = static_cast<char>(random());
    std::string expected = cipher;
    for (char& c : expected) {
        c = static_cast<char>(static_cast<uint8_t>(c) ^ reference.DecryptByte());
        reference.Update(static_cast<uint8_t>(c));
    }
    zip::TZipKeys keys("pass word");
    keys.Decrypt(reinterpret_cast<uint8_t*>(&cipher[0]), cipher.size());
    EXPECT_EQ(expected, cipher);
}

TEST(ZipCrypto, AnotherPasswordGivesOtherBytes)
{
    std::string a(64, 'x'), b(64, 'x');
    zip::TZipKeys("one").Encrypt(reinterpret_cast<uint8_t*>(&a[0]), a.size());
    zip::TZipKeys("two").Encrypt(reinterpret_cast<uint8_t*>(&b[0]), b.size());
    EXPECT_NE(a, b);
}

TEST(ZipChunkRule, AtMostOneMebibyteAndTheRest)
{
    const uint64_t plenty = uint64_t{8} << 30;
    EXPECT_EQ(1048576u, TZAEntryReader::ChunkSize(5000000, 5000000, 9000000, plenty));
    EXPECT_EQ(1234u, TZAEntryReader::ChunkSize(1234, 5000000, 9000000, plenty));
}

TEST(ZipChunkRule, HalvesWhileOutputWouldTakeATwentiethOfFreeMemory)
{
    // With 4 MiB free, a twentieth is about 205 KiB: below the 256 KiB output buffer.
    const size_t chunk = TZAEntryReader::ChunkSize(5000000, 1000, 100000, 4u << 20);
    EXPECT_LT(chunk, 1048576u);
    EXPECT_GE(chunk, 256u);
    // With almost nothing free, halving stops below 512 bytes.
    const size_t tiny = TZAEntryReader::ChunkSize(5000000, 1000, 1000, 100);
    EXPECT_LT(tiny, 512u);
    EXPECT_GE(tiny, 256u);
}
