#include "Registry.h"

#include "BriErrors.h"

namespace {

const size_t MaxValueNameLength = 16383; // the registry's own limit

// "\Software\..." is absolute below the root key; RegOpenKeyEx and friends reject the leading
// backslash, so it goes before the call.
std::string SubKeyPath(const std::string& Path)
{
    return !Path.empty() && Path.front() == '\\' ? Path.substr(1) : Path;
}

} // namespace

RegKey OpenRegKey(HKEY Root, const std::string& Path, REGSAM Access)
{
    RegKey key;
    if (RegOpenKeyExA(Root, SubKeyPath(Path).c_str(), 0, Access, key.Receive()) != ERROR_SUCCESS)
        key.Release(); // a failed call may leave garbage in the output handle
    return key;
}

RegKey CreateRegKey(HKEY Root, const std::string& Path, REGSAM Access)
{
    RegKey key;
    if (RegCreateKeyExA(Root, SubKeyPath(Path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS)
        key.Release();
    return key;
}

bool DeleteRegKey(HKEY Root, const std::string& Path)
{
    return RegDeleteKeyA(Root, SubKeyPath(Path).c_str()) == ERROR_SUCCESS;
}

bool DeleteRegKeyIfEmpty(HKEY Root, const std::string& Path)
{
    DWORD subKeys = 0, values = 0;
    {
        RegKey key = OpenRegKey(Root, Path, KEY_READ);
        if (!key || RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                                     nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subKeys != 0 || values != 0)
            return false;
    }
    return DeleteRegKey(Root, Path);
}

std::optional<std::string> ReadRegString(HKEY Key, const std::string& Name)
{
    std::string data(64, '\0');
    for (;;) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        LONG status = RegQueryValueExA(Key, Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size); // the value may still grow before the next try; the loop copes
            continue;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        // The stored data need not end with a NUL, or may hold several.
        data.resize(size);
        const size_t nul = data.find('\0');
        if (nul != std::string::npos)
            data.resize(nul);
        return data;
    }
}

std::optional<std::string> ReadKeyString(HKEY Root, const std::string& Path, const std::string& Name)
{
    RegKey key = OpenRegKey(Root, Path, KEY_READ);
    return key ? ReadRegString(key.Get(), Name) : std::nullopt;
}

std::optional<uint32_t> ReadRegDword(HKEY Key, const std::string& Name)
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(Key, Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return std::nullopt;
    return value;
}

bool WriteRegString(HKEY Key, const std::string& Name, const std::string& Data)
{
    // The size counts the closing NUL.
    return RegSetValueExA(Key, Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Data.c_str()),
                          static_cast<DWORD>(Data.size() + 1)) == ERROR_SUCCESS;
}

bool WriteRegDword(HKEY Key, const std::string& Name, uint32_t Data)
{
    const DWORD value = Data;
    return RegSetValueExA(Key, Name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

void SetRegString(HKEY Key, const std::string& Name, const std::string& Data)
{
    if (!WriteRegString(Key, Name, Data))
        throw EBriError("Failed to set data for '" + Name + "'");
}

void SetRegDword(HKEY Key, const std::string& Name, uint32_t Data)
{
    if (!WriteRegDword(Key, Name, Data))
        throw EBriError("Failed to set data for '" + Name + "'");
}

std::vector<std::string> RegSubkeyNames(HKEY Key)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(Key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::string> RegValueNames(HKEY Key)
{
    std::vector<std::string> names;
    DWORD longest = 0;
    if (RegQueryInfoKeyA(Key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                         nullptr) != ERROR_SUCCESS)
        return names;
    std::string name(longest + 1, '\0');
    DWORD index = 0;
    for (;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG status = RegEnumValueA(Key, index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA && name.size() <= MaxValueNameLength) {
            name.resize(name.size() * 2); // a longer name was added since the size query
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
        ++index;
    }
    return names;
}

bool DeleteRegValue(HKEY Key, const std::string& Name)
{
    return RegDeleteValueA(Key, Name.c_str()) == ERROR_SUCCESS;
}
