#include "InstallRun.h"

#include "BriCommon.h"
#include "Common_Custom.h"
#include "PayloadResource.h"
#include "Product.h"
#include "Registry.h"
#include "RunLog.h"

std::string RecordedInstallFolder()
{
    return ReadKeyString(HKEY_LOCAL_MACHINE, ProductKeyPath, PathValue).value_or("");
}

std::string ProposedInstallFolder(const std::string& Recorded)
{
    if (!Recorded.empty())
        return Recorded; // exactly as read
    std::string programFiles = ReadKeyString(HKEY_LOCAL_MACHINE, CurrentVersionKeyPath, ProgramFilesDirValue).value_or("");
    if (programFiles.empty())
        programFiles = "C:\\";
    return AddTrailingBackslash(programFiles) + ProductName;
}

std::optional<std::string> InstallRun::LeaveFolders(FolderRequest Request)
{
    // Its own uninstaller, run at an earlier Next, removed the records and itself: there is
    // nothing left to run.
    if (Request.OldVersionFound) {
        const std::string recorded = RecordedInstallFolder();
        Request.OldVersionFound = !recorded.empty();
        if (Request.OldVersionFound)
            Request.OldInstallDir = recorded;
    }
    std::string folder;
    const bool existed = WindowsFolderName(Request.Folder, folder) && FolderExists(folder);
    const std::optional<std::string> prepared = PrepareFolder(Request, sink_);
    if (!prepared)
        return std::nullopt;
    madeFolder_ = !existed;
    return AddTrailingBackslash(*prepared);
}

void InstallRun::NoteSettings(const std::string& Folder, bool CreateIcons, const SettingsAnswers& Answers)
{
    sink_.Note("Installation folder: " + Folder);
    sink_.Note(std::string("Start-menu icons: ") + (CreateIcons ? "yes" : "no"));
    sink_.Note("Installation type: " + std::to_string(Answers.InstallKind));
    if (Answers.InstallKind == ikService)
        sink_.Note(Answers.AccountKind == akLocalSystem ? "Service account: LocalSystem"
                                                        : "Service account: " + Answers.AccountName);
}

int InstallRun::Install(ProductSource& Source, const std::string& Folder, bool CreateIcons,
                        const SettingsAnswers& Answers)
{
    const std::optional<std::string> ownFolder = Source.OwnFolder();
    sink_.Note(ownFolder ? "Unpacked product: " + *ownFolder : std::string("Product: straight from the payload"));
    NoteSettings(Folder, CreateIcons, Answers);

    InstallSettings settings;
    settings.InstallDir = Folder;
    settings.CreateIcons = CreateIcons;
    settings.AccountName = Answers.AccountName;
    settings.AccountPassword = Answers.AccountPassword;
    settings.InstallKind = Answers.InstallKind;
    settings.AccountKind = Answers.AccountKind;
    settings.Windows95Family = PlatformId() == VER_PLATFORM_WIN32_WINDOWS;
    settings.Hives = Hives;
    TInstallation installation(settings, Source, sink_);
    switch (installation.Install()) {
    case InstallOutcome::Completed:
        return sink_.ErrorLines() > 0 ? ecInstalledWithErrors : ecInstalled;
    case InstallOutcome::Stopped:
        return ecStoppedEarly;
    case InstallOutcome::Damaged:
        break;
    }
    // Checked before anything changed, damaged now: no half installation stays.
    sink_.Log(Source.Failure(), true);
    installation.RemovePlaced();
    if (madeFolder_)
        RemoveDirectoryA(Folder.c_str());
    sink_.Inform(NotUnzippedMessage);
    return ecNotUnpacked;
}
