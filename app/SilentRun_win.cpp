// The silent installation: the settings file and the command line's settings, read strictly
// (or the pages' defaults), the pages' checks before anything changes, the payload checked in memory,
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
#include "LogFilePlace.h"
#include "LogOnlySink.h"
#include "MessageBoxes.h"
#include "PayloadResource.h"
#include "PayloadSource.h"
#include "Product.h"
#include "RunLog.h"
#include "ServiceLibrary.h"
#include "SettingsChoices.h"
#include "SingleInstance.h"
#include "WidePaths.h"
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
    bool ReadSettings();
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

bool SilentInstallation::ReadSettings()
{
    // Beside the program through its UTF-16 path: a folder "C:\Kit-Āpps\" is not "C:\Kit-Apps\".
    const bool named = !options_.SettingsFile.empty();
    const std::wstring path = named ? WidePath(options_.SettingsFile) : SettingsFileBesideProgram();
    const std::string shown = named ? options_.SettingsFile : PathForLog(path);
    try {
        settings_ = ReadSettingsFile(path);
    } catch (const std::exception& e) {
        sink_.Inform(Application::ErrorBoxText(e.what()));
        return false;
    }
    if (!settings_) {
        if (named) {
            sink_.Inform("Cannot find the settings file " + shown);
            return false;
        }
        log_.Note("Settings file: none, the pages' defaults apply");
        return true;
    }
    log_.Note("Settings file: " + shown);
    for (const std::string& note : settings_->Notes())
        log_.Note(note);
    if (settings_->NulLine() > 0) {
        // What follows the NUL would be lost unseen: a file cut by a copy, or UTF-16 without its mark.
        sink_.Inform("The settings file holds a NUL byte in line " + std::to_string(settings_->NulLine()) +
                     ", where its text would end: a silent run takes no settings file in part");
        return false;
    }
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
    if (!ReadSettings())
        return ecSettingsRefused;

    const PlatformDefaults platform = DecidePlatformDefaults(IsNtPlatform(), IsAdministrator());
    if (platform.ShowAdministratorNotice)
        sink_.Inform(AdministratorNotice);
    const std::string recorded = RecordedInstallFolder();
    // /dir stands for STDDIR, and is checked below as the Folders page checks its folder.
    CommandLineSettings commandLine = options_.Settings;
    if (!options_.InstallDir.empty())
        commandLine["STDDIR"] = options_.InstallDir;
    std::string given;
    for (const auto& [key, value] : options_.Settings)
        given += (given.empty() ? "" : " ") + key + "=" + value;
    if (!given.empty())
        log_.Note("Command-line settings: " + given);
    const SilentChoices choices =
        ChooseSilently(settings_.get(), commandLine, ProposedInstallFolder(recorded), platform);
    for (const std::string& note : choices.Notes)
        log_.Note(note);
    const std::string refusal = RefusalOf(choices);
    if (!refusal.empty()) {
        if (choices.Refusal.empty()) // the settings as understood, which a page refused
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
    // Where a deployment tool looks first, and where it looks when the log file asked for is
    // the cause (its refusal then goes into the temporary folder's log).
    WriteToStandardError(Options.Error);
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
