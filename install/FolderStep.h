// Leaving the Folders page: an earlier installation is removed by its own uninstaller, which
// the program waits for, and the installation folder is made to exist.
#pragma once

#include <string>
#include <vector>

#include "InstallSink.h"

struct FolderRequest {
    bool OldVersionFound;
    std::string OldInstallDir; // the earlier installation's "Path", as read
    std::string Folder;        // the folder box's text, as typed
    bool AutoMode;             // unattended: the uninstaller closes by itself
};

extern const char* const UninstallingOldVersion; // "Uninstalling the old version"

// The command line of the old version's uninstaller: its path in double quotes, one blank,
// the switch ("-nowarningclose" unattended, "-nowarning" otherwise). The folder and the file
// name are joined by exactly one backslash, whether or not the folder ends with one.
std::string OldUninstallerCommandLine(const std::string& OldInstallDir, bool AutoMode);

// The protection that the Program Files folder gives what lies in it, for an installation
// folder made elsewhere: full control for SYSTEM and Administrators, read and execute for
// Users, passed on to every folder and file below, and nothing inherited from the parent
// (a drive's root lets every authenticated user change what is created in it).
extern const char* const ProtectedFolderSddl;

// True when an installation folder created at Folder needs that protection of its own:
// it lies outside every folder of ProgramFilesFolders, whose protection it would inherit.
bool NeedsOwnProtection(const std::string& Folder, const std::vector<std::string>& ProgramFilesFolders);

// True when the wizard may go on to the Settings page. A folder that cannot be created is
// said so; an empty folder box and an uninstaller that cannot be started raise their error.
bool PrepareFolder(const FolderRequest& Request, InstallSink& Sink);

// Runs the old version's uninstaller and returns when its process has ended.
void UninstallOldVersion(const FolderRequest& Request, InstallSink& Sink);

// Starts CommandLine and waits for its process to end, without a time limit; the window
// processes no message meanwhile. Raises EOSError with the system's text when it cannot start.
void RunAndWait(const std::string& CommandLine);
