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
    EXPECT_FALSE(bar.ShowPosition());
    EXPECT_FALSE(bar.ShowPercent());
    EXPECT_EQ("", bar.Caption());
    EXPECT_EQ(ccHorizontal, bar.Orientation());
    EXPECT_TRUE(bar.Enabled());
    EXPECT_EQ(ccBlue, bar.ColorScheme());
    EXPECT_EQ(RgbColor(128, 128, 128), bar.ColorBorder());
    EXPECT_EQ(RgbColor(40, 185, 255), bar.ColorFace());
    EXPECT_EQ(RgbColor(224, 236, 250), bar.ColorBack());
    EXPECT_EQ(RgbColor(0, 0, 0), bar.ColorFont());
    EXPECT_EQ(0, bar.Painted + bar.Requested);
}

TEST(BriBarModel, ColoursAreColorrefValues)
{
    EXPECT_EQ(22144u, RgbColor(128, 86, 0));
    EXPECT_EQ(6413967u, RgbColor(143, 222, 97));
    EXPECT_EQ(11323391u, RgbColor(255, 199, 172));
}

TEST(BriBarPosition, IsLimitedToTheRangeAndDrawnAtOnce)
{
    RecordingBar bar;
    bar.SetPosition(150);
    EXPECT_EQ(100, bar.Position());
    EXPECT_EQ(1, bar.Painted);
    bar.SetPosition(-5);
    EXPECT_EQ(0, bar.Position());
    EXPECT_EQ(2, bar.Painted);
    bar.SetPosition(42);
    EXPECT_EQ(42, bar.Position());
    EXPECT_EQ(3, bar.Painted);
    EXPECT_EQ(0, bar.Requested);
}

TEST(BriBarPosition, WritingTheSameValueDrawsNothing)
{
    RecordingBar bar;
    bar.SetPosition(100);
    bar.Forget();
    bar.SetPosition(100);
    bar.SetPosition(250); // limited to the same 100
    EXPECT_EQ(0, bar.Painted + bar.Requested);
}

TEST(BriBarPosition, MinWinsWhenTheRangeIsUpsideDown)
{
    RecordingBar bar;
    bar.SetMax(10);
    bar.SetMin(50); // now Max < Min
    bar.SetPosition(30);
    EXPECT_EQ(50, bar.Position());
}

TEST(BriBarRange, BoundEqualToTheOtherIsIgnoredEntirely)
{
    RecordingBar bar;
    bar.SetShowPercent(true);
    bar.SetPosition(50);
    bar.Forget();

    bar.SetMax(0); // equals Min
    bar.SetMin(100); // equals Max
    EXPECT_EQ(0, bar.Min());
    EXPECT_EQ(100, bar.Max());
    EXPECT_EQ(50, bar.Position());
    EXPECT_TRUE(bar.ShowPercent());
    EXPECT_EQ(0, bar.Painted + bar.Requested);
}

TEST(BriBarRange, MinPullsThePositionUpWithoutAPaintOfItsOwn)
{
    RecordingBar bar;
    bar.SetPosition(20);
    bar.Forget();
    bar.SetMin(30);
    EXPECT_EQ(30, bar.Min());
    EXPECT_EQ(30, bar.Position());
    EXPECT_EQ(1, bar.Painted) << "one paint for the new Min, none for the position";
}

TEST(BriBarRange, MinAbovePositionMovesItEvenBeyondMax)
{
    RecordingBar bar;
    bar.SetMin(150);
    EXPECT_EQ(150, bar.Position()) << "the position is not checked against Max here";
    EXPECT_EQ(100, bar.Max());
}

TEST(BriBarRange, MaxPullsThePositionDown)
{
    RecordingBar bar;
    bar.SetPosition(80);
    bar.Forget();
    bar.SetMax(60);
    EXPECT_EQ(60, bar.Max());
    EXPECT_EQ(60, bar.Position());
    EXPECT_EQ(1, bar.Painted);
}

