// Folders and files reached through handles, never through a link. Each level of a path is
// opened relative to the handle of the level above it (NtCreateFile with a root directory), so
// that no level can be swapped for another between two calls, and a junction, a symbolic link
// or any other reparse point is refused where it stands instead of being followed. The NT
// calls exist on every system of the NT family; none of this works on Windows 95/98/Me.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "WinHandles.h"

// Text in the system's code page and in UTF-16, as the NT calls want it. A character that the
// code page lacks becomes "?", which no file name holds.
std::wstring WideText(const std::string& Text);
std::string AnsiText(const std::wstring& Text);

enum class FolderPathState {
    Opened,    // every level exists: Folder holds the last
    Missing,   // Folder holds the deepest level that exists, Missing names those below it
    Link,      // a level is a link (Deepest names it); nothing below it was looked at
    NotFolder, // a level is a file
    Failed,    // a level could not be opened (no access, no such drive, a name no folder has)
};

struct FolderPath {
    FolderPathState State = FolderPathState::Failed;
    FileHandle Folder;
    std::vector<std::wstring> Missing; // outermost first
    std::string Deepest;               // the path of the last level looked at
};

// How the last level of a path is shared while it is held. By default others may read and write
// it but not delete it: while the handle is held nobody may rename or delete the folder, and no
// folder above it can be renamed either. ReadOnlyShare keeps writers out too: nobody may open it
// to add anything, and opening it fails while anybody else holds it open for that.
extern const ULONG HeldFolderShare; // FILE_SHARE_READ | FILE_SHARE_WRITE
extern const ULONG ReadOnlyShare;   // FILE_SHARE_READ

// Walks Path ("C:\Program Files\Brisel Backup 7", "\\server\share\BB7") from its root one
// level at a time. The last level is opened with Access and Share. Backup intent: with
// OwnershipPrivileges alive an administrator opens a folder that another account keeps to itself.
FolderPath OpenFolderPath(const std::string& Path, ACCESS_MASK Access, ULONG Share = HeldFolderShare);

// Creates the Missing levels of Path, each inside the one before. The outermost gets Outermost
// as its security (nullptr: what its parent passes on) and the others inherit from it. Path's
// Folder then holds the last one, opened as OpenFolderPath opens it with Share. False when a
// level cannot be made, also when somebody else made it meanwhile; the levels made before it
// are removed again.
bool CreateMissingFolders(FolderPath& Path, ACCESS_MASK Access, PSECURITY_DESCRIPTOR Outermost,
                          ULONG Share = HeldFolderShare);

// An entry of a folder as the folder lists it.
struct FolderEntry {
    std::wstring Name;
    std::string AnsiName;
    DWORD Attributes = 0;
    bool IsFolder() const { return (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsLink() const { return (Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

// The entries of the folder held by Folder (open with FILE_LIST_DIRECTORY), without "." and
// "..". False when the folder cannot be read.
bool ListFolder(HANDLE Folder, std::vector<FolderEntry>& Entries);

enum class EntryKind { Any, Folder, File };

// Opens Name, one name without separators, inside the folder held by Folder: a link at that
// name opens as itself, never what it leads to. Disposition is FILE_OPEN or FILE_CREATE (a
// new entry, which fails on any name that exists, a link included). Share is as for
// CreateFile. Empty when it cannot be opened or is not of Kind; Status, when given, gets the
// system's reason.
FileHandle OpenEntry(HANDLE Folder, const std::wstring& Name, ACCESS_MASK Access, ULONG Share, ULONG Disposition,
                     EntryKind Kind, PSECURITY_DESCRIPTOR Security = nullptr, NTSTATUS* Status = nullptr);

// The reason an entry could not be opened: there is nothing of that name (or no folder on the way).
bool IsNotFound(NTSTATUS Status);

// True when the entry held by Entry is a link: a reparse point, or a file of more than one name
// (a hard link, whose content and permissions another name shares).
bool IsLinkedEntry(HANDLE Entry);

// True when Path or the entry held by Entry shows as a reparse point. Wine opens what a link
// leads to even when asked for the link itself, but shows the link by its path.
bool IsLinkedEntry(HANDLE Entry, const std::string& Path);

// Deletes the entry held by Entry (open with DELETE): a file, a link itself, or an empty folder;
// a read-only file too when the handle may also write attributes (FILE_WRITE_ATTRIBUTES).
bool DeleteHeldEntry(HANDLE Entry);

// True when the volume of the entry held by Entry keeps permissions of this computer's (NTFS
// does; FAT and exFAT do not, nor does another computer's share).
bool KeepsPermissions(HANDLE Entry);

// The same folder or file, and not another made at the same path meanwhile: volume and file index.
struct FolderIdentity {
    DWORD Volume = 0, IndexHigh = 0, IndexLow = 0;
    bool operator==(const FolderIdentity& Other) const
    {
        return Volume == Other.Volume && IndexHigh == Other.IndexHigh && IndexLow == Other.IndexLow;
    }
};
FolderIdentity IdentityOf(HANDLE Entry);
