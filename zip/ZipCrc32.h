// CRC-32 of the zip format: reflected polynomial 0xEDB88320, initial value all ones,
// final complement. Table-driven, with sixteen table slices so that a step takes sixteen bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zip {

using Crc32SliceTables = std::array<std::array<uint32_t, 256>, 16>;

constexpr Crc32SliceTables MakeCrc32Tables()
{
    Crc32SliceTables t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    // Slice k advances a byte that stands k bytes before the end of a sixteen-byte group.
    for (size_t k = 1; k < t.size(); ++k)
        for (uint32_t n = 0; n < 256; ++n)
            t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
    return t;
}

inline constexpr Crc32SliceTables Crc32Tables = MakeCrc32Tables();

// One byte-wise step on a raw (not complemented) register; the traditional encryption's
// key update is made of these.
inline uint32_t Crc32Step(uint32_t Register, uint8_t Byte)
{
    return Crc32Tables[0][(Register ^ Byte) & 0xFF] ^ (Register >> 8);
}

// Continues a CRC-32: Crc is 0 for a fresh start or the result of an earlier call.
uint32_t Crc32(uint32_t Crc, const void* Data, size_t Length);

} // namespace zip
