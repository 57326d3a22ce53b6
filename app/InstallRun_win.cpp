#include "InstallRun.h"

#include "BriCommon.h"
#include "BriErrors.h"
#include "Common_Custom.h"
#include "FolderHandles_win.h"
#include "HeldFiles_win.h"
#include "KeptFolders_win.h"
#include "MadeFolders_win.h"
#include "Manifest.h"
#include "PayloadResource.h"
#include "Product.h"
#include "Registry.h"
#include "RunLog.h"

const char* const NoRoomMessage = "There is not enough free space for the program in ";
const char* const RestartMessage =
    "Some files were in use: Windows replaces them when it starts again. Restart Windows to finish the installation.";

std::string IncompleteCopyMessage(const std::string& Folder)
{
    return "Not every file of the program could be copied into " + Folder +
           ": what was copied has been removed again, and nothing was installed.";
}

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

// The files that wait for the next start of Windows, relative to Folder, with the digests of the
// new content that each must have then.
std::vector<KeptFile> StagedContent(const std::vector<PlacedFiles::StagedFile>& Staged, const std::string& Folder)
{
    std::vector<KeptFile> files;
    for (const PlacedFiles::StagedFile& file : Staged)
        files.push_back({file.Path.substr(Folder.size()), file.Digest});
    return files;
}

FolderIdentity IdentityOfHeld(const std::shared_ptr<void>& Hold)
{
    return Hold ? IdentityOf(Hold.get()) : FolderIdentity();
}

} // namespace

bool InstallRun::FinishInterruptedUpgrade()
{
    // Whatever the store holds, nothing of it ends the program.
    try {
        std::optional<EarlierVersion> interrupted = EarlierVersion::Interrupted(sink_);
        return !interrupted || interrupted->Finish(sink_);
    } catch (const std::exception& e) {
        sink_.Log(std::string("Couldn't finish the upgrade that was cut off: ") + e.what(), true);
        return false;
    }
}

int InstallRun::ExitCodeAfterRefusal(int Otherwise) const
{
    return putBack_         ? ecEarlierVersionPutBack
           : putBackFailed_ ? ecStoppedEarly
           : noRoom_        ? ecDiskFull
                            : Otherwise;
}

bool InstallRun::CheckBeforeChanging(const std::string& Folder, const std::string& Text, ProductSource& Source)
{
    // The folder itself, or the nearest folder above it that exists (the folder step has found
    // that its drive is there and that a folder can be made): the drive must hold the product.
    std::string existing = AddTrailingBackslash(Folder);
    while (!existing.empty() && !FolderExists(existing))
        existing = ParentOf(existing);
    ULARGE_INTEGER available = {};
    if (existing.empty() || !GetDiskFreeSpaceExA(existing.c_str(), &available, nullptr, nullptr) ||
        available.QuadPart >= Source.ProductBytes())
        return true;
    sink_.Inform(NoRoomMessage + Text);
    sink_.FolderRefused();
    noRoom_ = true;
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
        if (Request.OldVersionFound) {
            Request.OldInstallDir = recorded;
            // Read before its uninstaller removes the record: an installation in the same folder
            // records it again, and one elsewhere removes those folders with the earlier one.
            if (!WindowsFolderName(recorded, earlierFolder_))
                earlierFolder_.clear();
            earlierFoldersMade_ = ReadKeyString(HKEY_LOCAL_MACHINE, ProductKeyPath, FoldersMadeValue).value_or("");
        }
    }
    // What the new version writes into the folder: a program found there that it does not name
    // is somebody else's; and every file of it must fit below the folder.
    Source.ReadManifest(Request.Manifest);
    LetGoOfFolder();
    // The folder judged first (no link on its way), then its drive.
    const std::shared_ptr<FolderJudgement> judgement = JudgeFolder(Request, sink_);
    if (!judgement || !CheckBeforeChanging(folder, Request.Folder, Source))
        return std::nullopt;
    // Kept once: what an earlier Next kept is the earlier version, whatever its uninstaller left.
    const bool keepsNow = ChangesEarlierVersion(Request, *judgement) && !earlier_;
    if (keepsNow) {
        const HANDLE held = HeldEarlierFolder(*judgement);
        // An uninstaller that is not run leaves the earlier files in their folder, unless the new
        // version goes into that very folder.
        const bool moves = EarlierUninstallerRuns(Request, *judgement) ||
                           SameFileName(AddTrailingBackslash(earlierFolder_), AddTrailingBackslash(folder));
        earlier_ = EarlierVersion::Keep(AddTrailingBackslash(Request.OldInstallDir), held,
                                        held ? IdentityOf(held) : FolderIdentity(), moves, sink_);
        if (!earlier_) {
            sink_.Inform("Couldn't keep a copy of the earlier version; it was not removed");
            sink_.FolderRefused();
            return std::nullopt;
        }
    }

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
    if (!prepared_->Outermost.empty() && prepared_->Hold)
        made_ = MadeFolders{prepared_->Folder, prepared_->Outermost, IdentityOf(prepared_->Hold.get())};
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
    // The new folder held open could not be removed when the earlier one was elsewhere; the
    // earlier one stays held until it is back.
    if (prepared_)
        prepared_->Hold.reset();
    const bool done = Answers && Answers->AccountKind == akNamedAccount
                          ? earlier_->PutBack(sink_, Answers->AccountName, Answers->AccountPassword)
                          : earlier_->PutBack(sink_);
    prepared_.reset();
    earlier_.reset();
    putBack_ = done;
    putBackFailed_ = !done;
}

