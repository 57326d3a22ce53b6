// The version resource of every program of the release, read through the version API as
// Explorer and deployment tools read it, against the VERSION written in CMakeLists.txt.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A value of the resource's first string table ("<none>" when missing).
std::string VersionText(const std::vector<char>& Data, const char* Name)
{
    WORD* translation = nullptr;
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(Data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length))
        return "<none>";
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], Name);
    if (!VerQueryValueA(Data.data(), path, reinterpret_cast<void**>(&text), &length) || length == 0)
        return "<none>";
    return std::string(text, text[length - 1] == '\0' ? length - 1 : length);
}

TEST(VersionResource, EveryProgramOfTheReleaseCarriesTheProjectsVersionAndNames)
{
    const std::string staged = BB7_STAGED_DISTRO_DIR "/", bin = BB7_BIN_DIR "/";
    const std::pair<std::string, const char*> programs[] = {
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
    unsigned part[4] = {};
    std::sscanf(BB7_PROJECT_VERSION, "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]);
    const DWORD high = part[0] << 16 | part[1], low = part[2] << 16 | part[3];
    for (const auto& [path, description] : programs) {
        SCOPED_TRACE(path);
        DWORD ignored = 0;
        std::vector<char> data(GetFileVersionInfoSizeA(path.c_str(), &ignored));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(!data.empty() && GetFileVersionInfoA(path.c_str(), 0, DWORD(data.size()), data.data()) &&
                    VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(high, fixed->dwFileVersionMS);
        EXPECT_EQ(low, fixed->dwFileVersionLS);
        EXPECT_EQ(high, fixed->dwProductVersionMS);
        EXPECT_EQ(low, fixed->dwProductVersionLS);
        EXPECT_EQ(DWORD(path.substr(path.size() - 4) == ".dll" ? VFT_DLL : VFT_APP), fixed->dwFileType);

        EXPECT_EQ(BB7_PROJECT_VERSION, VersionText(data, "FileVersion"));
        EXPECT_EQ(BB7_PROJECT_VERSION, VersionText(data, "ProductVersion"));
        EXPECT_EQ("Brisel", VersionText(data, "CompanyName"));
        EXPECT_EQ("Brisel Backup 7", VersionText(data, "ProductName"));
        EXPECT_EQ(path.substr(path.rfind('/') + 1), VersionText(data, "OriginalFilename"));
        EXPECT_EQ(description, VersionText(data, "FileDescription"));
    }
}

} // namespace
