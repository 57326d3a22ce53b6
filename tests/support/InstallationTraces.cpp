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
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brisel");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        if (RegKey run = OpenRegKey(root, RunKey, KEY_ALL_ACCESS)) {
            DeleteRegValue(run.Get(), "Brisel Backup 7");
            DeleteRegValue(run.Get(), "Brisel Backup 7 Interface");
        }
    RemoveTree(ShellFolder(CSIDL_COMMON_PROGRAMS) + "Brisel Backup 7");
    RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "Brisel Backup 7");
    // An upgrade that a test ended while it ran: the next installer would finish it.
    RemoveTree(UpgradeFolderPath());
    if (RegKey runOnce = OpenRegKey(HKEY_LOCAL_MACHINE, RunOnceKey, KEY_ALL_ACCESS | KEY_WOW64_64KEY))
        DeleteRegValue(runOnce.Get(), "Brisel Backup 7 Setup");
}

std::string UpgradeFolderPath()
{
    return ShellFolder(CSIDL_COMMON_APPDATA) + "Brisel Backup 7 Setup";
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
