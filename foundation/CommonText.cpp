#include "CommonText.h"
#include "UtilPlusText.h"

#include <algorithm>
#include <cstdio>

namespace zk {

namespace {

bool IsSlash(char c) {
    return c == '\\' || c == '/';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Length of the "\\server\share" head of a UNC path, 0 when there is none.
size_t UncHeadLength(const Text& path) {
    if (path.size() < 5 || !IsSlash(path[0]) || !IsSlash(path[1])) return 0;
    const size_t server = std::min(NextCharOf(path, "\\/", 2), path.size());
    Text name = path.substr(2, server - 2);
    if (name.empty() || name == "." || name == "?" || server + 1 >= path.size()) return 0;
    const size_t share = std::min(NextCharOf(path, "\\/", server + 1), path.size());
    return share > server + 1 ? share : 0;
}

} // namespace

bool IsAbsolutePath(const Text& path) {
    bool drive = path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSlash(path[2]);
    return drive || UncHeadLength(path) > 0;
}

bool IsRootPath(const Text& canonical) {
    if (canonical.size() == 3 && IsAbsolutePath(canonical)) return true;
    size_t head = UncHeadLength(canonical);
    return head > 0 && (head == canonical.size() ||
                        (head + 1 == canonical.size() &&
                         (EndsWithChar(canonical, '\\') || EndsWithChar(canonical, '/'))));
}

bool IsSameOrAncestor(const Text& folder, const Text& other) {
    if (folder.empty() || other.empty()) return false;
    if (TextEquals(folder, other)) return true;
    Text prefix = EndsWithChar(folder, '\\') ? folder : folder + "\\";
    return StartsText(prefix, other);
}

Text ReplaceEachText(const Text& text, const Text& pattern, const Text& value) {
    if (pattern.empty()) return text;
    Text out;
    int from = 1;
    for (int at; (at = PosFromText(pattern, text, from)) > 0;) {
        out += text.substr(from - 1, at - from) + value;
        from = at + static_cast<int>(pattern.size());
    }
    return out + text.substr(from - 1);
}

namespace {

struct MacroStep {
    const char* name;
    FolderSource source;
    bool drive; // the first two characters of the folder
    bool suffix;
};

// The steps before the "<InstallDir>" and "<AbsoluteDir>" deletions.
const MacroStep FirstSteps[] = {
    {"<RunTimeDir_1>", FolderSource::RunTime1, false, true},
    {"<RunTimeDir_2>", FolderSource::RunTime2, false, true},
    {"<RunTimeDir_3>", FolderSource::RunTime3, false, true},
    {"<Application Folder>", FolderSource::Application, false, true},
    {"<Common Folder>", FolderSource::Common, false, true},
    {"<Auxiliary Folder>", FolderSource::Auxiliary, false, true},
    {"<Windows Directory>", FolderSource::WindowsSlash, false, false},
    {"<System Directory>", FolderSource::SystemSlash, false, false},
    {"<System16 Directory>", FolderSource::System16, false, true},
};

const MacroStep LaterSteps[] = {
    {"<InstallDir>", FolderSource::Application, false, true},
    {"<InstallCommonDir>", FolderSource::Common, false, true},
    {"<InstallAuxDir>", FolderSource::Auxiliary, false, true},
    {"<InstallDrive>", FolderSource::Application, true, true},
    {"<WinDir>", FolderSource::WindowsSlash, false, false},
    {"<WinSysDir>", FolderSource::SystemSlash, false, false},
    {"<WinSys32Dir>", FolderSource::SystemSlash, false, false},
    {"<WinSys16Dir>", FolderSource::System16, false, true},
    {"<WinDisk>", FolderSource::WindowsSlash, true, true},
    {"<WinDrive>", FolderSource::WindowsSlash, true, true},
    {"<WinSysDisk>", FolderSource::SystemSlash, true, true},
    {"<WinSysDrive>", FolderSource::SystemSlash, true, true},
    {"<ProgramFilesDir>", FolderSource::ProgramFiles, false, true},
    {"<CommonFilesDir>", FolderSource::CommonFiles, false, true},
    {"<StartMenuDir>", FolderSource::StartMenu, false, true},
    {"<FontDir>", FolderSource::Fonts, false, true},
    {"<SrcDir>", FolderSource::Exe, false, true},
    {"<OriginDir>", FolderSource::Origin, false, true},
    {"<OriginDrive>", FolderSource::Origin, true, true},
    {"<TempDir>", FolderSource::Temp, false, true},
    {"<UserDir>", FolderSource::User, false, true},
};

bool IsRunTimeSource(FolderSource s) {
    return s == FolderSource::RunTime1 || s == FolderSource::RunTime2 ||
           s == FolderSource::RunTime3;
}

Text ApplyStep(const Text& text, const MacroStep& step, const Text& suffix,
               const FolderLookup& folder) {
    // Resolving a run-time folder may search drives and show a box: only when it is used.
    if (IsRunTimeSource(step.source) && PosText(step.name, text) == 0) return text;
    Text value = folder(step.source);
    if (step.drive) value = value.substr(0, 2);
    if (step.suffix) value += suffix;
    return ReplaceEachText(text, step.name, value);
}

} // namespace

Text ExpandFolderMacrosWith(const Text& text, const Text& suffix, const FolderLookup& folder) {
    const Text before = text;
    Text t = text;
    for (const MacroStep& step : FirstSteps) t = ApplyStep(t, step, suffix, folder);
    // "<Application Folder>\<InstallDir>\x": the folder is in already.
    if (t != before) t = ReplaceEachText(t, "<InstallDir>", "");
    t = ReplaceEachText(t, "<AbsoluteDir>", "");
    for (const MacroStep& step : LaterSteps) t = ApplyStep(t, step, suffix, folder);
    return t != before ? RemoveDoubleSlashes(t) : before;
}

namespace {

Text TwoDigits(int n) {
    char buf[16];
    snprintf(buf, sizeof buf, "%02d", n % 100);
    return buf;
}

Text FourDigits(int n) {
    char buf[16];
    snprintf(buf, sizeof buf, "%04d", n);
    return buf;
}

} // namespace

Text FormatDateCodeOf(char code, const DateFields& d) {
    Text dd = TwoDigits(d.day), mm = TwoDigits(d.month), yy = TwoDigits(d.year);
    Text yyyy = FourDigits(d.year);
    switch (code) {
    case '#':
        return dd + d.dateSeparator + d.monthName + d.dateSeparator + yyyy;
    case '0':
        return IntToStr(d.daysSince2000);
    case '1':
        return dd + "-" + mm + "-" + yy;
    case '2':
        return mm + "-" + dd + "-" + yy;
    case '3':
        return yy + "-" + mm + "-" + dd;
    case '4':
        return dd + "-" + mm + "-" + yyyy;
    case '5':
        return mm + "-" + dd + "-" + yyyy;
    case '6':
        return yyyy + "-" + mm + "-" + dd;
    default:
        return {};
    }
}

Text ExpandDateMacroWith(const Text& text, const DateFields& date) {
    const Text head = "<Date=";
    int at = PosText(head, text);
    if (at == 0) return text;
    size_t code = at - 1 + head.size();
    if (code + 1 >= text.size() || text[code + 1] != '>') return text;
    Text value = FormatDateCodeOf(text[code], date);
    if (value.empty()) return text;
    return text.substr(0, at - 1) + value + text.substr(code + 2);
}

} // namespace zk
