// The installer as built carries the product's programs, and the manifest in its payload names
// every file of the payload.
#include <gtest/gtest.h>

#include <algorithm>

#include "PayloadPassword.h"
#include "ProductTestSupport.h"
#include "UninstallPlan.h"
#include "WinHandles.h"
#include "ZipArchive.h"

TEST(Payload, TheInstallerCarriesEveryProgramAndItsManifestNamesEveryFile)
{
#if !BB7_OWN_PAYLOAD
    GTEST_SKIP() << "the installer was built with another product folder";
#endif
    ModuleHandle setup(LoadLibraryExA(BB7_SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(setup) << "error " << GetLastError();
    HRSRC resource = FindResourceA(setup.Get(), "DISTRO", reinterpret_cast<LPCSTR>(RT_RCDATA));
    ASSERT_NE(nullptr, resource);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(setup.Get(), resource)));
    ScratchFolder scratch;
    {
        FileHandle file(
            CreateFileA((scratch / "payload.zip").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), bytes, SizeofResource(setup.Get(), resource), &written, nullptr));
    }

    TZipArchive zip;
    zip.FileName = scratch / "payload.zip";
    zip.Password = PayloadPassword;
    zip.BaseDir = scratch.Path();
    zip.Open(0x40);
    std::vector<std::string> entries;
    TZASearchRec entry;
    for (bool found = zip.FindEntry("*.*", entry, "", -1); found; found = zip.FindNextEntry(entry)) {
        std::string name = entry.StoredPath + entry.FileName;
        std::replace(name.begin(), name.end(), '/', '\\');
        ASSERT_EQ(0u, name.find("Distro\\")) << name;
        entries.push_back(name.substr(7));
    }
    zip.ExtractByMask("*.*", zip.Options.SearchAttr, "");
    zip.Close();

    const std::string manifestText = ReadWholeFile(scratch / "Distro\\bb7setup.dat");
    std::vector<std::string> manifest = ManifestLines(manifestText);
    ASSERT_FALSE(manifest.empty()) << "no manifest in the payload";
    for (size_t at = manifestText.find('\n'); at != std::string::npos; at = manifestText.find('\n', at + 1))
        EXPECT_EQ('\r', manifestText[at - 1]) << "every line ends with CR LF";
    std::sort(entries.begin(), entries.end());
    std::sort(manifest.begin(), manifest.end());
    EXPECT_EQ(entries, manifest) << "the payload holds a file that the manifest does not name, or the other way";

    for (const char* file : {"BriNT.dll", "BriService.exe", "BriBU.exe", "briui.exe", "bb7uninstall.exe",
                             "Decompressor.exe", "bb7setup.dat", "LICENSE.TXT", "README.TXT", "history.txt"})
        EXPECT_NE(manifest.end(), std::find(manifest.begin(), manifest.end(), file)) << file;
    EXPECT_EQ(ReadWholeFile(StagedProduct() + "bb7uninstall.exe"), ReadWholeFile(scratch / "Distro\\bb7uninstall.exe"))
        << "the payload holds another build of the programs";
}
