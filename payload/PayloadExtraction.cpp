#include "PayloadExtraction.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "PayloadPassword.h"
#include "ZipPaths.h"

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
    // The held folders cannot have changed; any other folder on a file's way may have become a
    // link since (on systems that do not honour the hold): nothing below one is deleted.
    std::map<std::string, bool> isLink;
    auto belowLink = [&](const std::string& File) {
        for (size_t at = Record.Base.size(); (at = File.find('\\', at)) != std::string::npos; ++at) {
            const std::string folder = File.substr(0, at);
            auto found = isLink.find(folder);
            if (found == isLink.end())
                found = isLink.emplace(folder, zipfs::IsLink(folder)).first;
            if (found->second)
                return true;
        }
        return false;
    };
    for (const std::string& file : Record.Files) {
        if (belowLink(file) || zipfs::IsLink(file))
            continue;
        zipfs::SetAttributes(file, zipfs::AttrArchive); // a read-only file would refuse
        zipfs::RemoveFile(file);
    }
    Record.HeldFolders.clear();
    for (auto folder = Record.Folders.rbegin(); folder != Record.Folders.rend(); ++folder)
        if (!zipfs::IsLink(*folder))
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
    // Nothing is written through a link: each entry's folders below the base folder are held
    // before it is extracted, and so is every folder as soon as the reader has made it.
    Unzip.OnConfirmProcessFile = [this](TZABaseArchiver*, const std::string& Name, TZAProcessOperation, bool& Confirm) {
        if (!linkFound_ && !HoldPlaceOf(Name))
            linkFound_ = true;
        Confirm = !linkFound_;
    };
    Unzip.AfterCreatePath = [this](TZABaseArchiver*, const std::string& Path, bool IsFolder) {
        if (IsFolder && !HoldFolder(Path))
            linkFound_ = true;
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

PayloadExtraction::~PayloadExtraction()
{
    ReleaseArchive();
}

bool PayloadExtraction::WriteArchive(const std::string& ArchivePath, const void* Data, size_t Size)
{
    ReleaseArchive();
    if (!archive_.CreateNew(ArchivePath))
        return false; // whatever stands there, a link perhaps, is not ours to replace or delete
    archivePath_ = ArchivePath;
    if (archive_.Write(Data, Size))
        return true;
    ReleaseArchive();
    return false;
}

void PayloadExtraction::ReleaseArchive()
{
    archive_.Close();
    if (!archivePath_.empty())
        zipfs::RemoveFile(archivePath_);
    archivePath_.clear();
}

bool PayloadExtraction::HoldPlaceOf(const std::string& EntryName)
{
    if (zippath::IsUnsafeEntryName(EntryName))
        return true; // the reader refuses the entry itself
    for (size_t at = 0; (at = EntryName.find('\\', at)) != std::string::npos; ++at) {
        const std::string folder = written_.Base + EntryName.substr(0, at);
        if (written_.HeldFolders.count(folder) != 0)
            continue;
        if (!zipfs::DirectoryExists(folder) && !zipfs::IsLink(folder))
            return true; // the reader makes it and what lies below it; each is held as it is made
        if (!HoldFolder(folder))
            return false;
    }
    return !zipfs::IsLink(written_.Base + EntryName);
}

bool PayloadExtraction::HoldFolder(const std::string& Folder)
{
    if (written_.HeldFolders.count(Folder) != 0)
        return true;
    auto hold = std::make_unique<zipfs::TZAFolderHold>();
    if (!hold->Open(Folder))
        return false;
    written_.HeldFolders.emplace(Folder, std::move(hold));
    return true;
}

bool PayloadExtraction::Extract(const std::string& ArchivePath, const std::string& BaseFolder)
{
    try {
        Unzip.FileMasks.clear();
        Unzip.ExclusionMasks.clear();
        Unzip.NoCompressionMasks.clear();
        Unzip.BaseDir = BaseFolder;
        Unzip.FileName = ArchivePath;
        written_.Base = zippath::AddBackslash(BaseFolder);
        entryFailed_ = false;
        linkFound_ = false;
        Unzip.Open(OpenReadShareAll);
        try {
            Unzip.ExtractByMask("*.*", faEveryEntry, "");
        } catch (...) {
            Unzip.Close();
            throw;
        }
        Unzip.Close();
        FinishDigest();
        return !entryFailed_ && !linkFound_;
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
