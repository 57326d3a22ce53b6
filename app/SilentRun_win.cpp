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
#include "Common_Custom.h"
#include "FolderStep.h"
#include "InstallRules.h"
#include "Installation.h"
#include "LogOnlySink.h"
#include "MessageBoxes.h"
#include "PayloadInstall.h"
#include "Product.h"
#include "Registry.h"
#include "RunLog.h"
#include "ServiceLibrary.h"
#include "SilentSettings.h"
#include "SingleInstance.h"
#include "ZipPaths.h"
#include "unit_Setup_Main.h"
#include "unit_Setup_Unpacker.h"

namespace {

const char* const CurrentVersionKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const NotUnzippedMessage = "The files couldn't be unzipped";

std::string ReadMachineString(const char* Key, const char* Value)
{
    RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, Key, KEY_READ);
    return key ? ReadRegString(key.Get(), Value).value_or("") : std::string();
}

// The Folders page's first proposal: an earlier installation's folder as it was recorded,
// else the product's folder in the program-files folder.
std::string DefaultFolder(const std::string& OldInstallDir)
{
    if (!OldInstallDir.empty())
        return OldInstallDir;
    std::string programFiles = ReadMachineString(CurrentVersionKey, "ProgramFilesDir");
    if (programFiles.empty())
        programFiles = "C:\\";
    return AddTrailingBackslash(programFiles) + ProductName;
}

// The payload in the program's own resources, which stay mapped for the program's life.
bool FindPayload(const void*& Data, size_t& Size)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, PayloadResourceName, RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    Data = loaded ? LockResource(loaded) : nullptr;
    Size = resource ? SizeofResource(module, resource) : 0;
    return Data != nullptr;
}

class SilentInstallation {
public:
    SilentInstallation(const CommandLineOptions& Options, RunLog& Log)
        : options_(Options), log_(Log), sink_([&Log](const std::string& Text, bool Error) { Log.LogLine(Text, Error); },
                [&Log](const std::string& Text) { Log.Note(Text); })
    {
    }
    int Run();

private:
    bool ReadSettingsFile();
    int Install(const SilentChoices& Choices, const std::string& OldInstallDir);
    void NoteSettings(const SilentChoices& Choices, const SettingsAnswers& Answers);

    const CommandLineOptions& options_;
    RunLog& log_;
    LogOnlySink sink_;
    std::unique_ptr<TAuto> settings_;
    PayloadInstall payload_;
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
    return true;
}

void SilentInstallation::NoteSettings(const SilentChoices& Choices, const SettingsAnswers& Answers)
{
    log_.Note("Installation folder: " + AddTrailingBackslash(Choices.Folder));
    log_.Note(std::string("Start-menu icons: ") + (Choices.CreateIcons ? "yes" : "no"));
    log_.Note("Installation type: " + std::to_string(Answers.InstallKind));
    if (Answers.InstallKind == ikService)
        log_.Note(Answers.AccountKind == akLocalSystem ? "Service account: LocalSystem"
                                                       : "Service account: " + Answers.AccountName);
}

