#include "FileFlags.h"

#include <cmath>

namespace zk {

namespace {
bool Bit(FileFlags flags, int bit) {
    return (flags >> bit) & 1u;
}

long double requiredSpace = 0; // bytes
long double spaceBase = 0;     // bytes, restored by "!"

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits from pos on, accumulated into value; returns how many there were.
int ReadDigits(const Text& s, size_t& pos, long double& value, int& scale) {
    int count = 0;
    for (; pos < s.size() && IsDigit(s[pos]); ++pos, ++count) {
        value = value * 10 + (s[pos] - '0');
        ++scale;
    }
    return count;
}
} // namespace

bool FileFlagShared(FileFlags flags) {
    return Bit(flags, 0);
}
bool FileFlagRegister(FileFlags flags) {
    return Bit(flags, 1);
}
bool FileFlagKeep(FileFlags flags) {
    return Bit(flags, 4);
}
bool FileFlagSkipPartial(FileFlags flags) {
    return Bit(flags, 6);
}
uint32_t FileFlagAttributes(FileFlags flags) {
    return (flags >> 8) & 0x23u;
}
bool FileFlagReadOnly(FileFlags flags) {
    return Bit(flags, 8);
}
uint32_t FileFlagOSMask(FileFlags flags) {
    return (flags >> 16) & 0x3Fu;
}
int FileFlagOverwriteMode(FileFlags flags) {
    return static_cast<int>((flags >> 24) & 7u);
}
bool FileFlagFont(FileFlags flags) {
    return Bit(flags, 30);
}

bool FileSkippedOnThisOS(FileFlags flags, uint32_t windowsMask) {
    return (FileFlagOSMask(flags) & windowsMask) != 0;
}

bool IsRegistrableFile(const Text& path) {
    size_t dot = path.rfind('.');
    if (dot == Text::npos || NextCharOf(path, "\\/:", dot) != Text::npos) return false;
    Text ext = path.substr(dot);
    return TextEquals(ext, ".ocx") || TextEquals(ext, ".dll") || TextEquals(ext, ".ax");
}

Text StripFileNumberPrefix(const Text& path) {
    size_t cut = LastCharOf(path, "\\");
    Text folder = cut == Text::npos ? Text() : path.substr(0, cut + 1);
    Text name = cut == Text::npos ? path : path.substr(cut + 1);
    if (name.find('#') == 5 && StrToIntDef(name.substr(0, 5), -1) != -1) name.erase(0, 6);
    return folder + name;
}

long double SpaceToBytes(int unit, long double value) {
    if (unit == SpaceKilobytes) return value * 1024;
    if (unit == SpaceMegabytes) return value * 1048576;
    return value;
}

long double GetSpaceRequired(int unit) {
    return requiredSpace / SpaceToBytes(unit, 1);
}

void SetSpaceBase(int unit, long double value) {
    spaceBase = SpaceToBytes(unit, value);
}

// [sign] digits [separator digits] [e [sign] digits], with at least one mantissa digit.
bool ParseSpaceNumber(const Text& text, char localeSeparator, long double& value) {
    Text s = Trim(text);
    size_t pos = 0;
    bool negative = pos < s.size() && s[pos] == '-';
    if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) ++pos;
    long double mantissa = 0;
    int intScale = 0, fracScale = 0;
    int digits = ReadDigits(s, pos, mantissa, intScale);
    if (pos < s.size() && (s[pos] == '.' || s[pos] == localeSeparator)) {
        ++pos;
        digits += ReadDigits(s, pos, mantissa, fracScale);
    }
    if (digits == 0) return false;
    long double exponent = 0;
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        ++pos;
        bool negExp = pos < s.size() && s[pos] == '-';
        if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) ++pos;
        int expScale = 0;
        if (ReadDigits(s, pos, exponent, expScale) == 0) return false;
        if (negExp) exponent = -exponent;
    }
    if (pos != s.size()) return false;
    long double e = exponent - fracScale; // dividing by an exact power keeps 0.25 exact
    value = e >= 0 ? mantissa * std::pow(10.0L, e) : mantissa / std::pow(10.0L, -e);
    if (negative) value = -value;
    return std::isfinite(value);
}

void SetSpaceRequired(const Text& text, int unit, char localeSeparator) {
    if (text == "!") {
        requiredSpace = spaceBase;
        return;
    }
    long double value;
    if (ParseSpaceNumber(text, localeSeparator, value) && value > -1)
        requiredSpace = SpaceToBytes(unit, value);
}

void AddSpaceRequired(const Text& text, int unit, char localeSeparator) {
    long double value;
    if (ParseSpaceNumber(text, localeSeparator, value) && value > -1)
        requiredSpace += SpaceToBytes(unit, value);
}

} // namespace zk
