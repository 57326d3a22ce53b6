// Locating the end of central directory record and the Zip64 records in front of it.
#include <cstring>
#include <vector>

#include "ZipDirectory.h"
#include "ZipErrors.h"
#include "ZipInput.h"

namespace {

// The record can stand at most 65535 comment bytes before the end; the tail read covers
// that and a little more.
constexpr uint64_t TailSize = 65600;

void ReadZip64Records(TZAInput& Input, const std::string& ComponentName, TZADirManager& Dir)
{
    const uint64_t at = Dir.EndRecordPosition;
    if (at < zip::Zip64LocatorSize || !Input.Read(at - zip::Zip64LocatorSize, Dir.Zip64Locator, zip::Zip64LocatorSize))
        return;
    if (zip::Get32(Dir.Zip64Locator + zip::zip64::LocatorSignature) != zip::Zip64LocatorSignature)
        return;
    // offset of the Zip64 end of central directory record
    const uint64_t recordAt = zip::Get64(Dir.Zip64Locator + zip::zip64::LocatorRecordOffset);
    if (!Input.Read(recordAt, Dir.Zip64EndRecord, zip::Zip64EndRecordSize) ||
        zip::Get32(Dir.Zip64EndRecord + zip::zip64::RecordSignature) != zip::Zip64EndRecordSignature)
        throw MakeZipError(ComponentName, zecNoZip64EndRecord);
    Dir.HasZip64 = true;
    Dir.Zip64EndRecordPosition = recordAt;
}

} // namespace

bool LocateEndRecord(TZAInput& Input, const std::string& ComponentName, TZADirManager& Dir)
{
    const uint64_t size = Input.Size();
    const uint64_t tailLength = size < TailSize ? size : TailSize;
    const uint64_t tailStart = size - tailLength;
    std::vector<uint8_t> tail(static_cast<size_t>(tailLength));
    if (!Input.Read(tailStart, tail.data(), tail.size()))
        return false;

    // Backwards from the last byte: the first candidate whose comment reaches exactly to the
    // end of the file wins, so a signature inside a comment is not taken.
    for (size_t i = tail.size(); i-- > 3;) {
        if (tail[i] != 0x06 || tail[i - 1] != 0x05 || tail[i - 2] != 0x4B || tail[i - 3] != 0x50)
            continue;
        const size_t at = i - 3;
        const uint64_t remaining = tail.size() - at;
        if (remaining < zip::EndRecordSize)
            continue;
        // length of the archive comment
        const uint16_t commentLength = zip::Get16(&tail[at + zip::endrec::CommentLength]);
        if (commentLength != remaining - zip::EndRecordSize)
            continue;
        std::memcpy(Dir.EndRecord.Bytes, &tail[at], zip::EndRecordSize);
        Dir.HasEndRecord = true;
        Dir.EndRecordPosition = tailStart + at;
        Dir.Comment.assign(reinterpret_cast<const char*>(&tail[at + zip::EndRecordSize]), commentLength);
        ReadZip64Records(Input, ComponentName, Dir);
        return true;
    }
    return false;
}