TEST(BriBarRange, UnchangedBoundStillCorrectsThePosition)
{
    RecordingBar bar;
    bar.SetMax(10);
    bar.SetMin(50); // position 50, Max 10
    bar.SetMax(70);
    bar.SetMax(10);
    EXPECT_EQ(10, bar.Position());
    bar.Forget();
    bar.SetMin(50); // the same Min: stores nothing, paints nothing, yet lifts the position
    EXPECT_EQ(50, bar.Position());
    EXPECT_EQ(0, bar.Painted);
}

TEST(BriBarRange, StepIsStoredAndDrawnAtOnce)
{
    RecordingBar bar;
    bar.SetStep(10);
    EXPECT_EQ(0, bar.Painted);
    bar.SetStep(5);
    EXPECT_EQ(5, bar.Step());
    EXPECT_EQ(1, bar.Painted);
    EXPECT_EQ(0, bar.Position()) << "nothing advances by the step";
}

TEST(BriBarText, PercentNeedsTheRange0To100AndBringsThePosition)
{
    RecordingBar bar;
    bar.SetShowPercent(true);
    EXPECT_TRUE(bar.ShowPercent());
    EXPECT_TRUE(bar.ShowPosition());
    EXPECT_EQ(0, bar.Painted);
    EXPECT_GT(bar.Requested, 0);

    RecordingBar other;
    other.SetMax(200);
    other.SetShowPercent(true);
    EXPECT_FALSE(other.ShowPercent());
    EXPECT_FALSE(other.ShowPosition());
}

TEST(BriBarText, HidingThePositionHidesThePercent)
{
    RecordingBar bar;
    bar.SetShowPercent(true);
    bar.SetShowPosition(false);
    EXPECT_FALSE(bar.ShowPosition());
    EXPECT_FALSE(bar.ShowPercent());
}

TEST(BriBarText, LeavingTheRange0To100HidesOnlyThePercent)
{
    RecordingBar bar;
    bar.SetShowPercent(true);
    bar.SetMax(99);
    EXPECT_FALSE(bar.ShowPercent());
    EXPECT_TRUE(bar.ShowPosition());

    RecordingBar low;
    low.SetShowPercent(true);
    low.SetMin(1);
    EXPECT_FALSE(low.ShowPercent());
    EXPECT_TRUE(low.ShowPosition());
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

    bar.SetShowPercent(false);
    EXPECT_EQ("42", bar.Text());

    bar.SetCaption("Copying");
    bar.SetShowPosition(false);
    EXPECT_EQ("Copying", bar.Text());
}

TEST(BriBarText, NegativePositionsKeepTheirSign)
{
    RecordingBar bar;
    bar.SetMin(-50);
    bar.SetPosition(-7);
    bar.SetShowPosition(true);
    bar.SetCaption(" ");
    EXPECT_EQ("  -7", bar.Text()) << "a non-empty caption, even a blank one, is followed by a blank";
}

TEST(BriBarText, BlankTextIsNotDrawn)
{
    EXPECT_TRUE(IsBlankText(""));
    EXPECT_TRUE(IsBlankText("   "));
    EXPECT_TRUE(IsBlankText(std::string("\0\t\r\n \x1f", 6)));
    EXPECT_FALSE(IsBlankText("  a "));
    EXPECT_FALSE(IsBlankText("\xE9")); // a letter of the code page, above 127
}

TEST(BriBarText, CaptionAndOrientationRequestARedraw)
{
    RecordingBar bar;
    bar.SetCaption("Copying");
    EXPECT_EQ(1, bar.Requested);
    bar.SetCaption("Copying");
    bar.SetOrientation(ccHorizontal);
    EXPECT_EQ(1, bar.Requested);
    bar.SetCaption("copying"); // exact comparison
    bar.SetOrientation(ccVertical);
    EXPECT_EQ(3, bar.Requested);
    EXPECT_EQ(0, bar.Painted);
}

