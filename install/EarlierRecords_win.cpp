// An earlier installation whose uninstaller was not run (it could not be trusted): what it
// registered with the system goes before anything is copied, so that nothing runs any more from
// its folder (its service could still run there as LocalSystem) and this installation's records
// take the place of its own.
#include <iterator>

#include "BriCommon.h"
#include "Installation.h"
#include "Product.h"
#include "ProgramGroup_win.h"
#include "ServiceControl.h"

namespace {

const DWORD ServiceStopTimeoutMs = 30000;

} // namespace

void TInstallation::RemoveEarlierRecords()
{
    const ServiceRemoval service = StopAndDeleteService(ServiceName, ServiceStopTimeoutMs);
    if (service != ServiceRemoval::Removed && service != ServiceRemoval::Absent)
        Log(std::string("Couldn't remove the earlier version's service ") + ServiceName, true);
    for (const bool allUsers : {true, false})
        for (const char* name : {ApplicationRunValue, InterfaceRunValue})
            SetAutostart(name, "", true, allUsers, "", false);
    const std::vector<std::string> shortcuts(std::begin(GroupShortcuts), std::end(GroupShortcuts));
    for (const std::string& group : ProductProgramGroups()) {
        const GroupRemoval removal = RemoveProgramGroup(group, shortcuts);
        if (removal.BehindLink)
            sink_.Note("The program group " + group + " is a link or lies behind one: it was left alone");
        for (const std::string& left : removal.Left)
            Log("Couldn't remove the earlier version's shortcut " + left, true);
    }
    sink_.Note("The earlier version's service, autostart entries and program groups were removed");
    sink_.ProcessMessages();
}
