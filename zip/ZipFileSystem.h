// The reader's thin file layer. Paths use backslashes as on Windows; the POSIX
// implementation turns them into slashes. Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipfs {

// DOS attribute bits as the reader uses them.
constexpr uint32_t AttrReadOnly = 0x01;
constexpr uint32_t AttrHidden = 0x02;
constexpr uint32_t AttrSystem = 0x04;
constexpr uint32_t AttrVolume = 0x08;
constexpr uint32_t AttrDirectory = 0x10;
constexpr uint32_t AttrArchive = 0x20;

// The archive file, opened for reading.
class TZAReadFile {
public:
    TZAReadFile() = default;
    ~TZAReadFile() { Close(); }
    TZAReadFile(const TZAReadFile&) = delete;
    TZAReadFile& operator=(const TZAReadFile&) = delete;

    // Mode is a 16-bit file open mode: access in the low two bits, sharing in bits 4-6
    // (0x40: read, others may read and write).
    bool Open(const std::string& Path, int Mode);
    void Close();
    bool IsOpen() const { return Handle != Invalid; }
    uint64_t Size() const { return FileSize; }

    // Reads up to Length bytes at Offset: the count read (0 at the end) or -1 on a failure.
    int64_t ReadAt(uint64_t Offset, void* Data, size_t Length);

private:
    static constexpr intptr_t Invalid = -1;
    intptr_t Handle = Invalid;
    uint64_t FileSize = 0;
};

// A file being extracted, created anew.
class TZAWriteFile {
public:
    TZAWriteFile() = default;
    ~TZAWriteFile() { Close(); }
    TZAWriteFile(const TZAWriteFile&) = delete;
    TZAWriteFile& operator=(const TZAWriteFile&) = delete;

    bool Create(const std::string& Path);
    // Creates a file that does not exist yet, never through a link that stands at Path.
    // While it is open nobody else may write, rename or delete it; others may read it.
    bool CreateNew(const std::string& Path);
    bool Write(const void* Data, size_t Length); // false on a short write
    void SetDosTime(uint16_t DosDate, uint16_t DosTime);
    void FlushToMedium();
    void Close();
    bool IsOpen() const { return Handle != Invalid; }

private:
    static constexpr intptr_t Invalid = -1;
    intptr_t Handle = Invalid;
};

// A folder held open so that it cannot be renamed, deleted or replaced meanwhile. Open
// refuses a link (symbolic link, junction or other reparse point) instead of following it.
class TZAFolderHold {
public:
    TZAFolderHold() = default;
    ~TZAFolderHold() { Close(); }
    TZAFolderHold(const TZAFolderHold&) = delete;
    TZAFolderHold& operator=(const TZAFolderHold&) = delete;

    bool Open(const std::string& Path); // false for a link, a file or a missing folder
    void Close();

private:
    static constexpr intptr_t Invalid = -1;
    intptr_t Handle = Invalid;
};

bool IsLink(const std::string& Path);          // a symbolic link, junction or other reparse point
bool FileExists(const std::string& Path);      // an entry that is not a folder
bool DirectoryExists(const std::string& Path); // a folder
bool CreateDir(const std::string& Path);       // one level; false when it fails
bool GetAttributes(const std::string& Path, uint32_t& Attributes);
bool SetAttributes(const std::string& Path, uint32_t Attributes);
bool RemoveFile(const std::string& Path);
bool RemoveEmptyDir(const std::string& Path); // false when it is not empty or cannot go

// Time stamps in a unit of the platform's own, comparable with each other only.
bool FileModifiedTime(const std::string& Path, int64_t& Stamp);
bool DosDateTimeToStamp(uint16_t DosDate, uint16_t DosTime, int64_t& Stamp); // the DOS time is local time

bool IsRemovableDrive(const std::string& Path);
std::string OemNameToAnsi(const std::string& Name);
uint64_t AvailablePhysicalMemory();
std::string CurrentDirectory();

} // namespace zipfs
