// Decompressor.exe: the product's tool to unpack its zip archives.
//
//   Decompressor [-p PASSWORD] ARCHIVE [DESTDIR]
//
// Extracts every entry of ARCHIVE below DESTDIR (default: a folder beside the archive named
// after it without its extension), replacing existing files. Encrypted entries need the
// password; without it, or with a wrong one, they are skipped and reported. Exit status: 0
// every entry was written, 1 an entry failed, 2 the archive cannot be opened or the
// arguments are wrong.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "ZipArchive.h"

namespace {

void Report(const std::string& Message)
{
    std::fprintf(stderr, "Decompressor: %s\n", Message.c_str());
}

// Started from the Start menu or the Explorer the program has a console window of its own,
// which would close before the text could be read.
void PauseInOwnConsole()
{
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1) {
        std::fprintf(stderr, "\nPress Enter to close this window.");
        std::getchar();
    }
}

int Usage()
{
    std::fprintf(stderr, "usage: Decompressor [-p PASSWORD] ARCHIVE [DESTDIR]\n"
                         "  extracts every entry of ARCHIVE below DESTDIR (default: a folder beside\n"
                         "  the archive named after it), replacing existing files.\n");
    PauseInOwnConsole();
    return 2;
}

// "D:\Backups\monday.zip" -> "D:\Backups\monday"; a name without an extension gets "_files".
std::string DefaultDestination(const std::string& Archive)
{
    const size_t name = Archive.find_last_of("\\/:") + 1;
    const size_t dot = Archive.find_last_of('.');
    if (dot == std::string::npos || dot < name || dot == name)
        return Archive + "_files";
    return Archive.substr(0, dot);
}

} // namespace

int main(int argc, char** argv)
{
    std::string password;
    std::vector<std::string> operands;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-p") == 0 && i + 1 < argc)
            password = argv[++i];
        else if (argv[i][0] == '-' && argv[i][1] != '\0')
            return Usage();
        else
            operands.push_back(argv[i]);
    }
    if (operands.empty() || operands.size() > 2)
        return Usage();

    TZipArchive zip;
    zip.FileName = operands[0];
    zip.Password = password;
    zip.BaseDir = operands.size() > 1 ? operands[1] : DefaultDestination(operands[0]);
    zip.ExtractCorruptedFiles = false;
    zip.Options.OverwriteMode = omAlways;
    zip.Options.OEMFileNames = true; // names stored by Windows zip tools are in the OEM code page

    bool anyFailed = false;
    zip.OnPassword = [&](TZABaseArchiver*, const std::string& FileName, std::string&, bool& SkipFile) {
        Report((password.empty() ? "\"" + FileName + "\" is encrypted: give its password with -p"
                                 : "wrong password for \"" + FileName + "\"") +
               "; entry skipped");
        anyFailed = true;
        SkipFile = true;
    };
    zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation, int, int,
                                   const std::string& ErrorMessage, TZAAction& Action) {
        Report(ErrorMessage);
        anyFailed = true;
        Action = faIgnore;
    };

    try {
        zip.Open(fmOpenRead | fmShareDenyNone);
        zip.ExtractByMask("*.*", zip.Options.SearchAttr, "");
    } catch (const std::exception& e) {
        Report(e.what());
        return zip.Active() ? 1 : 2;
    }
    zip.Close();
    std::printf("%s extracted into %s\n", zip.FileName.c_str(), zip.BaseDir.c_str());
    return anyFailed ? 1 : 0;
}
