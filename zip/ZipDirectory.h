// The directory of an open archive: its items as read from the central directory (or
// rebuilt from the local headers), the end records and the prefix in front of the archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ZipFormat.h"
#include "ZipTypes.h"

class TZAInput;

struct TZAExtraBlock {
    uint16_t HeaderId = 0;
    std::string Data;
};

struct TZADirItem {
    zip::CentralHeaderBytes Header{}; // the fixed 46 bytes as stored, signature included
    std::string RawName;              // the name's bytes as stored
    std::string Name;                 // after the OEM conversion, when that is on
    std::vector<TZAExtraBlock> Extra;
    std::string Comment;

    // From the Zip64 extra block, or the 32-bit fields when there is none; the offset also
    // carries the prefix shift.
    bool HasZip64 = false;
    uint64_t UncompressedSize64 = 0;
    uint64_t CompressedSize64 = 0;
    uint64_t LocalHeaderOffset64 = 0;
    uint32_t DiskStart64 = 0;

    bool Selected = false;
    TZAProcessOperation Operation = poExtract;

    uint16_t Field16(size_t At) const { return zip::Get16(Header.Bytes + At); }
    uint32_t Field32(size_t At) const { return zip::Get32(Header.Bytes + At); }
    uint16_t Flags() const { return Field16(zip::central::Flags); }
    uint16_t Method() const { return Field16(zip::central::Method); }
    uint16_t DosTime() const { return Field16(zip::central::Time); }
    uint16_t DosDate() const { return Field16(zip::central::Date); }
    uint32_t Crc() const { return Field32(zip::central::Crc); }
    uint32_t ExternalAttributes() const { return Field32(zip::central::ExternalAttributes); }
    bool Encrypted() const { return (Flags() & zip::FlagEncrypted) != 0; }
    // A folder entry: the directory attribute or a name that ends with "/".
    bool IsFolder() const;
};

struct TZADirManager {
    zip::EndRecordBytes EndRecord{};
    bool HasEndRecord = false;
    uint64_t EndRecordPosition = 0;
    std::string Comment;
    bool HasZip64 = false;
    uint8_t Zip64Locator[zip::Zip64LocatorSize] = {};
    uint8_t Zip64EndRecord[zip::Zip64EndRecordSize] = {};
    uint64_t Zip64EndRecordPosition = 0;
    uint64_t CentralDirStart = 0; // where the central directory really starts
    uint64_t PrefixSize = 0;      // bytes in front of the archive
    bool Rebuilt = false;         // the directory came from the local headers
    std::vector<TZADirItem> Items;

    void Clear() { *this = TZADirManager(); }
};

// Reads the whole directory of Input: end record, central directory, prefix; rebuilds it
// from the local headers where the archive is damaged. Raises EZAException 40 (Zip64
// record missing) and 35 (no local header at all) with ComponentName.
void ReadDirectory(TZAInput& Input, bool OemNames, const std::string& ComponentName, TZADirManager& Dir);

// The parts of ReadDirectory, for their tests.
bool LocateEndRecord(TZAInput& Input, const std::string& ComponentName, TZADirManager& Dir);
bool ReadCentralDirectory(TZAInput& Input, bool OemNames, TZADirManager& Dir);
void RebuildDirectory(TZAInput& Input, bool OemNames, const std::string& ComponentName, TZADirManager& Dir);
void DetectPrefix(TZAInput& Input, TZADirManager& Dir);

// Fills an item's Zip64 values from its extra block with id 1: each 64-bit value in turn,
// only for a 32-bit field that holds all ones.
void ApplyZip64Extra(TZADirItem& Item);

// Splits an extra field into blocks; a block whose size runs past the end is cut short.
std::vector<TZAExtraBlock> SplitExtraField(const std::string& Extra);
