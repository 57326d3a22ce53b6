// Pictures for every display scale: which of the drawn versions (100%, 150%, 200%) a scale
// starts from, and the smooth resizing from that version to the exact size, apart from any
// drawing surface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The scales, in percent, at which the program carries each picture, smallest first.
constexpr int PictureScales[] = {100, 150, 200};

// The version to start from at this DPI (96 is 100%): the smallest that is at least as large
// as the picture wanted, so that it is made smaller, never larger; the largest above 200%.
int PictureScaleFor(int Dpi);

// A length of the version drawn at Scale percent, back at 100%.
int LengthAt100(int Length, int Scale);

// A picture of 24-bit pixels (three bytes each), rows top down, each row Stride bytes long.
struct PixelPicture {
    int Width = 0, Height = 0;
    size_t Stride = 0;
    std::vector<uint8_t> Bits;
};

// Bytes of a row of Width 24-bit pixels as a DIB keeps them: padded to a multiple of four.
size_t DibStride(int Width);

// Source resized to Width x Height by a tent filter, whose reach grows with the reduction:
// every pixel of the result is a weighted mean of the source pixels it covers, so edges stay
// smooth instead of stepping as pixels repeated or dropped would. The rows have DibStride.
PixelPicture ResizePicture(const PixelPicture& Source, int Width, int Height);
