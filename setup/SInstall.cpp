// The installation run from the Copy page. Until the copy engine is in, the run marks the
// wizard busy, writes its screen line and goes on to the next page (a silent setup ends).
#include "SDialog.h"

#include "U_DEBUG0.h"

namespace zk {

void TSDialogForm::RunInstallation() {
    SetAbortRequested(false); // cleared once, before anything pumps messages
    if (InstallationRoutineOverride()) {
        InstallationRoutineOverride()(*this);
        return;
    }
    Busy = true;
    AddSetupLogLine("Show Screen: ", WindowText(Handle()));
    UpdateButtons();
    Busy = false;
    if (GetAbortRequested() || IsSilentSetup()) {
        CloseWizard();
        return;
    }
    Script->NextPage();
    if (!ShowCurrentPage()) CloseWizard();
}

} // namespace zk
