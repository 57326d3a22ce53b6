#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "AutoSettings.h"

namespace {

TAuto FromText(const std::string& Text)
{
    // ctest runs the cases in parallel: each writes a file named after itself.
    const std::string path =
        testing::TempDir() + "bb7auto-" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    {
        std::ofstream file(path, std::ios::binary);
        file << Text;
    }
    TAuto settings(path);
    std::remove(path.c_str());
    return settings;
}

} // namespace

TEST(SplitTextLines, EndsLinesAtCrLfLfOrCr)
{
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "d"}), SplitTextLines("a\r\nb\nc\rd"));
    EXPECT_EQ((std::vector<std::string>{"a", "", "b"}), SplitTextLines("a\n\nb\r\n"));
    EXPECT_EQ((std::vector<std::string>{"a", ""}), SplitTextLines("a\r\n\r\n"));
    EXPECT_TRUE(SplitTextLines("").empty());
}

TEST(SplitTextLines, ANulByteEndsTheText)
{
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), SplitTextLines(std::string("a\nb\0c\nd", 7)));
}

TEST(TAuto, MissingFileHasNoLines)
{
    TAuto settings(testing::TempDir() + "no_such_bb7auto.txt");
    EXPECT_TRUE(settings.FileLines.empty());
    EXPECT_EQ("", settings.ReadValue("STDDIR"));
}

TEST(TAuto, NamesMatchWithoutRegardToCaseAndNothingIsTrimmed)
{
    const TAuto settings = FromText("instkind=3\r\nINSTKIND = 1\r\nSTDDIR= C:\\a=b \r\n");
    EXPECT_EQ("3", settings.ReadValue("INSTKIND"));
    EXPECT_EQ(" 1", settings.ReadValue("INSTKIND "));
    EXPECT_EQ(" C:\\a=b ", settings.ReadValue("STDDIR"));
}

TEST(TAuto, FirstLineOfANameCountsAndOtherLinesAreIgnored)
{
    const TAuto settings = FromText("no equals here\n\nSTDDIR=C:\\first\nSTDDIR=C:\\second\n=empty name\n");
    EXPECT_EQ("C:\\first", settings.ReadValue("STDDIR"));
    EXPECT_EQ("empty name", settings.ReadValue(""));
    EXPECT_EQ("", settings.ReadValue("INSTID"));
    EXPECT_EQ(5u, settings.FileLines.size());
}
