#include "ProductWindow_win.h"

#include <cstdlib>
#include <cstring>

namespace {

const int ClientWidth = 560;
const int ClientHeight = 100;
const int Margin = 12;

LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    switch (Message) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(LParam);
        // The text is a child static control, so that other programs can read it with WM_GETTEXT.
        HWND text =
            CreateWindowExA(0, "STATIC", static_cast<const char*>(create->lpCreateParams),
                            WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, Margin, Margin, ClientWidth - 2 * Margin,
                            ClientHeight - 2 * Margin, Window, nullptr, create->hInstance, nullptr);
        SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(Window, Message, WParam, LParam);
    }
}

} // namespace

int RunProductWindow(HINSTANCE Instance, const char* ClassName, const std::string& Title, const std::string& Text)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = Instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassA(&windowClass))
        return 1;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, ClientWidth, ClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND window = CreateWindowExA(0, ClassName, Title.c_str(), style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                  Instance, const_cast<char*>(Text.c_str()));
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

std::string ProgramPath()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string CommandLineText()
{
    return GetCommandLineA();
}

bool HasSwitch(const char* Switch)
{
    // The C runtime splits the command line by the same rules as every other program.
    for (int i = 1; i < __argc; ++i)
        if (std::strcmp(__argv[i], Switch) == 0)
            return true;
    return false;
}
