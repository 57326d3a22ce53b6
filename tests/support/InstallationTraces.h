// What an installation leaves in the system, as the tests read it and clear it away.
#pragma once

#include <windows.h>

#include <string>

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

// Where an upgrade keeps its journal and the earlier version, without a trailing backslash.
std::string UpgradeFolderPath();

// Closes the window of a started product program (its class name) once it has appeared;
// false when none appeared or it did not close.
bool CloseProgramWindow(const char* ClassName);
