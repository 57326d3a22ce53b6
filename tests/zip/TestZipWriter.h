// A test-only zip writer that can get every field wrong on purpose: crafted archives for
// the reader's tests are built in memory from these descriptions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TestEntry {
    std::string Name;
    std::string Data; // the plain content
    uint16_t Method = 8;
    std::string Password; // encrypted with the traditional encryption when not empty
    bool Encrypt = false; // encrypt even with an empty password
    bool DataDescriptor = false;
    bool DescriptorSignature = true;
    uint16_t Time = 0x5A3C; // 11:17:56
    uint16_t Date = 0x5B47; // 2025-10-07
    uint32_t ExternalAttributes = 0x20;
    std::string LocalName; // when set, the local header carries this name instead
    std::string LocalExtra, CentralExtra, Comment;
    bool Zip64 = false; // sizes and offset as all ones with a Zip64 extra block in the central header

    // Deliberate damage to the stored values.
    std::optional<uint32_t> CentralCrc, LocalCrc;
    std::optional<uint64_t> CentralUncompressedSize;
    std::optional<std::string> RawData; // the stored data bytes instead of the compressed ones
    std::string TrailingData;           // bytes after the data, counted in the compressed size
};

struct TestArchive {
    std::vector<TestEntry> Entries;
    std::string Comment;
    std::string Prefix;         // bytes in front of the archive
    bool AdjustOffsets = false; // offsets count the prefix
    bool Zip64EndRecords = false;
    bool OmitEndRecord = false;
    std::optional<uint16_t> TotalEntriesField;
    std::optional<uint32_t> DirectorySizeField;
};

// An archive of these entries and nothing special.
TestArchive ArchiveOf(std::vector<TestEntry> Entries);

std::string DeflateRaw(const std::string& Data, int Level = 6);
std::string BuildArchive(const TestArchive& Archive);

// Offset of the first occurrence of the four-byte signature at or after From, or npos.
size_t FindSignature(const std::string& Bytes, uint32_t Signature, size_t From = 0);
void Poke16(std::string& Bytes, size_t At, uint16_t Value);
void Poke32(std::string& Bytes, size_t At, uint32_t Value);
