// The unpacker's work apart from its window: writing the embedded archive to a file,
// extracting it with the reader (its settings set once, here), and the record of what the
// run wrote, so that exactly that, and nothing a user put beside it, can be removed again.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "Sha256.h"
#include "ZipArchive.h"

// What one extraction wrote: the files, and the folders it had to create (outermost first),
// and the SHA-256 digest of each file's content as it was written.
struct UnpackRecord {
    std::vector<std::string> Files;
    std::vector<std::string> Folders;
    std::map<std::string, Sha256Digest> Digests;
    bool Empty() const { return Files.empty() && Folders.empty(); }
    // The digest of the file written at Path (letter case aside, as the file system has it),
    // or nullptr when this extraction did not write it.
    const Sha256Digest* DigestOf(const std::string& Path) const;
};

// Deletes the recorded files, then each recorded folder that is empty by then, innermost
// first, and clears the record. Nothing else is touched: a file that a user put inside an
// extracted folder stays, and so do the folders that hold it.
void DeleteUnpacked(UnpackRecord& Record);

class PayloadExtraction {
public:
    PayloadExtraction();
    PayloadExtraction(const PayloadExtraction&) = delete;
    PayloadExtraction& operator=(const PayloadExtraction&) = delete;

    // The reader. Its owner binds AfterOpen, OnFileProgress and OnOverallProgress (which
    // may cancel the run); everything else is set here.
    TZipArchive Unzip;

    // Writes Size bytes to ArchivePath, creating or replacing the file. False on any failure;
    // a partly written file is removed.
    static bool WriteArchive(const std::string& ArchivePath, const void* Data, size_t Size);

    // Extracts every entry of ArchivePath below BaseFolder (ending with a backslash). False
    // when the archive cannot be opened or read, when an entry's data fail their checks, or
    // when the user answered Abort for a file or folder that cannot be created. A cancel
    // through OnOverallProgress stops the run quietly; its caller decides what it means.
    bool Extract(const std::string& ArchivePath, const std::string& BaseFolder);

    // What the runs of this object have written since the last Take or Delete.
    const UnpackRecord& Written() const { return written_; }
    UnpackRecord TakeWritten();
    void DeleteWritten() { DeleteUnpacked(written_); }

private:
    void EntryFailed(int NativeError, const std::string& ErrorMessage, TZAAction& Action);
    void FinishDigest();

    UnpackRecord written_;
    std::string hashedPath_; // the file whose data are being hashed
    Sha256 hash_;
    bool entryFailed_ = false; // an entry could not be extracted sound, and nobody chose to go on
};
