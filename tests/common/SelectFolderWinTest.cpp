#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <atomic>
#include <functional>
#include <thread>

#include "Common_Custom.h"
#include "WinTestSupport.h"

namespace {

const char* const Title = "Select the directory for the program";

// Waits on a second thread for the test thread's dialog to show and hands it to Action,
// which must close it, while the test thread runs the modal dialog.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> Action)
        : owner_(GetCurrentThreadId()), action_(std::move(Action)), thread_([this] { Run(); })
    {
    }
    ~DialogDriver() { thread_.join(); }
    bool Found() const { return found_; }

private:
    void Run()
    {
        for (int attempt = 0; attempt < 1000 && !found_; ++attempt) {
            HWND dialog = nullptr;
            EnumThreadWindows(owner_, FindDialog, reinterpret_cast<LPARAM>(&dialog));
            if (dialog) {
                found_ = true;
                Sleep(100); // let the tree settle on its selection
                action_(dialog);
            }
            Sleep(20);
        }
    }
    static BOOL CALLBACK FindDialog(HWND Window, LPARAM Result)
    {
        char name[16] = {};
        GetClassNameA(Window, name, sizeof(name));
        if (std::string(name) != "#32770" || !IsWindowVisible(Window))
            return TRUE;
        *reinterpret_cast<HWND*>(Result) = Window;
        return FALSE;
    }

    DWORD owner_;
    std::function<void(HWND)> action_;
    std::atomic<bool> found_{false};
    std::thread thread_;
};

void Press(HWND Dialog, int Button)
{
    PostMessageA(Dialog, WM_COMMAND, MAKEWPARAM(Button, BN_CLICKED), 0);
}

// Text of the tree's item that TVM_GETNEXTITEM gives for Which (the selection, the root).
std::string TreeItem(HWND Dialog, WPARAM Which)
{
    HWND tree = FindWindowExA(Dialog, nullptr, WC_TREEVIEWA, nullptr);
    char text[MAX_PATH] = {};
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, Which, 0));
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    if (item.hItem)
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

HWND ShowTestWindow()
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

class SelectFolderDialog : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
    // Away from the temporary folder, which other tests keep changing while the dialog lists it.
    ScratchFolder scratch_{"C:\\"};
};

// What the dialog showed and what SelectFolder gave when the dialog's OK was pressed.
struct OkRun {
    bool Shown = false, Titled = false, Chosen = false;
    std::string Selected, Top, Path;
};

OkRun PressOk(const std::string& Path, const std::wstring& Root)
{
    // When another process is busy in the same prefix, Wine's shell now and then fails to
    // select the initial folder in its tree (no item selected at all); such a run is repeated.
    OkRun run;
    for (int attempt = 0; attempt < 3 && run.Selected.empty(); ++attempt) {
        run = OkRun();
        run.Path = Path;
        DialogDriver driver([&](HWND dialog) {
            run.Selected = TreeItem(dialog, TVGN_CARET);
            run.Top = TreeItem(dialog, TVGN_ROOT);
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                char text[64] = {};
                GetWindowTextA(child, text, sizeof(text));
                run.Titled = run.Titled || std::string(text) == Title;
            }
            Press(dialog, IDOK);
        });
        run.Chosen = SelectFolder(Title, Root, run.Path);
        run.Shown = driver.Found();
    }
    return run;
}

TEST_F(SelectFolderDialog, OpensOnTheGivenFolderAndReturnsItOnOk)
{
    const std::string folder = scratch_ / "Brisel Backup 7";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const OkRun run = PressOk(folder + "\\", L"");
    ASSERT_TRUE(run.Shown);
    EXPECT_EQ("Brisel Backup 7", run.Selected);
    EXPECT_TRUE(run.Titled);
    EXPECT_TRUE(run.Chosen);
    EXPECT_EQ(folder, run.Path) << "the chosen folder, without a trailing backslash";
}

TEST_F(SelectFolderDialog, MissingFolderTextIsClearedEvenWhenCancelled)
{
    std::string path = scratch_ / "missing";
    DialogDriver driver([](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_FALSE(SelectFolder(Title, L"", path));
    ASSERT_TRUE(driver.Found());
    EXPECT_EQ("", path);
}

TEST_F(SelectFolderDialog, OtherWindowsAreDisabledAndCriticalErrorsSilentMeanwhile)
{
    HWND owner = ShowTestWindow();
    HWND bystander = ShowTestWindow();
    const UINT previousMode = SetErrorMode(0);
    bool bystanderEnabled = true;
    UINT modeMeanwhile = 0;
    DialogDriver driver([&](HWND dialog) {
        bystanderEnabled = IsWindowEnabled(bystander) != 0;
        modeMeanwhile = SetErrorMode(0);
        SetErrorMode(modeMeanwhile);
        Press(dialog, IDCANCEL);
    });
    std::string path = scratch_.Path();
    EXPECT_FALSE(SelectFolder(Title, L"", path, owner));
    ASSERT_TRUE(driver.Found());
    EXPECT_EQ(scratch_.Path(), path) << "cancel keeps an existing folder";
    EXPECT_FALSE(bystanderEnabled);
    EXPECT_TRUE(modeMeanwhile & SEM_FAILCRITICALERRORS);
    EXPECT_TRUE(IsWindowEnabled(owner) && IsWindowEnabled(bystander)) << "enabled again afterwards";
    EXPECT_EQ(0u, SetErrorMode(previousMode)) << "the error mode is restored";
    DestroyWindow(bystander);
    DestroyWindow(owner);
}

TEST_F(SelectFolderDialog, RootIsTheTopOfTheTree)
{
    const std::string inner = scratch_ / "Help";
    ASSERT_TRUE(CreateDirectoryA(inner.c_str(), nullptr));
    const OkRun run = PressOk(inner, std::wstring(scratch_.Path().begin(), scratch_.Path().end()));
    ASSERT_TRUE(run.Shown);
    EXPECT_EQ(scratch_.Path().substr(scratch_.Path().rfind('\\') + 1), run.Top);
    EXPECT_TRUE(run.Chosen);
    EXPECT_EQ(inner, run.Path);
}

} // namespace
