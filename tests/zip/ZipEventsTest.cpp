// Events of the extraction run: their order and arguments, cancel requests, vetoes, the
// name and attribute changes of OnExtractFile, and the process-wide lock.
#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "TestZipWriter.h"
#include "ZipTestSupport.h"

using ziptest::ReaderTest;
using ziptest::ReadFile;

namespace {

TestArchive TwoFilesAndAFolder()
{
    TestArchive a;
    TestEntry one;
    one.Name = "Distro/one.txt";
    one.Data = std::string(1500000, 'o'); // compresses into one chunk
    TestEntry two;
    two.Name = "Distro/Help/two.bin";
    two.Method = 0;
    two.Data = std::string(1500000, 't'); // stored: two chunks
    TestEntry folder;
    folder.Name = "Distro/Help/";
    folder.Method = 0;
    folder.ExternalAttributes = 0x10;
    a.Entries = {one, two, folder};
    return a;
}

const char* PhaseName(TZAProgressPhase Phase)
{
    return Phase == ppStart ? "start" : Phase == ppProcess ? "process" : "end";
}

// Writes every event as one line; Cancel answers come from CancelAt (a line to cancel at).
struct EventLog {
    std::vector<std::string> Lines;
    std::string CancelAt;

    void Attach(TZipArchive& Zip)
    {
        Zip.OnOverallProgress = [this](TZABaseArchiver*, double Progress, TZAProcessOperation Operation,
                                       TZAProgressPhase Phase, bool& Cancel) {
            EXPECT_EQ(poExtract, Operation);
            EXPECT_FALSE(Cancel);
            Add(std::string("overall ") + PhaseName(Phase) + " " + Percent(Progress), Cancel);
        };
        Zip.OnFileProgress = [this](TZABaseArchiver*, const std::string& FileName, double Progress,
                                    TZAProcessOperation Operation, TZAProgressPhase Phase, bool& Cancel) {
            EXPECT_EQ(poExtract, Operation);
            EXPECT_FALSE(Cancel);
            Add("file " + FileName + " " + PhaseName(Phase) + " " + Percent(Progress), Cancel);
        };
    }
    void Add(const std::string& Line, bool& Cancel)
    {
        Lines.push_back(Line);
        if (Line == CancelAt)
            Cancel = true;
    }
    static std::string Percent(double Progress)
    {
        std::ostringstream s;
        s << static_cast<int>(Progress);
        return s.str();
    }
};

} // namespace

class ZipEvents : public ReaderTest {};
BB7_READER_TEST_SUITE(ZipEvents);

TEST_P(ZipEvents, FireInRunOrderWithBackslashedNames)
{
    OpenBytes(BuildArchive(TwoFilesAndAFolder()));
    EventLog log;
    log.Attach(Zip);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    const std::vector<std::string> expected = {
        "overall start 0",
        "file Distro\\one.txt start 0",
        "file Distro\\one.txt process 0",
        "overall process 0",
        "file Distro\\one.txt end 100",
        "file Distro\\Help\\two.bin start 0",
        "file Distro\\Help\\two.bin process 0",
        "overall process 33",
        "file Distro\\Help\\two.bin process 69", // the second chunk starts after 1 MiB of 1.5 MB
        "overall process 56",
        "file Distro\\Help\\two.bin end 100",
        "file Distro\\Help\\ start 0",
        "file Distro\\Help\\ end 100",
        "overall end 100",
    };
    EXPECT_EQ(expected, log.Lines);
}

TEST_P(ZipEvents, CancelAtTheOverallStartExtractsNothingQuietly)
{
    OpenBytes(BuildArchive(TwoFilesAndAFolder()));
    EventLog log;
    log.CancelAt = "overall start 0";
    log.Attach(Zip);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(std::vector<std::string>{"overall start 0"}, log.Lines);
    EXPECT_FALSE(ziptest::Exists(OutDir));
}

TEST_P(ZipEvents, CancelAtAFileStartStopsBeforeIt)
{
    OpenBytes(BuildArchive(TwoFilesAndAFolder()));
    EventLog log;
    log.CancelAt = "file Distro\\Help\\two.bin start 0";
    log.Attach(Zip);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("file Distro\\Help\\two.bin start 0", log.Lines[log.Lines.size() - 2]);
    EXPECT_EQ("overall end 100", log.Lines.back());
    EXPECT_EQ(std::vector<std::string>{"Distro/one.txt"}, ziptest::ListFiles(OutDir));
}

