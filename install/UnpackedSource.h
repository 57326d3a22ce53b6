// The product as the unpacker wrote it, below the temporary folder or beside the program. Other
// programs of the user may write there while this program runs elevated: the manifest and every
// file are used only while they still have the content that the unpacker wrote.
#pragma once

#include <functional>

#include "ProductSource.h"

class UnpackedSource : public ProductSource {
public:
    // The digest the unpacker took of a file it wrote, or nullptr for a file it did not write.
    using DigestLookup = std::function<const Sha256Digest*(const std::string& Path)>;

    // Folder ends with a backslash.
    UnpackedSource(std::string Folder, DigestLookup Digests);

    ManifestState ReadManifest(std::vector<std::string>& Lines) override;
    Placed Place(const std::string& Line, const std::string& Target) override;
    const Sha256Digest* DigestOf(const std::string& Path) const override;
    std::optional<std::string> OwnFolder() const override { return folder_; }
    uint64_t ProductBytes() override;
    uint64_t BytesOf(const std::string& Line) override;

private:
    std::string folder_;
    DigestLookup digests_;
};
