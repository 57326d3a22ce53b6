#include "FolderStep.h"

#include <windows.h>

#include "BriCommon.h"
#include "BriErrors.h"
#include "Common_Custom.h"
#include "EarlierUninstaller_win.h"
#include "FolderHandles_win.h"
#include "HeldFiles_win.h"
#include "KeptFolders_win.h"
#include "OwnFolder_win.h"
#include "PathLimit.h"
#include "PendingRenames_win.h"
#include "Product.h"
#include "ReservedPlaces_win.h"
#include "SecurityDescriptor_win.h"
#include "UninstallerTrust.h"

namespace {

std::nullopt_t Refuse(InstallSink& Sink, const std::string& Message)
{
    Sink.Inform(Message);
    Sink.FolderRefused();
    return std::nullopt;
}

std::nullopt_t RefuseFolder(const FolderRequest& Request, InstallSink& Sink)
{
    return Refuse(Sink, "Couldn't create the directory " + Request.Folder);
}

bool SameFolderName(std::string A, std::string B)
{
    A = AddTrailingBackslash(A);
    B = AddTrailingBackslash(B);
    return lstrcmpiA(A.c_str(), B.c_str()) == 0;
}

// Only SYSTEM, the Administrators, TrustedInstaller and the administrator who installs may change
// the folder held by Folder (open with READ_CONTROL): a folder that a run of the installer made
// (inside Program Files, or outside with its own protection), and that nobody else could have
// opened to add to it.
bool IsInstallersOwn(HANDLE Folder)
{
    const std::string administrator = IsAdministrator() ? ProcessUserSid() : std::string();
    return OnlyAdministratorsMayChange(OwnerAndDaclText(Folder), administrator);
}

// A folder can be made in the folder held by Parent: one of a name that nobody can make first is
// made there and removed again.
bool CanMakeFolderIn(HANDLE Parent)
{
    const std::string name = UnpredictableName();
    FileHandle probe = name.empty() ? FileHandle()
                                    : OpenEntry(Parent, WideText("bb7-check-" + name), DELETE | FILE_READ_ATTRIBUTES, 0,
                                                FILE_CREATE, EntryKind::Folder);
    return probe && DeleteHeldEntry(probe.Get());
}

// A folder as the log file names it: without its final backslash, unless it is a drive's root.
std::string LogName(const std::string& Folder)
{
    return Folder.size() > 3 && Folder.back() == '\\' ? Folder.substr(0, Folder.size() - 1) : Folder;
}

std::shared_ptr<void> Holder(FileHandle Folder)
{
    return std::shared_ptr<void>(Folder.Release(), [](void* Handle) { CloseHandle(Handle); });
}

// The earlier version's uninstaller, looked at and held; none on Windows 95/98/Me, which keeps
// no permissions and knows no links.
std::unique_ptr<HeldUninstaller> JudgeUninstaller(const FolderRequest& Request)
{
    if (!Request.OldVersionFound || !IsNtPlatform())
        return nullptr;
    std::string folder;
    return std::make_unique<HeldUninstaller>(WindowsFolderName(Request.OldInstallDir, folder) ? folder : std::string(),
                                             AddTrailingBackslash(Request.OldInstallDir) + UninstallProgram);
}

// The earlier installation's folder or its uninstaller is gone (deleted by hand): there is
// nothing left to run.
bool UninstallerMissing(const FolderRequest& Request, const std::unique_ptr<HeldUninstaller>& Uninstaller)
{
    return Uninstaller ? Uninstaller->Missing()
                       : !IsExistingFile(AddTrailingBackslash(Request.OldInstallDir) + UninstallProgram);
}

// Why the uninstaller is not run; empty when it is (or cannot be started, which raises).
std::string RefusalOf(const std::unique_ptr<HeldUninstaller>& Uninstaller)
{
    return !Uninstaller || Uninstaller->Missing() ? std::string() : UninstallerRefusal(Uninstaller->Facts());
}

void RunUninstaller(const FolderRequest& Request, std::unique_ptr<HeldUninstaller> Uninstaller,
                    PreparedFolder& Prepared, InstallSink& Sink)
{
    if (!Request.OldVersionFound)
        return;
    // An earlier installation without its uninstaller, or with one that cannot be trusted, is
    // not run: this installation's records take the place of its own.
    if (UninstallerMissing(Request, Uninstaller)) {
        Sink.Note("The earlier installation in " + Request.OldInstallDir +
                  " has no uninstaller any more: it counts as removed");
        Prepared.ReplaceEarlierRecords = true;
        return;
    }
    const std::string refusal = RefusalOf(Uninstaller);
    if (!refusal.empty()) {
        Sink.Note(refusal);
        Prepared.ReplaceEarlierRecords = true;
        return;
    }
    Sink.Status(UninstallingOldVersion);
    Sink.ProcessMessages();
    Sink.Busy(true);
    Sink.OldVersionRemoval(true);
    struct Restore {
        InstallSink& Sink;
        ~Restore()
        {
            Sink.OldVersionRemoval(false);
            Sink.Busy(false);
        }
    } restore{Sink};
    // Held until its process has started, so that what runs is what was judged.
    const std::vector<PendingRename> before = PendingRenames();
    RunAndWait(OldUninstallerCommandLine(Request.OldInstallDir, Request.AutoMode), [&] {
        if (Uninstaller)
            Uninstaller->Release();
    });
    // An uninstaller that could not move its running file away (the temporary folder on another
    // drive) has Windows delete it, and its folder, at the next start: by then the file of that
    // name is the new version's, or the earlier version's put back.
    std::string folder;
    if (WindowsFolderName(Request.OldInstallDir, folder) && DropNewPendingRenamesWithin(before, folder) > 0) {
        Sink.Note("What the earlier version's uninstaller left to be deleted in " + Request.OldInstallDir +
                  " at the next start of Windows is dropped: the installation goes on there");
        Prepared.EarlierUninstallerLeftItself = true;
    }
}

// Windows 95/98/Me keeps no permissions and knows no links; an empty folder box goes on to the
// folder helper, whose error says so. The folder is made as it always was.
std::optional<PreparedFolder> PrepareUnprotectedFolder(const FolderRequest& Request, const std::string& Folder,
                                                       InstallSink& Sink)
{
    PreparedFolder prepared;
    prepared.Folder = Folder;
    prepared.KeepsPermissions = false;
    prepared.PermissionsApply = false;
    RunUninstaller(Request, JudgeUninstaller(Request), prepared, Sink);
    if (FolderExists(Folder))
        return prepared;
    bool created = false;
    try {
        created = CreateFolderPath(Folder, prepared.Outermost);
    } catch (...) {
        Sink.FolderRefused();
        throw;
    }
    if (!created)
        return RefuseFolder(Request, Sink);
    Sink.Note("Folder not protected, as this system keeps no permissions: " + LogName(Folder));
    return prepared;
}

} // namespace

