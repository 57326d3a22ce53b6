// The silent installation: the settings file read as the unattended run reads it (or the
// pages' defaults), the pages' checks before anything changes, the payload checked in memory,
// the earlier installation removed, then the one installation sequence behind a sink that
// writes only the log file, its files coming straight from the payload.
#include "SilentRun.h"

#include <windows.h>

#include <objbase.h>

#include <memory>
#include <optional>

#include "Application.h"
#include "BriCommon.h"
#include "InstallRules.h"
#include "InstallRun.h"
#include "LogOnlySink.h"
#include "MessageBoxes.h"
#include "PayloadResource.h"
#include "PayloadSource.h"
#include "Product.h"
#include "RunLog.h"
#include "ServiceLibrary.h"
#include "SettingsChoices.h"
#include "SingleInstance.h"
#include "unit_Setup_Main.h"

namespace {

class SilentInstallation {
public:
    SilentInstallation(const CommandLineOptions& Options, RunLog& Log)
        : options_(Options), log_(Log), sink_([&Log](const std::string& Text, bool Error) { Log.LogLine(Text, Error); },
                                              [&Log](const std::string& Text) { Log.Note(Text); }),
          run_(sink_)
    {
        run_.StartProgramWindow = false;
        run_.RequiresFile = [this](const std::string& Line) { return payload_.EntryOf(Line) >= 0; };
    }
    int Run();

private:
    bool ReadSettingsFile();
    // Opens the payload and checks every entry that its manifest names; the exit code of a
    // payload that cannot be installed, nothing when it can.
    std::optional<int> CheckPayload();
    int Install(const SilentChoices& Choices, const std::string& Folder);

    const CommandLineOptions& options_;
    RunLog& log_;
    LogOnlySink sink_;
    InstallRun run_;
    std::unique_ptr<TAuto> settings_;
    PayloadSource payload_;
};

bool SilentInstallation::ReadSettingsFile()
{
    const std::string path =
        options_.SettingsFile.empty() ? GetProgramFolder() + UnattendedFileName : options_.SettingsFile;
    if (!IsExistingFile(path)) {
        if (!options_.SettingsFile.empty()) {
            sink_.Inform("Cannot find the settings file " + path);
            return false;
        }
        log_.Note("Settings file: none, the pages' defaults apply");
        return true;
    }
    try {
        settings_ = std::make_unique<TAuto>(path);
    } catch (const std::exception& e) {
        sink_.Inform(Application::ErrorBoxText(e.what()));
        return false;
    }
    log_.Note("Settings file: " + path);
    for (const std::string& note : settings_->Notes())
        log_.Note(note);
    return true;
}

std::optional<int> SilentInstallation::CheckPayload()
{
    const void* data = nullptr;
    size_t size = 0;
    const bool opened = FindPayload(data, size) && payload_.Open(data, size);
    if (opened && !payload_.LoadManifest() && payload_.Failure().empty()) {
        sink_.Inform(MissingManifestMessage);
        return ecStoppedEarly;
    }
    if (!opened || !payload_.Failure().empty() || !payload_.CheckEntries()) {
        sink_.Log(payload_.Failure(), true);
        sink_.Inform(NotUnzippedMessage);
        return ecNotUnpacked;
    }
    return std::nullopt;
}

int SilentInstallation::Run()
{
    log_.Note("Silent: yes");
    run_.FinishInterruptedUpgrade();
    if (!ReadSettingsFile())
        return ecSettingsRefused;

    const PlatformDefaults platform = DecidePlatformDefaults(IsNtPlatform(), IsAdministrator());
    if (platform.ShowAdministratorNotice)
        sink_.Inform(AdministratorNotice);
    const std::string recorded = RecordedInstallFolder();
    SilentChoices choices = ChooseSilently(settings_.get(), ProposedInstallFolder(recorded), platform);
    if (!options_.InstallDir.empty())
        choices.Folder = options_.InstallDir; // /dir, checked below as the Folders page checks its folder
    const std::string refusal = RefusalOf(choices);
    if (!refusal.empty()) {
        run_.NoteSettings(choices.Folder, choices.CreateIcons, TakeSettings(choices.Settings));
        sink_.Inform(refusal);
        return ecSettingsRefused;
    }

    // The payload is read and every entry that the manifest needs is checked before
    // anything on the system changes.
    if (const std::optional<int> refused = CheckPayload())
        return *refused;

    // Leaving the Folders page: the earlier installation's uninstaller, closing by itself,
    // then the folder. What keeps the wizard on that page refuses the settings.
    std::optional<std::string> folder;
    FolderRequest request = {!recorded.empty(), recorded, choices.Folder, true};
    request.ServiceType = TakeSettings(choices.Settings).InstallKind == ikService;
    try {
        folder = run_.LeaveFolders(request, payload_);
    } catch (const std::exception& e) {
        sink_.Inform(Application::ErrorBoxText(e.what()));
    }
    if (!folder)
        return run_.ExitCodeAfterRefusal(ecSettingsRefused);
    return Install(choices, *folder);
}

int SilentInstallation::Install(const SilentChoices& Choices, const std::string& Folder)
{
    // Only the service library is checked against its digest, when it is loaded.
    payload_.TakesDigest = [](const std::string& Line) { return SameFileName(Line, ServiceLibraryFile); };

    // Shell links need a single-threaded apartment; starting one costs a run without
    // shortcuts a good part of its time, under Wine more than the whole copy.
    struct Apartment {
        bool Started;
        ~Apartment()
        {
            if (Started)
                CoUninitialize();
        }
    } com{Choices.CreateIcons && SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))};

    try {
        return run_.Install(payload_, Folder, Choices.CreateIcons, TakeSettings(Choices.Settings));
    } catch (const std::exception& e) {
        sink_.Log(Application::ErrorBoxText(e.what()), true);
        return run_.ExitCodeAfterRefusal(ecStoppedEarly);
    }
}

