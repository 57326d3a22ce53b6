#include "OwnFolder_win.h"

#include "BriCommon.h"
#include "FolderStep.h"
#include "HeldFiles_win.h"
#include "Product.h"
#include "Registry.h"

const ACCESS_MASK OwnFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL;

namespace {

// A folder of somebody else's is opened for its removal: DELETE needs every other holder to
// share deletion, and sharing nothing but reading fails while anybody holds it open to add to it.
const ACCESS_MASK RemovalAccess = OwnFolderAccess | DELETE;

FolderRefusal RefusalOf(const FolderPath& Path)
{
    return Path.State == FolderPathState::Link ? FolderRefusal::Link : FolderRefusal::CannotMake;
}

OwnFolder Refused(FolderRefusal Why)
{
    OwnFolder refused;
    refused.Refusal = Why;
    return refused;
}

// True when the folder held by Folder, or a folder below it, holds a link, as the folders' own
// listings show it: one listing a level, no file opened. A link there would have the copy write
// wherever it leads.
bool HoldsLink(HANDLE Folder, int Depth = 0)
{
    std::vector<FolderEntry> entries;
    if (Depth > 64 || !ListFolder(Folder, entries))
        return true; // what cannot be looked through is not taken for plain
    for (const FolderEntry& entry : entries) {
        if (entry.IsLink())
            return true;
        if (!entry.IsFolder())
            continue;
        FileHandle below =
            OpenEntry(Folder, entry.Name, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, EntryKind::Folder);
        if (!below || IsLinkedEntry(below.Get()) || HoldsLink(below.Get(), Depth + 1))
            return true;
    }
    return false;
}

} // namespace

bool OutsideProgramFiles(const std::string& Folder)
{
    // The system's Program Files folders: a 32-bit program's own, and on 64-bit Windows the other.
    std::vector<std::string> programFiles;
    for (const char* value : {ProgramFilesDirValue, ProgramW6432DirValue})
        if (auto folder = ReadKeyString(HKEY_LOCAL_MACHINE, CurrentVersionKeyPath, value))
            programFiles.push_back(*folder);
    return NeedsOwnProtection(Folder, programFiles);
}

OwnFolder JudgeOwnFolder(const std::string& Path, const std::function<bool(HANDLE Folder)>& IsOurs)
{
    OwnFolder found;
    // First with sharing that others' handles cannot refuse: whose folder it is decides how it
    // is held.
    FolderPath look = OpenFolderPath(Path, OwnFolderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (look.State == FolderPathState::Missing) {
        found.State = OwnFolderState::Missing;
        found.Path = std::move(look);
        return found;
    }
    if (look.State != FolderPathState::Opened)
        return Refused(RefusalOf(look));
    found.Identity = IdentityOf(look.Folder.Get());
    const bool ours = IsOurs(look.Folder.Get());
    if (!ours && !IsEmptyFolder(look.Folder.Get()))
        return Refused(FolderRefusal::HoldsEntries);
    look.Folder.Reset();

    // Held now so that nobody can add to it any more; refused while somebody holds it open to do so.
    FolderPath held = OpenFolderPath(Path, ours ? OwnFolderAccess : RemovalAccess, ReadOnlyShare);
    if (held.State != FolderPathState::Opened)
        return Refused(held.State == FolderPathState::Failed ? FolderRefusal::InUse : RefusalOf(held));
    if (!(IdentityOf(held.Folder.Get()) == found.Identity))
        return Refused(FolderRefusal::InUse); // made again between the two looks
    if (!ours && !IsEmptyFolder(held.Folder.Get()))
        return Refused(FolderRefusal::HoldsEntries);
    if (ours && HoldsLink(held.Folder.Get()))
        return Refused(FolderRefusal::Link);
    found.State = ours ? OwnFolderState::Ours : OwnFolderState::Empty;
    found.Path = std::move(held);
    return found;
}

bool MakeOwnFolder(OwnFolder& Folder, const std::string& Path, PSECURITY_DESCRIPTOR Protection, std::string* Outermost)
{
    const auto refuse = [&](FolderRefusal Why) {
        Folder.State = OwnFolderState::Refused;
        Folder.Refusal = Why;
        Folder.Path.Folder.Reset();
        return false;
    };
    switch (Folder.State) {
    case OwnFolderState::Refused:
        return false;
    case OwnFolderState::Ours: {
        // Still the folder judged, at the same place: nothing was put in its place meanwhile.
        const FolderPath again =
            OpenFolderPath(Path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (again.State != FolderPathState::Opened || !(IdentityOf(again.Folder.Get()) == Folder.Identity))
            return refuse(RefusalOf(again) == FolderRefusal::Link ? FolderRefusal::Link : FolderRefusal::CannotMake);
        return true;
    }
    case OwnFolderState::Empty:
        // Whatever handles others still hold lead to the folder removed here, never to the new one.
        if (!IsEmptyFolder(Folder.Path.Folder.Get()) || !DeleteHeldEntry(Folder.Path.Folder.Get()))
            return refuse(FolderRefusal::InUse);
        Folder.Path.Folder.Reset();
        Folder.Path = OpenFolderPath(Path, OwnFolderAccess, ReadOnlyShare);
        if (Folder.Path.State != FolderPathState::Missing)
            return refuse(Folder.Path.State == FolderPathState::Link ? FolderRefusal::Link : FolderRefusal::InUse);
        Folder.State = OwnFolderState::Missing;
        [[fallthrough]];
    case OwnFolderState::Missing: {
        const std::string outermost = AddTrailingBackslash(Folder.Path.Deepest) + AnsiText(Folder.Path.Missing.front());
        // Made as new entries (FILE_CREATE): one that somebody made meanwhile fails the step.
        if (!CreateMissingFolders(Folder.Path, OwnFolderAccess, Protection, ReadOnlyShare))
            return refuse(FolderRefusal::CannotMake);
        Folder.State = OwnFolderState::Ours;
        Folder.Identity = IdentityOf(Folder.Path.Folder.Get());
        if (Outermost)
            *Outermost = outermost;
        return true;
    }
    }
    return false;
}
