#include "AutoSettings.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "BriErrors.h"

TAuto::TAuto(const std::string& Path)
{
    std::ifstream file(Path, std::ios::binary);
    if (!file.is_open()) {
        struct stat info;
        if (stat(Path.c_str(), &info) == 0) // there, but locked or unreadable
            throw EInOutError(5, "Cannot open file \"" + Path + "\". Access is denied");
        return;
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        throw EInOutError(5, "Cannot read the file " + Path);
    FileLines = SplitTextLines(text);
}

static bool SameTextIgnoringCase(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i) {
        char a = A[i], b = B[i];
        if (a >= 'a' && a <= 'z')
            a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z')
            b = static_cast<char>(b - 'a' + 'A');
        if (a != b)
            return false;
    }
    return true;
}

std::string TAuto::ReadValue(const std::string& Name) const
{
    for (const std::string& line : FileLines) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos && SameTextIgnoringCase(line.substr(0, equals), Name))
            return line.substr(equals + 1);
    }
    return std::string();
}
