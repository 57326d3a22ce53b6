// The product's folder is a folder object of the installer's own: one that this run makes, with
// its protection set as it is created, so that no handle to it exists that somebody opened
// before; or one that an earlier run made so (the earlier installation's folder, or the folder
// that the product's uninstaller kept for the user's files). Windows checks access when a handle
// is opened, not later: a folder that an ordinary user made, and keeps open for adding files,
// would take his files whatever its owner and permissions became meanwhile. So a folder found
// at the place is never written into: an empty one is removed and made anew, one that holds
// anything or that somebody holds open is refused. The folder step and the put-back of an
// earlier version both go through this one rule.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "FolderHandles_win.h"
#include "FolderRefusal.h"

enum class OwnFolderState {
    Ours,    // found, and the caller's own: held so that nobody can add to it, rename or delete it
    Missing, // to be made: Path holds the deepest level that exists
    Empty,   // found empty, somebody else's: held for its removal, then made anew
    Refused, // see Refusal
};

struct OwnFolder {
    OwnFolderState State = OwnFolderState::Refused;
    FolderRefusal Refusal = FolderRefusal::None;
    FolderPath Path;         // the held folder, or the deepest level that exists
    FolderIdentity Identity; // of the folder found
};

// True when a folder made at Folder needs a protection of its own (ProtectedFolderSddl): it lies
// outside the system's Program Files folders, whose protection it would inherit otherwise.
bool OutsideProgramFiles(const std::string& Folder);

// The access with which the product's folder is held: it can be listed and looked at, and its
// sharing keeps anybody else from adding to it, renaming or deleting it while it is held.
extern const ACCESS_MASK OwnFolderAccess;

// Looks at Path before anything changes. IsOurs decides whether a folder found there is ours
// (the earlier installation's, by its record and permissions, or by the identity a run noted).
// A folder of ours that holds a link (or lies behind one) is refused as well.
OwnFolder JudgeOwnFolder(const std::string& Path, const std::function<bool(HANDLE Folder)>& IsOurs);

// Makes the judged place the product's folder and holds it in Folder.Path.Folder: ours stays as
// it is, provided the path still leads to that very folder; an empty one of somebody else's is
// removed and made anew; a missing one is made, its outermost new level with Protection
// (nullptr: what its parent passes on), which the levels below inherit. Outermost gets the
// outermost level made, when one was. False, with Folder.Refusal set, when it cannot be done.
bool MakeOwnFolder(OwnFolder& Folder, const std::string& Path, PSECURITY_DESCRIPTOR Protection,
                   std::string* Outermost = nullptr);
