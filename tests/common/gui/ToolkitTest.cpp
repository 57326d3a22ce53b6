// The window toolkit in the test's own process: forms built from descriptions, the rules of
// their controls, the keyboard handling and the pictures.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "Application.h"
#include "BriBar.h"
#include "BriErrors.h"
#include "Form.h"
#include "Pictures.h"
#include "WizardDriver.h"

namespace {

using K = ControlKind;

const ControlDesc TestControls[] = {
    {K::TabControl, "Tabs", nullptr, 0, 40, 300, 200, nullptr, 0, nullptr, 0, 0, nullptr},
    {K::Page, "First", "Tabs", 0, 0, 0, 0, "&First", 0, nullptr, 0, 0, nullptr},
    {K::RadioButton, "rb_One", "First", 8, 8, 100, 17, "One", cfChecked, nullptr, 0, 0, nullptr},
    {K::RadioButton, "rb_Two", "First", 8, 30, 100, 17, "Two", 0, nullptr, 0, 0, nullptr},
    {K::GroupBox, "Group", "First", 8, 60, 200, 60, nullptr, 0, nullptr, 0, 0, nullptr},
    {K::RadioButton, "rb_Three", "Group", 8, 20, 100, 17, "Three", 0, nullptr, 0, 0, nullptr},
    {K::Edit, "e_Name", "First", 120, 30, 100, 0, nullptr, 0, "Name:", 0, 0, nullptr},
    {K::Panel, "Bar", "First", 0, 0, 0, 41, nullptr, cfAlignBottom, nullptr, 0, 0, nullptr},
    {K::Button, "b_Cancel", "Bar", 100, 10, 75, 25, "&Cancel", cfCancel, nullptr, 0, 0, nullptr},
    {K::Button, "b_Next", "Bar", 190, 10, 75, 25, "&Next", cfDefault | cfDisabled, nullptr, 0, 0, nullptr},
    {K::Page, "Second", "Tabs", 0, 0, 0, 0, "&Second", 0, nullptr, 0, 0, nullptr},
    {K::CheckBox, "cb_Tick", "Second", 8, 8, 100, 17, "Tick", 0, nullptr, 0, 0, nullptr},
    {K::Label, "l_Auto", "Second", 8, 40, 0, 0, "Sized to its text", 0, nullptr, 0, 0, nullptr},
    {K::Label, "l_Bold", "Second", 8, 60, 0, 0, "Bold and larger", cfBold, nullptr, 0, 17, nullptr},
    {K::ComboList, "cb_List", "Second", 8, 90, 120, 0, "One", 0, "One\nTwo", 0, 0, nullptr},
    {K::ProgressBar, "Progress", "Second", 8, 120, 200, 16, nullptr, 0, nullptr, 0, 0, nullptr},
};
const FormDesc TestLayout = {"TToolkitTestForm",
                             300,
                             240,
                             clMoneyGreen,
                             "Verdana",
                             13,
                             true,
                             TestControls,
                             sizeof TestControls / sizeof TestControls[0]};

class TestForm : public Form {
public:
    TestForm() : Form(TestLayout) {}
    using Form::PreTranslateKey;
};

class ToolkitTest : public testing::Test {
protected:
    static void SetUpTestSuite() { Application::Initialize(GetModuleHandleA(nullptr)); }
    TestForm form;
};

MSG KeyMessage(HWND Window, WPARAM Key)
{
    MSG msg = {};
    msg.hwnd = Window;
    msg.message = WM_KEYDOWN;
    msg.wParam = Key;
    return msg;
}

RECT PlaceInParent(HWND Window)
{
    RECT r;
    GetWindowRect(Window, &r);
    MapWindowPoints(nullptr, GetParent(Window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LOGFONTA FontOf(HWND Window)
{
    LOGFONTA font = {};
    EXPECT_NE(0, GetObjectA(reinterpret_cast<HFONT>(SendMessageA(Window, WM_GETFONT, 0, 0)), sizeof font, &font))
        << "the control's font is gone";
    return font;
}

SIZE TextExtent(HWND Window, const char* Text)
{
    HDC dc = GetDC(Window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(Window, WM_GETFONT, 0, 0)));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, Text, static_cast<int>(strlen(Text)), &size);
    SelectObject(dc, old);
    ReleaseDC(Window, dc);
    return size;
}

// The pixels of a bitmap as 24-bit rows, top down.
std::vector<unsigned char> PixelsOf(HBITMAP Bitmap)
{
    BITMAP info;
    GetObject(Bitmap, sizeof info, &info);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = info.bmWidth;
    bmi.bmiHeader.biHeight = -info.bmHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    std::vector<unsigned char> bits(((static_cast<size_t>(info.bmWidth) * 3 + 3) & ~size_t(3)) *
                                    static_cast<size_t>(info.bmHeight));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, Bitmap, 0, static_cast<UINT>(info.bmHeight), bits.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bits;
}

double MeanOf(const std::vector<unsigned char>& Bits)
{
    double total = 0;
    for (unsigned char b : Bits)
        total += b;
    return Bits.empty() ? 0 : total / static_cast<double>(Bits.size());
}

} // namespace

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersThatSortAfterIt)
{
    EXPECT_EQ("Unable to create directory.", Application::ErrorBoxText("Unable to create directory"));
    EXPECT_EQ("Done.", Application::ErrorBoxText("Done."));
    EXPECT_EQ("Stop!", Application::ErrorBoxText("Stop!"));
    EXPECT_EQ("Code 1.", Application::ErrorBoxText("Code 1"));
    EXPECT_EQ("(x)", Application::ErrorBoxText("(x)"));
    EXPECT_EQ("", Application::ErrorBoxText(""));
}

