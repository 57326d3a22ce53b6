// The product's programs started as a user or the installation starts them.
#include <gtest/gtest.h>

#include "ProductTestSupport.h"

namespace {

struct WindowProgram {
    const char* File;
    const char* Arguments;
    const char* WindowClass;
    const char* Title;
    const char* HowStarted; // the line that tells how the program was started
};

} // namespace

TEST(ProductPrograms, WindowsSayWhichProgramRunsFromWhichFolderAndHowItWasStarted)
{
    ScratchFolder scratch;
    const std::string folder = scratch / "Brisel Backup 7\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* file : {"BriBU.exe", "briui.exe"})
        ASSERT_TRUE(CopyFileA((StagedProduct() + file).c_str(), (folder + file).c_str(), FALSE));

    const WindowProgram programs[] = {
        {"BriBU.exe", "", "TBriBUForm", "Brisel Backup 7", "Started without arguments."},
        {"BriBU.exe", " /minimized", "TBriBUForm", "Brisel Backup 7", "Started with arguments."},
        {"briui.exe", " -service", "TBriUIForm", "Brisel Backup 7 Interface",
         "Service mode: started with \"-service\", for the service BriBackup7."},
        {"briui.exe", "", "TBriUIForm", "Brisel Backup 7 Interface", "Desktop mode: started without \"-service\"."},
    };
    for (const WindowProgram& program : programs) {
        SCOPED_TRACE(std::string(program.File) + program.Arguments);
        const std::string commandLine = '"' + folder + program.File + '"' + program.Arguments;
        StartedProgram started(commandLine);
        ASSERT_TRUE(started.Started());
        HWND window = started.WaitForWindow(program.WindowClass);
        ASSERT_NE(nullptr, window) << "no window of class " << program.WindowClass;
        EXPECT_EQ(program.Title, WindowText(window));
        const std::string text = ChildText(window, "STATIC");
        EXPECT_NE(std::string::npos, text.find(std::string("(") + program.File + ")")) << text;
        EXPECT_NE(std::string::npos, text.find("Folder: " + folder + "\r\n")) << text;
        EXPECT_NE(std::string::npos, text.find("Command line: " + commandLine + "\r\n")) << text;
        EXPECT_NE(std::string::npos, text.find(program.HowStarted)) << text;

        PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(started.WaitForExit(10000)) << "closing the window did not end the program";
        EXPECT_EQ(0u, started.ExitCode());
    }
}

TEST(ProductPrograms, TheServiceProgramStartedByHandSaysWhatItIsAndEnds)
{
    StartedProgram service('"' + StagedProduct() + "BriService.exe\"");
    HWND box = service.WaitForWindow("#32770");
    ASSERT_NE(nullptr, box) << "no message box";
    EXPECT_EQ("Brisel Backup 7 service", WindowText(box));
    EXPECT_NE(std::string::npos, MessageBoxText(box).find("does not run on its own")) << MessageBoxText(box);
    PressMessageBoxButton(box, IDOK);
    ASSERT_TRUE(service.WaitForExit(10000));
    EXPECT_EQ(2u, service.ExitCode());
}

TEST(ProductPrograms, DecompressorUnpacksAnArchiveWithItsPasswordAndRefusesWithoutIt)
{
    ScratchFolder scratch;
    const std::string archive = scratch / "monday.zip", output = scratch / "output.txt";
    ASSERT_TRUE(CopyFileA(BB7_BACKUP_ARCHIVE, archive.c_str(), FALSE));
    const std::string program = '"' + StagedProduct() + "Decompressor.exe\" ";

    {
        StartedProgram run(program + "\"" + archive + "\"", output);
        ASSERT_TRUE(run.WaitForExit(20000));
        EXPECT_EQ(1u, run.ExitCode()) << "encrypted entries without a password";
        EXPECT_NE(std::string::npos, ReadWholeFile(output).find("is encrypted: give its password with -p"))
            << ReadWholeFile(output);
        EXPECT_FALSE(PathExists(scratch / "monday\\Backup\\bb7setup.dat"))
            << "an entry was written without its password";
    }
    {
        // Without a destination the archive's name, without ".zip", beside it.
        StartedProgram run(program + "-p \"backup secret\" \"" + archive + "\"", output);
        ASSERT_TRUE(run.WaitForExit(20000));
        EXPECT_EQ(0u, run.ExitCode()) << ReadWholeFile(output);
        EXPECT_EQ(ReadWholeFile(StagedProduct() + "bb7setup.dat"),
                  ReadWholeFile(scratch / "monday\\Backup\\bb7setup.dat"));
        EXPECT_EQ(ReadWholeFile(StagedProduct() + "Help\\Images\\logo.png"),
                  ReadWholeFile(scratch / "monday\\Backup\\Help\\Images\\logo.png"));
    }
    {
        StartedProgram run(program + "-p wrong \"" + archive + "\" \"" + (scratch / "elsewhere") + "\"", output);
        ASSERT_TRUE(run.WaitForExit(20000));
        EXPECT_EQ(1u, run.ExitCode());
        EXPECT_NE(std::string::npos, ReadWholeFile(output).find("wrong password")) << ReadWholeFile(output);
    }
    for (const std::string& arguments :
         {std::string(), "\"" + (scratch / "missing.zip") + "\"", std::string("-x a.zip")}) {
        StartedProgram run(program + arguments, output);
        ASSERT_TRUE(run.WaitForExit(20000)) << arguments;
        EXPECT_EQ(2u, run.ExitCode()) << arguments;
    }
}
