// The runs that show no wizard: the usage in a box, a command line that is not understood,
// and the silent installation, which shows nothing at all, waits for nobody and reports
// through its log file and exit code only.
#pragma once

#include "CommandLine.h"

// For options that RunsWizard refuses; returns the program's exit code.
int RunWithoutWizard(const CommandLineOptions& Options);

// The log file of a run: the path of /log, else Bb7Setup.log in the temporary folder; empty
// when there is no temporary folder.
std::string RunLogPath(const CommandLineOptions& Options);
