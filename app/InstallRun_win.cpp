#include "InstallRun.h"

#include "BriCommon.h"
#include "BriErrors.h"
#include "Common_Custom.h"
#include "Manifest.h"
#include "PayloadResource.h"
#include "Product.h"
#include "Registry.h"
#include "RunLog.h"
#include "UpgradeFolder.h"

const char* const NoRoomMessage = "There is not enough free space for the program in ";

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

namespace {

std::string ParentOf(const std::string& Folder)
{
    const size_t end = Folder.find_last_of('\\', Folder.size() - 2);
    return end == std::string::npos ? std::string() : Folder.substr(0, end + 1);
}

// A folder can be made in Folder: one is made there and removed again.
bool CanMakeFolderIn(const std::string& Folder)
{
    const std::string probe = Folder + "bb7-check-" + std::to_string(GetCurrentProcessId());
    return CreateDirectoryA(probe.c_str(), nullptr) && RemoveDirectoryA(probe.c_str());
}

} // namespace

void InstallRun::FinishInterruptedUpgrade()
{
    if (std::optional<EarlierVersion> interrupted = EarlierVersion::Interrupted())
        interrupted->Finish(sink_);
    // What a finished run could not remove while it ran (its own copy of the installer) has gone
    // with the start of Windows since; the folder is left empty.
    const std::string upgrade = UpgradeFolder();
    if (!upgrade.empty())
        RemoveDirectoryA(upgrade.substr(0, upgrade.size() - 1).c_str());
}

bool InstallRun::CheckBeforeChanging(const std::string& Folder, const std::string& Text, ProductSource& Source)
{
    // The folder itself, or the nearest folder above it that exists: the drive must be there, a
    // folder must be possible there, and the drive must hold the product.
    std::string existing = AddTrailingBackslash(Folder);
    while (!existing.empty() && !FolderExists(existing))
        existing = ParentOf(existing);
    ULARGE_INTEGER available = {};
    if (existing.empty() || !CanMakeFolderIn(existing)) {
        sink_.Inform("Couldn't create the directory " + Text);
    } else if (GetDiskFreeSpaceExA(existing.c_str(), &available, nullptr, nullptr) &&
               available.QuadPart < Source.ProductBytes()) {
        sink_.Inform(NoRoomMessage + Text);
    } else {
        return true;
    }
    sink_.FolderRefused();
    return false;
}

