#include "FolderStep.h"

#include "BriCommon.h"

const char* const OldUninstallerName = "bb7uninstall.exe";
const char* const UninstallingOldVersion = "Uninstalling the old version";

std::string OldUninstallerCommandLine(const std::string& OldInstallDir, bool AutoMode)
{
    // A "Path" written by hand may lack its trailing backslash; plain concatenation would then
    // name a program beside the product's folder ("D:\Apps\Xbb7uninstall.exe").
    const std::string program = AddTrailingBackslash(OldInstallDir) + OldUninstallerName;
    return QuoteText(program) + " " + (AutoMode ? "-nowarningclose" : "-nowarning");
}
