// The fixture of the end-to-end tests of the installer's command line, its paths and its
// settings: runs started through CreateProcessW, as Windows passes what no ANSI code page holds,
// with what they write on standard error kept; installers copied into folders of any name and
// depth; settings files in UTF-8 without a mark.
#pragma once

#include "SilentFixture.h"

namespace wizardtest {

// Text as PowerShell 7 and Notepad write it by default: UTF-8 without a mark.
inline std::string Utf8(const std::wstring& Text)
{
    std::string utf8(Text.size() * 3, '\0');
    utf8.resize(
        WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), &utf8[0], int(utf8.size()), nullptr, nullptr));
    return utf8;
}

// A path as the installer's log names it: in the ANSI code page, "?" for what it lacks.
inline std::string Narrow(const std::wstring& Text)
{
    std::string ansi(Text.size() * 2, '\0');
    ansi.resize(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Text.data(), int(Text.size()), &ansi[0],
                                    int(ansi.size()), "?", nullptr));
    return ansi;
}

// The extended form of a full path, which the file calls take beyond MAX_PATH.
inline std::wstring Extended(const std::wstring& Path)
{
    return L"\\\\?\\" + Path;
}

class CommandLineFixture : public SilentFixture {
protected:
    void TearDown() override
    {
        SilentFixture::TearDown();
        // Names that the ANSI calls cannot reach ("Kit-Ā", beyond MAX_PATH) go too.
        RemoveTreeWide(Wide(scratch_.Path()));
    }

    // A run of Exe (the test's copy of the installer when empty) with a command line in UTF-16,
    // to its end, watched: it must show no window. Its standard error is kept.
    DWORD RunWide(const std::wstring& Arguments, std::wstring Exe = L"")
    {
        if (Exe.empty())
            Exe = Wide(exe_);
        const std::string errorFile = scratch_ / "stderr.txt";
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        DWORD exitCode = 0;
        {
            FileHandle error(CreateFileA(errorFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
            const std::wstring folder = Exe.substr(0, Exe.find_last_of(L'\\') + 1);
            process_ = std::make_unique<InstallerProcess>(Exe, folder, Arguments, error.Get());
            WindowWatch watch(process_->Id());
            EXPECT_TRUE(process_->WaitForExit(90s)) << "the run did not end";
            EXPECT_EQ("", watch.Stop()) << "windows of the run";
            exitCode = process_->ExitCode();
        }
        standardError_ = ReadWholeFile(errorFile);
        DeleteFileA(errorFile.c_str());
        return exitCode;
    }
    const std::string& StandardError() const { return standardError_; }

    // A copy of the test's installer in Folder (below the scratch folder), made level by level;
    // the copy's path.
    std::wstring CopyInstallerTo(const std::wstring& Folder)
    {
        for (size_t at = Folder.find(L'\\', 3); at != std::wstring::npos; at = Folder.find(L'\\', at + 1))
            CreateDirectoryW(Extended(Folder.substr(0, at)).c_str(), nullptr);
        CreateDirectoryW(Extended(Folder).c_str(), nullptr);
        const std::wstring exe = Folder + L"\\Bb7Setup.exe";
        EXPECT_TRUE(CopyFileW(Extended(Wide(exe_)).c_str(), Extended(exe).c_str(), FALSE));
        return exe;
    }

    void WriteWide(const std::wstring& Path, const std::string& Bytes)
    {
        FileHandle file(CreateFileW(Extended(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        EXPECT_TRUE(file && WriteFile(file.Get(), Bytes.data(), DWORD(Bytes.size()), &written, nullptr));
    }

    // What the log of the last run without /log says; a refused /log leaves its refusal there.
    std::string TemporaryLog() { return Log(TempFolder() + "Bb7Setup.log"); }

    // Every installer that this test started has ended (one started by Wine's loader is
    // followed by nothing else).
    bool InstallersEnded()
    {
        return WaitUntil(
            [] {
                FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
                PROCESSENTRY32 process = {};
                process.dwSize = sizeof process;
                for (bool more = Process32First(snapshot.Get(), &process); more;
                     more = Process32Next(snapshot.Get(), &process))
                    if (const std::string path = process.szExeFile;
                        Lowered(path.substr(path.find_last_of('\\') + 1)) == "bb7setup.exe")
                        return false;
                return true;
            },
            30s);
    }

private:
    std::string standardError_;
};

} // namespace wizardtest
