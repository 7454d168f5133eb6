// The billboards: a borderless slide show of picture files and ".txt" text pages over a colour
// gradient, shown during the copy. One billboard at most; its owner (the copy-progress window)
// shows it, waits for its end when the settings ask, and frees it.
#pragma once
#include "BillboardText.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace zk {

// Frees a billboard already shown, then creates the window owned by `owner` from the settings
// row (an empty row takes the first page line, see TakeSettingsRow) and the page files and
// shows it without activating it. With program-folder names only the file-name part of a
// page counts, taken in the engine's folder. `isExitDialogShowing` (the exit confirmation's
// flag) pauses the slide show while it answers true.
void ShowBillboard(HWND owner, const Text& settingsRow, const std::vector<Text>& pageFiles,
                   bool programFolderNames, bool closeButton,
                   std::function<bool()> isExitDialogShowing = {});
// Frees the current billboard, if any (its window and timer with it).
void FreeBillboard();
// Shows the Close button, then pumps messages in 100 ms slices until the slide show has
// ended, its window is gone, it was freed or the run was asked to stop.
void WaitForBillboardEnd();
// Active from the show until the step after the last page or the Close button.
bool IsBillboardActive();
void SetBillboardActive(bool active); // false also stops the timer
// The current billboard's window, or nullptr.
HWND BillboardWindow();

} // namespace zk
