#include "UpgradeJournal.h"

#include <algorithm>
#include <cstring>

#include "BriCommon.h"
#include "FolderStep.h"
#include "Manifest.h"
#include "Product.h"

namespace {

const char* const FirstLine = "Brisel Backup 7 Setup journal 2";
const char* const StateNames[] = {"keeping", "kept", "installing", "installed", "restarting"};

// Fields are separated by tabs, lines by line feeds: both are escaped inside a field.
std::string Escaped(const std::string& Text)
{
    std::string escaped;
    for (char c : Text) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\t': escaped += "\\t"; break;
        case '\n': escaped += "\\n"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::optional<std::vector<std::string>> Fields(const std::string& Line)
{
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < Line.size(); ++i) {
        const char c = Line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c != '\\') {
            fields.back() += c;
        } else if (++i < Line.size() && std::strchr("\\tnr", Line[i])) {
            fields.back() += Line[i] == 't' ? '\t' : Line[i] == 'n' ? '\n' : Line[i] == 'r' ? '\r' : '\\';
        } else {
            return std::nullopt;
        }
    }
    return fields;
}

std::string Line(std::initializer_list<std::string> Fields)
{
    std::string line;
    for (const std::string& field : Fields)
        line += (line.empty() ? "" : "\t") + Escaped(field);
    return line + "\n";
}

// A 32-bit number in decimal digits; nothing for any other text, one out of range included.
std::optional<uint32_t> Number(const std::string& Text)
{
    if (Text.empty() || Text.size() > 10)
        return std::nullopt;
    uint64_t value = 0;
    for (char digit : Text) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(digit - '0');
    }
    if (value > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::optional<Sha256Digest> Digest(const std::string& Hex)
{
    Sha256Digest digest = {};
    if (Hex.size() != 2 * digest.size() || Hex.find_first_not_of("0123456789abcdef") != std::string::npos)
        return std::nullopt;
    for (size_t i = 0; i < digest.size(); ++i)
        digest[i] = static_cast<uint8_t>(std::stoi(Hex.substr(2 * i, 2), nullptr, 16));
    return digest;
}

bool IsFolder(const std::string& Folder)
{
    return IsFullFolderPath(Folder) && Folder.back() == '\\';
}

bool IsFileInside(const std::string& File)
{
    return ReadManifestLine(File).NamesFile();
}

template <size_t N>
bool OneOf(const std::string& Name, const char* const (&Names)[N])
{
    return std::any_of(std::begin(Names), std::end(Names), [&](const char* Known) { return Name == Known; });
}

// Only the product's own records: the product key's and the uninstall entry's values (all users),
// and its Run values (all users, or the user's own).
bool IsProductValue(const KeptValue& Value)
{
    static const char* const productValues[] = {PathValue, InstallationTypeValue};
    static const char* const runValues[] = {ApplicationRunValue, InterfaceRunValue};
    if (Value.Key == RunKeyPath)
        return OneOf(Value.Name, runValues);
    if (Value.CurrentUser)
        return false;
    return (Value.Key == ProductKeyPath && OneOf(Value.Name, productValues)) ||
           (Value.Key == UninstallKeyPath && OneOf(Value.Name, UninstallEntryValues));
}

bool IsOwnServiceProgram(const std::string& Program, const std::string& Folder)
{
    std::string path = Program;
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    return SameFileName(path, Folder + ServiceProgram);
}

} // namespace

std::string JournalText(const UpgradeJournal& Journal)
{
    std::string text = std::string(FirstLine) + "\n";
    text += Line({"state", StateNames[static_cast<int>(Journal.State)]});
    text += Line({"old", Journal.OldFolder});
    for (const std::string& file : Journal.Moving)
        text += Line({"moving", file});
    for (const KeptFile& file : Journal.OldFiles)
        text += Line({"file", file.Path, DigestToHex(file.Digest)});
    for (const KeptShortcut& shortcut : Journal.Shortcuts)
        text += Line({"shortcut", std::to_string(shortcut.Place), shortcut.File, DigestToHex(shortcut.Digest)});
    for (const KeptValue& value : Journal.Values)
        text += Line({"value", value.CurrentUser ? "user" : "machine", value.Key, value.Name,
                      value.IsNumber ? "dword" : "sz", value.IsNumber ? std::to_string(value.Number) : value.Text});
    if (const auto& service = Journal.Service)
        text += Line({"service", service->Program, service->Account, service->DisplayName,
                      std::to_string(service->StartType), service->Running ? "running" : "stopped"});
    for (const std::string& file : Journal.HeldFiles)
        text += Line({"held", file});
    if (!Journal.NewFolder.empty())
        text += Line({"new", Journal.NewFolder});
    for (const std::string& file : Journal.NewFiles)
        text += Line({"placed", file});
    for (const KeptFile& file : Journal.StagedFiles)
        text += Line({"staged", file.Path, DigestToHex(file.Digest)});
    return text;
}

