// SelectFolder of Common_Custom: the shell's folder-browse dialog.
#include "Common_Custom.h"

#include <shlobj.h>

#include <vector>

#include "WinHandles.h"

namespace {

// Opens the dialog on the folder whose path the caller passed as the callback's data.
int CALLBACK PreselectFolder(HWND Dialog, UINT Message, LPARAM, LPARAM Data)
{
    if (Message == BFFM_INITIALIZED && Data != 0)
        SendMessageA(Dialog, BFFM_SETSELECTIONA, TRUE, Data);
    return 0;
}

// Keeps the user out of the application's other windows while the dialog shows: every
// visible, enabled top-level window of the calling thread is disabled, and enabled again
// (and the formerly active one re-activated) when this object goes.
class DisabledThreadWindows {
public:
    DisabledThreadWindows() : active_(GetActiveWindow())
    {
        EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows_));
        for (HWND window : windows_)
            EnableWindow(window, FALSE);
    }
    ~DisabledThreadWindows()
    {
        for (HWND window : windows_)
            if (IsWindow(window))
                EnableWindow(window, TRUE);
        if (active_ && IsWindow(active_))
            SetActiveWindow(active_);
    }
    DisabledThreadWindows(const DisabledThreadWindows&) = delete;
    DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;

private:
    static BOOL CALLBACK Collect(HWND Window, LPARAM List)
    {
        if (IsWindowVisible(Window) && IsWindowEnabled(Window))
            reinterpret_cast<std::vector<HWND>*>(List)->push_back(Window);
        return TRUE;
    }

    HWND active_;
    std::vector<HWND> windows_;
};

// An empty floppy or card-reader drive in the tree must not bring up the system's
// "There is no disk in the drive" box.
class CriticalErrorsFailSilently {
public:
    CriticalErrorsFailSilently() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~CriticalErrorsFailSilently() { SetErrorMode(previous_); }
    CriticalErrorsFailSilently(const CriticalErrorsFailSilently&) = delete;
    CriticalErrorsFailSilently& operator=(const CriticalErrorsFailSilently&) = delete;

private:
    UINT previous_;
};

// Memory from the shell's allocator, given back to it.
class ShellMemory {
public:
    ShellMemory(IMalloc* Allocator, void* Block) : allocator_(Allocator), block_(Block) {}
    ~ShellMemory()
    {
        if (block_)
            allocator_->Free(block_);
    }
    ShellMemory(const ShellMemory&) = delete;
    ShellMemory& operator=(const ShellMemory&) = delete;
    void* Get() const { return block_; }

private:
    IMalloc* allocator_;
    void* block_;
};

// Item identifier list of Root, or nullptr (the desktop) when it is empty or cannot be parsed.
LPITEMIDLIST ParseRoot(const std::wstring& Root, HWND Owner)
{
    if (Root.empty())
        return nullptr;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Receive())))
        return nullptr;
    std::vector<wchar_t> name(Root.begin(), Root.end()); // ParseDisplayName wants a writable text
    name.push_back(L'\0');
    LPITEMIDLIST items = nullptr;
    if (FAILED(desktop->ParseDisplayName(Owner, nullptr, name.data(), nullptr, &items, nullptr)))
        return nullptr;
    return items;
}

} // namespace

bool SelectFolder(const std::string& Title, const std::wstring& Root, std::string& FolderPath, HWND Owner)
{
    if (!FolderExists(FolderPath))
        FolderPath.clear();
    const std::string initial = FolderPath;

    ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.Receive())))
        return false;
    ShellMemory displayName(allocator.Get(), allocator->Alloc(MAX_PATH));
    if (!displayName.Get())
        return false;

    const HWND owner = Owner ? Owner : GetActiveWindow();
    ShellMemory root(allocator.Get(), ParseRoot(Root, owner));

    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = static_cast<LPCITEMIDLIST>(root.Get());
    info.pszDisplayName = static_cast<char*>(displayName.Get());
    info.lpszTitle = Title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    if (!initial.empty()) {
        info.lpfn = PreselectFolder;
        info.lParam = reinterpret_cast<LPARAM>(initial.c_str());
    }

    LPITEMIDLIST chosen = nullptr;
    {
        DisabledThreadWindows disabled;
        CriticalErrorsFailSilently quiet;
        chosen = SHBrowseForFolderA(&info);
    }
    if (!chosen)
        return false;
    ShellMemory chosenItems(allocator.Get(), chosen);
    char* path = static_cast<char*>(displayName.Get());
    // Only file-system folders can be chosen, so the conversion should not fail; if it does,
    // the buffer holds a display name, not a path, and nothing usable was chosen.
    if (!SHGetPathFromIDListA(chosen, path))
        return false;
    FolderPath = path;
    return true;
}
