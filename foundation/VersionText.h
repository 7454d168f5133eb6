// Version texts: normalised so that they can be shown, logged and compared (pure text).
#pragma once
#include "Utils.h"

namespace zk {

// "1,2" and "1, 2, 3, 4" become groups of digits joined by "."; text after the number
// ("2.8 beta") is cut; each group is left-padded with "0" to the width (longer ones stay).
Text NormalizeVersionText(const Text& text, int width);

// Orders two version texts group by group; groups of digits by number (so "10240" is newer
// than "9600" whatever the padding), other groups as text. The empty text (no version) sorts
// first. Result <0, 0 or >0.
int CompareVersionTexts(const Text& a, const Text& b);

} // namespace zk
