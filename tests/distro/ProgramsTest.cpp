// The product's programs started as a user or the installation starts them.
#include <gtest/gtest.h>

#include "ProductTestSupport.h"

TEST(ProductPrograms, WindowsSayWhichProgramRunsFromWhereAndHow)
{
    ScratchFolder scratch;
    const std::string folder = scratch / "Brisel Backup 7\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* file : {"BriBU.exe", "briui.exe"})
        ASSERT_TRUE(CopyFileA((StagedProduct() + file).c_str(), (folder + file).c_str(), FALSE));
    const struct {
        const char *Program, *Arguments, *Class, *Title, *HowStarted;
    } programs[] = {
        {"BriBU.exe", "", "TBriBUForm", "Brisel Backup 7", "Started without arguments."},
        {"BriBU.exe", " /minimized", "TBriBUForm", "Brisel Backup 7", "Started with arguments."},
        {"briui.exe", " -service", "TBriUIForm", "Brisel Backup 7 Interface",
         "Service mode: started with \"-service\", for the service BriBackup7."},
        {"briui.exe", "", "TBriUIForm", "Brisel Backup 7 Interface", "Desktop mode: started without \"-service\"."},
    };
    for (const auto& program : programs) {
        const std::string commandLine = '"' + folder + program.Program + '"' + program.Arguments;
        SCOPED_TRACE(commandLine);
        StartedProgram started(commandLine);
        HWND window = started.Window(program.Class, 10000);
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(program.Title, WindowText(window));
        const std::string text = WindowText(FindWindowExA(window, nullptr, "STATIC", nullptr));
        for (const std::string& line : {std::string("(") + program.Program + ")\r\n", "Folder: " + folder + "\r\n",
                                        "Command line: " + commandLine + "\r\n", std::string(program.HowStarted)})
            EXPECT_NE(std::string::npos, text.find(line)) << text;
        PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(started.WaitForExit(10000)) << "closing the window did not end the program";
        EXPECT_EQ(0u, started.ExitCode());
    }
}

TEST(ProductPrograms, DecompressorUnpacksAnArchiveWithItsPasswordOnly)
{
    ScratchFolder scratch;
    const std::string archive = scratch / "monday.zip", output = scratch / "output.txt";
    const std::string program = '"' + StagedProduct() + "Decompressor.exe\" ", unpacked = scratch / "monday\\Backup\\";
    ASSERT_TRUE(CopyFileA(BB7_BACKUP_ARCHIVE, archive.c_str(), FALSE));
    const struct {
        std::string Arguments;
        DWORD ExitCode;
        const char* Says;
    } runs[] = {
        {'"' + archive + '"', 1, "is encrypted: give its password with -p"},
        {"-p wrong \"" + archive + '"', 1, "wrong password"},
        {"", 2, "usage"},
        {"-p \"backup secret\" \"" + archive + '"', 0, "extracted into"}, // beside it, named after it
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.Arguments);
        EXPECT_FALSE(PathExists(unpacked + "bb7setup.dat")) << "written without the password";
        StartedProgram decompressor(program + run.Arguments, output);
        ASSERT_TRUE(decompressor.WaitForExit(20000));
        EXPECT_EQ(run.ExitCode, decompressor.ExitCode());
        EXPECT_NE(std::string::npos, ReadWholeFile(output).find(run.Says)) << ReadWholeFile(output);
    }
    for (const char* file : {"bb7setup.dat", "Help\\Images\\logo.png", "BriNT.dll"})
        EXPECT_EQ(ReadWholeFile(StagedProduct() + file), ReadWholeFile(unpacked + file)) << file;
}
