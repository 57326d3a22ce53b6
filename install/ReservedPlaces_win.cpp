#include "ReservedPlaces_win.h"

#include <windows.h>

#include "BriCommon.h"
#include "Product.h"
#include "Registry.h"

namespace {

const char* const ProfileListKeyPath = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// A 32-bit program reads the 32-bit view of HKEY_LOCAL_MACHINE\SOFTWARE; the 64-bit view names
// the other program-files folders ("C:\Program Files" beside "C:\Program Files (x86)"). On 32-bit
// Windows both flags read the one view.
const REGSAM RegistryViews[] = {KEY_READ | KEY_WOW64_32KEY, KEY_READ | KEY_WOW64_64KEY};

// Profile paths are stored with variables ("%SystemDrive%\Users").
std::string Expanded(const std::string& Text)
{
    char expanded[MAX_PATH * 2] = {};
    const DWORD length = ExpandEnvironmentStringsA(Text.c_str(), expanded, sizeof expanded);
    return length > 0 && length <= sizeof expanded ? std::string(expanded) : std::string();
}

std::string Environment(const char* Name)
{
    char value[MAX_PATH * 2] = {};
    const DWORD length = GetEnvironmentVariableA(Name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value) : std::string();
}

void Add(std::vector<ReservedPlace>& Places, ReservedKind Kind, const std::string& Folder)
{
    if (Folder.empty())
        return;
    std::string folder = LongFolderName(Folder);
    if (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back(); // as messages name it
    Places.push_back({Kind, folder});
}

void AddProgramFolders(std::vector<ReservedPlace>& Places)
{
    static const char* const values[] = {ProgramFilesDirValue, ProgramW6432DirValue, "ProgramFilesDir (x86)",
                                         "CommonFilesDir",     "CommonW6432Dir",     "CommonFilesDir (x86)"};
    for (const REGSAM view : RegistryViews)
        if (RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, CurrentVersionKeyPath, view))
            for (const char* value : values)
                Add(Places, ReservedKind::ProgramFiles, ReadRegString(key.Get(), value).value_or(""));
}

void AddProfiles(std::vector<ReservedPlace>& Places)
{
    for (const REGSAM view : RegistryViews) {
        RegKey list = OpenRegKey(HKEY_LOCAL_MACHINE, ProfileListKeyPath, view);
        if (!list)
            continue;
        Add(Places, ReservedKind::ProfilesFolder,
            Expanded(ReadRegString(list.Get(), "ProfilesDirectory").value_or("")));
        for (const char* shared : {"Default", "Public"})
            Add(Places, ReservedKind::UserProfile, Expanded(ReadRegString(list.Get(), shared).value_or("")));
        // One key a profile, by its account's SID; a profile may lie outside the profiles folder.
        for (const std::string& sid : RegSubkeyNames(list.Get())) {
            RegKey profile = OpenRegKey(list.Get(), sid, view);
            if (profile)
                Add(Places, ReservedKind::UserProfile,
                    Expanded(ReadRegString(profile.Get(), "ProfileImagePath").value_or("")));
        }
    }
}

} // namespace

std::string LongFolderName(const std::string& Folder)
{
    // Only a short name (8.3) differs from its long one, and every short name that Windows
    // makes holds a tilde: a path without one is its long name already.
    if (Folder.find('~') == std::string::npos)
        return Folder;
    // GetLongPathName knows only what exists: the deepest level that does, then the rest as given.
    std::string existing = Folder, rest;
    while (!existing.empty()) {
        char full[MAX_PATH * 2] = {};
        const DWORD length = GetLongPathNameA(existing.c_str(), full, sizeof full);
        if (length > 0 && length < sizeof full)
            return rest.empty() ? std::string(full) : AddTrailingBackslash(full) + rest;
        const size_t end = existing.find_last_of('\\', existing.size() - 2);
        if (end == std::string::npos)
            break;
        const std::string name = existing.substr(end + 1);
        rest = rest.empty() ? name : AddTrailingBackslash(name) + rest;
        existing.resize(end + 1);
    }
    return Folder;
}

std::vector<ReservedPlace> SystemReservedPlaces()
{
    std::vector<ReservedPlace> places;
    char windows[MAX_PATH + 1] = {};
    // The system's own Windows folder, and the one of the session (a terminal server gives each
    // user one of his own).
    if (GetSystemWindowsDirectoryA(windows, MAX_PATH))
        Add(places, ReservedKind::WindowsFolder, windows);
    Add(places, ReservedKind::WindowsFolder, GetSpecialFolder(sfWindows));
    Add(places, ReservedKind::TemporaryFolder, GetSpecialFolder(sfTemp));
    for (const char* variable : {"TMP", "TEMP"})
        Add(places, ReservedKind::TemporaryFolder, Environment(variable));
    if (windows[0])
        Add(places, ReservedKind::TemporaryFolder, AddTrailingBackslash(windows) + "Temp");
    AddProgramFolders(places);
    AddProfiles(places);
    return places;
}
