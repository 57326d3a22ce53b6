// YAML as the build writes the winget manifest, read back for its test.
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