std::optional<std::string> InstallRun::LeaveFolders(FolderRequest Request, ProductSource& Source)
{
    if (Request.Folder.empty()) {
        sink_.FolderRefused();
        throw EInOutError(ERROR_PATH_NOT_FOUND, "Unable to create directory"); // before anything changes
    }
    std::string folder;
    if (!WindowsFolderName(Request.Folder, folder)) {
        JudgeFolder(Request, sink_); // which refuses the text, as it always did
        return std::nullopt;
    }
    // Its own uninstaller, run at an earlier Next, removed the records and itself: there is
    // nothing left to run.
    if (Request.OldVersionFound) {
        const std::string recorded = RecordedInstallFolder();
        Request.OldVersionFound = !recorded.empty();
        if (Request.OldVersionFound)
            Request.OldInstallDir = recorded;
    }
    // What the new version writes into the folder: a program found there that it does not name
    // is somebody else's.
    Source.ReadManifest(Request.Manifest);
    prepared_.reset(); // a folder chosen before is let go
    // The folder judged first (no link on its way), then its drive.
    const std::shared_ptr<FolderJudgement> judgement = JudgeFolder(Request, sink_);
    if (!judgement || !CheckBeforeChanging(folder, Request.Folder, Source))
        return std::nullopt;
    // Kept once: what an earlier Next kept is the earlier version, whatever its uninstaller left.
    const bool keepsNow = ChangesEarlierVersion(Request, *judgement) && !earlier_;
    if (keepsNow) {
        earlier_ = EarlierVersion::Keep(AddTrailingBackslash(Request.OldInstallDir), sink_);
        if (!earlier_) {
            sink_.Inform("Couldn't keep a copy of the earlier version; it was not removed");
            sink_.FolderRefused();
            return std::nullopt;
        }
    }

    const bool existed = FolderExists(folder);
    try {
        prepared_ = PrepareFolder(Request, *judgement, sink_);
    } catch (...) {
        // The uninstaller could not be started: the earlier version is as it was.
        if (keepsNow) {
            earlier_->Drop();
            earlier_.reset();
        }
        throw;
    }
    if (!prepared_) {
        PutBack();
        return std::nullopt;
    }
    madeFolder_ = !existed;
    return AddTrailingBackslash(prepared_->Folder);
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

void InstallRun::PutBack(const SettingsAnswers* Answers)
{
    if (!earlier_)
        return;
    prepared_.reset(); // the folder held open could not be removed when the earlier one was elsewhere
    if (Answers && Answers->AccountKind == akNamedAccount)
        earlier_->PutBack(sink_, Answers->AccountName, Answers->AccountPassword);
    else
        earlier_->PutBack(sink_);
    earlier_.reset();
    putBack_ = true;
}

bool InstallRun::GiveUp()
{
    const bool kept = earlier_.has_value();
    PutBack();
    return kept;
}

int InstallRun::Install(ProductSource& Source, const std::string& Folder, bool CreateIcons,
                        const SettingsAnswers& Answers)
{
    const std::optional<std::string> ownFolder = Source.OwnFolder();
    sink_.Note(ownFolder ? "Unpacked product: " + *ownFolder : std::string("Product: straight from the payload"));
    NoteSettings(Folder, CreateIcons, Answers);
    if (earlier_) {
        std::vector<std::string> lines;
        Source.ReadManifest(lines);
        earlier_->NewVersionGoesTo(Folder, InstalledFiles(lines));
    }

    InstallSettings settings;
    settings.InstallDir = Folder;
    settings.CreateIcons = CreateIcons;
    settings.AccountName = Answers.AccountName;
    settings.AccountPassword = Answers.AccountPassword;
    settings.InstallKind = Answers.InstallKind;
    settings.AccountKind = Answers.AccountKind;
    settings.Windows95Family = PlatformId() == VER_PLATFORM_WIN32_WINDOWS;
    settings.Hives = Hives;
    settings.EarlierVersionKept = earlier_.has_value();
    settings.ReplaceEarlierRecords = prepared_ && prepared_->ReplaceEarlierRecords;
    settings.StartProgramWindow = StartProgramWindow;
    TInstallation installation(settings, Source, sink_);
    InstallOutcome outcome;
    try {
        outcome = installation.Install();
    } catch (...) {
        PutBack(&Answers);
        throw;
    }
    if (outcome == InstallOutcome::Damaged)
        sink_.Log(Source.Failure(), true);
    // A fresh installation keeps what it could do, with its red lines.
    if (outcome == InstallOutcome::Completed && (installation.NewVersionStands() || !earlier_)) {
        if (earlier_)
            earlier_->Drop();
        earlier_.reset();
        return sink_.ErrorLines() > 0 ? ecInstalledWithErrors : ecInstalled;
    }
    if (earlier_) {
        sink_.Log("The new version could not be installed", true);
        PutBack(&Answers);
        if (outcome == InstallOutcome::Damaged)
            sink_.Inform(NotUnzippedMessage);
        return ecEarlierVersionPutBack;
    }
    if (outcome == InstallOutcome::Stopped)
        return ecStoppedEarly;
    // Checked before anything changed, damaged now: no half installation stays.
    installation.RemovePlaced();
    prepared_.reset(); // a folder held open cannot be removed
    if (madeFolder_)
        RemoveDirectoryA(Folder.c_str());
    sink_.Inform(NotUnzippedMessage);
    return ecNotUnpacked;
}
