#include "unit_Setup_Unpacker.h"

#include "Application.h"
#include "BriBar.h"
#include "BriCommon.h"
#include "MessageBoxes.h"
#include "PayloadResource.h"
#include "Product.h"

const int UnpackSuccess = 8080;
const int UnpackFailure = 2020;

namespace {

const char* const ZipFileName = "DISTRO.ZIP";
const char* const UnpackedFolderName = "Distro\\";
const UINT JobDelay = 2000; // ms between the showing and the start of the job

std::string BareFileName(const std::string& Path)
{
    const size_t slash = Path.find_last_of("\\/:");
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

} // namespace

TForm_Unzip::TForm_Unzip()
    : Form(UnpackerLayout), Unzip(Extraction.Unzip), Timer_(AddTimer(JobDelay)), l_Status(Get<Control>("l_Status")),
      b_Cancel(Get<Button>("b_Cancel")), BriBar(Get<ProgressBar>("BriBar").Bar())
{
    // The bar in the green scheme; the description sets the three colours, then the scheme.
    BriBar.SetColorBorder(RgbColor(128, 86, 0));
    BriBar.SetColorFace(RgbColor(143, 222, 97));
    BriBar.SetColorBack(RgbColor(232, 249, 221));
    BriBar.SetColorScheme(ccGreen);

    Unzip.OnFileProgress = [this](TZABaseArchiver* Sender, const std::string& FileName, double Progress,
                                  TZAProcessOperation Operation, TZAProgressPhase Phase, bool& Cancel) {
        UnzipFileProgress(Sender, FileName, Progress, Operation, Phase, Cancel);
    };
    Unzip.OnOverallProgress = [this](TZABaseArchiver* Sender, double Progress, TZAProcessOperation Operation,
                                     TZAProgressPhase Phase, bool& Cancel) {
        UnzipOverallProgress(Sender, Progress, Operation, Phase, Cancel);
    };
    Unzip.AfterOpen = [this](TZABaseArchiver* Sender) { UnzipAfterOpen(Sender); };

    b_Cancel.OnClick = [this] { b_CancelClick(); };
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
    Timer_.SetEnabled(false); // a window closed before its job began never starts it
    // Only the archive this window wrote: a file or link that stood at its name is left.
    Extraction.ReleaseArchive();
}

void TForm_Unzip::SetStatus(const std::string& Text)
{
    l_Status.SetText(Text);
    Application::ProcessMessages();
}

void TForm_Unzip::TimerTimer()
{
    Timer_.SetEnabled(false); // one job per showing
    b_Cancel.SetEnabled(true);
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
    if (Tag == UnpackSuccess)
        Folder = AddTrailingBackslash(Folder) + UnpackedFolderName;
    else
        Extraction.DeleteWritten(); // a failed attempt leaves no partial tree behind
    Close();
}

bool TForm_Unzip::WriteArchiveFile()
{
    const void* data = nullptr;
    size_t size = 0;
    const bool written = FindPayload(data, size) && Extraction.WriteArchive(ZipFile, data, size);
    if (!written && ReportErrors != 0)
        InformationBox("Couldn't extract the resource file");
    return written;
}

bool TForm_Unzip::ExtractArchive()
{
    if (Extraction.Extract(ZipFile, Folder))
        return true;
    if (ReportErrors != 0)
        InformationBox(NotUnzippedMessage);
    return false;
}

void TForm_Unzip::b_CancelClick()
{
    if (ConfirmationBox("Do you want to cancel the setup?", MB_OKCANCEL) != IDOK)
        return;
    Application::ProcessMessages();
    Abandon();
}

void TForm_Unzip::Abandon()
{
    Tag = UnpackFailure;
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
    l_Status.SetText("Extracting " + BareFileName(FileName));
    ++FilesDone;
    BriBar.SetPosition(FileTotal == 0 ? 0 : static_cast<int>(static_cast<double>(FilesDone) / FileTotal * 100));
    Application::ProcessMessages();
}

void TForm_Unzip::UnzipOverallProgress(TZABaseArchiver* Sender, double Progress, TZAProcessOperation Operation,
                                       TZAProgressPhase ProgressPhase, bool& Cancel)
{
    Cancel = Tag == UnpackFailure;
}
