#include "Application.h"

#include "Form.h"
#include "MessageBoxes.h"

namespace {

HINSTANCE instance = nullptr;
std::string title;
bool terminated = false;
bool busy = false;
Form* mainForm = nullptr;

// The form whose window (or one of whose controls) the message is for.
Form* FormOf(HWND Window)
{
    if (!Window)
        return nullptr;
    return FormOfWindow(GetAncestor(Window, GA_ROOT));
}

} // namespace

namespace Application {

void Initialize(HINSTANCE Instance)
{
    instance = Instance;
}
HINSTANCE Instance()
{
    return instance;
}
const std::string& Title()
{
    return title;
}
void SetTitle(const std::string& Title)
{
    title = Title;
}
bool IsMainForm(const Form* Candidate)
{
    return Candidate && Candidate == mainForm;
}

void SetBusy(bool Busy)
{
    busy = Busy;
    // The cursor changes at once; WM_SETCURSOR keeps it while the mouse moves.
    SetCursor(LoadCursor(nullptr, Busy ? IDC_WAIT : IDC_ARROW));
}

bool Busy()
{
    return busy;
}

void Terminate()
{
    terminated = true;
    PostQuitMessage(0);
}

bool Terminated()
{
    return terminated;
}

bool HandleOneMessage(bool Wait)
{
    MSG msg;
    if (Wait) {
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            terminated = true;
            return false;
        }
    } else {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            return false;
        if (msg.message == WM_QUIT) {
            terminated = true;
            return false;
        }
    }
    if (Form* form = FormOf(msg.hwnd)) {
        if (form->PreTranslateKey(msg))
            return true;
        // Tab, the arrow keys within a radio group and Alt+letter mnemonics.
        if (IsDialogMessageA(form->Handle(), &msg))
            return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void ProcessMessages()
{
    while (HandleOneMessage(false)) {
    }
}

void Run(Form& MainForm)
{
    mainForm = &MainForm;
    MainForm.Show();
    while (!terminated && HandleOneMessage(true)) {
    }
    mainForm = nullptr;
}

std::string ErrorBoxText(const std::string& Message)
{
    if (!Message.empty() && static_cast<unsigned char>(Message.back()) > '.')
        return Message + '.';
    return Message;
}

void ShowException(const std::exception& Error)
{
    ErrorBox(ErrorBoxText(Error.what()));
}

} // namespace Application
