// Scrambled text: "Scrambled=01", one key character, then the payload with every byte XORed
// with its position and the alternating key. Pure text code.
#pragma once
#include "Utils.h"

namespace zk {

extern const char* const ScrambleMarker; // "Scrambled=01"

bool IsScrambled(const Text& text);
// Encode (a marked text stays as it is) or decode (an unmarked text stays as it is).
Text ScrambleText(const Text& text, bool encode);
// The payload bytes of plain when its first byte stands at payload position `position`
// (1-based): what a scrambled text of this key grows by when plain is appended to its plain
// text. Its own inverse, like the whole.
Text ScrambleAt(const Text& plain, size_t position, unsigned char key);

} // namespace zk
