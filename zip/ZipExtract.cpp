// The extraction run: the selected items in directory order, each written below the base
// folder, with the progress events, the cancel rules and the per-item failure decision.
#include <mutex>

#include "ZipArchive.h"
#include "ZipEntryReader.h"
#include "ZipPaths.h"

namespace {

// Runs of all instances in the process take turns.
std::recursive_mutex& RunLock()
{
    static std::recursive_mutex lock;
    return lock;
}

class TFileOutput : public IZAOutput {
public:
    using Observer = std::function<void(TZABaseArchiver*, const uint8_t*, size_t)>;
    TFileOutput(zipfs::TZAWriteFile& File, TZABaseArchiver* Sender, const Observer& Watch)
        : File(File), Sender(Sender), Watch(Watch)
    {
    }
    bool Write(const uint8_t* Data, size_t Length) override
    {
        if (!File.Write(Data, Length))
            return false;
        if (Watch)
            Watch(Sender, Data, Length);
        return true;
    }

private:
    zipfs::TZAWriteFile& File;
    TZABaseArchiver* Sender;
    const Observer& Watch;
};

class TNullOutput : public IZAOutput {
public:
    bool Write(const uint8_t*, size_t) override { return true; }
};

class TStringOutput : public IZAOutput {
public:
    explicit TStringOutput(std::string& Data) : Data(Data) {}
    bool Write(const uint8_t* Bytes, size_t Length) override
    {
        Data.append(reinterpret_cast<const char*>(Bytes), Length);
        return true;
    }

private:
    std::string& Data;
};

} // namespace

struct TZABaseArchiver::TRunState {
    TZAProcessOperation Operation = poExtract;
    const TZADirItem* Next = nullptr; // the selected item after the current one
    int Selected = 0;
    int Done = 0;
    bool Cancel = false; // any Cancel answer; never cleared during the run
    bool Skip = false;   // the current item was skipped at the password prompt
};

bool TZABaseArchiver::FireFileProgress(const std::string& ItemName, double Progress, TZAProcessOperation Operation,
                                       TZAProgressPhase Phase)
{
    bool cancel = false;
    if (OnFileProgress)
        OnFileProgress(this, ItemName, Progress, Operation, Phase, cancel);
    return cancel;
}

bool TZABaseArchiver::FireOverallProgress(double Progress, TZAProcessOperation Operation, TZAProgressPhase Phase)
{
    bool cancel = false;
    if (OnOverallProgress)
        OnOverallProgress(this, Progress, Operation, Phase, cancel);
    return cancel;
}

TZAAction TZABaseArchiver::DecideFailure(const std::string& ItemName, TZAProcessOperation Operation,
                                         const EZAException& Error)
{
    TZAAction action = faAbort;
    if (OnProcessFileFailure)
        OnProcessFileFailure(this, ItemName, Operation, Error.NativeError, Error.ErrorCode, Error.what(), action);
    else if (Error.NativeError == zecOpenAborted)
        action = faAbort;
    else
        action = ZipUserPrompts().AskFileFailure(std::string(Error.what()) +
                                                 ". File processing error, possibly disk is full");
    return action;
}

bool TZABaseArchiver::AskNewPassword(TRunState& Run, const TZADirItem& Item, std::string& NewPassword)
{
    std::string answer = NewPassword;
    bool skip = false;
    if (OnPassword)
        OnPassword(this, Item.Name, answer, skip);
    else
        skip = !ZipUserPrompts().AskPassword("Password for \"" + Item.Name + "\"", "Enter password: ", answer);
    if (skip) {
        Run.Skip = true;
        return false;
    }
    NewPassword = answer;
    return true;
}

