// scramble_seed IN OUT: writes the scrambled form of a seed script.
#include "Scramble.h"

#include <fstream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const zk::Text plain{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::ofstream out(argv[2], std::ios::binary);
    out << zk::ScrambleText(plain, true);
    return out ? 0 : 1;
}
