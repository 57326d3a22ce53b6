// The window toolkit in the test's own process: forms built from descriptions, the rules of
// their controls, the keyboard handling and the pictures.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <iterator>

#include "Application.h"
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
