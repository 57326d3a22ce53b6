// The program's switches. Without any, the wizard runs as it always has (unattended when
// Bb7Auto.txt stands beside the program). Switches are matched without regard to letter
// case, and "-" serves as well as "/". After the switches a silent run may take settings of
// the settings file as KEY=VALUE.
#pragma once

#include <string>
#include <vector>

#include "SettingsChoices.h"

struct CommandLineOptions {
    bool Silent = false; // /silent: no window, no question, no wait
    bool Usage = false;  // /?: the usage, in a box (with /silent in the log file)
    // /finish: only finishes an upgrade that was cut off (Windows starts the installer's kept
    // copy so at its next start), without a window
    bool Finish = false;
    std::string SettingsFile; // /settings=PATH, for a silent run; empty: Bb7Auto.txt beside the program
    std::string InstallDir;   // /dir=PATH, for a silent run: the installation folder, before STDDIR
    std::string LogFile;      // /log=PATH; empty: Bb7Setup.log in the temporary folder
    // KEY=VALUE, for a silent run: every key of the settings file but INSTPASSWORD, winning
    // over the file's line of that key
    CommandLineSettings Settings;
    std::string Error; // the first thing that was not understood; empty when all was
};

// One argument, in the ANSI code page. Exact is false when Windows gave a character that the
// code page cannot represent, which reads as "?".
struct CommandLineArgument {
    std::string Text;
    bool Exact = true;
};

// The arguments of a command line as the C runtime splits them: blanks and tabs separate,
// double quotes group (a doubled one inside quotes is one quote), and backslashes are
// literal except in front of a double quote, where each pair gives one backslash and an odd
// one makes the quote literal.
std::vector<std::string> SplitCommandLine(const std::string& Text);
std::vector<std::u16string> SplitCommandLine(const std::u16string& Text);

// What follows the program's name in a whole command line as GetCommandLineW gives it: the
// name ends at its closing quote when it begins with one, else at the first blank.
std::u16string ArgumentsAfterProgramName(const std::u16string& CommandLine);

CommandLineOptions ParseArguments(const std::vector<CommandLineArgument>& Arguments);
CommandLineOptions ParseArguments(const std::vector<std::string>& Arguments);
inline CommandLineOptions ParseCommandLine(const std::string& Text)
{
    return ParseArguments(SplitCommandLine(Text));
}
// Arguments in UTF-16, as Windows gives them: each is taken in the ANSI code page, and a path
// or a setting that the code page cannot represent is refused, never read as a look-alike
// ("/dir=C:\Āpps\B7" is not C:\Apps\B7).
CommandLineOptions ParseWideArguments(const std::u16string& Arguments);

// Whether the wizard runs: not for a silent run, the usage, or a command line not understood.
inline bool RunsWizard(const CommandLineOptions& Options)
{
    return !Options.Silent && !Options.Usage && !Options.Finish && Options.Error.empty();
}

extern const char* const UsageText;
