#include "UninstallSteps_win.h"

#include <winternl.h>

#include <algorithm>
#include <iterator>

#include "Product.h"
#include "ProgramGroup_win.h"
#include "Registry.h"
#include "ServiceControl.h"
#include "WinHandles.h"

namespace {

const DWORD ServiceStopTimeoutMs = 30000;
const REGSAM ReadWrite = KEY_READ | KEY_WRITE;

const char* HiveName(HKEY Root)
{
    return Root == HKEY_LOCAL_MACHINE  ? "HKEY_LOCAL_MACHINE"
           : Root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER"
                                       : "HKEY_USERS";
}

bool Exists(const std::string& Path)
{
    return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool HasValue(HKEY Key, const std::string& Name)
{
    const std::vector<std::string> names = RegValueNames(Key);
    return std::find(names.begin(), names.end(), Name) != names.end();
}

// Deletes the named values of the key, and the key itself when that leaves it empty. Another
// program's values or sub-keys keep the key; a value that stays is reported.
void RemoveValuesAndEmptyKey(HKEY Root, const std::string& Path, const std::vector<std::string>& Names,
                             TUninstallResult& Result)
{
    {
        RegKey key = OpenRegKey(Root, Path, ReadWrite);
        if (!key)
            return;
        for (const std::string& name : Names)
            if (HasValue(key.Get(), name) && !DeleteRegValue(key.Get(), name))
                Result.Left.push_back("the registry value \"" + name + "\" of " + HiveName(Root) + Path);
        if (!RegValueNames(key.Get()).empty())
            return;
    }
    // RegDeleteKey refuses a key that has sub-keys: those are not ours, and the key stays for them.
    DeleteRegKey(Root, Path);
}

bool IsLink(DWORD Attributes)
{
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Deletes a junction or symbolic link itself. The handle is opened on the link, not on what it
// leads to (FILE_FLAG_OPEN_REPARSE_POINT), and the deletion goes through that handle only once
// the handle shows the link: a system that opens the link's target instead (Wine follows its
// symbolic links) gets nothing deleted. NtSetInformationFile does what SetFileInformationByHandle
// does from Windows Vista on, and on every NT system.
bool DeleteLinkItself(const std::string& Path)
{
    FileHandle link(CreateFileA(Path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!link || !GetFileInformationByHandle(link.Get(), &info) || !IsLink(info.dwFileAttributes))
        return false;
    FILE_DISPOSITION_INFORMATION dispose = {TRUE};
    IO_STATUS_BLOCK status = {};
    return NT_SUCCESS(NtSetInformationFile(link.Get(), &status, &dispose, sizeof dispose, FileDispositionInformation));
}

// A link where the installation had a file or a folder (possible where others may write to the
// installation folder) leads to something that is not the installation's: the link goes if it
// can, what it leads to stays whole, and the report lists it as kept.
void RemoveLink(const std::string& Path, TUninstallResult& Result)
{
    if (DeleteLinkItself(Path))
        Result.Kept.push_back("what the link " + Path + " led to (only the link was removed)");
    else
        Result.Kept.push_back("the link " + Path + " and what it leads to (it was not followed)");
}

// Removes the file, also when it is read-only, or the link that stands in its place; true when
// it is gone or was a link.
bool DeleteInstalledFile(const std::string& Path, TUninstallResult& Result)
{
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (IsLink(attributes)) {
        RemoveLink(Path, Result);
        return true;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(Path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileA(Path.c_str()) || !Exists(Path);
}

// Removes the folder if it is empty; a folder that still holds something stays without a word.
void RemoveFolderIfEmpty(const std::string& Folder, TUninstallResult& Result)
{
    if (!Exists(Folder) || RemoveDirectoryA(Folder.c_str()))
        return;
    if (GetLastError() != ERROR_DIR_NOT_EMPTY)
        Result.Left.push_back("the folder " + Folder);
}

std::string ProgramFile()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

} // namespace

void RemoveService(TUninstallResult& Result)
{
    switch (StopAndDeleteService(ServiceName, ServiceStopTimeoutMs)) {
    case ServiceRemoval::Removed:
    case ServiceRemoval::Absent:
        break;
    case ServiceRemoval::NoManager:
        Result.Left.push_back(std::string("the service ") + ServiceName + " (no access to the service manager)");
        break;
    case ServiceRemoval::DidNotStop:
        Result.Left.push_back(std::string("the running service ") + ServiceName + " (it did not stop)");
        break;
    case ServiceRemoval::NotDeleted:
        Result.Left.push_back(std::string("the service ") + ServiceName);
        break;
    }
}

void RemoveRunEntries(TUninstallResult& Result)
{
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegKey key = OpenRegKey(root, RunKeyPath, ReadWrite);
        if (!key)
            continue;
        // The registry matches value names without regard to letter case; only the exact names
        // that the installation writes are removed.
        for (const char* name : {ApplicationRunValue, InterfaceRunValue})
            if (HasValue(key.Get(), name) && !DeleteRegValue(key.Get(), name))
                Result.Left.push_back(std::string("the autostart entry \"") + name + "\" of " + HiveName(root));
    }
}

void RemoveProgramGroups(TUninstallResult& Result)
{
    const std::vector<std::string> shortcuts(std::begin(GroupShortcuts), std::end(GroupShortcuts));
    for (const std::string& group : ProductProgramGroups()) {
        const GroupRemoval removal = RemoveProgramGroup(group, shortcuts);
        if (removal.BehindLink)
            Result.Kept.push_back("the program group " + group +
                                  ", which is a link or lies behind one (it was not followed)");
        for (const std::string& left : removal.Left)
            Result.Left.push_back("the shortcut " + left);
        for (const std::string& link : removal.Unlinked)
            Result.Kept.push_back("what the link " + link + " led to (only the link was removed)");
        for (const std::string& link : removal.NotFollowed)
            Result.Kept.push_back("the link " + link + " and what it leads to (it was not followed)");
        if (removal.FolderLeft)
            Result.Left.push_back("the folder " + group);
    }
}

std::optional<std::string> RecordedInstallFolder()
{
    RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, ProductKeyPath, KEY_READ);
    return key ? ReadRegString(key.Get(), PathValue) : std::nullopt;
}

std::string RecordedFoldersMade()
{
    return ReadKeyString(HKEY_LOCAL_MACHINE, ProductKeyPath, FoldersMadeValue).value_or("");
}

void RemoveRegistryRecords(TUninstallResult& Result)
{
    RemoveValuesAndEmptyKey(HKEY_LOCAL_MACHINE, ProductKeyPath, {PathValue, InstallationTypeValue, FoldersMadeValue},
                            Result);
    // The vendor's key goes only when no other product of the vendor is left in it.
    if (RegKey vendor = OpenRegKey(HKEY_LOCAL_MACHINE, VendorKeyPath, KEY_READ)) {
        const bool empty = RegValueNames(vendor.Get()).empty();
        vendor.Reset();
        if (empty)
            DeleteRegKey(HKEY_LOCAL_MACHINE, VendorKeyPath);
    }
    RemoveValuesAndEmptyKey(HKEY_LOCAL_MACHINE, UninstallKeyPath,
                            std::vector<std::string>(std::begin(UninstallEntryValues), std::end(UninstallEntryValues)),
                            Result);
}

void RemoveFiles(const std::string& Folder, const TRemovalPlan& Plan, TUninstallResult& Result)
{
    // The folders of the plan that are links, found from the top down: nothing below them is
    // entered. (Plan.Folders lists the deepest first.)
    std::vector<std::string> links;
    auto throughLink = [&](const std::string& Path) {
        return std::any_of(links.begin(), links.end(), [&](const std::string& Link) { return LiesWithin(Path, Link); });
    };
    for (auto folder = Plan.Folders.rbegin(); folder != Plan.Folders.rend(); ++folder)
        if (!throughLink(*folder) && IsLink(GetFileAttributesA((Folder + *folder).c_str())))
            links.push_back(*folder);

    const size_t leftBefore = Result.Left.size();
    for (const std::string& file : Plan.Files)
        if (!throughLink(file) && !DeleteInstalledFile(Folder + file, Result))
            Result.Left.push_back("the file " + Folder + file);
    if (Plan.ListsManifest && Result.Left.size() == leftBefore && !DeleteInstalledFile(Folder + ManifestFile, Result))
        Result.Left.push_back("the file " + Folder + ManifestFile);
    for (const std::string& link : links)
        RemoveLink(Folder + link, Result);
    for (const std::string& folder : Plan.Folders)
        if (!throughLink(folder))
            RemoveFolderIfEmpty(Folder + folder, Result);
}

void RemoveOwnFile(const std::string& Folder, TUninstallResult& Result)
{
    const std::string self = ProgramFile();
    const std::string folder = Folder.substr(0, Folder.size() - 1);

    // A running program's file cannot be deleted, but it can be renamed on its own volume: moved
    // to a new name in the temporary folder, it is deleted there at the next restart, and a
    // later installation's uninstaller in this folder is safe from that deletion.
    // GetTempFileName makes an empty file of a new name, which the move replaces.
    char temp[MAX_PATH + 1] = {}, moved[MAX_PATH + 1] = {};
    if (GetTempPathA(MAX_PATH, temp) && GetTempFileNameA(temp, "bb7", 0, moved)) {
        if (MoveFileExA(self.c_str(), moved, MOVEFILE_REPLACE_EXISTING)) {
            MoveFileExA(moved, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            if (RemoveDirectoryA(folder.c_str()))
                return;
            if (GetLastError() == ERROR_DIR_NOT_EMPTY)
                Result.Kept.push_back("the folder " + folder + ", which holds files that were not installed");
            else
                Result.Left.push_back("the folder " + folder);
            return;
        }
        DeleteFileA(moved); // the temporary folder is on another volume
    }

    // Deleted in place at the next restart; the folder after it, if nothing else is left in it then.
    if (!MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        Result.Left.push_back("the file " + self);
        return;
    }
    MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    Result.Kept.push_back(self + " and its folder, which are removed when Windows restarts");
}
