#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "StringCipher.h"
#include "UnattendedKey.h"

namespace {

const std::string Key = UnattendedPasswordKey;

std::string Shift(const std::string& Text, int By)
{
    std::string out = Text;
    for (char& c : out)
        c = static_cast<char>(static_cast<unsigned char>(c) + By);
    return out;
}

// Builds a ciphered text by hand, the way the format describes it.
std::string Cipher(const std::string& Plain, const std::string& CipherKey, const std::string& Filler)
{
    const std::string header = Shift(Filler + CipherKey, 10);
    std::string text = std::to_string(Filler.size()) + header;
    for (size_t k = 0; k < Plain.size(); ++k)
        text += static_cast<char>(static_cast<unsigned char>(Plain[k]) +
                                  static_cast<unsigned char>(header[k % header.size()]));
    return text;
}

std::string RandomBytes(std::mt19937& Random, size_t Length)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(Length, '\0');
    for (char& c : s)
        c = static_cast<char>(byte(Random));
    return s;
}

} // namespace

TEST(DecipherText, EmptyTextGivesEmptyWhateverTheKey)
{
    EXPECT_EQ("", DecipherText("", Key));
    EXPECT_EQ("", DecipherText("", ""));
}

TEST(DecipherText, EmptyKeyIsAnIncorrectPassword)
{
    EXPECT_EQ("BriEncryptError*-*Incorrect password", DecipherText("0abc", ""));
}

TEST(DecipherText, FirstByteNotADigitIsCorrupted)
{
    EXPECT_EQ("BriCryptError*-*String corrupted", DecipherText("a" + Shift(Key, 10), Key));
    EXPECT_EQ("BriCryptError*-*String corrupted", DecipherText(" 0", Key));
    EXPECT_EQ("BriCryptError*-*String corrupted", DecipherText("-1", Key));
}

TEST(DecipherText, HeaderOnlyGivesEmptyPlainText)
{
    EXPECT_EQ("", DecipherText(Cipher("", Key, "abc"), Key));
    EXPECT_EQ("", DecipherText("0" + Shift(Key, 10), Key));
}

TEST(DecipherText, DigitZeroShiftsTheBodyByTheShiftedKey)
{
    const std::string text = "0" + Shift("k", 10) + std::string(1, static_cast<char>('A' + 'k' + 10));
    EXPECT_EQ("A", DecipherText(text, "k"));
}

TEST(DecipherText, FillerBytesAreNotChecked)
{
    EXPECT_EQ("secret", DecipherText(Cipher("secret", Key, "123456789"), Key));
    EXPECT_EQ("secret", DecipherText(Cipher("secret", Key, std::string("\xff\x00\x01", 3)), Key));
}

TEST(DecipherText, KeyDifferingInLetterCaseIsRefused)
{
    const std::string text = Cipher("pw", "{abc}", "12");
    EXPECT_EQ("pw", DecipherText(text, "{abc}"));
    EXPECT_EQ("BriEncryptError*-*Incorrect password", DecipherText(text, "{ABC}"));
}

TEST(DecipherText, HeaderShorterThanTheKeyIsRefused)
{
    const std::string full = Cipher("", Key, "12345");
    EXPECT_EQ("BriEncryptError*-*Incorrect password", DecipherText(full.substr(0, full.size() - 1), Key));
    EXPECT_EQ("BriEncryptError*-*Incorrect password", DecipherText("9", Key));
    EXPECT_EQ("BriEncryptError*-*Incorrect password", DecipherText("0" + Shift("abc", 10), Key));
}

TEST(DecipherText, HeaderCutShortAfterTheKeyChecksItsLastKeyBytes)
{
    // n = 5, but only the key follows ("kl" is "ab" shifted by 10): the key check passes.
    EXPECT_EQ("", DecipherText("5kl", "ab"));
    // n = 5, two filler bytes and the key, then the text ends.
    EXPECT_EQ("", DecipherText("5" + Shift("xyab", 10), "ab"));
    EXPECT_EQ("BriEncryptError*-*Incorrect password", DecipherText("5" + Shift("xyaB", 10), "ab"));
}

