// Records of the zip format as they lie in the file (little-endian, no padding) and the
// helpers that read and write their fields.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zip {

constexpr uint32_t LocalHeaderSignature = 0x04034B50u;
constexpr uint32_t CentralHeaderSignature = 0x02014B50u;
constexpr uint32_t EndRecordSignature = 0x06054B50u;
constexpr uint32_t Zip64EndRecordSignature = 0x06064B50u;
constexpr uint32_t Zip64LocatorSignature = 0x07064B50u;
constexpr uint32_t DataDescriptorSignature = 0x08074B50u;

constexpr size_t LocalHeaderSize = 30;
constexpr size_t CentralHeaderSize = 46;
constexpr size_t EndRecordSize = 22;
constexpr size_t Zip64LocatorSize = 20;
constexpr size_t Zip64EndRecordSize = 56;

constexpr uint16_t Zip64ExtraId = 0x0001;
constexpr uint16_t FlagEncrypted = 0x0001;
constexpr uint16_t FlagDataDescriptor = 0x0008;

constexpr uint16_t MethodStored = 0;
constexpr uint16_t MethodDeflated = 8;
constexpr uint16_t MethodDeflate64 = 9;

// The fixed part of each record, byte for byte.
struct LocalHeaderBytes {
    uint8_t Bytes[LocalHeaderSize];
};
struct CentralHeaderBytes {
    uint8_t Bytes[CentralHeaderSize];
};
struct EndRecordBytes {
    uint8_t Bytes[EndRecordSize];
};
static_assert(sizeof(LocalHeaderBytes) == 30, "local file header is 30 bytes");
static_assert(sizeof(CentralHeaderBytes) == 46, "central file header is 46 bytes");
static_assert(sizeof(EndRecordBytes) == 22, "end of central directory record is 22 bytes");

inline uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Get64(const uint8_t* p)
{
    return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}
inline void Put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Put64(uint8_t* p, uint64_t v)
{
    Put32(p, static_cast<uint32_t>(v));
    Put32(p + 4, static_cast<uint32_t>(v >> 32));
}

// Field offsets inside the local file header.
namespace local {
constexpr size_t Signature = 0, VersionNeeded = 4, Flags = 6, Method = 8, Time = 10, Date = 12, Crc = 14,
                 CompressedSize = 18, UncompressedSize = 22, NameLength = 26, ExtraLength = 28;
}

// Field offsets inside the central file header.
namespace central {
constexpr size_t Signature = 0, VersionMadeBy = 4, VersionNeeded = 6, Flags = 8, Method = 10, Time = 12, Date = 14,
                 Crc = 16, CompressedSize = 20, UncompressedSize = 24, NameLength = 28, ExtraLength = 30,
                 CommentLength = 32, DiskStart = 34, InternalAttributes = 36, ExternalAttributes = 38,
                 LocalHeaderOffset = 42;
}

// Field offsets inside the end of central directory record.
namespace endrec {
constexpr size_t Signature = 0, DiskNumber = 4, DirectoryDisk = 6, DiskEntries = 8, TotalEntries = 10,
                 DirectorySize = 12, DirectoryOffset = 16, CommentLength = 20;
}

// Field offsets inside the Zip64 locator and the Zip64 end of central directory record.
namespace zip64 {
constexpr size_t LocatorSignature = 0, LocatorDisk = 4, LocatorRecordOffset = 8, LocatorTotalDisks = 16;
constexpr size_t RecordSignature = 0, RecordSize = 4, RecordVersionMadeBy = 12, RecordVersionNeeded = 14,
                 RecordDiskNumber = 16, RecordDirectoryDisk = 20, RecordDiskEntries = 24, RecordTotalEntries = 32,
                 RecordDirectorySize = 40, RecordDirectoryOffset = 48;
} // namespace zip64

} // namespace zip
