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

namespace {

// Text as UTF-16 with its byte-order mark, as PowerShell's Out-File and Notepad's "Unicode" write it.
std::string Utf16(const std::u16string& Text, bool BigEndian)
{
    std::string bytes = BigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t c : Text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += BigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string RefusalOf(const std::string& Bytes)
{
    try {
        FromText(Bytes);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(TAuto, AMarkedFileInUtf8OrUtf16ReadsAsThePlainFileDoes)
{
    // "é" is one byte in the ANSI code page (octal 351), two in UTF-8; the NUL ends the text.
    const std::string plain = "INSTKIND=0\r\nSTDDIR=C:\\Donn\351es\\BB7\nCREATEICONS=TRUE\rAUTHKIND=1\r\n\r\nA=b";
    const std::u16string wide = u"INSTKIND=0\r\nSTDDIR=C:\\Donn\u00E9es\\BB7\nCREATEICONS=TRUE\rAUTHKIND=1\r\n\r\nA=b";
    const char* const nul = "Settings file line 6: a NUL byte, which ends the text; nothing after it is read";
    const TAuto expected = FromText(plain + std::string("\0INSTID=x", 9));
    ASSERT_EQ(6u, expected.FileLines.size());
    EXPECT_EQ("0", expected.ReadValue("INSTKIND"));
    EXPECT_EQ((std::vector<std::string>{"Settings file written in the system's ANSI code page",
                                        "Settings file line 6: unknown key \"A\", ignored", nul}),
              expected.Notes());
    EXPECT_EQ(6u, expected.NulLine());

    const struct {
        std::string Bytes;
        const char* Encoding;
        bool Nul;
    } files[] = {
        {"\357\273\277INSTKIND=0\r\nSTDDIR=C:\\Donn\303\251es\\BB7\nCREATEICONS=TRUE\rAUTHKIND=1\r\n\r\nA=b",
         "UTF-8 with a byte-order mark", false},
        {"INSTKIND=0\r\nSTDDIR=C:\\Donn\303\251es\\BB7\nCREATEICONS=TRUE\rAUTHKIND=1\r\n\r\nA=b",
         "UTF-8 without a byte-order mark", false},
        {Utf16(wide + u'\0' + u"INSTID=x", false), "UTF-16, little endian", true},
        {Utf16(wide, true) + '\0', "UTF-16, big endian", false}, // an odd last byte is no character
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.Encoding);
        const TAuto settings = FromText(file.Bytes);
        EXPECT_EQ(expected.FileLines, settings.FileLines);
        EXPECT_EQ("0", settings.ReadValue("INSTKIND")) << "the first line's key is no longer lost behind the mark";
        EXPECT_EQ("", settings.ReadValue("INSTID"));
        std::vector<std::string> notes = {std::string("Settings file written in ") + file.Encoding,
                                          "Settings file line 6: unknown key \"A\", ignored"};
        if (file.Nul)
            notes.push_back(nul);
        EXPECT_EQ(notes, settings.Notes());
    }
}

TEST(TAuto, OnlyTextThatIsUtf8AllThroughReadsAsUtf8WithoutAMark)
{
    // ANSI text with accented letters is practically never UTF-8: a lead byte without its
    // continuation, a lone continuation byte, an overlong form, an encoded surrogate.
    for (const std::string ansi : {"A=\303", "A=\251t\351", "A=\300\257", "A=\355\240\200"})
        EXPECT_EQ(ansi.substr(2), FromText(ansi).ReadValue("A")) << "read as ANSI";
}

TEST(TAuto, ASettingThatTheCodePageCannotHoldIsRefusedNamingItsKey)
{
    // "中" is in no Western code page; an overlong "/" (C0 AF) is no UTF-8 at all.
    EXPECT_EQ("The settings file's STDDIR holds a character that the system's code page cannot represent",
              RefusalOf(Utf16(u"INSTKIND=2\r\nstddir=C:\\\u4E2D\r\n", false)));
    EXPECT_EQ("The settings file's INSTID holds a character that the system's code page cannot represent",
              RefusalOf(Utf16(u"INSTID=\u4E2D\r\nINSTPASSWORD=\u4E2D", true)));
    EXPECT_NE(std::string::npos, RefusalOf("\xEF\xBB\xBFSTDDIR=C:\\a\xC0\xAF..\r\n").find("STDDIR"));

    // Where the character does not count, it reads as "?" and nothing is refused.
    const TAuto settings = FromText(Utf16(u"STDDIR=C:\\BB7\r\nSTDDIR=C:\\\u4E2D\r\nNOTE=\u4E2D\r\n\u4E2D\r\n", false));
    EXPECT_EQ("C:\\BB7", settings.ReadValue("STDDIR"));
    EXPECT_EQ((std::vector<std::string>{"STDDIR=C:\\BB7", "STDDIR=C:\\?", "NOTE=?", "?"}), settings.FileLines);
}

TEST(TAuto, NamesThatAreNoSettingAndSettingsGivenAgainAreNoted)
{
    const TAuto settings = FromText("instkind=3\r\nINSTKIND = 1\r\nStdDir=C:\\a\r\nno equals\r\n"
                                    "STDDIR=C:\\b\r\nINSTKIND=2\r\nCREATEICONS=TRUE\r\n=x\r\n");
    const std::vector<std::string> expected = {
        "Settings file line 2: unknown key \"INSTKIND \", ignored",
        "Settings file line 5: STDDIR given again, ignored (line 3 counts)",
        "Settings file line 6: INSTKIND given again, ignored (line 1 counts)",
        "Settings file line 8: unknown key \"\", ignored",
    };
    ASSERT_EQ("Settings file written in the system's ANSI code page", settings.Notes().at(0));
    EXPECT_EQ(expected, std::vector<std::string>(settings.Notes().begin() + 1, settings.Notes().end()));
    EXPECT_EQ("3", settings.ReadValue("INSTKIND"));
    EXPECT_EQ(1u, FromText("STDDIR=C:\\a\r\nINSTID=x\r\n").Notes().size()) << "its encoding alone";
}
