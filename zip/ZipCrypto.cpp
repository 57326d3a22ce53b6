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

// The loop of Decrypt with N streams in each step; the compiler keeps the N sets of keys in
// registers or close by, and the N chains overlap.
template <size_t N> void TZipKeys::DecryptLanes(TZipKeys* const* Keys, uint8_t* const* Data, size_t Length)
{
    const uint32_t* const table = Crc32Tables[0].data();
    uint32_t k0[N], k1[N], k2[N];
    for (size_t s = 0; s < N; ++s) {
        k0[s] = Keys[s]->Key0;
        k1[s] = Keys[s]->Key1;
        k2[s] = Keys[s]->Key2;
    }
    for (size_t at = 0; at < Length; ++at) {
        for (size_t s = 0; s < N; ++s) {
            const uint8_t plain = Data[s][at] ^ StreamByte(k2[s]);
            Data[s][at] = plain;
            k0[s] = table[(k0[s] ^ plain) & 0xFF] ^ (k0[s] >> 8);
            k1[s] = k1[s] * Multiplier + (k0[s] & 0xFF) * Multiplier + 1;
            k2[s] = table[(k2[s] ^ (k1[s] >> 24)) & 0xFF] ^ (k2[s] >> 8);
        }
    }
    for (size_t s = 0; s < N; ++s) {
        Keys[s]->Key0 = k0[s];
        Keys[s]->Key1 = k1[s];
        Keys[s]->Key2 = k2[s];
    }
}

void TZipKeys::DecryptSideBySide(TZipKeys* const* Keys, uint8_t* const* Data, size_t Length, size_t Count)
{
    static_assert(SideBySide == 4, "the passes below");
    for (; Count >= 4; Count -= 4, Keys += 4, Data += 4)
        DecryptLanes<4>(Keys, Data, Length);
    switch (Count) {
    case 3:
        DecryptLanes<3>(Keys, Data, Length);
        break;
    case 2:
        DecryptLanes<2>(Keys, Data, Length);
        break;
    case 1:
        Keys[0]->Decrypt(Data[0], Length);
        break;
    default:
        break;
    }
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
