#include "ExecOp.h"

#include <windows.h>

#include <set>
#include <utility>
#include <vector>

#include "ExecCond.h"
#include "ExecHost.h"
#include "FileFlags.h"
#include "Files.h"
#include "Common.h"
#include "Global.h"
#include "Process.h"
#include "RegOp.h"
#include "RegSvr.h"
#include "Services.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"
#include "ZMsgBox.h"

namespace zk {

namespace {

struct OpArgs {
    const Text& p1;
    const Text& p2;
    const Text& p3;
    bool& exitRequest;
};

using Operation = bool (*)(const OpArgs& a);

// Copies, then deletes each source whose own copy arrived: a source whose copy failed, or whose
// target a later source of the same move overwrote, stays.
bool MoveFiles(const Text& source, const Text& target) {
    std::vector<std::pair<Text, Text>> copied;
    if (CopyFiles(source, target, true,
                  [&](const Text& from, const Text& to) { copied.emplace_back(from, to); }) == 0)
        return false;
    std::set<Text> overwritten;
    for (size_t i = copied.size(); i-- > 0;)
        if (overwritten.insert(UpperCase(copied[i].second)).second)
            DeleteFileA(copied[i].first.c_str());
    return true;
}

char LocaleDecimalSeparator() {
    char sep[4] = {};
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) > 1 ? sep[0] : '.';
}

bool ReplaceTextInFile(const Text& file, const Text& search, const Text& replacement) {
    if (!FileFound(file)) return false;
    Text text = LoadFile(file);
    if (!ReplaceTextInText(text, search, replacement)) return false;
    return SaveFileAtomic(file, text, 0);
}

// Whole trees go only below a folder that is no root, nor Windows', nor a profile's: a path
// from the registry can name any of them ("C:" for a program in C:\, the Windows folder for
// one of its programs).
bool DeleteGuardedTree(const Text& folder) {
    if (IsSystemFolder(folder)) {
        TraceLine("Tree deletion refused, protected folder: " + folder);
        return false;
    }
    DeleteTree(folder, false);
    return !FolderFound(folder);
}

bool DeleteAppExecutable(const Text& program) {
    const Text path = GetAppPath(program);
    return FileFound(path) && DeleteFileA(path.c_str()) != 0;
}

bool RemoveAppDirectory(const Text& program) {
    const Text folder = GetAppDirectory(program);
    return FolderFound(folder) && DeleteGuardedTree(folder);
}

// The uninstall command of the Add/Remove entry, run when it names an existing file.
bool UninstallApplication(const Text& displayName) {
    const Text command = GetUninstallString(displayName);
    return FileFound(command) && RunProgram(command, Text(), true, SW_SHOW);
}

// An existing key keeps its default value.
bool CreateRegistryKey(const Text& path) {
    return RegKeyExists(path) || WriteRegValueTyped(path, Text(), Text(), "String");
}

bool IsUserScope(const Text& scope) {
    return TextEquals(scope, "User");
}

struct OperationRow {
    int id;
    Operation perform;
};

const OperationRow kOperations[] = {
    {11, [](const OpArgs& a) { return DeleteFiles(a.p1, false); }},
    {12, [](const OpArgs& a) { return CopyFiles(a.p1, a.p2, true) > 0; }},
    {13, [](const OpArgs& a) { return MoveFiles(a.p1, a.p2); }},
    {14, [](const OpArgs& a) { return RenameFiles(a.p1, a.p2) > 0; }},
    {15, [](const OpArgs& a) { return SetFilesAttributes(a.p1, FileAttributesFromText(a.p2)); }},
    {21, [](const OpArgs& a) { return !a.p1.empty() && RemoveDirectoryA(a.p1.c_str()) != 0; }},
    {22, [](const OpArgs& a) { return FolderFound(a.p1) && DeleteGuardedTree(a.p1); }},
    {23, [](const OpArgs& a) { return !a.p1.empty() && SetCurrentDirectoryA(a.p1.c_str()) != 0; }},
    {24, [](const OpArgs& a) { return CopyTree(a.p1, a.p2); }},
    {25, [](const OpArgs& a) { return MoveFolder(a.p1, a.p2); }},
    {26, [](const OpArgs& a) { return CallExecHostAction("SetFolderTo", a.p1, a.p2, Text()); }},
    {27, [](const OpArgs& a) { return CallExecHostAction("SetStupType", a.p1, Text(), Text()); }},
    {31, [](const OpArgs& a) { return DeleteAppExecutable(a.p1); }},
    {32, [](const OpArgs& a) { return RemoveAppDirectory(a.p1); }},
    {33, [](const OpArgs& a) { return UninstallApplication(a.p1); }},
    {34,
     [](const OpArgs& a) {
         return RunRegisteredApp(a.p1, a.p2, false, ShowCommandFromName(a.p3));
     }},
    {35,
     [](const OpArgs& a) { return RunRegisteredApp(a.p1, a.p2, true, ShowCommandFromName(a.p3)); }},
    {41, [](const OpArgs& a) { return RunProgram(a.p1, a.p2, false, ShowCommandFromName(a.p3)); }},
    {42, [](const OpArgs& a) { return RunProgram(a.p1, a.p2, true, ShowCommandFromName(a.p3)); }},
    {43, [](const OpArgs& a) { return ShellOpen(a.p1, a.p2, ShowCommandFromName(a.p3)); }},
    {44, [](const OpArgs& a) { return ShellOpen(a.p1, a.p2, SW_HIDE); }},
    {51, [](const OpArgs& a) { return StartServiceByName(a.p1, true); }},
    {52, [](const OpArgs& a) { return StopServiceByName(a.p1, true); }},
    {53, [](const OpArgs& a) { return CreateServiceByName(a.p1, a.p2, a.p3, true); }},
    {54, [](const OpArgs& a) { return RemoveServiceByName(a.p1, true); }},
    {55, [](const OpArgs& a) { return RegisterServerFile(a.p1, true); }},
    {56, [](const OpArgs& a) { return RegisterServerFile(a.p1, false); }},
    {61, [](const OpArgs& a) { return CreateRegistryKey(a.p1); }},
    {62, [](const OpArgs& a) { return DeleteRegKey(a.p1); }},
    {63, [](const OpArgs& a) { return WriteRegValueTyped(a.p1, a.p2, a.p3, "String"); }},
    {64, [](const OpArgs& a) { return WriteRegValueTyped(a.p1, a.p2, a.p3, "Integer"); }},
    {65, [](const OpArgs& a) { return WriteRegValueTyped(a.p1, a.p2, a.p3, "Hex"); }},
    {66, [](const OpArgs& a) { return DeleteRegValue(a.p1, a.p2); }},
    {71,
     [](const OpArgs& a) {
         Text key, value;
         SplitIniItem(a.p3, key, value);
         return IniWriteString(a.p1, a.p2, key, value);
     }},
    {72, [](const OpArgs& a) { return IniDeleteKey(a.p1, a.p2, a.p3); }},
    {73,
     [](const OpArgs& a) {
         return SetEnvironmentValue(a.p1, ExpandPercentVariables(a.p2), !IsUserScope(a.p3), true);
     }},
    {74, [](const OpArgs& a) { return DeleteEnvironmentValue(a.p1, !IsUserScope(a.p2), true); }},
    {75, [](const OpArgs& a) { return AppendToFile(a.p1, ExpandAppendEscapes(a.p2), 0); }},
    {76, [](const OpArgs& a) { return ReplaceTextInFile(a.p1, a.p2, a.p3); }},
    {81,
     [](const OpArgs& a) {
         SetSpaceRequired(a.p1, SpaceMegabytes, LocaleDecimalSeparator());
         return true;
     }},
    {82,
     [](const OpArgs& a) {
         AddSpaceRequired(a.p1, SpaceMegabytes, LocaleDecimalSeparator());
         return true;
     }},
    {91,
     [](const OpArgs& a) {
         ShowWarningBox(OwnerActiveWindow, a.p1, "Attention", DefaultButtonCaptions, 0);
         return true;
     }},
    {92,
     [](const OpArgs& a) {
         // Cut short by the run's stop: the item then ends (ExecServices::StopRequested).
         PumpScope wait;
         wait.Wait(static_cast<DWORD>(GreaterInt(StrToIntDef(a.p1, 0), 0)));
         return true;
     }},
    {99,
     [](const OpArgs& a) {
         a.exitRequest = true;
         return true;
     }},
};

const OperationRow* FindOperationRow(int id) {
    for (const OperationRow& row : kOperations)
        if (row.id == id) return &row;
    return nullptr;
}

} // namespace