// No byte string, with any key, may raise past the function or give anything but a plain
// text or one of the two error texts; a text that the encipherer made always comes back.
TEST(DecipherText, AnyShortInputWithAnyKeyNeverThrows)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<size_t> length(0, 12);
    std::uniform_int_distribution<int> digit('0', '9');
    for (int round = 0; round < 200000; ++round) {
        const std::string key = RandomBytes(random, length(random) % 6);
        std::string text = RandomBytes(random, length(random));
        if (!text.empty() && round % 2 == 0)
            text[0] = static_cast<char>(digit(random)); // reach past the digit check often
        std::string result;
        ASSERT_NO_THROW(result = DecipherText(text, key)) << "round " << round;
        const bool error = result == CipherErrorIncorrectPassword || result == CipherErrorStringCorrupted;
        ASSERT_TRUE(error || result.size() < std::max<size_t>(text.size(), 1)) << "round " << round;
    }
}

TEST(DecipherText, LongBodyReusesTheHeaderFromItsFirstByte)
{
    const std::string plain(100, 'x');
    EXPECT_EQ(plain, DecipherText(Cipher(plain, "ab", "7"), "ab"));
    // Every third body byte is shifted by the filler byte again.
    const std::string text = Cipher(plain, "ab", "7");
    EXPECT_EQ(static_cast<char>('x' + '7' + 10), text[4]);
    EXPECT_EQ(text[4], text[7]);
}

TEST(DecipherText, BytesWrapAroundModulo256BothWays)
{
    // A key byte of 250 is stored as 4 (wraps up); a body byte of 1 minus a header byte
    // of 4 wraps down to 253.
    const std::string key = "\xfa";
    const std::string text = std::string("0") + "\x04" + "\x01";
    EXPECT_EQ("\xfd", DecipherText(text, key));
    EXPECT_EQ(std::string("\xff\x00\xfe", 3), DecipherText(Cipher(std::string("\xff\x00\xfe", 3), key, "\xf9"), key));
}

TEST(EncipherText, RoundTripsRandomPasswordsAndKeys)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<size_t> length(0, 80);
    for (int i = 0; i < 500; ++i) {
        std::string key = RandomBytes(random, 1 + length(random) % 40);
        // Key bytes that shift to NUL, CR or LF cannot be stored; avoid them here.
        for (char& c : key)
            while (c == '\xf6' || c == '\x00' || c == '\x03')
                c = static_cast<char>(c + 1);
        const std::string plain = RandomBytes(random, length(random));
        const std::optional<std::string> cipher = EncipherText(plain, key);
        ASSERT_TRUE(cipher.has_value()) << "case " << i;
        EXPECT_EQ(plain, DecipherText(*cipher, key)) << "case " << i;
        EXPECT_EQ(std::string::npos, cipher->find_first_of(std::string("\0\r\n", 3))) << "case " << i;
    }
}

TEST(EncipherText, RoundTripsWithTheInstallersKey)
{
    const std::optional<std::string> cipher = EncipherText("P@ssw0rd with blanks", Key);
    ASSERT_TRUE(cipher.has_value());
    EXPECT_GE(cipher->size(), 1 + Key.size() + 20);
    EXPECT_EQ("P@ssw0rd with blanks", DecipherText(*cipher, Key));
}

TEST(EncipherText, RefusesWhatCannotBeWrittenOnALine)
{
    EXPECT_FALSE(EncipherText("pw", "").has_value());
    EXPECT_FALSE(EncipherText("pw", "\xf6").has_value());  // the key byte itself becomes NUL
    EXPECT_FALSE(EncipherText("pw", "a\x03").has_value()); // ... or CR
    // Plain bytes that cover every residue against one fixed key byte: with a one-byte key
    // and every filler count, some body byte must land on NUL, CR or LF.
    std::string every;
    for (int b = 0; b < 256; ++b)
        every += std::string(10, static_cast<char>(b));
    EXPECT_FALSE(EncipherText(every, "k").has_value());
}
