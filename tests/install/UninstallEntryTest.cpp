// The uninstall entry's values beside its name and uninstall string.
#include <gtest/gtest.h>

#include "UninstallEntry.h"

TEST(UninstallEntry, SizeInKilobytesRoundsUpAndStopsAtTheLargestDword)
{
    EXPECT_EQ(0u, KilobytesRoundedUp(0));
    EXPECT_EQ(1u, KilobytesRoundedUp(1));
    EXPECT_EQ(1u, KilobytesRoundedUp(1024));
    EXPECT_EQ(2u, KilobytesRoundedUp(1025));
    EXPECT_EQ(0xFFFFFFFFu, KilobytesRoundedUp(0xFFFFFFFFull * 1024));
    EXPECT_EQ(0xFFFFFFFFu, KilobytesRoundedUp(~0ull));
}

TEST(UninstallEntry, TheDateHasEightDigits)
{
    EXPECT_EQ("20240105", InstallDateText(2024, 1, 5));
    EXPECT_EQ("19991231", InstallDateText(1999, 12, 31));
}

TEST(UninstallEntry, WithoutAManifestToCountTheSizeIsLeftOut)
{
    const auto has = [](const std::vector<UninstallValue>& Values, const std::string& Name) {
        for (const UninstallValue& value : Values)
            if (Name == value.Name)
                return true;
        return false;
    };
    const std::vector<UninstallValue> counted = UninstallDetails("C:\\B 7\\", 2049, "20240105");
    const std::vector<UninstallValue> uncounted = UninstallDetails("C:\\B 7\\", std::nullopt, "20240105");
    EXPECT_TRUE(has(counted, "EstimatedSize"));
    EXPECT_FALSE(has(uncounted, "EstimatedSize"));
    EXPECT_EQ(counted.size(), uncounted.size() + 1);
    EXPECT_EQ(3u, counted.back().Number);
}