// The questions and progress events of one entry's data, before each chunk.
TZAEntryEvents TZABaseArchiver::EntryEvents(TRunState& Run, const TZADirItem& Item, const std::string& ItemName)
{
    TZAEntryEvents events;
    events.AskPassword = [this, &Run, &Item](std::string& Pw) { return AskNewPassword(Run, Item, Pw); };
    events.Progress = [this, &Run, &ItemName](double Consumed) {
        if (FireFileProgress(ItemName, Consumed * 100.0, Run.Operation, ppProcess))
            Run.Cancel = true;
        if (FireOverallProgress((Consumed + Run.Done) / Run.Selected * 100.0, Run.Operation, ppProcess))
            Run.Cancel = true;
        return !Run.Cancel;
    };
    return events;
}

void TZABaseArchiver::ProcessSelected(TZAProcessOperation Operation)
{
    std::lock_guard<std::recursive_mutex> lock(RunLock());
    TRunState run;
    run.Operation = Operation;
    Reader->SetDecryptAhead(DecryptAhead);
    // No prefetch may outlive the run: the items it points to go with the next Close.
    struct PrefetchGuard {
        TZAEntryReader& Reader;
        ~PrefetchGuard() { Reader.DropPrefetch(); }
    } prefetchGuard{*Reader};
    for (TZADirItem& item : Dir.Items) {
        if (item.Selected) {
            item.Operation = Operation;
            ++run.Selected;
        }
    }
    if (FireOverallProgress(0, Operation, ppStart))
        return; // cancelled before anything was done: no end event either

    for (size_t index = 0; index < Dir.Items.size(); ++index) {
        TZADirItem& item = Dir.Items[index];
        if (!item.Selected)
            continue;
        run.Next = nullptr;
        for (size_t k = index + 1; k < Dir.Items.size() && !run.Next; ++k)
            if (Dir.Items[k].Selected)
                run.Next = &Dir.Items[k];
        const std::string name = zippath::SlashesToBackslashes(item.Name);
        bool confirm = true;
        if (OnConfirmProcessFile)
            OnConfirmProcessFile(this, name, Operation, confirm);
        if (!confirm)
            continue;
        const std::string base = zippath::AddBackslash(BaseDir.empty() ? zipfs::CurrentDirectory() : BaseDir);

        bool abort = false;
        for (;;) {
            if (FireFileProgress(name, 0, Operation, ppStart)) {
                run.Cancel = true;
                break;
            }
            run.Skip = false;
            bool failed = false;
            int nativeError = 0;
            std::string message;
            try {
                if (Operation == poTest)
                    TestItem(run, item, name);
                else
                    ProcessItem(run, item, name, base);
            } catch (const EZAException& e) {
                failed = true;
                nativeError = e.NativeError;
                message = e.what();
            }
            if (FireFileProgress(name, 100, Operation, ppEnd))
                run.Cancel = true;
            if (!failed || run.Cancel)
                break;
            const TZAAction action =
                DecideFailure(name, Operation, EZAException(message, nativeError, ZipErrorCodeOf(nativeError)));
            if (action == faRetry)
                continue;
            abort = action == faAbort;
            break;
        }
        ++run.Done;
        if (abort || run.Cancel)
            break;
    }
    FireOverallProgress(100, Operation, ppEnd);
}

