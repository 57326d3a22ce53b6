#include "AutoSettings.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <map>

#include "SettingsFileText.h"

const char* const SettingsKeys[6] = {"STDDIR", "CREATEICONS", "INSTKIND", "AUTHKIND", "INSTID", "INSTPASSWORD"};

namespace {

std::string UpperCase(std::string Text)
{
    for (char& c : Text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return Text;
}

} // namespace

std::string SettingsKeyOf(const std::string& Name)
{
    const std::string upper = UpperCase(Name);
    for (const char* key : SettingsKeys)
        if (upper == key)
            return upper;
    return std::string();
}

TAuto::TAuto(const std::string& Path)
{
    std::ifstream file(Path, std::ios::binary);
    if (!file.is_open()) {
        struct stat info;
        if (stat(Path.c_str(), &info) == 0) // there, but locked or unreadable
            throw EInOutError(5, "Cannot open file \"" + Path + "\". Access is denied");
        return;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        throw EInOutError(5, "Cannot read the file " + Path);
    Load(bytes);
}

TAuto::TAuto(const SettingsFileBytes& File)
{
    Load(File.Bytes);
}

void TAuto::Load(const std::string& Bytes)
{
    const SettingsText text = DecodeSettingsText(Bytes);
    FileLines = text.Lines;
    nulLine_ = text.NulLine;

    notes_.push_back(std::string("Settings file written in ") + EncodingName(text.Encoding));
    std::map<std::string, size_t> counting; // each setting's line that counts
    std::string refused;
    for (size_t i = 0; i < FileLines.size(); ++i) {
        const size_t equals = FileLines[i].find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = FileLines[i].substr(0, equals);
        const std::string key = SettingsKeyOf(name);
        const std::string line = "Settings file line " + std::to_string(i + 1) + ": ";
        if (key.empty()) {
            notes_.push_back(line + "unknown key \"" + name + "\", ignored");
            continue;
        }
        const auto [first, isFirst] = counting.emplace(key, i);
        if (!isFirst)
            notes_.push_back(line + key + " given again, ignored (line " + std::to_string(first->second + 1) +
                             " counts)");
        else if (text.Unrepresentable[i] && refused.empty())
            refused = key;
    }
    if (nulLine_ > 0)
        notes_.push_back("Settings file line " + std::to_string(nulLine_) +
                         ": a NUL byte, which ends the text; nothing after it is read");
    if (!refused.empty())
        throw EUnrepresentableSetting("The settings file's " + refused +
                                      " holds a character that the system's code page cannot represent");
}

std::optional<std::string> TAuto::FindValue(const std::string& Name) const
{
    const std::string wanted = UpperCase(Name);
    for (const std::string& line : FileLines) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos && UpperCase(line.substr(0, equals)) == wanted)
            return line.substr(equals + 1);
    }
    return std::nullopt;
}

std::string TAuto::ReadValue(const std::string& Name) const
{
    return FindValue(Name).value_or(std::string());
}
