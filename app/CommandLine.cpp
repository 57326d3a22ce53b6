#include "CommandLine.h"

#include <set>

#include "AnsiCodePage.h"

// A message box shows a proportional font, where tabs align nothing: one switch a line.
const char* const UsageText =
    "Bb7Setup.exe [/silent [/settings=PATH] [/dir=PATH] [KEY=VALUE...]] [/log=PATH] [/?]\n"
    "\n"
    "/silent: installs without a window, a question or a wait, from the settings file and the "
    "command line's settings (without either: the pages' defaults, the service as LocalSystem).\n"
    "/settings=PATH: the settings file of a silent run (default: Bb7Auto.txt beside Bb7Setup.exe).\n"
    "/dir=PATH: the installation folder of a silent run, in place of the settings file's STDDIR.\n"
    "/log=PATH: the log file (default: Bb7Setup.log in the temporary folder); its folders are made.\n"
    "KEY=VALUE: a setting of a silent run, in place of the settings file's: STDDIR, CREATEICONS, "
    "INSTKIND, AUTHKIND or INSTID (INSTPASSWORD only in the settings file).\n"
    "/?: shows this text (with /silent: writes it into the log file).\n"
    "\n"
    "Exit codes: 0 installed, 1 installed with error lines, 2 closed before the installation or "
    "another installer running, 3 the payload could not be unpacked, 4 stopped early, 5 the "
    "settings were refused, 6 the command line was not understood, 7 the new version could not be "
    "installed and the earlier one was put back, 8 no room on the drive, 3010 installed, files in use "
    "are replaced when Windows starts again.";

namespace {

template <typename Char> bool IsBlank(Char c)
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

template <typename Text> std::vector<Text> Split(const Text& Line)
{
    using Char = typename Text::value_type;
    std::vector<Text> arguments;
    size_t at = 0;
    const size_t end = Line.size();
    for (;;) {
        while (at < end && IsBlank(Line[at]))
            ++at;
        if (at >= end)
            break;
        Text argument;
        bool quoted = false;
        while (at < end && (quoted || !IsBlank(Line[at]))) {
            if (Line[at] == Char('\\')) {
                size_t slashes = 0;
                while (at < end && Line[at] == Char('\\'))
                    ++slashes, ++at;
                if (at < end && Line[at] == Char('"')) {
                    argument.append(slashes / 2, Char('\\'));
                    if (slashes % 2 == 1)
                        argument += Char('"'), ++at; // an escaped quote
                } else {
                    argument.append(slashes, Char('\\'));
                }
            } else if (Line[at] == Char('"')) {
                if (quoted && at + 1 < end && Line[at + 1] == Char('"')) {
                    argument += Char('"');
                    at += 2;
                } else {
                    quoted = !quoted;
                    ++at;
                }
            } else {
                argument += Line[at++];
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& Text)
{
    return Split(Text);
}

std::vector<std::u16string> SplitCommandLine(const std::u16string& Text)
{
    return Split(Text);
}

std::u16string ArgumentsAfterProgramName(const std::u16string& CommandLine)
{
    size_t at = 0;
    if (!CommandLine.empty() && CommandLine[0] == u'"') {
        at = CommandLine.find(u'"', 1);
        at = at == std::u16string::npos ? CommandLine.size() : at + 1;
    }
    while (at < CommandLine.size() && !IsBlank(CommandLine[at]))
        ++at;
    return CommandLine.substr(at);
}

CommandLineOptions ParseArguments(const std::vector<CommandLineArgument>& Arguments)
{
    CommandLineOptions options;
    auto fail = [&](const std::string& Error) {
        if (options.Error.empty())
            options.Error = Error;
    };
    std::set<std::string> given; // each switch and setting once: a second one may not win unseen
    std::string silentOnly;      // a switch or setting that only a silent run takes
    bool logRefused = false;     // then the refusal goes into the temporary folder's log
    for (const CommandLineArgument& argument : Arguments) {
        const std::string& text = argument.Text;
        const size_t equals = text.find('=');
        const bool hasValue = equals != std::string::npos;
        const std::string value = hasValue ? text.substr(equals + 1) : std::string();
        if (text.size() < 2 || (text[0] != '/' && text[0] != '-')) {
            // A setting as the settings file writes it; only its name goes into a message, as
            // the value of a mistyped INSTPASSWORD would be the password.
            const std::string key = hasValue ? SettingsKeyOf(text.substr(0, equals)) : std::string();
            if (key.empty())
                fail(hasValue ? "Unknown setting \"" + text.substr(0, equals) + "\""
                              : "Unknown switch \"" + text + "\"");
            else if (key == "INSTPASSWORD")
                fail("INSTPASSWORD is never taken from the command line, which every program on the computer can "
                     "read: give it in the settings file");
            else if (!argument.Exact)
                fail("The command line's " + key + " holds a character that the system's code page cannot represent");
            else if (!given.insert(key == "STDDIR" ? "dir" : key).second)
                fail(key == "STDDIR" ? "STDDIR= and /dir=PATH both name the installation folder: give one"
                                     : "The setting " + key + "= is given twice");
            else
                options.Settings[key] = value;
            if (silentOnly.empty() && !key.empty())
                silentOnly = "setting " + key + "=";
            continue;
        }
        const std::string name = Lowered(text.substr(1, hasValue ? equals - 1 : std::string::npos));
        const bool path = name == "settings" || name == "dir" || name == "log";
        const bool known = path || ((name == "silent" || name == "?" || name == "finish") && !hasValue);
        if (!known) {
            fail("Unknown switch \"" + text + "\"");
            continue;
        }
        if (!given.insert(name).second) {
            fail(name == "dir" && options.Settings.count("STDDIR")
                     ? "STDDIR= and /dir=PATH both name the installation folder: give one"
                     : "The switch /" + name + (path ? "=PATH" : "") + " is given twice");
            logRefused = logRefused || name == "log";
            continue;
        }
        if (name == "silent") {
            options.Silent = true;
        } else if (name == "?") {
            options.Usage = true;
        } else if (name == "finish") {
            options.Finish = true;
        } else if (value.empty()) {
            fail("The switch \"" + text + "\" needs a path: /" + name + "=PATH");
        } else if (!argument.Exact) {
            // Another path than the one given: "C:\Āpps" would read as "C:\?pps" or "C:\Apps".
            fail("The path of /" + name + "= holds a character that the system's code page cannot represent");
            logRefused = logRefused || name == "log";
        } else {
            (name == "settings" ? options.SettingsFile : name == "dir" ? options.InstallDir : options.LogFile) = value;
            if (name != "log" && silentOnly.empty())
                silentOnly = "switch /" + name + "=PATH";
        }
    }
    if (!silentOnly.empty() && !options.Silent)
        fail("The " + silentOnly + " belongs to a silent run: add /silent");
    if (logRefused)
        options.LogFile.clear();
    return options;
}

CommandLineOptions ParseArguments(const std::vector<std::string>& Arguments)
{
    std::vector<CommandLineArgument> arguments;
    for (const std::string& text : Arguments)
        arguments.push_back({text, true});
    return ParseArguments(arguments);
}

CommandLineOptions ParseWideArguments(const std::u16string& Arguments)
{
    std::vector<CommandLineArgument> arguments;
    for (const std::u16string& wide : SplitCommandLine(Arguments)) {
        CommandLineArgument argument;
        argument.Exact = ToAnsiCodePage(wide, argument.Text);
        arguments.push_back(argument);
    }
    return ParseArguments(arguments);
}
