#include "ZipMask.h"

#include <cctype>

namespace zipmask {
namespace {

inline char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualNoCase(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (std::string::size_type i = 0; i < A.size(); ++i)
        if (Lower(A[i]) != Lower(B[i]))
            return false;
    return true;
}

// Greedy matching that backtracks only to the last "*": linear in practice and never
// exponential, whatever the mask.
bool Wildcard(const std::string& Name, const std::string& Mask)
{
    std::string::size_type n = 0, m = 0;
    std::string::size_type starMask = std::string::npos, starName = 0;
    while (n < Name.size()) {
        if (m < Mask.size() && (Mask[m] == '?' || (Mask[m] != '*' && Lower(Mask[m]) == Lower(Name[n])))) {
            ++n;
            ++m;
        } else if (m < Mask.size() && Mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < Mask.size() && Mask[m] == '*')
        ++m;
    return m == Mask.size();
}

std::string FolderOf(const std::string& Name)
{
    const std::string::size_type at = Name.rfind('/');
    return at == std::string::npos ? std::string() : Name.substr(0, at + 1);
}

std::string BareName(const std::string& Name)
{
    const std::string::size_type at = Name.rfind('/');
    return at == std::string::npos ? Name : Name.substr(at + 1);
}

} // namespace

std::string PrepareMask(const std::string& Mask, bool KeepDrive)
{
    std::string mask = Mask;
    if (!KeepDrive && mask.size() >= 2 && mask[1] == ':' && std::isalpha(static_cast<unsigned char>(mask[0]))) {
        mask.erase(0, 2);
        while (!mask.empty() && (mask[0] == '\\' || mask[0] == '/'))
            mask.erase(0, 1);
    }
    for (char& c : mask)
        if (c == '\\')
            c = '/';
    return mask;
}

bool MatchesMask(const std::string& Name, const std::string& Mask)
{
    std::string mask = Mask;
    const std::string::size_type star = mask.find("*.*");
    if (star != std::string::npos)
        mask.replace(star, 3, "*");
    const bool noExtension = !mask.empty() && mask.back() == '.';
    if (noExtension)
        mask.pop_back();
    std::string name = Name;
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    if (noExtension && BareName(name).find('.') != std::string::npos)
        return false;
    return Wildcard(name, mask);
}

bool IsSelected(const std::string& ItemName, uint32_t ItemAttributes, const std::string& PreparedMask, int32_t AttrMask,
                bool Recurse)
{
    constexpr uint32_t Guarded = 0x02 | 0x04 | 0x08 | 0x10; // hidden, system, volume label, directory
    if ((ItemAttributes & Guarded & ~static_cast<uint32_t>(AttrMask)) != 0)
        return false;
    std::string name = ItemName;
    if (!name.empty() && name.back() == '/')
        name.pop_back();
    if (!Recurse && !EqualNoCase(FolderOf(name), FolderOf(PreparedMask)))
        return false;
    return MatchesMask(name, PreparedMask) || MatchesMask(BareName(name), PreparedMask);
}

} // namespace zipmask
