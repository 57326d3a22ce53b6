#include "PathLimit.h"

#include "BriCommon.h"
#include "Manifest.h"

bool ManifestFitsIn(const std::string& Folder, const std::vector<std::string>& Lines)
{
    const std::string folder = AddTrailingBackslash(Folder);
    for (const std::string& line : Lines) {
        const ManifestLine entry = ReadManifestLine(line);
        if (!entry.StaysInside)
            continue;
        // The folder that the line needs, without its final backslash, and the file in it.
        const size_t folderLength = folder.size() + entry.Folder.size() - 1;
        if (folderLength >= AnsiFolderLimit)
            return false;
        if (entry.NamesFile() && folder.size() + line.size() >= AnsiPathLimit)
            return false;
    }
    return true;
}
