// Leaving the Folders page: the folder is taken in the form Windows names it, an earlier
// installation is removed by its own uninstaller, which the program waits for, and the
// installation folder is made to exist, as the installer's own.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "InstallSink.h"

struct FolderRequest {
    bool OldVersionFound;
    std::string OldInstallDir; // the earlier installation's "Path", as read
    std::string Folder;        // the folder box's text, as typed; messages show it so
    bool AutoMode;             // unattended: the uninstaller closes by itself
    // The lines of the manifest of the installation to come: the files it writes into the folder.
    std::vector<std::string> Manifest = {};
    // The service is the type chosen already (a silent run): a folder on a drive that keeps no
    // permissions refuses it before anything changes.
    bool ServiceType = false;
};

// The installation folder once the folder step has made it the installer's own, and what the
// rest of the run needs to know of the step.
struct PreparedFolder {
    std::string Folder; // as Windows names it
    // The folder held open for the whole run, so that nobody can add to it, rename, delete or
    // replace it; none on Windows 95/98/Me. It is let go when the last copy of the holder goes.
    std::shared_ptr<void> Hold;
    // The outermost folder that this run made for it ("C:\My Apps (x86)" for "C:\My Apps (x86)\B7",
    // or the folder itself); empty when the folder was there before.
    std::string Outermost;
    // The earlier installation's folder, held the same way until the run ends (when there was
    // one to hold): the earlier version goes back into the very folder it was kept from.
    std::shared_ptr<void> EarlierHold;
    // Its drive keeps permissions (NTFS does, FAT and exFAT do not): the service type needs that,
    // or every user could change the service's program.
    bool KeepsPermissions = true;
    // The system keeps permissions at all: Windows 95/98/Me keeps none, and there the folder is
    // made as it always was, whatever the installation type.
    bool PermissionsApply = true;
    // An earlier installation was found whose uninstaller was not run: this installation takes
    // the place of its records (service, autostart entries, program group).
    bool ReplaceEarlierRecords = false;
    // The earlier version's uninstaller could not move its own running file away: it stays in
    // the earlier folder, which it asked Windows to clear at the next start (that is dropped).
    bool EarlierUninstallerLeftItself = false;
};

extern const char* const UninstallingOldVersion; // "Uninstalling the old version"

// The command line of the old version's uninstaller: its path in double quotes, one blank,
// the switch ("-nowarningclose" unattended, "-nowarning" otherwise). The folder and the file
// name are joined by exactly one backslash, whether or not the folder ends with one.
std::string OldUninstallerCommandLine(const std::string& OldInstallDir, bool AutoMode);

// The protection that the Program Files folder gives what lies in it, for an installation
// folder made elsewhere, set as the folder is created: owner the Administrators, full control
// for SYSTEM and Administrators, read and execute for Users, passed on to every folder and file
// below, and nothing inherited from the parent (a drive's root lets every authenticated user
// change what is created in it).
extern const char* const ProtectedFolderSddl;

// Messages of the folder step that refuse a folder.
extern const char* const UnprotectedServiceMessage; // "... keeps no permissions ..." with %s
std::string UnprotectedServiceRefusal(const std::string& Folder);

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

// The folder step's two halves. The first judges, before anything changes, what can be judged
// (see PrepareFolder below), and says a refusal itself; the second removes the earlier version
// and makes the folder, or keeps the earlier installation's. An upgrade keeps the earlier
// version between the two, reading it through the earlier installation's folder that the first
// half holds (a HANDLE; nullptr when there is none to hold).
struct FolderJudgement;
std::shared_ptr<FolderJudgement> JudgeFolder(const FolderRequest& Request, InstallSink& Sink);
void* HeldEarlierFolder(const FolderJudgement& Judgement);
// True when the second half removes something of the earlier installation: its uninstaller
// runs, or its records are replaced because the uninstaller cannot be trusted. An uninstaller
// that is gone leaves nothing of it to remove.
bool ChangesEarlierVersion(const FolderRequest& Request, const FolderJudgement& Judgement);
// True when the second half runs the earlier installation's uninstaller (it can be trusted).
bool EarlierUninstallerRuns(const FolderRequest& Request, const FolderJudgement& Judgement);
std::optional<PreparedFolder> PrepareFolder(const FolderRequest& Request, FolderJudgement& Judgement,
                                            InstallSink& Sink);

// The installation folder, when the wizard may go on to the Settings page. What can be judged
// before an earlier version is removed is judged first, and refuses with nothing changed: a
// text that names no full path, a place of Windows, of its users or of its programs
// (ReservedPlaces.h), a folder too deep for the manifest's files (PathLimit.h), a folder found
// there that the installer did not make and that is not empty, or that another program holds
// open, a link on the way, a place where no folder can be made, the service type on a drive
// without permissions (see OwnFolder_win.h). Then the earlier version's uninstaller runs and is
// waited for, when it can be trusted (see UninstallerTrust.h; otherwise a line of the log file
// says why, and the result asks to replace its records), and the folder is made as the
// installer's own, or the earlier installation's kept. A refusal is said with the text as
// typed. An empty folder box and an uninstaller that cannot be started raise their error.
std::optional<PreparedFolder> PrepareFolder(const FolderRequest& Request, InstallSink& Sink);

// Starts CommandLine and waits for its process to end, without a time limit; the window
// processes no message meanwhile. Raises EOSError with the system's text when it cannot start.
// Started, when given, runs as soon as the process exists.
void RunAndWait(const std::string& CommandLine, const std::function<void()>& Started = nullptr);
