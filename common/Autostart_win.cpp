// SetAutostart: the Run and RunServices entries of BriCommon.
#include "BriCommon.h"

#include <algorithm>

#include "Registry.h"

namespace {

const char* const RunKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const RunServicesKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const REGSAM RunKeyAccess = KEY_READ | KEY_WRITE;

} // namespace

void SetAutostart(const std::string& ValueName, const std::string& ProgramPath, bool Remove, bool AllUsers,
                  const std::string& Parameters, bool RunServices)
{
    const HKEY root = AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::string path = RunServices ? RunServicesKeyPath : RunKeyPath;

    if (!Remove) {
        RegKey key = CreateRegKey(root, path, RunKeyAccess);
        if (!key)
            return; // no autostart key to write to: nothing is reported
        std::string data = ProgramPath.find(' ') != std::string::npos ? '"' + ProgramPath + '"' : ProgramPath;
        if (!Parameters.empty())
            data += ' ' + Parameters;
        SetRegString(key.Get(), ValueName, data);
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
