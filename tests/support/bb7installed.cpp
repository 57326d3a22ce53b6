// bb7installed: which version of the product stands on this machine, and what keeps each one
// from standing, for scripts that cut an installation off and look at what it left.
//
//   bb7installed [--settle SECONDS] [--account NAME] FOLDER NAME=PRODUCT [NAME=PRODUCT...]
//
// FOLDER is the installation folder; each PRODUCT is a version's product folder (its
// manifest bb7setup.dat and the files it names). A version stands when the uninstall entry
// names the uninstaller in FOLDER, the product key's "Path" is FOLDER, the service is
// registered to start with Windows, with its program in FOLDER (and under the account NAME,
// when given) and running, and every file of that version's manifest is in FOLDER with the
// very bytes of its product. --settle first waits (at most SECONDS) until no installer or
// uninstaller runs any more and the service is no longer starting or stopping: what a start
// of Windows began has ended.
//
// Output: the first line is the first NAME that stands, or "broken"; then one line for the
// records and one for each version with what it lacks. Exit status 0 when a version stands,
// 1 when none does, 2 for wrong arguments.
#include <windows.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <iostream>
#include <sstream>
#include <vector>

#include "BriCommon.h"
#include "InstallationTraces.h"
#include "Manifest.h"
#include "Product.h"
#include "ServiceFacts.h"
#include "WinHandles.h"
#include "WinTestSupport.h"

namespace {

struct Version {
    std::string Name, Product;
};

std::string Lower(std::string Text)
{
    for (char& c : Text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return Text;
}

std::string CommonAppData()
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path);
    return Lower(AddTrailingBackslash(path));
}

// The program file of a process: the path of its first module.
std::string ImagePath(DWORD ProcessId)
{
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, ProcessId));
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    return snapshot && Module32First(snapshot.Get(), &module) ? module.szExePath : "";
}

// A process that finishes or repairs an installation: an installer (by its name, whatever
// folder it was copied to), the product's uninstaller, or a program kept in the common
// application data folder, where a run may keep what it needs after a restart.
std::string InstallingProcess()
{
    const std::string kept = CommonAppData();
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return std::string();
    std::string found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more && found.empty();
         more = Process32Next(snapshot.Get(), &entry)) {
        const std::string name = Lower(entry.szExeFile);
        const std::string path = Lower(ImagePath(entry.th32ProcessID));
        if (name.rfind("bb7setup", 0) == 0 || name == Lower(UninstallProgram) ||
            (!kept.empty() && path.rfind(kept, 0) == 0))
            found = entry.szExeFile;
    }
    return found;
}

bool Settled()
{
    const DWORD state = QueryService(ServiceName).State;
    return InstallingProcess().empty() && state != SERVICE_START_PENDING && state != SERVICE_STOP_PENDING &&
           state != SERVICE_CONTINUE_PENDING && state != SERVICE_PAUSE_PENDING;
}

std::string Quoted(const std::string& Text)
{
    return "\"" + Text + "\"";
}

// What keeps the records of an installation in Folder from standing; empty when nothing does.
std::vector<std::string> RecordsLack(const std::string& Folder, const std::string& Account)
{
    std::vector<std::string> lacks;
    const std::string uninstaller = RegString(HKEY_LOCAL_MACHINE, UninstallKey, UninstallStringValue);
    if (uninstaller != Quoted(Folder + UninstallProgram))
        lacks.push_back("uninstall entry " + uninstaller);
    const std::string path = RegString(HKEY_LOCAL_MACHINE, ProductKey, PathValue);
    if (path != Folder)
        lacks.push_back("product key Path " + path);
    const ServiceFacts service = QueryService(ServiceName);
    if (!service.Exists) {
        lacks.push_back("no service");
    } else {
        if (service.Command != Quoted(Folder + ServiceProgram))
            lacks.push_back("service program " + service.Command);
        if (!Account.empty() && service.Account != Account)
            lacks.push_back("service account " + service.Account);
        if (service.StartType != SERVICE_AUTO_START)
            lacks.push_back("service start type " + std::to_string(service.StartType));
        if (service.State != SERVICE_RUNNING)
            lacks.push_back("service state " + std::to_string(service.State));
    }
    return lacks;
}

std::string Listed(const std::vector<std::string>& Names, size_t Shown = 6)
{
    std::string text;
    for (size_t i = 0; i < Names.size() && i < Shown; ++i)
        text += " " + Names[i];
    return Names.size() > Shown ? text + " ..." : text;
}

// What keeps the files of a version from standing in Folder; empty when nothing does.
std::string FilesLack(const std::string& Folder, const Version& Of)
{
    const std::string manifest = ReadWholeFile(Of.Product + ManifestFile);
    if (manifest.empty())
        return "its manifest " + Of.Product + ManifestFile + " cannot be read";
    const std::vector<std::string> files = InstalledFiles(SplitTextLines(manifest));
    std::vector<std::string> missing, differing;
    for (const std::string& file : files) {
        if (!FilePresent(Folder + file))
            missing.push_back(file);
        else if (ReadWholeFile(Folder + file) != ReadWholeFile(Of.Product + file))
            differing.push_back(file);
    }
    std::ostringstream text;
    const std::string of = " of " + std::to_string(files.size()) + " files";
    if (!missing.empty())
        text << missing.size() << of << " missing:" << Listed(missing) << (differing.empty() ? "" : "; ");
    if (!differing.empty())
        text << differing.size() << of << " differ:" << Listed(differing);
    return text.str();
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    int settleSeconds = 0;
    std::string account;
    while (args.size() >= 2 && (args[0] == "--settle" || args[0] == "--account")) {
        if (args[0] == "--settle")
            settleSeconds = atoi(args[1].c_str());
        else
            account = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    std::vector<Version> versions;
    for (size_t i = 1; i < args.size(); ++i) {
        const size_t equals = args[i].find('=');
        if (equals == std::string::npos || equals == 0)
            break;
        versions.push_back({args[i].substr(0, equals), AddTrailingBackslash(args[i].substr(equals + 1))});
    }
    if (args.empty() || versions.empty() || versions.size() != args.size() - 1) {
        std::cerr << "usage: bb7installed [--settle SECONDS] [--account NAME] FOLDER NAME=PRODUCT [NAME=PRODUCT...]\n";
        return 2;
    }
    const std::string folder = AddTrailingBackslash(args[0]);

    if (settleSeconds > 0 && !WaitUntil(Settled, std::chrono::seconds(settleSeconds)))
        std::cerr << "bb7installed: not settled after " << settleSeconds << " s: " << InstallingProcess()
                  << " still runs\n";

    const std::vector<std::string> records = RecordsLack(folder, account);
    std::string standing;
    std::ostringstream details;
    details << "  records:" << (records.empty() ? " stand" : "");
    for (size_t i = 0; i < records.size(); ++i)
        details << (i ? "; " : " ") << records[i];
    details << "\n";
    for (const Version& version : versions) {
        const std::string lack = FilesLack(folder, version);
        details << "  " << version.Name << " files: " << (lack.empty() ? "stand" : lack) << "\n";
        if (records.empty() && lack.empty() && standing.empty())
            standing = version.Name;
    }
    std::cout << (standing.empty() ? "broken" : standing) << "\n" << details.str();
    return standing.empty() ? 1 : 0;
}
