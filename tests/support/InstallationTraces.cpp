#include "InstallationTraces.h"

#include <shlobj.h>

#include "Registry.h"
#include "WinTestSupport.h"

std::string RegString(HKEY Root, const char* Key, const char* Value)
{
    RegKey key = OpenRegKey(Root, Key, KEY_READ);
    return key ? ReadRegString(key.Get(), Value).value_or("<none>") : "<no key>";
}

std::string ShellFolder(int Id)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, Id, nullptr, 0, path);
    return std::string(path) + "\\";
}

void RemoveInstallationTraces()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, ProductKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        if (RegKey run = OpenRegKey(root, RunKey, KEY_ALL_ACCESS)) {
            DeleteRegValue(run.Get(), "Brisel Backup 7");
            DeleteRegValue(run.Get(), "Brisel Backup 7 Interface");
        }
    RemoveTree(ShellFolder(CSIDL_COMMON_PROGRAMS) + "Brisel Backup 7");
    RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "Brisel Backup 7");
    // An upgrade that a test ended while it ran: the next installer would finish it.
    for (const std::string& store : UpgradeStores())
        RemoveTree(store);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KeptFoldersKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SetupKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brisel");
    if (RegKey runOnce = OpenRegKey(HKEY_LOCAL_MACHINE, RunOnceKey, KEY_ALL_ACCESS | KEY_WOW64_64KEY))
        DeleteRegValue(runOnce.Get(), "Brisel Backup 7 Setup");
}

std::vector<std::string> UpgradeStores()
{
    std::vector<std::string> stores;
    const std::string data = ShellFolder(CSIDL_COMMON_APPDATA);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((data + "Brisel Backup 7 Setup *").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            stores.push_back(data + found.cFileName + "\\");
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return stores;
}

bool CloseProgramWindow(const char* ClassName)
{
    using namespace std::chrono_literals;
    HWND window = nullptr;
    if (!WaitUntil([&] { return (window = FindWindowA(ClassName, nullptr)) != nullptr; }, 20s))
        return false;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return WaitUntil([&] { return !IsWindow(window); }, 10s);
}
