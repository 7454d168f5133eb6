// The wizard's two check lists on the window side: the components list (one item per file
// group, its row as the item text) and the associations list (one checked item per row), and
// the text part of their owner-drawn items.
#pragma once
#include "SSelect.h"

#include <windows.h>

namespace zk {

// The list made a check list (MakeCheckList, item height 16) and filled from the selection.
void FillComponentList(HWND list, const TScript& script, const ComponentSelection& selection);
// After CheckListToggled: the item's new state into the selection; false when it did not take.
bool TakeComponentToggle(HWND list, int index, ComponentSelection& selection);
// The group's name at (left + 2, top + 1), its size + " KB" ending 26 pixels before the right.
void DrawComponentText(HDC dc, const RECT& r, const Text& row);

void FillAssociationList(HWND list, const TScript& script);
// The check marks in list order (the association step makes the checked rows only).
std::vector<bool> AssociationChecks(HWND list);
// The extension at (left + 8, top + 1), the description at (left + 72, top + 1).
void DrawAssociationText(HDC dc, const RECT& r, const Text& row);

} // namespace zk