TEST(BriBarColours, WritingOneColourSwitchesToCustom)
{
    RecordingBar bar;
    bar.SetColorFace(RgbColor(1, 2, 3));
    EXPECT_EQ(ccCustom, bar.ColorScheme());
    EXPECT_EQ(RgbColor(1, 2, 3), bar.ColorFace());
    EXPECT_EQ(RgbColor(224, 236, 250), bar.ColorBack()) << "the other colours stay";
    EXPECT_GT(bar.Requested, 0);
    EXPECT_EQ(0, bar.Painted);

    for (void (BriBarModel::*setter)(TColor) :
         {&BriBarModel::SetColorBorder, &BriBarModel::SetColorBack, &BriBarModel::SetColorFont}) {
        RecordingBar other;
        (other.*setter)(RgbColor(9, 9, 9));
        EXPECT_EQ(ccCustom, other.ColorScheme());
    }
}

TEST(BriBarColours, WritingTheSameColourChangesNothing)
{
    RecordingBar bar;
    bar.SetColorBorder(RgbColor(128, 128, 128));
    EXPECT_EQ(ccBlue, bar.ColorScheme());
    EXPECT_EQ(0, bar.Requested);
}

TEST(BriBarColours, SchemeReplacesAllFourColoursAndCustomKeepsThem)
{
    RecordingBar bar;
    bar.SetColorFont(RgbColor(1, 1, 1));
    bar.SetColorScheme(ccBlack);
    EXPECT_EQ(RgbColor(171, 171, 171), bar.ColorBack());
    EXPECT_EQ(RgbColor(192, 192, 192), bar.ColorBorder());
    EXPECT_EQ(RgbColor(88, 88, 88), bar.ColorFace());
    EXPECT_EQ(RgbColor(255, 255, 255), bar.ColorFont());

    bar.SetColorScheme(ccCustom);
    EXPECT_EQ(ccCustom, bar.ColorScheme());
    EXPECT_EQ(RgbColor(88, 88, 88), bar.ColorFace());
    EXPECT_EQ(RgbColor(255, 255, 255), bar.ColorFont());
}

TEST(BriBarColours, StoredDescriptionEndsWithTheSchemeColours)
{
    // The three colours of the description, then the scheme: the result is the scheme's.
    RecordingBar bar;
    bar.SetColorBorder(22144);
    bar.SetColorFace(6413967);
    bar.SetColorBack(14547432);
    bar.SetColorScheme(ccGreen);
    EXPECT_EQ(ccGreen, bar.ColorScheme());
    EXPECT_EQ(22144u, bar.ColorBorder());
    EXPECT_EQ(6413967u, bar.ColorFace());
    EXPECT_EQ(14547432u, bar.ColorBack());

    RecordingBar progress;
    progress.SetColorBorder(RgbColor(0, 0, 128));
    progress.SetColorFace(33023);
    progress.SetColorBack(11323391);
    progress.SetColorScheme(ccOrange);
    EXPECT_EQ(ccOrange, progress.ColorScheme());
    EXPECT_EQ(RgbColor(0, 0, 128), progress.ColorBorder());
    EXPECT_EQ(33023u, progress.ColorFace());
    EXPECT_EQ(11323391u, progress.ColorBack());
}

TEST(BriBarColours, EveryNamedSchemeHasItsOwnColours)
{
    BarColors seen[ccOrange + 1];
    for (int scheme = ccGreen; scheme <= ccOrange; ++scheme) {
        ASSERT_TRUE(SchemeColors(static_cast<TColorScheme>(scheme), seen[scheme]));
        for (int earlier = ccGreen; earlier < scheme; ++earlier)
            EXPECT_FALSE(seen[earlier].Face == seen[scheme].Face && seen[earlier].Back == seen[scheme].Back)
                << "schemes " << earlier << " and " << scheme;
    }
    BarColors untouched = {1, 2, 3, 4};
    EXPECT_FALSE(SchemeColors(ccCustom, untouched));
    EXPECT_EQ(1u, untouched.Back);
    EXPECT_EQ(RgbColor(255, 64, 64), seen[ccRed].Face);
    EXPECT_EQ(RgbColor(0, 128, 128), seen[ccViolet].Border);
    EXPECT_EQ(RgbColor(192, 193, 201), seen[ccSilver].Face);
}

