// The copy: every line of the manifest placed from the product's source into the installation
// folder, with a log line for each folder made and each file, and the bar moving by lines. No
// line may name a place outside the installation folder (Manifest.h).
#include "BriCommon.h"
#include "Common_Custom.h"
#include "InstallRules.h"
#include "Installation.h"
#include "Manifest.h"

namespace {

// An existing file is replaced by a new one, never written into: nothing of a file that somebody
// else put there stays (its permissions, the letter case of its name). One that is read-only or
// in use cannot be replaced, as a copy over it would fail.
bool RemoveReplacedFile(const std::string& Path)
{
    if (DeleteFileA(Path.c_str()))
        return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

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
        if (!CopyManifestLine(line))
            return InstallOutcome::Damaged;
        if (sink_.StopRequested())
            return InstallOutcome::Stopped; // after the current file, as the user asked
    }
    return InstallOutcome::Completed;
}

bool TInstallation::CopyManifestLine(const std::string& Line)
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
    const ProductSource::Placed placed = entry.NamesFile() && RemoveReplacedFile(path)
                                             ? source_.Place(Line, path)
                                             : ProductSource::Placed::NotWritten;
    if (placed == ProductSource::Placed::Damaged)
        return false;
    if (placed == ProductSource::Placed::Written) {
        Placed.Files.push_back(path);
        Log(LogLine::FileCopied(target, entry.File));
    } else {
        Log(LogLine::CouldNotCopy(target, entry.File), true);
    }
    return true;
}

void TInstallation::RemovePlaced()
{
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
