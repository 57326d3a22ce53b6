#include "Manifest.h"

#include <algorithm>
#include <cstring>

#include "BriCommon.h"

namespace {

bool NoFileNameHolds(char C)
{
    return static_cast<unsigned char>(C) < 32 || std::strchr("<>:\"|?*/", C) != nullptr;
}

} // namespace

ManifestLine ReadManifestLine(const std::string& Line)
{
    // The split takes a colon as a separator too, but only a backslash gives a folder part.
    ManifestLine line;
    const size_t end = Line.find_last_of("\\:");
    line.File = end == std::string::npos ? Line : Line.substr(end + 1);
    if (Line.find('\\') != std::string::npos)
        line.Folder = Line.substr(0, end + 1);
    line.StaysInside = ManifestLineStaysInside(Line);
    return line;
}

bool ManifestLineStaysInside(const std::string& Line)
{
    if (!Line.empty() && Line[0] == '\\')
        return false;
    size_t start = 0;
    for (size_t i = 0; i <= Line.size(); ++i) {
        if (i < Line.size() && NoFileNameHolds(Line[i]))
            return false;
        if (i < Line.size() && Line[i] != '\\')
            continue;
        const std::string name = Line.substr(start, i - start);
        const bool last = i == Line.size();
        if (name.empty() && !last)
            return false; // "Help\\x": a name left out
        if (!name.empty() && name.find_first_not_of(". ") == std::string::npos)
            return false;
        start = i + 1;
    }
    return true;
}

std::vector<std::string> InstalledFiles(const std::vector<std::string>& Lines)
{
    std::vector<std::string> files;
    for (const std::string& line : Lines) {
        const bool known = std::any_of(files.begin(), files.end(), [&](const std::string& File) {
            return SameFileName(File, line);
        });
        if (ReadManifestLine(line).NamesFile() && !known)
            files.push_back(line);
    }
    return files;
}
