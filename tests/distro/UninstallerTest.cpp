// bb7uninstall.exe on what an installation leaves: files from the manifest, registry records,
// Run entries, the program group, the running service (registered through BriNT.dll as the
// installer does) and the running programs.
#include <gtest/gtest.h>

#include "ProductTestSupport.h"
#include "Registry.h"
#include "ServiceLibrary.h"
#include "UninstallPlan.h"

namespace {

const char* const ProductKey = "SOFTWARE\\Brisel\\Brisel Backup 7";
const char* const VendorKey = "SOFTWARE\\Brisel";
const char* const ForeignProductKey = "SOFTWARE\\Brisel\\Another Product";
const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7";
const char* const RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const SessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const ForeignRunValue = "Bb7 Uninstaller Test Foreign";
const char* const Shortcuts[] = {"README.lnk",         "history.lnk",      "LICENSE.lnk",
                                 "Uninstall.lnk",      "Decompressor.lnk", "Brisel Backup 7 Interface.lnk",
                                 "Brisel Backup 7.lnk"};

template <typename Function> Function Export(HMODULE Library, const char* Name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(Library, Name)));
}

bool KeyExists(HKEY Root, const char* Path)
{
    return static_cast<bool>(OpenRegKey(Root, Path, KEY_READ));
}

bool HasValue(HKEY Root, const char* Path, const char* Name)
{
    RegKey key = OpenRegKey(Root, Path, KEY_READ);
    const std::vector<std::string> names = key ? RegValueNames(key.Get()) : std::vector<std::string>();
    return std::find(names.begin(), names.end(), Name) != names.end();
}

// The raw PendingFileRenameOperations value: pairs of source and target, NUL-separated.
std::string PendingRenames()
{
    RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, SessionManager, KEY_READ);
    DWORD size = 0;
    if (!key || RegQueryValueExA(key.Get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) != 0)
        return std::string();
    std::string data(size, '\0');
    RegQueryValueExA(key.Get(), "PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]),
                     &size);
    return data;
}

std::vector<std::pair<std::string, std::string>> RenamePairs(const std::string& Data)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t at = 0;
    auto next = [&] {
        const size_t end = std::min(Data.find('\0', at), Data.size());
        std::string item = Data.substr(at, end - at);
        at = end + 1;
        return item;
    };
    while (at < Data.size()) {
        std::string source = next();
        if (source.empty())
            break;
        pairs.emplace_back(source, next());
    }
    return pairs;
}

// An installation of the staged product in a scratch folder, made as the installer makes it.
class InstalledProduct {
public:
    InstalledProduct(bool AllUsers, bool NamedAccount) : allUsers_(AllUsers), folder_(scratch_ / "Brisel Backup 7\\")
    {
        pendingBefore_ = PendingRenames();
        CreateDirectoryA(folder_.c_str(), nullptr);
        for (const std::string& line : ManifestLines(ReadWholeFile(StagedProduct() + "bb7setup.dat"))) {
            const size_t slash = line.find('\\');
            if (slash != std::string::npos)
                CreateDirectoryA((folder_ + line.substr(0, line.rfind('\\'))).c_str(), nullptr);
            if (CopyFileA((StagedProduct() + line).c_str(), (folder_ + line).c_str(), FALSE))
                files_.push_back(line);
        }

        RegKey product = CreateRegKey(HKEY_LOCAL_MACHINE, ProductKey, KEY_WRITE);
        WriteRegString(product.Get(), "Path", folder_);
        WriteRegDword(product.Get(), "Installation type", AllUsers ? 3 : 1);
        RegKey uninstall = CreateRegKey(HKEY_LOCAL_MACHINE, UninstallKey, KEY_WRITE);
        WriteRegString(uninstall.Get(), "DisplayName", "Brisel Backup 7");
        WriteRegString(uninstall.Get(), "UninstallString", folder_ + "bb7uninstall.exe");
        RegKey run = CreateRegKey(AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, RunKey, KEY_WRITE);
        WriteRegString(run.Get(), AllUsers ? "Brisel Backup 7 Interface" : "Brisel Backup 7",
                       '"' + folder_ + (AllUsers ? "briui.exe\" -service" : "BriBU.exe\""));
        WriteRegString(run.Get(), ForeignRunValue, "C:\\Other\\other.exe");

        RegKey shellFolders = OpenRegKey(AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, ShellFolders, KEY_READ);
        group_ = ReadRegString(shellFolders.Get(), AllUsers ? "Common Programs" : "Programs").value_or("") +
                 "\\Brisel Backup 7\\";
        CreateDirectoryA(group_.c_str(), nullptr);
        for (const char* shortcut : Shortcuts)
            WriteFile(group_ + shortcut);

        // The service through the library of the unpacked product, as the installer registers it.
        library_.Reset(LoadLibraryA((StagedProduct() + ServiceLibraryFile).c_str()));
        char user[256] = {};
        DWORD size = sizeof(user);
        GetUserNameA(user, &size);
        account_ = NamedAccount ? std::string(".\\") + user : std::string();
        if (NamedAccount) {
            EXPECT_EQ(1, Export<TAddLogonAsAService>(library_.Get(), AddLogonAsAServiceName)(user));
        }
        EXPECT_EQ(1, Export<TInstallAService>(library_.Get(), InstallAServiceName)(
                         "BriBackup7", "Brisel Backup 7 service", folder_.c_str(), account_.c_str(), "secret",
                         NamedAccount ? 1 : 0));
        EXPECT_EQ(1, Export<TStartAService>(library_.Get(), StartAServiceName)("BriBackup7"));

        application_ = std::make_unique<StartedProgram>('"' + folder_ + "BriBU.exe\"");
        interface_ = std::make_unique<StartedProgram>('"' + folder_ + "briui.exe\" -service");
        EXPECT_TRUE(application_->WaitForWindow("TBriBUForm"));
        EXPECT_TRUE(interface_->WaitForWindow("TBriUIForm"));
    }

