#include "YamlBlocks.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

struct Line {
    size_t Number;
    size_t Indent;
    std::string Text;
};

[[noreturn]] void Refuse(const Line& At, const std::string& Why)
{
    throw std::runtime_error("line " + std::to_string(At.Number) + ": " + Why + ": " + At.Text);
}

std::string Scalar(const Line& At, const std::string& Text)
{
    const bool quoted = Text.size() >= 2 && (Text[0] == '"' || Text[0] == '\'') && Text.back() == Text[0];
    if (quoted) {
        const std::string inner = Text.substr(1, Text.size() - 2);
        if (inner.find_first_of("\"'\\") != std::string::npos)
            Refuse(At, "a quote or an escape inside quotes");
        return inner;
    }
    if (Text.empty() || std::string("&*!|>%@`{}[],\"'#").find(Text[0]) != std::string::npos ||
        Text.find(": ") != std::string::npos || Text.find(" #") != std::string::npos || Text.back() == ':' ||
        Text.back() == ' ')
        Refuse(At, "no plain scalar");
    return Text;
}

class YamlReader {
public:
    explicit YamlReader(const std::string& Text)
    {
        size_t number = 0, start = 0;
        while (start < Text.size()) {
            size_t end = Text.find('\n', start);
            end = end == std::string::npos ? Text.size() : end;
            std::string text = Text.substr(start, end - start);
            start = end + 1;
            const Line line = {++number, text.find_first_not_of(' '), text};
            if (!text.empty() && text.back() == '\r')
                Refuse(line, "a CR");
            if (line.Indent == std::string::npos || text[line.Indent] == '#')
                continue; // blank or a comment
            if (text.find('\t') != std::string::npos)
                Refuse(line, "a tab");
            lines_.push_back({number, line.Indent, text.substr(line.Indent)});
        }
    }

    YamlNode Document()
    {
        if (lines_.empty() || lines_[0].Indent != 0 || IsItem(lines_[0]))
            throw std::runtime_error("no mapping at the top");
        return Mapping(0);
    }

private:
    static bool IsItem(const Line& At) { return At.Text == "-" || At.Text.compare(0, 2, "- ") == 0; }
    bool More(size_t Indent) const { return at_ < lines_.size() && lines_[at_].Indent == Indent; }
    void NothingDeeper(size_t Indent) const
    {
        if (at_ < lines_.size() && lines_[at_].Indent > Indent)
            Refuse(lines_[at_], "an indentation that belongs to nothing");
    }

    YamlNode Mapping(size_t Indent)
    {
        YamlNode node;
        node.Type = YamlNode::Kind::Mapping;
        while (More(Indent) && !IsItem(lines_[at_])) {
            const Line line = lines_[at_++];
            const size_t colon = line.Text.find(':');
            const std::string key = line.Text.substr(0, colon);
            if (colon == 0 || colon == std::string::npos ||
                (colon + 1 < line.Text.size() && line.Text[colon + 1] != ' ') ||
                !std::all_of(key.begin(), key.end(),
                             [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
                Refuse(line, "no key");
            if (node.Find(key))
                Refuse(line, "a key given twice");
            const size_t value = line.Text.find_first_not_of(' ', colon + 1);
            YamlNode child;
            if (value != std::string::npos)
                child.Text = Scalar(line, line.Text.substr(value));
            else if (at_ < lines_.size() && (lines_[at_].Indent > Indent || (More(Indent) && IsItem(lines_[at_]))))
                child = IsItem(lines_[at_]) ? Sequence(lines_[at_].Indent) : Mapping(lines_[at_].Indent);
            else
                Refuse(line, "a key without a value");
            node.Entries.emplace_back(key, std::move(child));
        }
        NothingDeeper(Indent);
        return node;
    }

    YamlNode Sequence(size_t Indent)
    {
        YamlNode node;
        node.Type = YamlNode::Kind::Sequence;
        while (More(Indent) && IsItem(lines_[at_])) {
            Line& line = lines_[at_];
            const std::string item = line.Text.size() > 2 ? line.Text.substr(2) : "";
            if (item.find(':') != std::string::npos && item[0] != '"' && item[0] != '\'') {
                // A mapping whose first key stands on the item's line.
                line.Indent = Indent + 2;
                line.Text = item;
                node.Items.push_back(Mapping(Indent + 2));
            } else {
                YamlNode scalar;
                scalar.Text = Scalar(line, item);
                node.Items.push_back(scalar);
                ++at_;
            }
        }
        NothingDeeper(Indent);
        return node;
    }

    std::vector<Line> lines_;
    size_t at_ = 0;
};

} // namespace

const YamlNode* YamlNode::Find(const std::string& Key) const
{
    for (const auto& [key, value] : Entries)
        if (key == Key)
            return &value;
    return nullptr;
}

std::string YamlNode::operator[](const std::string& Key) const
{
    const YamlNode* value = Find(Key);
    return value ? value->Text : std::string();
}

YamlNode ReadYaml(const std::string& Text)
{
    return YamlReader(Text).Document();
}
