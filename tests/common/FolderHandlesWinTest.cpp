// Folders walked and program groups made and emptied through handles, against the file system
// under Wine: links planted by the host's own ln, as another program would plant them, are
// refused where they stand and what they lead to stays as it was.
#include <gtest/gtest.h>

#include <map>

#include "Common_Custom.h"
#include "FolderHandles_win.h"
#include "ProgramGroup_win.h"
#include "WinTestSupport.h"

namespace {

const ACCESS_MASK ListAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

class FolderHandlesTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateFolderPath(scratch_ / "Real\\Inner"));
        WriteWholeFile(scratch_ / "Real\\Inner\\theirs.txt", "theirs");
        ASSERT_TRUE(MakeHostLink(scratch_ / "Real", scratch_ / "Link"));
    }
    void TearDown() override { RemoveHostLink(scratch_ / "Link"); }

    ScratchFolder scratch_;
};

TEST_F(FolderHandlesTest, APathIsWalkedFromItsRootAndStopsAtALinkAFileOrAMissingLevel)
{
    FolderPath plain = OpenFolderPath(scratch_ / "Real\\Inner", ListAccess);
    EXPECT_EQ(FolderPathState::Opened, plain.State);
    EXPECT_EQ(scratch_ / "Real\\Inner", plain.Deepest);
    ASSERT_TRUE(plain.Folder);

    for (const std::string& behind : {scratch_ / "Link", scratch_ / "Link\\Inner", scratch_ / "Link\\New\\Deeper"}) {
        const FolderPath path = OpenFolderPath(behind, ListAccess);
        EXPECT_EQ(FolderPathState::Link, path.State) << behind;
        EXPECT_EQ(scratch_ / "Link", path.Deepest) << "the link is named, nothing below it was looked at";
    }
    EXPECT_EQ(FolderPathState::NotFolder, OpenFolderPath(scratch_ / "Real\\Inner\\theirs.txt", ListAccess).State);
    EXPECT_EQ(FolderPathState::NotFolder, OpenFolderPath(scratch_ / "Real\\Inner\\theirs.txt\\x", ListAccess).State);
    for (const std::string& other : {std::string(1, MissingDriveLetter()) + ":\\BB7", std::string("Real\\Inner"),
                                     std::string("C:Real"), std::string("\\\\.\\CON")})
        EXPECT_EQ(FolderPathState::Failed, OpenFolderPath(other, ListAccess).State) << other;

    FolderPath missing = OpenFolderPath(scratch_ / "Real\\New\\Deeper", ListAccess);
    ASSERT_EQ(FolderPathState::Missing, missing.State);
    EXPECT_EQ(scratch_ / "Real", missing.Deepest);
    EXPECT_EQ((std::vector<std::wstring>{L"New", L"Deeper"}), missing.Missing);
    ASSERT_TRUE(CreateMissingFolders(missing, ListAccess, nullptr));
    EXPECT_EQ(FolderPathState::Opened, missing.State);
    EXPECT_TRUE(FolderPresent(scratch_ / "Real\\New\\Deeper"));

    // A level that somebody made between the walk and the creation is nobody's to take.
    FolderPath raced = OpenFolderPath(scratch_ / "Real\\Raced", ListAccess);
    ASSERT_EQ(FolderPathState::Missing, raced.State);
    ASSERT_TRUE(CreateDirectoryA((scratch_ / "Real\\Raced").c_str(), nullptr));
    EXPECT_FALSE(CreateMissingFolders(raced, ListAccess, nullptr));
}