TEST_P(ZipEvents, CancelWhileDataAreReadDeletesThePartialFile)
{
    OpenBytes(BuildArchive(TwoFilesAndAFolder()));
    EventLog log;
    log.CancelAt = "file Distro\\Help\\two.bin process 69";
    log.Attach(Zip);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    // The cancel stays in force even though the end event answers nothing.
    EXPECT_EQ("file Distro\\Help\\two.bin end 100", log.Lines[log.Lines.size() - 2]);
    EXPECT_EQ("overall end 100", log.Lines.back());
    EXPECT_EQ(std::vector<std::string>{"Distro/one.txt"}, ziptest::ListFiles(OutDir));
}

TEST_P(ZipEvents, CancelAtTheEndOfAFileStopsAfterIt)
{
    OpenBytes(BuildArchive(TwoFilesAndAFolder()));
    EventLog log;
    log.CancelAt = "file Distro\\one.txt end 100";
    log.Attach(Zip);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("overall end 100", log.Lines.back());
    EXPECT_EQ(std::vector<std::string>{"Distro/one.txt"}, ziptest::ListFiles(OutDir));
}

TEST_P(ZipEvents, ConfirmProcessFileCanVetoAnEntry)
{
    OpenBytes(BuildArchive(TwoFilesAndAFolder()));
    std::vector<std::string> asked;
    Zip.OnConfirmProcessFile = [&](TZABaseArchiver*, const std::string& FileName, TZAProcessOperation Operation,
                                   bool& Confirm) {
        EXPECT_EQ(poExtract, Operation);
        EXPECT_TRUE(Confirm);
        asked.push_back(FileName);
        Confirm = FileName != "Distro\\one.txt";
    };
    EventLog log;
    log.Attach(Zip);
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ((std::vector<std::string>{"Distro\\one.txt", "Distro\\Help\\two.bin", "Distro\\Help\\"}), asked);
    EXPECT_EQ(std::vector<std::string>{"Distro/Help/two.bin"}, ziptest::ListFiles(OutDir));
    for (const std::string& line : log.Lines)
        EXPECT_EQ(std::string::npos, line.find("one.txt")) << line;
}

TEST_P(ZipEvents, ExtractFileMayRenameAndChangeAttributes)
{
    TestArchive a;
    TestEntry e;
    e.Name = "Distro/orig.txt";
    e.Data = "content";
    e.Comment = "entry comment";
    a.Entries = {e};
    OpenBytes(BuildArchive(a));
    Zip.OnExtractFile = [&](TZABaseArchiver*, std::string& FileName, uint32_t& FileAttr, const std::string& Comment) {
        EXPECT_EQ("Distro\\orig.txt", FileName);
        EXPECT_EQ(0x20u, FileAttr);
        EXPECT_EQ("entry comment", Comment);
        FileName = "Renamed\\new.txt";
        FileAttr = 0x21;
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ(std::vector<std::string>{"Renamed/new.txt"}, ziptest::ListFiles(OutDir));
    uint32_t attributes = 0;
    ASSERT_TRUE(zipfs::GetAttributes(Out("Renamed/new.txt"), attributes));
    EXPECT_TRUE(attributes & zipfs::AttrReadOnly);

    // A handler may also send the entry to an absolute path of its choice.
    ziptest::RemoveTree(OutDir);
    const std::string elsewhere = Scratch / "elsewhere.txt";
    Zip.OnExtractFile = [&](TZABaseArchiver*, std::string& FileName, uint32_t&, const std::string&) {
        FileName = elsewhere;
    };
    Zip.ExtractByMask("*.*", 0x28BF, "");
    EXPECT_EQ("content", ReadFile(elsewhere));
}

TEST_P(ZipEvents, RunsOfTwoReadersNeverOverlap)
{
    ziptest::WriteFile(ArchivePath, BuildArchive(TwoFilesAndAFolder()));
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    auto run = [&](const std::string& Folder) {
        TZipArchive zip;
        zip.FileName = ArchivePath;
        zip.BaseDir = Folder;
        zip.OnOverallProgress = [&](TZABaseArchiver*, double, TZAProcessOperation, TZAProgressPhase Phase, bool&) {
            if (Phase == ppStart && inside.fetch_add(1) != 0)
                ++overlaps;
            if (Phase == ppEnd)
                inside.fetch_sub(1);
        };
        zip.OnFileProgress = [&](TZABaseArchiver*, const std::string&, double, TZAProcessOperation, TZAProgressPhase,
                                 bool&) { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
        zip.Open(0x40);
        zip.ExtractByMask("*.*", 0x28BF, "");
    };
    std::thread first(run, Scratch / "first");
    std::thread second(run, Scratch / "second");
    first.join();
    second.join();
    EXPECT_EQ(0, overlaps.load());
    EXPECT_EQ(ReadFile(Scratch / "first/Distro/one.txt"), ReadFile(Scratch / "second/Distro/one.txt"));
}
