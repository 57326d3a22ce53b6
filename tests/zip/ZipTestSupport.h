// Scratch folders and files for the reader's tests, natively and under Wine.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ZipArchive.h"

namespace ziptest {

// A fresh folder below the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return Root; }
    std::string operator/(const std::string& Relative) const; // a path below it, as a string

private:
    std::filesystem::path Root;
};

// Removes Folder and everything in it, read-only files included.
void RemoveTree(const std::string& Folder);
void WriteFile(const std::string& Path, const std::string& Bytes);
std::string ReadFile(const std::string& Path);
bool Exists(const std::string& Path);
// A path as the reader gives it (backslashes), as the file system spells it.
std::string SystemPath(const std::string& ReaderPath);
// Every file below Folder, as "relative/path" with forward slashes, sorted.
std::vector<std::string> ListFiles(const std::string& Folder);
// Size bytes that do not compress, the same for the same Seed.
std::string RandomBytes(size_t Size, unsigned Seed);

// How a test reads: the largest single read (0: no limit) and decryption on a helper thread.
struct ReadMode {
    size_t ReadLimit;
    bool DecryptAhead;
};

// Runs a reader over an archive in one piece and through 31-byte reads, decrypting on the
// calling thread and on a helper thread.
class ReaderTest : public ::testing::TestWithParam<ReadMode> {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes Bytes to "<scratch>/test.zip" and opens them.
    void OpenBytes(const std::string& Bytes);
    std::string Out(const std::string& Relative) const; // below the base folder "out"

    ScratchDir Scratch;
    std::string ArchivePath;
    std::string OutDir;
    TZipArchive Zip{"Unzip"};
};

std::string ReadModeName(const ::testing::TestParamInfo<ReadMode>& Info);

} // namespace ziptest

#define BB7_READER_TEST_SUITE(Suite)                                                                                   \
    INSTANTIATE_TEST_SUITE_P(Reads, Suite,                                                                             \
                             ::testing::Values(ziptest::ReadMode{0, false}, ziptest::ReadMode{31, false},              \
                                               ziptest::ReadMode{0, true}, ziptest::ReadMode{31, true}),               \
                             ziptest::ReadModeName)
