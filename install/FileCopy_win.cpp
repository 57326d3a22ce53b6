// Copying the files that the manifest names from the unpacked folder into the installation
// folder. The unpacked folder may be written by other programs of the user while this program
// runs elevated: the manifest and every file are used only while they still have the content
// that the unpacker wrote, and no line may name a place outside the installation folder.
#include "BriCommon.h"
#include "Common_Custom.h"
#include "InstallRules.h"
#include "Installation.h"
#include "Product.h"
#include "UnpackedFile.h"

namespace {

const Sha256Digest* DigestOf(const InstallSettings& Settings, const std::string& Path)
{
    return Settings.UnpackedDigest ? Settings.UnpackedDigest(Path) : nullptr;
}

} // namespace

bool TInstallation::CopyFiles()
{
    sink_.Busy(true);
    // In every case the copy ends with Done available and Cancel not.
    struct End {
        InstallSink& Sink;
        ~End() { Sink.CopyEnded(); }
    } end{sink_};

    const std::string manifest = settings_.SourceDir + ManifestFile;
    std::string text;
    const bool found = IsExistingFile(manifest);
    if (!found || !ReadUnpackedFile(manifest, DigestOf(settings_, manifest), text)) {
        if (found)
            Log(MissingManifestMessage, true); // there, but not as it was unpacked
        sink_.Inform(MissingManifestMessage);
        sink_.CloseWizard();
        return false;
    }
    const std::vector<std::string> lines = SplitTextLines(text);
    EntryCount = static_cast<int32_t>(lines.size());
    for (const std::string& line : lines) {
        CopyManifestLine(line);
        if (sink_.StopRequested())
            return false; // after the current file, as the user asked
    }
    return true;
}

void TInstallation::CopyManifestLine(const std::string& Line)
{
    const ManifestEntry entry = SplitManifestLine(Line);
    const std::string source = settings_.SourceDir + entry.Folder;
    const std::string target = settings_.InstallDir + entry.Folder;
    const bool inside = ManifestLineStaysInside(Line);
    if (inside && !FolderExists(target)) {
        if (CreateFolderPath(target))
            Log(LogLine::Creating(target));
        else
            Log(LogLine::CouldNotCreate(target), true); // the copy is tried all the same
    }
    ++CopyCount;
    sink_.SetProgress(CopyProgress(CopyCount, EntryCount));
    sink_.ProcessMessages();
    const std::string from = source + entry.File;
    if (inside && CopyUnpackedFile(from, DigestOf(settings_, from), target + entry.File))
        Log(LogLine::FileCopied(target, entry.File));
    else
        Log(LogLine::CouldNotCopy(target, entry.File), true);
}