int ShowCommandFromName(const Text& name) {
    static const char kNames[] = "|SW_HIDE|SW_SHOWNORMAL|SW_SHOWMINIMIZED|SW_SHOWMAXIMIZED|"
                                 "SW_SHOWNOACTIVATE|SW_SHOW|SW_MINIMIZE|SW_SHOWMINNOACTIVE|"
                                 "SW_SHOWNA|SW_RESTORE|SW_SHOWDEFAULT|";
    int i = 0;
    for (int cursor = 0;; ++i) {
        Text item;
        ListNextItem(kNames, cursor, item);
        if (cursor == 0) return SW_SHOW;
        if (TextEquals(item, name)) return i;
    }
}

uint32_t FileAttributesFromText(const Text& text) {
    static const struct {
        const char* word;
        uint32_t bit;
    } kWords[] = {
        {"ReadOnly", FILE_ATTRIBUTE_READONLY},
        {"Hidden", FILE_ATTRIBUTE_HIDDEN},
        {"System", FILE_ATTRIBUTE_SYSTEM},
        {"Archive", FILE_ATTRIBUTE_ARCHIVE},
    };
    uint32_t attributes = PosText("Normal", text) > 0 ? FILE_ATTRIBUTE_NORMAL : 0;
    for (const auto& w : kWords)
        if (PosText(w.word, text) > 0) attributes |= w.bit;
    return attributes;
}

