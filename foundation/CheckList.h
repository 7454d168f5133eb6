// Check lists: an owner-drawn list box (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS) whose items carry
// a check box. Check and enabled state live in each item's data, so another process (the UI
// driver) reads them with LB_GETITEMDATA and the texts with LB_GETTEXT. A click on an item's
// box or the space bar on the selected item toggles it, unless the item is disabled (greyed),
// and the parent then gets WM_COMMAND with CheckListToggled as its notification code.
#pragma once
#include "Utils.h"

#include <windows.h>

#include <functional>

namespace zk {

// Item data bits.
inline constexpr LPARAM CheckListCheckedBit = 1;
inline constexpr LPARAM CheckListDisabledBit = 2;
// WM_COMMAND notification (high word of wParam) after the user toggled an item; lParam is
// the list, and the item is the list's selected one.
inline constexpr WORD CheckListToggled = 0x7F01;
// The styles of a check list in a control table: add WS_VSCROLL, WS_TABSTOP, WS_BORDER.
inline constexpr DWORD CheckListStyle = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY;

// Installs the toggling on a list box made with CheckListStyle and sets its item height.
void MakeCheckList(HWND list, int itemHeight);
void ClearCheckList(HWND list);
// Index of the new item at the end; -1 when it could not be added. The item is not repainted
// for itself: whoever fills the list repaints it once afterwards.
int AddCheckListItem(HWND list, const Text& text, bool checked, bool enabled);
bool IsCheckListItemChecked(HWND list, int index);
bool IsCheckListItemEnabled(HWND list, int index);
void SetCheckListItem(HWND list, int index, bool checked, bool enabled);
Text CheckListItemText(HWND list, int index);

// Draws one item of WM_DRAWITEM (the parent's): background, the check box (on the right for
// a right-to-left list), focus rectangle, and the text part through `drawText`, which gets the
// rectangle beside the box with the item's colours already selected into the DC.
using CheckListTextDrawer = std::function<void(HDC dc, const RECT& textRect, int index)>;
void DrawCheckListItem(const DRAWITEMSTRUCT& item, const CheckListTextDrawer& drawText);

} // namespace zk
