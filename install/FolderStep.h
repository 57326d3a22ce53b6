// Leaving the Folders page: the folder is taken in the form Windows names it, an earlier
// installation is removed by its own uninstaller, which the program waits for, and the
// installation folder is made to exist.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "InstallSink.h"

struct FolderRequest {
    bool OldVersionFound;
    std::string OldInstallDir; // the earlier installation's "Path", as read
    std::string Folder;        // the folder box's text, as typed; messages show it so
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

// A path that names its drive or its server and share: "X:\..." or "\\server\share...", where
// "/" counts as "\". Relative paths, a drive without its root ("C:folder") and the system's
// device paths ("\\.\", "\\?\") are none.
bool IsFullFolderPath(const std::string& Path);

// A full path (without "." and ".." names, as GetFullPathNameA gives it) as Windows names the
// folder: "/" as "\", no doubled separators, no blanks or full stops at the end of a name
// (Windows drops them when it creates the folder) and no name that is made of them alone. A
// final backslash stays when the path had one.
std::string TidyFolderPath(const std::string& Path);

// The folder box's text as Windows names the folder: its full path, tidied as above. False
// when the text names no full path, or names a device instead of a folder.
bool WindowsFolderName(const std::string& Text, std::string& Folder);

// The installation folder as Windows names it, when the wizard may go on to the Settings page.
// A text that names no full path is refused before an earlier version is removed; it and a
// folder that cannot be created are said so, with the text as typed. An empty folder box and
// an uninstaller that cannot be started raise their error.
std::optional<std::string> PrepareFolder(const FolderRequest& Request, InstallSink& Sink);

// Runs the old version's uninstaller and returns when its process has ended.
void UninstallOldVersion(const FolderRequest& Request, InstallSink& Sink);

// Starts CommandLine and waits for its process to end, without a time limit; the window
// processes no message meanwhile. Raises EOSError with the system's text when it cannot start.
void RunAndWait(const std::string& CommandLine);