TEST(DecodeJpeg, DecodesTheBannerAndRefusesGarbage)
{
    std::ifstream file(BB7_PICTURES_DIR "/banner.jpg", std::ios::binary);
    ASSERT_TRUE(file.is_open());
    const std::string jpeg((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    HBITMAP banner = DecodeJpeg(reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
    ASSERT_NE(nullptr, banner);
    BITMAP info;
    GetObject(banner, sizeof info, &info);
    EXPECT_EQ(450, info.bmWidth);
    EXPECT_EQ(80, info.bmHeight);
    // The top left corner of the banner is dark green.
    const unsigned char* pixel = static_cast<const unsigned char*>(info.bmBits);
    EXPECT_LT(pixel[2], 100);      // red
    EXPECT_GT(pixel[1], pixel[2]); // more green than red
    DeleteObject(banner);

    const std::string garbage(1000, 'x');
    EXPECT_EQ(nullptr, DecodeJpeg(reinterpret_cast<const unsigned char*>(garbage.data()), garbage.size()));
    EXPECT_EQ(nullptr, DecodeJpeg(reinterpret_cast<const unsigned char*>(jpeg.data()), 20));
}

TEST(LoadPicture, TakesTheVersionDrawnForTheScaleAndResizesSmoothlyBetween)
{
    HMODULE setup = LoadLibraryExA((OwnFolder() + "Bb7Setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, setup);
    struct Case {
        const char* Name;
        int Dpi, Width, Height;
    };
    // The sizes at 100% times the scale, rounded as MulDiv rounds.
    const Case cases[] = {
        {"BANNER", 96, 450, 80},   {"BANNER", 120, 563, 100},  {"BANNER", 144, 675, 120},  {"BANNER", 168, 788, 140},
        {"BANNER", 192, 900, 160}, {"BANNER", 240, 1125, 200}, {"WARNING", 120, 116, 256}, {"WARNING", 144, 140, 308},
        {"BROWSE", 96, 16, 16},    {"BROWSE", 120, 20, 20},    {"BROWSE", 192, 32, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Name << " at " << c.Dpi << " DPI");
        BitmapHandle picture(LoadPicture(setup, c.Name, c.Dpi));
        ASSERT_TRUE(picture);
        BITMAP info;
        GetObject(picture.Get(), sizeof info, &info);
        EXPECT_EQ(c.Width, info.bmWidth);
        EXPECT_EQ(c.Height, info.bmHeight);
    }

    // At 150% the banner is the one drawn at 150%, pixel for pixel; at 125% it is made from
    // that, and its colours stay those of the picture on the whole.
    HRSRC resource = FindResourceA(setup, "BANNER_150", RT_RCDATA);
    ASSERT_NE(nullptr, resource);
    BitmapHandle drawn(DecodeJpeg(static_cast<const unsigned char*>(LockResource(LoadResource(setup, resource))),
                                  SizeofResource(setup, resource)));
    BitmapHandle at150(LoadPicture(setup, "BANNER", 144)), at125(LoadPicture(setup, "BANNER", 120));
    EXPECT_TRUE(PixelsOf(drawn.Get()) == PixelsOf(at150.Get()));
    EXPECT_NEAR(MeanOf(PixelsOf(drawn.Get())), MeanOf(PixelsOf(at125.Get())), 2.0);
    EXPECT_EQ(nullptr, LoadPicture(setup, "NO_SUCH_PICTURE", 144));
    FreeLibrary(setup);
}

TEST_F(ToolkitTest, RadioButtonsOfOneParentFormAGroupAndClickFromCode)
{
    auto& one = form.Get<RadioButton>("rb_One");
    auto& two = form.Get<RadioButton>("rb_Two");
    auto& three = form.Get<RadioButton>("rb_Three");
    int clicks = 0;
    two.OnClick = [&] { ++clicks; };
    EXPECT_TRUE(one.Checked());
    two.SetChecked(true);
    EXPECT_EQ(1, clicks);
    EXPECT_TRUE(two.Checked());
    EXPECT_FALSE(one.Checked());
    two.SetChecked(true); // no change, no click
    EXPECT_EQ(1, clicks);
    three.SetChecked(true); // another parent, another group
    EXPECT_TRUE(two.Checked());
    EXPECT_TRUE(three.Checked());
    // Only the selected button of a group is reached by the Tab key.
    EXPECT_TRUE(GetWindowLongA(two.Handle(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongA(one.Handle(), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(ToolkitTest, ALookupOfAMissingNameOrAnotherKindNamesTheControl)
{
    for (auto lookup :
         {+[](TestForm& f) { f.Get<Button>("cb_Tick"); }, +[](TestForm& f) { f.Get<Edit>("e_Nobody"); }}) {
        try {
            lookup(form);
            ADD_FAILURE() << "no error";
        } catch (const std::logic_error& e) {
            const std::string message = e.what();
            EXPECT_TRUE(message.find("cb_Tick") != std::string::npos || message.find("e_Nobody") != std::string::npos)
                << message;
        }
    }
}

TEST_F(ToolkitTest, CheckBoxFromCodeRunsItsClickOnlyOnChange)
{
    auto& tick = form.Get<CheckBox>("cb_Tick");
    int clicks = 0;
    tick.OnClick = [&] { ++clicks; };
    tick.SetChecked(true);
    tick.SetChecked(true);
    EXPECT_TRUE(tick.Checked());
    EXPECT_EQ(1, clicks);
}

TEST_F(ToolkitTest, DisabledOrHiddenButtonsAreNeverPressed)
{
    auto& next = form.Get<Button>("b_Next");
    int presses = 0;
    next.OnClick = [&] { ++presses; };
    form.Show();
    next.Press();
    SendMessageA(next.Handle(), BM_CLICK, 0, 0); // Wine would let this through to the handler
    EXPECT_EQ(0, presses);
    next.SetEnabled(true);
    next.Press();
    EXPECT_EQ(1, presses);
    form.Get<TabControl>("Tabs").SetPageIndex(1); // its page hidden
    next.Press();
    EXPECT_EQ(1, presses);
}

TEST_F(ToolkitTest, EscapePressesCancelAndEnterTheFocusedOrDefaultButton)
{
    form.Show();
    int cancels = 0, nexts = 0;
    form.Get<Button>("b_Cancel").OnClick = [&] { ++cancels; };
    form.Get<Button>("b_Next").OnClick = [&] { ++nexts; };

    EXPECT_TRUE(form.PreTranslateKey(KeyMessage(form.Handle(), VK_ESCAPE)));
    EXPECT_EQ(1, cancels);
    EXPECT_TRUE(form.PreTranslateKey(KeyMessage(form.Handle(), VK_RETURN))); // default still disabled
    EXPECT_EQ(0, nexts);
    form.Get<Button>("b_Next").SetEnabled(true);
    form.Get<Edit>("e_Name").SetFocus();
    form.PreTranslateKey(KeyMessage(form.Handle(), VK_RETURN));
    EXPECT_EQ(1, nexts);
    form.Get<Button>("b_Cancel").SetFocus();
    form.PreTranslateKey(KeyMessage(form.Handle(), VK_RETURN)); // the focused button wins
    EXPECT_EQ(2, cancels);
    EXPECT_EQ(1, nexts);
    MSG other = KeyMessage(form.Handle(), 'A');
    EXPECT_FALSE(form.PreTranslateKey(other));
}

TEST_F(ToolkitTest, PagesChangeFromCodeAndRefusedTabClicksLeaveThem)
{
    auto& tabs = form.Get<TabControl>("Tabs");
    form.Show();
    EXPECT_EQ(0, tabs.PageIndex());
    EXPECT_TRUE(IsWindowVisible(form.Get<Control>("First").Handle()));
    EXPECT_FALSE(IsWindowVisible(form.Get<Control>("Second").Handle()));

    int asked = 0;
    tabs.OnChanging = [&] {
        ++asked;
        return false;
    };
    RECT item;
    SendMessageA(tabs.Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    SendMessageA(tabs.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 5, item.top + 5));
    SendMessageA(tabs.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(item.left + 5, item.top + 5));
    EXPECT_EQ(1, asked);
    EXPECT_EQ(0, tabs.PageIndex());

    tabs.SetPageIndex(1);
    EXPECT_EQ(1, asked) << "a change from code is not asked";
    EXPECT_EQ(1, tabs.PageIndex());
    EXPECT_TRUE(IsWindowVisible(form.Get<Control>("Second").Handle()));
    EXPECT_FALSE(IsWindowVisible(form.Get<Control>("First").Handle()));
}

TEST_F(ToolkitTest, ControlsLieWhereTheirRowsSay)
{
    const RECT bar = PlaceInParent(form.Get<Control>("Bar").Handle());
    RECT page;
    GetClientRect(form.Get<Control>("First").Handle(), &page);
    EXPECT_EQ(0, bar.left);
    EXPECT_EQ(page.right, bar.right);
    EXPECT_EQ(page.bottom, bar.bottom);
    EXPECT_EQ(41, bar.bottom - bar.top);

    const RECT three = PlaceInParent(form.Get<Control>("rb_Three").Handle());
    EXPECT_EQ(8, three.left);
    EXPECT_EQ(20, three.top);

    auto& name = form.Get<Edit>("e_Name");
    const RECT edit = PlaceInParent(name.Handle());
    const RECT label = PlaceInParent(name.LabelHandle());
    EXPECT_EQ(120, label.left);
    EXPECT_EQ(edit.top - 3, label.bottom) << "the label sits three pixels above its box";

    const RECT autoLabel = PlaceInParent(form.Get<Control>("l_Auto").Handle());
    EXPECT_GT(autoLabel.right - autoLabel.left, 50);

    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(300, client.right);
    EXPECT_EQ(240, client.bottom);
}

TEST_F(ToolkitTest, AtAnotherDisplayScaleTheFormLaysItselfOutAgainAtTheSuggestedRectangle)
{
    form.Show();
    for (int dpi : {144, 120, 192, 96}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        auto at = [dpi](int Length) { return MulDiv(Length, dpi, 96); };
        // Asked first for its size at the new scale, the form answers its client area's with
        // the frame around it. (Wine draws the frame at its own DPI whatever the window's, so
        // the client area within is measured at a real DPI only, by the scenario tests.)
        SIZE frame = {0, 0};
        ASSERT_TRUE(
            SendMessageA(form.Handle(), 0x02E4 /* WM_GETDPISCALEDSIZE */, dpi, reinterpret_cast<LPARAM>(&frame)));
        EXPECT_GT(frame.cx, at(300));
        EXPECT_GT(frame.cy, at(240));
        RECT suggested = {40, 30, 40 + frame.cx, 30 + frame.cy};
        SendMessageA(form.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(dpi, form.Dpi());
        RECT window;
        GetWindowRect(form.Handle(), &window);
        EXPECT_TRUE(EqualRect(&suggested, &window));

        // Every row at its scaled place, in its parent; the bar at the bottom of its page.
        const RECT three = PlaceInParent(form.Get<Control>("rb_Three").Handle());
        EXPECT_EQ(at(8), three.left);
        EXPECT_EQ(at(20), three.top);
        EXPECT_EQ(at(100), three.right - three.left);
        EXPECT_EQ(at(17), three.bottom - three.top);
        const RECT next = PlaceInParent(form.Get<Control>("b_Next").Handle());
        EXPECT_EQ(at(190), next.left);
        EXPECT_EQ(at(75), next.right - next.left);
        EXPECT_EQ(at(25), next.bottom - next.top);
        const RECT tabs = PlaceInParent(form.Get<Control>("Tabs").Handle());
        EXPECT_EQ(at(40), tabs.top);
        EXPECT_EQ(at(200), tabs.bottom - tabs.top);
        const RECT bar = PlaceInParent(form.Get<Control>("Bar").Handle());
        RECT page;
        GetClientRect(form.Get<Control>("First").Handle(), &page);
        EXPECT_EQ(page.bottom, bar.bottom);
        EXPECT_EQ(page.right, bar.right - bar.left);
        EXPECT_EQ(at(41), bar.bottom - bar.top);

        // The fonts at the scaled heights, and what follows from them.
        const LOGFONTA font = FontOf(form.Get<Control>("rb_One").Handle());
        EXPECT_EQ(-at(13), font.lfHeight);
        EXPECT_STREQ("Verdana", font.lfFaceName);
        const LOGFONTA bold = FontOf(form.Get<Control>("l_Bold").Handle());
        EXPECT_EQ(-at(17), bold.lfHeight);
        EXPECT_EQ(FW_BOLD, bold.lfWeight);
        HWND autoLabel = form.Get<Control>("l_Auto").Handle();
        const RECT sized = PlaceInParent(autoLabel);
        EXPECT_EQ(TextExtent(autoLabel, "Sized to its text").cx, sized.right - sized.left);
        auto& name = form.Get<Edit>("e_Name");
        EXPECT_EQ(-at(13), FontOf(name.LabelHandle()).lfHeight);
        EXPECT_EQ(PlaceInParent(name.Handle()).top - at(3), PlaceInParent(name.LabelHandle()).bottom);
        EXPECT_EQ(-at(13), FontOf(form.Get<Control>("cb_List").Handle()).lfHeight);

        // The progress bar draws over the whole of its window.
        auto& progress = form.Get<ProgressBar>("Progress");
        const RECT drawn = progress.Bar().Bounds();
        EXPECT_EQ(at(200), drawn.right - drawn.left);
        EXPECT_EQ(at(16), drawn.bottom - drawn.top);
    }
}

TEST_F(ToolkitTest, AnErrorThatAHandlerDoesNotHandleShowsTheDefaultErrorBoxAndTheFormStays)
{
    Application::SetTitle("Toolkit Test");
    form.Show();
    auto& cancel = form.Get<Button>("b_Cancel");
    cancel.OnClick = [] { throw EInOutError(3, "Unable to create directory"); };
    MessageBoxAnswerer answer("Toolkit Test", IDOK);
    SendMessageA(cancel.Handle(), BM_CLICK, 0, 0); // through the message routing, as a user's click
    EXPECT_EQ("Unable to create directory.", answer.Text());
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(0, form.Get<TabControl>("Tabs").PageIndex());
}
