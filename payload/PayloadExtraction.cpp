#include "PayloadExtraction.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "PayloadPassword.h"
#include "ZipFileSystem.h"

namespace {

const int OpenReadShareAll = fmOpenRead | fmShareDenyNone;

} // namespace

const Sha256Digest* UnpackRecord::DigestOf(const std::string& Path) const
{
    auto sameName = [](const std::string& A, const std::string& B) {
        return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    };
    for (const auto& [path, digest] : Digests)
        if (sameName(path, Path))
            return &digest;
    return nullptr;
}

void DeleteUnpacked(UnpackRecord& Record)
{
    for (const std::string& file : Record.Files) {
        zipfs::SetAttributes(file, zipfs::AttrArchive); // a read-only file would refuse
        zipfs::RemoveFile(file);
    }
    for (auto folder = Record.Folders.rbegin(); folder != Record.Folders.rend(); ++folder)
        zipfs::RemoveEmptyDir(*folder);
    Record = UnpackRecord();
}

PayloadExtraction::PayloadExtraction()
{
    Unzip.Name = "Unzip";
    Unzip.InMemory = false;
    // A damaged entry fails the run instead of leaving a broken product on disk: such
    // entries come to EntryFailed instead of being kept.
    Unzip.ExtractCorruptedFiles = false;
    Unzip.Options.CreateDirs = true;
    Unzip.Options.FlushBuffers = true;
    Unzip.Options.OEMFileNames = true;
    Unzip.Options.OverwriteMode = omAlways;
    Unzip.Options.Recurse = true;
    Unzip.Options.SearchAttr = faEveryEntry;
    Unzip.Options.SetAttributes = true;
    Unzip.Options.ShareMode = smShareExclusive;
    Unzip.Options.StorePath = spRelativePath;
    Unzip.Password = PayloadPassword;
    Unzip.SetSpanningMode(smNone);
    Unzip.Zip64Mode = zmDisabled;
    Unzip.OnProcessFileFailure = [this](TZABaseArchiver*, const std::string&, TZAProcessOperation, int NativeError, int,
                                        const std::string& ErrorMessage,
                                        TZAAction& Action) { EntryFailed(NativeError, ErrorMessage, Action); };
    Unzip.AfterCreatePath = [this](TZABaseArchiver*, const std::string& Path, bool IsFolder) {
        std::vector<std::string>& list = IsFolder ? written_.Folders : written_.Files;
        // A retried entry creates its file again; record it once.
        if (IsFolder || std::find(list.begin(), list.end(), Path) == list.end())
            list.push_back(Path);
        if (!IsFolder) {
            FinishDigest();
            hashedPath_ = Path;
        }
    };
    Unzip.OnFileData = [this](TZABaseArchiver*, const uint8_t* Data, size_t Length) { hash_.Update(Data, Length); };
}

bool PayloadExtraction::WriteArchive(const std::string& ArchivePath, const void* Data, size_t Size)
{
    std::ofstream file(ArchivePath, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(static_cast<const char*>(Data), static_cast<std::streamsize>(Size));
    file.close();
    if (file.good())
        return true;
    zipfs::RemoveFile(ArchivePath);
    return false;
}

bool PayloadExtraction::Extract(const std::string& ArchivePath, const std::string& BaseFolder)
{
    try {
        Unzip.FileMasks.clear();
        Unzip.ExclusionMasks.clear();
        Unzip.NoCompressionMasks.clear();
        Unzip.BaseDir = BaseFolder;
        Unzip.FileName = ArchivePath;
        entryFailed_ = false;
        Unzip.Open(OpenReadShareAll);
        try {
            Unzip.ExtractByMask("*.*", faEveryEntry, "");
        } catch (...) {
            Unzip.Close();
            throw;
        }
        Unzip.Close();
        FinishDigest();
        return !entryFailed_;
    } catch (const std::exception&) {
        FinishDigest();
        return false;
    }
}

void PayloadExtraction::FinishDigest()
{
    if (!hashedPath_.empty())
        written_.Digests[hashedPath_] = hash_.Finish();
    hashedPath_.clear();
    hash_ = Sha256();
}

UnpackRecord PayloadExtraction::TakeWritten()
{
    UnpackRecord taken = std::move(written_);
    written_ = UnpackRecord();
    return taken;
}

void PayloadExtraction::EntryFailed(int NativeError, const std::string& ErrorMessage, TZAAction& Action)
{
    // Data that fail their size or CRC-32 check, or cannot be inflated: the payload is damaged.
    if (NativeError == zecCorruptedData || NativeError == zecOpenAborted) {
        entryFailed_ = true;
        Action = faAbort;
        return;
    }
    // A file or folder that cannot be created: the user decides, as the reader would ask.
    Action = ZipUserPrompts().AskFileFailure(ErrorMessage + ". File processing error, possibly disk is full");
    if (Action == faAbort)
        entryFailed_ = true;
}
