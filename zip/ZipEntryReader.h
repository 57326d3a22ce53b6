// Reads one entry's data: local header, password check, then chunk by chunk decryption,
// inflate and CRC-32, streamed to an output through a buffer of fixed size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TZAInput;
class TZADecryptAhead;
struct TZADirItem;
namespace zip {
class TZipKeys;
}

// Where an entry's bytes go.
class IZAOutput {
public:
    virtual ~IZAOutput() = default;
    virtual bool Write(const uint8_t* Data, size_t Length) = 0; // false: a short write
};

enum class TZAEntryResult {
    Ok,        // size and CRC-32 agree with the directory
    Failed,    // unreadable, undecodable, or the checks failed
    Skipped,   // the password prompt was cancelled
    Cancelled, // a progress event asked to stop
};

struct TZAEntryEvents {
    // Asked after a failed password check with the password tried; returns false to skip
    // the entry, true with another password to try.
    std::function<bool(std::string& Password)> AskPassword;
    // Fired before each chunk with the part of the compressed data consumed (0..1);
    // returns false to stop.
    std::function<bool(double Consumed)> Progress;
};

class TZAEntryReader {
public:
    static constexpr size_t MaxChunk = 1024 * 1024;
    static constexpr size_t OutputBufferSize = 256 * 1024;

    TZAEntryReader();
    ~TZAEntryReader();
    TZAEntryReader(const TZAEntryReader&) = delete;
    TZAEntryReader& operator=(const TZAEntryReader&) = delete;

    // DataLimit is where entry data must end (the central directory's start). Password is
    // replaced by the one that passed the check. Raises EZAException 55 for Deflate64;
    // throws EZAReadError when the system fails a read.
    TZAEntryResult Read(TZAInput& Input, const TZADirItem& Item, uint64_t DataLimit, std::string& Password,
                        IZAOutput& Output, const TZAEntryEvents& Events);

    // Several items read whole, each into its output, without questions or progress events:
    // each result as Read gives it (Skipped where the password does not fit). Encrypted items of
    // at most MaxChunk bytes of data are held whole and decrypted side by side (ZipCrypto.h),
    // longest first, each inflated and checked as soon as it is decrypted; the others are read
    // one by one as Read reads them. At most TZipKeys::SideBySide chunks are held at a time.
    // Raises as Read does.
    void ReadSideBySide(TZAInput& Input, const std::vector<const TZADirItem*>& Items, uint64_t DataLimit,
                        const std::string& Password, const std::vector<IZAOutput*>& Outputs,
                        std::vector<TZAEntryResult>& Results);

    // Decrypts on a helper thread while this one inflates (see ZipDecryptAhead.h).
    void SetDecryptAhead(bool On) { DecryptAhead = On; }

    // With DecryptAhead: checks the item's password (without asking) and starts decrypting
    // its first chunk, so that Read of the same item with the same password finds it under
    // way. Only reads the archive; an unused prefetch is dropped by the next call.
    void Prefetch(TZAInput& Input, const TZADirItem& Item, uint64_t DataLimit, const std::string& Password);
    void DropPrefetch();

    // Bytes written by the last Read.
    uint64_t Written() const { return BytesWritten; }

    // The input chunk size for the rest of an entry: at most 1 MiB, halved (down to below
    // 512 bytes) while its estimated output would take a twentieth of the free memory.
    static size_t ChunkSize(uint64_t Remaining, uint64_t CompressedSize, uint64_t UncompressedSize,
                            uint64_t AvailableMemory);

private:
    struct Inflater;
    enum class TStep { More, End, Failed };
    struct TLocation {
        uint8_t Local[30];
        uint64_t DataAt;
        uint64_t Compressed;
    };
    struct TPrefetched {
        const TZADirItem* Item;
        std::string Password;
        uint64_t DataAt;
        uint64_t Compressed;
        size_t Chunk;
    };

    static bool Locate(TZAInput& Input, const TZADirItem& Item, uint64_t DataLimit, TLocation& At);
    // The byte that the last byte of the decrypted encryption header must equal.
    static uint8_t CheckByte(const uint8_t* Local);
    // Keys from Password, run over the stored encryption header; true when its last byte checks.
    static bool PasswordFits(const uint8_t* Stored, const std::string& Password, uint8_t Check, zip::TZipKeys& Keys);
    // Size and CRC-32 of what was passed on agree with the directory.
    bool Checked(const TZADirItem& Item) const;
    // Inflates (or passes on) an item's decoded data held whole, with the checks of Read.
    TZAEntryResult ConsumeWhole(const TZADirItem& Item, const uint8_t* Data, size_t Length, IZAOutput& Output);

    // Passes decoded bytes of the entry on: through the inflater or, stored, as they are.
    TStep Consume(const uint8_t* Data, size_t Length, bool Deflated, IZAOutput& Output, uint64_t Expected);
    bool Emit(const uint8_t* Data, size_t Length, IZAOutput& Output, uint64_t Expected);

    std::vector<uint8_t> InputBuffer;
    std::vector<uint8_t> OutputBuffer;
    std::unique_ptr<Inflater> Zlib;
    std::unique_ptr<TZADecryptAhead> Ahead;
    bool DecryptAhead = false;
    TPrefetched Prefetched{};
    bool HasPrefetch = false;
    uint64_t BytesWritten = 0;
    uint32_t Crc = 0;
    bool Overflow = false;
};
