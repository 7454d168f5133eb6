#include "CheckList.h"

#include "Ctrls.h"

namespace zk {

namespace {

const char HookSlot[] = "zk.CheckList";

bool IsRightToLeft(HWND list) {
    return GetWindowLongA(list, GWL_EXSTYLE) & WS_EX_RIGHT;
}

// The check box square of an item rectangle: one item height wide, at the reading start.
RECT BoxRect(HWND list, const RECT& item) {
    int side = item.bottom - item.top;
    RECT box = item;
    if (IsRightToLeft(list))
        box.left = item.right - side;
    else
        box.right = item.left + side;
    return box;
}

LPARAM ItemDataOf(bool checked, bool enabled) {
    return (checked ? CheckListCheckedBit : 0) | (enabled ? 0 : CheckListDisabledBit);
}

LPARAM ItemData(HWND list, int index) {
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? 0 : data;
}

void Toggle(HWND list, int index) {
    LPARAM data = ItemData(list, index);
    if (index < 0 || (data & CheckListDisabledBit)) return;
    SendMessageA(list, LB_SETITEMDATA, index, data ^ CheckListCheckedBit);
    RECT r;
    if (SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        InvalidateRect(list, &r, FALSE);
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CheckListToggled),
                 reinterpret_cast<LPARAM>(list));
}

int ItemAt(HWND list, LPARAM point) {
    LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, point);
    if (HIWORD(hit)) return -1; // outside every item
    return LOWORD(hit);
}

LRESULT CALLBACK CheckListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
        LRESULT result = CallPreviousProc(list, HookSlot, msg, wp, lp); // selects the item
        int index = ItemAt(list, lp);
        RECT r;
        if (index >= 0 &&
            SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR) {
            RECT box = BoxRect(list, r);
            POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            if (PtInRect(&box, p)) Toggle(list, index);
        }
        return result;
    }
    if (msg == WM_CHAR && wp == ' ') {
        Toggle(list, static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)));
        return 0;
    }
    if (msg == WM_GETDLGCODE) return CallPreviousProc(list, HookSlot, msg, wp, lp) | DLGC_WANTCHARS;
    return CallPreviousProc(list, HookSlot, msg, wp, lp);
}

} // namespace

void MakeCheckList(HWND list, int itemHeight) {
    SendMessageA(list, LB_SETITEMHEIGHT, 0, itemHeight);
    SubclassControl(list, HookSlot, CheckListProc);
}

void ClearCheckList(HWND list) {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

int AddCheckListItem(HWND list, const Text& text, bool checked, bool enabled) {
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index < 0) return -1;
    SendMessageA(list, LB_SETITEMDATA, index, ItemDataOf(checked, enabled));
    return static_cast<int>(index);
}

bool IsCheckListItemChecked(HWND list, int index) {
    return ItemData(list, index) & CheckListCheckedBit;
}

bool IsCheckListItemEnabled(HWND list, int index) {
    return !(ItemData(list, index) & CheckListDisabledBit);
}

void SetCheckListItem(HWND list, int index, bool checked, bool enabled) {
    SendMessageA(list, LB_SETITEMDATA, index, ItemDataOf(checked, enabled));
    RECT r;
    if (SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        InvalidateRect(list, &r, FALSE);
}

Text CheckListItemText(HWND list, int index) {
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length < 0) return {};
    Text text(static_cast<size_t>(length) + 1, '\0');
    length = SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length < 0 ? 0 : static_cast<size_t>(length));
    return text;
}

void DrawCheckListItem(const DRAWITEMSTRUCT& item, const CheckListTextDrawer& drawText) {
    if (item.itemID == static_cast<UINT>(-1)) return; // an empty list with the focus
    HWND list = item.hwndItem;
    HDC dc = item.hDC;
    const int index = static_cast<int>(item.itemID);
    const LPARAM data = static_cast<LPARAM>(item.itemData);
    const bool enabled = !(data & CheckListDisabledBit) && IsWindowEnabled(list);
    RECT box = BoxRect(list, item.rcItem);
    RECT text = item.rcItem;
    if (IsRightToLeft(list))
        text.right = box.left;
    else
        text.left = box.right;

    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    RECT square = box;
    InflateRect(&square, -2, -2);
    UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
    if (data & CheckListCheckedBit) state |= DFCS_CHECKED;
    if (!enabled) state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &square, DFC_BUTTON, state);

    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    // On the selection a greyed item reads as any other; its greyed box says it cannot change.
    COLORREF oldColor = SetTextColor(dc, GetSysColor(selected   ? COLOR_HIGHLIGHTTEXT
                                                     : !enabled ? COLOR_GRAYTEXT
                                                                : COLOR_WINDOWTEXT));
    if (drawText) drawText(dc, text, index);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
}

} // namespace zk
