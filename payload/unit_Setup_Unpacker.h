// The payload unpacker: a small borderless window that writes the embedded product archive
// to a temporary file, extracts it below a folder and reports the result in Tag.
#pragma once

#include <cstdint>
#include <string>

#include "Form.h"
#include "PayloadExtraction.h"
#include "UnpackerLayout.h"

class TBriBar;

extern const int UnpackSuccess;               // 8080
extern const int UnpackFailure;               // 2020

class TForm_Unzip : public Form {
public:
    TForm_Unzip();

    int32_t Tag = 0;       // 0 working, 8080 success, 2020 failure or cancel
    std::string Folder;    // in: the folder to work in; out: its "Distro\" folder
    std::string ZipFile;   // Folder + "DISTRO.ZIP"
    int32_t FileTotal = 0; // file entries of the opened archive
    int32_t FilesDone = 0; // entries whose extraction has started
    bool FirstShow = true;
    int32_t ReportErrors = 0; // non-zero: failures are also shown in a message box

    // The extraction behind the window; its reader is the window's Unzip.
    PayloadExtraction Extraction;
    TZipArchive& Unzip;
    Timer& Timer_;

    // What the successful run wrote, for its owner to take over and remove at the end.
    UnpackRecord TakeWritten() { return Extraction.TakeWritten(); }
    // Stops the work as a confirmed cancel does: Tag 2020, and the window closes.
    void Abandon();

    void FormCreate();
    void TimerTimer();
    void b_CancelClick();
    void UnzipAfterOpen(TZABaseArchiver* Sender);
    void UnzipFileProgress(TZABaseArchiver* Sender, const std::string& FileName, double Progress,
                           TZAProcessOperation Operation, TZAProgressPhase ProgressPhase, bool& Cancel);
    void UnzipOverallProgress(TZABaseArchiver* Sender, double Progress, TZAProcessOperation Operation,
                              TZAProgressPhase ProgressPhase, bool& Cancel);

protected:
    void FormShow() override;
    bool FormCloseQuery() override;
    void FormClose() override;

private:
    void SetWindowCaption();
    bool WriteArchiveFile();
    bool ExtractArchive();
    void SetStatus(const std::string& Text);

    Control& l_Status;
    Button& b_Cancel;
    TBriBar& BriBar;
};
