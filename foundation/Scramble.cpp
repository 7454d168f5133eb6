#include "Scramble.h"

#include <random>

namespace zk {

const char* const ScrambleMarker = "Scrambled=01";
static constexpr size_t MarkerLength = 12;

bool IsScrambled(const Text& text) {
    return text.compare(0, MarkerLength, ScrambleMarker) == 0;
}

// Keys come from a generator of our own, so scrambling never reseeds anyone else's.
static unsigned char FreshKey() {
    static std::mt19937 generator{std::random_device{}()};
    return static_cast<unsigned char>(33 + std::uniform_int_distribution<int>(0, 89)(generator));
}

// The sign of the key alternates with the position: plus at odd positions.
Text ScrambleAt(const Text& plain, size_t position, unsigned char key) {
    Text out;
    out.reserve(plain.size());
    for (size_t i = 0, p = position; i < plain.size(); ++i, ++p) {
        const int k = (p % 2 == 1) ? key : -static_cast<int>(key);
        out += static_cast<char>(static_cast<unsigned char>(plain[i]) ^
                                 static_cast<unsigned char>(static_cast<int>(p) + k));
    }
    return out;
}

Text ScrambleText(const Text& text, bool encode) {
    const bool marked = IsScrambled(text);
    if (marked == encode) return text;
    if (!encode) {
        if (text.size() <= MarkerLength) return Text(); // marker without a key: nothing in it
        return ScrambleAt(text.substr(MarkerLength + 1), 1,
                          static_cast<unsigned char>(text[MarkerLength]));
    }
    const unsigned char key = FreshKey();
    return Text(ScrambleMarker) + static_cast<char>(key) + ScrambleAt(text, 1, key);
}

} // namespace zk