// What the folder step finds before anything changes.
struct FolderJudgement {
    std::string Folder;       // as Windows names it
    bool Unprotected = false; // Windows 95/98/Me (or an empty folder text): made as it always was
    std::unique_ptr<HeldUninstaller> Uninstaller;
    bool KeepsPermissions = true;
    OwnFolder Place; // the chosen folder: ours, to be made, or an empty one to be made anew
    // The earlier installation's folder, held from now on so that nobody can add to it, rename or
    // delete it (its uninstaller included: it empties the folder, and the folder stays the one
    // that was kept from, for the new version or for the put-back).
    FileHandle Earlier;
};

void* HeldEarlierFolder(const FolderJudgement& Judgement)
{
    return Judgement.Earlier ? Judgement.Earlier.Get() : nullptr;
}

bool ChangesEarlierVersion(const FolderRequest& Request, const FolderJudgement& Judgement)
{
    return Request.OldVersionFound && !UninstallerMissing(Request, Judgement.Uninstaller);
}

bool EarlierUninstallerRuns(const FolderRequest& Request, const FolderJudgement& Judgement)
{
    return ChangesEarlierVersion(Request, Judgement) && RefusalOf(Judgement.Uninstaller).empty();
}

bool WindowsFolderName(const std::string& Text, std::string& Folder)
{
    // A relative text would name a folder below whatever the current folder happens to be.
    if (!IsFullFolderPath(Text))
        return false;
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetFullPathNameA(Text.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0)
            return false;
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length); // the size asked for, with its closing NUL
    }
    // GetFullPathNameA gives reserved names such as "CON" as devices ("\\.\CON").
    Folder = TidyFolderPath(full);
    return IsFullFolderPath(Folder);
}

namespace {

// A refusal of the first half, which has said it.
std::shared_ptr<FolderJudgement> Refused(std::nullopt_t)
{
    return nullptr;
}

} // namespace

