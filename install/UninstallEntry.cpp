#include "UninstallEntry.h"

#include <cstdio>
#include <limits>

#include "Bb7Version.h"
#include "BriCommon.h"
#include "Product.h"

std::vector<UninstallValue> UninstallDetails(const std::string& InstallDir, std::optional<uint64_t> InstalledBytes,
                                             const std::string& Date)
{
    const std::string uninstaller = QuoteText(InstallDir + UninstallProgram);
    std::vector<UninstallValue> values = {
        {DisplayVersionValue, false, BB7_VERSION_TEXT, 0},
        {PublisherValue, false, Publisher, 0},
        {DisplayIconValue, false, InstallDir + ApplicationProgram, 0},
        {InstallLocationValue, false, InstallDir, 0},
        {NoModifyValue, true, "", 1},
        {NoRepairValue, true, "", 1},
        {QuietUninstallStringValue, false, uninstaller + " " + QuietUninstallSwitch, 0},
        {InstallDateValue, false, Date, 0},
    };
    if (InstalledBytes)
        values.push_back({EstimatedSizeValue, true, "", KilobytesRoundedUp(*InstalledBytes)});
    return values;
}

uint32_t KilobytesRoundedUp(uint64_t Bytes)
{
    const uint64_t kilobytes = Bytes / 1024 + (Bytes % 1024 != 0);
    const uint64_t largest = std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(kilobytes < largest ? kilobytes : largest);
}

std::string InstallDateText(int Year, int Month, int Day)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", Year, Month, Day);
    return text;
}
