#include "RegSnapshot.h"
#include "Handles.h"
#include "UtilPlus.h"

#include <set>

namespace zktest {

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

void Collect(HKEY key, const std::string& where, std::set<std::string>& lines) {
    lines.insert("[" + where + "]");
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        std::string data;
        zk::RegReadRaw(key, name, type, data);
        lines.insert("[" + where + "] " + name + " = " + std::to_string(type) + ":" + Hex(data));
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        zk::UniqueKey child;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, child.put()) == ERROR_SUCCESS)
            Collect(child.get(), where + "\\" + name, lines);
    }
}

} // namespace

std::string RegSnapshot(const std::string& path) {
    zk::UniqueKey key = zk::OpenRegPath(path, KEY_READ);
    if (!key) return "";
    std::set<std::string> lines;
    Collect(key.get(), "", lines);
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

} // namespace zktest
