#include "ZipPackWriter.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <stdexcept>

#include <zlib.h>

#include "ZipCrc32.h"
#include "ZipCrypto.h"
#include "ZipFormat.h"

namespace {

constexpr size_t BlockSize = 256 * 1024;
constexpr uint64_t Max32 = 0xFFFFFFFFu;
constexpr uint16_t VersionNeeded = 20; // deflate and traditional encryption
constexpr uint32_t ArchiveAttribute = 0x20;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::runtime_error IoError(const std::string& What, const std::string& Path)
{
    return std::runtime_error(What + " \"" + Path + "\": " + std::strerror(errno));
}

FilePtr OpenSource(const std::string& Path)
{
    FilePtr f(std::fopen(Path.c_str(), "rb"));
    if (!f)
        throw IoError("cannot open", Path);
    return f;
}

// Reads the whole source once for its size and CRC-32, which the local header needs before
// the data; the seed of the encryption header comes from them too.
void MeasureSource(const std::string& Path, uint64_t& Size, uint32_t& Crc)
{
    FilePtr f = OpenSource(Path);
    std::vector<uint8_t> block(BlockSize);
    Size = 0;
    Crc = 0;
    size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), f.get())) > 0) {
        Crc = zip::Crc32(Crc, block.data(), n);
        Size += n;
    }
    if (std::ferror(f.get()))
        throw IoError("cannot read", Path);
}

uint64_t SplitMix64(uint64_t& State)
{
    uint64_t z = (State += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// The eleven filler bytes of the encryption header only need to differ between entries;
// taking them from the entry's name and content keeps the archive reproducible.
void MakeEncryptionHeader(uint8_t (&Header)[zip::EncryptionHeaderSize], const std::string& Name, uint32_t Crc,
                          uint64_t Size)
{
    uint64_t state = (static_cast<uint64_t>(zip::Crc32(0, Name.data(), Name.size())) << 32) ^ Crc ^ (Size << 7);
    for (size_t i = 0; i + 1 < zip::EncryptionHeaderSize; i += 8) {
        const uint64_t r = SplitMix64(state);
        for (size_t k = 0; k < 8 && i + k + 1 < zip::EncryptionHeaderSize; ++k)
            Header[i + k] = static_cast<uint8_t>(r >> (8 * k));
    }
    // Without a data descriptor the reader checks the password against the CRC's high byte.
    Header[zip::EncryptionHeaderSize - 1] = static_cast<uint8_t>(Crc >> 24);
}

} // namespace

void UnixTimeToDos(int64_t UnixTime, uint16_t& DosTime, uint16_t& DosDate)
{
    const std::time_t t = static_cast<std::time_t>(UnixTime);
    const std::tm* tm = std::localtime(&t);
    int year = tm ? tm->tm_year + 1900 : 1980;
    if (!tm || year < 1980) {
        DosTime = 0;
        DosDate = (1 << 5) | 1; // 1980-01-01
        return;
    }
    if (year > 2107) {
        DosTime = (23 << 11) | (59 << 5) | 29;
        DosDate = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);
        return;
    }
    DosTime = static_cast<uint16_t>((tm->tm_hour << 11) | (tm->tm_min << 5) | (tm->tm_sec / 2));
    DosDate = static_cast<uint16_t>(((year - 1980) << 9) | ((tm->tm_mon + 1) << 5) | tm->tm_mday);
}

TZipPackWriter::TZipPackWriter(const std::string& OutPath, const std::string& Password)
    : Path(OutPath), Password(Password)
{
    File = std::fopen(OutPath.c_str(), "wb");
    if (!File)
        throw IoError("cannot create", OutPath);
}

TZipPackWriter::~TZipPackWriter()
{
    if (File)
        std::fclose(File);
}

void TZipPackWriter::Write(const void* Data, size_t Length)
{
    if (Length > 0 && std::fwrite(Data, 1, Length, File) != Length)
        throw IoError("cannot write", Path);
    Position += Length;
}

void TZipPackWriter::WriteAt(uint64_t Offset, const void* Data, size_t Length)
{
    // Offsets stay below 4 GiB (checked by AddFile), which every fseek can reach in steps.
    if (std::fflush(File) != 0 || std::fseek(File, 0, SEEK_SET) != 0)
        throw IoError("cannot seek in", Path);
    for (uint64_t left = Offset; left > 0;) {
        const long step = static_cast<long>(left > 0x40000000u ? 0x40000000u : left);
        if (std::fseek(File, step, SEEK_CUR) != 0)
            throw IoError("cannot seek in", Path);
        left -= static_cast<uint64_t>(step);
    }
    if (std::fwrite(Data, 1, Length, File) != Length || std::fflush(File) != 0)
        throw IoError("cannot write", Path);
    if (std::fseek(File, 0, SEEK_END) != 0)
        throw IoError("cannot seek in", Path);
}

