#include "ZipPaths.h"

#include <vector>

#include "ZipFileSystem.h"

namespace zippath {
namespace {

constexpr std::string::size_type MaxPathLength = 4096;

} // namespace

std::string AddBackslash(const std::string& Path)
{
    if (Path.empty() || Path.back() == '\\')
        return Path;
    return Path + '\\';
}

std::string ExtractFilePath(const std::string& Path)
{
    const std::string::size_type at = Path.find_last_of("\\:");
    return at == std::string::npos ? std::string() : Path.substr(0, at + 1);
}

std::string ExtractFileName(const std::string& Path)
{
    const std::string::size_type at = Path.find_last_of("\\:");
    return at == std::string::npos ? Path : Path.substr(at + 1);
}

std::string SlashesToBackslashes(const std::string& Name)
{
    std::string s = Name;
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s;
}

bool SameName(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    auto fold = [](char c) {
        if (c == '/')
            return '\\';
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (std::string::size_type i = 0; i < A.size(); ++i)
        if (fold(A[i]) != fold(B[i]))
            return false;
    return true;
}

bool IsAbsoluteName(const std::string& Name)
{
    if (Name.find(':') != std::string::npos || Name.find("\\\\") != std::string::npos)
        return true;
#ifndef _WIN32
    if (!Name.empty() && (Name[0] == '/' || Name[0] == '\\'))
        return true;
#endif
    return false;
}

bool IsUnsafeEntryName(const std::string& StoredName)
{
    const std::string name = SlashesToBackslashes(StoredName);
    if (name.find('\0') != std::string::npos || name.find(':') != std::string::npos)
        return true;
    if (!name.empty() && name[0] == '\\')
        return true;
    if (name.find("\\\\") != std::string::npos)
        return true;
    // Windows drops trailing dots and blanks from a path segment, so ". ." or "..." may
    // name the parent as well as "..".
    std::string::size_type start = 0;
    while (start <= name.size()) {
        std::string::size_type end = name.find('\\', start);
        if (end == std::string::npos)
            end = name.size();
        int dots = 0;
        bool onlyDotsAndBlanks = end > start;
        for (std::string::size_type i = start; i < end; ++i) {
            if (name[i] == '.')
                ++dots;
            else if (name[i] != ' ')
                onlyDotsAndBlanks = false;
        }
        if (onlyDotsAndBlanks && dots >= 2)
            return true;
        start = end + 1;
    }
    return false;
}

bool ForceDirectories(const std::string& Path, std::vector<std::string>* Created)
{
    std::string path = Path;
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') && path[path.size() - 2] != ':')
        path.pop_back();
    // Longer paths than the systems' limits (MAX_PATH for the ANSI calls, PATH_MAX) would
    // fail anyway; refusing them early keeps a hostile name from costing much.
    if (path.empty() || path.size() > MaxPathLength)
        return false;
    // Walk up to the nearest folder that exists, then create the rest downwards. Only the
    // lengths of the missing prefixes are kept: a name can have thousands of segments.
    std::vector<std::string::size_type> missing;
    std::string::size_type length = path.size();
    // The systems take "/" as a separator too, so a caller's folder may hold both.
    auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    while (!zipfs::DirectoryExists(path.substr(0, length))) {
        missing.push_back(length);
        std::string::size_type at = length;
        while (at > 0 && !isSeparator(path[at - 1]))
            --at;
        if (at <= 1)
            break;
        length = at - 1;
        while (length > 1 && isSeparator(path[length - 1]))
            --length;
        if (path[length - 1] == ':')
            break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const std::string folder = path.substr(0, *it);
        if (zipfs::CreateDir(folder)) {
            if (Created)
                Created->push_back(folder);
        } else if (!zipfs::DirectoryExists(folder)) {
            return false;
        }
    }
    return zipfs::DirectoryExists(path);
}

} // namespace zippath
