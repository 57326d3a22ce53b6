// The unpacker's work apart from its window: writing the embedded archive to a file,
// extracting it with the reader (its settings set once, here), and the record of what the
// run wrote, so that exactly that, and nothing a user put beside it, can be removed again.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Sha256.h"
#include "ZipArchive.h"
#include "ZipFileSystem.h"

// What one extraction wrote: the files, and the folders it had to create (outermost first),
// and the SHA-256 digest of each file's content as it was written. Every folder that the
// files lie in below the base folder stays held open as long as the record lives, so that
// none can be renamed or swapped for a link to another place before the files are used or
// deleted.
struct UnpackRecord {
    std::string Base; // the folder the archive was extracted below, ending with a backslash
    std::vector<std::string> Files;
    std::vector<std::string> Folders;
    std::map<std::string, Sha256Digest> Digests;
    std::map<std::string, std::unique_ptr<zipfs::TZAFolderHold>> HeldFolders;
    bool Empty() const { return Files.empty() && Folders.empty(); }
    // The digest of the file written at Path (letter case aside, as the file system has it),
    // or nullptr when this extraction did not write it.
    const Sha256Digest* DigestOf(const std::string& Path) const;
};

// Deletes the recorded files, then each recorded folder that is empty by then, innermost
// first, and clears the record. Nothing else is touched: a file that a user put inside an
// extracted folder stays, and so do the folders that hold it; nothing below a folder that
// has become a link is deleted, and no link is entered.
void DeleteUnpacked(UnpackRecord& Record);

class PayloadExtraction {
public:
    PayloadExtraction();
    ~PayloadExtraction();
    PayloadExtraction(const PayloadExtraction&) = delete;
    PayloadExtraction& operator=(const PayloadExtraction&) = delete;

    // The reader. Its owner binds AfterOpen, OnFileProgress and OnOverallProgress (which
    // may cancel the run); everything else is set here.
    TZipArchive Unzip;

    // Writes Size bytes to a new file ArchivePath and keeps it open, so that nobody else may
    // change, rename or delete it until ReleaseArchive. False on any failure, an existing
    // file or link at ArchivePath among them (it is left as it is); a partly written file is
    // removed.
    bool WriteArchive(const std::string& ArchivePath, const void* Data, size_t Size);
    // Closes the archive that WriteArchive made and deletes it. Nothing else is deleted.
    void ReleaseArchive();

    // Extracts every entry of ArchivePath below BaseFolder (ending with a backslash). False
    // when the archive cannot be opened or read, when an entry's data fail their checks, when
    // an entry's place below BaseFolder is or passes through a link (nothing is written
    // through one), or when the user answered Abort for a file or folder that cannot be
    // created. A cancel through OnOverallProgress stops the run quietly; its caller decides
    // what it means.
    bool Extract(const std::string& ArchivePath, const std::string& BaseFolder);

    // What the runs of this object have written since the last Take or Delete.
    const UnpackRecord& Written() const { return written_; }
    UnpackRecord TakeWritten();
    void DeleteWritten() { DeleteUnpacked(written_); }

private:
    void EntryFailed(int NativeError, const std::string& ErrorMessage, TZAAction& Action);
    void FinishDigest();
    bool HoldPlaceOf(const std::string& EntryName);
    bool HoldFolder(const std::string& Folder);

    UnpackRecord written_;
    std::string hashedPath_; // the file whose data are being hashed
    Sha256 hash_;
    bool entryFailed_ = false; // an entry could not be extracted sound, and nobody chose to go on
    bool linkFound_ = false;   // an entry's place is a link: this and every later entry are skipped
    zipfs::TZAWriteFile archive_;
    std::string archivePath_; // set while archive_ is ours to delete
};
