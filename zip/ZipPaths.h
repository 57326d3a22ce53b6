// Path helpers of the reader. Paths use backslashes; a folder path may end with one.
#pragma once

#include <string>
#include <vector>

namespace zippath {

std::string AddBackslash(const std::string& Path);    // a trailing backslash, unless empty or present
std::string ExtractFilePath(const std::string& Path); // up to and including the last "\" or ":"
std::string ExtractFileName(const std::string& Path); // after the last "\" or ":"
std::string SlashesToBackslashes(const std::string& Name);
// Two names of one file: equal without regard to letter case, "/" and "\" alike.
bool SameName(const std::string& A, const std::string& B);

// A target name that does not lie below the base folder: it holds a drive (":") or a UNC
// part (two backslashes in a row). On POSIX a leading slash makes a name absolute too.
bool IsAbsoluteName(const std::string& Name);

// An entry name from an archive that could leave the base folder when joined to it: empty
// of meaning as a relative path (absolute, a drive or UNC part, a ".." segment with "/" or
// "\", a NUL byte).
bool IsUnsafeEntryName(const std::string& StoredName);

// Creates Path and every missing parent; true when the folder exists afterwards. Created,
// when given, receives each folder this call made, outermost first.
bool ForceDirectories(const std::string& Path, std::vector<std::string>* Created = nullptr);

} // namespace zippath
