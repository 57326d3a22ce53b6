// Text in the system's ANSI code page, the single- or double-byte code page of the "A" calls.
#pragma once

#include <string>

// Text in the ANSI code page; false when a character has no exact form there (it is written
// as "?"). Nothing is replaced by a look-alike.
bool ToAnsiCodePage(const std::u16string& Text, std::string& Ansi);
