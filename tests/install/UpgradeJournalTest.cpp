// The journal of an upgrade: what it keeps of the earlier version reads back as it was written,
// and a journal that names anything an upgrade of the product never touches is nobody's.
#include <gtest/gtest.h>

#include <algorithm>

#include "Product.h"
#include "UpgradeJournal.h"

namespace {

UpgradeJournal Example()
{
    UpgradeJournal journal;
    journal.State = UpgradeState::Installing;
    journal.OldFolder = "C:\\Program Files\\Brisel Backup 7\\";
    journal.OldFiles = {"BriBU.exe", "Help\\Images\\logo.png", "Languages\\Brazilian Portuguese.lng"};
    journal.Shortcuts = {{0, "README.lnk"}, {2, "Brisel Backup 7.lnk"}};
    journal.Values = {
        {false, ProductKeyPath, PathValue, false, "C:\\Program Files\\Brisel Backup 7\\", 0},
        {false, ProductKeyPath, InstallationTypeValue, true, "", 3},
        {false, UninstallKeyPath, QuietUninstallStringValue, false, "\"C:\\x\\bb7uninstall.exe\" -nowarningclose", 0},
        {true, RunKeyPath, ApplicationRunValue, false, "line\nbreak\\and\rreturn", 0},
    };
    journal.Service = KeptService{"\"C:\\Program Files\\Brisel Backup 7\\BriService.exe\"", ".\\backup",
                                  ServiceDisplayName, 2, true};
    journal.NewFolder = "D:\\BB7\\";
    journal.NewFiles = {"BriBU.exe", "bb7setup.dat"};
    return journal;
}

// The journal's text with one line replaced (or added when Line is past the end).
std::string WithLine(const std::string& Text, size_t Line, const std::string& Replacement)
{
    std::string result;
    size_t start = 0, index = 0;
    for (size_t end; (end = Text.find('\n', start)) != std::string::npos; start = end + 1, ++index)
        result += (index == Line ? Replacement : Text.substr(start, end - start)) + "\n";
    return index <= Line ? result + Replacement + "\n" : result;
}

TEST(UpgradeJournal, ReadsBackWhatWasWrittenWhateverTheTextsHold)
{
    const UpgradeJournal written = Example();
    const std::optional<UpgradeJournal> read = ReadJournal(JournalText(written));
    ASSERT_TRUE(read);
    EXPECT_EQ(UpgradeState::Installing, read->State);
    EXPECT_EQ(written.OldFolder, read->OldFolder);
    EXPECT_EQ(written.OldFiles, read->OldFiles);
    ASSERT_EQ(2u, read->Shortcuts.size());
    EXPECT_EQ(2, read->Shortcuts[1].Place);
    ASSERT_EQ(4u, read->Values.size());
    EXPECT_TRUE(read->Values[1].IsNumber && read->Values[1].Number == 3);
    EXPECT_EQ("line\nbreak\\and\rreturn", read->Values[3].Text);
    EXPECT_TRUE(read->Values[3].CurrentUser);
    ASSERT_TRUE(read->Service);
    EXPECT_EQ(".\\backup", read->Service->Account);
    EXPECT_TRUE(read->Service->Running);
    EXPECT_EQ(written.NewFiles, read->NewFiles);

    for (UpgradeState state : {UpgradeState::Keeping, UpgradeState::Kept, UpgradeState::Installed}) {
        UpgradeJournal other = written;
        other.State = state;
        EXPECT_EQ(state, ReadJournal(JournalText(other))->State);
    }
}

TEST(UpgradeJournal, NothingOutsideWhatAnUpgradeTouchesIsTakenFromIt)
{
    const std::string text = JournalText(Example());
    ASSERT_TRUE(ReadJournal(text));
    EXPECT_FALSE(ReadJournal(text.substr(0, text.size() - 1))) << "cut short in its last line";
    EXPECT_FALSE(ReadJournal("")) << "empty";
    EXPECT_FALSE(ReadJournal("some other file\n"));

    const char* const foreign[] = {
        "file\t..\\..\\Windows\\System32\\evil.dll",          // a file outside the folder
        "file\tC:\\Windows\\win.ini",                          // an absolute one
        "placed\tHelp\\..\\..\\x",                             // what the new version placed, outside
        "shortcut\t0\tevil.lnk",                               // a shortcut the product never makes
        "shortcut\t7\tREADME.lnk",                             // a place that does not exist
        "value\tmachine\t\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\tx\tsz\t1", // another key
        "value\tmachine\t\\SOFTWARE\\Brisel\\Brisel Backup 7\tOther\tsz\t1",                  // another name
        "value\tuser\t\\SOFTWARE\\Brisel\\Brisel Backup 7\tPath\tsz\tC:\\x\\",                // the user's own hive
        "value\tmachine\t\\SOFTWARE\\Brisel\\Brisel Backup 7\tInstallation type\tdword\t3x",  // no number
        "old\trelative\\folder\\",                             // no full path
        "state\tfinished",                                     // no state of ours
        "unknown\tline",                                       // no line of ours
        "file\tbad\\escape\\q",                                // an escape that is none
    };
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    for (const char* line : foreign)
        EXPECT_FALSE(ReadJournal(WithLine(text, lines, line))) << line;

    // The service's program must be the earlier version's own, in its folder.
    UpgradeJournal elsewhere = Example();
    elsewhere.Service->Program = "\"C:\\Users\\Public\\BriService.exe\"";
    EXPECT_FALSE(ReadJournal(JournalText(elsewhere)));
    elsewhere.Service->Program = "c:\\program files\\brisel backup 7\\briservice.exe";
    EXPECT_TRUE(ReadJournal(JournalText(elsewhere))) << "quotes and letter case aside";
}

} // namespace
