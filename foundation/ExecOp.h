// The operations of execute items: P1, P2 and P3 already macro-expanded. Each reports failure
// only by its result; the text steps are pure.
#pragma once
#include <cstdint>

#include "Utils.h"

namespace zk {

// "SW_HIDE" 0 ... "SW_SHOWDEFAULT" 10 in any case; anything else SW_SHOW (5).
int ShowCommandFromName(const Text& name);
// "Normal" starts from FILE_ATTRIBUTE_NORMAL; "ReadOnly", "Hidden", "System" and "Archive"
// add theirs, found anywhere in the text in any case.
uint32_t FileAttributesFromText(const Text& text);
// Replaces every occurrence found by FindTextWithOptions, never searching inserted text
// again; false when nothing was replaced.
bool ReplaceTextInText(Text& text, const Text& search, const Text& replacement);
// "\\n" becomes CR LF, then "\\t" TAB.
Text ExpandAppendEscapes(const Text& text);
// "key=value"; without "=" the whole text is the value of an empty key.
void SplitIniItem(const Text& item, Text& key, Text& value);

// Performs a built-in operation id; false for an id without one.
bool PerformOperationId(int id, const Text& p1, const Text& p2, const Text& p3, bool& exitRequest);
bool HasOperation(int id);

} // namespace zk
