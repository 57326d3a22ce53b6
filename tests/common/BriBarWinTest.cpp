#include <gtest/gtest.h>

#include <set>

#include "BriBar.h"

namespace {

// A top-level window to draw the bar on. It answers WM_GETFONT with the font it was given
// and paints nothing itself, so that whatever is on its surface was put there by the test.
class ParentWindow {
public:
    explicit ParentWindow(bool Visible, HFONT Font = nullptr)
    {
        static const ATOM windowClass = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "Bb7BarTestParent";
            return RegisterClassA(&wc);
        }();
        (void)windowClass;
        window_ = CreateWindowExA(0, "Bb7BarTestParent", "", WS_POPUP, 0, 0, 460, 240, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
        // Not activated: Wine waits two seconds for a window manager when an active window goes.
        if (Visible)
            ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
    ~ParentWindow() { DestroyWindow(window_); }
    ParentWindow(const ParentWindow&) = delete;
    ParentWindow& operator=(const ParentWindow&) = delete;
    HWND Get() const { return window_; }

    // What is on the window's surface now, without letting it process any message.
    COLORREF Pixel(int X, int Y) const
    {
        WindowDc dc(window_);
        return GetPixel(dc.Get(), X, Y);
    }
    void Fill(const RECT& Area, COLORREF Color) const
    {
        WindowDc dc(window_);
        BrushHandle brush(CreateSolidBrush(Color));
        FillRect(dc.Get(), &Area, brush.Get());
    }
    // The area waiting for WM_PAINT, or an empty rectangle.
    RECT Pending() const
    {
        RECT area = {};
        if (!GetUpdateRect(window_, &area, FALSE))
            SetRectEmpty(&area);
        return area;
    }
    bool NothingPending() const
    {
        const RECT area = Pending();
        return IsRectEmpty(&area) != 0;
    }
    void ForgetPending() const { ValidateRect(window_, nullptr); }

private:
    static LRESULT CALLBACK Proc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
    {
        switch (Message) {
        case WM_SETFONT:
            SetPropA(Window, "Font", reinterpret_cast<HANDLE>(WParam));
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(GetPropA(Window, "Font"));
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(Window, &ps);
            EndPaint(Window, &ps);
            return 0;
        }
        case WM_DESTROY:
            RemovePropA(Window, "Font");
            break;
        }
        return DefWindowProcA(Window, Message, WParam, LParam);
    }

    HWND window_;
};

// A 32-bit off-screen picture that the bar draws on through PaintOn, so pixels read back exactly.
class Canvas {
public:
    static constexpr int Width = 460;
    static constexpr int Height = 240;
    static constexpr COLORREF Marker = RGB(255, 0, 255); // a colour no scheme uses

