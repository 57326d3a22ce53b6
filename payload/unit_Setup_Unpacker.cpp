#include "unit_Setup_Unpacker.h"

#include <fstream>

#include "Application.h"
#include "BriBar.h"
#include "BriCommon.h"
#include "MessageBoxes.h"
#include "PayloadPassword.h"
#include "Product.h"
#include "ZipDialogs.h"

const char* const PayloadResourceName = "DISTRO";
const int UnpackSuccess = 8080;
const int UnpackFailure = 2020;

namespace {

const char* const ZipFileName = "DISTRO.ZIP";
const char* const UnpackedFolderName = "Distro\\";
const int OpenReadShareAll = 0x40; // read access; others may read and write

std::string BareFileName(const std::string& Path)
{
    const size_t slash = Path.find_last_of("\\/:");
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

} // namespace

TForm_Unzip::TForm_Unzip() : Form(UnpackerLayout), Timer_(AddTimer(2000))
{
    // The bar in the green scheme; the description sets the three colours, then the scheme.
    TBriBar& bar = Bar("BriBar");
    bar.SetColorBorder(22144);
    bar.SetColorFace(6413967);
    bar.SetColorBack(14547432);
    bar.SetColorScheme(ccGreen);

    // The reader's stored settings; ExtractArchive sets most of them again before it opens.
    Unzip.Name = "Unzip";
    Unzip.ExtractCorruptedFiles = false;
    Unzip.Options.FlushBuffers = true;
    Unzip.Options.OEMFileNames = true;
    Unzip.InMemory = false;
    Unzip.Zip64Mode = zmDisabled;
    Unzip.OnFileProgress = [this](TZABaseArchiver* Sender, const std::string& FileName, double Progress,
                                  TZAProcessOperation Operation, TZAProgressPhase Phase, bool& Cancel) {
        UnzipFileProgress(Sender, FileName, Progress, Operation, Phase, Cancel);
    };
    Unzip.OnOverallProgress = [this](TZABaseArchiver* Sender, double Progress, TZAProcessOperation Operation,
                                     TZAProgressPhase Phase, bool& Cancel) {
        UnzipOverallProgress(Sender, Progress, Operation, Phase, Cancel);
    };
    Unzip.AfterOpen = [this](TZABaseArchiver* Sender) { UnzipAfterOpen(Sender); };

    Get<Button>("b_Cancel").OnClick = [this] { b_CancelClick(); };
    Timer_.OnTimer = [this] { TimerTimer(); };
    Invoke([this] { FormCreate(); });
}

void TForm_Unzip::FormCreate()
{
    Tag = 0;
    ReportErrors = 0;
    FirstShow = true;
}

void TForm_Unzip::FormShow()
{
    if (!FirstShow)
        return;
    SetWindowCaption();
    ZipFile = Folder + ZipFileName;
    Timer_.SetEnabled(true);
    FirstShow = false;
}

void TForm_Unzip::SetWindowCaption()
{
    SetCaption(ProductName);
}

bool TForm_Unzip::FormCloseQuery()
{
    return Tag == UnpackFailure || Tag == UnpackSuccess;
}

void TForm_Unzip::FormClose()
{
    if (IsExistingFile(ZipFile))
        DeleteFileA(ZipFile.c_str());
}

void TForm_Unzip::SetStatus(const std::string& Text)
{
    Get<Control>("l_Status").SetText(Text);
    Application::ProcessMessages();
}

void TForm_Unzip::TimerTimer()
{
    Timer_.SetEnabled(false); // one job per showing
    Get<Button>("b_Cancel").SetEnabled(true);
    SetStatus("Creating the temporary zip file...");
    if (!WriteArchiveFile()) {
        Tag = UnpackFailure;
        Close();
        return;
    }
    SetStatus("Unziping the files...");
    const bool extracted = ExtractArchive();
    // A confirmed cancel stays a failure whatever the extraction returned.
    if (Tag != UnpackFailure)
        Tag = extracted ? UnpackSuccess : UnpackFailure;
    Close();
}

bool TForm_Unzip::WriteArchiveFile()
{
    HMODULE module = Application::Instance();
    bool written = false;
    if (HRSRC resource = FindResourceA(module, PayloadResourceName, MAKEINTRESOURCEA(10) /* RT_RCDATA */)) {
        HGLOBAL loaded = LoadResource(module, resource);
        const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (data) {
            std::ofstream file(ZipFile, std::ios::binary | std::ios::trunc);
            file.write(data, SizeofResource(module, resource));
            file.close();
            written = file.good();
        }
    }
    if (!written && ReportErrors != 0)
        InformationBox("Couldn't extract the resource file");
    return written;
}

bool TForm_Unzip::ExtractArchive()
{
    try {
        Unzip.FileMasks.clear();
        Unzip.ExclusionMasks.clear();
        Unzip.NoCompressionMasks.clear();
        Unzip.BaseDir = Folder;
        Unzip.FileName = ZipFile;
        Unzip.InMemory = false;
        // A damaged entry must fail the unpacking instead of leaving a broken product on disk:
        // such entries are reported through UnzipProcessFileFailure.
        Unzip.ExtractCorruptedFiles = false;
        Unzip.OnProcessFileFailure = [this](TZABaseArchiver* Sender, const std::string& FileName,
                                            TZAProcessOperation Operation, int NativeError, int ErrorCode,
                                            const std::string& ErrorMessage, TZAAction& Action) {
            UnzipProcessFileFailure(Sender, FileName, Operation, NativeError, ErrorCode, ErrorMessage, Action);
        };
        Unzip.Options.CreateDirs = true;
        Unzip.Options.FlushBuffers = true;
        Unzip.Options.OEMFileNames = true;
        Unzip.Options.OverwriteMode = omAlways;
        Unzip.Options.Recurse = true;
        Unzip.Options.SearchAttr = 10431;
        Unzip.Options.SetAttributes = true;
        Unzip.Options.ShareMode = smShareExclusive;
        Unzip.Options.StorePath = spRelativePath;
        Unzip.Password = PayloadPassword;
        Unzip.SetSpanningMode(smNone);
        Unzip.Zip64Mode = zmDisabled;

        entryFailed_ = false;
        Unzip.Open(OpenReadShareAll);
        try {
            Unzip.ExtractByMask("*.*", 10431, "");
            if (entryFailed_)
                throw std::runtime_error("An entry of the archive could not be extracted");
            Folder = AddTrailingBackslash(Folder) + UnpackedFolderName;
        } catch (...) {
            Unzip.Close();
            throw;
        }
        Unzip.Close();
        return true;
    } catch (const std::exception&) {
        if (ReportErrors != 0)
            InformationBox("The files couldn't be unzipped");
        return false;
    }
}

void TForm_Unzip::b_CancelClick()
{
    if (ConfirmationBox("Do you want to cancel the setup?", MB_OKCANCEL) != IDOK)
        return;
    Tag = UnpackFailure;
    Application::ProcessMessages();
    Close();
}

void TForm_Unzip::UnzipAfterOpen(TZABaseArchiver* Sender)
{
    FileTotal = Unzip.FileEntryCount();
    FilesDone = 0;
}

void TForm_Unzip::UnzipFileProgress(TZABaseArchiver* Sender, const std::string& FileName, double Progress,
                                    TZAProcessOperation Operation, TZAProgressPhase ProgressPhase, bool& Cancel)
{
    if (ProgressPhase != ppStart)
        return;
    Get<Control>("l_Status").SetText("Extracting " + BareFileName(FileName));
    ++FilesDone;
    Bar("BriBar").SetPosition(FileTotal == 0 ? 0 : static_cast<int>(static_cast<double>(FilesDone) / FileTotal * 100));
    Application::ProcessMessages();
}

void TForm_Unzip::UnzipOverallProgress(TZABaseArchiver* Sender, double Progress, TZAProcessOperation Operation,
                                       TZAProgressPhase ProgressPhase, bool& Cancel)
{
    Cancel = Tag == UnpackFailure;
}

void TForm_Unzip::UnzipProcessFileFailure(TZABaseArchiver* Sender, const std::string& FileName,
                                          TZAProcessOperation Operation, int NativeError, int ErrorCode,
                                          const std::string& ErrorMessage, TZAAction& Action)
{
    // Data that fail their size or CRC-32 check, or cannot be inflated: the payload is damaged.
    const int DamagedData = 8, AbortAtOnce = 45;
    if (NativeError == DamagedData || NativeError == AbortAtOnce) {
        entryFailed_ = true;
        Action = faAbort;
        return;
    }
    // A file or folder that cannot be created: the user decides, as the reader would ask.
    Action = AskZipFileFailure(ErrorMessage + ". File processing error, possibly disk is full");
    if (Action == faAbort)
        entryFailed_ = true;
}
