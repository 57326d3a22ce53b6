#include "WingetSchema.h"

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>

namespace {

struct Rule;
struct ObjectRules {
    std::vector<Rule> Fields;
    std::vector<std::string> Required;
};

struct Rule {
    enum class Kind { Unchecked, Text, ReturnCode, Choice, Choices, Object, Objects } Type;
    std::string Name;
    size_t Min = 0, Max = 0;         // a text's length, or a list's items; Max 0: no limit
    const char* Pattern = nullptr;   // a text's
    std::vector<std::string> Values; // a choice's
    const ObjectRules* Fields = nullptr;
};

// The fields of the schema that the build does not write, their names separated by blanks.
void AddUnchecked(std::vector<Rule>& Fields, const std::string& Names)
{
    std::istringstream names(Names);
    for (std::string name; names >> name;)
        Fields.push_back({Rule::Kind::Unchecked, name, 0, 0, nullptr, {}, nullptr});
}
Rule Text(const char* Name, size_t Min, size_t Max, const char* Pattern = nullptr)
{
    return {Rule::Kind::Text, Name, Min, Max, Pattern, {}, nullptr};
}
Rule Choice(const char* Name, std::vector<std::string> Values)
{
    return {Rule::Kind::Choice, Name, 0, 0, nullptr, std::move(Values), nullptr};
}
Rule Choices(const char* Name, std::vector<std::string> Values, size_t MaxItems)
{
    return {Rule::Kind::Choices, Name, 0, MaxItems, nullptr, std::move(Values), nullptr};
}
Rule Object(const char* Name, const ObjectRules& Fields)
{
    return {Rule::Kind::Object, Name, 0, 0, nullptr, {}, &Fields};
}
Rule Objects(const char* Name, const ObjectRules& Fields, size_t MinItems, size_t MaxItems)
{
    return {Rule::Kind::Objects, Name, MinItems, MaxItems, nullptr, {}, &Fields};
}

const char* const IdentifierPattern =
    R"re(^[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}(\.[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}){1,7}$)re";
const char* const VersionPattern = R"re(^[^\\/:\*\?"<>\|\x01-\x1f]+$)re";
const char* const LocalePattern = R"re(^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$)re";
const char* const UrlPattern = R"re(^([Hh][Tt][Tt][Pp][Ss]?)://.+$)re";
const char* const Sha256Pattern = R"re(^[A-Fa-f0-9]{64}$)re";
#define BB7_VERSION_PART "(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])"
const char* const ManifestVersionPattern = "^" BB7_VERSION_PART "(\\." BB7_VERSION_PART "){2}$";

const std::vector<std::string> InstallerTypes = {"msix",     "msi", "appx", "exe", "zip",     "inno",
                                                 "nullsoft", "wix", "burn", "pwa", "portable"};

const ObjectRules Switches = {{Text("Silent", 1, 512), Text("SilentWithProgress", 1, 512), Text("Interactive", 1, 512),
                               Text("InstallLocation", 1, 512), Text("Log", 1, 512), Text("Upgrade", 1, 512),
                               Text("Custom", 1, 2048)},
                              {}};
const ObjectRules ReturnCode = {
    {{Rule::Kind::ReturnCode, "InstallerReturnCode", 0, 0, nullptr, {}, nullptr},
     Choice("ReturnResponse",
            {"packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse", "missingDependency",
             "diskFull", "insufficientMemory", "invalidParameter", "noNetwork", "contactSupport",
             "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated", "cancelledByUser",
             "alreadyInstalled", "downgrade", "blockedByPolicy", "systemNotSupported", "custom"}),
     {Rule::Kind::Unchecked, "ReturnResponseUrl", 0, 0, nullptr, {}, nullptr}},
    {}};