// Started by Windows at its start after an upgrade was cut off: finishes it, and nothing else.
int FinishUpgrade(const CommandLineOptions& Options)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    if (ClaimSingleInstance() == SingleInstance::AnotherCopy)
        return ecNotInstalled; // the installer that runs finishes it first
    RunLog log;
    log.Open(RunLogPath(Options));
    LogOnlySink sink([&log](const std::string& Text, bool Error) { log.LogLine(Text, Error); },
                     [&log](const std::string& Text) { log.Note(Text); });
    InstallRun(sink).FinishInterruptedUpgrade();
    const int exitCode = sink.ErrorLines() > 0 ? ecInstalledWithErrors : ecInstalled;
    log.Note("Exit code " + std::to_string(exitCode));
    return exitCode;
}

int RunSilently(const CommandLineOptions& Options)
{
    // Nothing may wait for an answer: no system box for a drive that is not ready, a file
    // that cannot be opened or a crash.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    // Another installer runs: its log file stays its own, and only the exit code tells.
    if (ClaimSingleInstance() == SingleInstance::AnotherCopy)
        return ecNotInstalled;
    RunLog log;
    log.Open(RunLogPath(Options)); // without its file the run goes on all the same
    const int exitCode = SilentInstallation(Options, log).Run();
    log.Note("Exit code " + std::to_string(exitCode));
    return exitCode;
}

// The usage asked for with /silent: nobody would see a box, and nobody could close it.
int WriteUsageToLog(const CommandLineOptions& Options)
{
    RunLog log;
    log.Open(RunLogPath(Options));
    for (const std::string& line : SplitTextLines(UsageText))
        if (!line.empty())
            log.Note(line);
    log.Note("Exit code " + std::to_string(ecInstalled));
    return ecInstalled;
}

int RefuseCommandLine(const CommandLineOptions& Options)
{
    RunLog log;
    log.Open(RunLogPath(Options));
    log.LogLine(Options.Error, true);
    log.Note("Exit code " + std::to_string(ecBadCommandLine));
    if (!Options.Silent)
        InformationBox(Options.Error + "\n\n" + UsageText);
    return ecBadCommandLine;
}

} // namespace

std::string RunLogPath(const CommandLineOptions& Options)
{
    if (!Options.LogFile.empty())
        return Options.LogFile;
    const std::string temp = GetSpecialFolder(sfTemp);
    return temp.empty() ? std::string() : temp + RunLogFileName;
}

int RunWithoutWizard(const CommandLineOptions& Options)
{
    if (!Options.Error.empty())
        return RefuseCommandLine(Options);
    if (Options.Usage && Options.Silent)
        return WriteUsageToLog(Options);
    if (Options.Usage) {
        InformationBox(UsageText);
        return ecInstalled;
    }
    if (Options.Finish)
        return FinishUpgrade(Options);
    return RunSilently(Options);
}
