#include "RunLog.h"

#include <chrono>
#include <ctime>

const char* const RunLogFileName = "Bb7Setup.log";

namespace {

std::string TimeNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local = *std::localtime(&seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

} // namespace

bool RunLog::Open(const std::string& Path)
{
    Close();
    file_ = CreateReplacingFile(Path);
    return file_ != nullptr;
}

void RunLog::Close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

std::string RunLog::FormatLine(const std::string& Time, const std::string& Text, bool Error)
{
    // The text stays on one line whatever it holds.
    std::string line = Time + (Error ? " ERROR " : "       ");
    for (char c : Text)
        line += c == '\r' || c == '\n' ? ' ' : c;
    return line + "\r\n";
}

void RunLog::Write(const std::string& Text, bool Error)
{
    if (!file_)
        return;
    const std::string line = FormatLine(TimeNow(), Text, Error);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_); // a crash must not lose what happened
}

void RunLog::LogLine(const std::string& Text, bool Error)
{
    Write(Text, Error);
}

void RunLog::Note(const std::string& Text)
{
    Write("* " + Text, false);
}
