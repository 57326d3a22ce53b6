// SetAutostart: the Run and RunServices entries of BriCommon.
#include "Autostart.h"
#include "BriCommon.h"

#include <algorithm>

#include "Registry.h"

namespace {

const char* const RunKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const RunServicesKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const REGSAM RunKeyAccess = KEY_READ | KEY_WRITE;

} // namespace

bool WriteAutostartValue(HKEY Root, const std::string& KeyPath, const std::string& ValueName,
                         const std::string& ProgramPath, const std::string& Parameters)
{
    RegKey key = CreateRegKey(Root, KeyPath, RunKeyAccess);
    if (!key)
        return false;
    std::string data = ProgramPath.find(' ') != std::string::npos ? '"' + ProgramPath + '"' : ProgramPath;
    if (!Parameters.empty())
        data += ' ' + Parameters;
    SetRegString(key.Get(), ValueName, data);
    return true;
}

void SetAutostart(const std::string& ValueName, const std::string& ProgramPath, bool Remove, bool AllUsers,
                  const std::string& Parameters, bool RunServices)
{
    const HKEY root = AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::string path = RunServices ? RunServicesKeyPath : RunKeyPath;

    if (!Remove) {
        WriteAutostartValue(root, path, ValueName, ProgramPath, Parameters); // a missing key: nothing is reported
        return;
    }

    RegKey key = OpenRegKey(root, path, RunKeyAccess);
    if (!key)
        return;
    // The registry matches value names without regard to letter case; only a value whose name
    // is exactly ValueName is removed.
    const std::vector<std::string> names = RegValueNames(key.Get());
    if (std::find(names.begin(), names.end(), ValueName) != names.end())
        DeleteRegValue(key.Get(), ValueName);
}
