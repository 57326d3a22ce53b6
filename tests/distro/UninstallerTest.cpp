// bb7uninstall.exe on what an installation leaves: the files of the manifest, the records, the
// Run entries, the program group, the service (registered through BriNT.dll as the installer
// does) and the running programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "ProductTestSupport.h"
#include "Registry.h"
#include "BriCommon.h"
#include "ServiceLibrary.h"
#include "UninstallPlan.h"

namespace {

const char* const ProductKey = "SOFTWARE\\Brisel\\Brisel Backup 7";
const char* const OtherProductKey = "SOFTWARE\\Brisel\\Another Product";
const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BriBackup7";
const char* const RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const SessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const OtherRunValue = "Bb7 Uninstaller Test";

std::string Account() // ".\" and the current user's name
{
    char user[256] = {};
    DWORD size = sizeof(user);
    GetUserNameA(user, &size);
    return std::string(".\\") + user;
}

bool KeyExists(const char* Path)
{
    return static_cast<bool>(OpenRegKey(HKEY_LOCAL_MACHINE, Path, KEY_READ));
}

// The renames at the next restart, as the REG_MULTI_SZ bytes (empty when there are none) and as
// their strings: each source followed by its target.
std::string PendingRenames()
{
    RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, SessionManager, KEY_READ);
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return {};
    std::string data(size, '\0');
    RegQueryValueExA(key.Get(), "PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]),
                     &size);
    return data.substr(0, size);
}
std::vector<std::string> Strings(const std::string& MultiString)
{
    std::vector<std::string> strings;
    for (size_t at = 0; at < MultiString.size(); at += strings.back().size() + 1)
        strings.emplace_back(MultiString.c_str() + at);
    return strings;
}

