#include <gtest/gtest.h>

#include "BriBarModel.h"

namespace {

// Counts what the bar asks of its drawing surface.
class RecordingBar : public BriBarModel {
public:
    int Painted = 0;
    int Requested = 0;
    void Forget() { Painted = Requested = 0; }

protected:
    void RedrawNow() override { ++Painted; }
    void RequestRedraw() override { ++Requested; }
};

TEST(BriBarModel, StartsAsAnEmptyBlueBarOnZeroTo100)
{
    RecordingBar bar;
    EXPECT_EQ(0, bar.Position());
    EXPECT_EQ(0, bar.Min());
    EXPECT_EQ(100, bar.Max());
    EXPECT_EQ(10, bar.Step());
    EXPECT_EQ(ccBlue, bar.ColorScheme());
    EXPECT_EQ(RgbColor(128, 128, 128), bar.ColorBorder());
    EXPECT_EQ(RgbColor(40, 185, 255), bar.ColorFace());
    EXPECT_EQ(RgbColor(224, 236, 250), bar.ColorBack());
    EXPECT_EQ(22144u, RgbColor(128, 86, 0)); // COLORREF order: red in the lowest byte
}

TEST(BriBarPosition, IsLimitedToTheRangeAndDrawnAtOnceWhenItChanges)
{
    RecordingBar bar;
    bar.SetPosition(150);
    EXPECT_EQ(100, bar.Position());
    bar.SetPosition(-5);
    EXPECT_EQ(0, bar.Position());
    EXPECT_EQ(2, bar.Painted);
    bar.SetPosition(-7); // limited to the same 0
    EXPECT_EQ(2, bar.Painted);
    EXPECT_EQ(0, bar.Requested);

    bar.SetMax(10);
    bar.SetMin(50); // Max < Min: Min wins
    bar.SetPosition(30);
    EXPECT_EQ(50, bar.Position());
}

TEST(BriBarRange, BoundEqualToTheOtherIsIgnoredEntirely)
{
    RecordingBar bar;
    bar.SetShowPercent(true);
    bar.SetPosition(50);
    bar.Forget();
    bar.SetMax(0);
    bar.SetMin(100);
    EXPECT_EQ(0, bar.Min());
    EXPECT_EQ(100, bar.Max());
    EXPECT_EQ(50, bar.Position());
    EXPECT_TRUE(bar.ShowPercent());
    EXPECT_EQ(0, bar.Painted + bar.Requested);
}

TEST(BriBarRange, BoundsCarryThePositionWithoutAPaintOfItsOwn)
{
    RecordingBar bar;
    bar.SetPosition(20);
    bar.Forget();
    bar.SetMin(30);
    EXPECT_EQ(30, bar.Position());
    bar.SetMax(25);
    EXPECT_EQ(25, bar.Position()) << "not checked against Min";
    EXPECT_EQ(2, bar.Painted) << "one paint per bound, none for the position";

    bar.SetMax(10);
    bar.Forget();
    bar.SetMin(30); // the same Min: nothing stored or painted, yet the position is lifted
    EXPECT_EQ(30, bar.Position());
    EXPECT_EQ(0, bar.Painted);
}

TEST(BriBarText, PercentIsTiedToTheRange0To100AndToThePosition)
{
    RecordingBar bar;
    bar.SetShowPercent(true);
    EXPECT_TRUE(bar.ShowPosition());
    bar.SetShowPosition(false);
    EXPECT_FALSE(bar.ShowPercent());

    bar.SetShowPercent(true);
    bar.SetMax(99);
    EXPECT_FALSE(bar.ShowPercent());
    EXPECT_TRUE(bar.ShowPosition());
    bar.SetShowPercent(true);
    EXPECT_FALSE(bar.ShowPercent()) << "switched on outside 0 to 100";

    RecordingBar low;
    low.SetShowPercent(true);
    low.SetMin(1);
    EXPECT_FALSE(low.ShowPercent());
    EXPECT_EQ(1, low.Min());
}

TEST(BriBarText, IsCaptionPositionAndPercent)
{
    RecordingBar bar;
    bar.SetCaption("Copying");
    bar.SetShowPercent(true);
    bar.SetPosition(42);
    EXPECT_EQ("Copying 42%", bar.Text());
    bar.SetCaption("");
    EXPECT_EQ("42%", bar.Text());
    bar.SetCaption("Copying");
    bar.SetShowPosition(false);
    EXPECT_EQ("Copying", bar.Text());

    bar.SetMin(-50);
    bar.SetPosition(-7);
    bar.SetShowPosition(true);
    bar.SetCaption(" ");
    EXPECT_EQ("  -7", bar.Text()) << "a blank caption is followed by a blank too";

    EXPECT_TRUE(IsBlankText(std::string("\0\t\r\n \x1f", 6)));
    EXPECT_FALSE(IsBlankText("  a "));
    EXPECT_FALSE(IsBlankText("\xE9")); // a letter of the code page, above 127
}

TEST(BriBarRedraw, OnlyRangeAndStepPaintAtOnceTheRestRequests)
{
    RecordingBar bar;
    bar.SetStep(5);
    EXPECT_EQ(1, bar.Painted);
    bar.Forget();
    bar.SetCaption("Copying");
    bar.SetOrientation(ccVertical);
    bar.SetShowPosition(true);
    bar.SetEnabled(false);
    bar.SetColorScheme(ccRed);
    EXPECT_EQ(0, bar.Painted);
    EXPECT_EQ(5, bar.Requested);

    bar.Forget();
    bar.SetStep(5);
    bar.SetCaption("Copying");
    bar.SetOrientation(ccVertical);
    bar.SetShowPosition(true);
    bar.SetEnabled(false);
    bar.SetColorScheme(ccRed);
    bar.SetColorBorder(RgbColor(128, 0, 0));
    EXPECT_EQ(0, bar.Painted + bar.Requested) << "writing current values does nothing";
}

TEST(BriBarColours, OneColourMeansCustomAndASchemeReplacesAllFour)
{
    RecordingBar bar;
    bar.SetColorFont(RgbColor(1, 2, 3));
    EXPECT_EQ(ccCustom, bar.ColorScheme());
    EXPECT_EQ(RgbColor(224, 236, 250), bar.ColorBack()) << "the other colours stay";
    EXPECT_GT(bar.Requested, 0);

    bar.SetColorScheme(ccBlack);
    EXPECT_EQ(RgbColor(171, 171, 171), bar.ColorBack());
    EXPECT_EQ(RgbColor(192, 192, 192), bar.ColorBorder());
    EXPECT_EQ(RgbColor(88, 88, 88), bar.ColorFace());
    EXPECT_EQ(RgbColor(255, 255, 255), bar.ColorFont());
    bar.SetColorScheme(ccCustom);
    EXPECT_EQ(RgbColor(88, 88, 88), bar.ColorFace()) << "custom keeps the colours";

    // A window description sets three colours, then the scheme, which has the last word.
    RecordingBar progress;
    progress.SetColorBorder(RgbColor(0, 0, 128));
    progress.SetColorFace(33023);
    progress.SetColorBack(11323391);
    progress.SetColorScheme(ccOrange);
    EXPECT_EQ(ccOrange, progress.ColorScheme());
    EXPECT_EQ(33023u, progress.ColorFace());
}

TEST(BriBarColours, DisabledBarUsesTheFixedColours)
{
    RecordingBar bar;
    bar.SetColorScheme(ccViolet);
    bar.SetEnabled(false);
    const BarColors drawn = bar.ColorsToDraw();
    EXPECT_EQ(RgbColor(238, 238, 238), drawn.Back);
    EXPECT_EQ(RgbColor(192, 192, 192), drawn.Border);
    EXPECT_EQ(RgbColor(200, 200, 200), drawn.Face);
    EXPECT_EQ(RgbColor(128, 128, 128), drawn.Font);
    bar.SetEnabled(true);
    EXPECT_EQ(RgbColor(0, 128, 128), bar.ColorsToDraw().Border);
}

TEST(BriBarGeometry, FillRoundsHalfToEvenWithoutWrapping)
{
    EXPECT_EQ(189, FillLength(378, 50, 0, 100));
    EXPECT_EQ(2, FillLength(5, 50, 0, 100)); // 2.5
    EXPECT_EQ(4, FillLength(7, 50, 0, 100)); // 3.5
    EXPECT_EQ(2, FillLength(3, 60, 0, 100)); // 1.8
    EXPECT_EQ(25, FillLength(100, 15, 10, 30));
    EXPECT_EQ(189, FillLength(378, 1000000000, 0, 2000000000));
    EXPECT_EQ(-2, RoundHalfEven(-2.5));
}

TEST(BriBarGeometry, HorizontalFromTheLeftVerticalFromTheBottom)
{
    RecordingBar bar;
    bar.SetPosition(25);
    BarRect fill = bar.FillRect(200, 20);
    EXPECT_EQ(50, fill.Right);
    EXPECT_EQ(20, fill.Bottom);
    bar.SetOrientation(ccVertical);
    fill = bar.FillRect(20, 200);
    EXPECT_EQ(150, fill.Top);
    EXPECT_EQ(20, fill.Right);
    EXPECT_EQ(200, fill.Bottom);
}

TEST(BriBarGeometry, TextRectIsCentredWithTruncatingDivision)
{
    const BarRect even = TextRect(200, 21, 40, 13);
    EXPECT_EQ(79, even.Left); // 100 - 20 - 1
    EXPECT_EQ(3, even.Top);   // 10 - 6 - 1
    EXPECT_EQ(120, even.Right);
    EXPECT_EQ(17, even.Bottom);
    const BarRect wide = TextRect(20, 10, 51, 30); // larger than the bar
    EXPECT_EQ(-16, wide.Left);
    EXPECT_EQ(-11, wide.Top);
}

} // namespace
