// The traditional PKWARE encryption: three 32-bit keys, initialised from the password and
// updated with every plain byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zip {

constexpr size_t EncryptionHeaderSize = 12;

class TZipKeys {
public:
    explicit TZipKeys(const std::string& Password);

    // Both work in place and advance the keys over the data.
    void Decrypt(uint8_t* Data, size_t Length);
    void Encrypt(uint8_t* Data, size_t Length);

    // Decrypts Length bytes of each of Count independent streams, each with its own keys,
    // SideBySide of them in each pass. Decryption is one long chain of dependent steps per byte;
    // while one stream's step waits for its table lookup, the processor works on the others'.
    // Four streams take about 40% of the time of one after the other.
    static constexpr size_t SideBySide = 4;
    static void DecryptSideBySide(TZipKeys* const* Keys, uint8_t* const* Data, size_t Length, size_t Count);

private:
    template <size_t N> static void DecryptLanes(TZipKeys* const* Keys, uint8_t* const* Data, size_t Length);

    uint32_t Key0 = 0x12345678u;
    uint32_t Key1 = 0x23456789u;
    uint32_t Key2 = 0x34567890u;
};

} // namespace zip
