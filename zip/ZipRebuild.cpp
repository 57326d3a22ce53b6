// Rebuilding the directory of a damaged archive from its local headers.
#include <cstring>
#include <deque>

#include "ZipDirectory.h"
#include "ZipErrors.h"
#include "ZipFileSystem.h"
#include "ZipInput.h"
#include "ZipScanner.h"

namespace {

// An entry written with a data descriptor (flag bit 3) whose sizes are still unknown.
struct PendingItem {
    size_t Index;
    uint64_t DataStart;
};

// Entries with data descriptors still waiting for theirs; older ones are given up, so a
// file full of such headers costs no more than a few checks per signature.
constexpr size_t MaxPending = 64;

bool AddLocalItem(TZAInput& Input, bool OemNames, uint64_t At, TZADirManager& Dir, std::deque<PendingItem>& Pending)
{
    uint8_t h[zip::LocalHeaderSize];
    if (!Input.Read(At, h, sizeof h))
        return false;
    const uint16_t nameLength = zip::Get16(h + zip::local::NameLength);
    const uint16_t extraLength = zip::Get16(h + zip::local::ExtraLength);
    const uint64_t dataStart = At + zip::LocalHeaderSize + nameLength + extraLength;
    if (nameLength == 0 || !Input.Contains(At + zip::LocalHeaderSize, uint64_t{nameLength} + extraLength))
        return false;

    TZADirItem item;
    uint8_t* c = item.Header.Bytes;
    zip::Put32(c + zip::central::Signature, zip::CentralHeaderSignature);
    zip::Put16(c + zip::central::VersionMadeBy, zip::Get16(h + zip::local::VersionNeeded));
    // version needed to extract .. extra field length: the same fields in the same order
    std::memcpy(c + zip::central::VersionNeeded, h + zip::local::VersionNeeded, zip::LocalHeaderSize - 4);
    zip::Put32(c + zip::central::LocalHeaderOffset, At > 0xFFFFFFFEu ? 0xFFFFFFFFu : static_cast<uint32_t>(At));

    std::string extra(extraLength, '\0');
    item.RawName.resize(nameLength);
    if (!Input.Read(At + zip::LocalHeaderSize, &item.RawName[0], nameLength) ||
        !Input.Read(At + zip::LocalHeaderSize + nameLength, &extra[0], extraLength))
        return false;
    item.Name = OemNames ? zipfs::OemNameToAnsi(item.RawName) : item.RawName;
    if (item.Name.back() == '/')
        zip::Put32(c + zip::central::ExternalAttributes, zipfs::AttrDirectory);
    item.Extra = SplitExtraField(extra);
    ApplyZip64Extra(item);
    item.LocalHeaderOffset64 = At;
    if (item.CompressedSize64 >= Input.Size())
        return false;

    if (item.Flags() & zip::FlagDataDescriptor) {
        Pending.push_back({Dir.Items.size(), dataStart});
        if (Pending.size() > MaxPending)
            Pending.pop_front();
    }
    Dir.Items.push_back(std::move(item));
    return true;
}

// A data descriptor belongs to the pending entry whose data end right at it: its compressed
// size must equal that distance, in the 32-bit or the Zip64 form.
void MatchDescriptor(TZAInput& Input, uint64_t At, TZADirManager& Dir, std::deque<PendingItem>& Pending)
{
    uint8_t d[24];
    const bool has64 = Input.Read(At, d, 24);
    if (!has64 && !Input.Read(At, d, 16))
        return;
    for (auto it = Pending.begin(); it != Pending.end(); ++it) {
        if (At < it->DataStart)
            continue;
        const uint64_t distance = At - it->DataStart;
        TZADirItem& item = Dir.Items[it->Index];
        uint8_t* c = item.Header.Bytes;
        // crc-32, compressed size, uncompressed size: 64-bit sizes after a local header with
        // a Zip64 extra block, 32-bit ones otherwise
        if (item.HasZip64 && has64 && zip::Get64(d + 8) == distance) {
            zip::Put32(c + zip::central::Crc, zip::Get32(d + 4));
            zip::Put32(c + zip::central::CompressedSize, 0xFFFFFFFFu);
            zip::Put32(c + zip::central::UncompressedSize, 0xFFFFFFFFu);
            item.CompressedSize64 = zip::Get64(d + 8);
            item.UncompressedSize64 = zip::Get64(d + 16);
        } else if (!item.HasZip64 && zip::Get32(d + 8) == distance) {
            zip::Put32(c + zip::central::Crc, zip::Get32(d + 4));
            zip::Put32(c + zip::central::CompressedSize, zip::Get32(d + 8));
            zip::Put32(c + zip::central::UncompressedSize, zip::Get32(d + 12));
            item.CompressedSize64 = zip::Get32(d + 8);
            item.UncompressedSize64 = zip::Get32(d + 12);
        } else {
            continue;
        }
        Pending.erase(it);
        return;
    }
}

} // namespace

void RebuildDirectory(TZAInput& Input, bool OemNames, const std::string& ComponentName, TZADirManager& Dir)
{
    Dir.Items.clear();
    std::deque<PendingItem> pending;
    bool anyHeader = false;
    TZASignatureScanner scanner(Input, 0, Input.Size());
    uint64_t at;
    uint32_t signature;
    while (scanner.Next(at, signature)) {
        if (signature == zip::LocalHeaderSignature) {
            anyHeader = true;
            AddLocalItem(Input, OemNames, at, Dir, pending);
            // The search goes on four bytes after the header, through the entry's data.
            scanner.SkipTo(at + 4);
        } else if (signature == zip::DataDescriptorSignature && !pending.empty()) {
            MatchDescriptor(Input, at, Dir, pending);
        }
    }
    if (!anyHeader)
        throw MakeZipError(ComponentName, zecInvalidArchive);
    Dir.CentralDirStart = Input.Size();
    Dir.Rebuilt = true;
}
