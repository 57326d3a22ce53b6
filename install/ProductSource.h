// Where the product's files come from: the folder the unpacker wrote (the wizard), or the
// payload that the program carries in memory (a silent run). The installation copies through
// one loop from either; what differs is how a file is read and checked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Sha256.h"

class ProductSource {
public:
    virtual ~ProductSource() = default;

    enum class ManifestState {
        Read,
        Missing, // there is no manifest
        Changed, // there is one, but not with the content the product came with: it is not used
    };
    // The manifest's lines (SplitTextLines).
    virtual ManifestState ReadManifest(std::vector<std::string>& Lines) = 0;

    enum class Placed {
        Written,
        NotWritten, // the file is missing, was changed, or Target cannot be written
        Damaged,    // the product's own data failed their checks: nothing more may be placed
    };
    // Writes the file that a manifest line names (one that names a file inside the folder) to
    // Target, replacing what is there.
    virtual Placed Place(const std::string& Line, const std::string& Target) = 0;

    // The digest of the file at Path as the product came with it: a file of the source's own
    // folder, or one that Place wrote; nullptr when the source knows none.
    virtual const Sha256Digest* DigestOf(const std::string& Path) const = 0;

    // The folder of the product's files, ending with a backslash, when the source has one: the
    // service library is then loaded from there before the copy. Without one it is loaded from
    // the installation folder once the files are placed.
    virtual std::optional<std::string> OwnFolder() const = 0;

    // The bytes that the files of the manifest take once placed, and that of one line's file
    // (0 when the source does not know it).
    virtual uint64_t ProductBytes() = 0;
    virtual uint64_t BytesOf(const std::string& Line) { (void)Line; return 0; }

    // What the last call found wrong, for the log; empty when it has nothing to add.
    virtual std::string Failure() const { return std::string(); }
};
