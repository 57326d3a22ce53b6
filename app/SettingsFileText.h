// The text of a settings file in the encodings that the tools administrators use write: bytes
// of the system's ANSI code page (Notepad's "ANSI", cmd's echo), UTF-8 behind a byte-order
// mark (Windows PowerShell's Set-Content -Encoding UTF8) or without one (PowerShell 7, Notepad
// since Windows 10), or UTF-16 behind its mark (Windows PowerShell's Out-File and ">",
// Notepad's "Unicode"). Whatever the encoding, the lines come out in the ANSI code page, the
// one in which the installer names folders and accounts.
#pragma once

#include <string>
#include <vector>

enum class SettingsEncoding { Ansi, Utf8, Utf8WithoutMark, Utf16LittleEndian, Utf16BigEndian };

struct SettingsText {
    SettingsEncoding Encoding = SettingsEncoding::Ansi;
    // Lines end at CR LF, LF or CR; a NUL character ends the text.
    std::vector<std::string> Lines;
    // For each line: it held a character that the ANSI code page cannot, which reads as "?".
    std::vector<bool> Unrepresentable;
    // The line, counted from 1, in which a NUL character ended the text; 0 when none did.
    size_t NulLine = 0;
};

SettingsText DecodeSettingsText(const std::string& Bytes);

// "UTF-8 with a byte-order mark", "UTF-16, little endian"...
const char* EncodingName(SettingsEncoding Encoding);
