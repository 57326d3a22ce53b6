// Where the product's program group may lie: the Programs folders that the Shell Folders keys
// name, for all users, for the Windows 95 family, for the user, for the default user.
#pragma once

#include <windows.h>

#include <string>

#include "Product.h"

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