void InstallRun::NewVersionStands()
{
    const std::string earlier = earlier_ ? earlier_->Journal().OldFolder : std::string();
    // Taken while the folder is held; the hold itself has one owner, so that letting it go
    // below leaves no handle that keeps the folder from being removed.
    const FolderIdentity identity = IdentityOfHeld(prepared_ ? prepared_->EarlierHold : nullptr);
    // One that waits for the restart keeps its copy until then.
    if (earlier_ && earlier_->Journal().State != UpgradeState::Restarting)
        earlier_->Drop();
    earlier_.reset();
    if (!prepared_)
        return;
    // The folder is the recorded installation's now, not one that an uninstaller kept.
    ForgetKeptFolder(prepared_->Folder);
    // The earlier installation's folder, elsewhere, goes as its uninstaller would have removed it,
    // when nothing of anybody's is left in it.
    if (earlier.empty() || SameFileName(AddTrailingBackslash(earlier), AddTrailingBackslash(prepared_->Folder)))
        return;
    prepared_->EarlierHold.reset();
    // An uninstaller that could not move its running file away leaves it there alone.
    FolderPath folder = prepared_->EarlierUninstallerLeftItself
                            ? OpenFolderPath(earlier, FILE_LIST_DIRECTORY, ReadOnlyShare)
                            : FolderPath();
    std::vector<FolderEntry> entries;
    if (folder.State == FolderPathState::Opened && IdentityOf(folder.Folder.Get()) == identity &&
        ListFolder(folder.Folder.Get(), entries) && entries.size() == 1 &&
        SameFileName(entries[0].AnsiName, UninstallProgram))
        DeleteEntry(folder.Folder.Get(), entries[0].Name);
    folder.Folder.Reset();
    if (RemoveEmptyFolder(earlier, &identity)) {
        ForgetKeptFolder(earlier);
        RemoveEmptyFoldersUpTo(FolderAbove(earlier), earlierFoldersMade_);
    }
}

void InstallRun::LetGoOfFolder()
{
    RemoveFoldersMade();
    prepared_.reset();
}

void InstallRun::RemoveFoldersMade()
{
    if (!made_)
        return;
    prepared_.reset(); // a folder held open cannot be removed
    if (RemoveEmptyFolder(made_->Folder, &made_->Identity))
        RemoveEmptyFoldersUpTo(FolderAbove(made_->Folder), made_->Outermost);
    made_.reset();
}

bool InstallRun::GiveUp()
{
    PutBack();
    RemoveFoldersMade();
    return putBack_;
}

