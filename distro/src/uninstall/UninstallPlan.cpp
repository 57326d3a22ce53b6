#include "UninstallPlan.h"

#include <algorithm>
#include <cstring>

namespace {

char FoldCase(char C)
{
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

bool Contains(const std::vector<std::string>& Names, const std::string& Name)
{
    return std::any_of(Names.begin(), Names.end(), [&](const std::string& N) { return SameFileName(N, Name); });
}

// The parts of a relative path between its separators; empty when the path is not a plain
// relative file path: blank parts (leading, doubled or trailing separators), "." and "..",
// and characters that Windows allows in no file name (":" also marks a drive or a stream).
std::vector<std::string> PathParts(const std::string& Line)
{
    std::vector<std::string> parts(1);
    for (char c : Line) {
        if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*", c))
            return {};
        if (c == '\\' || c == '/')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    for (const std::string& part : parts)
        if (part.empty() || part == "." || part == "..")
            return {};
    return parts;
}

} // namespace

std::vector<std::string> ManifestLines(const std::string& Text)
{
    std::vector<std::string> lines;
    const std::string text = Text.substr(0, Text.find('\0'));
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

TRemovalPlan PlanRemoval(const std::vector<std::string>& Lines, const std::string& Uninstaller,
                         const std::string& Manifest)
{
    TRemovalPlan plan;
    std::vector<std::pair<size_t, std::string>> folders; // depth, folder
    for (const std::string& line : Lines) {
        const std::vector<std::string> parts = PathParts(line);
        if (parts.empty()) {
            plan.Refused.push_back(line);
            continue;
        }
        std::string folder;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            folder += (i ? "\\" : "") + parts[i];
            if (std::none_of(folders.begin(), folders.end(),
                             [&](const auto& F) { return SameFileName(F.second, folder); }))
                folders.emplace_back(i + 1, folder);
        }
        if (parts.size() == 1 && SameFileName(line, Uninstaller))
            continue;
        if (parts.size() == 1 && SameFileName(line, Manifest))
            plan.ListsManifest = true;
        else if (!Contains(plan.Files, line))
            plan.Files.push_back(line);
    }
    std::stable_sort(folders.begin(), folders.end(), [](const auto& A, const auto& B) { return A.first > B.first; });
    for (const auto& folder : folders)
        plan.Folders.push_back(folder.second);
    return plan;
}

std::vector<std::string> InstalledFiles(const std::vector<std::string>& Lines)
{
    std::vector<std::string> files;
    for (const std::string& line : Lines)
        if (!PathParts(line).empty() && !Contains(files, line))
            files.push_back(line);
    return files;
}

TUninstallOptions ParseUninstallArguments(const std::vector<std::string>& Arguments)
{
    TUninstallOptions options;
    for (const std::string& argument : Arguments) {
        if (SameFileName(argument, "-nowarning")) {
            options.Confirm = false;
        } else if (SameFileName(argument, "-nowarningclose")) {
            options.Confirm = false;
            options.Report = false;
        } else {
            options.Valid = false;
        }
    }
    return options;
}

bool SameFileName(const std::string& A, const std::string& B)
{
    return A.size() == B.size() &&
           std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) { return FoldCase(X) == FoldCase(Y); });
}

bool SameFolder(const std::string& A, const std::string& B)
{
    auto trimmed = [](const std::string& Folder) {
        return !Folder.empty() && Folder.back() == '\\' ? Folder.substr(0, Folder.size() - 1) : Folder;
    };
    return SameFileName(trimmed(A), trimmed(B));
}

bool LiesWithin(const std::string& Path, const std::string& Folder)
{
    return SameFileName(Path.substr(0, Folder.size()), Folder) &&
           (Path.size() == Folder.size() || Path[Folder.size()] == '\\');
}

bool RecordsBelongTo(const std::optional<std::string>& RecordedPath, const std::string& OwnFolder)
{
    return !RecordedPath || RecordedPath->empty() || SameFolder(*RecordedPath, OwnFolder);
}
