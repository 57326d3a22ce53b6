// FolderExists and CreateFolderPath of Common_Custom.
#include "Common_Custom.h"

#include <vector>

#include "BriErrors.h"

bool FolderExists(const std::string& Path)
{
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolderPath(const std::string& Path)
{
    std::string outermost;
    return CreateFolderPath(Path, outermost);
}

bool CreateFolderPath(const std::string& Path, std::string& Outermost)
{
    Outermost.clear();
    if (Path.empty())
        throw EInOutError(ERROR_PATH_NOT_FOUND, "Unable to create directory");
    // The ANSI calls take no longer folder names: a longer one fails as any folder would
    // that cannot be made, and costs nothing to walk.
    if (Path.size() >= MAX_PATH)
        return false;

    // Walk up to a folder that exists, keeping the missing ones (innermost first), then make
    // them downwards: a loop rather than a call per level, whatever the path holds.
    std::vector<std::string> missing;
    std::string current = Path;
    for (;;) {
        if (current.empty()) // a bare name: its parent part is empty
            throw EInOutError(ERROR_PATH_NOT_FOUND, "Unable to create directory");
        std::string folder = current;
        if (folder.back() == '\\')
            folder.pop_back();
        // A drive ("C:") or anything that short is taken as present.
        if (folder.size() < 3 || FolderExists(folder))
            break;
        const size_t end = folder.find_last_of("\\:");
        std::string parent = end == std::string::npos ? std::string() : folder.substr(0, end + 1);
        if (parent == folder)
            break; // the path still ends with a backslash or a colon: nothing to create
        missing.push_back(std::move(folder));
        current = std::move(parent);
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (!CreateDirectoryA(folder->c_str(), nullptr))
            return false;
        if (Outermost.empty())
            Outermost = *folder;
    }
    return true;
}
