#include "AnsiCodePage.h"

// The portable build has no ANSI code page: ISO 8859-1 stands in for it, the first 256
// characters, which the Western code page 1252 holds as well (but for 0x80 to 0x9F).
bool ToAnsiCodePage(const std::u16string& Text, std::string& Ansi)
{
    Ansi.clear();
    bool whole = true;
    for (const char16_t c : Text) {
        const bool held = c <= 0xFF;
        Ansi += held ? static_cast<char>(c) : '?';
        whole = whole && held;
    }
    return whole;
}
