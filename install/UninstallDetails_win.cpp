#include "UninstallDetails_win.h"

#include <fstream>
#include <iterator>

#include "BriCommon.h"
#include "Manifest.h"
#include "Product.h"
#include "Registry.h"
#include "UninstallEntry.h"

namespace {

// The bytes of the files that the installation folder's manifest names, counted as the
// uninstaller reads that manifest; nothing when there is no manifest to read.
std::optional<uint64_t> InstalledBytes(const std::string& InstallDir)
{
    std::ifstream manifest(InstallDir + ManifestFile, std::ios::binary);
    if (!manifest)
        return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(manifest)), std::istreambuf_iterator<char>());
    uint64_t bytes = 0;
    for (const std::string& file : InstalledFiles(SplitTextLines(text))) {
        // The attributes of a link are its own: the size counts no file elsewhere.
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA((InstallDir + file).c_str(), GetFileExInfoStandard, &data) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            bytes += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return bytes;
}

std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return InstallDateText(now.wYear, now.wMonth, now.wDay);
}

} // namespace

void WriteUninstallDetails(HKEY UninstallKey, const std::string& InstallDir)
{
    for (const UninstallValue& value : UninstallDetails(InstallDir, InstalledBytes(InstallDir), Today())) {
        if (value.IsNumber)
            SetRegDword(UninstallKey, value.Name, value.Number);
        else
            SetRegString(UninstallKey, value.Name, value.Text);
    }
}
