#include "KeptFolders_win.h"

#include <windows.h>

#include "BriCommon.h"
#include "Product.h"
#include "Registry.h"

namespace {

// One value a folder, named after it; the registry matches value names without regard to case.
std::string ValueName(const std::string& Folder)
{
    return AddTrailingBackslash(Folder);
}

} // namespace

void RecordKeptFolder(const std::string& Folder)
{
    if (RegKey key = CreateRegKey(HKEY_LOCAL_MACHINE, KeptFoldersKeyPath, KEY_WRITE))
        WriteRegString(key.Get(), ValueName(Folder), "");
}

bool IsKeptFolder(const std::string& Folder)
{
    RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, KeptFoldersKeyPath, KEY_READ);
    return key && ReadRegString(key.Get(), ValueName(Folder)).has_value();
}

void ForgetKeptFolder(const std::string& Folder)
{
    if (RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, KeptFoldersKeyPath, KEY_READ | KEY_WRITE)) {
        DeleteRegValue(key.Get(), ValueName(Folder));
        const bool empty = RegValueNames(key.Get()).empty();
        key.Reset();
        if (empty)
            DeleteRegKey(HKEY_LOCAL_MACHINE, KeptFoldersKeyPath);
    }
}
