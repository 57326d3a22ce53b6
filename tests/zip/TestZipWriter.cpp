#include "TestZipWriter.h"

#include <stdexcept>

#include <zlib.h>

#include "ZipCrc32.h"
#include "ZipCrypto.h"
#include "ZipFormat.h"

namespace {

void Append16(std::string& s, uint16_t v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}

void Append32(std::string& s, uint32_t v)
{
    Append16(s, static_cast<uint16_t>(v));
    Append16(s, static_cast<uint16_t>(v >> 16));
}

void Append64(std::string& s, uint64_t v)
{
    Append32(s, static_cast<uint32_t>(v));
    Append32(s, static_cast<uint32_t>(v >> 32));
}

struct Written {
    uint32_t Crc;
    uint64_t Compressed, Uncompressed, Offset;
};

} // namespace

TestArchive ArchiveOf(std::vector<TestEntry> Entries)
{
    TestArchive a;
    a.Entries = std::move(Entries);
    return a;
}

std::string DeflateRaw(const std::string& Data, int Level)
{
    z_stream zs{};
    if (deflateInit2(&zs, Level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&zs, static_cast<uLong>(Data.size())), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Data.data()));
    zs.avail_in = static_cast<uInt>(Data.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    const int r = deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    if (r != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

size_t FindSignature(const std::string& Bytes, uint32_t Signature, size_t From)
{
    std::string sig;
    Append32(sig, Signature);
    return Bytes.find(sig, From);
}

void Poke16(std::string& Bytes, size_t At, uint16_t Value)
{
    zip::Put16(reinterpret_cast<uint8_t*>(&Bytes[At]), Value);
}

void Poke32(std::string& Bytes, size_t At, uint32_t Value)
{
    zip::Put32(reinterpret_cast<uint8_t*>(&Bytes[At]), Value);
}

std::string BuildArchive(const TestArchive& Archive)
{
    std::string out = Archive.Prefix;
    const uint64_t base = Archive.AdjustOffsets ? 0 : Archive.Prefix.size();
    std::vector<Written> written;

    for (const TestEntry& e : Archive.Entries) {
        Written w{};
        w.Crc = zip::Crc32(0, e.Data.data(), e.Data.size());
        w.Uncompressed = e.Data.size();
        w.Offset = out.size() - base;
        std::string data = e.RawData ? *e.RawData : (e.Method == 8 ? DeflateRaw(e.Data) : e.Data);
        data += e.TrailingData;
        const bool encrypted = e.Encrypt || !e.Password.empty();
        uint16_t flags = 0;
        if (encrypted) {
            flags |= zip::FlagEncrypted;
            zip::TZipKeys keys(e.Password);
            std::string header = "0123456789A";
            header.push_back(static_cast<char>(e.DataDescriptor ? (e.Time >> 8) : (w.Crc >> 24)));
            data = header + data;
            keys.Encrypt(reinterpret_cast<uint8_t*>(&data[0]), data.size());
        }
        if (e.DataDescriptor)
            flags |= zip::FlagDataDescriptor;
        w.Compressed = data.size();
        const std::string& localName = e.LocalName.empty() ? e.Name : e.LocalName;

        Append32(out, zip::LocalHeaderSignature);
        Append16(out, 20);
        Append16(out, flags);
        Append16(out, e.Method);
        Append16(out, e.Time);
        Append16(out, e.Date);
        Append32(out, e.DataDescriptor ? 0 : e.LocalCrc.value_or(w.Crc));
        Append32(out, e.DataDescriptor ? 0 : static_cast<uint32_t>(w.Compressed));
        Append32(out, e.DataDescriptor ? 0 : static_cast<uint32_t>(w.Uncompressed));
        Append16(out, static_cast<uint16_t>(localName.size()));
        Append16(out, static_cast<uint16_t>(e.LocalExtra.size()));
        out += localName + e.LocalExtra + data;
        if (e.DataDescriptor) {
            if (e.DescriptorSignature)
                Append32(out, zip::DataDescriptorSignature);
            Append32(out, w.Crc);
            Append32(out, static_cast<uint32_t>(w.Compressed));
            Append32(out, static_cast<uint32_t>(w.Uncompressed));
        }
        written.push_back(w);
    }

    const uint64_t directoryStart = out.size() - base;
    for (size_t i = 0; i < Archive.Entries.size(); ++i) {
        const TestEntry& e = Archive.Entries[i];
        const Written& w = written[i];
        std::string extra = e.CentralExtra;
        const uint64_t uncompressed = e.CentralUncompressedSize.value_or(w.Uncompressed);
        if (e.Zip64) {
            std::string block;
            Append64(block, uncompressed);
            Append64(block, w.Compressed);
            Append64(block, w.Offset);
            Append16(extra, zip::Zip64ExtraId);
            Append16(extra, static_cast<uint16_t>(block.size()));
            extra += block;
        }
        uint16_t flags = (e.Encrypt || !e.Password.empty()) ? zip::FlagEncrypted : 0;
        if (e.DataDescriptor)
            flags |= zip::FlagDataDescriptor;
        Append32(out, zip::CentralHeaderSignature);
        Append16(out, 20);
        Append16(out, 20);
        Append16(out, flags);
        Append16(out, e.Method);
        Append16(out, e.Time);
        Append16(out, e.Date);
        Append32(out, e.CentralCrc.value_or(w.Crc));
        Append32(out, e.Zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(w.Compressed));
        Append32(out, e.Zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(uncompressed));
        Append16(out, static_cast<uint16_t>(e.Name.size()));
        Append16(out, static_cast<uint16_t>(extra.size()));
        Append16(out, static_cast<uint16_t>(e.Comment.size()));
        Append16(out, 0);
        Append16(out, 0);
        Append32(out, e.ExternalAttributes);
        Append32(out, e.Zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(w.Offset));
        out += e.Name + extra + e.Comment;
    }
    const uint64_t directorySize = out.size() - base - directoryStart;
    const uint64_t count = Archive.Entries.size();

    if (Archive.Zip64EndRecords) {
        const uint64_t recordAt = out.size() - base;
        Append32(out, zip::Zip64EndRecordSignature);
        Append64(out, zip::Zip64EndRecordSize - 12);
        Append16(out, 45);
        Append16(out, 45);
        Append32(out, 0);
        Append32(out, 0);
        Append64(out, count);
        Append64(out, count);
        Append64(out, directorySize);
        Append64(out, directoryStart);
        Append32(out, zip::Zip64LocatorSignature);
        Append32(out, 0);
        Append64(out, recordAt);
        Append32(out, 1);
    }
    if (!Archive.OmitEndRecord) {
        const bool z = Archive.Zip64EndRecords;
        Append32(out, zip::EndRecordSignature);
        Append16(out, 0);
        Append16(out, 0);
        Append16(out, z ? 0xFFFF : Archive.TotalEntriesField.value_or(static_cast<uint16_t>(count)));
        Append16(out, z ? 0xFFFF : Archive.TotalEntriesField.value_or(static_cast<uint16_t>(count)));
        Append32(out, z ? 0xFFFFFFFFu : Archive.DirectorySizeField.value_or(static_cast<uint32_t>(directorySize)));
        Append32(out, z ? 0xFFFFFFFFu : static_cast<uint32_t>(directoryStart));
        Append16(out, static_cast<uint16_t>(Archive.Comment.size()));
        out += Archive.Comment;
    }
    return out;
}
