// What an installation leaves in the system, as the tests read it and clear it away.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Registry keys below their hive, as the Win32 calls take them.
inline constexpr const char* ProductKey = "SOFTWARE\\Brisel\\Brisel Backup 7";
inline constexpr const char* UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7";
inline constexpr const char* RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* RunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// A string value; "<none>" when the value is missing, "<no key>" when the key is.
std::string RegString(HKEY Root, const char* Key, const char* Value);
// A shell folder (CSIDL_...) with its trailing backslash.
std::string ShellFolder(int Id);

// Removes the records, Run values and program groups of an installation, wherever they are,
// and what an upgrade keeps until it has ended (its folder, its RunOnce entry).
void RemoveInstallationTraces();

// What the installer keeps of its own below HKEY_LOCAL_MACHINE: the record of an upgrade's
// store, the folders an uninstaller kept.
inline constexpr const char* SetupKey = "SOFTWARE\\Brisel\\Brisel Backup 7 Setup";
inline constexpr const char* KeptFoldersKey = "SOFTWARE\\Brisel\\Brisel Backup 7 Setup\\Kept folders";

// The stores of upgrades in the common application data folder ("Brisel Backup 7 Setup " and
// a name nobody can guess), with their trailing backslashes: none once every upgrade has ended.
std::vector<std::string> UpgradeStores();

// Closes the window of a started product program (its class name) once it has appeared;
// false when none appeared or it did not close.
bool CloseProgramWindow(const char* ClassName);
