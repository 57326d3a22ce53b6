// SHA-256 (FIPS 180-4), for checking that a file is still the one that was written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    void Update(const void* Data, size_t Length);
    Sha256Digest Finish(); // the object starts afresh afterwards

private:
    void Blocks(const uint8_t* Data, size_t Count);
    void Block(const uint8_t* Data); // in C++

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> buffer_;
    size_t buffered_ = 0;
    uint64_t length_ = 0; // bytes hashed so far
};

Sha256Digest Sha256Of(const void* Data, size_t Length);
std::string DigestToHex(const Sha256Digest& Digest);

// Whether the processor's SHA instructions are used where it has them, as they are unless told
// otherwise: the tests digest both ways.
void UseShaInstructions(bool Use);
