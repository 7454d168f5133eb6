#include "SLists.h"

#include "CheckList.h"

#include <functional>

namespace zk {

namespace {

const int ItemHeight = 16;

void DrawAt(HDC dc, int x, int y, const Text& text) {
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// The list filled without drawing, then repainted once: the items are not drawn one by one.
void FillCheckList(HWND list, const std::function<void()>& addItems) {
    MakeCheckList(list, ItemHeight);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ClearCheckList(list);
    addItems();
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

} // namespace

void FillComponentList(HWND list, const TScript& script, const ComponentSelection& selection) {
    FillCheckList(list, [&] {
        const auto& groups = script.GetFileGroups();
        for (size_t i = 0; i < selection.items.size() && i < groups.size(); ++i)
            AddCheckListItem(list, groups[i].row, selection.items[i].checked,
                             selection.items[i].enabled);
    });
}

bool TakeComponentToggle(HWND list, int index, ComponentSelection& selection) {
    return SetComponentChecked(selection, index, IsCheckListItemChecked(list, index));
}

void DrawComponentText(HDC dc, const RECT& r, const Text& row) {
    DrawAt(dc, r.left + 2, r.top + 1, ListItem(row, 0));
    Text size = ComponentSizeText(row);
    SIZE extent{};
    GetTextExtentPoint32A(dc, size.c_str(), static_cast<int>(size.size()), &extent);
    DrawAt(dc, r.right - extent.cx - 26, r.top + 1, size);
}

void FillAssociationList(HWND list, const TScript& script) {
    FillCheckList(list, [&] {
        const TextList& rows = script.GetAssociationRows();
        std::vector<AssociationItem> items = FillAssociationItems(script);
        for (size_t i = 0; i < rows.size(); ++i)
            AddCheckListItem(list, rows[i], items[i].checked, true);
    });
}

std::vector<bool> AssociationChecks(HWND list) {
    std::vector<bool> checks;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) checks.push_back(IsCheckListItemChecked(list, i));
    return checks;
}

void DrawAssociationText(HDC dc, const RECT& r, const Text& row) {
    DrawAt(dc, r.left + 8, r.top + 1, ListItem(row, 2));
    DrawAt(dc, r.left + 72, r.top + 1, ListItem(row, 1));
}

} // namespace zk
