#include "KeptFolders_win.h"

#include <windows.h>

#include "BriCommon.h"
#include "Common_Custom.h"
#include "Product.h"
#include "Registry.h"

namespace {

// One value a folder, named after it; the registry matches value names without regard to case.
std::string ValueName(const std::string& Folder)
{
    return AddTrailingBackslash(Folder);
}

// A folder removed since it was kept (by hand, by a later uninstall) is forgotten: its name
// alone, made again by anybody, must not make another folder the product's.
void ForgetRemovedFolders(HKEY Key)
{
    for (const std::string& folder : RegValueNames(Key))
        if (!FolderExists(folder))
            DeleteRegValue(Key, folder);
}

} // namespace

void RecordKeptFolder(const std::string& Folder)
{
    if (RegKey key = CreateRegKey(HKEY_LOCAL_MACHINE, KeptFoldersKeyPath, KEY_READ | KEY_WRITE)) {
        ForgetRemovedFolders(key.Get());
        WriteRegString(key.Get(), ValueName(Folder), "");
    }
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
        ForgetRemovedFolders(key.Get());
    }
    // The keys go once nothing is left in them, the vendor's too when no other product of its
    // is left: an uninstaller that removed the product's own records found them still in use.
    for (const char* path : {KeptFoldersKeyPath, SetupKeyPath, VendorKeyPath})
        DeleteRegKeyIfEmpty(HKEY_LOCAL_MACHINE, path);
}
