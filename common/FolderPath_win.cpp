// FolderExists and CreateFolderPath of Common_Custom.
#include "Common_Custom.h"

#include "BriErrors.h"

bool FolderExists(const std::string& Path)
{
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolderPath(const std::string& Path)
{
    if (Path.empty())
        throw EInOutError(ERROR_PATH_NOT_FOUND, "Unable to create directory");

    std::string folder = Path;
    if (folder.back() == '\\')
        folder.pop_back();
    // A drive ("C:") or anything that short is taken as present.
    if (folder.size() < 3 || FolderExists(folder))
        return true;

    const size_t end = folder.find_last_of("\\:");
    const std::string parent = end == std::string::npos ? std::string() : folder.substr(0, end + 1);
    if (parent == folder)
        return true; // the path still ends with a backslash or a colon: nothing to create
    // A bare name has an empty parent part, which raises the error of an empty path.
    if (!CreateFolderPath(parent))
        return false;
    return CreateDirectoryA(folder.c_str(), nullptr) != 0;
}
