// Pictures from the program's own resources: JPEG images stored as RCDATA, decoded with
// libjpeg, and plain bitmaps.
#pragma once

#include <windows.h>

#include <cstddef>

// The picture of the resource Name as a new bitmap (the caller owns it), or nullptr.
HBITMAP LoadPicture(const char* Name);

// Decodes a JPEG image in memory into a 24-bit top-down DIB section, or nullptr when the
// data are not a JPEG image libjpeg can read.
HBITMAP DecodeJpeg(const unsigned char* Data, size_t Size);
