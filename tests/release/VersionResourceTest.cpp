// The version resource of every program of the release, read as Explorer and deployment tools
// read it: through the version API, against the VERSION written in CMakeLists.txt.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct VersionResource {
    bool Found = false;
    VS_FIXEDFILEINFO Fixed = {};
    std::vector<char> Data;
    std::string Block; // "\StringFileInfo\<language><code page>\"

    std::string Text(const char* Name) const
    {
        char* text = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(Data.data(), (Block + Name).c_str(), reinterpret_cast<void**>(&text), &length))
            return "<none>";
        return std::string(text, length && text[length - 1] == '\0' ? length - 1 : length);
    }
};

VersionResource ReadVersionResource(const std::string& Path)
{
    VersionResource resource;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(Path.c_str(), &ignored);
    if (size == 0)
        return resource;
    resource.Data.resize(size);
    if (!GetFileVersionInfoA(Path.c_str(), 0, size, resource.Data.data()))
        return resource;
    VS_FIXEDFILEINFO* fixed = nullptr;
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(resource.Data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
        !VerQueryValueA(resource.Data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        length < 4)
        return resource;
    resource.Fixed = *fixed;
    char block[64];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    resource.Block = block;
    resource.Found = true;
    return resource;
}

// "7.0.0" as the four numbers of a fixed version, high word first.
void VersionNumbers(const std::string& Text, DWORD& High, DWORD& Low)
{
    unsigned part[4] = {};
    std::sscanf(Text.c_str(), "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]);
    High = part[0] << 16 | part[1];
    Low = part[2] << 16 | part[3];
}

std::string WindowsPath(std::string Path)
{
    for (char& c : Path)
        c = c == '/' ? '\\' : c;
    return Path;
}

struct Program {
    std::string Path;
    const char* Description;
};

TEST(VersionResource, EveryProgramOfTheReleaseCarriesTheProjectsVersionAndNames)
{
    const std::string staged = WindowsPath(BB7_STAGED_DISTRO_DIR "\\");
    const std::string bin = WindowsPath(BB7_BIN_DIR "\\");
    const Program programs[] = {
        {bin + "Bb7Setup.exe", "Brisel Backup 7 Setup"},
        {staged + "BriNT.dll", "Brisel Backup 7 service library"},
        {staged + "BriService.exe", "Brisel Backup 7 service"},
        {staged + "BriBU.exe", "Brisel Backup 7"},
        {staged + "briui.exe", "Brisel Backup 7 Interface"},
        {staged + "Decompressor.exe", "Brisel Backup 7 Decompressor"},
        {staged + "bb7uninstall.exe", "Brisel Backup 7 Uninstall"},
        {bin + "bb7pack.exe", "Brisel Backup 7 payload packer"},
        {bin + "bb7unzip.exe", "Brisel Backup 7 archive reader"},
        {bin + "bb7cipher.exe", "Brisel Backup 7 password cipher"},
    };
    DWORD high = 0, low = 0;
    VersionNumbers(BB7_PROJECT_VERSION, high, low);
    for (const Program& program : programs) {
        SCOPED_TRACE(program.Path);
        const VersionResource resource = ReadVersionResource(program.Path);
        ASSERT_TRUE(resource.Found);
        EXPECT_EQ(high, resource.Fixed.dwFileVersionMS);
        EXPECT_EQ(low, resource.Fixed.dwFileVersionLS);
        EXPECT_EQ(high, resource.Fixed.dwProductVersionMS);
        EXPECT_EQ(low, resource.Fixed.dwProductVersionLS);
        const bool library = program.Path.substr(program.Path.size() - 4) == ".dll";
        EXPECT_EQ(DWORD(library ? VFT_DLL : VFT_APP), resource.Fixed.dwFileType);

        EXPECT_EQ(BB7_PROJECT_VERSION, resource.Text("FileVersion"));
        EXPECT_EQ(BB7_PROJECT_VERSION, resource.Text("ProductVersion"));
        EXPECT_EQ("Brisel", resource.Text("CompanyName"));
        EXPECT_EQ("Brisel Backup 7", resource.Text("ProductName"));
        EXPECT_EQ(program.Path.substr(program.Path.rfind('\\') + 1), resource.Text("OriginalFilename"));
        EXPECT_EQ(program.Description, resource.Text("FileDescription"));
    }
}

} // namespace
