#include <gtest/gtest.h>

#include <set>

#include "BriBar.h"

namespace {

const COLORREF Marker = RGB(255, 0, 255); // a colour no scheme uses
const COLORREF Back = RGB(224, 236, 250), Frame = RGB(128, 128, 128), Face = RGB(40, 185, 255);

// The bar's parent: answers WM_GETFONT and paints nothing itself, so that whatever is on its
// surface was put there by the test.
LRESULT CALLBACK ParentProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_GETFONT)
        return reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    if (Message == WM_PAINT || Message == WM_ERASEBKGND) {
        ValidateRect(Window, nullptr);
        return 1;
    }
    return DefWindowProcA(Window, Message, WParam, LParam);
}

class BriBarWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const ATOM registered = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = ParentProc;
            wc.lpszClassName = "Bb7BarTestParent";
            return RegisterClassA(&wc);
        }();
        ASSERT_NE(0, registered);
        parent_ =
            CreateWindowExA(0, "Bb7BarTestParent", "", WS_POPUP, 0, 0, 460, 240, nullptr, nullptr, nullptr, nullptr);
        // Not activated: Wine waits two seconds for a window manager when an active window goes.
        ShowWindow(parent_, SW_SHOWNOACTIVATE);
        ValidateRect(parent_, nullptr);
        canvasDc_.Reset(CreateCompatibleDC(nullptr));
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 460, -240, 1, 32, BI_RGB, 0, 0, 0, 0, 0}; // top-down rows
        void* bits = nullptr;
        canvas_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<const uint32_t*>(bits);
        SelectObject(canvasDc_.Get(), canvas_.Get());
        Fill(canvasDc_.Get(), {0, 0, 460, 240});
    }
    void TearDown() override { DestroyWindow(parent_); }

    static void Fill(HDC Dc, const RECT& Area)
    {
        BrushHandle brush(CreateSolidBrush(Marker));
        FillRect(Dc, &Area, brush.Get());
    }
    // A pixel of the off-screen canvas that PaintOn draws on.
    COLORREF Pixel(int X, int Y) const
    {
        GdiFlush();
        const uint32_t bgr = bits_[Y * 460 + X];
        return RGB(bgr >> 16 & 0xFF, bgr >> 8 & 0xFF, bgr & 0xFF);
    }
    // A pixel of the parent window's surface, read without letting it process any message.
    COLORREF ScreenPixel(int X, int Y) const { return GetPixel(WindowDc(parent_).Get(), X, Y); }
    RECT Pending() const
    {
        RECT area = {};
        GetUpdateRect(parent_, &area, FALSE);
        return area;
    }

    HWND parent_ = nullptr;
    MemoryDc canvasDc_;
    BitmapHandle canvas_;
    const uint32_t* bits_ = nullptr;
};

bool operator==(const RECT& A, const RECT& B)
{
    return EqualRect(&A, &B) != 0;
}

TEST_F(BriBarWindow, FillsItsShareInItsPlaceOnly)
{
    TBriBar bar(parent_);
    EXPECT_TRUE(bar.Bounds() == RECT({0, 0, 200, 21}));
    EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), bar.Font());
    bar.SetBounds(7, 44, 378, 17);
    bar.SetPosition(50);
    bar.PaintOn(canvasDc_.Get());

    EXPECT_EQ(Frame, Pixel(7, 44));
    EXPECT_EQ(Frame, Pixel(7 + 377, 44 + 16));
    EXPECT_EQ(Face, Pixel(7 + 187, 52));
    EXPECT_EQ(Frame, Pixel(7 + 188, 52)); // the filled part's own frame
    EXPECT_EQ(Back, Pixel(7 + 189, 52));
    EXPECT_EQ(Marker, Pixel(6, 52));
    EXPECT_EQ(Marker, Pixel(7 + 378, 52));
    EXPECT_EQ(Marker, Pixel(100, 44 + 17));

    bar.SetBounds(0, 0, 5, 21);
    bar.PaintOn(canvasDc_.Get());
    EXPECT_EQ(Frame, Pixel(1, 10));
    EXPECT_EQ(Back, Pixel(2, 10)) << "2.5 pixels must round to 2";

    bar.SetBounds(10, 100, 20, 100);
    bar.SetOrientation(ccVertical);
    bar.SetPosition(30);
    bar.PaintOn(canvasDc_.Get());
    EXPECT_EQ(Back, Pixel(20, 100 + 69));
    EXPECT_EQ(Frame, Pixel(20, 100 + 70)); // from the bottom up
    EXPECT_EQ(Face, Pixel(20, 100 + 98));
}

