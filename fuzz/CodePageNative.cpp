// The native builds' ANSI code page: 932, so that the readers meet two-byte characters whose
// second byte is "\" (0x5C); upper case for the letters a-z only.
#include "CodePage.h"
#include "Utils.h"

namespace zk {

bool IsAnsiLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string UpperCaseAnsi(const std::string& text) {
    std::string upper = text;
    for (size_t i = 0; i < upper.size(); ++i) {
        if (IsAnsiLeadByte(static_cast<unsigned char>(upper[i]))) {
            ++i;
            continue;
        }
        upper[i] = UpCaseChar(upper[i]);
    }
    return upper;
}

} // namespace zk
