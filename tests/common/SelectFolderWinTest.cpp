#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "Common_Custom.h"
#include "WinTestSupport.h"

namespace {

// Waits on a second thread for a dialog of the given thread to show, and hands it to Action,
// which must close it. Lets the test thread run the modal dialog meanwhile.
class DialogDriver {
public:
    DialogDriver(std::function<void(HWND)> Action)
        : owner_(GetCurrentThreadId()), action_(std::move(Action)), thread_([this] { Run(); })
    {
    }
    ~DialogDriver() { thread_.join(); }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    bool Found() const { return found_; }

private:
    void Run()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            HWND dialog = nullptr;
            EnumThreadWindows(owner_, FindDialog, reinterpret_cast<LPARAM>(&dialog));
            if (dialog) {
                found_ = true;
                action_(dialog);
                return;
            }
            Sleep(20);
        }
    }
    static BOOL CALLBACK FindDialog(HWND Window, LPARAM Result)
    {
        char name[32] = {};
        GetClassNameA(Window, name, sizeof(name));
        if (std::string(name) == "#32770" && IsWindowVisible(Window)) {
            *reinterpret_cast<HWND*>(Result) = Window;
            return FALSE;
        }
        return TRUE;
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

std::string ItemText(HWND Tree, HTREEITEM Item)
{
    if (!Tree || !Item)
        return "";
    char text[MAX_PATH] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = Item;
    data.pszText = text;
    data.cchTextMax = sizeof(text);
    SendMessageA(Tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

// Text of the tree's selected item ("" when nothing is selected).
std::string SelectedTreeItem(HWND Dialog)
{
    HWND tree = FindWindowExA(Dialog, nullptr, WC_TREEVIEWA, nullptr);
    return ItemText(tree, reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

bool HasChildWithText(HWND Dialog, const std::string& Text)
{
    for (HWND child = GetWindow(Dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[256] = {};
        GetWindowTextA(child, text, sizeof(text));
        if (Text == text)
            return true;
    }
    return false;
}

class SelectFolderDialog : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }

    ScratchFolder scratch_;
};

const char* const Title = "Select the directory for the program";

TEST_F(SelectFolderDialog, OpensOnTheGivenFolderAndReturnsItOnOk)
{
    const std::string folder = scratch_ / "Brisel Backup 7";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string selected;
    bool titled = false;
    DialogDriver driver([&](HWND dialog) {
        Sleep(100);
        selected = SelectedTreeItem(dialog);
        titled = HasChildWithText(dialog, Title);
        Press(dialog, IDOK);
    });
    std::string path = folder + "\\";
    const bool chosen = SelectFolder(Title, L"", path);

    ASSERT_TRUE(driver.Found());
    EXPECT_EQ("Brisel Backup 7", selected);
    EXPECT_TRUE(titled);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(folder, path) << "the chosen folder, without a trailing backslash";
}

TEST_F(SelectFolderDialog, CancelKeepsTheFolderText)
{
    std::string path = scratch_.Path();
    DialogDriver driver([](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_FALSE(SelectFolder(Title, L"", path));
    ASSERT_TRUE(driver.Found());
    EXPECT_EQ(scratch_.Path(), path);
}

TEST_F(SelectFolderDialog, MissingFolderTextIsClearedEvenWhenCancelled)
{
    std::string path = scratch_ / "missing";
    DialogDriver driver([](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_FALSE(SelectFolder(Title, L"", path));
    ASSERT_TRUE(driver.Found());
    EXPECT_EQ("", path);
}

HWND ShowTestWindow(const char* Text)
{
    HWND window = CreateWindowExA(0, "STATIC", Text, WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

TEST_F(SelectFolderDialog, TheApplicationsOtherWindowsAreDisabledMeanwhile)
{
    HWND owner = ShowTestWindow("owner");
    HWND bystander = ShowTestWindow("bystander");
    ASSERT_TRUE(owner && bystander);
    const UINT previousMode = SetErrorMode(0);
    bool bystanderEnabled = true;
    UINT modeMeanwhile = 0;
    DialogDriver driver([&](HWND dialog) {
        bystanderEnabled = IsWindowEnabled(bystander) != 0;
        modeMeanwhile = SetErrorMode(0);
        SetErrorMode(modeMeanwhile);
        Press(dialog, IDCANCEL);
    });
    std::string path;
    SelectFolder(Title, L"", path, owner);

    ASSERT_TRUE(driver.Found());
    EXPECT_FALSE(bystanderEnabled);
    EXPECT_TRUE(modeMeanwhile & SEM_FAILCRITICALERRORS);
    EXPECT_TRUE(IsWindowEnabled(owner)) << "enabled again afterwards";
    EXPECT_TRUE(IsWindowEnabled(bystander)) << "enabled again afterwards";
    EXPECT_EQ(0u, SetErrorMode(previousMode)) << "the error mode is restored";
    DestroyWindow(bystander);
    DestroyWindow(owner);
}

TEST_F(SelectFolderDialog, RootIsTheTopOfTheTree)
{
    const std::string inner = scratch_ / "Help";
    ASSERT_TRUE(CreateDirectoryA(inner.c_str(), nullptr));
    const std::string rootName = scratch_.Path().substr(scratch_.Path().rfind('\\') + 1);
    std::string top;
    DialogDriver driver([&](HWND dialog) {
        Sleep(100);
        HWND tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
        top = ItemText(tree, reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
        Press(dialog, IDOK);
    });
    std::wstring root(scratch_.Path().begin(), scratch_.Path().end());
    std::string path = inner;
    EXPECT_TRUE(SelectFolder(Title, root, path));
    ASSERT_TRUE(driver.Found());
    EXPECT_EQ(rootName, top);
    EXPECT_EQ(inner, path);
}

} // namespace
