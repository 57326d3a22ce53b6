#include "PayloadInstall.h"

#include "BriCommon.h"
#include "InstallRules.h"
#include "PayloadPassword.h"
#include "Product.h"
#include "ZipFileSystem.h"
#include "ZipPaths.h"

namespace {

// Where the product's files lie in the archive.
const char* const PayloadTopFolder = "Distro/";
// More than any manifest needs; a larger entry is no manifest.
const size_t ManifestMaxSize = 1 << 20;

} // namespace

PayloadInstall::PayloadInstall() : unzip_("Unzip")
{
    unzip_.FileName = "DISTRO";
    unzip_.Password = PayloadPassword;
    unzip_.ExtractCorruptedFiles = false;
    unzip_.Options.CreateDirs = true;
    unzip_.Options.OEMFileNames = true;
    unzip_.Options.OverwriteMode = omAlways;
    unzip_.Options.ReplaceReadOnly = true;
    // A file made anew has the archive attribute already: only other attributes are set.
    unzip_.Options.SetAttributes = false;
    // Nobody is asked anything: a wrong password skips the entry, which fails it.
    unzip_.OnPassword = [](TZABaseArchiver*, const std::string&, std::string&, bool& SkipFile) { SkipFile = true; };
    unzip_.AfterCreatePath = [this](TZABaseArchiver*, const std::string& Path, bool IsFolder) {
        if (IsFolder) {
            written_.Folders.push_back(Path);
            return;
        }
        written_.Files.push_back(Path);
        FinishDigest();
        if (hashing_)
            hashedPath_ = Path;
    };
    unzip_.OnFileData = [this](TZABaseArchiver*, const uint8_t* Data, size_t Length) {
        if (!hashedPath_.empty())
            hash_.Update(Data, Length);
    };
}

bool PayloadInstall::Open(const void* Data, size_t Size)
{
    failure_.clear();
    try {
        unzip_.OpenMemory(Data, Size);
        return true;
    } catch (const std::exception& e) {
        failure_ = e.what();
        return false;
    }
}

int PayloadInstall::EntryOf(const std::string& Line) const
{
    // The copy's rule: no line names a place outside the installation folder.
    if (Line.empty() || Line.back() == '\\' || !ManifestLineStaysInside(Line) || zippath::IsUnsafeEntryName(Line))
        return -1;
    const int index = unzip_.IndexOf(PayloadTopFolder + Line);
    return index >= 0 && !unzip_.Directory().Items[static_cast<size_t>(index)].IsFolder() ? index : -1;
}

bool PayloadInstall::ReadManifest()
{
    failure_.clear();
    manifest_.clear();
    const int index = EntryOf(ManifestFile);
    std::string text;
    try {
        if (index < 0)
            return false;
        if (!unzip_.ReadItemAt(index, text, ManifestMaxSize)) {
            failure_ = std::string("The password does not open ") + ManifestFile;
            return false;
        }
    } catch (const std::exception& e) {
        failure_ = e.what();
        return false;
    }
    manifest_ = SplitTextLines(text);
    return true;
}

bool PayloadInstall::CheckEntries()
{
    for (const std::string& line : manifest_) {
        const int index = EntryOf(line);
        if (index < 0)
            continue; // named by the manifest but not carried: its line fails as a copy would
        try {
            if (!unzip_.TestItemAt(index)) {
                failure_ = "The password does not open " + line;
                return false;
            }
        } catch (const std::exception& e) {
            failure_ = line + ": " + e.what();
            return false;
        }
    }
    return true;
}

PayloadInstall::PlaceResult PayloadInstall::PlaceFiles(const std::string& InstallDir, InstallSink& Sink)
{
    Sink.Busy(true);
    struct End { // the copy ends as a copy from the unpacked folder ends, whatever way
        InstallSink& Sink;
        ~End() { Sink.CopyEnded(); }
    } end{Sink};

    // Every file goes to the same drive: asked once, not for each file.
    unzip_.Options.FlushBuffers = zipfs::IsRemovableDrive(InstallDir);
    const int32_t count = static_cast<int32_t>(manifest_.size());
    int32_t done = 0;
    for (const std::string& line : manifest_) {
        const ManifestEntry entry = SplitManifestLine(line);
        const std::string target = InstallDir + entry.Folder;
        const int index = EntryOf(line);
        if (index >= 0 && !folders_.count(target)) {
            if (zipfs::DirectoryExists(target)) {
                folders_.insert(target);
            } else if (zippath::ForceDirectories(target, &written_.Folders)) {
                folders_.insert(target);
                Sink.Log(LogLine::Creating(target), false);
            } else {
                Sink.Log(LogLine::CouldNotCreate(target), true);
            }
        }
        Sink.SetProgress(CopyProgress(++done, count));
        Sink.ProcessMessages();

        bool written = false;
        try {
            if (index >= 0) {
                hashing_ = !TakesDigest || TakesDigest(line);
                const std::string path = target + entry.File;
                written = unzip_.ExtractItemTo(index, path);
                if (!written) {
                    failure_ = "The password does not open " + line;
                    return PlaceResult::Damaged;
                }
                const uint32_t attributes = unzip_.Directory().Items[static_cast<size_t>(index)].ExternalAttributes();
                if (attributes != zipfs::AttrArchive)
                    zipfs::SetAttributes(path, attributes);
            }
        } catch (const EZAException& e) {
            if (e.NativeError == zecCorruptedData) {
                failure_ = line + ": " + e.what();
                return PlaceResult::Damaged;
            }
        }
        FinishDigest();
        if (written)
            Sink.Log(LogLine::FileCopied(target, entry.File), false);
        else
            Sink.Log(LogLine::CouldNotCopy(target, entry.File), true);
        if (Sink.StopRequested())
            return PlaceResult::Stopped;
    }
    return PlaceResult::Done;
}

void PayloadInstall::FinishDigest()
{
    if (!hashedPath_.empty())
        written_.Digests[hashedPath_] = hash_.Finish();
    hashedPath_.clear();
    hash_ = Sha256();
}