const ObjectRules AppsAndFeaturesEntry = {{Text("DisplayName", 1, 256), Text("Publisher", 1, 256),
                                           Text("DisplayVersion", 1, 128), Text("ProductCode", 1, 255),
                                           Text("UpgradeCode", 1, 255), Choice("InstallerType", InstallerTypes)},
                                          {}};

// The fields that the root and every installer may both hold.
std::vector<Rule> InstallerFields()
{
    std::vector<Rule> fields = {
        Text("InstallerLocale", 0, 20, LocalePattern),
        Choice("InstallerType", InstallerTypes),
        Choice("Scope", {"user", "machine"}),
        Choices("InstallModes", {"interactive", "silent", "silentWithProgress"}, 3),
        Object("InstallerSwitches", Switches),
        Objects("ExpectedReturnCodes", ReturnCode, 0, 128),
        Choice("UpgradeBehavior", {"install", "uninstallPrevious"}),
        Objects("AppsAndFeaturesEntries", AppsAndFeaturesEntry, 0, 128),
        Choice("ElevationRequirement", {"elevationRequired", "elevationProhibited", "elevatesSelf"}),
    };
    AddUnchecked(fields, "Platform MinimumOSVersion NestedInstallerType NestedInstallerFiles InstallerSuccessCodes "
                         "Commands Protocols FileExtensions Dependencies PackageFamilyName ProductCode Capabilities "
                         "RestrictedCapabilities Markets InstallerAbortsTerminal ReleaseDate InstallLocationRequired "
                         "RequireExplicitUpgrade DisplayInstallWarnings UnsupportedOSArchitectures "
                         "UnsupportedArguments InstallationMetadata");
    return fields;
}

ObjectRules InstallerRules()
{
    ObjectRules rules = {InstallerFields(), {"Architecture", "InstallerUrl", "InstallerSha256"}};
    rules.Fields.push_back(Choice("Architecture", {"x86", "x64", "arm", "arm64", "neutral"}));
    rules.Fields.push_back(Text("InstallerUrl", 0, 2048, UrlPattern));
    rules.Fields.push_back(Text("InstallerSha256", 0, 0, Sha256Pattern));
    AddUnchecked(rules.Fields, "SignatureSha256");
    return rules;
}
const ObjectRules Installer = InstallerRules();

// The fields every file begins and ends with.
std::vector<Rule> Common(const char* Type)
{
    return {Text("PackageIdentifier", 0, 128, IdentifierPattern), Text("PackageVersion", 0, 128, VersionPattern),
            Choice("ManifestType", {Type}), Text("ManifestVersion", 0, 0, ManifestVersionPattern)};
}
const std::vector<std::string> CommonRequired = {"PackageIdentifier", "PackageVersion", "ManifestType",
                                                 "ManifestVersion"};

ObjectRules ManifestRules(ManifestType Type)
{
    ObjectRules rules;
    if (Type == ManifestType::Version) {
        rules = {Common("version"), CommonRequired};
        rules.Fields.push_back(Text("DefaultLocale", 0, 20, LocalePattern));
        rules.Required.push_back("DefaultLocale");
    } else if (Type == ManifestType::Installer) {
        rules = {Common("installer"), CommonRequired};
        for (const Rule& field : InstallerFields())
            rules.Fields.push_back(field);
        AddUnchecked(rules.Fields, "Channel");
        rules.Fields.push_back(Objects("Installers", Installer, 1, 1024));
        rules.Required.push_back("Installers");
    } else {
        rules = {Common("defaultLocale"), CommonRequired};
        for (const Rule& field :
             {Text("PackageLocale", 0, 20, LocalePattern), Text("Publisher", 2, 256), Text("PackageName", 2, 256),
              Text("License", 3, 512), Text("ShortDescription", 3, 256)})
            rules.Fields.push_back(field);
        AddUnchecked(rules.Fields, "PublisherUrl PublisherSupportUrl PrivacyUrl Author PackageUrl LicenseUrl Copyright "
                                   "CopyrightUrl Description Moniker Tags Agreements ReleaseNotes ReleaseNotesUrl "
                                   "PurchaseUrl InstallationNotes Documentations Icons");
        for (const char* name : {"PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"})
            rules.Required.push_back(name);
    }
    return rules;
}