// The staged product installed in a scratch folder as the installer installs it: for all users
// with a LocalSystem service, or for the current user with the service under the user's account
// (the account made for the test would be NetUserAdd's, but Wine's keeps it in the calling process).
class Installation {
public:
    explicit Installation(bool AllUsers) : root_(AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER)
    {
        CreateDirectoryA(folder_.c_str(), nullptr);
        for (const std::string& line : SplitTextLines(ReadWholeFile(StagedProduct() + "bb7setup.dat"))) {
            CreateDirectoryA((folder_ + line.substr(0, line.rfind('\\') + 1)).c_str(), nullptr);
            if (CopyFileA((StagedProduct() + line).c_str(), (folder_ + line).c_str(), FALSE))
                files_.push_back(line);
        }
        RegKey product = CreateRegKey(HKEY_LOCAL_MACHINE, ProductKey, KEY_WRITE);
        WriteRegString(product.Get(), "Path", folder_);
        WriteRegDword(product.Get(), "Installation type", AllUsers ? 3 : 1);
        RegKey uninstall = CreateRegKey(HKEY_LOCAL_MACHINE, UninstallKey, KEY_WRITE);
        WriteRegString(uninstall.Get(), "DisplayName", "Brisel Backup 7");
        WriteRegString(uninstall.Get(), "UninstallString", folder_ + "bb7uninstall.exe");
        RegKey run = CreateRegKey(root_, RunKey, KEY_WRITE);
        WriteRegString(run.Get(), AllUsers ? "Brisel Backup 7 Interface" : "Brisel Backup 7", folder_ + "briui.exe");
        WriteRegString(run.Get(), OtherRunValue, "C:\\Other\\other.exe");
        RegKey shell =
            OpenRegKey(root_, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", KEY_READ);
        group_ =
            ReadRegString(shell.Get(), AllUsers ? "Common Programs" : "Programs").value_or("C:") + "\\Brisel Backup 7";
        CreateDirectoryA(group_.c_str(), nullptr);
        for (const char* shortcut : {"README.lnk", "Uninstall.lnk", "Brisel Backup 7.lnk"})
            CloseHandle(
                CreateFileA((group_ + "\\" + shortcut).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));

        // The service, through the library of the unpacked product as the installer calls it:
        // first under LocalSystem, with junk above the account kind's low byte; for the current
        // user the registered service then takes the user's account.
        ModuleHandle library(LoadLibraryA((StagedProduct() + ServiceLibraryFile).c_str()));
        auto install = ModuleExport<TInstallAService>(library.Get(), InstallAServiceName);
        auto installWide = ModuleExport<int32_t(__stdcall*)(const char*, const char*, const char*, const char*,
                                                            const char*, uint32_t)>(library.Get(), InstallAServiceName);
        auto start = ModuleExport<TStartAService>(library.Get(), StartAServiceName);
        EXPECT_EQ(1, installWide("BriBackup7", "Brisel Backup 7 service", folder_.c_str(), Account().c_str(), "pw",
                                 0xABCDEF00u));
        EXPECT_EQ("LocalSystem", QueryService("BriBackup7").Account);
        if (!AllUsers) {
            EXPECT_EQ(1,
                      ModuleExport<TAddLogonAsAService>(library.Get(), AddLogonAsAServiceName)(Account().c_str() + 2));
            EXPECT_EQ(1, install("BriBackup7", "Brisel Backup 7 service", folder_.c_str(), Account().c_str(), "pw", 1));
            EXPECT_EQ(Account(), QueryService("BriBackup7").Account);
        }
        EXPECT_EQ(1, start("BriBackup7"));
        EXPECT_EQ(1, start("BriBackup7")) << "a running service counts as started";
        const ServiceFacts service = QueryService("BriBackup7");
        EXPECT_EQ('"' + folder_ + "BriService.exe\"", service.Command) << "not quoted, though the folder has a blank";
        EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), service.StartType);
        EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), service.State) << "StartAService returned before it ran";
        application_.emplace('"' + folder_ + "BriBU.exe\"");
        interface_.emplace('"' + folder_ + "briui.exe\" -service");
        EXPECT_TRUE(application_->Window("TBriBUForm", 10000) && interface_->Window("TBriUIForm", 10000));
    }
    ~Installation()
    {
        RemoveTestService("BriBackup7");
        for (const char* key : {ProductKey, OtherProductKey, "SOFTWARE\\Brisel", UninstallKey})
            DeleteRegKey(HKEY_LOCAL_MACHINE, key);
        RegKey run = OpenRegKey(root_, RunKey, KEY_WRITE);
        for (const char* name : {"Brisel Backup 7", "Brisel Backup 7 Interface", OtherRunValue})
            DeleteRegValue(run.Get(), name);
        RemoveTree(group_);
        // The uninstaller's own file, moved away to be deleted at the next restart, goes now.
        for (const std::string& moved : NewRenames())
            if (moved.compare(0, 4, "\\??\\") == 0)
                DeleteFileA(moved.substr(4).c_str());
        RegKey session = OpenRegKey(HKEY_LOCAL_MACHINE, SessionManager, KEY_WRITE);
        if (pendingBefore_.empty())
            DeleteRegValue(session.Get(), "PendingFileRenameOperations");
        else
            RegSetValueExA(session.Get(), "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                           reinterpret_cast<const BYTE*>(pendingBefore_.data()),
                           static_cast<DWORD>(pendingBefore_.size()));
    }

    std::string Uninstall(const char* Switch) const { return '"' + folder_ + "bb7uninstall.exe\" " + Switch; }
    std::vector<std::string> NewRenames() const // their sources
    {
        std::vector<std::string> added, before = Strings(pendingBefore_);
        for (const std::string& item : Strings(PendingRenames()))
            if (!item.empty() && std::find(before.begin(), before.end(), item) == before.end())
                added.push_back(item);
        return added;
    }
    std::vector<std::string> FilesLeft() const
    {
        std::vector<std::string> left;
        std::copy_if(files_.begin(), files_.end(), std::back_inserter(left),
                     [&](const std::string& File) { return PathExists(folder_ + File); });
        return left;
    }
    // The records, the group, the service and the programs are gone; another program's Run
    // entry is not.
    void ExpectRecordsGone() const
    {
        EXPECT_FALSE(QueryService("BriBackup7").Exists);
        EXPECT_TRUE(application_->WaitForExit(0) && interface_->WaitForExit(0)) << "a product program still runs";
        EXPECT_EQ(0u, application_->ExitCode() | interface_->ExitCode()) << "a program did not close by itself";
        EXPECT_FALSE(KeyExists(ProductKey) || KeyExists(UninstallKey) || PathExists(group_));
        EXPECT_EQ(std::vector<std::string>{OtherRunValue}, RegValueNames(OpenRegKey(root_, RunKey, KEY_READ).Get()));
    }

    ScratchFolder scratch_;
    const std::string folder_ = scratch_ / "Brisel Backup 7\\";
    const std::string pendingBefore_ = PendingRenames();
    HKEY root_;
    std::string group_;
    std::vector<std::string> files_;
    std::optional<StartedProgram> application_, interface_;
};

