// A form: a top-level window built from a FormDesc, owning its controls, fonts and timers,
// routing notifications to the controls and running event handlers so that an unhandled
// error shows the default error box instead of leaving the event loop.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Controls.h"
#include "DisplayScale.h"
#include "Layout.h"
#include "WinHandles.h"

class Timer {
public:
    Timer(Form& Owner, UINT Id, UINT Interval);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Enabled);
    UINT Interval() const { return interval_; }
    std::function<void()> OnTimer;

private:
    Form& owner_;
    UINT id_;
    UINT interval_;
    bool enabled_ = false;
};

// The Form of a top-level window the toolkit made, or nullptr.
Form* FormOfWindow(HWND TopLevel);

class Form {
public:
    explicit Form(const FormDesc& Desc);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return window_; }
    const FormDesc& Desc() const { return desc_; }
    // The DPI at which the form is laid out: its display's (96 is 100%).
    int Dpi() const { return dpi_; }

    // The control of the row with this name, of the type its kind gives. Throws, naming the
    // control, when there is no such row or it is of another kind: windows bind their
    // controls once, at construction, so a wrong name fails at once.
    template <typename T> T& Get(const char* Name)
    {
        if (auto* typed = dynamic_cast<T*>(&Find(Name)))
            return *typed;
        throw std::logic_error(std::string("The control ") + Name + " is not of the kind asked for");
    }
    Control& Find(const char* Name);
    Control* FromHandle(HWND Window) const;

    Timer& AddTimer(UINT Interval);

    std::string Caption() const;
    void SetCaption(const std::string& Caption);

    // Shows the form; the first showing runs FormShow before the window appears.
    void Show();
    // Shows the form modally: other windows of the program are disabled until it closes.
    void ShowModal();
    // Asks the form to close: FormCloseQuery may refuse; FormClose runs; a modal form is
    // hidden, any other form is destroyed.
    void Close();
    bool Visible() const;
    bool IsModal() const { return modal_; }

    // Runs an event handler; an error it does not handle goes to the default error box.
    void Invoke(const std::function<void()>& Handler);

    // Keyboard handling of the message loop: Escape presses the cancel button, Enter the
    // focused button or the default button. True when the message was used.
    bool PreTranslateKey(const MSG& Message);

protected:
    virtual void FormShow() {}     // before the window appears
    virtual void FormActivate() {} // once it has appeared, with the focus in it
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose() {}

    // The buttons that Escape and Enter press: by default the visible ones marked so.
    virtual Button* CancelButton();
    virtual Button* DefaultButton();

private:
    friend class Control;
    // Message handling of the form's own window and of its containers (FormMessages.cpp).
    static LRESULT CALLBACK FormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
    static LRESULT CALLBACK ContainerProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
    LRESULT HandleMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, bool IsForm);
    LRESULT ColorChild(HWND Window, UINT Message, HDC Dc, HWND Child, bool IsForm);
    void PaintContainer(HWND Window, HDC Dc);
    void HandleActivate(WPARAM WParam);

    void CreateControls();
    void CreateControl(size_t Index);

    // Layout at the form's DPI (FormScaling.cpp): the window's size and place, its fonts, and
    // all of it again when the DPI changes.
    void PlaceWindow(const RECT* Suggested);
    SIZE FrameSizeAt(int Dpi) const;
    void ApplyDpi(int Dpi, const RECT* Suggested);
    HFONT FontAt(int Height, bool Bold);
    HFONT FontFor(const ControlDesc& Desc);
    Button* FindButton(uint32_t Flag);
    void EndModal();
    void RestoreFocus();

    const FormDesc& desc_;
    HWND window_ = nullptr;
    int dpi_ = DefaultDpi;
    // The fonts at the form's DPI, by their height at 96 DPI and weight.
    std::map<std::pair<int, bool>, FontHandle> fonts_;
    BrushHandle brush_;
    HWND tooltip_ = nullptr;
    HWND lastFocus_ = nullptr; // the focused control when the window was last deactivated
    std::map<std::string, std::unique_ptr<Control>> controls_;
    std::map<HWND, Control*> byHandle_;
    std::map<UINT, std::unique_ptr<Timer>> timers_;
    bool modal_ = false;
    bool modalDone_ = false;
};
