// The file and folder queries of BriCommon.
#include "BriCommon.h"

#include <shlobj.h>

#include <vector>

#include "WinHandles.h"

bool IsExistingFile(const std::string& Path)
{
    // A search rather than GetFileAttributes, so that a wildcard pattern counts when its first
    // match is a file.
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(Path.c_str(), &found));
    if (!search)
        return false;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string GetProgramFolder()
{
    // GetModuleFileName truncates silently when the buffer is too small; a truncated path
    // would give a wrong folder, so the buffer grows until the whole path fits.
    std::vector<char> buffer(MAX_PATH);
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size() || buffer.size() >= 32768)
            break;
        buffer.resize(buffer.size() * 2);
    }
    std::string path(buffer.data(), length);
    const size_t end = path.find_last_of("\\:");
    path.resize(end == std::string::npos ? 0 : end + 1);
    return AddTrailingBackslash(path);
}

namespace {

// Shell folder ids of kinds 0 to 17, in the order of SpecialFolderKind.
const int ShellFolderIds[] = {
    CSIDL_DESKTOPDIRECTORY, // sfDesktop
    CSIDL_FONTS,
    CSIDL_PERSONAL,
    CSIDL_RECENT,
    CSIDL_SENDTO,
    CSIDL_STARTMENU,
    CSIDL_STARTUP,
    CSIDL_TEMPLATES,
    CSIDL_FAVORITES,
    CSIDL_COOKIES, // cookies come before the Internet cache here, unlike the system's numbering
    CSIDL_INTERNET_CACHE,
    CSIDL_HISTORY,
    CSIDL_PROGRAMS,
    CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_COMMON_PROGRAMS,
    CSIDL_COMMON_STARTUP,
    CSIDL_COMMON_STARTMENU,
    CSIDL_APPDATA, // sfAppData
};
static_assert(sizeof(ShellFolderIds) / sizeof(ShellFolderIds[0]) == sfWindows, "one shell folder per kind below 18");

std::string ShellFolderPath(int FolderId)
{
    CoTaskMem<ITEMIDLIST> items;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, FolderId, items.Receive())) || !items.Get())
        return "";
    char path[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(items.Get(), path))
        return "";
    return path;
}

// GetWindowsDirectory, GetSystemDirectory and GetTempPath leave the buffer untouched when it
// is too small, so the text is empty then.
template <typename Call> std::string SystemFolderPath(Call Query)
{
    char path[MAX_PATH + 1] = {};
    Query(path, static_cast<UINT>(sizeof(path)));
    return path;
}

} // namespace

std::string GetSpecialFolder(uint8_t Kind)
{
    std::string path;
    switch (Kind) {
    case sfWindows:
        path = SystemFolderPath([](char* Buffer, UINT Size) { GetWindowsDirectoryA(Buffer, Size); });
        break;
    case sfSystem:
        path = SystemFolderPath([](char* Buffer, UINT Size) { GetSystemDirectoryA(Buffer, Size); });
        break;
    case sfTemp:
        path = SystemFolderPath([](char* Buffer, UINT Size) { GetTempPathA(Size, Buffer); });
        break;
    default:
        path = ShellFolderPath(Kind < sfWindows ? ShellFolderIds[Kind] : CSIDL_DESKTOP);
        break;
    }
    return AddTrailingBackslash(path);
}
