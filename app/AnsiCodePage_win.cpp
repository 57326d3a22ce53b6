#include "AnsiCodePage.h"

#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 is the wide text of Windows");

bool ToAnsiCodePage(const std::u16string& Text, std::string& Ansi)
{
    Ansi.clear();
    if (Text.empty())
        return true;
    const auto* wide = reinterpret_cast<const wchar_t*>(Text.data());
    const int length = static_cast<int>(Text.size());
    // Best fit would write "ā" as "a", or the full-width "＼" as a backslash: a folder that the
    // file does not name. With WC_NO_BEST_FIT_CHARS what the code page lacks is reported. The
    // UTF-8 code page (a Windows 10 option) holds every character and refuses both arguments.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return false;
    Ansi.resize(static_cast<size_t>(size));
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, flags, wide, length, &Ansi[0], size, utf8 ? nullptr : "?",
                                            utf8 ? nullptr : &usedDefault);
    return written == size && !usedDefault;
}
