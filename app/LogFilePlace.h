// Where the log of a run goes, settled before anything changes. /log=PATH is the
// administrator's choice: its folders are made. It must name neither a settings file (the log
// would replace the settings, the ciphered password with them) nor the installer itself, and
// a log file must be possible there; otherwise the command line is refused (exit code 6), and
// the refusal is said where it can be read: on standard error and in the temporary folder's
// Bb7Setup.log.
#pragma once

#include <string>

#include "CommandLine.h"

// Why the log of Options cannot go where /log says; empty when it can, or when no /log is given.
std::string RefusalOfLogFile(const CommandLineOptions& Options);

// Text as a line on standard error, where a deployment tool that started the installer with
// its output redirected collects it (a program without a console has nothing there otherwise).
void WriteToStandardError(const std::string& Text);
