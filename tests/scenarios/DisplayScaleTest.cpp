// The installer at the display scales of laptops and 4K screens: 125%, 150% and 200%. Its
// windows and controls lie where the design says times the scale, its fonts are the
// design's at the scaled height, no caption is wider than its control, and the pictures
// have the scaled size. Under Wine the system's DPI is LogPixels of HKCU\Control
// Panel\Desktop, which a program reads as it starts.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "DesignPlaces.h"
#include "Registry.h"
#include "UnpackerLayout.h"
#include "WizardFixture.h"

namespace {

using namespace wizardtest;

const char* const DesktopKey = "Control Panel\\Desktop";

// A font as the installer's windows make it: Verdana at a character height of the design's
// pixels times the scale.
class DesignFont {
public:
    DesignFont(int Height, bool Bold, int Dpi)
        : font_(CreateFontA(-AtDpi(Height, Dpi), 0, 0, 0, Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, "Verdana"))
    {
    }
    ~DesignFont() { DeleteObject(font_); }
    DesignFont(const DesignFont&) = delete;
    DesignFont& operator=(const DesignFont&) = delete;

    // The size of a caption as a control draws it: an ampersand marks the next letter.
    SIZE Extent(std::string Text) const
    {
        for (size_t at = Text.find('&'); at != std::string::npos; at = Text.find('&', at + 1))
            Text.erase(at, 1);
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font_);
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return size;
    }

private:
    HFONT font_;
};

class DisplayScaleTest : public WizardFixture {
protected:
    void SetUp() override
    {
        WizardFixture::SetUp();
        // Window places are read in the display's pixels, whatever this program's own DPI.
        using Proc = HANDLE(WINAPI*)(HANDLE);
        if (auto aware = ModuleExport<Proc>(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext"))
            aware(reinterpret_cast<HANDLE>(-4)); // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
        if (RegKey desktop = OpenRegKey(HKEY_CURRENT_USER, DesktopKey, KEY_READ))
            saved_ = ReadRegDword(desktop.Get(), "LogPixels");
    }

    void TearDown() override
    {
        RestoreDpi();
        WizardFixture::TearDown();
    }

    // Starts the installer with the display at Dpi and gives back the unpacker's window. The
    // setting is put back as soon as the installer runs: programs started meanwhile by other
    // tests would take it too.
    HWND StartAt(int Dpi)
    {
        RegKey desktop = CreateRegKey(HKEY_CURRENT_USER, DesktopKey, KEY_SET_VALUE);
        EXPECT_TRUE(desktop && WriteRegDword(desktop.Get(), "LogPixels", static_cast<uint32_t>(Dpi)));
        Start();
        HWND unpacker = process_->WaitForWindow("TForm_Unzip", 20s);
        RestoreDpi();
        return unpacker;
    }

    void RestoreDpi()
    {
        RegKey desktop = OpenRegKey(HKEY_CURRENT_USER, DesktopKey, KEY_SET_VALUE);
        if (desktop && saved_)
            WriteRegDword(desktop.Get(), "LogPixels", *saved_);
        else if (desktop)
            DeleteRegValue(desktop.Get(), "LogPixels");
    }

    // Every caption of the form's description fits its control in the design's font: with
    // the box or circle before it for check boxes and radio buttons, within the edges for
    // buttons, beside the drop-down button for the items of a list.
    void ExpectCaptionsFit(HWND Form, const FormDesc& Layout, int Dpi)
    {
        const DesignFont font(13, false, Dpi);
        for (size_t i = 0; i < Layout.ControlCount; ++i) {
            const ControlDesc& row = Layout.Controls[i];
            HWND control = FindControl(Form, Layout, row.Name);
            RECT r;
            GetWindowRect(control, &r);
            const int width = r.right - r.left;
            switch (row.Kind) {
            case ControlKind::RadioButton:
            case ControlKind::CheckBox:
                EXPECT_LE(font.Extent(row.Caption).cx + AtDpi(17, Dpi), width) << row.Name << " at " << Dpi;
                break;
            case ControlKind::Button:
                EXPECT_LE(font.Extent(row.Caption).cx + AtDpi(8, Dpi), width) << row.Name << " at " << Dpi;
                break;
            case ControlKind::Label:
                if (row.Caption && row.Width > 0) {
                    EXPECT_LE(font.Extent(row.Caption).cx, width) << row.Name << " at " << Dpi;
                }
                break;
            case ControlKind::ComboList:
                for (const char* item : {"License", "Readme", "History"}) {
                    EXPECT_LE(font.Extent(item).cx + AtDpi(20, Dpi), width) << item << " at " << Dpi;
                }
                break;
            default:
                break;
            }
        }
    }

    std::optional<uint32_t> saved_;
};

TEST_F(DisplayScaleTest, At125150And200PercentEverythingIsTheDesignTimesTheScale)
{
    for (int dpi : {120, 144, 192}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        HWND unpacker = StartAt(dpi);
        ASSERT_NE(nullptr, unpacker);
        ExpectClientSize(unpacker, UnpackerClient, dpi);
        ExpectDesignPlaces(unpacker, UnpackerLayout, UnpackerPlaces, dpi);
        ExpectCaptionsFit(unpacker, UnpackerLayout, dpi);

        HWND wizard = WaitForWizard();
        ASSERT_NE(nullptr, wizard);
        ExpectClientSize(wizard, WizardClient, dpi);
        ExpectDesignPlaces(wizard, MainFormLayout, WizardPlaces, dpi); // the pictures' size with them
        ExpectCaptionsFit(wizard, MainFormLayout, dpi);

        // The fonts: the labels that size themselves to their text have the size of that text
        // in the design's font at the scaled height, the form's and the bold heading's.
        HWND label = FindWindowExA(Control(wizard, "tab_Folders"), nullptr, "STATIC", "Install to...");
        ASSERT_NE(nullptr, label);
        RECT r = PlaceInParent(label);
        const SIZE text = DesignFont(13, false, dpi).Extent("Install to...");
        EXPECT_EQ(text.cx, r.right - r.left);
        EXPECT_EQ(text.cy, r.bottom - r.top);
        r = PlaceInParent(Control(wizard, "l_Choose"));
        const SIZE heading = DesignFont(17, true, dpi).Extent("Installation type");
        EXPECT_EQ(heading.cx, r.right - r.left);
        EXPECT_EQ(heading.cy, r.bottom - r.top);

        PostMessageA(wizard, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitForExit());
    }
}

} // namespace
