// The installation folder becomes the installer's own: owned by the Administrators, changed by
// nobody but SYSTEM and the Administrators, whether the installer makes it or finds it. A
// folder found is first looked through without a change, and taken only when nothing in it
// refuses it (see FoundFolder.h); taking it gives every folder and file in it that owner and
// those permissions, each one locked against additions before what is in it is looked at.
// Everything goes through handles (FolderHandles_win.h): no link is followed on the way.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "FoundFolder.h"
#include "WinHandles.h"

// What a walk through a folder found.
struct FolderWalk {
    bool Complete = false; // every entry judged (and taken) without a refusal
    FoundEntryVerdict Refusal =
        FoundEntryVerdict::Keep; // when not complete: the refusing verdict, or Keep for a failure
    std::string Where;           // the entry that refused it or could not be handled
};

// The access with which the installation folder is held for the whole run.
extern const ACCESS_MASK HeldFolderAccess;

// Judges everything below the folder held by Folder (open with HeldFolderAccess or with
// FILE_LIST_DIRECTORY and FILE_TRAVERSE) and changes nothing; it stops at the first refusal.
FolderWalk InspectFolder(HANDLE Folder, FoundFolderKind Kind, const std::vector<std::string>& Manifest);

// Makes the folder held by Folder (open with HeldFolderAccess) the installer's own: its owner
// and permissions first, then, level by level, those of everything in it; files that the
// installation writes anew are deleted. Stops at the first refusal or failure; what was taken
// until then stays taken.
FolderWalk TakeOverFolder(HANDLE Folder, FoundFolderKind Kind, const std::vector<std::string>& Manifest);

// The same folder, and not another made at the same path meanwhile: volume and file index.
struct FolderIdentity {
    DWORD Volume = 0, IndexHigh = 0, IndexLow = 0;
    bool operator==(const FolderIdentity& Other) const
    {
        return Volume == Other.Volume && IndexHigh == Other.IndexHigh && IndexLow == Other.IndexLow;
    }
};
FolderIdentity IdentityOf(HANDLE Folder);
