// The journal of an upgrade: what it keeps of the earlier version reads back as it was written,
// a journal that is damaged or names anything an upgrade of the product never touches is
// nobody's, and one that names other folders than the installer recorded is set aside.
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
    journal.OldFiles = {{"BriBU.exe", Sha256Of("a", 1)},
                        {"Help\\Images\\logo.png", Sha256Of("b", 1)},
                        {"Languages\\Brazilian Portuguese.lng", Sha256Of("", 0)}};
    journal.Shortcuts = {{0, "README.lnk", Sha256Of("c", 1)}, {2, "Brisel Backup 7.lnk", Sha256Of("d", 1)}};
    journal.Values = {
        {false, ProductKeyPath, PathValue, false, "C:\\Program Files\\Brisel Backup 7\\", 0},
        {false, ProductKeyPath, InstallationTypeValue, true, "", 3},
        {false, UninstallKeyPath, QuietUninstallStringValue, false, "\"C:\\x\\bb7uninstall.exe\" -nowarningclose", 0},
        {true, RunKeyPath, ApplicationRunValue, false, "line\nbreak\\and\rreturn", 0},
    };
    journal.Service = KeptService{"\"C:\\Program Files\\Brisel Backup 7\\BriService.exe\"", ".\\backup",
                                  ServiceDisplayName, 2, true};
    journal.HeldFiles = {"history.txt"};
    journal.Moving = {"Help\\index.htm"};
    journal.NewFolder = "D:\\BB7\\";
    journal.NewFiles = {"BriBU.exe", "bb7setup.dat"};
    journal.StagedFiles = {{"history.txt", Sha256Of("e", 1)}};
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
    EXPECT_EQ(Sha256Of("d", 1), read->Shortcuts[1].Digest);
    ASSERT_EQ(4u, read->Values.size());
    EXPECT_TRUE(read->Values[1].IsNumber && read->Values[1].Number == 3);
    EXPECT_EQ("line\nbreak\\and\rreturn", read->Values[3].Text);
    EXPECT_TRUE(read->Values[3].CurrentUser);
    ASSERT_TRUE(read->Service);
    EXPECT_EQ(".\\backup", read->Service->Account);
    EXPECT_TRUE(read->Service->Running);
    EXPECT_EQ(written.NewFiles, read->NewFiles);
    EXPECT_EQ(written.HeldFiles, read->HeldFiles);
    EXPECT_EQ(written.Moving, read->Moving);
    EXPECT_EQ(written.StagedFiles, read->StagedFiles);

    for (UpgradeState state :
         {UpgradeState::Keeping, UpgradeState::Kept, UpgradeState::Installed, UpgradeState::Restarting}) {
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

    // Each line as it is meant, its backslashes escaped as the journal writes them: what refuses
    // it is the rule, not its form.
    const auto escaped = [](std::string Line) {
        for (size_t at = 0; (at = Line.find('\\', at)) != std::string::npos; at += 2)
            Line.insert(at, 1, '\\');
        return Line;
    };
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    const std::string typeValue = "value\tmachine\t\\SOFTWARE\\Brisel\\Brisel Backup 7\tInstallation type\tdword\t";
    ASSERT_TRUE(ReadJournal(WithLine(text, lines, escaped(typeValue + "3")))) << "the form itself is sound";
    const std::string foreign[] = {
        "file\t..\\..\\Windows\\System32\\evil.dll\t" + std::string(64, '0'), // a file outside the folder
        "file\tC:\\Windows\\win.ini\t" + std::string(64, '0'),                  // an absolute one
        "placed\tHelp\\..\\..\\x",                                              // what the new version placed, outside
        "held\t..\\x.dll",                                                         // a held file, outside
        "moving\tC:\\x.dll",                                                       // a file to move back, outside
        "staged\t..\\x.dll\t" + std::string(64, '0'),                              // a staged one, outside
        "shortcut\t0\tevil.lnk\t" + std::string(64, '0'),                          // a shortcut the product never makes
        "shortcut\t7\tREADME.lnk\t" + std::string(64, '0'),                        // a place that does not exist
        "value\tmachine\t\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\tx\tsz\t1", // another key
        "value\tmachine\t\\SOFTWARE\\Brisel\\Brisel Backup 7\tOther\tsz\t1",                  // another name
        "value\tuser\t\\SOFTWARE\\Brisel\\Brisel Backup 7\tPath\tsz\tC:\\x\\",                // the user's own hive
        typeValue + "3x",                                                             // no number
        typeValue + "99999999999",                                                    // out of range
        typeValue + "4294967296",                                                     // just out of it
        "service\tC:\\Program Files\\Brisel Backup 7\\BriService.exe\t\tBriBackup7\t99999999999\trunning",
        "old\trelative\\folder\\",                                                  // no full path
        "state\tfinished",                                                           // no state of ours
        "unknown\tline",                                                             // no line of ours
        "file\tBriBU.exe",                                                           // a kept file without its digest
        "file\tBriBU.exe\t0123",                                                     // a digest that is none
        "file\tBriBU.exe\t" + std::string(63, '0') + "g",                            // nor is this one
    };
    for (const std::string& line : foreign)
        EXPECT_FALSE(ReadJournal(WithLine(text, lines, escaped(line)))) << line;
    EXPECT_FALSE(ReadJournal(WithLine(text, lines, "file\tbad\\escape\\q"))) << "an escape that is none";

    // The service's program must be the earlier version's own, in its folder.
    UpgradeJournal elsewhere = Example();
    elsewhere.Service->Program = "\"C:\\Users\\Public\\BriService.exe\"";
    EXPECT_FALSE(ReadJournal(JournalText(elsewhere)));
    elsewhere.Service->Program = "c:\\program files\\brisel backup 7\\briservice.exe";
    EXPECT_TRUE(ReadJournal(JournalText(elsewhere))) << "quotes and letter case aside";
    const std::optional<UpgradeJournal> largest = ReadJournal(WithLine(text, lines, escaped(typeValue + "4294967295")));
    ASSERT_TRUE(largest);
    EXPECT_EQ(0xFFFFFFFFu, largest->Values.back().Number) << "the largest number there is";
}

TEST(UpgradeJournal, BelongsOnlyToTheFoldersThatTheInstallerRecorded)
{
    const UpgradeJournal journal = Example(); // the earlier folder in Program Files, the new one D:\BB7
    EXPECT_EQ("", JournalDisagreement(journal, "C:\\Program Files\\Brisel Backup 7", "D:\\BB7\\"));
    EXPECT_EQ("", JournalDisagreement(journal, "c:\\program files\\brisel backup 7\\", "d:\\bb7"))
        << "letter case and the final backslash aside";
    EXPECT_NE("", JournalDisagreement(journal, "C:\\Windows\\System32\\", "D:\\BB7\\"));
    EXPECT_NE("", JournalDisagreement(journal, "C:\\Program Files\\Brisel Backup 7\\", "C:\\Users\\Public\\"));
    EXPECT_NE("", JournalDisagreement(journal, "", "D:\\BB7\\")) << "nothing recorded";
    EXPECT_NE("", JournalDisagreement(journal, "C:\\Program Files\\Brisel Backup 7\\", ""))
        << "a new folder that was never recorded";
    UpgradeJournal kept = journal;
    kept.NewFolder.clear();
    kept.NewFiles.clear();
    EXPECT_EQ("", JournalDisagreement(kept, "C:\\Program Files\\Brisel Backup 7\\", ""))
        << "kept, before the new folder was chosen";
}

} // namespace
