// The pure-text half of the folder vocabulary (no windows.h): path shapes, the folder macros
// and their order, the date placeholder.
#pragma once
#include "Utils.h"

#include <functional>

namespace zk {

// Drive ("C:\...") or UNC ("\\server\share..."); "/" counts as "\". Drive-relative ("C:x"),
// root-relative ("\x"), device ("\\.\", "\\?\") and empty paths are not absolute.
bool IsAbsolutePath(const Text& path);
// A canonical path that is a drive root ("C:\") or a share root ("\\server\share").
bool IsRootPath(const Text& canonical);
// Both canonical: `folder` is `other` itself or one of its ancestors.
bool IsSameOrAncestor(const Text& folder, const Text& other);

// Every occurrence of `pattern` (any letter case) that stands in the text replaced once; the
// search goes on behind the inserted value, so a value holding the pattern ends too.
Text ReplaceEachText(const Text& text, const Text& pattern, const Text& value);

// The folders behind the macros.
enum class FolderSource {
    RunTime1,
    RunTime2,
    RunTime3,
    Application,
    Common,
    Auxiliary,
    WindowsSlash, // with a trailing backslash
    SystemSlash,
    System16,
    ProgramFiles,
    CommonFiles,
    StartMenu,
    Fonts,
    Exe, // folder of the running program, no trailing backslash
    Origin,
    Temp, // no trailing backslash
    User,
};
using FolderLookup = std::function<Text(FolderSource)>;

// The macros after "<UserName>", in their order of expansion (steps around "<InstallDir>"
// and "<AbsoluteDir>" included). Run-time folders are looked up only when their placeholder
// stands in the text.
Text ExpandFolderMacrosWith(const Text& text, const Text& suffix, const FolderLookup& folder);

// Local date fields for the date codes.
struct DateFields {
    int year = 2000, month = 1, day = 1;
    long daysSince2000 = 0;
    Text monthName;     // full name in the user's locale
    Text dateSeparator; // the user's locale's
};
// "#", "0" ... "6"; "" for any other code.
Text FormatDateCodeOf(char code, const DateFields& date);
// The first "<Date=X>" replaced; left as it stands when X is unknown or ">" does not follow X.
Text ExpandDateMacroWith(const Text& text, const DateFields& date);

} // namespace zk
