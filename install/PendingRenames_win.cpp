#include "PendingRenames_win.h"

#include <windows.h>

#include <algorithm>

#include "BriCommon.h"
#include "FolderHandles_win.h"
#include "WinHandles.h"

namespace {

const wchar_t* const SessionManagerKey = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t* const PendingValue = L"PendingFileRenameOperations";

// The form in which the system keeps a path: "\??\C:\Folder\file", compared without regard to
// letter case, as Windows names files.
std::wstring Folded(std::wstring Path)
{
    if (Path.compare(0, 4, L"\\??\\") == 0)
        Path.erase(0, 4);
    if (!Path.empty() && Path[0] == L'!') // a replacement's target: "!\??\..."
        return Folded(Path.substr(1));
    CharUpperBuffW(&Path[0], static_cast<DWORD>(Path.size()));
    while (!Path.empty() && Path.back() == L'\\')
        Path.pop_back();
    return Path;
}

bool LiesWithin(const std::wstring& Path, const std::wstring& Folder)
{
    const std::wstring path = Folded(Path), folder = Folded(Folder);
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == L'\\');
}

void WritePendingRenames(const std::vector<PendingRename>& Renames)
{
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_READ | KEY_WRITE, key.Receive()) != ERROR_SUCCESS)
        return;
    if (Renames.empty()) {
        RegDeleteValueW(key.Get(), PendingValue);
        return;
    }
    std::wstring data;
    for (const PendingRename& rename : Renames)
        data += rename.Source + L'\0' + rename.Target + L'\0';
    data += L'\0';
    RegSetValueExW(key.Get(), PendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

} // namespace

std::vector<PendingRename> PendingRenames()
{
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return {};
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), PendingValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return {};
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.Get(), PendingValue, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
        ERROR_SUCCESS)
        return {};
    data.resize(size / sizeof(wchar_t));
    // Pairs of strings, each ended by a NUL; the list ends with an empty string where a source
    // would begin.
    std::vector<std::wstring> strings;
    for (size_t at = 0; at < data.size();) {
        const size_t end = std::min(data.find(L'\0', at), data.size());
        strings.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    std::vector<PendingRename> renames;
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        if (strings[i].empty())
            break;
        renames.push_back({strings[i], strings[i + 1]});
    }
    return renames;
}

size_t DropNewPendingRenamesWithin(const std::vector<PendingRename>& Before, const std::string& Folder)
{
    std::vector<PendingRename> renames = PendingRenames();
    const std::wstring folder = WideText(Folder);
    const size_t count = renames.size();
    renames.erase(std::remove_if(renames.begin(), renames.end(),
                                 [&](const PendingRename& Rename) {
                                     return LiesWithin(Rename.Source, folder) &&
                                            std::find(Before.begin(), Before.end(), Rename) == Before.end();
                                 }),
                  renames.end());
    if (renames.size() != count)
        WritePendingRenames(renames);
    return count - renames.size();
}

void DropPendingRenamesOf(const std::string& File)
{
    std::vector<PendingRename> renames = PendingRenames();
    const std::wstring file = Folded(WideText(File));
    const size_t count = renames.size();
    renames.erase(std::remove_if(renames.begin(), renames.end(),
                                 [&](const PendingRename& Rename) {
                                     return Folded(Rename.Target.empty() ? Rename.Source : Rename.Target) == file;
                                 }),
                  renames.end());
    if (renames.size() != count)
        WritePendingRenames(renames);
}

bool IsPendingRename(const std::string& Source)
{
    const std::wstring source = Folded(WideText(Source));
    const std::vector<PendingRename> renames = PendingRenames();
    return std::any_of(renames.begin(), renames.end(),
                       [&](const PendingRename& Rename) { return Folded(Rename.Source) == source; });
}

bool ReplaceAtRestart(const std::string& Staged, const std::string& Target)
{
    return MoveFileExA(Staged.c_str(), Target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}
