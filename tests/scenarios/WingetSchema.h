// The winget manifest files as the build writes them, read back, and the rules of winget's
// published schemas of manifest version 1.6.0 (manifest.version, manifest.installer and
// manifest.defaultLocale .1.6.0.json): field names, the types, lengths, enumerations and
// patterns of the fields the build writes, the required fields.
#pragma once

#include <string>
#include <utility>
#include <vector>

// A YAML node: a scalar's text, a mapping's entries in order, or a sequence's items.
struct YamlNode {
    enum class Kind { Scalar, Mapping, Sequence } Type = Kind::Scalar;
    std::string Text;
    std::vector<std::pair<std::string, YamlNode>> Entries;
    std::vector<YamlNode> Items;
    // The entry of this key, or nullptr.
    const YamlNode* Find(const std::string& Key) const;
    // The scalar text of this key, empty when there is none.
    std::string operator[](const std::string& Key) const;
};

// The block style that the build writes: "key: value", "key:" over a deeper block, "- " items,
// plain or quoted scalars, comments and blank lines. Anything else (tabs, flow style, anchors,
// block scalars, escapes, a doubled key) throws std::runtime_error naming the line, so that a
// file is never read otherwise than winget reads it.
YamlNode ReadYaml(const std::string& Text);

enum class ManifestType { Version, Installer, DefaultLocale };

// What the schema of that manifest type finds wrong in Manifest, one line each; empty when
// nothing. A field that the schema has but whose rules this check does not carry is reported
// as unchecked.
std::vector<std::string> SchemaViolations(const YamlNode& Manifest, ManifestType Type);
