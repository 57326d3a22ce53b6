// The component's properties, opening and closing, the directory search and the selection.
#include "ZipArchive.h"

#include "ZipEntryReader.h"
#include "ZipMask.h"
#include "ZipPaths.h"

TZABaseArchiver::TZABaseArchiver() : Reader(new TZAEntryReader) {}

TZABaseArchiver::~TZABaseArchiver()
{
    Close();
}

void TZABaseArchiver::Raise(int NativeError, const std::string& Argument) const
{
    throw MakeZipError(Name, NativeError, Argument);
}

void TZABaseArchiver::RequireActive() const
{
    if (!FActive)
        Raise(zecArchiveNotOpen);
}

void TZABaseArchiver::SetSpanningMode(TZASpanningMode Mode)
{
    if (FActive)
        throw std::runtime_error("Cannot set spanning mode on open archive");
    FSpanningMode = Mode;
}

void TZABaseArchiver::EndUpdate()
{
    if (UpdateCount <= 0)
        Raise(22); // "Internal error. Update is not started"
    --UpdateCount;
}

void TZABaseArchiver::Open(int Mode)
{
    if (zippath::ExtractFileName(zippath::SlashesToBackslashes(FileName)).empty())
        Raise(zecBlankFileName);
    if (!zipfs::FileExists(FileName))
        Raise(zecFileNotFound, FileName);
    if (InMemory)
        Raise(zecInMemoryOnly);
    Close();
    // Multi-volume archives are not read.
    if (FSpanningMode != smNone)
        Raise(44);
    if (!Input.Open(FileName, Mode))
        Raise(zecCannotOpenFile, FileName);
    ReadOpenedArchive();
}

void TZABaseArchiver::OpenMemory(const void* Data, size_t Size)
{
    Close();
    if (FSpanningMode != smNone)
        Raise(44);
    Input.OpenMemory(Data, Size, FileName);
    ReadOpenedArchive();
}

void TZABaseArchiver::ReadOpenedArchive()
{
    try {
        ReadDirectory(Input, Options.OEMFileNames, Name, Dir);
    } catch (...) {
        Input.Close();
        Dir.Clear();
        throw;
    }
    FActive = true;
    if (AfterOpen)
        AfterOpen(this);
}

void TZABaseArchiver::Close()
{
    if (!FActive && !Input.IsOpen())
        return;
    Input.Close();
    Dir.Clear();
    FActive = false;
}

void TZABaseArchiver::FillSearchRec(int Index, TZASearchRec& Rec) const
{
    const TZADirItem& item = Dir.Items[static_cast<size_t>(Index)];
    std::string name = item.Name;
    if (!name.empty() && name.back() == '/')
        name.pop_back();
    const std::string::size_type slash = name.rfind('/');
    Rec.FileName = slash == std::string::npos ? name : name.substr(slash + 1);
    Rec.StoredPath = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    Rec.CompressedSize = static_cast<int64_t>(item.CompressedSize64);
    Rec.UncompressedSize = static_cast<int64_t>(item.UncompressedSize64);
    if (item.UncompressedSize64 == 0) {
        Rec.CompressionRate = 100;
    } else {
        const double rate =
            (1.0 - static_cast<double>(item.CompressedSize64) / static_cast<double>(item.UncompressedSize64)) * 100.0;
        Rec.CompressionRate = rate < 0 ? 0 : rate;
    }
    Rec.Encrypted = item.Encrypted();
    Rec.ExternalFileAttributes = item.ExternalAttributes();
    Rec.LastModFileTime = item.DosTime();
    Rec.LastModFileDate = item.DosDate();
    Rec.CRC = item.Crc();
    Rec.FileComment = item.Comment;
    Rec.Index = Index;
}

bool TZABaseArchiver::ItemMatches(const TZADirItem& Item, const TZASearchRec& Rec) const
{
    if (!zipmask::IsSelected(Item.Name, Item.ExternalAttributes(), Rec.Mask, Rec.AttrMask, Options.Recurse))
        return false;
    return Rec.ExclusionMask.empty() || !zipmask::IsSelected(Item.Name, 0, Rec.ExclusionMask, -1, true);
}

bool TZABaseArchiver::FindEntry(const std::string& Mask, TZASearchRec& Rec, const std::string& ExclusionMask,
                                int32_t AttrMask)
{
    RequireActive();
    const bool keepDrive = Options.StorePath == spFullPathWithDrive;
    Rec.Mask = zipmask::PrepareMask(Mask, keepDrive);
    Rec.ExclusionMask = zipmask::PrepareMask(ExclusionMask, keepDrive);
    Rec.AttrMask = AttrMask;
    Rec.Index = -1;
    return FindNextEntry(Rec);
}

bool TZABaseArchiver::FindNextEntry(TZASearchRec& Rec)
{
    RequireActive();
    for (size_t i = static_cast<size_t>(Rec.Index + 1); i < Dir.Items.size(); ++i) {
        if (ItemMatches(Dir.Items[i], Rec)) {
            FillSearchRec(static_cast<int>(i), Rec);
            return true;
        }
    }
    Rec.Index = static_cast<int>(Dir.Items.size());
    return false;
}

int TZABaseArchiver::IndexOf(const std::string& ItemName) const
{
    RequireActive();
    for (size_t i = 0; i < Dir.Items.size(); ++i)
        if (zippath::SameName(Dir.Items[i].Name, ItemName))
            return static_cast<int>(i);
    return -1;
}

int TZABaseArchiver::FileEntryCount()
{
    RequireActive();
    const bool recurse = Options.Recurse;
    Options.Recurse = true;
    int folders = 0;
    TZASearchRec rec;
    try {
        for (bool found = FindEntry("*.*", rec, "", zipfs::AttrDirectory); found; found = FindNextEntry(rec))
            if (rec.ExternalFileAttributes & zipfs::AttrDirectory)
                ++folders;
    } catch (...) {
        Options.Recurse = recurse;
        throw;
    }
    Options.Recurse = recurse;
    return static_cast<int>(Dir.Items.size()) - folders;
}

void TZABaseArchiver::SelectByMask(const std::string& FileMask, int32_t AttrMask, const std::string& ExclusionMask)
{
    RequireActive();
    if (UpdateCount > 0)
        Raise(zecUpdateNotEnded);
    TZASearchRec rec;
    const bool keepDrive = Options.StorePath == spFullPathWithDrive;
    rec.Mask = zipmask::PrepareMask(FileMask, keepDrive);
    rec.ExclusionMask = zipmask::PrepareMask(ExclusionMask, keepDrive);
    rec.AttrMask = AttrMask;
    for (TZADirItem& item : Dir.Items)
        item.Selected = ItemMatches(item, rec);
}

void TZABaseArchiver::ExtractByMask(const std::string& FileMask, int32_t AttrMask, const std::string& ExclusionMask)
{
    SelectByMask(FileMask, AttrMask, ExclusionMask);
    ProcessSelected(poExtract);
}

void TZABaseArchiver::TestByMask(const std::string& FileMask, int32_t AttrMask, const std::string& ExclusionMask)
{
    SelectByMask(FileMask, AttrMask, ExclusionMask);
    ProcessSelected(poTest);
}
