#include <gtest/gtest.h>

#include "BriBarModel.h"

namespace {

// Counts what the bar asks of its drawing surface.
class RecordingBar : public BriBarModel {
public:
    int Painted = 0, Requested = 0;
    void Forget() { Painted = Requested = 0; }

protected:
    void RedrawNow() override { ++Painted; }
    void RequestRedraw() override { ++Requested; }
};

TEST(BriBarPosition, IsLimitedToTheRangeAndDrawnAtOnceWhenItChanges)
{
    RecordingBar bar;
    EXPECT_EQ(100, bar.Max());
    bar.SetPosition(150);
    EXPECT_EQ(100, bar.Position());
    bar.SetPosition(-5);
    bar.SetPosition(-7); // limited to the same 0
    EXPECT_EQ(0, bar.Position());
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
    EXPECT_FALSE(IsBlankText("\xE9")); // a letter of the code page, above 127
}

TEST(BriBarRedraw, OnlyRangeAndStepPaintAtOnceTheRestRequests)
{
    RecordingBar bar;
    bar.SetStep(5);
    EXPECT_EQ(1, bar.Painted);
    bar.Forget();
    auto writeAll = [&bar] {
        bar.SetCaption("Copying");
        bar.SetOrientation(ccVertical);
        bar.SetShowPosition(true);
        bar.SetEnabled(false);
        bar.SetColorScheme(ccRed);
        bar.SetStep(5);
    };
    writeAll();
    EXPECT_EQ(0, bar.Painted);
    EXPECT_EQ(5, bar.Requested);
    bar.Forget();
    writeAll();
    bar.SetColorBorder(RgbColor(128, 0, 0));
    EXPECT_EQ(0, bar.Painted + bar.Requested) << "writing current values does nothing";
}

TEST(BriBarColours, OneColourMeansCustomAndASchemeReplacesAllFour)
{
    RecordingBar bar;
    EXPECT_EQ(ccBlue, bar.ColorScheme());
    bar.SetColorFont(RgbColor(1, 2, 3));
    EXPECT_EQ(ccCustom, bar.ColorScheme());
    EXPECT_EQ(RgbColor(224, 236, 250), bar.ColorBack()) << "the other colours stay";

    bar.SetColorScheme(ccBlack);
    EXPECT_EQ(RgbColor(171, 171, 171), bar.ColorBack());
    EXPECT_EQ(RgbColor(192, 192, 192), bar.ColorBorder());
    EXPECT_EQ(RgbColor(88, 88, 88), bar.ColorFace());
    EXPECT_EQ(RgbColor(255, 255, 255), bar.ColorFont());
    bar.SetColorScheme(ccCustom);
    EXPECT_EQ(RgbColor(88, 88, 88), bar.ColorFace()) << "custom keeps the colours";

    // A window description sets three colours, then the scheme, which has the last word.
    RecordingBar unpacker;
    unpacker.SetColorBorder(22144);
    unpacker.SetColorFace(6413967);
    unpacker.SetColorScheme(ccGreen);
    EXPECT_EQ(ccGreen, unpacker.ColorScheme());
    EXPECT_EQ(RgbColor(128, 86, 0), unpacker.ColorBorder());
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

TEST(BriBarGeometry, TextRectIsCentredWithTruncatingDivision)
{
    const BarRect even = TextRect(200, 21, 40, 13);
    EXPECT_EQ(79, even.Left); // 100 - 20 - 1
    EXPECT_EQ(3, even.Top);   // 10 - 6 - 1
    EXPECT_EQ(120, even.Right);
    EXPECT_EQ(17, even.Bottom);
    EXPECT_EQ(-16, TextRect(20, 10, 51, 30).Left); // wider than the bar
}

} // namespace
