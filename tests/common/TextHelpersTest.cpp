#include <gtest/gtest.h>

#include <algorithm>

#include "BriCommon.h"
#include "Sha256.h"

TEST(IsTrueText, AcceptsTrueInAnyLetterCase)
{
    EXPECT_TRUE(IsTrueText("true"));
    EXPECT_TRUE(IsTrueText("True"));
    EXPECT_TRUE(IsTrueText("TRUE"));
    EXPECT_TRUE(IsTrueText("tRuE"));
}

TEST(IsTrueText, RejectsEverythingElseWithoutTrimming)
{
    EXPECT_FALSE(IsTrueText("TRUE "));
    EXPECT_FALSE(IsTrueText(" TRUE"));
    EXPECT_FALSE(IsTrueText("1"));
    EXPECT_FALSE(IsTrueText("yes"));
    EXPECT_FALSE(IsTrueText(""));
    EXPECT_FALSE(IsTrueText("TRU"));
    EXPECT_FALSE(IsTrueText(std::string("TRUE\0", 5)));
}

TEST(TextToIntDef, ReadsDecimalWithBlanksAndSign)
{
    EXPECT_EQ(3, TextToIntDef("3", -1));
    EXPECT_EQ(3, TextToIntDef("   3", -1));
    EXPECT_EQ(-42, TextToIntDef(" -42", -1));
    EXPECT_EQ(42, TextToIntDef("+042", -1));
    EXPECT_EQ(0, TextToIntDef("0", -1));
}

TEST(TextToIntDef, ReadsHexadecimalAfterEveryPrefix)
{
    EXPECT_EQ(255, TextToIntDef("$FF", -1));
    EXPECT_EQ(255, TextToIntDef("xff", -1));
    EXPECT_EQ(255, TextToIntDef("XfF", -1));
    EXPECT_EQ(255, TextToIntDef("0xFF", -1));
    EXPECT_EQ(255, TextToIntDef("0XFF", -1));
    EXPECT_EQ(-16, TextToIntDef("-$10", 7));
    EXPECT_EQ(-1, TextToIntDef("$FFFFFFFF", 7)); // all 32 bits are used by hexadecimal values
}

TEST(TextToIntDef, KeepsToThe32BitRange)
{
    EXPECT_EQ(2147483647, TextToIntDef("2147483647", -1));
    EXPECT_EQ(-2147483647 - 1, TextToIntDef("-2147483648", -1));
    EXPECT_EQ(-1, TextToIntDef("2147483648", -1));
    EXPECT_EQ(-1, TextToIntDef("-2147483649", -1));
    EXPECT_EQ(-1, TextToIntDef("$100000000", -1));
    EXPECT_EQ(-1, TextToIntDef("99999999999999999999999", -1));
}

TEST(TextToIntDef, GivesTheDefaultForAnythingElse)
{
    EXPECT_EQ(-1, TextToIntDef("", -1));
    EXPECT_EQ(-1, TextToIntDef("   ", -1));
    EXPECT_EQ(-1, TextToIntDef("3 ", -1));
    EXPECT_EQ(-1, TextToIntDef("a", -1));
    EXPECT_EQ(-1, TextToIntDef("three", -1));
    EXPECT_EQ(-1, TextToIntDef("-", -1));
    EXPECT_EQ(-1, TextToIntDef("- 3", -1));
    EXPECT_EQ(-1, TextToIntDef("+-3", -1));
    EXPECT_EQ(-1, TextToIntDef("$", -1));
    EXPECT_EQ(-1, TextToIntDef("0x", -1));
    EXPECT_EQ(-1, TextToIntDef("$G", -1));
    EXPECT_EQ(-1, TextToIntDef("12a", -1));
    EXPECT_EQ(-1, TextToIntDef("\t3", -1));
}

TEST(AddTrailingBackslash, AppendsOnlyWhenMissing)
{
    EXPECT_EQ("", AddTrailingBackslash(""));
    EXPECT_EQ("C:\\dir\\", AddTrailingBackslash("C:\\dir"));
    EXPECT_EQ("C:\\dir\\", AddTrailingBackslash("C:\\dir\\"));
    EXPECT_EQ("C:\\", AddTrailingBackslash("C:\\"));
    EXPECT_EQ("C:\\", AddTrailingBackslash("C:"));
}

TEST(QuoteText, QuotesUnlessOneEndIsAQuote)
{
    EXPECT_EQ("\"\"", QuoteText(""));
    EXPECT_EQ("\"C:\\a b\"", QuoteText("C:\\a b"));
    EXPECT_EQ("\"abc", QuoteText("\"abc"));
    EXPECT_EQ("abc\"", QuoteText("abc\""));
    EXPECT_EQ("\"x\"", QuoteText("\"x\""));
    EXPECT_EQ("\"", QuoteText("\"")); // a lone quote is both ends, and stays alone
}

TEST(Sha256, KnownDigestsWholeAndInPiecesWithAndWithoutTheProcessorsInstructions)
{
    // Both ways give the same digests; where the processor has no SHA instructions, both are
    // the rounds in C++.
    for (const bool instructions : {true, false}) {
        SCOPED_TRACE(instructions ? "the processor's SHA instructions where it has them" : "the rounds in C++");
        UseShaInstructions(instructions);
        EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", DigestToHex(Sha256Of("", 0)));
        EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", DigestToHex(Sha256Of("abc", 3)));
        const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
        EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
                  DigestToHex(Sha256Of(twoBlocks.data(), twoBlocks.size())));
        // A million "a", fed in uneven pieces across the block boundaries, then whole.
        const std::string a(1000000, 'a');
        Sha256 hash;
        for (size_t at = 0, piece = 1; at < a.size(); at += piece, piece = piece % 97 + 13)
            hash.Update(a.data() + at, std::min(piece, a.size() - at));
        EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", DigestToHex(hash.Finish()));
        EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
                  DigestToHex(Sha256Of(a.data(), a.size())));
    }
    UseShaInstructions(true);
}