    ~InstalledProduct()
    {
        application_.reset();
        interface_.reset();
        RemoveTestService("BriBackup7");
        for (const char* key : {ProductKey, ForeignProductKey, VendorKey, UninstallKey})
            DeleteRegKey(HKEY_LOCAL_MACHINE, key);
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            if (RegKey run = OpenRegKey(root, RunKey, KEY_READ | KEY_WRITE))
                for (const char* name : {"Brisel Backup 7", "Brisel Backup 7 Interface", ForeignRunValue})
                    DeleteRegValue(run.Get(), name);
        RemoveTree(group_.substr(0, group_.size() - 1));
        // The uninstaller's own file, moved away for deletion at the next restart, goes now.
        for (const auto& pair : NewRenames())
            DeleteFileA(pair.first.substr(4).c_str()); // after "\??\"
        RegKey session = OpenRegKey(HKEY_LOCAL_MACHINE, SessionManager, KEY_WRITE);
        if (pendingBefore_.empty())
            DeleteRegValue(session.Get(), "PendingFileRenameOperations");
        else
            RegSetValueExA(session.Get(), "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                           reinterpret_cast<const BYTE*>(pendingBefore_.data()),
                           static_cast<DWORD>(pendingBefore_.size()));
    }

    std::string UninstallCommand(const std::string& Switch) const
    {
        return '"' + folder_ + "bb7uninstall.exe\"" + (Switch.empty() ? "" : " " + Switch);
    }
    // Pending renames added since the installation was made.
    std::vector<std::pair<std::string, std::string>> NewRenames() const
    {
        std::vector<std::pair<std::string, std::string>> added, before = RenamePairs(pendingBefore_);
        for (const auto& pair : RenamePairs(PendingRenames()))
            if (std::find(before.begin(), before.end(), pair) == before.end())
                added.push_back(pair);
        return added;
    }
    void WriteFile(const std::string& Path) const
    {
        CloseHandle(CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    // The installed files (manifest lines) that are still there.
    std::vector<std::string> FilesLeft() const
    {
        std::vector<std::string> left;
        std::copy_if(files_.begin(), files_.end(), std::back_inserter(left),
                     [&](const std::string& F) { return PathExists(folder_ + F); });
        return left;
    }

    // Checks that everything of the installation is still in place.
    void ExpectIntact() const
    {
        EXPECT_EQ(files_, FilesLeft());
        EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), QueryService("BriBackup7").State);
        EXPECT_FALSE(application_->WaitForExit(0)) << "the application was closed";
        EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, ProductKey, "Path"));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
        EXPECT_TRUE(PathExists(group_ + "README.lnk"));
    }

    // Checks that the records, the group, the service and the programs are gone, and the
    // foreign Run entry is not.
    void ExpectRecordsGone() const
    {
        EXPECT_FALSE(QueryService("BriBackup7").Exists) << "the service is still there";
        ASSERT_TRUE(application_->WaitForExit(0) && interface_->WaitForExit(0)) << "a product program still runs";
        EXPECT_EQ(0u, application_->ExitCode()) << "the application did not close by itself";
        EXPECT_EQ(0u, interface_->ExitCode()) << "the user interface did not close by itself";
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProductKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            EXPECT_FALSE(HasValue(root, RunKey, "Brisel Backup 7"));
            EXPECT_FALSE(HasValue(root, RunKey, "Brisel Backup 7 Interface"));
        }
        EXPECT_TRUE(HasValue(allUsers_ ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, RunKey, ForeignRunValue));
        EXPECT_FALSE(PathExists(group_)) << "the program group is still there";
    }

    const std::string& Folder() const { return folder_; }

private:
    ScratchFolder scratch_;
    bool allUsers_;
    std::string folder_, group_, account_, pendingBefore_;
    std::vector<std::string> files_;
    ModuleHandle library_;
    std::unique_ptr<StartedProgram> application_, interface_;
};

