// Fuzz target: open, list, test and extract arbitrary bytes as a zip archive into a scratch
// folder. Whatever the bytes, the reader must not crash, hang, read out of bounds, or
// write anything outside the base folder.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "ZipArchive.h"

namespace fs = std::filesystem;

namespace {

// One scratch folder per process: <temp>/bb7zip-fuzz-<pid-ish>/jail/base receives the
// entries; anything that appears in jail besides base escaped.
struct Scratch {
    fs::path Root, Jail, Base, Archive;
    Scratch()
    {
        Root = fs::temp_directory_path() / ("bb7zip-fuzz-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        Jail = Root / "jail";
        Base = Jail / "base";
        Archive = Root / "input.zip";
        fs::create_directories(Jail);
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(Root, ec);
    }
};

void ClearFolder(const fs::path& Folder)
{
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(Folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(Folder, ec);
}

void CheckNothingEscaped(const Scratch& S)
{
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(S.Jail, ec)) {
        if (e.path().filename() != "base") {
            std::fprintf(stderr, "entry escaped the base folder: %s\n", e.path().string().c_str());
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static Scratch scratch;
    {
        std::ofstream f(scratch.Archive, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
    }
    TZipArchive zip("Fuzz");
    zip.FileName = scratch.Archive.string();
    zip.BaseDir = scratch.Base.string();
    zip.Password = "pw";
    zip.ExtractCorruptedFiles = (Size & 1) != 0;
    zip.SetReadLimit(Size % 3 == 0 ? 31 : 0);
    zip.DecryptAhead = (Size & 2) != 0;
    zip.OnPassword = [](TZABaseArchiver*, const std::string&, std::string&, bool& Skip) { Skip = true; };
    zip.OnProcessFileFailure = [](TZABaseArchiver*, const std::string&, TZAProcessOperation, int, int,
                                  const std::string&, TZAAction& Action) { Action = faIgnore; };
    try {
        zip.Open(0x40);
        zip.FileEntryCount();
        TZASearchRec rec;
        for (bool found = zip.FindEntry("*.*", rec, "", -1); found; found = zip.FindNextEntry(rec)) {
        }
        zip.TestByMask("*.*", 0x28BF, "");
        // Every item at once, as the silent installation reads its payload; 64 KiB each at most,
        // since items may share one small stream that inflates to their whole size each.
        std::vector<int> all;
        for (size_t i = 0; i < zip.Directory().Items.size(); ++i)
            all.push_back(static_cast<int>(i));
        std::vector<std::string> data;
        zip.ReadItemsAt(all, data, 1 << 16);
        zip.ExtractByMask("*.*", 0x28BF, "");
    } catch (const EZAException&) {
    } catch (const EZAReadError&) {
    }
    zip.Close();
    CheckNothingEscaped(scratch);
    ClearFolder(scratch.Base);
    return 0;
}
