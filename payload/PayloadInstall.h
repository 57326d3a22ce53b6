// Installing the product's files straight from the payload that the program carries in
// memory: the manifest read from the archive, every entry it names checked before the first
// file is written, then each entry written to its place in the installation folder. Nothing
// of the product passes through the temporary folder, where any program of the user may
// write.
#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "InstallSink.h"
#include "PayloadExtraction.h"
#include "ZipArchive.h"

class PayloadInstall {
public:
    PayloadInstall();
    PayloadInstall(const PayloadInstall&) = delete;
    PayloadInstall& operator=(const PayloadInstall&) = delete;

    // Opens the archive: Size bytes at Data, which stay in place until this object goes.
    // False, with Failure() telling why, when it cannot be read.
    bool Open(const void* Data, size_t Size);

    // Reads the manifest's lines from the archive. False when the payload holds no manifest
    // (Failure() empty) or its data fail their checks (Failure() tells).
    bool ReadManifest();
    const std::vector<std::string>& Manifest() const { return manifest_; }

    // Decrypts, inflates and checks the data of every entry that a manifest line names, and
    // writes nothing. False, with Failure() telling why, at the first entry that fails.
    bool CheckEntries();

    enum class PlaceResult {
        Done,    // every line handled; the lines that failed wrote their error line
        Stopped, // the sink asked to stop
        Damaged, // an entry failed its checks after all: the caller removes what was written
    };
    // Writes the file of each manifest line to InstallDir (ending with a backslash) + the
    // line, with the log lines and progress of a copy: "Creating" for a folder made anew,
    // "File ... copied", or "Could'nt copy" for a line that names no entry of the payload,
    // would leave the folder, or cannot be written.
    PlaceResult PlaceFiles(const std::string& InstallDir, InstallSink& Sink);

    // Which manifest lines get the digest of their file taken as it is written (the files that
    // are loaded as code later); every line when not set.
    std::function<bool(const std::string& Line)> TakesDigest;

    // What PlaceFiles wrote, with the digests taken as the files were written.
    const UnpackRecord& Written() const { return written_; }
    void DeleteWritten() { DeleteUnpacked(written_); }

    const std::string& Failure() const { return failure_; }

    // The entry that a manifest line names, or -1: none, or a line whose file would not lie
    // below the installation folder.
    int EntryOf(const std::string& Line) const;

private:
    void FinishDigest();

    TZipArchive unzip_;
    std::vector<std::string> manifest_;
    UnpackRecord written_;
    std::set<std::string> folders_; // folders known to exist
    bool hashing_ = false;          // the data of the file being written are hashed
    std::string hashedPath_;        // the file whose data are being hashed
    Sha256 hash_;
    std::string failure_;
};
