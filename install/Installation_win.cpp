// The sequence of the installation and its post-install part.
#include "Installation.h"

#include <algorithm>

#include "BriCommon.h"
#include "InstallRules.h"

TInstallation::TInstallation(InstallSettings Settings, ProductSource& Source, InstallSink& Sink)
    : settings_(std::move(Settings)), source_(Source), sink_(Sink)
{
}

InstallOutcome TInstallation::Install()
{
    CopyCount = 0;
    CopyComplete = true;
    ServiceLib = TServiceLib();
    const bool service = settings_.InstallKind == ikService;
    struct FreeAtEnd { // the library goes last, also when a step raises
        TInstallation& Self;
        bool Service;
        ~FreeAtEnd()
        {
            if (Service)
                Self.FreeServiceLibrary();
        }
    } freeAtEnd{*this, service};

    // Before any file is written: the earlier service may still run from the folder.
    if (settings_.ReplaceEarlierRecords)
        RemoveEarlierRecords();
    // The library comes from the product's own folder before the copy where the source has
    // one; otherwise from the installation folder, once the copy has placed and checked it.
    const std::optional<std::string> ownFolder = source_.OwnFolder();
    if (service && ownFolder)
        LoadServiceLibrary(*ownFolder);
    const InstallOutcome copied = CopyFiles();
    if (copied != InstallOutcome::Completed)
        return copied;
    if (!PlacedEvery(settings_.RequiredFiles))
        return InstallOutcome::Incomplete;
    if (service && !ownFolder)
        LoadServiceLibrary(settings_.InstallDir);
    PostInstall();
    return InstallOutcome::Completed;
}

bool TInstallation::PlacedEvery(const std::vector<std::string>& Lines) const
{
    // A file that waits beside one in use for the next start of Windows counts as placed.
    return std::all_of(Lines.begin(), Lines.end(), [&](const std::string& Line) {
        const std::string path = settings_.InstallDir + Line;
        return std::any_of(Placed.Files.begin(), Placed.Files.end(),
                           [&](const std::string& File) { return SameFileName(File, path); }) ||
               std::any_of(Placed.Staged.begin(), Placed.Staged.end(),
                           [&](const PlacedFiles::StagedFile& File) { return SameFileName(File.Path, path); });
    });
}

void TInstallation::PostInstall()
{
    sink_.Busy(true);
    struct Restore {
        InstallSink& Sink;
        ~Restore() { Sink.Busy(false); }
    } restore{sink_};
    Log(LogLine::PostInstall);
    WriteSettings();
    RegisterService();
    WriteAutostart();
    WriteUninstallEntry();
    if (settings_.EarlierVersionKept && !NewVersionStands())
        return;
    if (settings_.CreateIcons)
        CreateStartMenuIcons();
    StartProgram();
}