void TZABaseArchiver::ProcessItem(TRunState& Run, TZADirItem& Item, const std::string& ItemName,
                                  const std::string& BaseFolder)
{
    uint32_t attributes = Item.ExternalAttributes();
    std::string target = ItemName;
    if (OnExtractFile)
        OnExtractFile(this, target, attributes, Item.Comment);
    // A name from the archive must stay below the base folder; one that the handler chose
    // is the caller's own decision.
    if (target == ItemName && zippath::IsUnsafeEntryName(Item.Name))
        Raise(zecCannotCreateFile, BaseFolder + target);

    // The helper decrypts the first chunk while the folders and the file are made.
    if (DecryptAhead)
        Reader->Prefetch(Input, Item, Dir.CentralDirStart, Password);
    const std::string base = zippath::IsAbsoluteName(target) ? std::string() : BaseFolder;
    if (Options.CreateDirs) {
        const std::string folder = base + zippath::ExtractFilePath(target);
        std::vector<std::string> created;
        const bool made = folder.empty() || zippath::ForceDirectories(folder, &created);
        if (AfterCreatePath)
            for (const std::string& path : created)
                AfterCreatePath(this, path, true);
        if (!made)
            Raise(zecCannotCreateDir, folder);
    } else {
        target = zippath::ExtractFileName(target);
    }
    if ((attributes & zipfs::AttrDirectory) || (!Item.Name.empty() && Item.Name.back() == '/'))
        return;

    const std::string path = base + target;
    if (zipfs::FileExists(path)) {
        uint32_t existing = 0;
        if (!Options.ReplaceReadOnly && zipfs::GetAttributes(path, existing) && (existing & zipfs::AttrReadOnly))
            return;
        int64_t targetStamp = 0, entryStamp = 0;
        const bool comparable = zipfs::FileModifiedTime(path, targetStamp) &&
                                zipfs::DosDateTimeToStamp(Item.DosDate(), Item.DosTime(), entryStamp);
        switch (Options.OverwriteMode) {
        case omAlways:
            break;
        case omNever:
            return;
        case omIfNewer:
            if (!comparable || targetStamp >= entryStamp)
                return;
            break;
        case omIfOlder:
            if (!comparable || entryStamp >= targetStamp)
                return;
            break;
        case omPrompt: {
            bool confirm = true;
            if (OnConfirmOverwrite)
                OnConfirmOverwrite(this, ItemName, path, confirm);
            if (!confirm)
                return;
            break;
        }
        }
        zipfs::SetAttributes(path, 0);
        zipfs::RemoveFile(path);
    }

    // Always a file made anew: one that could not be removed above is no file to write into,
    // since it would keep what it had of its own (its permissions, other names it has).
    zipfs::TZAWriteFile file;
    if (!file.CreateNew(path))
        Raise(zecCannotCreateFile, path);
    if (AfterCreatePath)
        AfterCreatePath(this, path, false);
    TFileOutput output(file, this, OnFileData);
    const TZAEntryEvents events = EntryEvents(Run, Item, ItemName);
    TZAEntryResult result;
    try {
        result = Reader->Read(Input, Item, Dir.CentralDirStart, Password, output, events);
        // ... and the next item's while this one's file is finished.
        if (DecryptAhead && Run.Next && !Run.Cancel)
            Reader->Prefetch(Input, *Run.Next, Dir.CentralDirStart, Password);
    } catch (...) {
        file.Close();
        zipfs::RemoveFile(path);
        throw;
    }
    const bool corrupted = result != TZAEntryResult::Ok && !(ExtractCorruptedFiles || Run.Skip || Run.Cancel);

    file.SetDosTime(Item.DosDate(), Item.DosTime());
    if (Options.FlushBuffers && zipfs::IsRemovableDrive(path))
        file.FlushToMedium();
    file.Close();
    if (Run.Skip || Run.Cancel || corrupted)
        zipfs::RemoveFile(path);
    else if (Options.SetAttributes)
        zipfs::SetAttributes(path, attributes);
    if (corrupted)
        Raise(zecCorruptedData);
}

void TZABaseArchiver::TestItem(TRunState& Run, TZADirItem& Item, const std::string& ItemName)
{
    if (Item.IsFolder())
        return;
    TNullOutput output;
    const TZAEntryEvents events = EntryEvents(Run, Item, ItemName);
    const TZAEntryResult result = Reader->Read(Input, Item, Dir.CentralDirStart, Password, output, events);
    if (DecryptAhead && Run.Next && !Run.Cancel)
        Reader->Prefetch(Input, *Run.Next, Dir.CentralDirStart, Password);
    if (result != TZAEntryResult::Ok && !Run.Skip && !Run.Cancel)
        Raise(zecCorruptedData);
}

// ---------------------------------------------------------------------------------------------
// Single items, outside a run by mask

TZADirItem& TZABaseArchiver::ItemAt(int Index)
{
    RequireActive();
    if (Index < 0 || static_cast<size_t>(Index) >= Dir.Items.size())
        Raise(zecIndexOutOfBounds);
    return Dir.Items[static_cast<size_t>(Index)];
}

