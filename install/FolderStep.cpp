#include "FolderStep.h"

#include "BriCommon.h"
#include "Product.h"

const char* const UninstallingOldVersion = "Uninstalling the old version";

std::string OldUninstallerCommandLine(const std::string& OldInstallDir, bool AutoMode)
{
    // A "Path" written by hand may lack its trailing backslash; plain concatenation would then
    // name a program beside the product's folder ("D:\Apps\Xbb7uninstall.exe").
    const std::string program = AddTrailingBackslash(OldInstallDir) + UninstallProgram;
    return QuoteText(program) + " " + (AutoMode ? "-nowarningclose" : "-nowarning");
}
