#include "SettingsFileText.h"

#include <algorithm>
#include <cstdint>

#include "AnsiCodePage.h"
#include "BriCommon.h"

namespace {

const char16_t Replacement = 0xFFFD; // no ANSI code page holds it

bool StartsWith(const std::string& Bytes, const char* Mark)
{
    return Bytes.compare(0, std::char_traits<char>::length(Mark), Mark) == 0;
}

uint8_t Byte(const std::string& Bytes, size_t At)
{
    return static_cast<uint8_t>(Bytes[At]);
}

// Code units of two bytes each after the mark; an odd last byte is no character.
std::u16string FromUtf16(const std::string& Bytes, bool BigEndian)
{
    std::u16string text;
    for (size_t at = 2; at + 1 < Bytes.size(); at += 2) {
        const unsigned first = Byte(Bytes, at), second = Byte(Bytes, at + 1);
        text += static_cast<char16_t>(BigEndian ? first << 8 | second : second << 8 | first);
    }
    return text;
}

// The bytes of a UTF-8 sequence that begins with Lead; 0 for a byte that begins none.
int SequenceLength(uint8_t Lead)
{
    if (Lead < 0x80)
        return 1;
    if (Lead >= 0xC2 && Lead <= 0xDF)
        return 2;
    if ((Lead & 0xF0) == 0xE0)
        return 3;
    return Lead >= 0xF0 && Lead <= 0xF4 ? 4 : 0;
}

const uint32_t LeastOfLength[] = {0, 0, 0x80, 0x800, 0x10000};

// UTF-8 from Start on. A sequence that is not well formed (cut short, an overlong form, a
// surrogate, past U+10FFFF) becomes U+FFFD, which the code page then refuses.
std::u16string FromUtf8(const std::string& Bytes, size_t Start)
{
    std::u16string text;
    size_t at = Start;
    while (at < Bytes.size()) {
        const uint8_t lead = Byte(Bytes, at);
        const int length = SequenceLength(lead);
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length); // the lead's bits of the code point
        int taken = 1;
        while (taken < length && at + taken < Bytes.size() && (Byte(Bytes, at + taken) & 0xC0) == 0x80)
            code = code << 6 | (Byte(Bytes, at + taken++) & 0x3F);
        at += taken;
        if (length == 0 || taken < length || code < LeastOfLength[length] || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            text += Replacement;
        } else if (code >= 0x10000) { // a surrogate pair
            text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(code);
        }
    }
    return text;
}

// Text without a mark that is UTF-8 all through and holds a character beyond ASCII: what
// PowerShell 7, Notepad since Windows 10 and most editors write. Text of an ANSI code page
// with accented letters is practically never so ("Donn\xE9es": an 0xE9 lead byte followed by
// "s"), and ASCII text reads the same either way.
bool IsUtf8BeyondAscii(const std::string& Bytes)
{
    bool beyondAscii = false;
    size_t at = 0;
    while (at < Bytes.size() && Bytes[at] != '\0') {
        const uint8_t lead = Byte(Bytes, at);
        const int length = SequenceLength(lead);
        if (length == 0 || at + length > Bytes.size())
            return false;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            if ((Byte(Bytes, at + i) & 0xC0) != 0x80)
                return false;
            code = code << 6 | (Byte(Bytes, at + i) & 0x3F);
        }
        if (code < LeastOfLength[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        beyondAscii = beyondAscii || length > 1;
        at += length;
    }
    return beyondAscii;
}

// The line, counted from 1, in which the text's first NUL stands; 0 when it holds none.
template <typename Text> size_t LineOfNul(const Text& Whole)
{
    const size_t nul = Whole.find(typename Text::value_type(0));
    if (nul == Text::npos)
        return 0;
    size_t line = 1;
    for (size_t at = 0; at < nul; ++at)
        if (Whole[at] == '\n' || (Whole[at] == '\r' && (at + 1 >= nul || Whole[at + 1] != '\n')))
            ++line;
    return line;
}

// The lines as SplitTextLines makes them of single-byte text.
std::vector<std::u16string> SplitLines(const std::u16string& Text)
{
    std::vector<std::u16string> lines;
    const size_t end = std::min(Text.find(u'\0'), Text.size());
    size_t start = 0;
    while (start < end) {
        size_t stop = Text.find_first_of(u"\r\n", start);
        if (stop == std::u16string::npos || stop > end)
            stop = end;
        lines.push_back(Text.substr(start, stop - start));
        if (stop < end && Text[stop] == u'\r' && stop + 1 < end && Text[stop + 1] == u'\n')
            ++stop;
        start = stop + 1;
    }
    return lines;
}

} // namespace

SettingsText DecodeSettingsText(const std::string& Bytes)
{
    SettingsText text;
    std::u16string wide;
    if (StartsWith(Bytes, "\xEF\xBB\xBF")) {
        text.Encoding = SettingsEncoding::Utf8;
        wide = FromUtf8(Bytes, 3);
    } else if (IsUtf8BeyondAscii(Bytes)) {
        text.Encoding = SettingsEncoding::Utf8WithoutMark;
        wide = FromUtf8(Bytes, 0);
    } else if (StartsWith(Bytes, "\xFF\xFE")) {
        text.Encoding = SettingsEncoding::Utf16LittleEndian;
        wide = FromUtf16(Bytes, false);
    } else if (StartsWith(Bytes, "\xFE\xFF")) {
        text.Encoding = SettingsEncoding::Utf16BigEndian;
        wide = FromUtf16(Bytes, true);
    } else {
        text.Lines = SplitTextLines(Bytes);
        text.Unrepresentable.assign(text.Lines.size(), false);
        text.NulLine = LineOfNul(Bytes);
        return text;
    }
    text.NulLine = LineOfNul(wide);
    for (const std::u16string& line : SplitLines(wide)) {
        std::string ansi;
        text.Unrepresentable.push_back(!ToAnsiCodePage(line, ansi));
        text.Lines.push_back(ansi);
    }
    return text;
}

const char* EncodingName(SettingsEncoding Encoding)
{
    switch (Encoding) {
    case SettingsEncoding::Ansi:
        return "the system's ANSI code page";
    case SettingsEncoding::Utf8:
        return "UTF-8 with a byte-order mark";
    case SettingsEncoding::Utf8WithoutMark:
        return "UTF-8 without a byte-order mark";
    case SettingsEncoding::Utf16LittleEndian:
        return "UTF-16, little endian";
    case SettingsEncoding::Utf16BigEndian:
        return "UTF-16, big endian";
    }
    return "";
}