int SilentInstallation::Run()
{
    log_.Note("Silent: yes");
    if (!ReadSettingsFile())
        return ecSettingsRefused;

    const PlatformDefaults platform = DecidePlatformDefaults(IsNtPlatform(), IsAdministrator());
    if (platform.ShowAdministratorNotice)
        sink_.Inform(AdministratorNotice);
    const std::string oldInstallDir = ReadMachineString(ProductKeyPath, PathValue);
    const SilentChoices choices = ChooseSilently(settings_.get(), DefaultFolder(oldInstallDir), platform);
    NoteSettings(choices, TakeSettings(choices.Settings));
    const std::string refusal = RefusalOf(choices);
    if (!refusal.empty()) {
        sink_.Inform(refusal);
        return ecSettingsRefused;
    }

    // The payload is read and every entry that the manifest needs is checked before
    // anything on the system changes.
    const void* data = nullptr;
    size_t size = 0;
    if (!FindPayload(data, size) || !payload_.Open(data, size)) {
        sink_.Log(payload_.Failure(), true);
        sink_.Inform(NotUnzippedMessage);
        return ecNotUnpacked;
    }
    if (!payload_.ReadManifest()) {
        if (!payload_.Failure().empty()) {
            sink_.Log(payload_.Failure(), true);
            sink_.Inform(NotUnzippedMessage);
            return ecNotUnpacked;
        }
        sink_.Inform(MissingManifestMessage);
        return ecStoppedEarly;
    }
    if (!payload_.CheckEntries()) {
        sink_.Log(payload_.Failure(), true);
        sink_.Inform(NotUnzippedMessage);
        return ecNotUnpacked;
    }
    return Install(choices, oldInstallDir);
}

int SilentInstallation::Install(const SilentChoices& Choices, const std::string& OldInstallDir)
{
    const SettingsAnswers answers = TakeSettings(Choices.Settings);

    // Leaving the Folders page: the earlier installation's uninstaller, closing by itself,
    // then the folder. What keeps the wizard on that page refuses the settings.
    const bool folderExisted = FolderExists(Choices.Folder);
    std::optional<PreparedFolder> folder;
    try {
        folder = PrepareFolder({!OldInstallDir.empty(), OldInstallDir, Choices.Folder, true, payload_.Manifest(),
                                answers.InstallKind == ikService},
                               sink_);
        if (!folder)
            return ecSettingsRefused;
    } catch (const std::exception& e) {
        sink_.Inform(Application::ErrorBoxText(e.what()));
        return ecSettingsRefused;
    }

    InstallSettings settings;
    settings.InstallDir = AddTrailingBackslash(folder->Folder);
    settings.ReplaceEarlierRecords = folder->ReplaceEarlierRecords;
    settings.SourceDir = settings.InstallDir; // the files are read where they were placed
    settings.CreateIcons = Choices.CreateIcons;
    settings.AccountName = answers.AccountName;
    settings.AccountPassword = answers.AccountPassword;
    settings.InstallKind = answers.InstallKind;
    settings.AccountKind = answers.AccountKind;
    settings.Windows95Family = PlatformId() == VER_PLATFORM_WIN32_WINDOWS;
    settings.UnpackedDigest = [this](const std::string& Path) { return payload_.Written().DigestOf(Path); };
    // Only the service library is checked against its digest later.
    payload_.TakesDigest = [](const std::string& Line) { return zippath::SameName(Line, ServiceLibraryFile); };
    bool damaged = false;
    const std::string installDir = settings.InstallDir;
    settings.PlaceFiles = [this, &damaged, installDir](InstallSink& Sink) {
        const PayloadInstall::PlaceResult result = payload_.PlaceFiles(installDir, Sink);
        damaged = result == PayloadInstall::PlaceResult::Damaged;
        return result == PayloadInstall::PlaceResult::Done;
    };

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

    TInstallation installation(settings, sink_);
    try {
        if (installation.Install())
            return sink_.ErrorLines() > 0 ? ecInstalledWithErrors : ecInstalled;
    } catch (const std::exception& e) {
        sink_.Log(Application::ErrorBoxText(e.what()), true);
        return ecStoppedEarly;
    }
    if (!damaged)
        return ecStoppedEarly;
    // Checked a moment ago, damaged now: no half installation stays.
    sink_.Log(payload_.Failure(), true);
    payload_.DeleteWritten();
    folder->Hold.reset(); // a folder held open cannot be deleted
    if (!folderExisted)
        RemoveDirectoryA(folder->Folder.c_str());
    sink_.Inform(NotUnzippedMessage);
    return ecNotUnpacked;
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
    if (Options.Usage) {
        InformationBox(UsageText);
        return ecInstalled;
    }
    return RunSilently(Options);
}
