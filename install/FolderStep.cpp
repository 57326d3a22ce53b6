#include "FolderStep.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "BriCommon.h"
#include "Product.h"

const char* const UninstallingOldVersion = "Uninstalling the old version";

namespace {

bool IsSeparator(char C)
{
    return C == '\\' || C == '/';
}

bool IsDriveLetter(char C)
{
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z');
}

// The names between the separators of Path from Start on; empty names are left out.
std::vector<std::string> Names(const std::string& Path, size_t Start)
{
    std::vector<std::string> names(1);
    for (size_t i = Start; i < Path.size(); ++i) {
        if (!IsSeparator(Path[i]))
            names.back() += Path[i];
        else if (!names.back().empty())
            names.emplace_back();
    }
    if (names.back().empty())
        names.pop_back();
    return names;
}

} // namespace

bool IsFullFolderPath(const std::string& Path)
{
    if (Path.size() >= 3 && IsDriveLetter(Path[0]) && Path[1] == ':' && IsSeparator(Path[2]))
        return true;
    if (Path.size() < 2 || !IsSeparator(Path[0]) || !IsSeparator(Path[1]))
        return false;
    // "\\server\share": both names present, and the server none of the device prefixes.
    const size_t serverEnd = Path.find_first_of("\\/", 2);
    if (serverEnd == std::string::npos || serverEnd == 2)
        return false;
    const std::string server = Path.substr(2, serverEnd - 2);
    if (server == "." || server == "?")
        return false;
    return serverEnd + 1 < Path.size() && !IsSeparator(Path[serverEnd + 1]);
}

std::string TidyFolderPath(const std::string& Path)
{
    const bool unc = Path.size() >= 2 && IsSeparator(Path[0]) && IsSeparator(Path[1]);
    std::string tidy = unc ? "\\\\" : Path.substr(0, 3);
    if (!unc && tidy.size() == 3)
        tidy[2] = '\\';
    const std::vector<std::string> names = Names(Path, unc ? 2 : 3);
    size_t kept = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        std::string name = names[i];
        while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
            name.pop_back();
        // A server or share name of blanks and full stops alone stays, empty: the path then
        // names no share.
        const bool shareName = unc && i < 2;
        if (name.empty() && !shareName)
            continue;
        tidy += (kept++ ? "\\" : "") + name;
    }
    if (kept && IsSeparator(Path.back()))
        tidy += '\\';
    return tidy;
}

std::string OldUninstallerCommandLine(const std::string& OldInstallDir, bool AutoMode)
{
    // A "Path" written by hand may lack its trailing backslash; plain concatenation would then
    // name a program beside the product's folder ("D:\Apps\Xbb7uninstall.exe").
    const std::string program = AddTrailingBackslash(OldInstallDir) + UninstallProgram;
    return QuoteText(program) + " " + (AutoMode ? "-nowarningclose" : "-nowarning");
}

const char* const ProtectedFolderSddl = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

const char* const UnprotectedServiceMessage =
    "The directory %s is on a drive that keeps no permissions: any user could change the service's "
    "program there. Choose another directory, or another installation type.";

std::string UnprotectedServiceRefusal(const std::string& Folder)
{
    std::string text = UnprotectedServiceMessage;
    text.replace(text.find("%s"), 2, Folder);
    return text;
}

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
