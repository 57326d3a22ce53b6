// The fixture of the end-to-end tests of the installer's command line, its paths and its
// settings: runs started through CreateProcessW, as Windows passes what no ANSI code page holds,
// with their standard error kept, and installers copied into folders of any name and depth.
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

class CommandLineFixture : public SilentFixture {
protected:
    void TearDown() override
    {
        SilentFixture::TearDown();
        RemoveTreeWide(Wide(scratch_.Path())); // "Kit-Ā" and what lies beyond MAX_PATH too
    }

    // A run of Exe (the test's copy of the installer when empty) with a command line in UTF-16,
    // to its end, watched: it must show no window. StandardError() is what it wrote there.
    DWORD RunWide(const std::wstring& Arguments, std::wstring Exe = L"")
    {
        Exe = Exe.empty() ? Wide(exe_) : Exe;
        const std::string errorFile = scratch_ / "stderr.txt";
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        {
            FileHandle error(CreateFileA(errorFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
            process_ = std::make_unique<InstallerProcess>(Exe, Exe.substr(0, Exe.find_last_of(L'\\') + 1), Arguments,
                                                          error.Get());
        }
        WindowWatch watch(process_->Id());
        EXPECT_TRUE(process_->WaitForExit(90s)) << "the run did not end";
        EXPECT_EQ("", watch.Stop()) << "windows of the run";
        standardError_ = ReadWholeFile(errorFile);
        DeleteFileA(errorFile.c_str());
        return process_->ExitCode();
    }
    const std::string& StandardError() const { return standardError_; }

    // Writes a file at a path of any name and depth, making the folders above it.
    void WriteWide(const std::wstring& Path, const std::string& Bytes)
    {
        for (size_t at = Path.find(L'\\', 3); at != std::wstring::npos; at = Path.find(L'\\', at + 1))
            CreateDirectoryW((L"\\\\?\\" + Path.substr(0, at)).c_str(), nullptr);
        FileHandle file(CreateFileW((L"\\\\?\\" + Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        EXPECT_TRUE(file && WriteFile(file.Get(), Bytes.data(), DWORD(Bytes.size()), &written, nullptr));
    }

    std::string TemporaryLog() { return Log(TempFolder() + "Bb7Setup.log"); }

    // No installer runs any more (one that Wine's loader started is followed by nothing else).
    static bool InstallersEnded()
    {
        return WaitUntil(
            [] {
                for (const PROCESSENTRY32& process : RunningProcesses())
                    if (Lowered(process.szExeFile).find("bb7setup.exe") != std::string::npos)
                        return false;
                return true;
            },
            30s);
    }

private:
    std::string standardError_;
};

} // namespace wizardtest
