// Copying the files that the manifest names from the unpacked folder into the installation
// folder.
#include <fstream>
#include <iterator>

#include "BriCommon.h"
#include "BriErrors.h"
#include "Common_Custom.h"
#include "InstallRules.h"
#include "Installation.h"
#include "Product.h"

namespace {

std::vector<std::string> ReadManifest(const std::string& Path)
{
    std::ifstream file(Path, std::ios::binary);
    if (!file)
        throw EInOutError(ERROR_ACCESS_DENIED, "Cannot open file \"" + Path + "\"");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        throw EInOutError(ERROR_READ_FAULT, "Cannot read the file " + Path);
    return SplitTextLines(text);
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
    if (!IsExistingFile(manifest)) {
        sink_.Inform(MissingManifestMessage);
        sink_.CloseWizard();
        return false;
    }
    const std::vector<std::string> lines = ReadManifest(manifest);
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
    if (!FolderExists(target)) {
        if (CreateFolderPath(target))
            Log(LogLine::Creating(target));
        else
            Log(LogLine::CouldNotCreate(target), true); // the copy is tried all the same
    }
    ++CopyCount;
    sink_.SetProgress(CopyProgress(CopyCount, EntryCount));
    sink_.ProcessMessages();
    if (CopyFileA((source + entry.File).c_str(), (target + entry.File).c_str(), FALSE))
        Log(LogLine::FileCopied(target, entry.File));
    else
        Log(LogLine::CouldNotCopy(target, entry.File), true);
}
