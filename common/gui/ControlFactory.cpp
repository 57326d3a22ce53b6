#include "ControlFactory.h"

#include <commctrl.h>
#include <richedit.h>

#include <stdexcept>
#include <string>

#include "Application.h"
#include "Form.h"
#include "Pictures.h"
#include "RowPlacement.h"
#include "WindowClasses.h"

namespace {

bool TakesFocus(ControlKind Kind)
{
    switch (Kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::Edit:
    case ControlKind::Memo:
    case ControlKind::RichEdit:
    case ControlKind::ComboList:
        return true;
    default:
        return false; // radio buttons take it only while selected (RadioButton keeps that up)
    }
}

// One row being made: its place at the form's DPI, and the style bits every kind shares.
class RowBuilder {
public:
    RowBuilder(Form& Owner, const ControlDesc& Row, const ControlPlace& Place)
        : rect(PlaceOfRow(Row, Place.Parent, Place.Font, Place.Dpi)), owner_(Owner), row_(Row), place_(Place)
    {
        style = WS_CHILD | (Place.StartsGroup ? WS_GROUP : 0);
        if (!(Row.Flags & cfHidden) && Row.Kind != ControlKind::Page)
            style |= WS_VISIBLE;
        if (Row.Flags & cfDisabled)
            style |= WS_DISABLED;
        if (TakesFocus(Row.Kind))
            style |= WS_TABSTOP;
        if (Row.Flags & cfVScroll)
            style |= WS_VSCROLL;
        if (Row.Flags & cfHScroll)
            style |= WS_HSCROLL;
    }

    const char* Caption() const { return row_.Caption ? row_.Caption : ""; }

    HWND Create(DWORD ExStyle, const char* Class, DWORD KindStyle) const
    {
        HWND hwnd = CreateWindowExA(
            ExStyle, Class, Caption(), style | KindStyle, rect.Left, rect.Top, rect.Width, rect.Height, place_.Parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(place_.Id)), Application::Instance(), &owner_);
        if (!hwnd)
            throw std::runtime_error(std::string("Cannot create the control ") + row_.Name);
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(place_.Font), FALSE);
        return hwnd;
    }

    // The label above a labelled edit box; it follows the box's visibility and state.
    HWND CreateEditLabel() const
    {
        if (!row_.Extra)
            return nullptr;
        const ControlRect r = PlaceOfEditLabel(row_, rect, place_.Parent, place_.Font, place_.Dpi);
        HWND label = CreateWindowExA(
            0, "STATIC", row_.Extra, WS_CHILD | SS_LEFT | SS_NOPREFIX | (style & (WS_VISIBLE | WS_DISABLED)), r.Left,
            r.Top, r.Width, r.Height, place_.Parent, nullptr, Application::Instance(), nullptr);
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(place_.Font), FALSE);
        return label;
    }

    ControlRect rect;
    DWORD style;

private:
    Form& owner_;
    const ControlDesc& row_;
    const ControlPlace& place_;
};

} // namespace

void RegisterControlClasses()
{
    RegisterWindowClass(SpeedButtonClassName, SpeedButton::WindowProc, 0);
    RegisterWindowClass(ProgressBarClassName, ProgressBar::WindowProc, CS_DBLCLKS);
}

