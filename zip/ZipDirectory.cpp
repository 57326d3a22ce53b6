// Reading the central directory and finding the prefix in front of the archive.
#include "ZipDirectory.h"

#include <cstring>

#include "ZipErrors.h"
#include "ZipFileSystem.h"
#include "ZipInput.h"
#include "ZipScanner.h"

bool TZADirItem::IsFolder() const
{
    return (ExternalAttributes() & zipfs::AttrDirectory) || (!Name.empty() && Name.back() == '/');
}

std::vector<TZAExtraBlock> SplitExtraField(const std::string& Extra)
{
    std::vector<TZAExtraBlock> blocks;
    size_t at = 0;
    while (Extra.size() - at >= 4) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(Extra.data() + at);
        TZAExtraBlock block;
        block.HeaderId = zip::Get16(p);
        size_t size = zip::Get16(p + 2);
        at += 4;
        if (size > Extra.size() - at)
            size = Extra.size() - at;
        block.Data = Extra.substr(at, size);
        at += size;
        blocks.push_back(std::move(block));
    }
    return blocks;
}

void ApplyZip64Extra(TZADirItem& Item)
{
    Item.UncompressedSize64 = Item.Field32(zip::central::UncompressedSize);
    Item.CompressedSize64 = Item.Field32(zip::central::CompressedSize);
    Item.LocalHeaderOffset64 = Item.Field32(zip::central::LocalHeaderOffset);
    Item.DiskStart64 = Item.Field16(zip::central::DiskStart);
    for (const TZAExtraBlock& block : Item.Extra) {
        if (block.HeaderId != zip::Zip64ExtraId)
            continue;
        Item.HasZip64 = true;
        const uint8_t* p = reinterpret_cast<const uint8_t*>(block.Data.data());
        size_t left = block.Data.size();
        auto take64 = [&](uint64_t& Value) {
            if (left < 8)
                return;
            Value = zip::Get64(p);
            p += 8;
            left -= 8;
        };
        if (Item.Field32(zip::central::UncompressedSize) == 0xFFFFFFFFu)
            take64(Item.UncompressedSize64);
        if (Item.Field32(zip::central::CompressedSize) == 0xFFFFFFFFu)
            take64(Item.CompressedSize64);
        if (Item.Field32(zip::central::LocalHeaderOffset) == 0xFFFFFFFFu)
            take64(Item.LocalHeaderOffset64);
        if (Item.Field16(zip::central::DiskStart) == 0xFFFF && left >= 4)
            Item.DiskStart64 = zip::Get32(p);
        return;
    }
}

bool ReadCentralDirectory(TZAInput& Input, bool OemNames, TZADirManager& Dir)
{
    uint64_t count, size, end;
    if (Dir.HasZip64) {
        // total number of entries, size of the central directory
        count = zip::Get64(Dir.Zip64EndRecord + zip::zip64::RecordTotalEntries);
        size = zip::Get64(Dir.Zip64EndRecord + zip::zip64::RecordDirectorySize);
        end = Dir.Zip64EndRecordPosition;
    } else {
        count = zip::Get16(Dir.EndRecord.Bytes + zip::endrec::TotalEntries);
        size = zip::Get32(Dir.EndRecord.Bytes + zip::endrec::DirectorySize);
        end = Dir.EndRecordPosition;
    }
    // The directory lies right in front of the end records; its offset field would only
    // be right for an archive without a prefix.
    if (size > end)
        return false;
    const uint64_t start = end - size;

    std::vector<TZADirItem> items;
    items.reserve(static_cast<size_t>(count < size / zip::CentralHeaderSize ? count : size / zip::CentralHeaderSize));
    uint64_t at = start;
    for (uint64_t n = 0; n < count; ++n) {
        TZADirItem item;
        if (end - at < zip::CentralHeaderSize || !Input.Read(at, item.Header.Bytes, zip::CentralHeaderSize))
            return false;
        const uint16_t nameLength = item.Field16(zip::central::NameLength);
        const uint16_t extraLength = item.Field16(zip::central::ExtraLength);
        const uint16_t commentLength = item.Field16(zip::central::CommentLength);
        at += zip::CentralHeaderSize;
        const uint64_t variable = uint64_t{nameLength} + extraLength + commentLength;
        if (end - at < variable)
            return false;
        std::string extra;
        item.RawName.resize(nameLength);
        extra.resize(extraLength);
        item.Comment.resize(commentLength);
        if (!Input.Read(at, &item.RawName[0], nameLength) || !Input.Read(at + nameLength, &extra[0], extraLength) ||
            !Input.Read(at + nameLength + extraLength, &item.Comment[0], commentLength))
            return false;
        at += variable;
        item.Name = OemNames ? zipfs::OemNameToAnsi(item.RawName) : item.RawName;
        item.Extra = SplitExtraField(extra);
        ApplyZip64Extra(item);
        items.push_back(std::move(item));
    }
    Dir.Items = std::move(items);
    Dir.CentralDirStart = start;
    return true;
}

namespace {

bool LocalHeaderAgrees(TZAInput& Input, uint64_t At, const TZADirItem& Item)
{
    uint8_t h[zip::LocalHeaderSize];
    if (!Input.Read(At, h, sizeof h))
        return false;
    const uint16_t nameLength = zip::Get16(h + zip::local::NameLength);
    if (zip::Get16(h + zip::local::Method) != Item.Method() || nameLength != Item.RawName.size())
        return false;
    std::string name(nameLength, '\0');
    return Input.Read(At + zip::LocalHeaderSize, &name[0], nameLength) && name == Item.RawName;
}

} // namespace

// Data in front of the archive (a self-extractor stub, say) moves every local header back by
// its size; writers that did not know of it left the offsets unadjusted. The first entry's
// local header is searched from its recorded offset on, and the distance found is added to
// every offset.
void DetectPrefix(TZAInput& Input, TZADirManager& Dir)
{
    if (Dir.Items.empty())
        return;
    const TZADirItem& first = Dir.Items.front();
    const uint64_t recorded = first.LocalHeaderOffset64;
    TZASignatureScanner scanner(Input, recorded, Dir.CentralDirStart);
    uint64_t at;
    uint32_t signature;
    bool found = false;
    while (scanner.Next(at, signature)) {
        if (signature == zip::LocalHeaderSignature && (at == 0 || LocalHeaderAgrees(Input, at, first))) {
            found = true;
            break;
        }
    }
    if (!found || at <= recorded)
        return;
    Dir.PrefixSize = at - recorded;
    for (TZADirItem& item : Dir.Items)
        if (!item.IsFolder())
            item.LocalHeaderOffset64 += Dir.PrefixSize;
}

void ReadDirectory(TZAInput& Input, bool OemNames, const std::string& ComponentName, TZADirManager& Dir)
{
    Dir.Clear();
    const bool found = LocateEndRecord(Input, ComponentName, Dir);
    bool read = false;
    if (found && (Dir.HasZip64 || zip::Get16(Dir.EndRecord.Bytes + zip::endrec::TotalEntries) != 0xFFFF)) {
        try {
            read = ReadCentralDirectory(Input, OemNames, Dir);
        } catch (const EZAReadError&) {
            read = false;
        }
    }
    if (!read) {
        Dir.Items.clear();
        RebuildDirectory(Input, OemNames, ComponentName, Dir);
        return;
    }
    DetectPrefix(Input, Dir);
}
