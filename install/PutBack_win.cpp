// Putting the earlier version back: what the new version placed and recorded goes, then the
// kept files, records, shortcuts and service return as they were. Every step may be repeated:
// a put-back cut off in its turn is done again, whole, from the journal. Files are removed and
// written only through handles of folders that are the installer's own, never by path.
#include <windows.h>

#include <algorithm>

#include "BriCommon.h"
#include "Common_Custom.h"
#include "EarlierVersion.h"
#include "FolderHandles_win.h"
#include "FolderStep.h"
#include "HeldFiles_win.h"
#include "Installation.h"
#include "KeptFolders_win.h"
#include "PendingRenames_win.h"
#include "OwnFolder_win.h"
#include "Product.h"
#include "ProgramGroup_win.h"
#include "Registry.h"
#include "SecurityDescriptor_win.h"
#include "ServiceControl.h"
#include "UnpackedFile.h"
#include "WinHandles.h"

namespace {

const DWORD ProgramCloseTimeoutMs = 15000;
const DWORD ServiceTimeoutMs = 30000;
const size_t KeptFileMaxSize = 256u << 20;

HKEY Hive(bool CurrentUser)
{
    return CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The folder part of a relative path ("Help\Images" of "Help\Images\logo.png"); empty for none.
std::string FolderOf(const std::string& Relative)
{
    const size_t end = Relative.find_last_of('\\');
    return end == std::string::npos ? std::string() : Relative.substr(0, end);
}

std::wstring NameOf(const std::string& Relative)
{
    return WideText(Relative.substr(Relative.find_last_of('\\') + 1));
}

// The files the new version placed go from its folder, through handles, and the folders they
// leave empty; the folder itself too when it is not the earlier one. Only the folder that the
// run noted (its identity) is touched: one that somebody put in its place meanwhile is left alone.
bool TakeAwayNewFiles(const UpgradeJournal& Journal, const FolderIdentity& Recorded)
{
    if (Journal.NewFolder.empty())
        return true;
    FolderPath folder = OpenFolderPath(Journal.NewFolder, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (folder.State == FolderPathState::Missing)
        return true;
    if (folder.State != FolderPathState::Opened || !(IdentityOf(folder.Folder.Get()) == Recorded))
        return false;
    bool done = true;
    std::vector<std::string> folders;
    for (const std::string& file : Journal.NewFiles) {
        const std::string below = FolderOf(file);
        FileHandle parent = OpenSubfolders(folder.Folder.Get(), RelativeNames(below), FILE_TRAVERSE, false);
        // A new file that waits beside one in use goes with its replacement at the restart; the
        // one in use is still the earlier version's.
        DropPendingRenamesOf(Journal.NewFolder + file);
        const bool held = std::find(Journal.HeldFiles.begin(), Journal.HeldFiles.end(), file) != Journal.HeldFiles.end() &&
                          SameFileName(Journal.NewFolder, Journal.OldFolder);
        if (parent) {
            // What waits beside it is a file the run wrote, when it is one.
            if (FileHandle staged = OpenEntry(parent.Get(), NameOf(StagedName(file)), DELETE | FILE_WRITE_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                                              EntryKind::File))
                DeleteHeldEntry(staged.Get());
            if (!held)
                done = DeleteEntry(parent.Get(), NameOf(file)) && done;
        }
        for (std::string level = below; !level.empty(); level = FolderOf(level))
            if (std::find(folders.begin(), folders.end(), level) == folders.end())
                folders.push_back(level);
    }
    // Deepest first, each only while it is empty: a file of somebody else's keeps its folder.
    std::sort(folders.begin(), folders.end(),
              [](const std::string& A, const std::string& B) { return A.size() > B.size(); });
    for (const std::string& level : folders) {
        FileHandle parent = OpenSubfolders(folder.Folder.Get(), RelativeNames(FolderOf(level)), FILE_TRAVERSE, false);
        FileHandle empty =
            parent ? OpenSubfolders(parent.Get(), {NameOf(level)}, FILE_LIST_DIRECTORY | DELETE, false) : FileHandle();
        if (empty && IsEmptyFolder(empty.Get()))
            DeleteHeldEntry(empty.Get());
    }
    if (!SameFileName(Journal.NewFolder, Journal.OldFolder)) {
        folder.Folder.Reset();
        FolderPath top = OpenFolderPath(Journal.NewFolder, FILE_LIST_DIRECTORY | DELETE, ReadOnlyShare);
        if (top.State == FolderPathState::Opened && IdentityOf(top.Folder.Get()) == Recorded &&
            IsEmptyFolder(top.Folder.Get()))
            DeleteHeldEntry(top.Folder.Get());
    }
    return done;
}

// What the new version placed in its folder, and its records, shortcuts and service.
bool TakeAwayNewVersion(const UpgradeJournal& Journal, const FolderIdentity& NewIdentity)
{
    bool done = true;
    CloseProductPrograms(ProgramCloseTimeoutMs);
    const ServiceRemoval service = StopAndDeleteService(ServiceName, ServiceTimeoutMs);
    done = (service == ServiceRemoval::Removed || service == ServiceRemoval::Absent) && done;
    done = TakeAwayNewFiles(Journal, NewIdentity) && done;

    for (const char* key : {ProductKeyPath, UninstallKeyPath, RunKeyPath}) {
        for (bool currentUser : {false, true}) {
            RegKey open = OpenRegKey(Hive(currentUser), key, KEY_READ | KEY_WRITE);
            if (!open)
                continue;
            for (const std::string& name : RegValueNames(open.Get())) {
                const bool product = std::string(key) != RunKeyPath;
                if (product ? !currentUser : (name == ApplicationRunValue || name == InterfaceRunValue))
                    if (!DeleteRegValue(open.Get(), name))
                        done = false;
            }
        }
    }
    // Through handles that refuse a link anywhere on the way: a group behind one is left alone.
    const std::vector<std::string> shortcuts(std::begin(GroupShortcuts), std::end(GroupShortcuts));
    for (const std::string& group : ProductProgramGroups())
        done = RemoveProgramGroup(group, shortcuts).Left.empty() && done;
    return done;
}

// The content of a kept file, when it still is what was kept.
bool ReadKept(const UpgradeStore& Store, const std::string& Relative, const Sha256Digest& Digest, std::string& Content,
              BY_HANDLE_FILE_INFORMATION& Info)
{
    FileHandle kept = Store.OpenKept(Relative);
    return kept && GetFileInformationByHandle(kept.Get(), &Info) &&
           ReadHeldFile(kept.Get(), Content, KeptFileMaxSize) && Sha256Of(Content.data(), Content.size()) == Digest;
}

// The kept shortcuts of one place, in a group made anew there through handles that refuse links.
bool RestoreShortcuts(const UpgradeStore& Store, int Place, const std::vector<KeptShortcut>& Shortcuts)
{
    const std::string group = ProgramGroupAt(ProgramGroupPlaces[Place]);
    std::vector<const KeptShortcut*> here;
    for (const KeptShortcut& shortcut : Shortcuts)
        if (shortcut.Place == Place)
            here.push_back(&shortcut);
    if (here.empty() || group.empty())
        return true;
    const std::string programs = group.substr(0, group.find_last_of('\\', group.size() - 2));
    FileHandle held;
    if (MakeProgramGroup(programs, ProgramGroup, held) != GroupMade::Made)
        return false;
    bool done = true;
    for (const KeptShortcut* shortcut : here) {
        std::string data;
        BY_HANDLE_FILE_INFORMATION info;
        done = ReadKept(Store, KeptShortcutsFolder + std::to_string(Place) + "\\" + shortcut->File, shortcut->Digest,
                        data, info) &&
               WriteGroupFile(held.Get(), shortcut->File, data) && done;
    }
    return done;
}

// The service registered again as it was, and started when it ran; the system's error when not.
DWORD RestoreService(const KeptService& Kept, const std::string& Password)
{
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        return GetLastError();
    const char* account = Kept.Account.empty() ? nullptr : Kept.Account.c_str();
    ServiceHandle service;
    // A service deleted a moment ago may still be marked for deletion while its last handles close.
    for (int attempt = 0; attempt < 100 && !service; ++attempt) {
        service.Reset(CreateServiceA(manager.Get(), ServiceName, Kept.DisplayName.c_str(),
                                     SERVICE_START | SERVICE_QUERY_STATUS, SERVICE_WIN32_OWN_PROCESS, Kept.StartType,
                                     SERVICE_ERROR_NORMAL, Kept.Program.c_str(), nullptr, nullptr, nullptr, account,
                                     account ? Password.c_str() : nullptr));
        if (!service && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE)
            return GetLastError();
        if (!service)
            Sleep(100);
    }
    if (!service)
        return ERROR_SERVICE_MARKED_FOR_DELETE;
    if (!Kept.Running)
        return ERROR_SUCCESS;
    if (!StartServiceA(service.Get(), 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
        return GetLastError();
    return WaitWhileServiceState(service.Get(), SERVICE_START_PENDING, ServiceTimeoutMs) == SERVICE_RUNNING
               ? ERROR_SUCCESS
               : ERROR_SERVICE_REQUEST_TIMEOUT;
}

// The account name as the service manager gives it and as the pages take it (".\name").
bool SameAccount(const std::string& A, const std::string& B)
{
    auto bare = [](const std::string& Name) { return Name.compare(0, 2, ".\\") == 0 ? Name.substr(2) : Name; };
    return SameFileName(bare(A), bare(B));
}

} // namespace

bool EarlierVersion::PutBack(InstallSink& Sink, const std::string& Account, const std::string& Password)
{
    Sink.Note("Putting the earlier version back in " + journal_.OldFolder);
    const StoreRecord& record = store_.Record();
    bool done = TakeAwayNewVersion(journal_, record.NewIdentity);
    if (!done)
        Sink.Log("Couldn't remove everything of the new version", true);

    // Its folder is the installer's own again: the very folder kept from, or one made anew.
    const OwnershipPrivileges privileges;
    const FolderIdentity earlier = record.EarlierIdentity;
    OwnFolder folder = JudgeOwnFolder(journal_.OldFolder, [&](HANDLE Found) { return IdentityOf(Found) == earlier; });
    const bool protect = OutsideProgramFiles(journal_.OldFolder);
    const SecurityDescriptor protection(ProtectedFolderSddl);
    if (!MakeOwnFolder(folder, journal_.OldFolder, protect ? protection.Get() : nullptr)) {
        // Nothing runs from a folder that is not the installer's own: not its files, nor its
        // service, nor its autostart entries.
        Sink.Log("Couldn't put back the earlier version. " + FolderRefusalMessage(journal_.OldFolder, folder.Refusal),
                 true);
        return false;
    }
    const HANDLE held = folder.Path.Folder.Get();
    for (const KeptFile& file : journal_.OldFiles) {
        std::string data;
        BY_HANDLE_FILE_INFORMATION info;
        FileHandle parent =
            OpenSubfolders(held, RelativeNames(FolderOf(file.Path)), FILE_ADD_FILE | FILE_TRAVERSE, true);
        if (!ReadKept(store_, KeptFilesFolder + file.Path, file.Digest, data, info) || !parent ||
            !WriteNewFile(parent.Get(), NameOf(file.Path), data, info.dwFileAttributes, &info.ftLastWriteTime)) {
            Sink.Log("Couldn't put back " + journal_.OldFolder + file.Path, true);
            done = false;
        }
    }
    for (const KeptValue& value : journal_.Values) {
        RegKey key = CreateRegKey(Hive(value.CurrentUser), value.Key, KEY_WRITE);
        const bool written = key && (value.IsNumber ? WriteRegDword(key.Get(), value.Name, value.Number)
                                                    : WriteRegString(key.Get(), value.Name, value.Text));
        if (!written) {
            Sink.Log("Couldn't put back the registry value " + value.Name + " of " + value.Key, true);
            done = false;
        }
    }
    for (int place = 0; place < ProgramGroupPlaceCount; ++place)
        if (!RestoreShortcuts(store_, place, journal_.Shortcuts))
            Sink.Note("The earlier version's program group could not be put back in " +
                      ProgramGroupAt(ProgramGroupPlaces[place]));
    if (const auto& service = journal_.Service) {
        const bool knownPassword = !service->Account.empty() && SameAccount(service->Account, Account);
        if (!service->Account.empty() && !knownPassword)
            Sink.Note("The service's account " + service->Account +
                      " is put back without its password, which this run does not know");
        if (const DWORD error = RestoreService(*service, knownPassword ? Password : std::string())) {
            Sink.Log(std::string("Couldn't put back the service ") + ServiceName + ": " + SysErrorMessage(error), true);
            done = false;
        }
    }
    if (done) {
        store_.Remove();
        // Its folder is the recorded installation's again, whatever its uninstaller noted of it.
        ForgetKeptFolder(journal_.OldFolder);
        Sink.Note("The earlier version in " + journal_.OldFolder + " was put back");
    }
    return done;
}

bool EarlierVersion::Finish(InstallSink& Sink)
{
    switch (journal_.State) {
    case UpgradeState::Keeping:
        return FinishKeeping(Sink);
    case UpgradeState::Kept:
    case UpgradeState::Installing:
        Sink.Note("An upgrade was cut off before the new version stood");
        return PutBack(Sink);
    case UpgradeState::Installed:
        Sink.Note("An upgrade was cut off after the new version stood: its copy of the earlier version goes");
        store_.Remove();
        return true;
    case UpgradeState::Restarting:
        return FinishAfterRestart(Sink);
    }
    return false;
}

bool EarlierVersion::FinishKeeping(InstallSink& Sink)
{
    Sink.Note("An upgrade was cut off while it kept the earlier version: what it moved goes back");
    const FolderPath folder = OpenFolderPath(journal_.OldFolder, FILE_LIST_DIRECTORY | FILE_TRAVERSE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    const bool ours =
        folder.State == FolderPathState::Opened && IdentityOf(folder.Folder.Get()) == store_.Record().EarlierIdentity;
    if (!ours || !ReturnMovedFiles(folder.Folder.Get())) {
        Sink.Log("Couldn't move the earlier version's files back into " + journal_.OldFolder, true);
        return false;
    }
    // Its service, when Windows could not start it from the files in the store, runs again.
    if (journal_.Service && journal_.Service->Running) {
        ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
        ServiceHandle service(manager ? OpenServiceA(manager.Get(), ServiceName, SERVICE_START) : nullptr);
        if (service)
            StartServiceA(service.Get(), 0, nullptr);
    }
    store_.Remove();
    return true;
}

bool EarlierVersion::FinishAfterRestart(InstallSink& Sink)
{
    for (const KeptFile& file : journal_.StagedFiles)
        if (IsPendingRename(StagedName(journal_.NewFolder + file.Path))) {
            Sink.Note("An upgrade waits for the next start of Windows to replace files in use");
            return false;
        }
    const FolderPath folder = OpenFolderPath(journal_.NewFolder, FILE_LIST_DIRECTORY | FILE_TRAVERSE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    const bool ours = folder.State == FolderPathState::Opened && IdentityOf(folder.Folder.Get()) == store_.Record().NewIdentity;
    const bool replaced = ours && std::all_of(journal_.StagedFiles.begin(), journal_.StagedFiles.end(),
                                              [&](const KeptFile& File) {
                                                  FileHandle placed = OpenFileBelow(folder.Folder.Get(), File.Path);
                                                  Sha256Digest digest;
                                                  return placed && DigestOfOpenFile(placed.Get(), digest) &&
                                                         digest == File.Digest;
                                              });
    if (replaced) {
        Sink.Note("Windows has replaced the files that were in use: the copy of the earlier version goes");
        store_.Remove();
        return true;
    }
    Sink.Note("Windows did not replace the files that were in use at its start");
    return PutBack(Sink);
}
