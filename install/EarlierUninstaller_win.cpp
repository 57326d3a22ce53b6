#include "EarlierUninstaller_win.h"

#include "Authenticode_win.h"
#include "BriCommon.h"
#include "FolderHandles_win.h"
#include "SecurityDescriptor_win.h"

HeldUninstaller::HeldUninstaller(const std::string& Folder, const std::string& Program)
{
    facts_.Program = Program;
    facts_.Checked = false;
    const OwnershipPrivileges privileges; // the folder may keep others out, administrators included
    FolderPath folder = OpenFolderPath(Folder, FILE_LIST_DIRECTORY | FILE_TRAVERSE | READ_CONTROL);
    if (folder.State == FolderPathState::Missing || folder.State == FolderPathState::NotFolder) {
        missing_ = true;
        return;
    }
    facts_.FolderIsLink = folder.State == FolderPathState::Link;
    if (folder.State != FolderPathState::Opened) {
        facts_.Checked = facts_.FolderIsLink;
        return;
    }
    folder_ = std::move(folder.Folder);
    // Read, and shared for reading only: nobody may write, rename or delete it while it is held.
    const std::string name = Program.substr(Program.find_last_of('\\') + 1);
    program_ = OpenEntry(folder_.Get(), WideText(name), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, FILE_OPEN,
                         EntryKind::Any);
    if (!program_) {
        const DWORD attributes = GetFileAttributesA(Program.c_str());
        missing_ = attributes == INVALID_FILE_ATTRIBUTES;
        facts_.Checked = !missing_ && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        facts_.ProgramIsLink = facts_.Checked;
        return;
    }
    facts_.Checked = true;
    BY_HANDLE_FILE_INFORMATION info = {};
    facts_.ProgramIsLink = IsLinkedEntry(program_.Get(), Program) ||
                           !GetFileInformationByHandle(program_.Get(), &info) ||
                           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    // The administrator who runs the installer may have made the files; nobody else is trusted.
    const std::string administrator = IsAdministrator() ? ProcessUserSid() : std::string();
    facts_.FolderProtected = OnlyAdministratorsMayChange(OwnerAndDaclText(folder_.Get()), administrator);
    facts_.ProgramProtected = OnlyAdministratorsMayChange(OwnerAndDaclText(program_.Get()), administrator);
    facts_.SignatureRequired = !OwnAuthenticodeSigner().empty();
    facts_.SignedLikeInstaller =
        facts_.SignatureRequired && AuthenticodeSigner(program_.Get(), Program) == OwnAuthenticodeSigner();
}

void HeldUninstaller::Release()
{
    program_.Reset();
    folder_.Reset();
}