TEST_F(FolderHandlesTest, AHeldFolderCannotBeRenamedOrDeleted)
{
    ASSERT_TRUE(CreateDirectoryA((scratch_ / "Held").c_str(), nullptr));
    {
        FolderPath held = OpenFolderPath(scratch_ / "Held", ListAccess);
        ASSERT_EQ(FolderPathState::Opened, held.State);
        EXPECT_FALSE(MoveFileA((scratch_ / "Held").c_str(), (scratch_ / "Moved").c_str()));
        EXPECT_FALSE(RemoveDirectoryA((scratch_ / "Held").c_str()));
        WriteWholeFile(scratch_ / "Held\\new.txt", "written while held");
        EXPECT_TRUE(FilePresent(scratch_ / "Held\\new.txt")) << "what is in it is written as before";
    }
    EXPECT_TRUE(MoveFileA((scratch_ / "Held").c_str(), (scratch_ / "Moved").c_str())) << "let go";
}

TEST_F(FolderHandlesTest, EntriesAreListedAndOpenedByNameAndLinksShowAsLinks)
{
    ASSERT_TRUE(CreateHardLinkA((scratch_ / "Real\\second.txt").c_str(), (scratch_ / "Real\\Inner\\theirs.txt").c_str(),
                                nullptr));
    WriteWholeFile(scratch_ / "plain.txt", "plain");
    FolderPath top = OpenFolderPath(scratch_.Path(), ListAccess);
    ASSERT_TRUE(top.Folder);
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(top.Folder.Get(), entries));
    std::map<std::string, DWORD> listed;
    for (const FolderEntry& entry : entries)
        listed[entry.AnsiName] = entry.Attributes;
    ASSERT_EQ(3u, listed.size()) << "without . and ..";
    EXPECT_TRUE(listed["Link"] & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_TRUE((listed["Real"] & FILE_ATTRIBUTE_DIRECTORY) && !(listed["Real"] & FILE_ATTRIBUTE_REPARSE_POINT));

    FileHandle plain =
        OpenEntry(top.Folder.Get(), L"plain.txt", FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN, EntryKind::File);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(IsLinkedEntry(plain.Get(), scratch_ / "plain.txt"));
    FileHandle link =
        OpenEntry(top.Folder.Get(), L"Link", FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN, EntryKind::Any);
    ASSERT_TRUE(link);
    EXPECT_TRUE(IsLinkedEntry(link.Get(), scratch_ / "Link"));
    FileHandle hard = OpenEntry(OpenFolderPath(scratch_ / "Real", ListAccess).Folder.Get(), L"second.txt",
                                FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN, EntryKind::File);
    ASSERT_TRUE(hard);
    EXPECT_TRUE(IsLinkedEntry(hard.Get())) << "a file with another name elsewhere";
    EXPECT_FALSE(
        OpenEntry(top.Folder.Get(), L"plain.txt", FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN, EntryKind::Folder));
    for (const wchar_t* name : {L"Real\\Inner", L"..", L".", L"", L"plain.txt:stream", L"Real/Inner"})
        EXPECT_FALSE(
            OpenEntry(top.Folder.Get(), name, FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN, EntryKind::Any))
            << "one name, inside the folder";
    EXPECT_TRUE(KeepsPermissions(top.Folder.Get())) << "drive C: of the prefix";
}

