// The zip archive reader component: opens an archive file, reads its directory, selects
// entries by mask and extracts them below a base folder (traditional encryption, stored
// and deflated data, size and CRC-32 checks, time stamps and attributes), reporting
// progress through events that may cancel the run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ZipDirectory.h"
#include "ZipErrors.h"
#include "ZipInput.h"
#include "ZipTypes.h"
#include "ZipUserPrompts.h"

class TZAEntryReader;
struct TZAEntryEvents;

// What FindEntry and FindNextEntry fill in; the fields after the blank line are the
// search's own state.
struct TZASearchRec {
    std::string FileName;   // the bare file name
    std::string StoredPath; // the stored folder path, with its trailing "/"
    int64_t CompressedSize = 0;
    int64_t UncompressedSize = 0;
    double CompressionRate = 0; // percent saved; 100 for an empty entry, never negative
    bool Encrypted = false;
    uint32_t ExternalFileAttributes = 0;
    uint16_t LastModFileTime = 0;
    uint16_t LastModFileDate = 0;
    uint32_t CRC = 0;
    std::string FileComment;
    int Index = -1; // the item's index in the directory

    std::string Mask;
    std::string ExclusionMask;
    int32_t AttrMask = 0;
};

class TZABaseArchiver {
public:
    TZABaseArchiver();
    virtual ~TZABaseArchiver();
    TZABaseArchiver(const TZABaseArchiver&) = delete;
    TZABaseArchiver& operator=(const TZABaseArchiver&) = delete;

    std::string Name; // the component's name, put in front of its error messages
    std::string FileName, Password, BaseDir, TempDir;
    TZAOptions Options;
    std::vector<std::string> FileMasks, ExclusionMasks, NoCompressionMasks;
    bool ExtractCorruptedFiles = false;
    bool InMemory = false;
    TZip64Mode Zip64Mode = zmAuto;
    // Decrypt each chunk on a helper thread while this thread inflates it: about twice as
    // fast on encrypted entries. Events and files stay on the calling thread either way.
    bool DecryptAhead = false;

    TZASpanningMode SpanningMode() const { return FSpanningMode; }
    // Throws std::runtime_error("Cannot set spanning mode on open archive") when open.
    void SetSpanningMode(TZASpanningMode Mode);

    std::function<void(TZABaseArchiver* Sender, const std::string& FileName, double Progress,
                       TZAProcessOperation Operation, TZAProgressPhase ProgressPhase, bool& Cancel)>
        OnFileProgress;
    std::function<void(TZABaseArchiver* Sender, double Progress, TZAProcessOperation Operation,
                       TZAProgressPhase ProgressPhase, bool& Cancel)>
        OnOverallProgress;
    std::function<void(TZABaseArchiver* Sender)> AfterOpen;
    std::function<void(TZABaseArchiver* Sender, const std::string& FileName, std::string& NewPassword, bool& SkipFile)>
        OnPassword;
    std::function<void(TZABaseArchiver* Sender, const std::string& FileName, TZAProcessOperation Operation,
                       int NativeError, int ErrorCode, const std::string& ErrorMessage, TZAAction& Action)>
        OnProcessFileFailure;
    std::function<void(TZABaseArchiver* Sender, const std::string& FileName, TZAProcessOperation Operation,
                       bool& Confirm)>
        OnConfirmProcessFile;
    // Asked with OverwriteMode omPrompt when the target exists: the entry's name (with
    // backslashes) and the target's path; Confirm starts true.
    std::function<void(TZABaseArchiver* Sender, const std::string& FileName, const std::string& TargetPath,
                       bool& Confirm)>
        OnConfirmOverwrite;
    std::function<void(TZABaseArchiver* Sender, std::string& FileName, uint32_t& FileAttr, const std::string& Comment)>
        OnExtractFile;
    // Fired for every folder that extraction had to create (outermost first) and for every
    // file it created or replaced, with the full path, so that a caller can remove exactly
    // what the run wrote.
    std::function<void(TZABaseArchiver* Sender, const std::string& Path, bool IsFolder)> AfterCreatePath;
    // Fired with every piece of data written to the file that AfterCreatePath named last.
    std::function<void(TZABaseArchiver* Sender, const uint8_t* Data, size_t Length)> OnFileData;

    // Opens FileName with a 16-bit file open mode (0x40: read, others may read and write)
    // and reads its directory; fires AfterOpen. Raises EZAException.
    void Open(int Mode);
    // Opens an archive held in memory (Size bytes at Data, which must stay in place until
    // Close; FileName only names it in messages), reads its directory and fires AfterOpen, as
    // Open does. Raises EZAException.
    void OpenMemory(const void* Data, size_t Size);
    // Closes the archive; harmless when none is open.
    void Close();
    bool Active() const { return FActive; }

