#include "SSelect.h"

#include "FileFlags.h"

#include <algorithm>
#include <cmath>

namespace zk {

namespace {

enum GroupField {
    FieldName = 0,
    FieldDescription = 1,
    FieldSize = 2,
    FieldFiles = 3,
    FieldPartialSize = 4,
    FieldTypical = 6,
    FieldCompact = 7,
    FieldDefault = 8,
    FieldRequired = 9,
};

bool FieldIsOne(const Text& row, int field) {
    return ListItem(row, field) == "1";
}

int FieldNumber(const Text& row, int field) {
    return StrToIntDef(ListItem(row, field), 0);
}

const Text& GroupRow(const TScript& script, int index) {
    return script.GetFileGroups()[static_cast<size_t>(index)].row;
}

// Items that have a group of the same index.
int ItemsWithGroups(const TScript& script, const ComponentSelection& selection) {
    return static_cast<int>(std::min(selection.items.size(), script.GetFileGroups().size()));
}

Text FixedPoint(long double value, int decimals) {
    long double scale = std::pow(10.0L, decimals);
    long long units = std::llround(value * scale);
    long long whole = units / static_cast<long long>(scale);
    Text fraction = IntToStr(units % static_cast<long long>(scale));
    return IntToStr(whole) + "." + ZeroPadLeft(fraction, decimals);
}

} // namespace

GroupFields ReadGroupFields(const Text& row) {
    GroupFields f;
    f.name = ListItem(row, FieldName);
    f.description = ListItem(row, FieldDescription);
    f.sizeKb = FieldNumber(row, FieldSize);
    f.files = FieldNumber(row, FieldFiles);
    f.partialKb = FieldNumber(row, FieldPartialSize);
    f.typical = FieldIsOne(row, FieldTypical);
    f.compact = FieldIsOne(row, FieldCompact);
    f.byDefault = FieldIsOne(row, FieldDefault);
    f.required = FieldIsOne(row, FieldRequired);
    return f;
}

void FillComponentSelection(const TScript& script, ComponentSelection& selection) {
    const bool all = !script.HasPage("SetupType") && !script.HasPage("Custom");
    const auto& groups = script.GetFileGroups();
    selection.items.assign(groups.size(), ComponentState{});
    for (size_t i = 0; i < groups.size(); ++i) {
        // A single group is installed whatever its mark says: shown so.
        bool required = FieldIsOne(groups[i].row, FieldRequired) || groups.size() == 1;
        selection.items[i].checked = all || required || FieldIsOne(groups[i].row, FieldDefault);
        selection.items[i].enabled = !required;
    }
    if (!script.HasPage("SetupType")) selection.type = SetupType::Custom;
}

bool SetComponentChecked(ComponentSelection& selection, int index, bool checked) {
    if (index < 0 || static_cast<size_t>(index) >= selection.items.size()) return false;
    ComponentState& item = selection.items[static_cast<size_t>(index)];
    if (!item.enabled) return false;
    item.checked = checked;
    return true;
}

Text GetSetupTypeName(const TScript& script, SetupType type) {
    if (script.GetForcePartialSetup()) return "Partial";
    const bool cd = script.GetCdSetup();
    switch (type) {
    case SetupType::Typical:
        return cd ? "Complete" : "Typical";
    case SetupType::Compact:
        return cd ? "Partial" : "Compact";
    case SetupType::Custom:
        return "Custom";
    case SetupType::None:
        break;
    }
    return {};
}

bool IsComponentSelected(const TScript& script, const ComponentSelection& selection, int index) {
    if (script.GetCdSetup() || selection.items.size() <= 1) return true;
    if (index < 0 || static_cast<size_t>(index) >= selection.items.size()) return true;
    // An item without a group has no fields: it counts as not part of Typical or Compact.
    const bool hasGroup = static_cast<size_t>(index) < script.GetFileGroups().size();
    switch (selection.type) {
    case SetupType::Typical:
        return hasGroup && FieldIsOne(GroupRow(script, index), FieldTypical);
    case SetupType::Compact:
        return hasGroup && FieldIsOne(GroupRow(script, index), FieldCompact);
    case SetupType::Custom:
        return selection.items[static_cast<size_t>(index)].checked;
    case SetupType::None:
        break;
    }
    return true;
}

Text GetSelectionMask(const TScript& script, const ComponentSelection& selection) {
    Text mask;
    for (size_t i = 0; i < selection.items.size(); ++i)
        mask += IsComponentSelected(script, selection, static_cast<int>(i)) ? '1' : '0';
    return mask;
}

Text GetGroupNames(const TScript& script, const ComponentSelection& selection) {
    Text names = "|";
    for (int i = 0, n = ItemsWithGroups(script, selection); i < n; ++i)
        if (IsComponentSelected(script, selection, i))
            names += ListItem(GroupRow(script, i), FieldName) + "|";
    return names == "|" ? Text() : names;
}

int CountSelectedFiles(const TScript& script, const ComponentSelection& selection) {
    int files = 0;
    for (int i = 0, n = ItemsWithGroups(script, selection); i < n; ++i)
        if (IsComponentSelected(script, selection, i))
            files += FieldNumber(GroupRow(script, i), FieldFiles);
    return files;
}

long double GetRequiredSpace(const TScript& script, const ComponentSelection& selection, int unit) {
    const bool partial = TextEquals(GetSetupTypeName(script, selection.type), "Partial");
    long double kb = 0;
    for (int i = 0, n = ItemsWithGroups(script, selection); i < n; ++i) {
        if (partial)
            kb += FieldNumber(GroupRow(script, i), FieldPartialSize);
        else if (IsComponentSelected(script, selection, i))
            kb += FieldNumber(GroupRow(script, i), FieldSize);
    }
    return SpaceToBytes(SpaceKilobytes, kb) / SpaceToBytes(unit, 1);
}

Text FormatSpaceFigure(long double megabytes) {
    if (!(megabytes > 0)) megabytes = 0; // NaN too
    if (megabytes > 10) return FixedPoint(megabytes, 1);
    if (megabytes >= 1) return FixedPoint(megabytes, 2);
    return FixedPoint(megabytes, 3);
}

long double RequiredSpaceMb(const TScript& script, const ComponentSelection& selection) {
    long double mb = GetSpaceRequired(SpaceMegabytes);
    if (mb == 0) mb = GetRequiredSpace(script, selection, SpaceMegabytes);
    return mb < 0 ? 0 : mb;
}

Text RequiredSpaceText(const TScript& script, const ComponentSelection& selection) {
    return FormatSpaceFigure(RequiredSpaceMb(script, selection));
}

Text AvailableSpaceText(const Text& targetDir, double freeBytes) {
    if (targetDir.empty()) return "0.0";
    return FormatSpaceFigure(freeBytes > 0 ? freeBytes / 1048576.0 : 0);
}

bool SpaceFiguresOnLeft(int charset) {
    return charset == 177 || charset == 178;
}

Text ComponentSizeText(const Text& row) {
    return ListItem(row, FieldSize) + " KB";
}

Text ComponentDescriptionText(const Text& row) {
    return ReplaceAllSafe(ListItem(row, FieldDescription), "\\\\n", "\r\n");
}

std::vector<AssociationItem> FillAssociationItems(const TScript& script) {
    std::vector<AssociationItem> items;
    for (const Text& row : script.GetAssociationRows())
        items.push_back({ListItem(row, 2), ListItem(row, 1), true});
    return items;
}

} // namespace zk
