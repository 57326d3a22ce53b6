#include "FolderStep.h"

#include <algorithm>
#include <cctype>

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

const char* const ProtectedFolderSddl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

bool NeedsOwnProtection(const std::string& Folder, const std::vector<std::string>& ProgramFilesFolders)
{
    auto lower = [](std::string Text) {
        for (char& c : Text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return Text;
    };
    const std::string folder = lower(AddTrailingBackslash(Folder));
    return std::none_of(ProgramFilesFolders.begin(), ProgramFilesFolders.end(), [&](const std::string& Parent) {
        const std::string parent = lower(AddTrailingBackslash(Parent));
        return !Parent.empty() && folder.size() > parent.size() && folder.compare(0, parent.size(), parent) == 0;
    });
}
