// What an installation folder that exists already may hold when the installer takes it.
#include <gtest/gtest.h>

#include "FoundFolder.h"

namespace {

const std::vector<std::string> Manifest = {"BriService.exe", "Help\\index.htm", "Plugins\\Zip.dll", "LICENSE.TXT"};

FoundEntryVerdict Judge(const std::string& Path, FoundFolderKind Kind, bool Folder = false, bool Link = false)
{
    return JudgeFoundEntry({Path, Folder, Link}, Kind, Manifest);
}

} // namespace

TEST(FoundFolder, CodeIsKnownByWhatWindowsRunsOrLoadsAndWhatRedirectsItsLibraries)
{
    for (const char* code : {"version.dll", "Tools\\RUN.EXE", "a.b.Cpl", "x.scr", "setup.msi", "go.cmd", "s.PS1",
                             "BriService.exe.local", "BriService.exe.manifest", "filter.ax", "Help/page.hta"})
        EXPECT_TRUE(IsProgramOrLibrary(code)) << code;
    for (const char* data : {"notes.txt", "backup.zip", "exe", "dll", "Help\\index.htm", "readme.exe.txt", "a.dl",
                             "Programs.exe\\inside.txt", ""})
        EXPECT_FALSE(IsProgramOrLibrary(data)) << data;
}

TEST(FoundFolder, AForeignFolderKeepsDataLosesWhatTheInstallationWritesAndRefusesLinksAndCode)
{
    const FoundFolderKind foreign = FoundFolderKind::Foreign;
    EXPECT_EQ(FoundEntryVerdict::Keep, Judge("notes.txt", foreign));
    EXPECT_EQ(FoundEntryVerdict::Keep, Judge("Help", foreign, true)) << "a folder of the product's";
    EXPECT_EQ(FoundEntryVerdict::Keep, Judge("Data\\2024", foreign, true));
    // Its own file at a name the installation writes would stay there if that copy failed.
    EXPECT_EQ(FoundEntryVerdict::Replace, Judge("BriService.exe", foreign));
    EXPECT_EQ(FoundEntryVerdict::Replace, Judge("help/INDEX.HTM", foreign)) << "as Windows matches names";
    EXPECT_EQ(FoundEntryVerdict::Replace, Judge("Plugins\\zip.DLL", foreign));
    EXPECT_EQ(FoundEntryVerdict::ForeignProgram, Judge("version.dll", foreign));
    EXPECT_EQ(FoundEntryVerdict::ForeignProgram, Judge("Plugins\\Evil.dll", foreign));
    EXPECT_EQ(FoundEntryVerdict::ForeignProgram, Judge("BriService.exe.local", foreign, true)) << "a folder too";
    EXPECT_EQ(FoundEntryVerdict::Keep, Judge("Help\\index.htm", foreign, true))
        << "a folder at a file's name is no file to replace: its copy fails";
    EXPECT_EQ(FoundEntryVerdict::Link, Judge("Help", foreign, true, true));
    EXPECT_EQ(FoundEntryVerdict::Link, Judge("LICENSE.TXT", foreign, false, true)) << "a link, whatever its name";
}

TEST(FoundFolder, TheEarlierInstallationsFolderKeepsWhatItsUninstallerLeftButNoLink)
{
    const FoundFolderKind earlier = FoundFolderKind::EarlierInstallation;
    EXPECT_EQ(FoundEntryVerdict::Keep, Judge("Plugins\\MyPlugin.dll", earlier)) << "a user's plug-in";
    EXPECT_EQ(FoundEntryVerdict::Keep, Judge("BriService.exe", earlier));
    EXPECT_EQ(FoundEntryVerdict::Keep, Judge("notes.txt", earlier));
    EXPECT_EQ(FoundEntryVerdict::Link, Judge("Help", earlier, true, true));
    EXPECT_EQ(FoundEntryVerdict::Link, Judge("notes.txt", earlier, false, true));
}

TEST(FoundFolder, TheRefusalNamesTheFolderAsTypedAndWhatRefusedIt)
{
    EXPECT_EQ("The directory C:\\BB7 is or holds a link to another place. Choose another directory.",
              FoundFolderRefusal("C:\\BB7", FoundEntryVerdict::Link));
    EXPECT_EQ("The directory c:/bb7 holds programs that are not part of Brisel Backup 7. Choose another directory.",
              FoundFolderRefusal("c:/bb7", FoundEntryVerdict::ForeignProgram));
    EXPECT_EQ("The directory D:\\X could not be protected against changes by other users. Choose another directory.",
              FoundFolderRefusal("D:\\X", FoundEntryVerdict::Keep));
}
