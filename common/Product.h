// The product that the installer installs, and the names under which its programs, the
// installer and the system know its parts.
#pragma once

#include <cstdint>

inline constexpr const char* ProductName = "Brisel Backup 7";

// Installation types, as the Settings page's radio buttons, the unattended file's INSTKIND and
// the registry value "Installation type" number them.
enum InstallKindValue : uint8_t {
    ikAutoAll = 0,     // application, autostart for all users
    ikAutoCurrent = 1, // application, autostart for the current user
    ikNoAuto = 2,      // application without autostart
    ikService = 3,     // Windows service
};

// The service's account, as the Settings page and the unattended file's AUTHKIND number them.
enum AccountKindValue : uint8_t {
    akLocalSystem = 0,
    akNamedAccount = 1,
};

// The system's key of program folders below HKEY_LOCAL_MACHINE, and its values that name them:
// a 32-bit program's own Program Files folder, and on 64-bit Windows the other one.
inline constexpr const char* CurrentVersionKeyPath = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr const char* ProgramFilesDirValue = "ProgramFilesDir";
inline constexpr const char* ProgramW6432DirValue = "ProgramW6432Dir";

// Registry keys below HKEY_LOCAL_MACHINE (and HKEY_CURRENT_USER for the Run key); the leading
// backslash makes them absolute below the hive.
inline constexpr const char* ProductKeyPath = "\\SOFTWARE\\Brisel\\Brisel Backup 7"; // "\SOFTWARE\%s\%s"
inline constexpr const char* UninstallKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7";

// The service and the program that runs it. The service's name is also the product's name
// in the uninstall key.
inline constexpr const char* ServiceName = "BriBackup7";
inline constexpr const char* ServiceDisplayName = "Brisel Backup 7 service";
inline constexpr const char* ServiceProgram = "BriService.exe";

// The programs and files of the installation folder.
inline constexpr const char* ApplicationProgram = "BriBU.exe";
inline constexpr const char* InterfaceProgram = "briui.exe";
inline constexpr const char* UninstallProgram = "bb7uninstall.exe";
inline constexpr const char* ManifestFile = "bb7setup.dat";
inline constexpr const char* ServiceSwitch = "-service";

// Window classes of the two window programs, by which the uninstaller finds them.
inline constexpr const char* ApplicationWindowClass = "TBriBUForm";
inline constexpr const char* InterfaceWindowClass = "TBriUIForm";

// Registry records of an installation (all in the 32-bit view).
inline constexpr const char* VendorKeyPath = "\\SOFTWARE\\Brisel";
inline constexpr const char* PathValue = "Path";
inline constexpr const char* InstallationTypeValue = "Installation type";
// The outermost folder that the installation made above its own ("C:\My Apps (x86)" for
// "C:\My Apps (x86)\B7"), which the uninstaller removes after its own when it is empty.
inline constexpr const char* FoldersMadeValue = "Folders made";
inline constexpr const char* DisplayNameValue = "DisplayName";
inline constexpr const char* UninstallStringValue = "UninstallString";
// The uninstall entry's other values, which Windows' list of programs and deployment tools read.
inline constexpr const char* Publisher = "Brisel";
inline constexpr const char* DisplayVersionValue = "DisplayVersion";
inline constexpr const char* PublisherValue = "Publisher";
inline constexpr const char* DisplayIconValue = "DisplayIcon";
inline constexpr const char* InstallLocationValue = "InstallLocation";
inline constexpr const char* EstimatedSizeValue = "EstimatedSize"; // REG_DWORD, kilobytes
inline constexpr const char* NoModifyValue = "NoModify";           // REG_DWORD 1
inline constexpr const char* NoRepairValue = "NoRepair";           // REG_DWORD 1
inline constexpr const char* QuietUninstallStringValue = "QuietUninstallString";
inline constexpr const char* InstallDateValue = "InstallDate"; // yyyymmdd
inline constexpr const char* QuietUninstallSwitch = "-nowarningclose";
// Every value of the uninstall entry, as the uninstaller removes them.
inline constexpr const char* UninstallEntryValues[] = {
    DisplayNameValue, UninstallStringValue,      DisplayVersionValue, PublisherValue,
    DisplayIconValue, InstallLocationValue,      EstimatedSizeValue,  NoModifyValue,
    NoRepairValue,    QuietUninstallStringValue, InstallDateValue,
};
inline constexpr const char* RunKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Windows starts what the RunOnce key names once, at its next start: the installer finishes an
// upgrade that was cut off.
inline constexpr const char* RunOnceKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* FinishRunOnceValue = "Brisel Backup 7 Setup";
inline constexpr const char* ApplicationRunValue = "Brisel Backup 7";
inline constexpr const char* InterfaceRunValue = "Brisel Backup 7 Interface";

// What the installer keeps for itself where only administrators may write: the store of an
// upgrade that has not ended yet (its folder's name, the earlier and the new installation's
// folders), and the folders that the product's uninstaller left because they hold the user's
// files, which a later installation may take as the product's own.
inline constexpr const char* SetupKeyPath = "\\SOFTWARE\\Brisel\\Brisel Backup 7 Setup";
inline constexpr const char* KeptFoldersKeyPath = "\\SOFTWARE\\Brisel\\Brisel Backup 7 Setup\\Kept folders";

// The program group in a Start-menu programs folder, and the shortcuts an installation puts there.
inline constexpr const char* ShellFoldersKeyPath =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* DefaultUserShellFoldersKeyPath =
    "\\.DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* ProgramGroup = "Brisel Backup 7";
// The places a program group may be in (ProgramGroup_win.h): all users', the 95 family's, the
// user's, the default user's Programs folder.
inline constexpr int ProgramGroupPlaceCount = 4;
inline constexpr const char* GroupShortcuts[] = {
    "README.lnk",          "history.lnk",      "LICENSE.lnk",
    "Uninstall.lnk",       "Decompressor.lnk", "Brisel Backup 7 Interface.lnk",
    "Brisel Backup 7.lnk",
};