void Check(const YamlNode& Node, const ObjectRules& Rules, const std::string& Where, std::vector<std::string>& Faults);

bool IsReturnCode(const std::string& Text)
{
    // An integer other than 0, from -2147483648 to 4294967295.
    static const std::regex integer("^-?[0-9]{1,10}$");
    if (!std::regex_match(Text, integer))
        return false;
    const long long value = std::stoll(Text);
    return value != 0 && value >= -2147483648LL && value <= 4294967295LL;
}

void CheckField(const YamlNode& Value, const Rule& Field, const std::string& At, std::vector<std::string>& Faults)
{
    using Kind = Rule::Kind;
    const bool scalar = Value.Type == YamlNode::Kind::Scalar;
    const bool list = Value.Type == YamlNode::Kind::Sequence;
    const std::string& text = Value.Text;
    const bool countFits =
        list && Value.Items.size() >= Field.Min && (Field.Max == 0 || Value.Items.size() <= Field.Max);
    switch (Field.Type) {
    case Kind::Unchecked:
        Faults.push_back(At + ": a field of the schema that this check has no rules for");
        break;
    case Kind::Text:
        if (!scalar || text.size() < Field.Min || (Field.Max && text.size() > Field.Max) ||
            (Field.Pattern && !std::regex_match(text, std::regex(Field.Pattern))))
            Faults.push_back(At + ": \"" + text + "\" is no text of its length and pattern");
        break;
    case Kind::ReturnCode:
        if (!scalar || !IsReturnCode(text))
            Faults.push_back(At + ": \"" + text + "\" is no installer return code");
        break;
    case Kind::Choice:
        if (!scalar || std::find(Field.Values.begin(), Field.Values.end(), text) == Field.Values.end())
            Faults.push_back(At + ": \"" + text + "\" is none of the schema's values");
        break;
    case Kind::Choices: {
        std::set<std::string> seen;
        bool fits = countFits;
        for (const YamlNode& item : Value.Items)
            fits = fits && item.Type == YamlNode::Kind::Scalar && seen.insert(item.Text).second &&
                   std::find(Field.Values.begin(), Field.Values.end(), item.Text) != Field.Values.end();
        if (!fits)
            Faults.push_back(At + ": no list of distinct values of the schema");
        break;
    }
    case Kind::Object:
        Check(Value, *Field.Fields, At + ".", Faults);
        break;
    case Kind::Objects:
        if (!countFits)
            Faults.push_back(At + ": no list of its length");
        for (size_t i = 0; list && i < Value.Items.size(); ++i)
            Check(Value.Items[i], *Field.Fields, At + "[" + std::to_string(i) + "].", Faults);
        break;
    }
}

void Check(const YamlNode& Node, const ObjectRules& Rules, const std::string& Where, std::vector<std::string>& Faults)
{
    if (Node.Type != YamlNode::Kind::Mapping) {
        Faults.push_back(Where + ": no object");
        return;
    }
    for (const std::string& name : Rules.Required)
        if (!Node.Find(name))
            Faults.push_back(Where + name + ": missing, and required");
    for (const auto& [key, value] : Node.Entries) {
        const auto rule = std::find_if(Rules.Fields.begin(), Rules.Fields.end(),
                                       [&](const Rule& Field) { return key == Field.Name; });
        if (rule == Rules.Fields.end())
            Faults.push_back(Where + key + ": no field of the schema");
        else
            CheckField(value, *rule, Where + key, Faults);
    }
}

} // namespace

std::vector<std::string> SchemaViolations(const YamlNode& Manifest, ManifestType Type)
{
    std::vector<std::string> faults;
    Check(Manifest, ManifestRules(Type), "", faults);
    return faults;
}
