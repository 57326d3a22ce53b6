// The sink of a run without windows: every line goes to the log file, a message that a box
// would show goes there as an error line, and nobody is waited for. The installation steps
// run unchanged behind it.
#pragma once

#include <functional>
#include <string>

#include "InstallSink.h"

class LogOnlySink : public InstallSink {
public:
    // Writes one line of the log file, marked when it reports an error.
    using LineWriter = std::function<void(const std::string& Text, bool Error)>;
    // Writes a note of the log file, which is no line of the installation.
    using NoteWriter = std::function<void(const std::string& Text)>;
    explicit LogOnlySink(LineWriter Write, NoteWriter WriteNote = nullptr)
        : write_(std::move(Write)), writeNote_(std::move(WriteNote))
    {
    }

    // A step found that the installation cannot go on (the wizard would close).
    bool Abandoned() const { return abandoned_; }

    void Status(const std::string& Text) override { Note(Text); }
    void Inform(const std::string& Text) override { Log(Text, true); }
    void Note(const std::string& Text) override
    {
        if (writeNote_)
            writeNote_(Text);
    }
    void InstallationAbandoned() override { abandoned_ = true; }

    // Nothing to show, to repaint or to enable; nobody to ask for a stop.
    void SetProgress(int) override {}
    void Busy(bool) override {}
    void ProcessMessages() override {}
    bool StopRequested() override { return false; }
    void OldVersionRemoval(bool) override {}
    void FolderRefused() override {}
    void CopyStarted() override {}
    void CopyEnded() override {}

protected:
    void WriteLine(const std::string& Text, bool Error) override
    {
        if (write_)
            write_(Text, Error);
    }

private:
    LineWriter write_;
    NoteWriter writeNote_;
    bool abandoned_ = false;
};
