// A folder that only SYSTEM and Administrators may change: where the elevated installer keeps
// what it must be able to trust later (an upgrade's journal, the kept copy of an earlier
// version). The common application data folder lets every user create folders in it, so a
// folder of that name found there is trusted only when nobody else could have changed it.
#pragma once

#include <windows.h>

#include <string>

// Owner Administrators; full control for SYSTEM and Administrators, passed on to everything
// below; nothing inherited and nothing for anybody else.
extern const char* const PrivateFolderSddl;

// True when the descriptor lets nobody but SYSTEM, Administrators and Self (the account
// running the installer) change what it guards: its owner is one of them, it has a DACL, and
// no entry of it allows anybody else to write, append, delete, or change permissions or owner.
bool OnlyTrustedMayChange(PSECURITY_DESCRIPTOR Descriptor, PSID Self);

enum class PrivateFolderState {
    Made,      // made now
    Trusted,   // it was private already: what it holds may be used
    TakenOver, // somebody else could change it: it is made private and emptied
    Refused,   // a link, or a folder that cannot be made private
};
// Makes Folder private; its parent must exist.
PrivateFolderState MakePrivateFolder(const std::string& Folder);

// Removes Path, and when it is a folder everything in it, without following any link: a link
// inside goes itself, what it leads to stays. False when something could not be removed.
bool RemoveTreeWithoutLinks(const std::string& Path);
