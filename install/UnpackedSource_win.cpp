#include "UnpackedSource.h"

#include "BriCommon.h"
#include "Manifest.h"
#include "Product.h"
#include "UnpackedFile.h"

UnpackedSource::UnpackedSource(std::string Folder, DigestLookup Digests)
    : folder_(std::move(Folder)), digests_(std::move(Digests))
{
}

ProductSource::ManifestState UnpackedSource::ReadManifest(std::vector<std::string>& Lines)
{
    const std::string manifest = folder_ + ManifestFile;
    std::string text;
    if (!IsExistingFile(manifest))
        return ManifestState::Missing;
    if (!ReadUnpackedFile(manifest, DigestOf(manifest), text))
        return ManifestState::Changed;
    Lines = SplitTextLines(text);
    return ManifestState::Read;
}

ProductSource::Placed UnpackedSource::Place(const std::string& Line, const std::string& Target)
{
    const std::string from = folder_ + Line;
    return CopyUnpackedFile(from, DigestOf(from), Target) ? Placed::Written : Placed::NotWritten;
}

uint64_t UnpackedSource::ProductBytes()
{
    std::vector<std::string> lines;
    uint64_t bytes = 0;
    if (ReadManifest(lines) == ManifestState::Read)
        for (const std::string& file : InstalledFiles(lines))
            bytes += BytesOf(file);
    return bytes;
}

uint64_t UnpackedSource::BytesOf(const std::string& Line)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA((folder_ + Line).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

const Sha256Digest* UnpackedSource::DigestOf(const std::string& Path) const
{
    return digests_ ? digests_(Path) : nullptr;
}
