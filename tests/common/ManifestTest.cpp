// The manifest's lines as the installer and the uninstaller read them: where a line splits,
// and the one rule for what it may name.
#include <gtest/gtest.h>

#include "BriCommon.h"
#include "Manifest.h"

using Names = std::vector<std::string>;

TEST(Manifest, LinesSplitAtTheLastBackslashOrColon)
{
    const auto lines =
        SplitTextLines(std::string("BriBU.exe\r\nHelp\\Images\\a b.png\nC:x\r\rHelp\\\r\n tail \0after", 60));
    ASSERT_EQ(6u, lines.size()); // a line break after the last line makes no line; NUL ends the text
    EXPECT_EQ((Names{"a", "b", "c", "", "d "}), SplitTextLines("a\r\nb\nc\n\rd ")) << "LF CR is two breaks";
    const ManifestLine top = ReadManifestLine(lines[0]);
    EXPECT_EQ("", top.Folder);
    EXPECT_EQ("BriBU.exe", top.File);
    EXPECT_TRUE(top.NamesFile());
    const ManifestLine deep = ReadManifestLine(lines[1]);
    EXPECT_EQ("Help\\Images\\", deep.Folder);
    EXPECT_EQ("a b.png", deep.File);
    const ManifestLine drive = ReadManifestLine(lines[2]); // a colon splits, but gives no folder part
    EXPECT_EQ("", drive.Folder);
    EXPECT_EQ("x", drive.File);
    EXPECT_FALSE(drive.StaysInside);
    EXPECT_EQ("", ReadManifestLine(lines[3]).File) << "a blank line names no file";
    EXPECT_TRUE(ReadManifestLine(lines[3]).StaysInside && !ReadManifestLine(lines[3]).NamesFile());
    EXPECT_EQ("Help\\", ReadManifestLine(lines[4]).Folder);
    EXPECT_EQ("", ReadManifestLine(lines[4]).File);
    EXPECT_FALSE(ReadManifestLine(lines[4]).NamesFile()) << "a folder alone is made, but names no file";
    EXPECT_EQ(" tail ", ReadManifestLine(lines[5]).File) << "nothing is trimmed";
}

TEST(Manifest, OnlyLinesThatStayInsideTheFolderAreTaken)
{
    for (const char* inside : {"BriBU.exe", "Help\\Images\\a b.png", "", "Help\\", "a..b\\c.d", "Help\\.hidden",
                               "x .y\\z"})
        EXPECT_TRUE(ManifestLineStaysInside(inside)) << inside;
    for (const char* outside :
         {"..\\..\\ProgramData\\evil.exe", "Help\\..\\..\\evil.exe", "..", ".\\x", "Help\\.\\x", "Help/../../x",
          "...\\x", "Help\\. \\x", "\\Windows\\x.dll", "/etc/x", "C:x", "C:\\Windows\\x.dll", "\\\\server\\share\\x",
          "BriBU.exe:stream", "Help\\x::$DATA", "x\\\\y", "Help//x", "Help/index.htm", "*.exe", "a?b", "a\tb", "a|b", "\"a\"", " "})
        EXPECT_FALSE(ManifestLineStaysInside(outside)) << outside;
}

TEST(Manifest, AnInstallationHoldsEveryFileInsideTheFolderOnceManifestAndUninstallerIncluded)
{
    const Names lines = {"BriBU.exe", "bb7setup.dat", "Help\\index.htm", "help\\INDEX.HTM", "bb7uninstall.exe",
                         "",          "..\\x",        "C:\\win.ini",     "Help\\",          "Help\\\\x"};
    EXPECT_EQ((Names{"BriBU.exe", "bb7setup.dat", "Help\\index.htm", "bb7uninstall.exe"}), InstalledFiles(lines));
}
