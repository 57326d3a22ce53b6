#include "ProgramGroups.h"

#include "BriCommon.h"
#include "Registry.h"

bool IsPlainFolder(const std::string& Folder)
{
    const DWORD attributes = Folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(Folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string ProgramGroupAt(const ProgramGroupPlace& Place)
{
    const std::string programs = ReadKeyString(Place.Root, Place.Path, Place.Value).value_or("");
    return programs.empty() ? std::string() : AddTrailingBackslash(AddTrailingBackslash(programs) + ProgramGroup);
}
