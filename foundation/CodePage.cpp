#include "CodePage.h"

#include <windows.h>

#include <array>

namespace zk {

bool IsAnsiLeadByte(unsigned char c) {
    // Asked for every byte of a path that is cut: the system's answer is read once.
    static const std::array<bool, 256> lead = [] {
        std::array<bool, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = IsDBCSLeadByte(static_cast<BYTE>(i)) != 0;
        return t;
    }();
    return lead[c];
}

std::string UpperCaseAnsi(const std::string& text) {
    std::string upper = text;
    if (!upper.empty()) CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

} // namespace zk
