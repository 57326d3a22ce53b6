// An archive held in memory, read the way the file layer reads an archive file: the
// installer's payload lies in its own module's resources and needs no file to be read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zipfs {

class TZAMemoryFile {
public:
    // The bytes stay the caller's: they must stay in place until Close.
    void Open(const void* Data, size_t Size);
    void Close();
    bool IsOpen() const { return Bytes != nullptr; }
    uint64_t Size() const { return Length; }

    // Copies up to Count bytes at Offset: the count copied, 0 at or past the end.
    int64_t ReadAt(uint64_t Offset, void* Data, size_t Count) const;

private:
    const uint8_t* Bytes = nullptr;
    uint64_t Length = 0;
};

} // namespace zipfs
