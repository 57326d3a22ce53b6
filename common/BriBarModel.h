// The progress bar's properties, their write rules and the geometry of its picture, apart
// from any drawing surface. The drawing control derives from BriBarModel and is told through
// RedrawNow and RequestRedraw when the picture changes.
#pragma once

#include <cstdint>
#include <string>

#include "BriCommon.h"
#include "Colors.h"

enum TColorScheme : uint8_t {
    ccCustom = 0, // the colours were set one by one
    ccGreen = 1,
    ccBlue = 2,
    ccDeepBlue = 3,
    ccRed = 4,
    ccYellow = 5,
    ccBlack = 6,
    ccSilver = 7,
    ccWhite = 8,
    ccViolet = 9,
    ccPink = 10,
    ccOrange = 11,
};

enum TOrientation : uint8_t {
    ccHorizontal = 0, // fills from the left
    ccVertical = 1,   // fills from the bottom
};

struct BarColors {
    TColor Back;   // unfilled part
    TColor Border; // frame of the bar and of the filled part
    TColor Face;   // filled part
    TColor Font;   // text
};

// The colours of a named scheme; ccCustom and unknown values give false and leave Colors alone.
bool SchemeColors(TColorScheme Scheme, BarColors& Colors);

// What a disabled bar is drawn in, whatever its scheme.
extern const BarColors DisabledBarColors;

// Right and bottom edges exclusive, as the system's RECT.
struct BarRect {
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
};

// Value to the nearest integer, a tie to the even one; clamped to the 32-bit range.
int32_t RoundHalfEven(double Value);

// Length in pixels of the filled part of a bar Size pixels long.
int32_t FillLength(int32_t Size, int32_t Position, int32_t Min, int32_t Max);

// Where a text of the given extent is drawn, centred on a bar of the given size.
BarRect TextRect(int32_t Width, int32_t Height, int32_t TextWidth, int32_t TextHeight);

class BriBarModel {
public:
    BriBarModel();
    virtual ~BriBarModel() = default;

    int32_t Position() const { return position_; }
    void SetPosition(int32_t Value);
    int32_t Min() const { return min_; }
    void SetMin(int32_t Value);
    int32_t Max() const { return max_; }
    void SetMax(int32_t Value);
    int32_t Step() const { return step_; } // kept for the owner; nothing advances by it
    void SetStep(int32_t Value);
    bool ShowPosition() const { return showPosition_; }
    void SetShowPosition(bool Value);
    bool ShowPercent() const { return showPercent_; }
    void SetShowPercent(bool Value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Value);
    TOrientation Orientation() const { return orientation_; }
    void SetOrientation(TOrientation Value);
    TColor ColorBorder() const { return colors_.Border; }
    void SetColorBorder(TColor Value);
    TColor ColorFace() const { return colors_.Face; }
    void SetColorFace(TColor Value);
    TColor ColorBack() const { return colors_.Back; }
    void SetColorBack(TColor Value);
    TColor ColorFont() const { return colors_.Font; }
    void SetColorFont(TColor Value);
    TColorScheme ColorScheme() const { return scheme_; }
    void SetColorScheme(TColorScheme Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);

    // The picture of a bar of the given size: its colours, its filled part and its text.
    BarColors ColorsToDraw() const;
    BarRect FillRect(int32_t Width, int32_t Height) const;
    std::string Text() const; // may be blank; then nothing is drawn

protected:
    // Draw the picture before the property write returns (the position of a busy loop must
    // show at once).
    virtual void RedrawNow() = 0;
    // Let the picture be drawn at the next paint cycle.
    virtual void RequestRedraw() = 0;

private:
    void SetColor(TColor& Field, TColor Value);

    BarColors colors_;
    TColorScheme scheme_ = ccBlue;
    int32_t position_ = 0;
    int32_t min_ = 0;
    int32_t max_ = 100;
    int32_t step_ = 10;
    bool showPosition_ = false;
    bool showPercent_ = false;
    std::string caption_;
    TOrientation orientation_ = ccHorizontal;
    bool enabled_ = true;
};
