#include "UtilPlusText.h"

namespace zk {

TextList SplitLines(const Text& text) {
    TextList lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

Text FixSlash(const Text& path, bool withBackslash) {
    Text out = path;
    const bool driveRoot = out.size() == 3 && out[1] == ':';
    if (out.size() > 2 && !driveRoot && EndsWithChar(out, '\\')) out.pop_back();
    if (withBackslash && !out.empty() && !EndsWithChar(out, '\\')) out += '\\';
    return out;
}

Text RemoveDoubleSlashes(const Text& path) {
    Text out = path.substr(0, 1);
    // A backslash right after one of its own goes; one after a two-byte character stays.
    size_t last = 0;
    for (size_t i = 1; i < path.size(); i = last + 1) {
        last = NextCharOf(path, "\\", i);
        if (last == Text::npos) return out + path.substr(i);
        out += path.substr(i, last - i);
        if (last < 2 || last != i) out += '\\';
    }
    return out;
}

namespace {

Text FileNameOf(const Text& path) {
    size_t p = LastCharOf(path, "\\/");
    return p == Text::npos ? path : path.substr(p + 1);
}

// Without the full path in the command line (a program started by a bare or relative name),
// the first token still is the program when it names the program's file.
Text DropProgramToken(const Text& commandLine, const Text& exePath) {
    Text t = TrimLeft(commandLine), token, rest;
    if (!t.empty() && t[0] == '"') {
        size_t q = t.find('"', 1);
        token = t.substr(1, q == Text::npos ? Text::npos : q - 1);
        rest = q == Text::npos ? Text() : t.substr(q + 1);
    } else {
        size_t blank = t.find(' ');
        token = t.substr(0, blank);
        rest = blank == Text::npos ? Text() : t.substr(blank);
    }
    Text name = FileNameOf(token), exeName = FileNameOf(exePath);
    bool isProgram =
        !name.empty() && (TextEquals(name, exeName) || TextEquals(name + ".exe", exeName));
    return isProgram ? rest : commandLine;
}

} // namespace

Text CommandTailOf(const Text& commandLine, const Text& exePath) {
    Text tail = commandLine;
    int p = PosText(exePath, tail);
    if (p > 0)
        tail.erase(static_cast<size_t>(p - 1), exePath.size());
    else
        tail = DropProgramToken(tail, exePath);
    tail = Trim(tail);
    while (!tail.empty() && tail.front() == '"') tail = Trim(tail.substr(1));
    while (!tail.empty() && tail.back() == '"') {
        tail.pop_back();
        tail = Trim(tail);
    }
    return tail;
}

Text SwitchValueOf(const Text& tail, const Text& switchName) {
    int p = PosText(switchName, tail);
    if (switchName.empty() || p == 0) return Text();
    Text value = tail.substr(static_cast<size_t>(p - 1) + switchName.size());
    if (value.empty()) return "TRUE";
    if (value[0] == '"') {
        size_t q = value.find('"', 1);
        value = value.substr(1, q == Text::npos ? Text::npos : q - 1);
    } else {
        value = value.substr(0, value.find(' '));
        value = value.substr(0, value.find('/'));
    }
    return Trim(value);
}

namespace {

struct KnownWindows {
    unsigned platform, major, minor;
    const char* name;
    int mask;
};
const KnownWindows WindowsTable[] = {
    {1, 4, 0, "95", 1}, {1, 4, 10, "98", 2},   {1, 4, 90, "ME", 4},
    {2, 4, 0, "NT", 8}, {2, 5, 0, "2000", 16}, {2, 5, 1, "XP", 32},
};

const KnownWindows* FindWindows(const WindowsFacts& w) {
    for (const KnownWindows& k : WindowsTable)
        if (k.platform == w.platform && k.major == w.major && k.minor == w.minor) return &k;
    return nullptr;
}

Text VersionNumberOf(const WindowsFacts& w) {
    return IntToStr(w.major) + "." + IntToStr(w.minor);
}

} // namespace

Text WindowsNameOf(const WindowsFacts& w) {
    if (w.platform == 0) return "32S";
    const KnownWindows* k = FindWindows(w);
    return k ? Text(k->name) : VersionNumberOf(w);
}

int WindowsMaskOf(const WindowsFacts& w) {
    const KnownWindows* k = FindWindows(w);
    return k ? k->mask : 0;
}

Text WindowsVersionTextOf(const WindowsFacts& w) {
    Text text =
        "Win" + WindowsNameOf(w) + "  " + VersionNumberOf(w) + "  " + IntToStr(w.build & 0xFFFF);
    Text pack = Trim(w.servicePack);
    if (!pack.empty()) text += " (" + pack + ")";
    return text;
}

namespace {
const char* const RootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE",
                                 "HKEY_USERS",        "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
} // namespace

int RootIndexOfName(const Text& name) {
    for (int i = 0; i < 6; ++i)
        if (TextEquals(name, RootNames[i])) return i;
    return -1;
}

void SplitRegPathText(const Text& path, Text& rootName, Text& subkey) {
    subkey = Trim(path);
    rootName.clear();
    size_t slash = NextCharOf(subkey, "\\");
    if (!StartsText("HKEY_", subkey) || slash == Text::npos) return;
    rootName = subkey.substr(0, slash);
    subkey = subkey.substr(slash + 1);
}

Text RegDataToText(uint32_t type, const char* data, size_t size) {
    const uint32_t DwordType = 4; // REG_DWORD
    if (type == DwordType && size == 4) {
        uint32_t v = uint32_t(uint8_t(data[0])) | uint32_t(uint8_t(data[1])) << 8 |
                     uint32_t(uint8_t(data[2])) << 16 | uint32_t(uint8_t(data[3])) << 24;
        return IntToStr(v);
    }
    Text text(data, size);
    return text.substr(0, text.find('\0'));
}

bool IsDevAccessCode(const Text& value) {
    return TextEquals(value, "947");
}

Text StripLineBreaks(const Text& text) {
    Text out;
    for (char c : text)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

} // namespace zk
