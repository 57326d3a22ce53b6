// The uninstall entry's size: the installation's scenario test checks the rest.
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
