// The pure-text half of the system helpers (no windows.h): path tidying, the command tail
// and its switches, the Windows version table, registry paths and value texts.
#pragma once
#include "Utils.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zk {

using TextList = std::vector<Text>;

// Lines of a file's text; CR LF, LF and a lone CR all end a line.
TextList SplitLines(const Text& text);

// One trailing backslash removed when the path is longer than 2 characters and no drive root
// ("C:\\" stays: "C:" would name the drive's current folder); then exactly one appended when
// asked (an empty path stays empty).
Text FixSlash(const Text& path, bool withBackslash);
// The first character kept; in the rest every run of backslashes becomes one.
Text RemoveDoubleSlashes(const Text& path);

// The command line without the program's own path and the quotes around it.
Text CommandTailOf(const Text& commandLine, const Text& exePath);
// The value after `switchName` in a command tail: "" when absent, "TRUE" when nothing
// follows it, a quoted value without its quotes, else up to the first blank or "/".
Text SwitchValueOf(const Text& tail, const Text& switchName);

// What the platform's version query reports.
struct WindowsFacts {
    unsigned platform = 0; // 0 Win32s, 1 the 9x family, 2 the NT family
    unsigned major = 0, minor = 0, build = 0;
    Text servicePack;
};
Text WindowsNameOf(const WindowsFacts& w); // "95" ... "XP", "32S", else "major.minor"
int WindowsMaskOf(const WindowsFacts& w);  // the WindowsMask bit, 0 for other systems
Text WindowsVersionTextOf(const WindowsFacts& w);

// The six root names of a RegistryPath, in order: classes root, current user, local machine,
// users, current config, dyn data. -1 for any other text.
int RootIndexOfName(const Text& name);
// Splits a RegistryPath; `rootName` is empty when the text addresses a subkey of the
// current user (no "HKEY_" at its start or no backslash).
void SplitRegPathText(const Text& path, Text& rootName, Text& subkey);
// A registry value as text: a 4-byte DWORD as its unsigned number, anything else up to its
// first zero byte and never past `size`.
Text RegDataToText(uint32_t type, const char* data, size_t size);

// The developer switches' access code.
bool IsDevAccessCode(const Text& value);
// CR and LF removed: an INI value holding them would start new lines (and sections).
Text StripLineBreaks(const Text& text);

} // namespace zk