std::unique_ptr<Control> CreateControlOfRow(Form& Owner, const ControlDesc& Row, const ControlPlace& Place)
{
    RowBuilder b(Owner, Row, Place);
    const bool readOnly = (Row.Flags & cfReadOnly) != 0;

    switch (Row.Kind) {
    case ControlKind::TabControl:
        // WS_EX_CONTROLPARENT: the Tab key walks through the pages inside it.
        return std::make_unique<TabControl>(
            Owner, Row,
            b.Create(WS_EX_CONTROLPARENT, WC_TABCONTROLA, WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TCS_FOCUSNEVER));
    case ControlKind::Page: {
        auto& tabs = Owner.Get<TabControl>(Row.Parent);
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(b.Caption());
        SendMessageA(tabs.Handle(), TCM_INSERTITEMA, tabs.PageCount(), reinterpret_cast<LPARAM>(&item));
        b.rect = PlaceOfRow(Row, Place.Parent, Place.Font, Place.Dpi); // below the tabs, now that there are some
        auto page =
            std::make_unique<Container>(Owner, Row, b.Create(WS_EX_CONTROLPARENT, ContainerClassName, WS_CLIPCHILDREN));
        tabs.AddPage(page.get());
        return page;
    }
    case ControlKind::Panel:
    case ControlKind::GroupBox:
        return std::make_unique<Container>(Owner, Row,
                                           b.Create(WS_EX_CONTROLPARENT, ContainerClassName, WS_CLIPCHILDREN));
    case ControlKind::Label:
        return std::make_unique<Control>(Owner, Row, b.Create(0, "STATIC", SS_LEFT | SS_NOPREFIX));
    case ControlKind::Button:
        return std::make_unique<Button>(
            Owner, Row, b.Create(0, "BUTTON", (Row.Flags & cfDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
    case ControlKind::RadioButton:
        return std::make_unique<RadioButton>(Owner, Row, b.Create(0, "BUTTON", BS_RADIOBUTTON));
    case ControlKind::CheckBox:
        return std::make_unique<CheckBox>(Owner, Row, b.Create(0, "BUTTON", BS_AUTOCHECKBOX));
    case ControlKind::Edit: {
        HWND label = b.CreateEditLabel();
        const bool password = (Row.Flags & cfPassword) != 0;
        HWND hwnd = b.Create(WS_EX_CLIENTEDGE, "EDIT", ES_AUTOHSCROLL | (password ? ES_PASSWORD : 0));
        if (password)
            SendMessageA(hwnd, EM_SETPASSWORDCHAR, '*', 0);
        return std::make_unique<Edit>(Owner, Row, hwnd, label);
    }
    case ControlKind::Memo: {
        DWORD extra = ES_MULTILINE | ES_AUTOVSCROLL | (readOnly ? ES_READONLY : 0);
        if (!(Row.Flags & cfWordWrap))
            extra |= ES_AUTOHSCROLL;
        return std::make_unique<Memo>(Owner, Row, b.Create(WS_EX_CLIENTEDGE, "EDIT", extra));
    }
    case ControlKind::RichEdit: {
        static HMODULE richEditLibrary = LoadLibraryA("riched20.dll"); // registers RICHEDIT_CLASSA
        (void)richEditLibrary;
        const DWORD extra = ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0);
        return std::make_unique<RichEdit>(Owner, Row, b.Create(WS_EX_CLIENTEDGE, RICHEDIT_CLASSA, extra));
    }
    case ControlKind::ComboList:
        return std::make_unique<ComboList>(Owner, Row, b.Create(0, "COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL));
    case ControlKind::Image: {
        BitmapHandle picture(LoadPicture(Application::Instance(), Row.Extra, Place.Dpi));
        HWND hwnd = b.Create(0, "STATIC", SS_BITMAP);
        return std::make_unique<Image>(Owner, Row, hwnd, std::move(picture));
    }
    case ControlKind::SpeedButton: {
        BitmapHandle picture(LoadPicture(Application::Instance(), Row.Extra, Place.Dpi));
        HWND hwnd = b.Create(0, SpeedButtonClassName, 0);
        return std::make_unique<SpeedButton>(Owner, Row, hwnd, std::move(picture));
    }
    case ControlKind::ProgressBar: {
        auto bar = std::make_unique<ProgressBar>(Owner, Row, b.Create(0, ProgressBarClassName, 0));
        // The font sent at creation came before the bar was there to take it.
        SendMessageA(bar->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Place.Font), FALSE);
        return bar;
    }
    }
    throw std::logic_error(std::string("Unknown kind of control ") + Row.Name);
}
