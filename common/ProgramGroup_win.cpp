#include "ProgramGroup_win.h"

#include <algorithm>
#include <optional>

#include "BriCommon.h"
#include "FolderHandles_win.h"
#include "Product.h"
#include "Registry.h"

namespace {

const ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool Exists(const std::string& Path)
{
    return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

GroupMade MakeProgramGroup(const std::string& Programs, const std::string& Group, FileHandle& Held)
{
    const FolderPath programs =
        OpenFolderPath(Programs, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_ADD_SUBDIRECTORY | FILE_READ_ATTRIBUTES);
    if (programs.State == FolderPathState::Link)
        return GroupMade::BehindLink;
    if (programs.State != FolderPathState::Opened)
        return GroupMade::NotMade;
    // FILE_CREATE: a group left by an earlier installation, or a link at its name, is not used.
    Held = OpenEntry(programs.Folder.Get(), WideText(Group), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_ADD_FILE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE, EntryKind::Folder);
    return Held ? GroupMade::Made : GroupMade::NotMade;
}

bool WriteGroupFile(HANDLE Group, const std::string& Name, const std::string& Data)
{
    FileHandle file = OpenEntry(Group, WideText(Name), GENERIC_WRITE, FILE_SHARE_READ, FILE_CREATE, EntryKind::File);
    if (!file)
        return false;
    DWORD written = 0;
    return Data.empty() || (WriteFile(file.Get(), Data.data(), static_cast<DWORD>(Data.size()), &written, nullptr) &&
                            written == Data.size());
}

std::string ProgramGroupAt(const ProgramGroupPlace& Place)
{
    const std::string programs = ReadKeyString(Place.Root, Place.Path, Place.Value).value_or("");
    return programs.empty() ? std::string() : AddTrailingBackslash(AddTrailingBackslash(programs) + ProgramGroup);
}

bool IsPlainFolder(const std::string& Folder)
{
    const DWORD attributes = Folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(Folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::vector<std::string> ProductProgramGroups()
{
    std::vector<std::string> groups;
    for (const ProgramGroupPlace& place : ProgramGroupPlaces) {
        std::string group = ProgramGroupAt(place);
        if (group.empty())
            continue;
        group.pop_back();
        if (Exists(group) && std::none_of(groups.begin(), groups.end(), [&](const std::string& Known) {
                return lstrcmpiA(Known.c_str(), group.c_str()) == 0;
            }))
            groups.push_back(group);
    }
    return groups;
}

GroupRemoval RemoveProgramGroup(const std::string& Group, const std::vector<std::string>& Shortcuts)
{
    GroupRemoval removal;
    FolderPath group = OpenFolderPath(Group, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | DELETE);
    if (group.State == FolderPathState::Link) {
        removal.BehindLink = true;
        return removal;
    }
    if (group.State != FolderPathState::Opened) {
        removal.FolderLeft = Exists(Group);
        return removal;
    }
    for (const std::string& name : Shortcuts) {
        const std::string path = Group + "\\" + name;
        FileHandle shortcut =
            OpenEntry(group.Folder.Get(), WideText(name), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                      ShareAll, FILE_OPEN, EntryKind::Any);
        if (!shortcut) {
            if (Exists(path))
                removal.Left.push_back(path);
            continue;
        }
        // A handle that does not show the link its path shows holds what the link leads to (Wine
        // follows links even when asked not to): then nothing is deleted.
        const bool held = IsLinkedEntry(shortcut.Get());
        if (!held && IsLinkedEntry(shortcut.Get(), path)) {
            removal.NotFollowed.push_back(path);
            continue;
        }
        if (!DeleteHeldEntry(shortcut.Get()))
            removal.Left.push_back(path);
        else if (held)
            removal.Unlinked.push_back(path);
    }
    std::vector<FolderEntry> rest;
    // The entries deleted above go when their handles are closed, which they are by now.
    if (ListFolder(group.Folder.Get(), rest) && rest.empty() && !DeleteHeldEntry(group.Folder.Get()))
        removal.FolderLeft = true;
    return removal;
}
