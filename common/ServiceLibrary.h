// The product's service library BriNT.dll as the installer calls it: three exports looked up
// by name, in the standard calling convention (the callee removes the arguments). Text
// arguments are zero-terminated single-byte strings owned by the caller; a non-zero result
// means success.
#pragma once

#include <cstdint>

inline constexpr const char* ServiceLibraryFile = "BriNT.dll";

// Grants the account the right to log on as a service.
inline constexpr const char* AddLogonAsAServiceName = "AddLogonAsAService";
using TAddLogonAsAService = int32_t(__stdcall*)(const char* AccountName);

// Installs the service of the installation folder (with its trailing backslash) under
// LocalSystem (account kind 0) or under the named account and password (account kind 1). The
// account kind travels in a full 32-bit argument slot of which only the low byte is defined.
inline constexpr const char* InstallAServiceName = "InstallAService";
using TInstallAService = int32_t(__stdcall*)(const char* ServiceName, const char* DisplayName, const char* InstallDir,
                                             const char* AccountName, const char* Password, uint8_t AccountKind);

// Starts the service and waits until it runs.
inline constexpr const char* StartAServiceName = "StartAService";
using TStartAService = int32_t(__stdcall*)(const char* ServiceName);
