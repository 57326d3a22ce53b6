#include "CommandLine.h"

// A message box shows a proportional font, where tabs align nothing: one switch a line.
const char* const UsageText =
    "Bb7Setup.exe [/silent [/settings=PATH] [/dir=PATH]] [/log=PATH] [/?]\n"
    "\n"
    "/silent: installs without a window, a question or a wait, from the settings file.\n"
    "/settings=PATH: the settings file of a silent run (default: Bb7Auto.txt beside Bb7Setup.exe; "
    "without one the pages' defaults apply).\n"
    "/dir=PATH: the installation folder of a silent run, in place of the settings file's STDDIR.\n"
    "/log=PATH: the log file (default: Bb7Setup.log in the temporary folder).\n"
    "/?: shows this text (with /silent: writes it into the log file).\n"
    "\n"
    "Exit codes: 0 installed, 1 installed with error lines, 2 closed before the installation or "
    "another installer running, 3 the payload could not be unpacked, 4 stopped early, 5 the "
    "settings were refused, 6 the command line was not understood, 7 the new version could not be "
    "installed and the earlier one was put back.";

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string Lowered(std::string Text)
{
    for (char& c : Text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return Text;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& Text)
{
    std::vector<std::string> arguments;
    size_t at = 0;
    const size_t end = Text.size();
    for (;;) {
        while (at < end && IsBlank(Text[at]))
            ++at;
        if (at >= end)
            break;
        std::string argument;
        bool quoted = false;
        while (at < end && (quoted || !IsBlank(Text[at]))) {
            if (Text[at] == '\\') {
                size_t slashes = 0;
                while (at < end && Text[at] == '\\')
                    ++slashes, ++at;
                if (at < end && Text[at] == '"') {
                    argument.append(slashes / 2, '\\');
                    if (slashes % 2 == 1)
                        argument += '"', ++at; // an escaped quote
                } else {
                    argument.append(slashes, '\\');
                }
            } else if (Text[at] == '"') {
                if (quoted && at + 1 < end && Text[at + 1] == '"') {
                    argument += '"';
                    at += 2;
                } else {
                    quoted = !quoted;
                    ++at;
                }
            } else {
                argument += Text[at++];
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

CommandLineOptions ParseArguments(const std::vector<std::string>& Arguments)
{
    CommandLineOptions options;
    auto fail = [&](const std::string& Error) {
        if (options.Error.empty())
            options.Error = Error;
    };
    std::string silentOnly; // a switch that only a silent run takes
    for (const std::string& argument : Arguments) {
        if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) {
            fail("Unknown switch \"" + argument + "\"");
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string name =
            Lowered(argument.substr(1, equals == std::string::npos ? std::string::npos : equals - 1));
        const bool hasValue = equals != std::string::npos;
        const std::string value = hasValue ? argument.substr(equals + 1) : std::string();
        if (name == "silent" && !hasValue) {
            options.Silent = true;
        } else if (name == "?" && !hasValue) {
            options.Usage = true;
        } else if (name == "finish" && !hasValue) {
            options.Finish = true;
        } else if (name == "settings" || name == "dir" || name == "log") {
            if (value.empty()) {
                fail("The switch \"" + argument + "\" needs a path: /" + name + "=PATH");
                continue;
            }
            (name == "settings" ? options.SettingsFile : name == "dir" ? options.InstallDir : options.LogFile) = value;
            if (name != "log" && silentOnly.empty())
                silentOnly = name;
        } else {
            fail("Unknown switch \"" + argument + "\"");
        }
    }
    if (!silentOnly.empty() && !options.Silent)
        fail("The switch /" + silentOnly + "=PATH belongs to a silent run: add /silent");
    return options;
}
