// The product straight from the payload that the program carries in memory: the manifest read
// from the archive, every entry it names checked before anything on the system changes, then
// each file written to its place in the installation folder. Nothing of the product passes
// through the temporary folder, where any program of the user may write.
//
// Each entry is decrypted and inflated once: what the check inflated is held until the copy
// writes it, up to KeptBytesLimit in all. An entry that does not fit any more is only checked,
// and inflated a second time as it is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ProductSource.h"
#include "ZipArchive.h"

class PayloadSource : public ProductSource {
public:
    PayloadSource();
    PayloadSource(const PayloadSource&) = delete;
    PayloadSource& operator=(const PayloadSource&) = delete;

    // Opens the archive: Size bytes at Data, which stay in place until this object goes.
    // False, with Failure() telling why, when it cannot be read.
    bool Open(const void* Data, size_t Size);

    // Reads the manifest's lines from the archive. False when the payload holds no manifest
    // (Failure() empty) or its data fail their checks (Failure() tells).
    bool LoadManifest();

    // Decrypts, inflates and checks the data of every entry that a manifest line names, and
    // writes nothing; what it inflated is kept for Place within KeptBytesLimit. False, with
    // Failure() telling why, at the first entry that fails.
    bool CheckEntries();

    // The most bytes that CheckEntries holds for the copy: the product is a few MB, and a
    // larger one must not take the memory of a 32-bit process that a machine shares.
    static constexpr uint64_t DefaultKeptBytesLimit = uint64_t{64} << 20;
    uint64_t KeptBytesLimit = DefaultKeptBytesLimit;
    // The bytes held now, between the check and the copy; each goes as its file is placed.
    uint64_t KeptBytes() const { return keptBytes_; }

    // Which manifest lines get the digest of their file taken as it is written (the files that
    // are loaded as code later); every line when not set.
    std::function<bool(const std::string& Line)> TakesDigest;

    // The manifest as LoadManifest read it.
    ManifestState ReadManifest(std::vector<std::string>& Lines) override;
    // Writes the entry that Line names to Target: NotWritten for a line that names no entry of
    // the payload or a Target that cannot be written; Damaged when the entry fails its checks.
    Placed Place(const std::string& Line, const std::string& Target) override;
    // The digest taken as Place wrote the file at Path (letter case aside).
    const Sha256Digest* DigestOf(const std::string& Path) const override;
    std::optional<std::string> OwnFolder() const override { return std::nullopt; }
    uint64_t ProductBytes() override;
    uint64_t BytesOf(const std::string& Line) override;
    std::string Failure() const override { return failure_; }

    // The entry that a manifest line names, or -1: none, or a folder.
    int EntryOf(const std::string& Line) const;

private:
    // Writes what the check inflated for the entry at Index.
    Placed PlaceKept(const std::string& Line, int Index, const std::string& Data, const std::string& Target);

    TZipArchive unzip_;
    bool manifestLoaded_ = false;
    std::vector<std::string> manifest_;
    bool driveAsked_ = false;
    bool hashing_ = false; // the data of the file being written are hashed
    Sha256 hash_;
    std::vector<std::pair<std::string, Sha256Digest>> digests_; // by the path written
    std::map<int, std::string> kept_; // by the entry's index
    uint64_t keptBytes_ = 0;
    std::string failure_;
};