std::vector<std::string> InstallRun::RequiredFiles(const std::vector<std::string>& Lines) const
{
    std::vector<std::string> required;
    for (const std::string& file : InstalledFiles(Lines))
        if (RequiresFile ? RequiresFile(file)
                         : SameFileName(file, UninstallProgram) || SameFileName(file, ManifestFile))
            required.push_back(file);
    return required;
}

std::string InstallRun::FoldersMadeAbove(const std::string& Folder) const
{
    if (made_)
        return SameFileName(AddTrailingBackslash(made_->Outermost), AddTrailingBackslash(made_->Folder))
                   ? std::string()
                   : made_->Outermost;
    const bool earlierFolder = SameFileName(AddTrailingBackslash(Folder), AddTrailingBackslash(earlierFolder_));
    return earlierFolder ? earlierFoldersMade_ : std::string();
}

int InstallRun::Install(ProductSource& Source, const std::string& Folder, bool CreateIcons,
                        const SettingsAnswers& Answers)
{
    const std::optional<std::string> ownFolder = Source.OwnFolder();
    sink_.Note(ownFolder ? "Unpacked product: " + *ownFolder : std::string("Product: straight from the payload"));
    NoteSettings(Folder, CreateIcons, Answers);
    std::vector<std::string> lines;
    Source.ReadManifest(lines);
    if (earlier_)
        earlier_->NewVersionGoesTo(Folder, IdentityOfHeld(prepared_ ? prepared_->Hold : nullptr),
                                   InstalledFiles(lines));

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
    // In the earlier version's own folder, what another program held when it was kept is still
    // the earlier version's: the new file waits for the restart.
    if (earlier_ && SameFileName(earlier_->Journal().OldFolder, Folder))
        settings.ReplaceAtRestart = earlier_->Journal().HeldFiles;
    settings.ReplaceEarlierRecords = prepared_ && prepared_->ReplaceEarlierRecords;
    settings.StartProgramWindow = StartProgramWindow;
    settings.RequiredFiles = RequiredFiles(lines);
    settings.FoldersMade = FoldersMadeAbove(Folder);
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
        const std::vector<PlacedFiles::StagedFile>& staged = installation.Placed.Staged;
        if (!staged.empty()) {
            // The earlier version's copy stays until the restart has put the new files in place.
            if (earlier_)
                earlier_->WaitForRestart(Folder, StagedContent(staged, Folder));
            sink_.Log(RestartMessage, false);
        }
        made_.reset(); // the installation's own now
        NewVersionStands();
        return sink_.ErrorLines() > 0 ? ecInstalledWithErrors : staged.empty() ? ecInstalled : ecRestartRequired;
    }
    const std::string shown = Folder.size() > 3 ? Folder.substr(0, Folder.size() - 1) : Folder;
    if (earlier_) {
        sink_.Log("The new version could not be installed", true);
        PutBack(&Answers);
        RemoveFoldersMade();
        if (outcome == InstallOutcome::Damaged)
            sink_.Inform(NotUnzippedMessage);
        if (outcome == InstallOutcome::NoRoom)
            sink_.Inform(NoRoomMessage + shown);
        // The earlier version works again only when all of it was put back.
        if (!putBack_)
            return ecStoppedEarly;
        return outcome == InstallOutcome::NoRoom ? ecDiskFull : ecEarlierVersionPutBack;
    }
    if (outcome == InstallOutcome::Stopped)
        return ecStoppedEarly;
    // Checked before anything changed, damaged now, or a copy that fell short: no half
    // installation stays, and no record names one.
    installation.RemovePlaced();
    RemoveFoldersMade();
    if (outcome == InstallOutcome::Incomplete) {
        sink_.Inform(IncompleteCopyMessage(shown));
        return ecStoppedEarly;
    }
    if (outcome == InstallOutcome::NoRoom) {
        sink_.Inform(NoRoomMessage + shown);
        return ecDiskFull;
    }
    sink_.Inform(NotUnzippedMessage);
    return ecNotUnpacked;
}
