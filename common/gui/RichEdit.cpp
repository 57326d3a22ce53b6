// The rich-text box: documents streamed in, coloured log lines appended.
#include "Controls.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

RichEdit::RichEdit(Form& Owner, const ControlDesc& Desc, HWND Window) : Control(Owner, Desc, Window)
{
    SendMessageA(window_, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
    if (!(Desc.Flags & cfWordWrap))
        SendMessageA(window_, EM_SETTARGETDEVICE, 0, 1); // a line width of 1 turns wrapping off
    SendMessageA(window_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
}

namespace {

struct StreamSource {
    const std::string* Data;
    size_t Offset;
};

DWORD CALLBACK ReadStreamSource(DWORD_PTR Cookie, LPBYTE Buffer, LONG Wanted, LONG* Given)
{
    auto* source = reinterpret_cast<StreamSource*>(Cookie);
    const size_t left = source->Data->size() - source->Offset;
    const size_t n = std::min(left, static_cast<size_t>(Wanted));
    memcpy(Buffer, source->Data->data() + source->Offset, n);
    source->Offset += n;
    *Given = static_cast<LONG>(n);
    return 0;
}

} // namespace

void RichEdit::LoadFromText(const std::string& Content)
{
    StreamSource source = {&Content, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadStreamSource;
    const bool isRichText = Content.compare(0, 5, "{\\rtf") == 0;
    SendMessageA(window_, EM_STREAMIN, isRichText ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

void RichEdit::AppendLine(const std::string& Text, COLORREF Color)
{
    const int length = GetWindowTextLengthA(window_);
    SendMessageA(window_, EM_SETSEL, length, length);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = Color;
    SendMessageA(window_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    const std::string line = (length > 0 ? "\r\n" : "") + Text;
    SendMessageA(window_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

int RichEdit::LineCount() const
{
    return static_cast<int>(SendMessageA(window_, EM_GETLINECOUNT, 0, 0));
}
