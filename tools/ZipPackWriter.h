// Writes a zip archive of encrypted, deflated file entries, as the installer's payload
// needs them: general purpose flags 1, method 8, external attributes 0x20, no data
// descriptors, no folder entries. The same files give the same bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TZipPackWriter {
public:
    // Creates OutPath; throws std::runtime_error when it cannot.
    TZipPackWriter(const std::string& OutPath, const std::string& Password);
    ~TZipPackWriter();
    TZipPackWriter(const TZipPackWriter&) = delete;
    TZipPackWriter& operator=(const TZipPackWriter&) = delete;

    // Adds the file SourcePath as EntryName (forward slashes), with DosTime/DosDate as its
    // time stamp. Throws std::runtime_error on a read or write failure.
    void AddFile(const std::string& EntryName, const std::string& SourcePath, uint16_t DosTime, uint16_t DosDate);

    // Writes the central directory and the end record and closes the file.
    void Finish();

private:
    struct Entry {
        std::string Name;
        uint16_t Time, Date;
        uint32_t Crc, CompressedSize, UncompressedSize, Offset;
    };

    void Write(const void* Data, size_t Length);
    void WriteAt(uint64_t Offset, const void* Data, size_t Length);

    std::string Path;
    std::string Password;
    std::FILE* File = nullptr;
    uint64_t Position = 0;
    std::vector<Entry> Entries;
};

// DOS date and time of a local time stamp, clamped to the range DOS can hold (1980-2107).
void UnixTimeToDos(int64_t UnixTime, uint16_t& DosTime, uint16_t& DosDate);
