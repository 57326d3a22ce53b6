#include "ZipEntryReader.h"

#include <zlib.h>

#include "ZipCrc32.h"
#include "ZipCrypto.h"
#include "ZipDecryptAhead.h"
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
    const uint64_t ratio =
        CompressedSize > 0 && UncompressedSize > CompressedSize ? UncompressedSize / CompressedSize + 1 : 1;
    auto estimate = [&](size_t Chunk) -> uint64_t {
        return ratio >= OutputBufferSize / Chunk ? OutputBufferSize : Chunk * ratio;
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

// The local header's own name and extra lengths lead to the data; its signature is not
// compared, its flags, time and CRC serve the password check. Data that would run into the
// central directory are cut short there.
bool TZAEntryReader::Locate(TZAInput& Input, const TZADirItem& Item, uint64_t DataLimit, TLocation& At)
{
    const uint64_t headerAt = Item.LocalHeaderOffset64;
    if (!Input.Read(headerAt, At.Local, sizeof At.Local))
        return false;
    At.DataAt = headerAt + zip::LocalHeaderSize + zip::Get16(At.Local + zip::local::NameLength) +
                zip::Get16(At.Local + zip::local::ExtraLength);
    if (At.DataAt > Input.Size())
        return false;
    At.Compressed = Item.CompressedSize64;
    if (At.DataAt >= DataLimit)
        At.Compressed = 0;
    else if (At.Compressed > DataLimit - At.DataAt)
        At.Compressed = DataLimit - At.DataAt;
    return true;
}

// With a data descriptor the CRC was not known when the encryption header was written, so
// the writer put the time's high byte there instead.
uint8_t TZAEntryReader::CheckByte(const uint8_t* Local)
{
    return (zip::Get16(Local + zip::local::Flags) & zip::FlagDataDescriptor)
               ? static_cast<uint8_t>(zip::Get16(Local + zip::local::Time) >> 8)
               : static_cast<uint8_t>(zip::Get32(Local + zip::local::Crc) >> 24);
}

bool TZAEntryReader::PasswordFits(const uint8_t* Stored, const std::string& Password, uint8_t Check,
                                  zip::TZipKeys& Keys)
{
    Keys = zip::TZipKeys(Password);
    uint8_t header[zip::EncryptionHeaderSize];
    std::copy(Stored, Stored + zip::EncryptionHeaderSize, header);
    Keys.Decrypt(header, sizeof header);
    return header[zip::EncryptionHeaderSize - 1] == Check;
}

bool TZAEntryReader::Checked(const TZADirItem& Item) const
{
    return BytesWritten == Item.UncompressedSize64 && Crc == Item.Crc();
}

TZAEntryResult TZAEntryReader::ConsumeWhole(const TZADirItem& Item, const uint8_t* Data, size_t Length,
                                            IZAOutput& Output)
{
    BytesWritten = 0;
    Crc = 0;
    Overflow = false;
    const bool deflated = Item.Method() == zip::MethodDeflated;
    if (deflated && !Zlib->Start())
        return TZAEntryResult::Failed;
    if (OutputBuffer.size() != OutputBufferSize)
        OutputBuffer.resize(OutputBufferSize);
    if (Length > 0 && Consume(Data, Length, deflated, Output, Item.UncompressedSize64) == TStep::Failed)
        return TZAEntryResult::Failed;
    return Checked(Item) ? TZAEntryResult::Ok : TZAEntryResult::Failed;
}

void TZAEntryReader::DropPrefetch()
{
    if (HasPrefetch && Ahead && Ahead->Running())
        Ahead->Abandon();
    HasPrefetch = false;
}

// Everything here only reads the archive: a prefetch that is not used later changes nothing
// but the time the helper spent.
void TZAEntryReader::Prefetch(TZAInput& Input, const TZADirItem& Item, uint64_t DataLimit, const std::string& Password)
{
    if (HasPrefetch && Prefetched.Item == &Item && Prefetched.Password == Password)
        return;
    DropPrefetch();
    const uint16_t method = Item.Method();
    if (!DecryptAhead || !Item.Encrypted() || (method != zip::MethodStored && method != zip::MethodDeflated))
        return;
    try {
        TLocation at;
        uint8_t stored[zip::EncryptionHeaderSize];
        zip::TZipKeys keys("");
        if (!Locate(Input, Item, DataLimit, at) || at.Compressed <= sizeof stored ||
            !Input.Read(at.DataAt, stored, sizeof stored) || !PasswordFits(stored, Password, CheckByte(at.Local), keys))
            return;
        const uint64_t dataAt = at.DataAt + zip::EncryptionHeaderSize;
        const uint64_t compressed = at.Compressed - zip::EncryptionHeaderSize;
        // Small entries too: their decryption then overlaps the previous entry's end.
        const size_t chunk =
            ChunkSize(compressed, compressed, Item.UncompressedSize64, zipfs::AvailablePhysicalMemory());
        if (InputBuffer.size() < chunk)
            InputBuffer.resize(chunk);
        if (!Input.Read(dataAt, InputBuffer.data(), chunk))
            return;
        if (!Ahead)
            Ahead.reset(new TZADecryptAhead);
        Ahead->Start(keys, InputBuffer.data(), chunk);
        Prefetched = {&Item, Password, dataAt, compressed, chunk};
        HasPrefetch = true;
    } catch (const EZAReadError&) {
        // The real read reports it when its turn comes.
    }
}

TZAEntryResult TZAEntryReader::Read(TZAInput& Input, const TZADirItem& Item, uint64_t DataLimit, std::string& Password,
                                    IZAOutput& Output, const TZAEntryEvents& Events)
{
    BytesWritten = 0;
    Crc = 0;
    Overflow = false;
    const bool prefetched = HasPrefetch && Prefetched.Item == &Item && Prefetched.Password == Password;
    if (!prefetched)
        DropPrefetch();
    HasPrefetch = false;
    if (DecryptAhead && Item.Encrypted() && !Ahead)
        Ahead.reset(new TZADecryptAhead);
    // The helper must be done with the buffer before this function leaves, whatever way.
    struct AheadGuard {
        TZADecryptAhead* Helper;
        ~AheadGuard()
        {
            if (Helper && Helper->Running())
                Helper->Abandon();
        }
    } guard{Ahead.get()};

    const uint16_t method = Item.Method();
    uint64_t dataAt = 0, compressed = 0;
    size_t inFlight = 0; // the first chunk, already being decrypted
    zip::TZipKeys keys("");
    if (prefetched) {
        dataAt = Prefetched.DataAt;
        compressed = Prefetched.Compressed;
        inFlight = Prefetched.Chunk;
    } else {
        TLocation at;
        if (!Locate(Input, Item, DataLimit, at))
            return TZAEntryResult::Failed;
        dataAt = at.DataAt;
        compressed = at.Compressed;
        if (method == zip::MethodDeflate64)
            throw MakeZipError("", zecDeflate64);
        if (method != zip::MethodStored && method != zip::MethodDeflated)
            return TZAEntryResult::Failed;
        if (Item.Encrypted()) {
            uint8_t stored[zip::EncryptionHeaderSize];
            if (compressed < sizeof stored || !Input.Read(dataAt, stored, sizeof stored))
                return TZAEntryResult::Failed;
            const uint8_t check = CheckByte(at.Local);
            while (!PasswordFits(stored, Password, check, keys))
                if (!Events.AskPassword || !Events.AskPassword(Password))
                    return TZAEntryResult::Skipped;
            dataAt += zip::EncryptionHeaderSize;
            compressed -= zip::EncryptionHeaderSize;
        }
    }

    const bool deflated = method == zip::MethodDeflated;
    if (deflated && !Zlib->Start())
        return TZAEntryResult::Failed;
    if (OutputBuffer.size() != OutputBufferSize)
        OutputBuffer.resize(OutputBufferSize);

    const uint64_t expected = Item.UncompressedSize64;
    const uint64_t memory = zipfs::AvailablePhysicalMemory();
    uint64_t consumed = 0;
    TStep step = TStep::More;
    while (consumed < compressed && step == TStep::More) {
        if (Events.Progress && !Events.Progress(static_cast<double>(consumed) / static_cast<double>(compressed)))
            return TZAEntryResult::Cancelled;
        uint8_t* in = InputBuffer.data();
        size_t chunk = inFlight;
        inFlight = 0;
        if (chunk == 0) {
            chunk = ChunkSize(compressed - consumed, compressed, expected, memory);
            if (InputBuffer.size() < chunk)
                InputBuffer.resize(chunk);
            in = InputBuffer.data();
            if (!Input.Read(dataAt + consumed, in, chunk))
                return TZAEntryResult::Failed;
            if (!Item.Encrypted()) {
                consumed += chunk;
                step = Consume(in, chunk, deflated, Output, expected);
                continue;
            }
            if (!DecryptAhead || chunk < 2 * TZADecryptAhead::Piece) {
                keys.Decrypt(in, chunk);
                consumed += chunk;
                step = Consume(in, chunk, deflated, Output, expected);
                continue;
            }
            Ahead->Start(keys, in, chunk);
        }
        consumed += chunk;
        for (size_t at = 0; at < chunk && step == TStep::More;) {
            const size_t ready = Ahead->WaitFor(at + TZADecryptAhead::Piece);
            step = Consume(in + at, ready - at, deflated, Output, expected);
            at = ready;
        }
        if (step != TStep::More)
            break; // the guard stops the helper
        keys = Ahead->Finish();
    }
    if (step == TStep::Failed)
        return TZAEntryResult::Failed;
    return Checked(Item) ? TZAEntryResult::Ok : TZAEntryResult::Failed;
}

TZAEntryReader::TStep TZAEntryReader::Consume(const uint8_t* Data, size_t Length, bool Deflated, IZAOutput& Output,
                                              uint64_t Expected)
{
    if (!Deflated)
        return Emit(Data, Length, Output, Expected) ? TStep::More : TStep::Failed;
    z_stream& zs = Zlib->Stream;
    zs.next_in = const_cast<Bytef*>(Data);
    zs.avail_in = static_cast<uInt>(Length);
    do {
        zs.next_out = OutputBuffer.data();
        zs.avail_out = static_cast<uInt>(OutputBuffer.size());
        const int result = inflate(&zs, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            return TStep::Failed;
        const size_t produced = OutputBuffer.size() - zs.avail_out;
        if (produced > 0 && !Emit(OutputBuffer.data(), produced, Output, Expected))
            return TStep::Failed;
        if (result == Z_STREAM_END)
            return TStep::End; // whatever follows the stream is not looked at
        if (result == Z_BUF_ERROR)
            break; // no progress possible before more input comes
    } while (zs.avail_in > 0 || zs.avail_out == 0);
    return TStep::More;
}
