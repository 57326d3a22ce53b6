#include "PayloadSource.h"

#include <algorithm>
#include <cstdint>

#include "BriCommon.h"
#include "Manifest.h"
#include "PayloadPassword.h"
#include "Product.h"
#include "ZipFileSystem.h"
#include "ZipPaths.h"

namespace {

// Where the product's files lie in the archive.
const char* const PayloadTopFolder = "Distro/";
// More than any manifest needs; a larger entry is no manifest.
const size_t ManifestMaxSize = 1 << 20;

} // namespace

PayloadSource::PayloadSource() : unzip_("Unzip")
{
    unzip_.FileName = "DISTRO";
    unzip_.Password = PayloadPassword;
    unzip_.ExtractCorruptedFiles = false;
    // The copy has made the target's folder, and said so in the log: nothing is left to make.
    unzip_.Options.CreateDirs = true;
    unzip_.Options.OEMFileNames = true;
    unzip_.Options.OverwriteMode = omAlways;
    unzip_.Options.ReplaceReadOnly = true;
    // A file made anew has the archive attribute already: only other attributes are set.
    unzip_.Options.SetAttributes = false;
    // Nobody is asked anything: a wrong password skips the entry, which fails it.
    unzip_.OnPassword = [](TZABaseArchiver*, const std::string&, std::string&, bool& SkipFile) { SkipFile = true; };
    unzip_.OnFileData = [this](TZABaseArchiver*, const uint8_t* Data, size_t Length) {
        if (hashing_)
            hash_.Update(Data, Length);
    };
}

bool PayloadSource::Open(const void* Data, size_t Size)
{
    failure_.clear();
    kept_.clear();
    keptBytes_ = 0;
    try {
        unzip_.OpenMemory(Data, Size);
        return true;
    } catch (const std::exception& e) {
        failure_ = e.what();
        return false;
    }
}

int PayloadSource::EntryOf(const std::string& Line) const
{
    const int index = unzip_.IndexOf(PayloadTopFolder + Line);
    return index >= 0 && !unzip_.Directory().Items[static_cast<size_t>(index)].IsFolder() ? index : -1;
}

bool PayloadSource::LoadManifest()
{
    failure_.clear();
    manifest_.clear();
    manifestLoaded_ = false;
    const int index = EntryOf(ManifestFile);
    std::string text;
    try {
        if (index < 0)
            return false;
        if (!unzip_.ReadItemAt(index, text, ManifestMaxSize)) {
            failure_ = std::string("The password does not open ") + ManifestFile;
            return false;
        }
    } catch (const std::exception& e) {
        failure_ = e.what();
        return false;
    }
    manifest_ = SplitTextLines(text);
    manifestLoaded_ = true;
    return true;
}

bool PayloadSource::CheckEntries()
{
    kept_.clear();
    keptBytes_ = 0;
    // The entries that fit within the bound are read all at once (decrypted side by side) and
    // kept; the reader checks their size and CRC-32 either way, so kept data are checked data.
    std::vector<int> keeping;
    uint64_t room = KeptBytesLimit;
    for (const std::string& line : manifest_) {
        const int index = ReadManifestLine(line).NamesFile() ? EntryOf(line) : -1;
        const uint64_t size = index < 0 ? 0 : unzip_.Directory().Items[static_cast<size_t>(index)].UncompressedSize64;
        if (index >= 0 && size <= room && std::find(keeping.begin(), keeping.end(), index) == keeping.end()) {
            keeping.push_back(index);
            room -= size;
        }
    }
    std::vector<std::string> data;
    std::vector<TZABaseArchiver::TZAItemRead> read;
    try {
        read = unzip_.ReadItemsAt(keeping, data, static_cast<size_t>(std::min<uint64_t>(KeptBytesLimit, SIZE_MAX)));
    } catch (const std::exception&) {
        read.clear(); // each entry is checked again below, and the one that fails named
    }
    for (size_t i = 0; i < read.size(); ++i) {
        if (read[i] == TZABaseArchiver::TZAItemRead::Read) {
            keptBytes_ += data[i].size();
            kept_.emplace(keeping[i], std::move(data[i]));
        }
    }

    // The rest one by one: those over the bound, and any that did not read, which fails here
    // again with what the reader says about it.
    for (const std::string& line : manifest_) {
        const int index = ReadManifestLine(line).NamesFile() ? EntryOf(line) : -1;
        if (index < 0 || kept_.count(index))
            continue; // not carried, or refused: its line fails as a copy would
        try {
            if (!unzip_.TestItemAt(index)) {
                failure_ = "The password does not open " + line;
                return false;
            }
        } catch (const std::exception& e) {
            failure_ = line + ": " + e.what();
            return false;
        }
    }
    return true;
}

