// The product's program group in a Start-menu programs folder, made, filled and emptied only
// through handles that refuse a link anywhere from the drive's root to a shortcut. The user
// keeps the programs folder where the user likes (the Shell Folders values are the user's to
// change), but an elevated installer or uninstaller that followed a link on the way would make
// or delete files wherever the link leads: a "Brisel Backup 7" that is a junction to a system
// folder would have the uninstaller delete a "README.lnk" there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Product.h"
#include "WinHandles.h"

// The places a program group may lie: the Programs folders that the Shell Folders keys name,
// for all users, for the Windows 95/98/Me family, for the user, for the default user.
struct ProgramGroupPlace {
    HKEY Root;
    const char* Path;
    const char* Value;
};
inline const ProgramGroupPlace ProgramGroupPlaces[ProgramGroupPlaceCount] = {
    {HKEY_LOCAL_MACHINE, ShellFoldersKeyPath, "Common Programs"},
    {HKEY_LOCAL_MACHINE, ShellFoldersKeyPath, "Programs"}, // the Windows 95/98/Me family
    {HKEY_CURRENT_USER, ShellFoldersKeyPath, "Programs"},
    {HKEY_USERS, DefaultUserShellFoldersKeyPath, "Programs"},
};

// The program group's folder at that place, with a trailing backslash; empty when the Shell
// Folders key names no Programs folder there.
std::string ProgramGroupAt(const ProgramGroupPlace& Place);

// True when Folder is a folder and no link (a junction or a symbolic link leads elsewhere).
bool IsPlainFolder(const std::string& Folder);

enum class GroupMade {
    Made,
    NotMade,    // the group is there already, or the programs folder is missing or refused it
    BehindLink, // the programs folder is a link or lies behind one: nothing was made
};

// Makes the folder Group anew inside the folder Programs, and holds it in Held.
GroupMade MakeProgramGroup(const std::string& Programs, const std::string& Group, FileHandle& Held);

// Writes Data as the new file Name in the group held by Group; false when it cannot, also when
// something of that name is there already.
bool WriteGroupFile(HANDLE Group, const std::string& Name, const std::string& Data);

// What removing a group's shortcuts left.
struct GroupRemoval {
    bool BehindLink = false;              // the group is a link or lies behind one: nothing was touched
    std::vector<std::string> Left;        // shortcuts that could not be deleted (their paths)
    std::vector<std::string> Unlinked;    // shortcuts that were links: only the link went
    std::vector<std::string> NotFollowed; // links that were left, with what they lead to
    bool FolderLeft = false;              // the group could not be removed although nothing else is in it
};

// The folders of the product's program group ("...\Programs\Brisel Backup 7", without a final
// backslash) that exist in the Start-menu programs folders the registry names: all users',
// the Windows 95/98/Me family's, the current user's and the default user's; each once.
std::vector<std::string> ProductProgramGroups();

// Deletes the Shortcuts of the group folder Group ("...\Programs\Brisel Backup 7"), and the
// group itself when that leaves it empty; a group that holds other files stays.
GroupRemoval RemoveProgramGroup(const std::string& Group, const std::vector<std::string>& Shortcuts);
