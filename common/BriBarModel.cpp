#include "BriBarModel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Indexed by TColorScheme; the entry of ccCustom is never used.
const BarColors Schemes[] = {
    {0, 0, 0, 0},
    {RgbColor(232, 249, 221), RgbColor(128, 86, 0), RgbColor(143, 222, 97), RgbColor(0, 0, 0)},        // ccGreen
    {RgbColor(224, 236, 250), RgbColor(128, 128, 128), RgbColor(40, 185, 255), RgbColor(0, 0, 0)},     // ccBlue
    {RgbColor(208, 208, 255), RgbColor(128, 128, 128), RgbColor(72, 72, 255), RgbColor(0, 0, 0)},      // ccDeepBlue
    {RgbColor(255, 179, 179), RgbColor(128, 0, 0), RgbColor(255, 64, 64), RgbColor(0, 0, 0)},          // ccRed
    {RgbColor(255, 255, 217), RgbColor(128, 128, 0), RgbColor(255, 255, 130), RgbColor(0, 0, 0)},      // ccYellow
    {RgbColor(171, 171, 171), RgbColor(192, 192, 192), RgbColor(88, 88, 88), RgbColor(255, 255, 255)}, // ccBlack
    {RgbColor(233, 233, 233), RgbColor(128, 128, 128), RgbColor(192, 193, 201), RgbColor(0, 0, 0)},    // ccSilver
    {RgbColor(255, 255, 255), RgbColor(192, 192, 192), RgbColor(242, 242, 242), RgbColor(0, 0, 0)},    // ccWhite
    {RgbColor(239, 223, 255), RgbColor(0, 128, 128), RgbColor(197, 138, 255), RgbColor(0, 0, 0)},      // ccViolet
    {RgbColor(255, 193, 252), RgbColor(128, 128, 128), RgbColor(255, 119, 255), RgbColor(0, 0, 0)},    // ccPink
    {RgbColor(255, 199, 172), RgbColor(0, 0, 128), RgbColor(255, 128, 0), RgbColor(0, 0, 0)},          // ccOrange
};
static_assert(sizeof(Schemes) / sizeof(Schemes[0]) == ccOrange + 1, "one entry per scheme");

} // namespace

const BarColors DisabledBarColors = {RgbColor(238, 238, 238), RgbColor(192, 192, 192), RgbColor(200, 200, 200),
                                     RgbColor(128, 128, 128)};

bool SchemeColors(TColorScheme Scheme, BarColors& Colors)
{
    if (Scheme == ccCustom || Scheme > ccOrange)
        return false;
    Colors = Schemes[Scheme];
    return true;
}

int32_t RoundHalfEven(double Value)
{
    if (std::isnan(Value))
        return 0;
    double rounded = std::floor(Value);
    const double fraction = Value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0))
        rounded += 1.0;
    if (rounded <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (rounded >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(rounded);
}

int32_t FillLength(int32_t Size, int32_t Position, int32_t Min, int32_t Max)
{
    // In 64 bits: the product of a 32-bit size and position would wrap for ranges of more
    // than about 2^31 / Size and turn the bar inside out. Max never equals Min.
    const int64_t product = static_cast<int64_t>(Size) * (static_cast<int64_t>(Position) - Min);
    const int64_t range = static_cast<int64_t>(Max) - Min;
    if (range == 0)
        return 0;
    return RoundHalfEven(static_cast<double>(product) / static_cast<double>(range));
}

BarRect TextRect(int32_t Width, int32_t Height, int32_t TextWidth, int32_t TextHeight)
{
    // Integer division truncates toward zero, as the drawing has always done.
    BarRect rect;
    rect.Left = Width / 2 - TextWidth / 2 - 1;
    rect.Top = Height / 2 - TextHeight / 2 - 1;
    rect.Right = rect.Left + TextWidth + 1;
    rect.Bottom = rect.Top + TextHeight + 1;
    return rect;
}

BriBarModel::BriBarModel()
{
    SchemeColors(ccBlue, colors_);
}

void BriBarModel::SetPosition(int32_t Value)
{
    // Max first, then Min: when Max < Min, Min wins.
    if (Value > max_)
        Value = max_;
    if (Value < min_)
        Value = min_;
    if (Value == position_)
        return;
    position_ = Value;
    RedrawNow();
}

void BriBarModel::SetMin(int32_t Value)
{
    if (Value == max_)
        return; // an empty range would divide by zero
    if (position_ < Value)
        position_ = Value;
    if (Value != 0)
        SetShowPercent(false);
    if (Value == min_)
        return;
    min_ = Value;
    RedrawNow();
}

void BriBarModel::SetMax(int32_t Value)
{
    if (Value == min_)
        return;
    if (Value < position_)
        position_ = Value;
    if (Value != 100)
        SetShowPercent(false);
    if (Value == max_)
        return;
    max_ = Value;
    RedrawNow();
}

void BriBarModel::SetStep(int32_t Value)
{
    if (Value == step_)
        return;
    step_ = Value;
    RedrawNow();
}

void BriBarModel::SetShowPosition(bool Value)
{
    if (Value == showPosition_)
        return;
    if (!Value)
        SetShowPercent(false);
    showPosition_ = Value;
    RequestRedraw();
}

void BriBarModel::SetShowPercent(bool Value)
{
    // A percentage only makes sense on the range 0 to 100.
    if (min_ != 0 || max_ != 100 || Value == showPercent_)
        return;
    if (Value)
        SetShowPosition(true);
    showPercent_ = Value;
    RequestRedraw();
}

void BriBarModel::SetCaption(const std::string& Value)
{
    if (Value == caption_)
        return;
    caption_ = Value;
    RequestRedraw();
}

void BriBarModel::SetOrientation(TOrientation Value)
{
    if (Value == orientation_)
        return;
    orientation_ = Value;
    RequestRedraw();
}

void BriBarModel::SetColor(TColor& Field, TColor Value)
{
    if (Value == Field)
        return;
    Field = Value;
    SetColorScheme(ccCustom);
    RequestRedraw();
}

void BriBarModel::SetColorBorder(TColor Value)
{
    SetColor(colors_.Border, Value);
}

void BriBarModel::SetColorFace(TColor Value)
{
    SetColor(colors_.Face, Value);
}

void BriBarModel::SetColorBack(TColor Value)
{
    SetColor(colors_.Back, Value);
}

void BriBarModel::SetColorFont(TColor Value)
{
    SetColor(colors_.Font, Value);
}

void BriBarModel::SetColorScheme(TColorScheme Value)
{
    if (Value == scheme_ || Value > ccOrange)
        return;
    SchemeColors(Value, colors_); // ccCustom keeps the colours as they are
    scheme_ = Value;
    RequestRedraw();
}

void BriBarModel::SetEnabled(bool Value)
{
    if (Value == enabled_)
        return;
    enabled_ = Value;
    RequestRedraw();
}

BarColors BriBarModel::ColorsToDraw() const
{
    return enabled_ ? colors_ : DisabledBarColors;
}

BarRect BriBarModel::FillRect(int32_t Width, int32_t Height) const
{
    if (orientation_ == ccVertical) {
        const int64_t top = static_cast<int64_t>(Height) - FillLength(Height, position_, min_, max_);
        return {0, static_cast<int32_t>(std::clamp<int64_t>(top, INT32_MIN, INT32_MAX)), Width, Height};
    }
    return {0, 0, FillLength(Width, position_, min_, max_), Height};
}

std::string BriBarModel::Text() const
{
    std::string text = caption_;
    if (showPosition_) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(position_);
        if (showPercent_)
            text += '%';
    }
    return text;
}
