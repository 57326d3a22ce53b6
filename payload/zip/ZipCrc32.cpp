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
    while (Length >= 8) {
        const uint32_t lo = Load32(p) ^ c;
        const uint32_t hi = Load32(p + 4);
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][hi & 0xFF] ^
            t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
        p += 8;
        Length -= 8;
    }
    while (Length-- > 0)
        c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

} // namespace zip