TEST_F(BriBarWindow, SchemeColoursAndDisabledColours)
{
    TBriBar bar(parent_);
    bar.SetColorScheme(ccRed);
    bar.SetPosition(50);
    bar.PaintOn(canvasDc_.Get());
    EXPECT_EQ(RGB(128, 0, 0), Pixel(0, 0));
    EXPECT_EQ(RGB(255, 64, 64), Pixel(50, 10));
    EXPECT_EQ(RGB(255, 179, 179), Pixel(150, 10));

    bar.SetEnabled(false);
    bar.PaintOn(canvasDc_.Get());
    EXPECT_EQ(RGB(192, 192, 192), Pixel(0, 0));
    EXPECT_EQ(RGB(200, 200, 200), Pixel(50, 10));
    EXPECT_EQ(RGB(238, 238, 238), Pixel(150, 10));
}

TEST_F(BriBarWindow, TextIsDrawnCentredOnlyWhenThereIsSome)
{
    TBriBar bar(parent_);
    bar.SetColorScheme(ccBlack);
    bar.SetPosition(30);
    const std::set<COLORREF> barColours = {RGB(171, 171, 171), RGB(192, 192, 192), RGB(88, 88, 88)};
    auto ink = [&] { // leftmost and rightmost column of other colours, and whether any is white
        bar.PaintOn(canvasDc_.Get());
        int left = 200, right = -1;
        bool white = false;
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 200; ++x)
                if (!barColours.count(Pixel(x, y))) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    white = white || Pixel(x, y) == RGB(255, 255, 255);
                }
        return std::make_tuple(left, right, white);
    };

    bar.SetCaption("   ");
    EXPECT_EQ(-1, std::get<1>(ink())) << "blank text drawn";
    bar.SetCaption("Copying");
    bar.SetShowPercent(true);
    const auto [left, right, white] = ink();
    EXPECT_TRUE(white) << "the scheme's font colour";
    EXPECT_GT(right - left, 30) << "\"Copying 30%\" in full";
    EXPECT_NEAR(100, (left + right) / 2, 4) << "centred";
}

TEST_F(BriBarWindow, PositionIsOnTheParentBeforeTheWriteReturns)
{
    TBriBar bar(parent_);
    bar.SetBounds(20, 30, 200, 21);
    ValidateRect(parent_, nullptr);
    Fill(WindowDc(parent_).Get(), bar.Bounds());
    bar.SetPosition(40);
    EXPECT_EQ(Face, ScreenPixel(20 + 50, 40));
    EXPECT_EQ(Back, ScreenPixel(20 + 150, 40));
    EXPECT_TRUE(Pending() == RECT({}));

    Fill(WindowDc(parent_).Get(), bar.Bounds());
    bar.SetPosition(40);
    EXPECT_EQ(Marker, ScreenPixel(20 + 50, 40)) << "the same position drawn again";
}

TEST_F(BriBarWindow, OtherWritesInvalidateTheBarOnly)
{
    TBriBar bar(parent_);
    bar.SetBounds(20, 30, 200, 21);
    ValidateRect(parent_, nullptr);
    Fill(WindowDc(parent_).Get(), bar.Bounds());
    bar.SetCaption("Copying");
    EXPECT_TRUE(Pending() == bar.Bounds());
    EXPECT_EQ(Marker, ScreenPixel(20 + 5, 40)) << "drawn before the paint cycle";

    ValidateRect(parent_, nullptr);
    bar.SetVisible(false);
    EXPECT_TRUE(Pending() == bar.Bounds()) << "the parent must paint over a hidden bar";
    ValidateRect(parent_, nullptr);
    bar.SetPosition(70);
    bar.PaintOn(canvasDc_.Get());
    EXPECT_EQ(Marker, ScreenPixel(20 + 50, 40)) << "a hidden bar was drawn";
    EXPECT_EQ(Marker, Pixel(20 + 50, 40));

    bar.SetVisible(true);
    bar.SetBounds(100, 120, 50, 10);
    EXPECT_TRUE(Pending() == RECT({20, 30, 220, 130})) << "old and new place";
}

TEST_F(BriBarWindow, OnlyAnEnabledBarAnswersClicksAfterRedrawing)
{
    TBriBar bar(parent_);
    int clicks = 0, doubleClicks = 0;
    COLORREF seenByClick = 0;
    bar.OnClick = [&] {
        ++clicks;
        seenByClick = ScreenPixel(100, 10);
    };
    bar.OnDblClick = [&] { ++doubleClicks; };
    Fill(WindowDc(parent_).Get(), bar.Bounds());
    bar.Click();
    bar.DblClick();
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(1, doubleClicks);
    EXPECT_EQ(Back, seenByClick) << "not redrawn before the event";

    bar.SetEnabled(false);
    bar.Click();
    bar.DblClick();
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(1, doubleClicks);
}

} // namespace
