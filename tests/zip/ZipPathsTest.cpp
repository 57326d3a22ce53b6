#include <gtest/gtest.h>

#include "ZipFileSystem.h"
#include "ZipPaths.h"
#include "ZipTestSupport.h"

using zippath::IsUnsafeEntryName;

TEST(ZipUnsafeNames, OrdinaryRelativeNamesAreSafe)
{
    EXPECT_FALSE(IsUnsafeEntryName("Distro/Help/index.htm"));
    EXPECT_FALSE(IsUnsafeEntryName("Distro/"));
    EXPECT_FALSE(IsUnsafeEntryName("a..b/c"));
    EXPECT_FALSE(IsUnsafeEntryName("./a"));
    EXPECT_FALSE(IsUnsafeEntryName(".hidden/..x"));
}

TEST(ZipUnsafeNames, ParentSegmentsWithEitherSlash)
{
    EXPECT_TRUE(IsUnsafeEntryName("../evil.txt"));
    EXPECT_TRUE(IsUnsafeEntryName("..\\evil.txt"));
    EXPECT_TRUE(IsUnsafeEntryName("a/../../evil.txt"));
    EXPECT_TRUE(IsUnsafeEntryName("a\\..\\..\\evil.txt"));
    EXPECT_TRUE(IsUnsafeEntryName("a/.."));
    EXPECT_TRUE(IsUnsafeEntryName(".."));
    // Windows strips trailing dots and blanks from a segment.
    EXPECT_TRUE(IsUnsafeEntryName("a/.. /x"));
    EXPECT_TRUE(IsUnsafeEntryName("a/.../x"));
}

TEST(ZipUnsafeNames, AbsoluteDriveAndUncNames)
{
    EXPECT_TRUE(IsUnsafeEntryName("/etc/passwd"));
    EXPECT_TRUE(IsUnsafeEntryName("\\Windows\\x.dll"));
    EXPECT_TRUE(IsUnsafeEntryName("C:\\x.txt"));
    EXPECT_TRUE(IsUnsafeEntryName("C:x.txt"));
    EXPECT_TRUE(IsUnsafeEntryName("\\\\server\\share\\x"));
    EXPECT_TRUE(IsUnsafeEntryName("//server/share/x"));
    EXPECT_TRUE(IsUnsafeEntryName("a//b"));
    EXPECT_TRUE(IsUnsafeEntryName(std::string("ok\0/../../x", 11)));
}

TEST(ZipPathParts, SplitAtTheLastBackslashOrColon)
{
    EXPECT_EQ("Distro\\Help\\", zippath::ExtractFilePath("Distro\\Help\\a.htm"));
    EXPECT_EQ("a.htm", zippath::ExtractFileName("Distro\\Help\\a.htm"));
    EXPECT_EQ("C:", zippath::ExtractFilePath("C:a.htm"));
    EXPECT_EQ("", zippath::ExtractFilePath("a.htm"));
    EXPECT_EQ("x\\", zippath::AddBackslash("x"));
    EXPECT_EQ("x\\", zippath::AddBackslash("x\\"));
    EXPECT_EQ("", zippath::AddBackslash(""));
    EXPECT_TRUE(zippath::IsAbsoluteName("C:\\a"));
    EXPECT_TRUE(zippath::IsAbsoluteName("\\\\srv\\a"));
    EXPECT_FALSE(zippath::IsAbsoluteName("a\\b"));
}

TEST(ZipForceDirectories, CreatesEveryMissingLevel)
{
    ziptest::ScratchDir scratch;
    const std::string deep = scratch / "a";
    ASSERT_TRUE(zippath::ForceDirectories(deep + "\\b\\c\\"));
    EXPECT_TRUE(zipfs::DirectoryExists(deep + "\\b\\c"));
    EXPECT_TRUE(zippath::ForceDirectories(deep + "\\b")); // already there
}

TEST(ZipForceDirectories, FailsBelowAFileAndForOverlongPaths)
{
    ziptest::ScratchDir scratch;
    ziptest::WriteFile(scratch / "file", "x");
    EXPECT_FALSE(zippath::ForceDirectories(scratch / "file" + "\\sub"));
    std::string longPath = scratch / "x";
    for (int i = 0; i < 3000; ++i)
        longPath += "\\a";
    EXPECT_FALSE(zippath::ForceDirectories(longPath));
    EXPECT_FALSE(zippath::ForceDirectories(""));
}

TEST(ZipFileLayer, RemovableDrivesAreAAndBAndTheRemovableType)
{
#ifdef _WIN32
    EXPECT_TRUE(zipfs::IsRemovableDrive("A:\\setup\\x.txt"));
    EXPECT_TRUE(zipfs::IsRemovableDrive("b:\\x.txt"));
    EXPECT_FALSE(zipfs::IsRemovableDrive("C:\\x.txt"));
#else
    EXPECT_FALSE(zipfs::IsRemovableDrive("A:\\x.txt")); // no drives here: nothing is flushed
#endif
    EXPECT_FALSE(zipfs::IsRemovableDrive("\\\\server\\share\\x.txt"));
    EXPECT_FALSE(zipfs::IsRemovableDrive("x.txt"));
}

TEST(ZipFileLayer, OemNamesBecomeAnsiOnWindowsOnly)
{
    const std::string oem = "\x81"
                            "ber.txt"; // u with diaeresis in the OEM code pages 437 and 850
#ifdef _WIN32
    EXPECT_EQ("\xFC"
              "ber.txt",
              zipfs::OemNameToAnsi(oem));
#else
    EXPECT_EQ(oem, zipfs::OemNameToAnsi(oem));
#endif
    EXPECT_EQ("plain/name.txt", zipfs::OemNameToAnsi("plain/name.txt"));
}
