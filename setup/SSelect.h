// What the user's setup type and component choices select: the components list's state, the
// selection rules the copy engine and the installation read, the required space and the space
// figures of the destination page, and the association list (pure text: no windows.h).
#pragma once
#include "FileFlags.h" // SpaceUnit
#include "SScript.h"

#include <vector>

namespace zk {

// The checked type button; None when no button is checked.
enum class SetupType { None, Typical, Compact, Custom };

// One item of the components list: item i is file group i of the script.
struct ComponentState {
    bool checked = false;
    bool enabled = true; // false: shown greyed, the user cannot change it
};

// The model behind the setup-type buttons and the components list.
struct ComponentSelection {
    SetupType type = SetupType::Typical; // checked at design
    std::vector<ComponentState> items;
};

// The group row fields the wizard reads (numbers that are no integers read 0).
struct GroupFields {
    Text name, description;
    int sizeKb = 0, files = 0, partialKb = 0;
    bool typical = false, compact = false, byDefault = false, required = false;
};
GroupFields ReadGroupFields(const Text& row);

// The list from the script's groups: checked when checked by default (every group when the
// page list has neither a setup-type nor a components page) or required; required groups and
// the only group of a one-item list are checked and greyed. Without a setup-type page the type
// becomes Custom (the check marks decide); otherwise the type is left as it is.
void FillComponentSelection(const TScript& script, ComponentSelection& selection);
// The user's click or space on item i; false when it is greyed or outside the list.
bool SetComponentChecked(ComponentSelection& selection, int index, bool checked);

// "Typical", "Compact", "Custom", "" for none; a CD setup reads "Complete" and "Partial";
// a forced partial setup is always "Partial".
Text GetSetupTypeName(const TScript& script, SetupType type);
bool IsComponentSelected(const TScript& script, const ComponentSelection& selection, int index);
// "1" or "0" per item.
Text GetSelectionMask(const TScript& script, const ComponentSelection& selection);
// "|name|name|" of the selected items in list order; "" when none.
Text GetGroupNames(const TScript& script, const ComponentSelection& selection);
int CountSelectedFiles(const TScript& script, const ComponentSelection& selection);
// Sum of the selected groups' sizes (every group's partial size when the type is "Partial"),
// in the SpaceUnit asked for.
long double GetRequiredSpace(const TScript& script, const ComponentSelection& selection, int unit);

// --- The destination page's figures, in MB, with "." as decimal separator always. ---
// 3 decimals below 1, 2 up to 10, 1 above: 0 "0.000", 0.293, 1.00, 10.00, 12.0.
Text FormatSpaceFigure(long double megabytes);
// The announced RequiredSpace (SET_SPACE_REQ_ON_DRIVE, execute items) when it is not 0, else
// the selection's; never below 0.
long double RequiredSpaceMb(const TScript& script, const ComponentSelection& selection);
Text RequiredSpaceText(const TScript& script, const ComponentSelection& selection);
// freeBytes: GetDiskFree of the target's drive (negative on failure). An empty target: "0.0".
Text AvailableSpaceText(const Text& targetDir, double freeBytes);
// Right-to-left charsets (177, 178) show the figures in the left-hand labels.
bool SpaceFiguresOnLeft(int charset);

// --- Components list drawing and description. ---
Text ComponentSizeText(const Text& row);        // field 2 + " KB"
Text ComponentDescriptionText(const Text& row); // field 1, each "\\n" a line break (CR LF)

// --- The associations list: one checked item per SET_ADD_ASSOCIATION_ITEM row. ---
struct AssociationItem {
    Text extension, description; // fields 2 and 1, as drawn
    bool checked = true;         // the association step makes only the checked ones
};
std::vector<AssociationItem> FillAssociationItems(const TScript& script);

} // namespace zk