TEST_F(FolderHandlesTest, AHeldEntryIsDeletedReadOnlyOrNotButAFolderOnlyWhenEmpty)
{
    WriteWholeFile(scratch_ / "locked.txt", "read only");
    ASSERT_TRUE(SetFileAttributesA((scratch_ / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    FolderPath top = OpenFolderPath(scratch_.Path(), ListAccess);
    {
        FileHandle file =
            OpenEntry(top.Folder.Get(), L"locked.txt", DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                      FILE_SHARE_READ, FILE_OPEN, EntryKind::File);
        ASSERT_TRUE(file);
        EXPECT_TRUE(DeleteHeldEntry(file.Get()));
    }
    EXPECT_FALSE(FilePresent(scratch_ / "locked.txt"));
    FileHandle full = OpenEntry(top.Folder.Get(), L"Real", DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN,
                                EntryKind::Folder);
    ASSERT_TRUE(full);
    EXPECT_FALSE(DeleteHeldEntry(full.Get()));
    full.Reset();
    EXPECT_TRUE(FilePresent(scratch_ / "Real\\Inner\\theirs.txt"));
}

TEST_F(FolderHandlesTest, AProgramGroupIsMadeAndEmptiedOnlyWhereNoLinkLeadsToIt)
{
    const std::vector<std::string> shortcuts = {"README.lnk", "Uninstall.lnk"};
    ASSERT_TRUE(CreateDirectoryA((scratch_ / "Programs").c_str(), nullptr));
    FileHandle group;
    ASSERT_EQ(GroupMade::Made, MakeProgramGroup(scratch_ / "Programs", "Brisel Backup 7", group));
    EXPECT_TRUE(WriteGroupFile(group.Get(), "README.lnk", "shortcut"));
    EXPECT_FALSE(WriteGroupFile(group.Get(), "README.lnk", "again")) << "only files made anew";
    EXPECT_TRUE(WriteGroupFile(group.Get(), "Uninstall.lnk", ""));
    group.Reset();
    EXPECT_EQ("shortcut", ReadWholeFile(scratch_ / "Programs\\Brisel Backup 7\\README.lnk"));
    EXPECT_EQ(GroupMade::NotMade, MakeProgramGroup(scratch_ / "Programs", "Brisel Backup 7", group))
        << "a group that is there already";
    EXPECT_EQ(GroupMade::NotMade, MakeProgramGroup(scratch_ / "Missing", "Brisel Backup 7", group));

    // Behind a link nothing is made, nor deleted; what the link leads to stays whole.
    EXPECT_EQ(GroupMade::BehindLink, MakeProgramGroup(scratch_ / "Link\\Inner", "Brisel Backup 7", group));
    EXPECT_FALSE(FolderPresent(scratch_ / "Real\\Inner\\Brisel Backup 7"));
    WriteWholeFile(scratch_ / "Real\\Inner\\README.lnk", "theirs");
    ASSERT_TRUE(MakeHostLink(scratch_ / "Real\\Inner", scratch_ / "Programs\\Linked"));
    for (const std::string& behind : {scratch_ / "Programs\\Linked", scratch_ / "Link\\Inner"}) {
        const GroupRemoval removal = RemoveProgramGroup(behind, shortcuts);
        EXPECT_TRUE(removal.BehindLink) << behind;
        EXPECT_TRUE(removal.Left.empty() && removal.Unlinked.empty() && !removal.FolderLeft);
    }
    EXPECT_EQ("theirs", ReadWholeFile(scratch_ / "Real\\Inner\\README.lnk"));
    RemoveHostLink(scratch_ / "Programs\\Linked");

    // A group of its own goes with its shortcuts; one that holds something else stays for it.
    GroupRemoval removal = RemoveProgramGroup(scratch_ / "Programs\\Brisel Backup 7", shortcuts);
    EXPECT_FALSE(removal.BehindLink || removal.FolderLeft);
    EXPECT_TRUE(removal.Left.empty());
    EXPECT_FALSE(FolderPresent(scratch_ / "Programs\\Brisel Backup 7"));
    ASSERT_EQ(GroupMade::Made, MakeProgramGroup(scratch_ / "Programs", "Brisel Backup 7", group));
    ASSERT_TRUE(WriteGroupFile(group.Get(), "README.lnk", "shortcut") && WriteGroupFile(group.Get(), "mine.txt", "x"));
    group.Reset();
    removal = RemoveProgramGroup(scratch_ / "Programs\\Brisel Backup 7", shortcuts);
    EXPECT_FALSE(removal.FolderLeft);
    EXPECT_FALSE(FilePresent(scratch_ / "Programs\\Brisel Backup 7\\README.lnk"));
    EXPECT_TRUE(FilePresent(scratch_ / "Programs\\Brisel Backup 7\\mine.txt"));
}

} // namespace
