#include "FolderStep.h"

#include <windows.h>

#include "BriCommon.h"
#include "BriErrors.h"
#include "Common_Custom.h"
#include "EarlierUninstaller_win.h"
#include "FolderHandles_win.h"
#include "FolderOwnership_win.h"
#include "Product.h"
#include "Registry.h"
#include "SecurityDescriptor_win.h"

namespace {

// The system's Program Files folders: a 32-bit program's own, and on 64-bit Windows the other.
std::vector<std::string> ProgramFilesFolders()
{
    std::vector<std::string> folders;
    for (const char* value : {ProgramFilesDirValue, ProgramW6432DirValue})
        if (auto folder = ReadKeyString(HKEY_LOCAL_MACHINE, CurrentVersionKeyPath, value))
            folders.push_back(*folder);
    return folders;
}

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

// The refusal for a path whose walk stopped before the folder: a link on the way, or a level
// that is no folder or cannot be opened.
std::nullopt_t RefusePath(const FolderRequest& Request, const FolderPath& Path, InstallSink& Sink)
{
    if (Path.State == FolderPathState::Link)
        return Refuse(Sink, FoundFolderRefusal(Request.Folder, FoundEntryVerdict::Link));
    return RefuseFolder(Request, Sink);
}

bool SameFolderName(std::string A, std::string B)
{
    A = AddTrailingBackslash(A);
    B = AddTrailingBackslash(B);
    return lstrcmpiA(A.c_str(), B.c_str()) == 0;
}

// The earlier installation's recorded folder is the folder chosen.
bool IsEarlierFolder(const FolderRequest& Request, const std::string& Folder)
{
    std::string earlier;
    return Request.OldVersionFound && WindowsFolderName(Request.OldInstallDir, earlier) &&
           SameFolderName(earlier, Folder);
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
    RunAndWait(OldUninstallerCommandLine(Request.OldInstallDir, Request.AutoMode), [&] {
        if (Uninstaller)
            Uninstaller->Release();
    });
}

// Windows 95/98/Me keeps no permissions and knows no links; an empty folder box goes on to the
// folder helper, whose error says so. The folder is made as it always was.
std::optional<PreparedFolder> PrepareUnprotectedFolder(const FolderRequest& Request, const std::string& Folder,
                                                       InstallSink& Sink)
{
    PreparedFolder prepared;
    prepared.Folder = Folder;
    prepared.KeepsPermissions = false;
    RunUninstaller(Request, JudgeUninstaller(Request), prepared, Sink);
    if (FolderExists(Folder))
        return prepared;
    bool created = false;
    try {
        created = CreateFolderPath(Folder);
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
    bool EarlierFolderThere = false;
    FolderIdentity EarlierIdentity;
};

bool ChangesEarlierVersion(const FolderRequest& Request, const FolderJudgement& Judgement)
{
    return Request.OldVersionFound && !UninstallerMissing(Request, Judgement.Uninstaller);
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
    if (Request.Folder.empty() || !IsNtPlatform()) {
        judgement->Unprotected = true;
        return judgement;
    }
    // The ANSI calls of the copy take no longer paths.
    if (folder.size() >= MAX_PATH)
        return Refused(RefuseFolder(Request, Sink));

    // The folder may be somebody else's, who keeps administrators out of it.
    const OwnershipPrivileges privileges;
    // What the earlier version's uninstaller keeps in its folder (a user's plug-ins) may stay
    // there; what an uninstaller that is not run leaves is anybody's.
    judgement->Uninstaller = JudgeUninstaller(Request);
    const bool earlierPath = RefusalOf(judgement->Uninstaller).empty() &&
                             !UninstallerMissing(Request, judgement->Uninstaller) && IsEarlierFolder(Request, folder);

    // Before anything changes: the drive, and what the folder holds if it exists.
    const FolderPath found = OpenFolderPath(folder, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES);
    if (found.State != FolderPathState::Opened && found.State != FolderPathState::Missing)
        return Refused(RefusePath(Request, found, Sink));
    judgement->KeepsPermissions = KeepsPermissions(found.Folder.Get());
    if (Request.ServiceType && !judgement->KeepsPermissions)
        return Refused(Refuse(Sink, UnprotectedServiceRefusal(Request.Folder)));
    if (found.State == FolderPathState::Opened) {
        const FolderWalk walk =
            InspectFolder(found.Folder.Get(), earlierPath ? FoundFolderKind::EarlierInstallation : FoundFolderKind::Foreign,
                          Request.Manifest);
        if (!walk.Complete)
            return Refused(Refuse(Sink, FoundFolderRefusal(Request.Folder, walk.Refusal)));
        judgement->EarlierFolderThere = earlierPath;
        judgement->EarlierIdentity = IdentityOf(found.Folder.Get());
    }
    return judgement; // the folder is let go: the earlier version's uninstaller deletes it
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

    // Made, or taken, as the installer's own, and held from now on. The folder found after the
    // uninstaller is the earlier installation's only when it is the very folder found before:
    // one that somebody made again meanwhile is anybody's.
    FolderPath path = OpenFolderPath(folder, HeldFolderAccess);
    if (path.State == FolderPathState::Missing) {
        const bool own = prepared.KeepsPermissions && NeedsOwnProtection(folder, ProgramFilesFolders());
        const SecurityDescriptor protection(ProtectedFolderSddl);
        const std::string outermost = AddTrailingBackslash(path.Deepest) + AnsiText(path.Missing.front());
        if (!CreateMissingFolders(path, HeldFolderAccess, own ? protection.Get() : nullptr))
            return RefuseFolder(Request, Sink);
        if (!prepared.KeepsPermissions)
            Sink.Note("Folder not protected, as its drive keeps no permissions: " + outermost);
        else if (own)
            Sink.Note("Folder protected against changes by ordinary users: " + outermost);
    } else if (path.State == FolderPathState::Opened) {
        const bool earlier = Judgement.EarlierFolderThere && IdentityOf(path.Folder.Get()) == Judgement.EarlierIdentity;
        const FoundFolderKind kind = earlier ? FoundFolderKind::EarlierInstallation : FoundFolderKind::Foreign;
        // On a drive without permissions nothing can be taken: it is only looked through again.
        const FolderWalk walk = prepared.KeepsPermissions ? TakeOverFolder(path.Folder.Get(), kind, Request.Manifest)
                                                          : InspectFolder(path.Folder.Get(), kind, Request.Manifest);
        if (!walk.Complete)
            return Refuse(Sink, FoundFolderRefusal(Request.Folder, walk.Refusal));
        Sink.Note(prepared.KeepsPermissions
                      ? "Folder taken over and protected against changes by ordinary users: " + LogName(folder)
                      : "Folder not protected, as its drive keeps no permissions: " + LogName(folder));
    } else {
        return RefusePath(Request, path, Sink);
    }
    prepared.Hold = Holder(std::move(path.Folder));
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
