// Putting the earlier version back: what the new version placed and recorded goes, then the
// kept files, records, shortcuts and service return as they were. Every step may be repeated:
// a put-back cut off in its turn is done again, whole, from the journal.
#include <windows.h>

#include <algorithm>

#include "BriCommon.h"
#include "Common_Custom.h"
#include "EarlierVersion.h"
#include "Product.h"
#include "ProgramGroup_win.h"
#include "Registry.h"
#include "ServiceControl.h"
#include "UnpackedFile.h"
#include "UpgradeFolder.h"
#include "WinHandles.h"

namespace {

const DWORD ProgramCloseTimeoutMs = 15000;
const DWORD ServiceTimeoutMs = 30000;

HKEY Hive(bool CurrentUser)
{
    return CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::string ParentOf(const std::string& Path)
{
    return Path.substr(0, Path.find_last_of('\\'));
}

// Removes a folder and the folders above it up to Top, each only while it is empty.
void RemoveEmptyFolders(std::string Folder, const std::string& Top)
{
    while (Folder.size() > Top.size() && RemoveDirectoryA(Folder.c_str()))
        Folder = ParentOf(Folder);
}

// What the new version placed in its folder, and its records, shortcuts and service.
bool TakeAwayNewVersion(const UpgradeJournal& Journal)
{
    bool done = true;
    CloseProductPrograms(ProgramCloseTimeoutMs);
    const ServiceRemoval service = StopAndDeleteService(ServiceName, ServiceTimeoutMs);
    done = (service == ServiceRemoval::Removed || service == ServiceRemoval::Absent) && done;
    for (const std::string& file : Journal.NewFiles) {
        const std::string path = Journal.NewFolder + file;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
            done = false;
        RemoveEmptyFolders(ParentOf(path), Journal.NewFolder);
    }
    if (!Journal.NewFolder.empty() && !SameFileName(Journal.NewFolder, Journal.OldFolder))
        RemoveDirectoryA(Journal.NewFolder.substr(0, Journal.NewFolder.size() - 1).c_str());

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

// The kept shortcuts of one place, in a group made anew there through handles that refuse links.
bool RestoreShortcuts(const ProgramGroupPlace& Place, const std::vector<std::string>& Files, const std::string& Kept)
{
    const std::string group = ProgramGroupAt(Place);
    if (Files.empty() || group.empty())
        return true;
    const std::string programs = ParentOf(group.substr(0, group.size() - 1));
    FileHandle held;
    if (MakeProgramGroup(programs, ProgramGroup, held) != GroupMade::Made)
        return false;
    bool done = true;
    for (const std::string& file : Files) {
        FileHandle kept = OpenUnchangeable(Kept + file);
        std::string data;
        done = kept && ReadHeldFile(kept.Get(), data, 1 << 20) && WriteGroupFile(held.Get(), file, data) && done;
    }
    return done;
}

// A kept file back where it was, as a copy: a hard link would tie the kept copy to a program
// that runs from the file again (Windows deletes no name of a running program's file), and the
// kept copy must go once everything is back.
bool Restore(const std::string& Kept, const std::string& Place)
{
    if (GetFileAttributesA(Kept.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    if (!CreateFolderPath(ParentOf(Place)))
        return false;
    SetFileAttributesA(Place.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(Place.c_str());
    return CopyFileA(Kept.c_str(), Place.c_str(), FALSE) != 0;
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
    bool done = TakeAwayNewVersion(journal_);
    if (!done)
        Sink.Log("Couldn't remove everything of the new version", true);

    const std::string kept = UpgradeFolder();
    for (const std::string& file : journal_.OldFiles)
        if (!Restore(kept + KeptFilesFolder + file, journal_.OldFolder + file)) {
            Sink.Log("Couldn't put back " + journal_.OldFolder + file, true);
            done = false;
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
    for (int place = 0; place < ProgramGroupPlaceCount; ++place) {
        std::vector<std::string> files;
        for (const KeptShortcut& shortcut : journal_.Shortcuts)
            if (shortcut.Place == place)
                files.push_back(shortcut.File);
        const std::string keptHere = kept + KeptShortcutsFolder + std::to_string(place) + "\\";
        if (!RestoreShortcuts(ProgramGroupPlaces[place], files, keptHere))
            Sink.Note("The earlier version's program group could not be put back in " +
                      ProgramGroupAt(ProgramGroupPlaces[place]));
    }
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
        RemoveUpgradeFolder();
        Sink.Note("The earlier version in " + journal_.OldFolder + " was put back");
    }
    return done;
}

void EarlierVersion::Finish(InstallSink& Sink)
{
    switch (journal_.State) {
    case UpgradeState::Keeping:
        Sink.Note("An upgrade was cut off before it changed anything: its copy of the earlier version goes");
        RemoveUpgradeFolder();
        break;
    case UpgradeState::Kept:
    case UpgradeState::Installing:
        Sink.Note("An upgrade was cut off before the new version stood");
        PutBack(Sink);
        break;
    case UpgradeState::Installed:
        Sink.Note("An upgrade was cut off after the new version stood: its copy of the earlier version goes");
        RemoveUpgradeFolder();
        break;
    }
}
