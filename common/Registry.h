// The one way into the registry: every call names its root key, its key path and the access
// it asks for. Key paths may begin with a backslash (absolute below the root); the Win32 calls
// want them without it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "WinHandles.h"

// Opens an existing key; an empty RegKey when it is missing or the access is refused.
RegKey OpenRegKey(HKEY Root, const std::string& Path, REGSAM Access);

// Opens a key, creating it and its missing parents first; an empty RegKey on failure.
RegKey CreateRegKey(HKEY Root, const std::string& Path, REGSAM Access);

// Deletes a key that has no sub-keys; false when it is missing or cannot be deleted.
bool DeleteRegKey(HKEY Root, const std::string& Path);

// Deletes the key only when it holds neither values nor sub-keys: what another program or another
// step keeps in it keeps it.
bool DeleteRegKeyIfEmpty(HKEY Root, const std::string& Path);

// String data of a REG_SZ or REG_EXPAND_SZ value (not expanded), without its closing NUL;
// nothing when the value is missing or of another type.
std::optional<std::string> ReadRegString(HKEY Key, const std::string& Name);

// The one way to read a single value: the string value Name of the key Path below Root, read as
// ReadRegString reads it; nothing when the key or the value is missing.
std::optional<std::string> ReadKeyString(HKEY Root, const std::string& Path, const std::string& Name);

// 32-bit number of a REG_DWORD value; nothing when it is missing or of another type.
std::optional<uint32_t> ReadRegDword(HKEY Key, const std::string& Name);

// Writes a REG_SZ value, replacing any value of that name; false when the system refuses.
bool WriteRegString(HKEY Key, const std::string& Name, const std::string& Data);

// Writes a REG_DWORD value, replacing any value of that name; false when the system refuses.
bool WriteRegDword(HKEY Key, const std::string& Name, uint32_t Data);

// The same writes, raising EBriError("Failed to set data for '<Name>'") when the system
// refuses: how the program reports a value it could not write once the key was open.
void SetRegString(HKEY Key, const std::string& Name, const std::string& Data);
void SetRegDword(HKEY Key, const std::string& Name, uint32_t Data);

// Names of all values of the key, in the order the system lists them.
std::vector<std::string> RegValueNames(HKEY Key);

// Names of the key's sub-keys, in the order the system lists them (a key name has at most 255
// characters).
std::vector<std::string> RegSubkeyNames(HKEY Key);

// Deletes one value; false when it is missing or cannot be deleted.
bool DeleteRegValue(HKEY Key, const std::string& Name);