ProductSource::ManifestState PayloadSource::ReadManifest(std::vector<std::string>& Lines)
{
    if (!manifestLoaded_)
        return ManifestState::Missing;
    Lines = manifest_;
    return ManifestState::Read;
}

ProductSource::Placed PayloadSource::Place(const std::string& Line, const std::string& Target)
{
    const int index = EntryOf(Line);
    if (index < 0)
        return Placed::NotWritten;
    if (!driveAsked_) {
        // Every file goes to the same drive: asked once, not for each file.
        unzip_.Options.FlushBuffers = zipfs::IsRemovableDrive(Target);
        driveAsked_ = true;
    }
    const auto kept = kept_.find(index);
    if (kept != kept_.end()) {
        const std::string data = std::move(kept->second);
        kept_.erase(kept);
        keptBytes_ -= data.size();
        return PlaceKept(Line, index, data, Target);
    }
    hashing_ = !TakesDigest || TakesDigest(Line);
    hash_ = Sha256();
    bool written = false;
    try {
        written = unzip_.ExtractItemTo(index, Target);
        if (!written) {
            failure_ = "The password does not open " + Line;
            return Placed::Damaged;
        }
    } catch (const EZAException& e) {
        if (e.NativeError == zecCorruptedData) {
            failure_ = Line + ": " + e.what();
            return Placed::Damaged;
        }
        return Placed::NotWritten;
    }
    const uint32_t attributes = unzip_.Directory().Items[static_cast<size_t>(index)].ExternalAttributes();
    if (attributes != zipfs::AttrArchive)
        zipfs::SetAttributes(Target, attributes);
    if (hashing_)
        digests_.emplace_back(Target, hash_.Finish());
    hashing_ = false;
    return Placed::Written;
}

// What the reader does with an entry that it extracts, from data that it inflated before: the
// same refusal of a name that could leave its folder, the file made anew (never through a link,
// never into a file that is there: the copy removed that), the entry's time and attributes.
ProductSource::Placed PayloadSource::PlaceKept(const std::string& Line, int Index, const std::string& Data,
                                               const std::string& Target)
{
    const TZADirItem& item = unzip_.Directory().Items[static_cast<size_t>(Index)];
    if (zippath::IsUnsafeEntryName(item.Name))
        return Placed::NotWritten;
    zipfs::TZAWriteFile file;
    if (!file.CreateNew(Target))
        return Placed::NotWritten;
    if (!file.Write(Data.data(), Data.size())) {
        // A full disk: as the reader fails an entry that it cannot write, which ends the copy.
        file.Close();
        zipfs::RemoveFile(Target);
        failure_ = Line + ": cannot be written to " + Target;
        return Placed::Damaged;
    }
    file.SetDosTime(item.DosDate(), item.DosTime());
    if (unzip_.Options.FlushBuffers)
        file.FlushToMedium();
    file.Close();
    if (item.ExternalAttributes() != zipfs::AttrArchive)
        zipfs::SetAttributes(Target, item.ExternalAttributes());
    if (!TakesDigest || TakesDigest(Line))
        digests_.emplace_back(Target, Sha256Of(Data.data(), Data.size()));
    return Placed::Written;
}

uint64_t PayloadSource::ProductBytes()
{
    uint64_t bytes = 0;
    for (const std::string& file : InstalledFiles(manifest_)) {
        const int index = EntryOf(file);
        if (index >= 0)
            bytes += unzip_.Directory().Items[static_cast<size_t>(index)].UncompressedSize64;
    }
    return bytes;
}

uint64_t PayloadSource::BytesOf(const std::string& Line)
{
    const int index = EntryOf(Line);
    return index < 0 ? 0 : unzip_.Directory().Items[static_cast<size_t>(index)].UncompressedSize64;
}

const Sha256Digest* PayloadSource::DigestOf(const std::string& Path) const
{
    for (const auto& [path, digest] : digests_)
        if (SameFileName(path, Path))
            return &digest;
    return nullptr;
}
