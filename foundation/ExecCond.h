// The tests behind the execute conditions: P the first parameter, R the relation, V the
// value (P and V already macro-expanded). The comparing and parsing steps are pure text.
#pragma once
#include <cstdint>

#include "Utils.h"

namespace zk {

// R is "=", "!=", ">", "<", ">=" or "<="; the measured value is the left operand. Any other
// R is false.
bool RelationHolds(const Text& relation, int comparison); // comparison <0, 0 or >0
bool CompareRelationText(const Text& relation, const Text& a, const Text& b);
bool CompareRelationInt64(const Text& relation, int64_t a, int64_t b);
bool CompareRelationFloat(const Text& relation, double a, double b);
// A file's version as GetFileVersionText gives it (width 5, empty without one) against the
// wanted version, ordered group by group.
bool CompareRelationVersion(const Text& relation, const Text& fileVersion, const Text& wanted);

// 1-based position of the search text; "!!" in front asks for a whole word, then "!" for any
// letter case. 0 when absent or when nothing is left to search for once the marks are gone.
int FindTextWithOptions(const Text& text, const Text& search);
// Marks at the front of a search text and the length of what is searched for.
size_t SearchTextLength(const Text& search);

// A decimal number with "." as its separator, whatever the locale; the default otherwise.
double DecimalTextToDouble(const Text& text, double def);
int64_t IntegerTextToInt64(const Text& text, int64_t def);

bool ScreenResolutionIs(const Text& relation, const Text& wanted, int width, int height);
int ColorDepthBits(const Text& colorDepthName); // 32 for a name it does not know
bool WindowsNameInList(const Text& list, const Text& windowsName);
// The text compare of "Registry Value is"; a number is padded so that digits compare by size.
bool RegistryTextIs(const Text& relation, const Text& read, const Text& wanted, bool isNumber);
bool SetupTypeIs(const Text& setupType);

// An existing file (a name, no wildcards) and an existing folder.
bool FileFound(const Text& path);
bool FolderFound(const Text& path);

// The test of a built-in condition id; false for an id without one.
bool TestCondition(int id, const Text& param, const Text& relation, const Text& value);
bool HasConditionTest(int id);

// Machine values behind the conditions.
int64_t GetTotalMemoryMB();
int64_t GetCpuMHz();
double GetAdoVersion();

} // namespace zk
