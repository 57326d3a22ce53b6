// The uninstall entry's values beside "DisplayName" and "UninstallString": what Windows' list
// of programs shows (version, publisher, icon, size, date) and what deployment tools read to
// detect the installation and to remove it without a question.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct UninstallValue {
    const char* Name;
    bool IsNumber; // REG_DWORD Number; otherwise REG_SZ Text
    std::string Text;
    uint32_t Number;
};

// The values in the order they are written. InstalledBytes is the size of the installed files;
// without it (no manifest to count them by) "EstimatedSize" is left out. Date is "yyyymmdd".
std::vector<UninstallValue> UninstallDetails(const std::string& InstallDir, std::optional<uint64_t> InstalledBytes,
                                             const std::string& Date);

// Kilobytes (1024 bytes) that Bytes take, rounded up; the largest DWORD when they do not fit.
uint32_t KilobytesRoundedUp(uint64_t Bytes);

// "yyyymmdd", the form of "InstallDate".
std::string InstallDateText(int Year, int Month, int Day);
