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

private:
    uint32_t Key0 = 0x12345678u;
    uint32_t Key1 = 0x23456789u;
    uint32_t Key2 = 0x34567890u;
};

} // namespace zip
