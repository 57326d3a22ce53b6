// bb7pack: packs a folder into the installer's payload archive.
//
//   bb7pack [-p PASSWORD] [--top NAME] SOURCE_DIR OUT.zip
//   bb7pack --version
//
// Every file below SOURCE_DIR becomes the entry "NAME/relative/path" (NAME defaults to
// "Distro"), deflated at the best level and encrypted with the traditional zip encryption
// (the installer's password unless -p gives another). Entries are sorted by name and the
// encryption headers are seeded from the entries themselves, so the same tree always gives
// the same archive. Exit status: 0 done, 1 a file could not be read or written, 2 wrong
// arguments.
#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "Bb7Version.h"
#include "PayloadPassword.h"
#include "ZipPackWriter.h"

namespace fs = std::filesystem;

namespace {

int Usage()
{
    std::cerr << "usage: bb7pack [-p PASSWORD] [--top NAME] SOURCE_DIR OUT.zip\n"
                 "       bb7pack --version\n"
                 "  packs every file below SOURCE_DIR as NAME/relative/path (default NAME: Distro),\n"
                 "  deflated and encrypted; the default password is the installer's.\n";
    return 2;
}

struct SourceFile {
    std::string EntryName;
    std::string Path;
};

int64_t ModificationTime(const std::string& Path)
{
    struct stat st {};
    if (stat(Path.c_str(), &st) != 0)
        return 0;
    return static_cast<int64_t>(st.st_mtime);
}

std::vector<SourceFile> CollectFiles(const fs::path& Root, const std::string& Top)
{
    std::vector<SourceFile> files;
    for (const fs::directory_entry& item : fs::recursive_directory_iterator(Root)) {
        if (!item.is_regular_file())
            continue;
        std::string relative = item.path().lexically_relative(Root).generic_string();
        files.push_back({Top.empty() ? relative : Top + "/" + relative, item.path().string()});
    }
    std::sort(files.begin(), files.end(),
              [](const SourceFile& a, const SourceFile& b) { return a.EntryName < b.EntryName; });
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    std::string password = PayloadPassword;
    std::string top = "Distro";
    std::vector<std::string> operands;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "bb7pack " BB7_VERSION_TEXT "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "-p") == 0 && i + 1 < argc)
            password = argv[++i];
        else if (std::strcmp(argv[i], "--top") == 0 && i + 1 < argc)
            top = argv[++i];
        else if (argv[i][0] == '-' && argv[i][1] != '\0')
            return Usage();
        else
            operands.push_back(argv[i]);
    }
    if (operands.size() != 2)
        return Usage();
    while (!top.empty() && top.back() == '/')
        top.pop_back();

    const fs::path root(operands[0]);
    std::error_code ec;
    if (!fs::is_directory(root, ec)) {
        std::cerr << "bb7pack: \"" << operands[0] << "\" is not a folder\n";
        return 2;
    }
    try {
        const std::vector<SourceFile> files = CollectFiles(root, top);
        TZipPackWriter writer(operands[1], password);
        for (const SourceFile& f : files) {
            uint16_t time, date;
            UnixTimeToDos(ModificationTime(f.Path), time, date);
            writer.AddFile(f.EntryName, f.Path, time, date);
        }
        writer.Finish();
    } catch (const std::exception& e) {
        std::cerr << "bb7pack: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
