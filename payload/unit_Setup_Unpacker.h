// The payload unpacker: a small borderless window that writes the embedded product archive
// to a temporary file, extracts it below a folder and reports the result in Tag.
#pragma once

#include <cstdint>
#include <string>

#include "Form.h"
#include "ZipArchive.h"

extern const FormDesc UnpackerLayout;

extern const char* const PayloadResourceName; // "DISTRO"
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

    TZipArchive Unzip;
    Timer& Timer_;

    void FormCreate();
    void TimerTimer();
    void b_CancelClick();
    void UnzipAfterOpen(TZABaseArchiver* Sender);
    void UnzipFileProgress(TZABaseArchiver* Sender, const std::string& FileName, double Progress,
                           TZAProcessOperation Operation, TZAProgressPhase ProgressPhase, bool& Cancel);
    void UnzipOverallProgress(TZABaseArchiver* Sender, double Progress, TZAProcessOperation Operation,
                              TZAProgressPhase ProgressPhase, bool& Cancel);
    void UnzipProcessFileFailure(TZABaseArchiver* Sender, const std::string& FileName, TZAProcessOperation Operation,
                                 int NativeError, int ErrorCode, const std::string& ErrorMessage, TZAAction& Action);

protected:
    void FormShow() override;
    bool FormCloseQuery() override;
    void FormClose() override;

private:
    void SetWindowCaption();
    bool WriteArchiveFile();
    bool ExtractArchive();
    void SetStatus(const std::string& Text);

    // Set when an entry could not be extracted sound and the user did not choose to go on.
    bool entryFailed_ = false;
};
