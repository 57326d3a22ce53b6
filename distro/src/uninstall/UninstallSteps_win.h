// The uninstaller's steps on the system. Each removes what it finds of an installation and
// adds to the result what it could not remove; none asks anything.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "UninstallPlan.h"

struct TUninstallResult {
    std::vector<std::string> Left; // what could not be removed
    std::vector<std::string> Kept; // what stays on purpose, or until Windows restarts
    bool Failed() const { return !Left.empty(); }
};


// Stops the product's service, waits for its process to end and deletes the service.
void RemoveService(TUninstallResult& Result);

// The product's Run entries of all users and of the current user.
void RemoveRunEntries(TUninstallResult& Result);

// The program group with the shortcuts that the installation made, wherever a Start-menu
// programs folder of all users, of the current user or of the default user holds it. A group
// that is a link or lies behind one is left alone and listed as kept (see ProgramGroup_win.h).
void RemoveProgramGroups(TUninstallResult& Result);

// The product key's values, the uninstall entry, and the keys that they leave empty.
void RemoveRegistryRecords(TUninstallResult& Result);

// The "Path" value of the product key, if there is one.
std::optional<std::string> RecordedInstallFolder();
// The outermost folder that the installation made above its own folder, as the product key
// records it; empty when it made none.
std::string RecordedFoldersMade();

// The planned files and the folders that they leave empty, below Folder (with its trailing
// backslash); then the manifest, when no file was left. Folders that still hold other files stay.
// A planned folder or file that is a junction or symbolic link is never entered or followed: the
// link itself is removed where the system lets it go without touching what it leads to, which
// stays whole and is listed as kept.
void RemoveFiles(const std::string& Folder, const TRemovalPlan& Plan, TUninstallResult& Result);

// The running uninstaller's own file and the installation folder, when nothing else is left in
// it. A running program cannot delete its own file: it is moved to the temporary folder and
// deleted there at the next restart, or, where it cannot be moved, deleted in place at restart
// together with the folder.
void RemoveOwnFile(const std::string& Folder, TUninstallResult& Result);
