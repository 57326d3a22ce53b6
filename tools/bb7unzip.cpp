// bb7unzip: extracts, lists or checks a zip archive with the installer's own reader.
//
//   bb7unzip [-p PASSWORD] [-l | -t] ARCHIVE [DESTDIR]
//   bb7unzip --version
//
// Extracts every entry below DESTDIR (default: the current folder), replacing existing
// files; -l lists the entries, -t checks every entry (decryption, inflate, size, CRC-32)
// and writes nothing. The password defaults to the installer's; a wrong one fails the
// entry instead of prompting. Exit status: 0 every entry is sound (and was written), 1 an
// entry failed, 2 the archive cannot be opened or the arguments are wrong.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "Bb7Version.h"
#include "PayloadPassword.h"
#include "ZipArchive.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: bb7unzip [-p PASSWORD] [-l | -t] ARCHIVE [DESTDIR]\n"
                         "       bb7unzip --version\n"
                         "  extracts every entry below DESTDIR (default: the current folder);\n"
                         "  -l lists the entries, -t checks them without writing anything.\n");
    return 2;
}

enum class TMode { Extract, List, Test };

void Report(const std::string& Message)
{
    std::fprintf(stderr, "bb7unzip: %s\n", Message.c_str());
}

int List(TZipArchive& Zip)
{
    TZASearchRec rec;
    std::printf("%12s %12s %-3s %-8s %s\n", "Size", "Packed", "Enc", "CRC-32", "Name");
    for (bool found = Zip.FindEntry("*.*", rec, "", -1); found; found = Zip.FindNextEntry(rec)) {
        const TZADirItem& item = Zip.Directory().Items[static_cast<size_t>(rec.Index)];
        std::printf("%12" PRId64 " %12" PRId64 " %-3s %08" PRIx32 " %s\n", rec.UncompressedSize, rec.CompressedSize,
                    rec.Encrypted ? "yes" : "no", rec.CRC, item.Name.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string password = PayloadPassword;
    TMode mode = TMode::Extract;
    std::vector<std::string> operands;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("bb7unzip " BB7_VERSION_TEXT "\n");
            return 0;
        }
        if (std::strcmp(argv[i], "-p") == 0 && i + 1 < argc)
            password = argv[++i];
        else if (std::strcmp(argv[i], "-l") == 0 && mode == TMode::Extract)
            mode = TMode::List;
        else if (std::strcmp(argv[i], "-t") == 0 && mode == TMode::Extract)
            mode = TMode::Test;
        else if (argv[i][0] == '-' && argv[i][1] != '\0')
            return Usage();
        else
            operands.push_back(argv[i]);
    }
    if (operands.empty() || operands.size() > 2 || (mode != TMode::Extract && operands.size() > 1))
        return Usage();

    TZipArchive zip;
    zip.FileName = operands[0];
    zip.Password = password;
    zip.BaseDir = operands.size() > 1 ? operands[1] : std::string();
    zip.ExtractCorruptedFiles = false;
    zip.Options.OverwriteMode = omAlways;
    // Names are used as stored, as the native reader does too.
    zip.Options.OEMFileNames = false;
    zip.DecryptAhead = true;

    bool anyFailed = false;
    zip.OnPassword = [&](TZABaseArchiver*, const std::string& FileName, std::string&, bool& SkipFile) {
        Report("wrong password for \"" + FileName + "\"; entry skipped");
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
    } catch (const std::exception& e) {
        Report(e.what());
        return 2;
    }
    try {
        if (mode == TMode::List)
            return List(zip);
        if (mode == TMode::Test)
            zip.TestByMask("*.*", zip.Options.SearchAttr, "");
        else
            zip.ExtractByMask("*.*", zip.Options.SearchAttr, "");
    } catch (const std::exception& e) {
        Report(e.what());
        return 1;
    }
    zip.Close();
    return anyFailed ? 1 : 0;
}
