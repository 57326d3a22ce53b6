// The portable text helpers of BriCommon.
#include "BriCommon.h"

#include <algorithm>
#include <cctype>

std::vector<std::string> SplitTextLines(const std::string& Text)
{
    std::vector<std::string> lines;
    const size_t end = std::min(Text.find('\0'), Text.size());
    size_t start = 0;
    while (start < end) {
        size_t stop = Text.find_first_of("\r\n", start);
        if (stop == std::string::npos || stop > end)
            stop = end;
        lines.push_back(Text.substr(start, stop - start));
        if (stop < end && Text[stop] == '\r' && stop + 1 < end && Text[stop + 1] == '\n')
            ++stop;
        start = stop + 1;
    }
    return lines;
}

bool SameFileName(const std::string& A, const std::string& B)
{
    auto fold = [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; };
    return A.size() == B.size() &&
           std::equal(A.begin(), A.end(), B.begin(), [&](char X, char Y) { return fold(X) == fold(Y); });
}

bool IsBlankText(const std::string& Text)
{
    for (char c : Text)
        if (static_cast<unsigned char>(c) > 32)
            return false;
    return true;
}

bool IsTrueText(const std::string& Text)
{
    if (Text.size() != 4)
        return false;
    std::string upper = Text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper == "TRUE";
}

static int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int32_t TextToIntDef(const std::string& Text, int32_t Default)
{
    size_t i = 0;
    while (i < Text.size() && Text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-'))
        negative = Text[i++] == '-';

    int base = 10;
    if (i < Text.size() && (Text[i] == '$' || Text[i] == 'x' || Text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < Text.size() && Text[i] == '0' && (Text[i + 1] == 'x' || Text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == Text.size())
        return Default; // no digits at all

    // Decimal values must fit the signed range; hexadecimal ones may use all 32 bits ($FFFFFFFF is -1).
    const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t value = 0;
    for (; i < Text.size(); ++i) {
        int digit = base == 16 ? HexDigitValue(Text[i])
                               : (std::isdigit(static_cast<unsigned char>(Text[i])) ? Text[i] - '0' : -1);
        if (digit < 0)
            return Default;
        value = value * base + static_cast<uint64_t>(digit);
        if (value > limit)
            return Default;
    }
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

std::string AddTrailingBackslash(const std::string& Path)
{
    if (Path.empty() || Path.back() == '\\')
        return Path;
    return Path + '\\';
}

std::string QuoteText(const std::string& Text)
{
    if (Text.empty())
        return "\"\"";
    if (Text.front() == '"' || Text.back() == '"')
        return Text;
    return '"' + Text + '"';
}
