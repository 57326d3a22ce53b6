#include "ZipCrypto.h"

#include "ZipCrc32.h"

namespace zip {
namespace {

constexpr uint32_t Multiplier = 134775813u;

// The byte the cipher adds to the data: bits 8-15 of t * (t ^ 1) with t = key 2 | 2, which
// depend only on the low 16 bits of t. Bit 0 does not matter either (t * (t + 1) and
// (t + 1) * t are one product), so t = key 2 | 3 serves and spares the masking.
inline uint8_t StreamByte(uint32_t Key2)
{
    const uint32_t t = Key2 | 3;
    return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
}

} // namespace

TZipKeys::TZipKeys(const std::string& Password)
{
    uint32_t k0 = Key0, k1 = Key1, k2 = Key2;
    for (const char ch : Password) {
        k0 = Crc32Step(k0, static_cast<uint8_t>(ch));
        k1 = (k1 + (k0 & 0xFF)) * Multiplier + 1;
        k2 = Crc32Step(k2, static_cast<uint8_t>(k1 >> 24));
    }
    Key0 = k0;
    Key1 = k1;
    Key2 = k2;
}

// Decryption is one long dependency chain per byte (stream byte -> plain byte -> key 0 ->
// key 1 -> key 2 -> next stream byte), so the keys stay in locals and the loop body holds
// nothing else.
void TZipKeys::Decrypt(uint8_t* Data, size_t Length)
{
    const uint32_t* const table = Crc32Tables[0].data();
    uint32_t k0 = Key0, k1 = Key1, k2 = Key2;
    for (uint8_t* const end = Data + Length; Data != end; ++Data) {
        const uint8_t plain = *Data ^ StreamByte(k2);
        *Data = plain;
        k0 = table[(k0 ^ plain) & 0xFF] ^ (k0 >> 8);
        k1 = k1 * Multiplier + (k0 & 0xFF) * Multiplier + 1;
        k2 = table[(k2 ^ (k1 >> 24)) & 0xFF] ^ (k2 >> 8);
    }
    Key0 = k0;
    Key1 = k1;
    Key2 = k2;
}

void TZipKeys::Encrypt(uint8_t* Data, size_t Length)
{
    const uint32_t* const table = Crc32Tables[0].data();
    uint32_t k0 = Key0, k1 = Key1, k2 = Key2;
    for (uint8_t* const end = Data + Length; Data != end; ++Data) {
        const uint8_t plain = *Data;
        *Data = plain ^ StreamByte(k2);
        k0 = table[(k0 ^ plain) & 0xFF] ^ (k0 >> 8);
        k1 = k1 * Multiplier + (k0 & 0xFF) * Multiplier + 1;
        k2 = table[(k2 ^ (k1 >> 24)) & 0xFF] ^ (k2 >> 8);
    }
    Key0 = k0;
    Key1 = k1;
    Key2 = k2;
}

} // namespace zip
