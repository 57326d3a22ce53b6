#include "ZipCrc32.h"

#include <cstring>

namespace zip {
namespace {

inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

} // namespace

uint32_t Crc32(uint32_t Crc, const void* Data, size_t Length)
{
    const auto& t = Crc32Tables;
    const uint8_t* p = static_cast<const uint8_t*>(Data);
    uint32_t c = ~Crc;
    while (Length > 0 && (reinterpret_cast<uintptr_t>(p) & 7) != 0) {
        c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
        --Length;
    }
    while (Length >= 16) {
        const uint32_t a = Load32(p) ^ c;
        const uint32_t b = Load32(p + 4);
        const uint32_t d = Load32(p + 8);
        const uint32_t e = Load32(p + 12);
        c = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^ t[11][b & 0xFF] ^
            t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^ t[7][d & 0xFF] ^ t[6][(d >> 8) & 0xFF] ^
            t[5][(d >> 16) & 0xFF] ^ t[4][d >> 24] ^ t[3][e & 0xFF] ^ t[2][(e >> 8) & 0xFF] ^ t[1][(e >> 16) & 0xFF] ^
            t[0][e >> 24];
        p += 16;
        Length -= 16;
    }
    while (Length-- > 0)
        c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

} // namespace zip
