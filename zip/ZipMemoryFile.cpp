#include "ZipMemoryFile.h"

#include <cstring>

namespace zipfs {

namespace {
// Something to point at for an empty archive, so that an open one is never null.
const uint8_t NoBytes[1] = {0};
} // namespace

void TZAMemoryFile::Open(const void* Data, size_t Size)
{
    Bytes = Data && Size > 0 ? static_cast<const uint8_t*>(Data) : NoBytes;
    Length = Data ? Size : 0;
}

void TZAMemoryFile::Close()
{
    Bytes = nullptr;
    Length = 0;
}

int64_t TZAMemoryFile::ReadAt(uint64_t Offset, void* Data, size_t Count) const
{
    if (!Bytes || Offset >= Length)
        return 0;
    const uint64_t left = Length - Offset;
    const size_t copied = Count < left ? Count : static_cast<size_t>(left);
    std::memcpy(Data, Bytes + Offset, copied);
    return static_cast<int64_t>(copied);
}

} // namespace zipfs
