#include "FoundFolder.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Folded(std::string Text)
{
    for (char& c : Text)
        c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return Text;
}

} // namespace

bool IsProgramOrLibrary(const std::string& Path)
{
    // Programs and libraries, drivers, control-panel items and DirectShow filters; what the shell
    // runs (scripts, installer packages, screen savers, application files); a ".local" file or
    // folder beside a program makes it load libraries from there, and a ".manifest" file names
    // the libraries it loads.
    static const char* const extensions[] = {"exe", "dll", "com", "scr", "pif", "cpl",   "ocx",     "sys", "drv",
                                             "efi", "ax",  "msi", "msp", "bat", "cmd",   "ps1",     "vbs", "vbe",
                                             "js",  "jse", "wsf", "wsh", "hta", "local", "manifest"};
    const std::string name = Folded(Path.substr(Path.find_last_of("\\/") + 1));
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = name.substr(dot + 1);
    return std::any_of(std::begin(extensions), std::end(extensions),
                       [&](const char* Known) { return extension == Known; });
}

FoundEntryVerdict JudgeFoundEntry(const FoundEntry& Entry, FoundFolderKind Kind,
                                  const std::vector<std::string>& Manifest)
{
    if (Entry.Link)
        return FoundEntryVerdict::Link;
    if (Kind == FoundFolderKind::EarlierInstallation)
        return FoundEntryVerdict::Keep;
    const std::string path = Folded(Entry.Path);
    const bool named = !Entry.Folder && std::any_of(Manifest.begin(), Manifest.end(),
                                                    [&](const std::string& Line) { return Folded(Line) == path; });
    // Somebody else's file at a name the installation writes could stay under that name if its
    // copy failed: it goes when the folder is taken.
    if (named)
        return FoundEntryVerdict::Replace;
    return IsProgramOrLibrary(Entry.Path) ? FoundEntryVerdict::ForeignProgram : FoundEntryVerdict::Keep;
}

std::string FoundFolderRefusal(const std::string& Folder, FoundEntryVerdict Verdict)
{
    const char* const what = Verdict == FoundEntryVerdict::Link ? " is or holds a link to another place"
                             : Verdict == FoundEntryVerdict::ForeignProgram
                                 ? " holds programs that are not part of Brisel Backup 7"
                                 : " could not be protected against changes by other users";
    return "The directory " + Folder + what + ". Choose another directory.";
}
