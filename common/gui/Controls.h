// The controls that forms are made of: thin owners of standard Win32 controls, created from
// a ControlDesc row, with the events the program's handlers bind to. Their code lies in one
// file per kind or family: Control.cpp (the base), Buttons.cpp (push, radio and check
// buttons), EditBoxes.cpp, RichEdit.cpp, ComboList.cpp, PictureControls.cpp (pictures and
// picture buttons), ProgressBarHost.cpp and TabControl.cpp.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Layout.h"
#include "RowPlacement.h"
#include "WinHandles.h"

class Form;
class TBriBar;

class Control {
public:
    Control(Form& Owner, const ControlDesc& Desc, HWND Window);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND Handle() const { return window_; }
    const ControlDesc& Desc() const { return desc_; }
    const char* Name() const { return desc_.Name; }

    bool Enabled() const;
    virtual void SetEnabled(bool Enabled);
    bool Visible() const;
    virtual void SetVisible(bool Visible);
    std::string Text() const;
    void SetText(const std::string& Text);
    void SetFocus();
    bool Focused() const;

    // Background colour that the parent paints behind the control (WM_CTLCOLOR...), or
    // nullptr for the system default.
    HBRUSH BackgroundBrush() const { return brush_.Get(); }
    COLORREF BackgroundColor() const { return color_; }
    void SetBackground(COLORREF Color);

    // Notifications that the form routes to the control that sent them.
    virtual void HandleCommand(WORD Code) {}
    virtual bool HandleNotify(NMHDR* Header, LRESULT& Result) { return false; }

    // Takes the place, the font and the pictures of the form's new DPI.
    virtual void ApplyLayout(const ControlRect& Place, HFONT Font, int Dpi);

protected:
    Form& owner_;
    const ControlDesc& desc_;
    HWND window_;

private:
    COLORREF color_ = CLR_INVALID;
    BrushHandle brush_;
};

// Holds a control's drawing while several changes are made to it; it is painted once
// afterwards, at the next paint cycle, instead of after each change.
class RedrawSuspended {
public:
    explicit RedrawSuspended(Control& Target) : window_(Target.Handle())
    {
        SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawSuspended()
    {
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    HWND window_;
};

class Button : public Control {
public:
    using Control::Control;
    std::function<void()> OnClick;
    // Presses the button as a click would: nothing happens while it is disabled or hidden.
    void Press();
    void HandleCommand(WORD Code) override;
};

// Radio buttons that share a parent form one group: selecting one clears the others.
// Selecting from code behaves as a click: OnClick runs when the state changes.
class RadioButton : public Control {
public:
    RadioButton(Form& Owner, const ControlDesc& Desc, HWND Window);
    std::function<void()> OnClick;
    bool Checked() const;
    void SetChecked(bool Checked);
    void HandleCommand(WORD Code) override;

private:
    void ApplyCheck(bool Checked); // state and tab stop, without the event
};

class CheckBox : public Control {
public:
    CheckBox(Form& Owner, const ControlDesc& Desc, HWND Window);
    std::function<void()> OnClick;
    bool Checked() const;
    void SetChecked(bool Checked); // runs OnClick when the state changes
    void HandleCommand(WORD Code) override;
};

class Edit : public Control {
public:
    Edit(Form& Owner, const ControlDesc& Desc, HWND Window, HWND Label);
    std::function<void()> OnEnter, OnExit;
    HWND LabelHandle() const { return label_; }
    void SetEnabled(bool Enabled) override;
    void SetVisible(bool Visible) override;
    void HandleCommand(WORD Code) override;
    void ApplyLayout(const ControlRect& Place, HFONT Font, int Dpi) override;

private:
    HWND label_;
};

class Memo : public Control {
public:
    using Control::Control;
};

class RichEdit : public Control {
public:
    RichEdit(Form& Owner, const ControlDesc& Desc, HWND Window);
    // Replaces the content with Content: as rich text when it is in rich-text format,
    // otherwise as plain text.
    void LoadFromText(const std::string& Content);
    // Appends one line in the given text colour, as the last line.
    void AppendLine(const std::string& Text, COLORREF Color);
    int LineCount() const;
};

class ComboList : public Control {
public:
    ComboList(Form& Owner, const ControlDesc& Desc, HWND Window);
    std::function<void()> OnChange;
    int ItemIndex() const;
    void SetItemIndex(int Index); // runs OnChange when the selection changes
    std::string ItemText(int Index) const;
    bool DroppedDown() const;
    void HandleCommand(WORD Code) override;
};

class Image : public Control {
public:
    Image(Form& Owner, const ControlDesc& Desc, HWND Window, BitmapHandle Picture);
    void ApplyLayout(const ControlRect& Place, HFONT Font, int Dpi) override; // the picture for the DPI

private:
    void SetPicture(BitmapHandle Picture);
    BitmapHandle picture_;
};

// A picture button that never takes the focus (a "speed button"), drawn by itself.
class SpeedButton : public Control {
public:
    SpeedButton(Form& Owner, const ControlDesc& Desc, HWND Window, BitmapHandle Picture);
    ~SpeedButton() override;
    std::function<void()> OnClick;
    void ApplyLayout(const ControlRect& Place, HFONT Font, int Dpi) override; // the picture for the DPI
    static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

private:
    void Paint(HDC Dc);
    BitmapHandle picture_;
    bool pressed_ = false;
};

// The progress bar: a child window of its own on whose surface the TBriBar draws.
class ProgressBar : public Control {
public:
    ProgressBar(Form& Owner, const ControlDesc& Desc, HWND Window);
    ~ProgressBar() override;
    TBriBar& Bar() { return *bar_; }
    void SetEnabled(bool Enabled) override;
    void SetVisible(bool Visible) override;
    static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

private:
    std::unique_ptr<TBriBar> bar_;
};

// Pages, panels and group boxes: windows that hold other controls and paint a background.
class Container : public Control {
public:
    using Control::Control;
};

class TabControl : public Control {
public:
    TabControl(Form& Owner, const ControlDesc& Desc, HWND Window);
    // Asked before the user changes the page by a tab click or the keyboard; false refuses.
    std::function<bool()> OnChanging;
    int PageIndex() const;
    void SetPageIndex(int Index); // selects the page from code, without asking OnChanging
    void AddPage(Container* Page);
    Container* Page(int Index) const;
    int PageCount() const;
    bool HandleNotify(NMHDR* Header, LRESULT& Result) override;

private:
    static LRESULT CALLBACK KeyFilterProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
    std::vector<Container*> pages_;
    WNDPROC original_ = nullptr;
};