    Canvas()
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = Width;
        info.bmiHeader.biHeight = -Height; // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<const uint32_t*>(bits);
        dc_.Reset(CreateCompatibleDC(nullptr));
        old_ = SelectObject(dc_.Get(), bitmap_.Get());
        const RECT all = {0, 0, Width, Height};
        BrushHandle brush(CreateSolidBrush(Marker));
        FillRect(dc_.Get(), &all, brush.Get());
    }
    ~Canvas() { SelectObject(dc_.Get(), old_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_.Get(); }
    COLORREF Pixel(int X, int Y) const
    {
        GdiFlush();
        const uint32_t bgr = bits_[Y * Width + X];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    // Pixels of the rectangle whose colour is none of the given ones.
    std::vector<POINT> Others(const RECT& Area, const std::set<COLORREF>& Colors) const
    {
        std::vector<POINT> found;
        for (int y = Area.top; y < Area.bottom; ++y)
            for (int x = Area.left; x < Area.right; ++x)
                if (!Colors.count(Pixel(x, y)))
                    found.push_back({x, y});
        return found;
    }

private:
    BitmapHandle bitmap_;
    const uint32_t* bits_ = nullptr;
    MemoryDc dc_;
    HGDIOBJ old_ = nullptr;
};

const COLORREF BlueBack = RGB(224, 236, 250);
const COLORREF BlueFrame = RGB(128, 128, 128);
const COLORREF BlueFace = RGB(40, 185, 255);

TEST(BriBarControl, StartsAt200By21InTheParentsFont)
{
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    ParentWindow parent(false, font);
    TBriBar bar(parent.Get());
    const RECT bounds = bar.Bounds();
    EXPECT_EQ(0, bounds.left);
    EXPECT_EQ(0, bounds.top);
    EXPECT_EQ(200, bounds.right);
    EXPECT_EQ(21, bounds.bottom);
    EXPECT_EQ(font, bar.Font());
    EXPECT_TRUE(bar.Visible());
}

TEST(BriBarPaint, HalfOf378PixelsIs189AtItsPlace)
{
    ParentWindow parent(false);
    TBriBar bar(parent.Get());
    bar.SetBounds(7, 44, 378, 17);
    bar.SetPosition(50);
    Canvas canvas;
    bar.PaintOn(canvas.Dc());

    const int middle = 44 + 8;
    EXPECT_EQ(BlueFrame, canvas.Pixel(7, 44));              // outer frame, top left
    EXPECT_EQ(BlueFrame, canvas.Pixel(7 + 377, 44 + 16));   // outer frame, bottom right
    EXPECT_EQ(BlueFace, canvas.Pixel(7 + 1, middle));
    EXPECT_EQ(BlueFace, canvas.Pixel(7 + 187, middle));
    EXPECT_EQ(BlueFrame, canvas.Pixel(7 + 188, middle));    // the filled part's own frame
    EXPECT_EQ(BlueBack, canvas.Pixel(7 + 189, middle));
    EXPECT_EQ(BlueBack, canvas.Pixel(7 + 376, middle));
    // Nothing outside the bounds.
    EXPECT_EQ(Canvas::Marker, canvas.Pixel(6, middle));
    EXPECT_EQ(Canvas::Marker, canvas.Pixel(7 + 378, middle));
    EXPECT_EQ(Canvas::Marker, canvas.Pixel(100, 43));
    EXPECT_EQ(Canvas::Marker, canvas.Pixel(100, 44 + 17));
}

TEST(BriBarPaint, HalfOf5PixelsIs2)
{
    ParentWindow parent(false);
    TBriBar bar(parent.Get());
    bar.SetBounds(0, 0, 5, 21);
    bar.SetPosition(50);
    Canvas canvas;
    bar.PaintOn(canvas.Dc());
    EXPECT_EQ(BlueFrame, canvas.Pixel(1, 10));
    EXPECT_EQ(BlueBack, canvas.Pixel(2, 10)) << "2.5 went up to 3";
    EXPECT_EQ(BlueFrame, canvas.Pixel(4, 10));
}

TEST(BriBarPaint, EmptyBarIsAFramedBackground)
{
    ParentWindow parent(false);
    TBriBar bar(parent.Get());
    Canvas canvas;
    bar.PaintOn(canvas.Dc());
    EXPECT_EQ(BlueFrame, canvas.Pixel(0, 10));
    EXPECT_EQ(BlueBack, canvas.Pixel(1, 10));
    EXPECT_EQ(BlueBack, canvas.Pixel(100, 1));
    EXPECT_EQ(BlueFrame, canvas.Pixel(199, 20));
}

TEST(BriBarPaint, VerticalFillsFromTheBottom)
{
    ParentWindow parent(false);
    TBriBar bar(parent.Get());
    bar.SetBounds(10, 10, 20, 100);
    bar.SetOrientation(ccVertical);
    bar.SetPosition(30);
    Canvas canvas;
    bar.PaintOn(canvas.Dc());
    EXPECT_EQ(BlueBack, canvas.Pixel(20, 10 + 69));
    EXPECT_EQ(BlueFrame, canvas.Pixel(20, 10 + 70)); // top edge of the filled part
    EXPECT_EQ(BlueFace, canvas.Pixel(20, 10 + 71));
    EXPECT_EQ(BlueFace, canvas.Pixel(20, 10 + 98));

    bar.SetPosition(100);
    bar.PaintOn(canvas.Dc());
    EXPECT_EQ(BlueFace, canvas.Pixel(20, 10 + 1));
    EXPECT_EQ(BlueFace, canvas.Pixel(11, 10 + 50));
}

TEST(BriBarPaint, SchemeColoursAndDisabledColours)
{
    ParentWindow parent(false);
    TBriBar bar(parent.Get());
    bar.SetColorScheme(ccRed);
    bar.SetPosition(50);
    Canvas canvas;
    bar.PaintOn(canvas.Dc());
    EXPECT_EQ(RGB(128, 0, 0), canvas.Pixel(0, 0));
    EXPECT_EQ(RGB(255, 64, 64), canvas.Pixel(50, 10));
    EXPECT_EQ(RGB(255, 179, 179), canvas.Pixel(150, 10));

    bar.SetEnabled(false);
    bar.PaintOn(canvas.Dc());
    EXPECT_EQ(RGB(192, 192, 192), canvas.Pixel(0, 0));
    EXPECT_EQ(RGB(200, 200, 200), canvas.Pixel(50, 10));
    EXPECT_EQ(RGB(238, 238, 238), canvas.Pixel(150, 10));
}

TEST(BriBarPaint, TextIsDrawnOnlyWhenThereIsSomeAndCentred)
{
    ParentWindow parent(false, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    TBriBar bar(parent.Get());
    bar.SetColorScheme(ccBlack);
    bar.SetPosition(30);
    const RECT area = bar.Bounds();
    const std::set<COLORREF> barColours = {RGB(171, 171, 171), RGB(192, 192, 192), RGB(88, 88, 88)};

    Canvas blank;
    bar.SetCaption("   ");
    bar.PaintOn(blank.Dc());
    EXPECT_TRUE(blank.Others(area, barColours).empty());

    Canvas text;
    bar.SetCaption("Copying");
    bar.SetShowPercent(true);
    bar.PaintOn(text.Dc());
    const std::vector<POINT> ink = text.Others(area, barColours);
    ASSERT_FALSE(ink.empty());
    int left = area.right;
    int right = area.left;
    bool white = false;
    for (const POINT& p : ink) {
        left = std::min<int>(left, p.x);
        right = std::max<int>(right, p.x);
        white = white || text.Pixel(p.x, p.y) == RGB(255, 255, 255);
    }
    EXPECT_TRUE(white) << "the scheme's font colour";
    EXPECT_NEAR(100, (left + right) / 2, 4) << "centred across the bar";
    EXPECT_GT(right - left, 30) << "the whole of \"Copying 30%\"";
}

TEST(BriBarPaint, HiddenBarDrawsNothing)
{
    ParentWindow parent(false);
    TBriBar bar(parent.Get());
    bar.SetVisible(false);
    Canvas canvas;
    bar.PaintOn(canvas.Dc());
    EXPECT_EQ(Canvas::Marker, canvas.Pixel(0, 0));
    EXPECT_EQ(Canvas::Marker, canvas.Pixel(100, 10));
}

TEST(BriBarOnScreen, PositionIsDrawnOnTheParentBeforeTheWriteReturns)
{
    ParentWindow parent(true);
    TBriBar bar(parent.Get());
    bar.SetBounds(20, 30, 200, 21);
    parent.ForgetPending();
    parent.Fill(bar.Bounds(), Canvas::Marker);
    ASSERT_EQ(Canvas::Marker, parent.Pixel(20 + 50, 40));

    bar.SetPosition(40);
    EXPECT_EQ(BlueFace, parent.Pixel(20 + 50, 40));
    EXPECT_EQ(BlueBack, parent.Pixel(20 + 150, 40));
    EXPECT_TRUE(parent.NothingPending());

    // Writing the same position again draws nothing.
    parent.Fill(bar.Bounds(), Canvas::Marker);
    bar.SetPosition(40);
    bar.SetPosition(40);
    EXPECT_EQ(Canvas::Marker, parent.Pixel(20 + 50, 40));
}

TEST(BriBarOnScreen, OtherPropertiesRequestARedrawOfTheBarOnly)
{
    ParentWindow parent(true);
    TBriBar bar(parent.Get());
    bar.SetBounds(20, 30, 200, 21);
    parent.ForgetPending();
    parent.Fill(bar.Bounds(), Canvas::Marker);

    bar.SetCaption("Copying");
    RECT pending = parent.Pending();
    RECT bounds = bar.Bounds();
    EXPECT_TRUE(EqualRect(&pending, &bounds));
    EXPECT_EQ(Canvas::Marker, parent.Pixel(20 + 5, 40)) << "drawn at once";

    parent.ForgetPending();
    bar.SetCaption("Copying");
    bar.SetColorScheme(ccBlue);
    EXPECT_TRUE(parent.NothingPending()) << "unchanged values request nothing";

    for (auto change : std::initializer_list<void (*)(TBriBar&)>{
             [](TBriBar& b) { b.SetColorFace(RGB(1, 2, 3)); },
             [](TBriBar& b) { b.SetColorScheme(ccPink); },
             [](TBriBar& b) { b.SetShowPosition(true); },
             [](TBriBar& b) { b.SetOrientation(ccVertical); },
             [](TBriBar& b) { b.SetEnabled(false); },
             [](TBriBar& b) { b.SetFont(static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT))); },
         }) {
        parent.ForgetPending();
        change(bar);
        pending = parent.Pending();
        EXPECT_TRUE(EqualRect(&pending, &bounds));
    }
}

TEST(BriBarOnScreen, HidingAndMovingLetTheParentRepaint)
{
    ParentWindow parent(true);
    TBriBar bar(parent.Get());
    bar.SetBounds(20, 30, 200, 21);
    parent.ForgetPending();

    bar.SetVisible(false);
    RECT pending = parent.Pending();
    RECT bounds = bar.Bounds();
    EXPECT_TRUE(EqualRect(&pending, &bounds));

    parent.ForgetPending();
    parent.Fill(bounds, Canvas::Marker);
    bar.SetPosition(70);
    EXPECT_EQ(Canvas::Marker, parent.Pixel(20 + 50, 40)) << "a hidden bar was drawn";
    EXPECT_TRUE(parent.NothingPending());

    bar.SetVisible(true);
    bar.SetBounds(100, 120, 50, 10);
    pending = parent.Pending();
    RECT both = {20, 30, 220, 130};
    EXPECT_TRUE(EqualRect(&pending, &both)) << "old and new place";
}

TEST(BriBarClick, EnabledBarRedrawsThenFiresItsEvents)
{
    ParentWindow parent(true);
    TBriBar bar(parent.Get());
    bar.SetBounds(20, 30, 200, 21);
    int clicks = 0;
    int doubleClicks = 0;
    COLORREF seenByClick = 0;
    bar.OnClick = [&] {
        ++clicks;
        seenByClick = parent.Pixel(20 + 100, 40);
    };
    bar.OnDblClick = [&] { ++doubleClicks; };

    parent.Fill(bar.Bounds(), Canvas::Marker);
    bar.Click();
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(BlueBack, seenByClick) << "the bar was not drawn before the event";
    bar.DblClick();
    EXPECT_EQ(1, doubleClicks);

    bar.SetEnabled(false);
    parent.Fill(bar.Bounds(), Canvas::Marker);
    bar.Click();
    bar.DblClick();
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(1, doubleClicks);
    EXPECT_EQ(Canvas::Marker, parent.Pixel(20 + 100, 40));
}

TEST(BriBarClick, EventsMayBeLeftUnset)
{
    ParentWindow parent(false);
    TBriBar bar(parent.Get());
    EXPECT_NO_THROW(bar.Click());
    EXPECT_NO_THROW(bar.DblClick());
}

} // namespace
