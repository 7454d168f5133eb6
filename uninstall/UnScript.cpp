#include "UnScript.h"

#include <algorithm>

namespace zk {

namespace {

struct CommandName {
    WorkList list;
    const char* keyword;
};

// Matched by "begins with" in this order, so no keyword may be hidden by an earlier one.
constexpr CommandName kCommands[] = {
    {WorkList::ExecutionDll, "SET_EXECUTION_DLL_NAME"},
    {WorkList::Ocx, "UN_REG_OCX_FILE"},
    {WorkList::Font, "UN_REG_FONT_FILE"},
    {WorkList::ReadOnly, "UNMARK_READONLY_FILE"},
    {WorkList::SharedFile, "REMOVE_SHARED_FILE"},
    {WorkList::File, "REMOVE_FILE"},
    {WorkList::ServiceFile, "REMOVE_SERVICE_FILE"},
    {WorkList::Dir, "REMOVE_DIR"},
    {WorkList::ForceDir, "FORCE_REMOVE_DIR"},
    {WorkList::DontRemoveDir, "DONT_REMOVE_DIR"},
    {WorkList::DontRemoveJustDir, "DONT_REMOVE_JUST_DIR"},
    {WorkList::AvoidErrRemoveDir, "AVOID_ERR_REMOVE_DIR"},
    {WorkList::Folder, "REMOVE_FOLDER"},
    {WorkList::ForceFolder, "FORCE_REMOVE_FOLDER"},
    {WorkList::RegKey, "REMOVE_REG_KEY"},
    {WorkList::EmptyRegKey, "REMOVE_EMPTY_REG_KEY"},
    {WorkList::RegistryOp, "SET_PERFORM_REGISTRY_OP"},
    {WorkList::IniFileOp, "SET_PERFORM_INIFILE_OP"},
    {WorkList::EnvironmentOp, "SET_PERFORM_ENVIRONMENT_OP"},
    {WorkList::Association, "SET_ADD_ASSOCIATION_ITEM"},
    {WorkList::OpenWith, "SET_ADD_OPEN_WITH_ITEM"},
    {WorkList::Execute, "SET_PERFORM_EXECUTE_OP"},
};

} // namespace

Text GetScriptValue(const TextList& lines, const Text& key) {
    for (const Text& line : lines) {
        const size_t eq = line.find('=');
        if (eq != Text::npos && TextEquals(line.substr(0, eq), key)) return line.substr(eq + 1);
    }
    return {};
}

Text GetUserVariable(const TextList& lines, const Text& name) {
    if (TextEquals(name, "UserName")) return ListItem(GetScriptValue(lines, "UserData"), 0);
    if (TextEquals(name, "CompanyName")) return ListItem(GetScriptValue(lines, "UserData"), 1);
    if (TextEquals(name, "GroupNameString")) return GetScriptValue(lines, "GroupNames");
    if (TextEquals(name, "SetupType")) return GetScriptValue(lines, "SetupType");
    return {};
}

Text ExtractCommandArgument(const Text& line) {
    const size_t open = line.find('(');
    const size_t close = line.rfind(')');
    if (open == Text::npos || close == Text::npos || close < open) return {};
    return line.substr(open + 1, close - open - 1);
}

WorkList MatchCommand(const Text& trimmedLine) {
    for (const CommandName& c : kCommands)
        if (trimmedLine.starts_with(c.keyword)) return c.list;
    return WorkList::Count;
}

bool IsPlainFileName(const Text& name) {
    if (Trim(name).empty()) return false;
    return NextCharOf(name, "\\/:") == Text::npos && name.find("..") == Text::npos;
}

UninstallWorkLists ParseUninstallScript(const TextList& lines) {
    UninstallWorkLists work;
    for (const Text& line : lines) {
        const Text trimmed = Trim(line);
        const WorkList list = MatchCommand(trimmed);
        if (list == WorkList::Count) continue;
        Text argument = ExtractCommandArgument(trimmed);
        if (list != WorkList::ExecutionDll) {
            work[list].push_back(std::move(argument));
        } else if (IsPlainFileName(argument)) {
            work.executionDllName = argument;
        } else {
            work.refusedDllNames.push_back(argument);
        }
    }
    DropForcedRemoveDirs(work);
    return work;
}

void DropForcedRemoveDirs(UninstallWorkLists& work) {
    const TextList& forced = work[WorkList::ForceDir];
    std::erase_if(work[WorkList::Dir], [&](const Text& dir) {
        return std::any_of(forced.begin(), forced.end(),
                           [&](const Text& f) { return TextEquals(f, dir); });
    });
}

TextList SortByLength(TextList entries) {
    // Keys computed once: a 10,000-item list must not fold case inside every comparison.
    std::vector<std::pair<Text, size_t>> keyed;
    keyed.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) keyed.emplace_back(UpperCase(entries[i]), i);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (a.first.size() != b.first.size()) return a.first.size() < b.first.size();
        return a.first < b.first;
    });
    TextList sorted;
    sorted.reserve(entries.size());
    for (const auto& k : keyed) sorted.push_back(std::move(entries[k.second]));
    return sorted;
}

TextList LongestFirst(const TextList& entries) {
    TextList sorted = SortByLength(entries);
    std::reverse(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace zk
