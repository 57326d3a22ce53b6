// Bytes of the open archive, a file or a block of memory. Every read is checked against the
// archive's size first, so a length or offset from the archive can never make the reader
// read past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "ZipFileSystem.h"
#include "ZipMemoryFile.h"

// The system failed a read of the archive file. Not an EZAException: it ends an extraction
// run instead of failing one entry.
class EZAReadError : public std::runtime_error {
public:
    explicit EZAReadError(const std::string& FileName)
        : std::runtime_error("Read error in archive file \"" + FileName + "\"")
    {
    }
};

class TZAInput {
public:
    bool Open(const std::string& Path, int Mode);
    // An archive held in memory (see TZAMemoryFile); Name stands for it in messages.
    void OpenMemory(const void* Data, size_t Size, const std::string& Name);
    void Close();
    bool IsOpen() const { return File.IsOpen() || Memory.IsOpen(); }
    uint64_t Size() const { return Memory.IsOpen() ? Memory.Size() : File.Size(); }
    const std::string& Path() const { return FileName; }

    // Largest single read asked of the system; 0 for no limit. Tests set a tiny one so that
    // every buffer boundary of the reader gets crossed.
    void SetReadLimit(size_t Limit);

    // True when Length bytes at Offset lie inside the file.
    bool Contains(uint64_t Offset, uint64_t Length) const { return Offset <= Size() && Length <= Size() - Offset; }

    // Reads exactly Length bytes at Offset; false, with nothing read, when they do not all lie
    // in the file. Small reads are served from a window of the file. Throws EZAReadError.
    bool Read(uint64_t Offset, void* Data, size_t Length);

    // Size of the blocks in which callers scan the file.
    size_t ScanBlockSize() const { return ReadLimit ? ReadLimit : DefaultWindow; }

private:
    static constexpr size_t DefaultWindow = 64 * 1024;

    void ReadDirect(uint64_t Offset, uint8_t* Data, size_t Length);

    zipfs::TZAReadFile File;
    zipfs::TZAMemoryFile Memory;
    std::string FileName;
    size_t ReadLimit = 0;
    std::vector<uint8_t> Window;
    uint64_t WindowStart = 0;
    size_t WindowLength = 0;
};
