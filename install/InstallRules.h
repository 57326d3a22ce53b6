// The installation's portable rules: the bar's position, the account
// name that the logon right is granted to, the autostart entries, the shortcuts, and where
// the program group goes. The steps that act on them are the _win files beside.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The Run key as the log names it.
extern const char* const RunKeyName; // "\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
// The hives as the log names them.
extern const char* const LocalMachineName; // "HKEY_LOCAL_MACHINE"
extern const char* const CurrentUserName;  // "HKEY_CURRENT_USER"

// The bar after Done of Count lines: trunc(Done / Count * 100), 0 when Count is 0.
int CopyProgress(int32_t Done, int32_t Count);

// The name the logon right is granted to: a local name loses its ".\" prefix; a name that
// does not begin with a full stop, or is no longer than two characters, stays whole.
std::string GrantingName(const std::string& AccountName);

// The autostart entry of an installation type: none for type 2.
struct AutostartEntry {
    bool AllUsers;         // HKEY_LOCAL_MACHINE; otherwise HKEY_CURRENT_USER
    std::string ValueName; // "Brisel Backup 7" or "Brisel Backup 7 Interface"
    std::string Program;   // in the installation folder
    std::string Switch;    // empty, or "-service"
};
std::optional<AutostartEntry> AutostartFor(uint8_t InstallKind, const std::string& InstallDir);

// The shortcuts of the program group, in the order they are made.
struct Shortcut {
    std::string File; // the shortcut's file name in the group
    std::string Target;
    std::string Arguments;
};
std::vector<Shortcut> ShortcutsFor(uint8_t InstallKind, const std::string& InstallDir);

// Where the Start menu's programs folder is read: the hive and the value of the Shell Folders
// key (the .DEFAULT user's "Programs" is the fallback when this gives nothing).
struct ProgramsFolderSource {
    bool CurrentUser; // HKEY_CURRENT_USER; otherwise HKEY_LOCAL_MACHINE
    const char* ValueName;
};
ProgramsFolderSource ProgramsFolderFor(uint8_t InstallKind, bool Windows95Family);

// The program group's folder below the programs folder, with its trailing backslash.
std::string ProgramGroupFolder(const std::string& ProgramsFolder);

// The log's lines with their values filled in.
namespace LogLine {
std::string CouldNotLoad(const std::string& Library);
// A record whose key the system refused: the hive's name, then the key's path below it, which
// begins with a backslash ("HKEY_LOCAL_MACHINE" + "\SOFTWARE\Brisel\Brisel Backup 7").
std::string CouldNotWrite(const std::string& Hive, const std::string& KeyPath);
std::string Creating(const std::string& Folder);
std::string CouldNotCreate(const std::string& Folder);
std::string FileCopied(const std::string& Folder, const std::string& File);
std::string CouldNotCopy(const std::string& Folder, const std::string& File);
// A file in use by another program: the new one waits beside it for the next start of Windows.
std::string ReplacedAtRestart(const std::string& Folder, const std::string& File);
std::string Granting(const std::string& Name);
std::string Granted(const std::string& AccountName);
std::string NotGranted(const std::string& AccountName);
std::string WritingAutostart();
std::string CouldNotStartInterface(const std::string& SystemText);
std::string CouldNotStartApplication(const std::string& SystemText);
extern const char* const PostInstall;
extern const char* const ServiceInstalled;
extern const char* const ServiceNotInstalled;
extern const char* const CreatingIcons;
extern const char* const IconsCreated;
extern const char* const StartingService;
extern const char* const ServiceStarted;
extern const char* const ServiceNotStarted;
extern const char* const StartingInterface;
extern const char* const InterfaceStarted;
extern const char* const StartingApplication;
extern const char* const ApplicationStarted;
// A silent installation opens no window of the product (InstallSettings::StartProgramWindow).
extern const char* const InterfaceLeftOut;
extern const char* const ApplicationLeftOut;
} // namespace LogLine

extern const char* const MissingManifestMessage; // "Cannot find the data file. Exiting"
extern const char* const GroupNotCreatedMessage; // "Couldn't create the program group"
