#include "UnRemove.h"

#include "Common.h"
#include "ExecItem.h"
#include "Files.h"
#include "Handles.h"
#include "RegOp.h"
#include "RegSvr.h"

#include <windows.h>

namespace zk {

namespace {

DWORD AttributesOf(const Text& path) {
    return GetFileAttributesA(path.c_str());
}

bool IsFile(const Text& path) {
    DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const Text& path) {
    DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsSameFolder(const Text& a, const Text& b) {
    return !b.empty() && TextEquals(a, b);
}

bool RemoveTreeKeeping(const ProtectionLists& p, const Text& dir);

bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Removes what may go of one entry of a folder that holds a protected one; true when all of
// it went.
bool RemoveEntryKeeping(const ProtectionLists& p, const Text& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveTreeKeeping(p, path);
    if (!IsFileRemovable(p, path)) return true;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != 0;
}

// The folder with its contents, except DONT_REMOVE_DIR subtrees and the folders on the way
// to them; true when everything else went. Links go by themselves (DeleteTree), never with
// what they point to; a link on the way to a protected folder stays.
bool RemoveTreeKeeping(const ProtectionLists& p, const Text& dir) {
    if (IsInProtectedDir(p, dir)) return true;
    if (!HoldsProtectedDir(p, dir)) return DeleteTree(dir, true);
    if (AttributesOf(dir) & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    bool all = true;
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA((dir + "\\*").c_str(), &fd));
    if (find) {
        do {
            if (!IsDots(fd.cFileName))
                all = RemoveEntryKeeping(p, dir + "\\" + fd.cFileName, fd.dwFileAttributes) && all;
        } while (FindNextFileA(find.get(), &fd));
    }
    return all;
}

Text ErrorReason(const char* what) {
    return Text(what) + " failed, error " + IntToStr(GetLastError());
}

ItemResult Refused(const char* why) {
    return {true, true, Text("refused: ") + why};
}

constexpr UINT kFontChangeWaitMs = 1000;

ItemResult Unsupported() {
    return {false, true, "not supported by this build"};
}

TextList CanonicalEntries(const TextList& entries) {
    TextList canonical;
    for (const Text& e : entries) {
        Text c = CanonicalizePath(e);
        if (!c.empty()) canonical.push_back(c);
    }
    return canonical;
}

} // namespace

RemovalContext MakeRemovalContext(const UninstallWorkLists& lists, const Text& ownPath) {
    RemovalContext ctx;
    ctx.protection = MakeProtectionLists(CanonicalEntries(lists[WorkList::DontRemoveDir]),
                                         CanonicalEntries(lists[WorkList::DontRemoveJustDir]),
                                         CanonicalEntries(lists[WorkList::AvoidErrRemoveDir]));
    ctx.ownPath = CanonicalizePath(ownPath);
    const size_t cut = ctx.ownPath.rfind('\\');
    if (cut != Text::npos) ctx.ownDir = ctx.ownPath.substr(0, cut == 2 ? 3 : cut);
    return ctx;
}

ItemResult RemoveFileItem(const RemovalContext& ctx, const Text& item) {
    const Text file = CanonicalizePath(item);
    if (file.empty()) return Refused("not a full path");
    if (!IsFileRemovable(ctx.protection, file)) return {true, false, "kept: DONT_REMOVE_DIR"};
    if (TextEquals(file, ctx.ownPath)) return {true, true, "left for the self-deletion"};
    if (!IsFile(file)) return {true, true, "not found"};
    if (!DeleteFileA(file.c_str())) return {false, true, ErrorReason("delete")};
    return {true, true, "deleted"};
}

ItemResult ClearReadOnlyItem(const RemovalContext&, const Text& item) {
    const Text file = CanonicalizePath(item);
    if (file.empty()) return {true, false, "refused: not a full path"};
    if (!IsFile(file)) return {true, false, "not found"};
    if (!SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL))
        return {true, false, ErrorReason("clear attributes")};
    return {true, false, "attributes cleared"};
}

ItemResult RemoveFontItem(const RemovalContext&, const Text& item) {
    const Text file = CanonicalizePath(item);
    if (file.empty()) return Refused("not a full path");
    if (!IsFile(file)) return {true, true, "not found"};
    if (!RemoveFontResourceA(file.c_str())) return {false, true, ErrorReason("remove font")};
    // A hung top-level window must not hold the run: each one gets a second at most.
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kFontChangeWaitMs,
                        nullptr);
    return {true, true, "font removed"};
}

