#include "MadeFolders_win.h"

#include "BriCommon.h"
#include "HeldFiles_win.h"

namespace {

std::string WithoutBackslash(const std::string& Folder)
{
    return Folder.size() > 3 && Folder.back() == '\\' ? Folder.substr(0, Folder.size() - 1) : Folder;
}

// True when Outer is Inner or a folder above it (letter case aside).
bool Encloses(const std::string& Outer, const std::string& Inner)
{
    const std::string outer = AddTrailingBackslash(Outer), inner = AddTrailingBackslash(Inner);
    return !Outer.empty() && inner.size() >= outer.size() && SameFileName(inner.substr(0, outer.size()), outer);
}

} // namespace

std::string FolderAbove(const std::string& Folder)
{
    const std::string folder = WithoutBackslash(Folder);
    const size_t end = folder.find_last_of('\\');
    // "C:\" and "\\server\share" have nothing above them that a run made.
    const bool share =
        folder.compare(0, 2, "\\\\") == 0 && folder.find('\\', folder.find('\\', 2) + 1) == std::string::npos;
    if (end == std::string::npos || end < 3 || share)
        return std::string();
    return folder.substr(0, end);
}

bool RemoveEmptyFolder(const std::string& Folder, const FolderIdentity* Identity)
{
    FolderPath folder = OpenFolderPath(WithoutBackslash(Folder), FILE_LIST_DIRECTORY | DELETE, ReadOnlyShare);
    if (folder.State == FolderPathState::Missing)
        return true;
    if (folder.State != FolderPathState::Opened || (Identity && !(IdentityOf(folder.Folder.Get()) == *Identity)) ||
        !IsEmptyFolder(folder.Folder.Get()) || !DeleteHeldEntry(folder.Folder.Get()))
        return false;
    folder.Folder.Reset(); // the name goes with the last handle; the folder above is empty only then
    return true;
}

void RemoveEmptyFoldersUpTo(const std::string& Innermost, const std::string& Outermost)
{
    if (!Encloses(Outermost, Innermost))
        return;
    for (std::string folder = WithoutBackslash(Innermost); !folder.empty() && Encloses(Outermost, folder);
         folder = FolderAbove(folder))
        if (!RemoveEmptyFolder(folder))
            return;
}