TEST(BriBarColours, DisabledBarUsesTheFixedColours)
{
    RecordingBar bar;
    bar.SetColorScheme(ccRed);
    bar.Forget();
    bar.SetEnabled(false);
    EXPECT_EQ(1, bar.Requested);
    EXPECT_EQ(0, bar.Painted);
    const BarColors drawn = bar.ColorsToDraw();
    EXPECT_EQ(RgbColor(238, 238, 238), drawn.Back);
    EXPECT_EQ(RgbColor(192, 192, 192), drawn.Border);
    EXPECT_EQ(RgbColor(200, 200, 200), drawn.Face);
    EXPECT_EQ(RgbColor(128, 128, 128), drawn.Font);

    bar.SetEnabled(true);
    EXPECT_EQ(RgbColor(255, 64, 64), bar.ColorsToDraw().Face);
}

TEST(BriBarGeometry, FillRoundsHalfToEven)
{
    EXPECT_EQ(189, FillLength(378, 50, 0, 100));
    EXPECT_EQ(2, FillLength(5, 50, 0, 100));  // 2.5
    EXPECT_EQ(4, FillLength(7, 50, 0, 100));  // 3.5
    EXPECT_EQ(2, FillLength(3, 50, 0, 100));  // 1.5
    EXPECT_EQ(1, FillLength(3, 40, 0, 100));  // 1.2
    EXPECT_EQ(2, FillLength(3, 60, 0, 100));  // 1.8
    EXPECT_EQ(0, FillLength(378, 0, 0, 100));
    EXPECT_EQ(378, FillLength(378, 100, 0, 100));
}

TEST(BriBarGeometry, FillFollowsAnyRange)
{
    EXPECT_EQ(50, FillLength(100, 0, -50, 50));
    EXPECT_EQ(25, FillLength(100, 15, 10, 30));
    EXPECT_EQ(189, FillLength(378, 1000000000, 0, 2000000000)) << "the product must not wrap";
    EXPECT_EQ(378, FillLength(378, INT32_MAX, INT32_MIN, INT32_MAX));
}

TEST(BriBarGeometry, RoundHalfEvenOnBothSides)
{
    EXPECT_EQ(0, RoundHalfEven(0.5));
    EXPECT_EQ(2, RoundHalfEven(1.5));
    EXPECT_EQ(-2, RoundHalfEven(-2.5));
    EXPECT_EQ(-1, RoundHalfEven(-0.6));
    EXPECT_EQ(INT32_MAX, RoundHalfEven(1e12));
}

TEST(BriBarGeometry, HorizontalFillsFromTheLeft)
{
    RecordingBar bar;
    bar.SetPosition(50);
    const BarRect fill = bar.FillRect(378, 17);
    EXPECT_EQ(0, fill.Left);
    EXPECT_EQ(0, fill.Top);
    EXPECT_EQ(189, fill.Right);
    EXPECT_EQ(17, fill.Bottom);
}

TEST(BriBarGeometry, VerticalFillsFromTheBottom)
{
    RecordingBar bar;
    bar.SetOrientation(ccVertical);
    bar.SetPosition(25);
    BarRect fill = bar.FillRect(20, 200);
    EXPECT_EQ(0, fill.Left);
    EXPECT_EQ(150, fill.Top);
    EXPECT_EQ(20, fill.Right);
    EXPECT_EQ(200, fill.Bottom);

    bar.SetPosition(100);
    fill = bar.FillRect(20, 200);
    EXPECT_EQ(0, fill.Top);
}

TEST(BriBarGeometry, TextRectIsCentredWithTruncatingDivision)
{
    const BarRect even = TextRect(200, 21, 40, 13);
    EXPECT_EQ(79, even.Left);  // 100 - 20 - 1
    EXPECT_EQ(3, even.Top);    // 10 - 6 - 1
    EXPECT_EQ(120, even.Right);
    EXPECT_EQ(17, even.Bottom);

    const BarRect wide = TextRect(20, 10, 51, 30); // text larger than the bar
    EXPECT_EQ(-16, wide.Left); // 10 - 25 - 1
    EXPECT_EQ(-11, wide.Top);  // 5 - 15 - 1
    EXPECT_EQ(36, wide.Right);
    EXPECT_EQ(20, wide.Bottom);
}

} // namespace
