// Colours as the system's COLORREF holds them: red in the lowest byte, then green, then blue.
#pragma once

#include <cstdint>

using TColor = uint32_t;

constexpr TColor RgbColor(uint8_t Red, uint8_t Green, uint8_t Blue)
{
    return static_cast<TColor>(Red) | static_cast<TColor>(Green) << 8 | static_cast<TColor>(Blue) << 16;
}

// Named colours of the window descriptions.
constexpr TColor clMoneyGreen = RgbColor(192, 220, 192);
constexpr TColor clWhite = RgbColor(255, 255, 255);
constexpr TColor clYellow = RgbColor(255, 255, 0);
constexpr TColor clNavy = RgbColor(0, 0, 128);
constexpr TColor clRed = RgbColor(255, 0, 0);
constexpr TColor clBtnFaceLight = RgbColor(240, 240, 240); // the plain grey of the small windows
