// The copy: every line of the manifest placed from the product's source into the installation
// folder, with a log line for each folder made and each file, and the bar moving by lines. No
// line may name a place outside the installation folder (Manifest.h).
#include <algorithm>

#include "BriCommon.h"
#include "Common_Custom.h"
#include "InstallRules.h"
#include "Installation.h"
#include "Manifest.h"
#include "PendingRenames_win.h"
#include "UnpackedFile.h"

namespace {

enum class Removal {
    Gone,   // there was none, or it went
    InUse,  // another program holds it open, or runs it
    Failed, // read-only, or refused otherwise
};

// An existing file is replaced by a new one, never written into: nothing of a file that somebody
// else put there stays (its permissions, the letter case of its name). One that is read-only
// cannot be replaced, as a copy over it would fail; one in use waits for the next start of Windows.
Removal RemoveReplacedFile(const std::string& Path)
{
    if (DeleteFileA(Path.c_str()))
        return Removal::Gone;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return Removal::Gone;
    // A program that runs from the file refuses its deletion as access denied.
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    return error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && !readOnly) ? Removal::InUse
                                                                                            : Removal::Failed;
}

bool Named(const std::vector<std::string>& Files, const std::string& Line)
{
    return std::any_of(Files.begin(), Files.end(), [&](const std::string& File) { return SameFileName(File, Line); });
}

// The drive of Path has less room than Bytes: a write there failed for want of space.
bool NoRoomFor(const std::string& Path, uint64_t Bytes)
{
    ULARGE_INTEGER available = {};
    const std::string folder = Path.substr(0, Path.find_last_of('\\') + 1);
    return GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr) && available.QuadPart < Bytes + 1;
}

} // namespace

std::string StagedName(const std::string& Path)
{
    return Path + ".bb7-restart";
}

InstallOutcome TInstallation::CopyFiles()
{
    sink_.Busy(true);
    sink_.CopyStarted();
    // In every case the copy ends with Done available and Cancel not.
    struct End {
        InstallSink& Sink;
        ~End() { Sink.CopyEnded(); }
    } end{sink_};

    std::vector<std::string> lines;
    switch (source_.ReadManifest(lines)) {
    case ProductSource::ManifestState::Changed:
        Log(MissingManifestMessage, true); // there, but not as it came with the product
        [[fallthrough]];
    case ProductSource::ManifestState::Missing:
        sink_.Inform(MissingManifestMessage);
        sink_.InstallationAbandoned();
        return InstallOutcome::Stopped;
    case ProductSource::ManifestState::Read:
        break;
    }
    EntryCount = static_cast<int32_t>(lines.size());
    for (const std::string& line : lines) {
        switch (CopyManifestLine(line)) {
        case LineCopy::Damaged: return InstallOutcome::Damaged;
        case LineCopy::NoRoom: return InstallOutcome::NoRoom;
        case LineCopy::Next: break;
        }
        if (sink_.StopRequested())
            return InstallOutcome::Stopped; // after the current file, as the user asked
    }
    return InstallOutcome::Completed;
}

TInstallation::LineCopy TInstallation::CopyManifestLine(const std::string& Line)
{
    const ManifestLine entry = ReadManifestLine(Line);
    const std::string target = settings_.InstallDir + entry.Folder;
    if (entry.StaysInside && !FolderExists(target)) {
        std::string outermost;
        if (CreateFolderPath(target, outermost)) {
            Placed.Folders.push_back({target, outermost});
            Log(LogLine::Creating(target));
        } else {
            Log(LogLine::CouldNotCreate(target), true); // the copy is tried all the same
        }
    }
    ++CopyCount;
    sink_.SetProgress(CopyProgress(CopyCount, EntryCount));
    sink_.ProcessMessages();
    const std::string path = target + entry.File;
    // A file the earlier version kept in use waits for the restart even when let go meanwhile.
    const Removal removal = !entry.NamesFile()                            ? Removal::Failed
                            : Named(settings_.ReplaceAtRestart, Line)     ? Removal::InUse
                                                                          : RemoveReplacedFile(path);
    const std::string written = removal == Removal::InUse ? StagedName(path) : path;
    ProductSource::Placed placed = ProductSource::Placed::NotWritten;
    if (removal == Removal::Gone || (removal == Removal::InUse && RemoveReplacedFile(written) == Removal::Gone))
        placed = source_.Place(Line, written);
    // A file that could not be written where the drive has no room left for it: the copy ends,
    // whatever the source made of the failure.
    if (placed != ProductSource::Placed::Written && removal != Removal::Failed &&
        NoRoomFor(written, source_.BytesOf(Line)))
        return LineCopy::NoRoom;
    if (placed == ProductSource::Placed::Damaged)
        return LineCopy::Damaged;
    if (placed == ProductSource::Placed::Written && removal == Removal::InUse) {
        Placed.Files.push_back(written);
        // What the restart must put in place, read back as it lies there.
        const FileHandle staged = OpenUnchangeable(written);
        Sha256Digest digest;
        if (staged && DigestOfOpenFile(staged.Get(), digest) && ReplaceAtRestart(written, path)) {
            Placed.Staged.push_back({path, digest});
            Log(LogLine::ReplacedAtRestart(target, entry.File));
            return LineCopy::Next;
        }
        placed = ProductSource::Placed::NotWritten;
    }
    if (placed == ProductSource::Placed::Written) {
        Placed.Files.push_back(path);
        Log(LogLine::FileCopied(target, entry.File));
    } else {
        CopyComplete = false;
        Log(LogLine::CouldNotCopy(target, entry.File), true);
    }
    return LineCopy::Next;
}

void TInstallation::RemovePlaced()
{
    for (const PlacedFiles::StagedFile& file : Placed.Staged)
        DropPendingRenamesOf(file.Path);
    for (const std::string& file : Placed.Files)
        DeleteFileA(file.c_str());
    // Deepest first, each only while it is empty: a file of somebody else's keeps its folder.
    for (auto made = Placed.Folders.rbegin(); made != Placed.Folders.rend(); ++made) {
        std::string folder = made->Folder;
        while (folder.size() >= made->Outermost.size()) {
            if (!RemoveDirectoryA(folder.c_str()))
                break;
            const size_t end = folder.find_last_of('\\', folder.size() - 2);
            if (end == std::string::npos)
                break;
            folder.resize(end + 1);
        }
    }
    Placed = PlacedFiles();
}
