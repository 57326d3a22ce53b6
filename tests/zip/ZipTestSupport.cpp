#include "ZipTestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

#include "ZipUserPrompts.h"

namespace fs = std::filesystem;

namespace ziptest {

std::string RandomBytes(size_t Size, unsigned Seed)
{
    std::mt19937 random(Seed);
    std::string bytes(Size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

ScratchDir::ScratchDir()
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        std::ostringstream name;
        name << "bb7zip-" << stamp << "-" << counter++;
        Root = fs::temp_directory_path() / name.str();
        if (fs::create_directory(Root))
            break;
    }
}

ScratchDir::~ScratchDir()
{
    RemoveTree(Root.string());
}

void RemoveTree(const std::string& Folder)
{
    std::error_code ec;
    // Read-only files left by a test must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(Folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(Folder, ec);
}

std::string ScratchDir::operator/(const std::string& Relative) const
{
    return (Root / Relative).string();
}

void WriteFile(const std::string& Path, const std::string& Bytes)
{
    std::ofstream f(Path, std::ios::binary | std::ios::trunc);
    f.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!f)
        throw std::runtime_error("cannot write " + Path);
}

std::string ReadFile(const std::string& Path)
{
    std::ifstream f(Path, std::ios::binary);
    if (!f)
        return "<missing>";
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool Exists(const std::string& Path)
{
    std::error_code ec;
    return fs::exists(Path, ec);
}

std::string SystemPath(const std::string& ReaderPath)
{
    std::string p = ReaderPath;
#ifndef _WIN32
    for (char& c : p)
        if (c == '\\')
            c = '/';
#endif
    return p;
}

std::vector<std::string> ListFiles(const std::string& Folder)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(Folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file())
            files.push_back(it->path().lexically_relative(Folder).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

void ReaderTest::SetUp()
{
    ArchivePath = Scratch / "test.zip";
    OutDir = Scratch / "out";
    Zip.SetReadLimit(GetParam().ReadLimit);
    Zip.DecryptAhead = GetParam().DecryptAhead;
    Zip.BaseDir = OutDir;
    SetZipUserPrompts(nullptr);
}

void ReaderTest::TearDown()
{
    Zip.Close();
    SetZipUserPrompts(nullptr);
}

void ReaderTest::OpenBytes(const std::string& Bytes)
{
    WriteFile(ArchivePath, Bytes);
    Zip.FileName = ArchivePath;
    Zip.Open(0x40);
}

std::string ReaderTest::Out(const std::string& Relative) const
{
    return (fs::path(OutDir) / Relative).string();
}

std::string ReadModeName(const ::testing::TestParamInfo<ReadMode>& Info)
{
    const std::string reads = Info.param.ReadLimit == 0 ? "Whole" : "Tiny" + std::to_string(Info.param.ReadLimit);
    return reads + (Info.param.DecryptAhead ? "Ahead" : "");
}

} // namespace ziptest