bool ReplaceTextInText(Text& text, const Text& search, const Text& replacement) {
    Text s = search;
    const bool wholeWord = s.compare(0, 2, "!!") == 0;
    if (wholeWord) s.erase(0, 2);
    const bool anyCase = s.compare(0, 1, "!") == 0;
    if (anyCase) s.erase(0, 1);
    if (s.empty() || text.empty()) return false;
    // One pass over a folded copy of the same length, so that its positions are the text's.
    Text folded = anyCase ? UpperCase(text) : text;
    if (anyCase) s = UpperCase(s);
    if (wholeWord)
        for (char& c : folded)
            if (static_cast<unsigned char>(c) < 32) c = ' ';
    auto isWord = [&](size_t at) {
        const size_t end = at + s.size();
        return (at == 0 || folded[at - 1] == ' ') && (end == folded.size() || folded[end] == ' ');
    };
    Text out;
    size_t copiedUpTo = 0;
    for (size_t at = folded.find(s); at != Text::npos;) {
        if (wholeWord && !isWord(at)) {
            at = folded.find(s, at + 1);
            continue;
        }
        out.append(text, copiedUpTo, at - copiedUpTo);
        out += replacement;
        copiedUpTo = at + s.size();
        at = folded.find(s, copiedUpTo);
    }
    if (copiedUpTo == 0) return false; // every match moves it past a non-empty search text
    out.append(text, copiedUpTo, Text::npos);
    text = std::move(out);
    return true;
}

Text ExpandAppendEscapes(const Text& text) {
    return ReplaceAllSafe(ReplaceAllSafe(text, "\\\\n", "\r\n"), "\\\\t", "\t");
}

void SplitIniItem(const Text& item, Text& key, Text& value) {
    const size_t eq = item.find('=');
    key = eq == Text::npos ? Text() : item.substr(0, eq);
    value = eq == Text::npos ? item : item.substr(eq + 1);
}

bool HasOperation(int id) {
    return FindOperationRow(id) != nullptr;
}

bool PerformOperationId(int id, const Text& p1, const Text& p2, const Text& p3, bool& exitRequest) {
    const OperationRow* row = FindOperationRow(id);
    return row && row->perform(OpArgs{p1, p2, p3, exitRequest});
}

} // namespace zk
