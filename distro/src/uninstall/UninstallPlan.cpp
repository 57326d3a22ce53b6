#include "UninstallPlan.h"

#include <algorithm>

#include "BriCommon.h"
#include "Manifest.h"

namespace {

bool Contains(const std::vector<std::string>& Names, const std::string& Name)
{
    return std::any_of(Names.begin(), Names.end(), [&](const std::string& N) { return SameFileName(N, Name); });
}

// The names between the backslashes of a line that stays inside the folder; the last is the
// file's (empty for a line that ends with a backslash).
std::vector<std::string> PathParts(const std::string& Line)
{
    std::vector<std::string> parts(1);
    for (char c : Line) {
        if (c == '\\')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

} // namespace

TRemovalPlan PlanRemoval(const std::vector<std::string>& Lines, const std::string& Uninstaller,
                         const std::string& Manifest)
{
    TRemovalPlan plan;
    std::vector<std::pair<size_t, std::string>> folders; // depth, folder
    for (const std::string& line : Lines) {
        if (!ManifestLineStaysInside(line)) {
            plan.Refused.push_back(line);
            continue;
        }
        // The installer makes the folders of a line that names no file as well.
        const std::vector<std::string> parts = PathParts(line);
        std::string folder;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            folder += (i ? "\\" : "") + parts[i];
            if (std::none_of(folders.begin(), folders.end(),
                             [&](const auto& F) { return SameFileName(F.second, folder); }))
                folders.emplace_back(i + 1, folder);
        }
        if (parts.back().empty()) {
            plan.Refused.push_back(line);
            continue;
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
