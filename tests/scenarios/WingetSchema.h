// The rules of winget's published schemas of manifest version 1.6.0 (manifest.version,
// manifest.installer and manifest.defaultLocale .1.6.0.json), as they state them: the field
// names, the types, lengths, enumerations and patterns of the fields the build writes, and the
// required fields.
#pragma once

#include <string>
#include <vector>

#include "YamlBlocks.h"

enum class ManifestType { Version, Installer, DefaultLocale };

// What the schema of that manifest type finds wrong in Manifest, one line each; empty when
// nothing. A field that the schema has but whose rules this check does not carry is reported
// as unchecked.
std::vector<std::string> SchemaViolations(const YamlNode& Manifest, ManifestType Type);