std::shared_ptr<FolderJudgement> JudgeFolder(const FolderRequest& Request, InstallSink& Sink)
{
    // Windows drops blanks and full stops at the end of a name and reads "/" as "\": what is
    // created, copied and recorded is the folder as Windows names it, decided once, here.
    auto judgement = std::make_shared<FolderJudgement>();
    std::string& folder = judgement->Folder;
    if (!Request.Folder.empty() && !WindowsFolderName(Request.Folder, folder))
        return Refused(RefuseFolder(Request, Sink));
    if (!Request.Folder.empty()) {
        // No folder of Windows, of its users or of its programs becomes the product's, and every
        // file of the product must fit below the folder: refused before anything changes.
        if (const std::optional<ReservedMatch> reserved =
                FindReservedPlace(LongFolderName(folder), SystemReservedPlaces()))
            return Refused(Refuse(Sink, ReservedPlaceMessage(Request.Folder, *reserved)));
        if (!ManifestFitsIn(folder, Request.Manifest))
            return Refused(Refuse(Sink, FolderRefusalMessage(Request.Folder, FolderRefusal::TooDeep)));
    }
    if (Request.Folder.empty() || !IsNtPlatform()) {
        judgement->Unprotected = true;
        return judgement;
    }
    // The ANSI calls of the copy take no longer paths.
    if (folder.size() >= MAX_PATH)
        return Refused(RefuseFolder(Request, Sink));

    // A folder may be somebody else's, who keeps administrators out of it.
    const OwnershipPrivileges privileges;
    judgement->Uninstaller = JudgeUninstaller(Request);
    std::string earlier;
    const bool earlierThere = Request.OldVersionFound && !UninstallerMissing(Request, judgement->Uninstaller) &&
                              WindowsFolderName(Request.OldInstallDir, earlier);
    if (earlierThere) {
        FolderPath held = OpenFolderPath(earlier, OwnFolderAccess, ReadOnlyShare);
        if (held.State == FolderPathState::Opened)
            judgement->Earlier = std::move(held.Folder);
        else if (held.State == FolderPathState::Failed) // somebody holds it open to add to it
            return Refused(Refuse(Sink, FolderRefusalMessage(Request.OldInstallDir, FolderRefusal::InUse)));
    }

    // Before anything changes: what stands at the place, and its drive. A folder found there is
    // the product's own only when it is the earlier installation's, or the one that the
    // product's uninstaller kept, and nobody but the administrators could have changed it.
    const bool recorded = (earlierThere && SameFolderName(earlier, folder)) || IsKeptFolder(folder);
    judgement->Place = JudgeOwnFolder(folder, [&](HANDLE Found) { return recorded && IsInstallersOwn(Found); });
    OwnFolder& place = judgement->Place;
    if (place.State == OwnFolderState::Refused)
        return Refused(Refuse(Sink, FolderRefusalMessage(Request.Folder, place.Refusal)));
    judgement->KeepsPermissions = KeepsPermissions(place.Path.Folder.Get());
    if (Request.ServiceType && !judgement->KeepsPermissions)
        return Refused(Refuse(Sink, UnprotectedServiceRefusal(Request.Folder)));
    if (!CanMakeFolderIn(place.Path.Folder.Get()))
        return Refused(RefuseFolder(Request, Sink));
    return judgement;
}

std::optional<PreparedFolder> PrepareFolder(const FolderRequest& Request, FolderJudgement& Judgement,
                                            InstallSink& Sink)
{
    const std::string& folder = Judgement.Folder;
    if (Judgement.Unprotected)
        return PrepareUnprotectedFolder(Request, folder, Sink);
    const OwnershipPrivileges privileges;
    PreparedFolder prepared;
    prepared.Folder = folder;
    prepared.KeepsPermissions = Judgement.KeepsPermissions;
    RunUninstaller(Request, std::move(Judgement.Uninstaller), prepared, Sink);

    // Made, or kept, as the installer's own, and held from now on.
    OwnFolder& place = Judgement.Place;
    const bool found = place.State == OwnFolderState::Empty;
    const bool made = place.State != OwnFolderState::Ours;
    const bool own = prepared.KeepsPermissions && OutsideProgramFiles(folder);
    const SecurityDescriptor protection(ProtectedFolderSddl);
    std::string outermost;
    if (!MakeOwnFolder(place, folder, own ? protection.Get() : nullptr, &outermost))
        return Refuse(Sink, FolderRefusalMessage(Request.Folder, place.Refusal));
    if (made && !found)
        prepared.Outermost = outermost;
    if (found)
        Sink.Note("An empty folder that this setup did not make was made anew: " + LogName(folder));
    if (!prepared.KeepsPermissions)
        Sink.Note("Folder not protected, as its drive keeps no permissions: " + (made ? outermost : LogName(folder)));
    else if (made && own)
        Sink.Note("Folder protected against changes by ordinary users: " + outermost);
    prepared.Hold = Holder(std::move(place.Path.Folder));
    if (Judgement.Earlier)
        prepared.EarlierHold = Holder(std::move(Judgement.Earlier));
    return prepared;
}

std::optional<PreparedFolder> PrepareFolder(const FolderRequest& Request, InstallSink& Sink)
{
    const std::shared_ptr<FolderJudgement> judgement = JudgeFolder(Request, Sink);
    if (!judgement)
        return std::nullopt;
    return PrepareFolder(Request, *judgement, Sink);
}

void RunAndWait(const std::string& CommandLine, const std::function<void()>& Started)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info = {};
    std::string commandLine = CommandLine; // CreateProcessA may write into it
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info)) {
        const DWORD error = GetLastError();
        throw EOSError(error, SysErrorMessage(error));
    }
    ObjectHandle process(info.hProcess), thread(info.hThread);
    if (Started)
        Started();
    WaitForSingleObject(process.Get(), INFINITE);
}
