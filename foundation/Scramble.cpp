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

static Text Combine(const Text& bytes, size_t from, int key) {
    Text out;
    out.reserve(bytes.size() - from);
    int k = key;
    for (size_t i = from, p = 1; i < bytes.size(); ++i, ++p) {
        out += static_cast<char>(static_cast<unsigned char>(bytes[i]) ^
                                 static_cast<unsigned char>(static_cast<int>(p) + k));
        k = -k;
    }
    return out;
}

Text ScrambleText(const Text& text, bool encode) {
    const bool marked = IsScrambled(text);
    if (marked == encode) return text;
    if (!encode) {
        if (text.size() <= MarkerLength) return Text(); // marker without a key: nothing in it
        return Combine(text, MarkerLength + 1, static_cast<unsigned char>(text[MarkerLength]));
    }
    const unsigned char key = FreshKey();
    return Text(ScrambleMarker) + static_cast<char>(key) + Combine(text, 0, key);
}

} // namespace zk
