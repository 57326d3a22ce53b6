// The product that this program installs, and the names under which the system knows it.
#pragma once

inline constexpr const char* ProductName = "Brisel Backup 7";
// The product's registry name, which is also the name of its service.
inline constexpr const char* ProductRegistryName = "BriBackup7";

// Registry keys below HKEY_LOCAL_MACHINE (and HKEY_CURRENT_USER for the Run key); the leading
// backslash makes them absolute below the hive.
inline constexpr const char* ProductKeyPath = "\\SOFTWARE\\Brisel\\Brisel Backup 7"; // "\SOFTWARE\%s\%s"
inline constexpr const char* UninstallKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7";
