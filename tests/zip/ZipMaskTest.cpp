#include <gtest/gtest.h>

#include "ZipMask.h"

using zipmask::IsSelected;
using zipmask::MatchesMask;
using zipmask::PrepareMask;

TEST(ZipMask, StarDotStarMatchesNamesWithAndWithoutDot)
{
    EXPECT_TRUE(MatchesMask("README", "*.*"));
    EXPECT_TRUE(MatchesMask("a.txt", "*.*"));
    EXPECT_TRUE(MatchesMask("Distro/Help/x.htm", "*.*"));
    EXPECT_TRUE(MatchesMask("", "*.*"));
}

TEST(ZipMask, WildcardsIgnoreLetterCase)
{
    EXPECT_TRUE(MatchesMask("License.TXT", "*.txt"));
    EXPECT_TRUE(MatchesMask("a1.bin", "A?.BIN"));
    EXPECT_FALSE(MatchesMask("a.bin", "a?.bin"));
    EXPECT_FALSE(MatchesMask("a.txt", "*.htm"));
    EXPECT_TRUE(MatchesMask("abcabcabd", "*abd"));
    EXPECT_TRUE(MatchesMask("x", "**?**"));
    EXPECT_FALSE(MatchesMask("", "?"));
}

TEST(ZipMask, TrailingDotAsksForNoExtension)
{
    EXPECT_TRUE(MatchesMask("README", "*."));
    EXPECT_FALSE(MatchesMask("README.txt", "*."));
    EXPECT_TRUE(MatchesMask("dir.d/README", "*."));
    EXPECT_TRUE(MatchesMask("name.", "name"));
}

TEST(ZipMask, ManyStarsOnALongNameStayFast)
{
    const std::string name(20000, 'a');
    EXPECT_FALSE(MatchesMask(name, "*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesMask(name + "b", "*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(ZipMaskPrepare, DropsDriveAndTurnsBackslashes)
{
    EXPECT_EQ("Distro/*.txt", PrepareMask("C:\\Distro\\*.txt", false));
    EXPECT_EQ("C:/Distro/*.txt", PrepareMask("C:\\Distro\\*.txt", true));
    EXPECT_EQ("*.*", PrepareMask("*.*", false));
}

TEST(ZipSelection, MatchesWholeNameOrBareFileName)
{
    EXPECT_TRUE(IsSelected("Distro/Help/index.htm", 0x20, "index.htm", 0x28BF, true));
    EXPECT_TRUE(IsSelected("Distro/Help/index.htm", 0x20, "Distro/Help/*.htm", 0x28BF, true));
    EXPECT_TRUE(IsSelected("Distro/Help/", 0x10, "Help", 0x28BF, true));
    EXPECT_FALSE(IsSelected("Distro/Help/index.htm", 0x20, "Other/*.htm", 0x28BF, true));
}

TEST(ZipSelection, GuardedAttributeBitsMustBeInTheMask)
{
    EXPECT_TRUE(IsSelected("a", 0x01 | 0x20, "*.*", 0, true)); // read-only and archive are not guarded
    EXPECT_FALSE(IsSelected("a", 0x02, "*.*", 0x3D, true));
    EXPECT_FALSE(IsSelected("a", 0x04, "*.*", 0x3B, true));
    EXPECT_FALSE(IsSelected("a", 0x08, "*.*", 0x37, true));
    EXPECT_FALSE(IsSelected("d/", 0x10, "*.*", 0x2F, true));
    EXPECT_TRUE(IsSelected("d/", 0x10, "*.*", 0x10, true));
    EXPECT_TRUE(IsSelected("a", 0x06, "*.*", 0x28BF, true));
}

TEST(ZipSelection, WithoutRecurseOnlyTheMasksFolder)
{
    EXPECT_TRUE(IsSelected("top.txt", 0x20, "*.*", 0x28BF, false));
    EXPECT_FALSE(IsSelected("Distro/a.txt", 0x20, "*.*", 0x28BF, false));
    EXPECT_TRUE(IsSelected("Distro/a.txt", 0x20, "distro/*.*", 0x28BF, false));
    EXPECT_FALSE(IsSelected("Distro/Help/a.txt", 0x20, "Distro/*.*", 0x28BF, false));
}
