// Pictures from the program's own resources: JPEG images stored as RCDATA, decoded with
// libjpeg, and plain bitmaps, each drawn at 100%, 150% and 200% of its size (NAME, NAME_150,
// NAME_200) and chosen, or smoothly resized, for the display's scale.
#pragma once

#include <windows.h>

#include <cstddef>

// The picture of the resource Name of Module at this DPI as a new bitmap (the caller owns
// it), or nullptr: its size at 100% times the scale, MulDiv(length, Dpi, 96). The version
// drawn nearest above the scale is taken as it is when it has that size, else made smaller
// by a smooth filter; a picture drawn at 100% only is resized from that.
HBITMAP LoadPicture(HMODULE Module, const char* Name, int Dpi);

// Decodes a JPEG image in memory into a 24-bit top-down DIB section, or nullptr when the
// data are not a JPEG image libjpeg can read.
HBITMAP DecodeJpeg(const unsigned char* Data, size_t Size);