// Answers the uninstaller's next message box and returns its text.
std::string Answer(const StartedProgram& Uninstaller, int Button)
{
    HWND box = Uninstaller.Window("#32770", 30000);
    EXPECT_EQ("Brisel Backup 7 Uninstall", box ? WindowText(box) : "no message box came");
    const std::string text = BoxText(box);
    PressButton(box, Button);
    EXPECT_TRUE(Uninstaller.WaitForExit(30000));
    return text;
}

} // namespace

TEST(Uninstaller, ForAllUsers_NoChangesNothing_SilentRemovalKeepsTheUsersFileAndAnotherProduct)
{
    Installation installed(true);
    ASSERT_FALSE(::testing::Test::HasFailure());
    CreateRegKey(HKEY_LOCAL_MACHINE, OtherProductKey, KEY_WRITE);
    CloseHandle(
        CreateFileA((installed.folder_ + "my notes.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));

    StartedProgram asking(installed.Uninstall(""));
    EXPECT_NE(std::string::npos, Answer(asking, IDNO).find("Do you want to remove Brisel Backup 7"));
    EXPECT_EQ(1u, asking.ExitCode());
    EXPECT_EQ(installed.files_, installed.FilesLeft());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), QueryService("BriBackup7").State);
    EXPECT_FALSE(installed.application_->WaitForExit(0)) << "No closed the application";
    EXPECT_TRUE(KeyExists(ProductKey) && KeyExists(UninstallKey) && PathExists(installed.group_));

    StartedProgram silent(installed.Uninstall("-nowarningclose"));
    bool boxShown = false;
    ASSERT_TRUE(WaitUntil([&] { return (boxShown |= silent.Window("#32770") != nullptr), silent.WaitForExit(0); },
                          std::chrono::milliseconds(60000)));
    EXPECT_FALSE(boxShown) << "-nowarningclose showed a message box";
    EXPECT_EQ(0u, silent.ExitCode());
    installed.ExpectRecordsGone();
    EXPECT_TRUE(KeyExists(OtherProductKey)) << "another product's key went";
    EXPECT_EQ(std::vector<std::string>(), installed.FilesLeft());
    for (const char* left : {"Help", "Languages", "Plugins", "bb7uninstall.exe"})
        EXPECT_FALSE(PathExists(installed.folder_ + left)) << left;
    EXPECT_TRUE(PathExists(installed.folder_ + "my notes.txt")) << "the user's own file went";
    // The running uninstaller's file: moved into the temporary folder, deleted there at restart.
    const std::vector<std::string> renames = installed.NewRenames();
    ASSERT_EQ(1u, renames.size());
    EXPECT_EQ(0u, renames[0].find("\\??\\" + TempFolder() + "bb7")) << renames[0];
    EXPECT_TRUE(PathExists(renames[0].substr(4)));
}

TEST(Uninstaller, ForTheCurrentUser_AFileInUseIsReported_TheSecondRunFinishes)
{
    Installation installed(false);
    ASSERT_FALSE(::testing::Test::HasFailure());
    const std::string held = installed.folder_ + "Languages\\English.lng";
    ObjectHandle inUse(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));

    StartedProgram first(installed.Uninstall("-nowarning")); // no question: the first box is the report
    const std::string report = Answer(first, IDOK);
    EXPECT_NE(std::string::npos, report.find("could not be removed completely")) << report;
    EXPECT_NE(std::string::npos, report.find(held)) << report;
    EXPECT_EQ(2u, first.ExitCode());
    installed.ExpectRecordsGone();
    EXPECT_EQ((std::vector<std::string>{"Languages\\English.lng", "bb7setup.dat", "bb7uninstall.exe"}),
              installed.FilesLeft())
        << "the uninstaller and its manifest stay for a second run";
    EXPECT_TRUE(installed.NewRenames().empty());

    inUse.Reset();
    StartedProgram second(installed.Uninstall("-nowarning"));
    EXPECT_NE(std::string::npos, Answer(second, IDOK).find("has been removed from this computer"));
    EXPECT_EQ(0u, second.ExitCode());
    EXPECT_FALSE(PathExists(installed.folder_)) << "the emptied installation folder stays";
    EXPECT_FALSE(KeyExists("SOFTWARE\\Brisel")) << "the vendor key, left empty, stays";
    EXPECT_EQ(1u, installed.NewRenames().size());
}

