// The payload resource of a copy of Bb7Setup.exe: the tests give a copy another product, as an
// earlier release or a damaged one would carry.
#pragma once

#include <string>

// The bytes of the "DISTRO" resource (RCDATA) of Exe; empty when it has none.
std::string InstallerPayload(const std::string& Exe);

// Replaces the "DISTRO" resource of Exe with Data, in the language the resource has; false
// when Exe has no such resource or cannot be updated.
bool ReplaceInstallerPayload(const std::string& Exe, const std::string& Data);