std::optional<UpgradeJournal> ReadJournal(const std::string& Text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = Text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(Text.substr(start, end - start));
    if (start != Text.size() || lines.empty() || lines[0] != FirstLine)
        return std::nullopt; // cut short, or none of ours

    UpgradeJournal journal;
    bool stateRead = false;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::optional<std::vector<std::string>> read = Fields(lines[i]);
        if (!read)
            return std::nullopt;
        const std::vector<std::string>& f = *read;
        const std::string& kind = f[0];
        if (kind == "state" && f.size() == 2) {
            const auto* found = std::find(std::begin(StateNames), std::end(StateNames), f[1]);
            if (found == std::end(StateNames))
                return std::nullopt;
            journal.State = static_cast<UpgradeState>(found - std::begin(StateNames));
            stateRead = true;
        } else if (kind == "old" && f.size() == 2 && IsFolder(f[1])) {
            journal.OldFolder = f[1];
        } else if (kind == "file" && f.size() == 3 && IsFileInside(f[1]) && Digest(f[2])) {
            journal.OldFiles.push_back({f[1], *Digest(f[2])});
        } else if (kind == "shortcut" && f.size() == 4 && f[1].size() == 1 && f[1][0] >= '0' &&
                   f[1][0] < '0' + ProgramGroupPlaceCount && OneOf(f[2], GroupShortcuts) && Digest(f[3])) {
            journal.Shortcuts.push_back({f[1][0] - '0', f[2], *Digest(f[3])});
        } else if (kind == "value" && f.size() == 6 && (f[1] == "user" || f[1] == "machine") &&
                   (f[4] == "dword" || f[4] == "sz")) {
            KeptValue value{f[1] == "user", f[2], f[3], f[4] == "dword", f[5], 0};
            if (value.IsNumber) {
                const std::optional<uint32_t> number = Number(f[5]);
                if (!number)
                    return std::nullopt;
                value.Number = *number;
            }
            if (!IsProductValue(value))
                return std::nullopt;
            journal.Values.push_back(value);
        } else if (kind == "service" && f.size() == 6 && (f[5] == "running" || f[5] == "stopped") && Number(f[4])) {
            journal.Service = KeptService{f[1], f[2], f[3], *Number(f[4]), f[5] == "running"};
        } else if (kind == "new" && f.size() == 2 && IsFolder(f[1])) {
            journal.NewFolder = f[1];
        } else if (kind == "placed" && f.size() == 2 && IsFileInside(f[1])) {
            journal.NewFiles.push_back(f[1]);
        } else if (kind == "moving" && f.size() == 2 && IsFileInside(f[1])) {
            journal.Moving.push_back(f[1]);
        } else if (kind == "held" && f.size() == 2 && IsFileInside(f[1])) {
            journal.HeldFiles.push_back(f[1]);
        } else if (kind == "staged" && f.size() == 3 && IsFileInside(f[1]) && Digest(f[2])) {
            journal.StagedFiles.push_back({f[1], *Digest(f[2])});
        } else {
            return std::nullopt;
        }
    }
    if (!stateRead || journal.OldFolder.empty())
        return std::nullopt;
    if (journal.Service && !IsOwnServiceProgram(journal.Service->Program, journal.OldFolder))
        return std::nullopt;
    if ((!journal.NewFiles.empty() || !journal.StagedFiles.empty()) && journal.NewFolder.empty())
        return std::nullopt;
    return journal;
}

std::string JournalDisagreement(const UpgradeJournal& Journal, const std::string& RecordedEarlier,
                                const std::string& RecordedNew)
{
    if (RecordedEarlier.empty() || !SameFileName(Journal.OldFolder, AddTrailingBackslash(RecordedEarlier)))
        return "it names the earlier installation's folder " + Journal.OldFolder + ", not the one recorded (" +
               RecordedEarlier + ")";
    if (!Journal.NewFolder.empty() &&
        (RecordedNew.empty() || !SameFileName(Journal.NewFolder, AddTrailingBackslash(RecordedNew))))
        return "it names the new installation's folder " + Journal.NewFolder + ", not the one recorded (" +
               RecordedNew + ")";
    return std::string();
}