TEST(Uninstaller, AFolderThatIsALinkIsNotEnteredAndWhatItLeadsToStaysWhole)
{
    Installation installed(true);
    ASSERT_FALSE(::testing::Test::HasFailure());
    // Somebody who could write to the installation folder put a link in place of its "Help"
    // folder, to a folder of files of the same names.
    ScratchFolder elsewhere;
    ASSERT_TRUE(CreateDirectoryA((elsewhere / "Images").c_str(), nullptr));
    WriteWholeFile(elsewhere / "index.htm", "theirs");
    WriteWholeFile(elsewhere / "Images\\logo.png", "their picture");
    const std::string help = installed.folder_ + "Help";
    RemoveTree(help);
    ASSERT_TRUE(MakeHostLink(elsewhere.Path(), help));
    ASSERT_TRUE(IsLink(help));
    ASSERT_EQ("theirs", ReadWholeFile(help + "\\index.htm"));

    StartedProgram uninstaller(installed.Uninstall("-nowarning"));
    const std::string report = Answer(uninstaller, IDOK);
    EXPECT_EQ(0u, uninstaller.ExitCode()) << report;
    EXPECT_NE(std::string::npos, report.find("has been removed from this computer")) << report;
    // Listed as kept: on Windows the link itself goes; Wine removes nothing of a symbolic link
    // without acting on what it leads to, and the link stays there.
    EXPECT_NE(std::string::npos,
              report.find("Kept:\n  " + std::string(IsLink(help) ? "the link " : "what the link ") + help))
        << report;
    EXPECT_EQ("theirs", ReadWholeFile(elsewhere / "index.htm"));
    EXPECT_EQ("their picture", ReadWholeFile(elsewhere / "Images\\logo.png"));
    EXPECT_TRUE(FolderPresent(elsewhere / "Images"));
    installed.ExpectRecordsGone();
    std::vector<std::string> left = installed.FilesLeft();
    left.erase(
        std::remove_if(left.begin(), left.end(), [](const std::string& File) { return LiesWithin(File, "Help"); }),
        left.end());
    EXPECT_EQ(std::vector<std::string>(), left) << "every other file of the installation went";
}

TEST(ServiceLibrary, WhatTheSystemRefusesStaysAFailure)
{
    ModuleHandle library(LoadLibraryA((StagedProduct() + ServiceLibraryFile).c_str()));
    auto addLogon = ModuleExport<TAddLogonAsAService>(library.Get(), AddLogonAsAServiceName);
    auto install = ModuleExport<TInstallAService>(library.Get(), InstallAServiceName);
    auto start = ModuleExport<TStartAService>(library.Get(), StartAServiceName);
    ASSERT_TRUE(addLogon && install && start);
    const std::string name = UniqueTestName("Bb7ServiceTest"), missing = TempFolder() + name + "\\";
    // Wine's LsaAddAccountRights stores nothing and reports success (1 for the installation above),
    // which is passed on; an account that the system does not know fails before the LSA is asked.
    EXPECT_EQ(0, addLogon("bb7-no-such-account"));
    EXPECT_EQ(0, install(name.c_str(), name.c_str(), missing.c_str(), ".\\bb7-no-such-account", "pw", 1));
    EXPECT_EQ(0, install(name.c_str(), name.c_str(), missing.c_str(), "", "", 2)) << "there is no account kind 2";
    EXPECT_EQ(0, start(name.c_str())) << "there is no such service";
    // Registered, but its program is missing: the service manager cannot start it.
    ASSERT_EQ(1, install(name.c_str(), name.c_str(), missing.c_str(), "", "", 0));
    EXPECT_EQ(0, start(name.c_str()));
    RemoveTestService(name);
}