bool TZABaseArchiver::TestItemAt(int Index)
{
    TZADirItem& item = ItemAt(Index);
    std::lock_guard<std::recursive_mutex> lock(RunLock());
    TRunState run;
    run.Operation = poTest;
    run.Selected = 1;
    Reader->SetDecryptAhead(DecryptAhead);
    TestItem(run, item, zippath::SlashesToBackslashes(item.Name));
    return !(run.Skip || run.Cancel);
}

bool TZABaseArchiver::ExtractItemTo(int Index, const std::string& TargetPath)
{
    TZADirItem& item = ItemAt(Index);
    std::lock_guard<std::recursive_mutex> lock(RunLock());
    TRunState run;
    run.Selected = 1;
    Reader->SetDecryptAhead(DecryptAhead);
    // The target is the item's name with nothing in front: a full path goes where it says.
    ProcessItem(run, item, TargetPath, std::string());
    return !(run.Skip || run.Cancel);
}

bool TZABaseArchiver::ReadItemAt(int Index, std::string& Data, size_t MaxSize)
{
    TZADirItem& item = ItemAt(Index);
    Data.clear();
    if (item.UncompressedSize64 > MaxSize)
        Raise(zecCorruptedData);
    // Once, not step by step as the data come: the size is checked against MaxSize above, and
    // more data than it fail the entry.
    Data.reserve(static_cast<size_t>(item.UncompressedSize64));
    std::lock_guard<std::recursive_mutex> lock(RunLock());
    TRunState run;
    run.Operation = poTest;
    run.Selected = 1;
    Reader->SetDecryptAhead(DecryptAhead);
    const std::string name = zippath::SlashesToBackslashes(item.Name);
    TStringOutput output(Data);
    const TZAEntryResult result =
        Reader->Read(Input, item, Dir.CentralDirStart, Password, output, EntryEvents(run, item, name));
    if (result == TZAEntryResult::Ok)
        return true;
    Data.clear();
    if (run.Skip || run.Cancel)
        return false;
    Raise(zecCorruptedData);
}

std::vector<TZABaseArchiver::TZAItemRead> TZABaseArchiver::ReadItemsAt(const std::vector<int>& Indexes,
                                                                       std::vector<std::string>& Data, size_t MaxSize)
{
    std::vector<const TZADirItem*> items;
    for (int index : Indexes)
        items.push_back(&ItemAt(index));
    Data.assign(Indexes.size(), std::string());
    std::vector<TStringOutput> outputs;
    outputs.reserve(items.size());
    std::vector<IZAOutput*> into;
    std::vector<const TZADirItem*> reading;
    std::vector<size_t> positions; // in Indexes, of the items read
    std::vector<TZAItemRead> states(items.size(), TZAItemRead::Damaged);
    for (size_t i = 0; i < items.size(); ++i) {
        // No room is taken before the data come: a directory may claim any size for any number
        // of items, and the output never goes past the size it claims.
        if (items[i]->UncompressedSize64 > MaxSize)
            continue;
        outputs.emplace_back(Data[i]);
        into.push_back(&outputs.back());
        reading.push_back(items[i]);
        positions.push_back(i);
    }
    std::lock_guard<std::recursive_mutex> lock(RunLock());
    Reader->SetDecryptAhead(DecryptAhead); // for the items not read side by side
    std::vector<TZAEntryResult> results;
    Reader->ReadSideBySide(Input, reading, Dir.CentralDirStart, Password, into, results);
    for (size_t k = 0; k < positions.size(); ++k) {
        const size_t i = positions[k];
        states[i] = results[k] == TZAEntryResult::Ok ? TZAItemRead::Read
                    : results[k] == TZAEntryResult::Skipped ? TZAItemRead::Skipped
                                                             : TZAItemRead::Damaged;
        if (states[i] != TZAItemRead::Read)
            Data[i].clear();
    }
    return states;
}