ItemResult RemoveSharedFileItem(const RemovalContext&, const Text&) {
    return Unsupported();
}
ItemResult UnregisterOcxItem(const RemovalContext&, const Text& item) {
    const Text file = CanonicalizePath(item);
    if (file.empty()) return Refused("not a full path");
    if (!IsFile(file)) return {true, true, "not found"};
    if (!RegisterServerFile(file, false)) return {false, true, "unregistration failed"};
    return {true, true, "unregistered"};
}
ItemResult ForceRemoveDirItem(const RemovalContext& ctx, const Text& item) {
    const Text dir = CanonicalizePath(item);
    if (dir.empty()) return Refused("not a full path");
    if (IsSystemFolder(dir)) return Refused("system folder");
    if (!IsFolder(dir)) return {true, true, "not found"};
    const bool removed = RemoveTreeKeeping(ctx.protection, dir);
    if (IsSameFolder(dir, ctx.ownDir)) return {true, true, "left for the self-deletion"};
    if (HoldsProtectedDir(ctx.protection, dir) || IsInProtectedDir(ctx.protection, dir))
        return {removed, true, removed ? "removed but DONT_REMOVE_DIR" : "not all removed"};
    return {removed, true, removed ? "removed" : "not all removed"};
}

ItemResult RemoveDirItem(const RemovalContext& ctx, const Text& item) {
    const Text dir = CanonicalizePath(item);
    if (dir.empty()) return Refused("not a full path");
    if (!IsDirRemovable(ctx.protection, dir)) return {true, false, "kept: DONT_REMOVE_DIR"};
    if (IsSystemFolder(dir)) return Refused("system folder");
    if (!IsFolder(dir)) return {true, true, "not found"};
    if (RemoveDirectoryA(dir.c_str()) || !IsFolder(dir)) return {true, true, "removed"};
    const Text why = ErrorReason("remove");
    if (IsSameFolder(dir, ctx.ownDir)) return {true, true, "left for the self-deletion"};
    if (IsDirFailureExcused(ctx.protection, dir)) return {true, true, why + ", excused"};
    return {false, true, why};
}
ItemResult RemoveRegKeyItem(const RemovalContext&, const Text& item) {
    const Text key = Trim(item); // the text the filter judged is the text deleted
    if (IsProtectedRegistryKey(key)) return Refused("shared or top-level key");
    if (!DeleteRegKey(key)) return {false, true, "delete failed"};
    return {true, true, "deleted"};
}
ItemResult UndoRegistryOpItem(const RemovalContext&, const Text&) {
    return Unsupported();
}
ItemResult UndoIniFileOpItem(const RemovalContext&, const Text&) {
    return Unsupported();
}
ItemResult UndoEnvironmentOpItem(const RemovalContext&, const Text&) {
    return Unsupported();
}
ItemResult UndoAssociationItem(const RemovalContext&, const Text&) {
    return Unsupported();
}
ItemResult UndoOpenWithItem(const RemovalContext&, const Text&) {
    return Unsupported();
}
ItemResult RunExecuteItemAt(ExecServices& services, const Text& item, int stage,
                            bool& exitRequest) {
    Text log; // discarded: the memo and the failure log show the item itself
    const bool ran = RunExecuteItemWith(services, item, stage, exitRequest, log);
    return {ran, true, ran ? "done" : "failed"};
}

} // namespace zk