    // Items that are not folders (a search for "*.*" with attribute mask 0x10 finds the
    // folders). Raises code 13 without an open archive.
    int FileEntryCount();

    // Selects the items that match and extracts them below BaseDir. A non-empty
    // ExclusionMask leaves out the items whose name matches it.
    void ExtractByMask(const std::string& FileMask, int32_t AttrMask, const std::string& ExclusionMask);
    // The same selection, checked (decrypted, inflated, size and CRC-32) but not written.
    void TestByMask(const std::string& FileMask, int32_t AttrMask, const std::string& ExclusionMask);

    // The index of the item named ItemName (letter case aside, "/" and "\" alike), or -1.
    int IndexOf(const std::string& ItemName) const;

    // Single items by their index, outside a run by mask and without its start and end
    // events, with the checks of a run: the password (asked as in a run), size and CRC-32.
    // Each returns false when the item was skipped at the password question or a progress
    // event cancelled it, and raises EZAException 8 when its data fail their checks, 16 for
    // an index outside the directory.
    bool TestItemAt(int Index);
    // Writes the item to TargetPath, a full path of the caller's choosing, making its folders
    // (reported through AfterCreatePath, the data through OnFileData). The item's stored name
    // must still be one that cannot leave a folder. A target that fails is removed. Also
    // raises 19 and 20 for a file or folder that cannot be created.
    bool ExtractItemTo(int Index, const std::string& TargetPath);
    // The item's data into Data; an item of more than MaxSize bytes raises 8.
    bool ReadItemAt(int Index, std::string& Data, size_t MaxSize);

    // How ReadItemsAt read each item.
    enum class TZAItemRead { Read, Skipped, Damaged };
    // Several items' data at once, each into its place in Data and checked as ReadItemAt checks
    // it, without questions or progress events: a password that does not fit skips the item,
    // and an item of more than MaxSize bytes counts as damaged. Every item's data are held at
    // once: the caller chooses the items by their sizes. Encrypted items are decrypted side by
    // side, four at a time (ZipEntryReader.h), which takes well under half the time of one after
    // the other. Raises as ReadItemAt does for anything else.
    std::vector<TZAItemRead> ReadItemsAt(const std::vector<int>& Indexes, std::vector<std::string>& Data,
                                         size_t MaxSize);

    // Iterate over the matching items in directory order; false when there is no (further) one.
    bool FindEntry(const std::string& Mask, TZASearchRec& Rec, const std::string& ExclusionMask, int32_t AttrMask);
    bool FindNextEntry(TZASearchRec& Rec);

    // Update brackets: the reader writes nothing, but extraction waits for them to close.
    void BeginUpdate() { ++UpdateCount; }
    void EndUpdate();

    // The directory of the open archive.
    const TZADirManager& Directory() const { return Dir; }

    // Largest single read of the archive file; tests use tiny ones. 0: no limit.
    void SetReadLimit(size_t Limit) { Input.SetReadLimit(Limit); }

protected:
    [[noreturn]] void Raise(int NativeError, const std::string& Argument = "") const;
    void RequireActive() const;

private:
    // The extraction run over the selected items (ZipExtract.cpp).
    void ProcessSelected(TZAProcessOperation Operation);
    void SelectByMask(const std::string& FileMask, int32_t AttrMask, const std::string& ExclusionMask);
    bool ItemMatches(const TZADirItem& Item, const TZASearchRec& Rec) const;
    void FillSearchRec(int Index, TZASearchRec& Rec) const;
    void ReadOpenedArchive();
    TZADirItem& ItemAt(int Index);

    struct TRunState;
    void ProcessItem(TRunState& Run, TZADirItem& Item, const std::string& ItemName, const std::string& BaseFolder);
    void TestItem(TRunState& Run, TZADirItem& Item, const std::string& ItemName);
    bool FireFileProgress(const std::string& ItemName, double Progress, TZAProcessOperation Operation,
                          TZAProgressPhase Phase);
    bool FireOverallProgress(double Progress, TZAProcessOperation Operation, TZAProgressPhase Phase);
    TZAAction DecideFailure(const std::string& ItemName, TZAProcessOperation Operation, const EZAException& Error);
    bool AskNewPassword(TRunState& Run, const TZADirItem& Item, std::string& NewPassword);
    TZAEntryEvents EntryEvents(TRunState& Run, const TZADirItem& Item, const std::string& ItemName);

    bool FActive = false;
    TZASpanningMode FSpanningMode = smNone;
    int UpdateCount = 0;
    TZAInput Input;
    TZADirManager Dir;
    std::unique_ptr<TZAEntryReader> Reader;
};

class TZipArchive : public TZABaseArchiver {
public:
    TZipArchive() = default;
    explicit TZipArchive(const std::string& ComponentName) { Name = ComponentName; }
};
