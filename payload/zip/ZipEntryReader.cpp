#include "ZipEntryReader.h"

#include <zlib.h>

#include "ZipCrc32.h"
#include "ZipCrypto.h"
#include "ZipDirectory.h"
#include "ZipErrors.h"
#include "ZipFileSystem.h"
#include "ZipInput.h"

// One zlib inflate stream for the reader's lifetime, reset for each entry, so that its
// 32 KiB window is not allocated again and again. Raw deflate data need no zlib header,
// and no check value is ever expected after them.
struct TZAEntryReader::Inflater {
    z_stream Stream{};
    bool Ready = false;

    bool Start()
    {
        if (Ready)
            return inflateReset(&Stream) == Z_OK;
        Stream = z_stream{};
        Ready = inflateInit2(&Stream, -MAX_WBITS) == Z_OK;
        return Ready;
    }
    ~Inflater()
    {
        if (Ready)
            inflateEnd(&Stream);
    }
};

TZAEntryReader::TZAEntryReader() : Zlib(new Inflater) {}

TZAEntryReader::~TZAEntryReader() = default;

size_t TZAEntryReader::ChunkSize(uint64_t Remaining, uint64_t CompressedSize, uint64_t UncompressedSize,
                                 uint64_t AvailableMemory)
{
    size_t chunk = Remaining < MaxChunk ? static_cast<size_t>(Remaining) : MaxChunk;
    // The output of a chunk never takes more than the fixed output buffer, whatever the
    // ratio of the entry, so that is the estimate.
    auto estimate = [&](size_t Chunk) -> uint64_t {
        uint64_t out = Chunk;
        if (CompressedSize > 0 && UncompressedSize > CompressedSize)
            out = Chunk * (UncompressedSize / CompressedSize + 1);
        return out < OutputBufferSize ? out : OutputBufferSize;
    };
    while (chunk >= 512 && estimate(chunk) >= AvailableMemory / 20)
        chunk /= 2;
    return chunk > 0 ? chunk : 1;
}

// Passes output on, never more than the directory's uncompressed size: data that go on
// past it (a forged size, a decompression bomb) fail the entry instead of filling the disk.
bool TZAEntryReader::Emit(const uint8_t* Data, size_t Length, IZAOutput& Output, uint64_t Expected)
{
    if (Length > Expected - BytesWritten) {
        Length = static_cast<size_t>(Expected - BytesWritten);
        Overflow = true;
    }
    Crc = zip::Crc32(Crc, Data, Length);
    BytesWritten += Length;
    return Output.Write(Data, Length) && !Overflow;
}

TZAEntryResult TZAEntryReader::Read(TZAInput& Input, const TZADirItem& Item, uint64_t DataLimit,
                                    std::string& Password, IZAOutput& Output, const TZAEntryEvents& Events)
{
    BytesWritten = 0;
    Crc = 0;
    Overflow = false;

    // The local header's own name and extra lengths lead to the data; its signature is not
    // compared, its flags, time and CRC serve the password check.
    uint8_t local[zip::LocalHeaderSize];
    const uint64_t headerAt = Item.LocalHeaderOffset64;
    if (!Input.Read(headerAt, local, sizeof local))
        return TZAEntryResult::Failed;
    uint64_t dataAt = headerAt + zip::LocalHeaderSize + zip::Get16(local + zip::local::NameLength) +
                      zip::Get16(local + zip::local::ExtraLength);
    if (dataAt > Input.Size())
        return TZAEntryResult::Failed;

    uint64_t compressed = Item.CompressedSize64;
    if (dataAt >= DataLimit)
        compressed = 0;
    else if (compressed > DataLimit - dataAt)
        compressed = DataLimit - dataAt;

    const uint16_t method = Item.Method();
    if (method == zip::MethodDeflate64)
        throw MakeZipError("", zecDeflate64);
    if (method != zip::MethodStored && method != zip::MethodDeflated)
        return TZAEntryResult::Failed;

    zip::TZipKeys keys("");
    if (Item.Encrypted()) {
        uint8_t stored[zip::EncryptionHeaderSize];
        if (compressed < sizeof stored || !Input.Read(dataAt, stored, sizeof stored))
            return TZAEntryResult::Failed;
        // With a data descriptor the CRC was not known when the header was written, so the
        // writer checks against the time instead.
        const uint8_t check = (zip::Get16(local + zip::local::Flags) & zip::FlagDataDescriptor)
                                  ? static_cast<uint8_t>(zip::Get16(local + zip::local::Time) >> 8)
                                  : static_cast<uint8_t>(zip::Get32(local + zip::local::Crc) >> 24);
        for (;;) {
            keys = zip::TZipKeys(Password);
            uint8_t header[zip::EncryptionHeaderSize];
            std::copy(stored, stored + sizeof stored, header);
            keys.Decrypt(header, sizeof header);
            if (header[zip::EncryptionHeaderSize - 1] == check)
                break;
            if (!Events.AskPassword || !Events.AskPassword(Password))
                return TZAEntryResult::Skipped;
        }
        dataAt += zip::EncryptionHeaderSize;
        compressed -= zip::EncryptionHeaderSize;
    }

    const bool deflated = method == zip::MethodDeflated;
    if (deflated && !Zlib->Start())
        return TZAEntryResult::Failed;
    z_stream& zs = Zlib->Stream;
    if (OutputBuffer.size() != OutputBufferSize)
        OutputBuffer.resize(OutputBufferSize);

    const uint64_t expected = Item.UncompressedSize64;
    const uint64_t memory = zipfs::AvailablePhysicalMemory();
    uint64_t consumed = 0;
    bool streamEnd = false;
    while (consumed < compressed && !streamEnd) {
        if (Events.Progress && !Events.Progress(static_cast<double>(consumed) / static_cast<double>(compressed)))
            return TZAEntryResult::Cancelled;
        const size_t chunk = ChunkSize(compressed - consumed, compressed, expected, memory);
        if (InputBuffer.size() < chunk)
            InputBuffer.resize(chunk);
        uint8_t* in = InputBuffer.data();
        if (!Input.Read(dataAt + consumed, in, chunk))
            return TZAEntryResult::Failed;
        consumed += chunk;
        if (Item.Encrypted())
            keys.Decrypt(in, chunk);

        if (!deflated) {
            if (!Emit(in, chunk, Output, expected))
                return TZAEntryResult::Failed;
            continue;
        }
        zs.next_in = in;
        zs.avail_in = static_cast<uInt>(chunk);
        do {
            zs.next_out = OutputBuffer.data();
            zs.avail_out = static_cast<uInt>(OutputBuffer.size());
            const int result = inflate(&zs, Z_NO_FLUSH);
            if (result == Z_STREAM_END)
                streamEnd = true;
            else if (result == Z_BUF_ERROR)
                break; // no progress possible until the next chunk
            else if (result != Z_OK)
                return TZAEntryResult::Failed;
            const size_t produced = OutputBuffer.size() - zs.avail_out;
            if (produced > 0 && !Emit(OutputBuffer.data(), produced, Output, expected))
                return TZAEntryResult::Failed;
        } while (!streamEnd && (zs.avail_in > 0 || zs.avail_out == 0));
    }
    return BytesWritten == expected && Crc == Item.Crc() ? TZAEntryResult::Ok : TZAEntryResult::Failed;
}