// Waits for the uninstaller's next message box, which must come within the time.
HWND WaitForBox(const StartedProgram& Uninstaller)
{
    HWND box = Uninstaller.WaitForWindow("#32770", 30000);
    EXPECT_NE(nullptr, box) << "no message box came";
    if (box) {
        EXPECT_EQ("Brisel Backup 7 Uninstall", WindowText(box));
    }
    return box;
}

} // namespace

TEST(Uninstaller, AllUsersAndLocalSystem_NoChangesNothing_SilentRunRemovesAllButTheUsersFile)
{
    InstalledProduct installed(true, false);
    ASSERT_FALSE(::testing::Test::HasFailure());
    // Another product of the vendor, and a file of the user's own in the product folder.
    CreateRegKey(HKEY_LOCAL_MACHINE, ForeignProductKey, KEY_WRITE);
    installed.WriteFile(installed.Folder() + "my settings.ini");

    {
        StartedProgram uninstaller(installed.UninstallCommand(""));
        HWND question = WaitForBox(uninstaller);
        ASSERT_NE(nullptr, question);
        EXPECT_NE(std::string::npos, MessageBoxText(question).find("Do you want to remove Brisel Backup 7"));
        PressMessageBoxButton(question, IDNO);
        ASSERT_TRUE(uninstaller.WaitForExit(10000));
        EXPECT_EQ(1u, uninstaller.ExitCode());
        installed.ExpectIntact();
    }

    StartedProgram uninstaller(installed.UninstallCommand("-nowarningclose"));
    bool boxShown = false;
    ASSERT_TRUE(WaitUntil(
        [&] {
            boxShown = boxShown || uninstaller.FindWindowOfClass("#32770");
            return uninstaller.WaitForExit(0);
        },
        60000))
        << "the uninstaller did not end";
    EXPECT_FALSE(boxShown) << "-nowarningclose showed a message box";
    EXPECT_EQ(0u, uninstaller.ExitCode());

    installed.ExpectRecordsGone();
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ForeignProductKey)) << "another product's key was removed";
    EXPECT_EQ(std::vector<std::string>(), installed.FilesLeft());
    EXPECT_FALSE(PathExists(installed.Folder() + "bb7uninstall.exe"));
    for (const char* folder : {"Help", "Languages", "Plugins"})
        EXPECT_FALSE(PathExists(installed.Folder() + folder)) << folder;
    EXPECT_TRUE(PathExists(installed.Folder() + "my settings.ini")) << "the user's own file was removed";

    // The running uninstaller moved its file to the temporary folder, to be deleted at restart.
    const auto renames = installed.NewRenames();
    ASSERT_EQ(1u, renames.size());
    EXPECT_EQ("", renames[0].second);
    EXPECT_EQ(0u, renames[0].first.find("\\??\\" + TempFolder())) << renames[0].first;
    EXPECT_TRUE(PathExists(renames[0].first.substr(4)));
}

TEST(Uninstaller, CurrentUserAndNamedAccount_AFileInUseIsReportedAndASecondRunFinishes)
{
    InstalledProduct installed(false, true);
    ASSERT_FALSE(::testing::Test::HasFailure());
    const std::string held = installed.Folder() + "Languages\\English.lng";
    HANDLE inUse = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, inUse);

    {
        StartedProgram uninstaller(installed.UninstallCommand("-nowarning"));
        HWND report = WaitForBox(uninstaller);
        ASSERT_NE(nullptr, report);
        const std::string text = MessageBoxText(report);
        EXPECT_NE(std::string::npos, text.find("could not be removed completely")) << text;
        EXPECT_NE(std::string::npos, text.find(held)) << text;
        PressMessageBoxButton(report, IDOK);
        ASSERT_TRUE(uninstaller.WaitForExit(10000));
        EXPECT_EQ(2u, uninstaller.ExitCode());
    }
    installed.ExpectRecordsGone();
    EXPECT_EQ((std::vector<std::string>{"Languages\\English.lng", "bb7setup.dat", "bb7uninstall.exe"}),
              installed.FilesLeft())
        << "the file in use stays, and the uninstaller with its manifest for a second run";
    EXPECT_TRUE(installed.NewRenames().empty());
    CloseHandle(inUse);

    StartedProgram again(installed.UninstallCommand("-nowarning"));
    HWND report = WaitForBox(again);
    ASSERT_NE(nullptr, report);
    EXPECT_NE(std::string::npos, MessageBoxText(report).find("has been removed from this computer"))
        << MessageBoxText(report);
    PressMessageBoxButton(report, IDOK);
    ASSERT_TRUE(again.WaitForExit(10000));
    EXPECT_EQ(0u, again.ExitCode());
    EXPECT_FALSE(PathExists(installed.Folder())) << "the emptied installation folder stays";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, VendorKey)) << "the vendor key, left empty, stays";
    EXPECT_EQ(1u, installed.NewRenames().size());
}