void TZipPackWriter::AddFile(const std::string& EntryName, const std::string& SourcePath, uint16_t DosTime,
                             uint16_t DosDate)
{
    if (EntryName.empty() || EntryName.size() > 0xFFFF)
        throw std::runtime_error("entry name of unusable length: \"" + EntryName + "\"");
    if (Entries.size() >= 0xFFFF)
        throw std::runtime_error("too many files for a zip archive without Zip64 records");

    uint64_t size;
    uint32_t crc;
    MeasureSource(SourcePath, size, crc);
    if (size >= Max32)
        throw std::runtime_error("file too large for a zip archive without Zip64 records: \"" + SourcePath + "\"");
    if (Position >= Max32)
        throw std::runtime_error("archive too large without Zip64 records");

    Entry e{EntryName, DosTime, DosDate, crc, 0, static_cast<uint32_t>(size), static_cast<uint32_t>(Position)};

    zip::LocalHeaderBytes h{};
    uint8_t* p = h.Bytes;
    zip::Put32(p + zip::local::Signature, zip::LocalHeaderSignature);
    zip::Put16(p + zip::local::VersionNeeded, VersionNeeded);
    zip::Put16(p + zip::local::Flags, zip::FlagEncrypted);
    zip::Put16(p + zip::local::Method, zip::MethodDeflated);
    zip::Put16(p + zip::local::Time, DosTime);
    zip::Put16(p + zip::local::Date, DosDate);
    zip::Put32(p + zip::local::Crc, crc);
    zip::Put32(p + zip::local::UncompressedSize, e.UncompressedSize);
    zip::Put16(p + zip::local::NameLength, static_cast<uint16_t>(EntryName.size()));
    Write(h.Bytes, sizeof h.Bytes);
    Write(EntryName.data(), EntryName.size());

    zip::TZipKeys keys(Password);
    uint8_t header[zip::EncryptionHeaderSize];
    MakeEncryptionHeader(header, EntryName, crc, size);
    keys.Encrypt(header, sizeof header);
    Write(header, sizeof header);
    uint64_t compressed = sizeof header;

    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib deflateInit2 failed");
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&zs, deflateEnd);

    FilePtr source = OpenSource(SourcePath);
    std::vector<uint8_t> in(BlockSize), out(BlockSize);
    uint64_t readTotal = 0;
    int flush = Z_NO_FLUSH;
    do {
        const size_t n = std::fread(in.data(), 1, in.size(), source.get());
        if (std::ferror(source.get()))
            throw IoError("cannot read", SourcePath);
        readTotal += n;
        flush = (n < in.size()) ? Z_FINISH : Z_NO_FLUSH;
        zs.next_in = in.data();
        zs.avail_in = static_cast<uInt>(n);
        do {
            zs.next_out = out.data();
            zs.avail_out = static_cast<uInt>(out.size());
            if (deflate(&zs, flush) == Z_STREAM_ERROR)
                throw std::runtime_error("zlib deflate failed");
            const size_t produced = out.size() - zs.avail_out;
            keys.Encrypt(out.data(), produced);
            Write(out.data(), produced);
            compressed += produced;
        } while (zs.avail_out == 0);
    } while (flush != Z_FINISH);
    if (readTotal != size)
        throw std::runtime_error("file changed while packing: \"" + SourcePath + "\"");
    if (compressed >= Max32)
        throw std::runtime_error("compressed data too large without Zip64 records: \"" + SourcePath + "\"");

    e.CompressedSize = static_cast<uint32_t>(compressed);
    uint8_t sizeField[4];
    zip::Put32(sizeField, e.CompressedSize);
    WriteAt(e.Offset + zip::local::CompressedSize, sizeField, sizeof sizeField);
    Entries.push_back(std::move(e));
}

void TZipPackWriter::Finish()
{
    const uint64_t directoryStart = Position;
    for (const Entry& e : Entries) {
        zip::CentralHeaderBytes h{};
        uint8_t* p = h.Bytes;
        zip::Put32(p + zip::central::Signature, zip::CentralHeaderSignature);
        zip::Put16(p + zip::central::VersionMadeBy, VersionNeeded);
        zip::Put16(p + zip::central::VersionNeeded, VersionNeeded);
        zip::Put16(p + zip::central::Flags, zip::FlagEncrypted);
        zip::Put16(p + zip::central::Method, zip::MethodDeflated);
        zip::Put16(p + zip::central::Time, e.Time);
        zip::Put16(p + zip::central::Date, e.Date);
        zip::Put32(p + zip::central::Crc, e.Crc);
        zip::Put32(p + zip::central::CompressedSize, e.CompressedSize);
        zip::Put32(p + zip::central::UncompressedSize, e.UncompressedSize);
        zip::Put16(p + zip::central::NameLength, static_cast<uint16_t>(e.Name.size()));
        zip::Put32(p + zip::central::ExternalAttributes, ArchiveAttribute);
        zip::Put32(p + zip::central::LocalHeaderOffset, e.Offset);
        Write(h.Bytes, sizeof h.Bytes);
        Write(e.Name.data(), e.Name.size());
    }
    const uint64_t directorySize = Position - directoryStart;
    if (directoryStart >= Max32 || directorySize >= Max32)
        throw std::runtime_error("archive too large without Zip64 records");

    zip::EndRecordBytes end{};
    uint8_t* p = end.Bytes;
    zip::Put32(p + zip::endrec::Signature, zip::EndRecordSignature);
    zip::Put16(p + zip::endrec::DiskEntries, static_cast<uint16_t>(Entries.size()));
    zip::Put16(p + zip::endrec::TotalEntries, static_cast<uint16_t>(Entries.size()));
    zip::Put32(p + zip::endrec::DirectorySize, static_cast<uint32_t>(directorySize));
    zip::Put32(p + zip::endrec::DirectoryOffset, static_cast<uint32_t>(directoryStart));
    Write(end.Bytes, sizeof end.Bytes);

    const int closed = std::fclose(File);
    File = nullptr;
    if (closed != 0)
        throw IoError("cannot write", Path);
}
