// Fuzz target: any bytes as "UnInstall.txt", read as the uninstaller reads it (descrambled,
// split into lines, header values, command lines into work lists), then ordered and judged by
// the protection rules. Besides the sanitizers it checks that every handling order is a
// permutation of its list in the promised order, and that no registry verdict depends on the
// case of the key's spelling.
#include "Scramble.h"
#include "UnFilters.h"
#include "UnScript.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace zk;

namespace {

void CheckOrders(const TextList& list) {
    const TextList longest = LongestFirst(list), shortest = SortByLength(list);
    TextList a = list, b = longest, c = shortest;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::sort(c.begin(), c.end());
    if (a != b || a != c) abort();
    for (size_t i = 1; i < longest.size(); ++i) {
        if (longest[i - 1].size() < longest[i].size()) abort();
        if (shortest[i - 1].size() > shortest[i].size()) abort();
    }
}

void CheckRegistryVerdicts(const TextList& keys) {
    for (const Text& key : keys) {
        const bool refused = IsProtectedRegistryKey(key);
        if (IsProtectedRegistryKey(UpperCase(key)) != refused) abort();
        if (IsProtectedRegistryKey(LowerCase(key)) != refused) abort();
    }
}

void ReadAndJudge(const Text& text) {
    const TextList lines = SplitLines(text);
    UninstallWorkLists lists = ParseUninstallScript(lines);
    for (const char* key : {"PROG_NAME", "CHAR_SET", "BTN_TEXT", "GET_AUTO_UPDATE_EXE_FILE_NAME"})
        (void)IsPlainFileName(GetScriptValue(lines, key));
    for (const char* name : {"UserName", "CompanyName", "GroupNameString", "SetupType"})
        (void)GetUserVariable(lines, name);
    for (const TextList& list : lists.lists) CheckOrders(list);
    CheckRegistryVerdicts(lists[WorkList::RegKey]);
    CheckRegistryVerdicts(lists[WorkList::EmptyRegKey]);
    for (const Text& row : lists[WorkList::RegistryOp]) (void)IsRefusedRegistryRow(row);
    const ProtectionLists p =
        MakeProtectionLists(lists[WorkList::DontRemoveDir], lists[WorkList::DontRemoveJustDir],
                            lists[WorkList::AvoidErrRemoveDir]);
    for (const Text& dir : lists[WorkList::Dir])
        (void)(IsDirRemovable(p, dir) || IsDirFailureExcused(p, dir));
    for (const Text& file : lists[WorkList::File]) (void)IsFileRemovable(p, file);
    DropForcedRemoveDirs(lists);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text input(reinterpret_cast<const char*>(data), size);
    ReadAndJudge(input);
    ReadAndJudge(ScrambleText(input, false)); // as the uninstaller loads its script
    return 0;
}
