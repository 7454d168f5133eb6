// Names of the execute conditions and operations and their numeric ids (pure text). Each row
// is a "|"-delimited list: id, parameter flags and kind codes, a flag, the name and the
// prompts for the script author. The engine reads only the id and the name.
#pragma once
#include "Utils.h"

namespace zk {

int ConditionTypeFirst();
int ConditionTypeLast();
int ConditionTypeId(int row);                // -1 outside the table
Text ConditionTypeField(int row, int field); // empty outside the table
Text ConditionTypeName(int row);
int FindConditionType(const Text& name); // row index, case-insensitive, -1 when none

int OperationTypeFirst();
int OperationTypeLast();
int OperationTypeId(int row);
Text OperationTypeField(int row, int field);
Text OperationTypeName(int row);
int FindOperationType(const Text& name);

// Name -> id as the engine uses it: -1 for an unknown name.
inline int ConditionIdOf(const Text& name) {
    return ConditionTypeId(FindConditionType(name));
}
inline int OperationIdOf(const Text& name) {
    return OperationTypeId(FindOperationType(name));
}

} // namespace zk
