#include "FolderOwnership_win.h"

#include "FolderHandles_win.h"
#include "FolderStep.h"
#include "SecurityDescriptor_win.h"

const ACCESS_MASK HeldFolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL | WRITE_DAC | WRITE_OWNER;

namespace {

const ACCESS_MASK TakeAccess = FILE_READ_ATTRIBUTES | READ_CONTROL | WRITE_DAC | WRITE_OWNER;
const ACCESS_MASK ListAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE;

class Walker {
public:
    Walker(bool TakeOver, FoundFolderKind Kind, const std::vector<std::string>& Manifest)
        : takeOver_(TakeOver), kind_(Kind), manifest_(Manifest), subfolder_(ProtectedSubfolderSddl),
          file_(ProtectedFileSddl)
    {
    }

    // Judges (and takes) what is in the folder held by Folder, whose path below the top is Relative.
    bool Walk(HANDLE Folder, const std::string& Relative)
    {
        std::vector<FolderEntry> entries;
        if (!ListFolder(Folder, entries))
            return Fail(Relative);
        for (const FolderEntry& entry : entries) {
            FoundEntry found{Relative + entry.AnsiName, entry.IsFolder(), entry.IsLink()};
            FoundEntryVerdict verdict = JudgeFoundEntry(found, kind_, manifest_);
            if (verdict == FoundEntryVerdict::Link || verdict == FoundEntryVerdict::ForeignProgram)
                return Refuse(found, verdict);
            // A closer look through a handle: a link that the listing did not show as one (Windows
            // shows every link through its handle), a file with other names.
            const ACCESS_MASK access = found.Folder ? ListAccess | (takeOver_ ? TakeAccess : FILE_READ_ATTRIBUTES)
                                       : verdict == FoundEntryVerdict::Replace && takeOver_
                                           ? DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES
                                           : (takeOver_ ? TakeAccess : FILE_READ_ATTRIBUTES);
            // A folder is kept from being renamed or deleted while what is in it is handled.
            FileHandle held = OpenEntry(Folder, entry.Name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN,
                                        found.Folder ? EntryKind::Folder : EntryKind::File);
            if (!held)
                return Fail(found.Path);
            if (IsLinkedEntry(held.Get())) {
                found.Link = true;
                return Refuse(found, JudgeFoundEntry(found, kind_, manifest_));
            }
            if (!takeOver_) {
                if (found.Folder && !Walk(held.Get(), found.Path + "\\"))
                    return false;
                continue;
            }
            if (verdict == FoundEntryVerdict::Replace) {
                if (!DeleteHeldEntry(held.Get()))
                    return Fail(found.Path);
                continue;
            }
            // Owner and permissions first: from then on nobody else adds anything to a folder.
            if (!ApplyOwnerAndDacl(held.Get(), found.Folder ? subfolder_ : file_))
                return Fail(found.Path);
            if (found.Folder && !Walk(held.Get(), found.Path + "\\"))
                return false;
        }
        return true;
    }

    FolderWalk Result() const { return result_; }
    void Complete() { result_.Complete = true; }

private:
    bool Refuse(const FoundEntry& Entry, FoundEntryVerdict Verdict)
    {
        result_.Refusal = Verdict;
        result_.Where = Entry.Path;
        return false;
    }
    bool Fail(const std::string& Where)
    {
        result_.Where = Where;
        return false;
    }

    bool takeOver_;
    FoundFolderKind kind_;
    const std::vector<std::string>& manifest_;
    SecurityDescriptor subfolder_, file_;
    FolderWalk result_;
};

FolderWalk WalkFolder(HANDLE Folder, bool TakeOver, FoundFolderKind Kind, const std::vector<std::string>& Manifest)
{
    Walker walker(TakeOver, Kind, Manifest);
    if (TakeOver) {
        const SecurityDescriptor folder(ProtectedFolderSddl);
        if (!ApplyOwnerAndDacl(Folder, folder))
            return walker.Result();
    }
    if (walker.Walk(Folder, ""))
        walker.Complete();
    return walker.Result();
}

} // namespace

FolderWalk InspectFolder(HANDLE Folder, FoundFolderKind Kind, const std::vector<std::string>& Manifest)
{
    return WalkFolder(Folder, false, Kind, Manifest);
}

FolderWalk TakeOverFolder(HANDLE Folder, FoundFolderKind Kind, const std::vector<std::string>& Manifest)
{
    return WalkFolder(Folder, true, Kind, Manifest);
}

FolderIdentity IdentityOf(HANDLE Folder)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(Folder, &info))
        return {};
    return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}
