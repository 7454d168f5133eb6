#include "UnRemove.h"

#include "Common.h"
#include "Files.h"
#include "Handles.h"
#include "RegOp.h"
#include "RegSvr.h"
#include "UtilPlus.h"

#include <windows.h>

#include <cstdint>

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

// True when a folder above the path is a link: a tree named through it lies elsewhere.
bool PassesThroughLink(const Text& path) {
    for (size_t cut = LastCharOf(path, "\\"); cut != Text::npos && cut > 2;
         cut = LastCharOf(path.substr(0, cut), "\\")) {
        const DWORD a = AttributesOf(path.substr(0, cut));
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    }
    return false;
}

// The path with the links above its last component resolved, canonical; "" when that cannot
// be done (no such folder, or a system without GetFinalPathNameByHandleA).
Text ResolveLinksAbove(const Text& path) {
    const size_t cut = LastCharOf(path, "\\");
    if (cut == Text::npos || cut < 2) return {};
    using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    static const auto finalPath = reinterpret_cast<FinalPathFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    if (!finalPath) return {};
    UniqueFile parent(CreateFileA(path.substr(0, cut).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!parent) return {};
    char buffer[MAX_PATH * 2];
    const DWORD n = finalPath(parent.get(), buffer, sizeof buffer, 0);
    if (n == 0 || n >= sizeof buffer) return {};
    Text real(buffer, n);
    if (StartsText("\\\\?\\UNC\\", real))
        real = "\\\\" + real.substr(8);
    else if (StartsText("\\\\?\\", real))
        real = real.substr(4);
    return CanonicalizePath(real + path.substr(cut));
}

// The path itself, or its real form when it is named through a link.
Text RealPathOf(const Text& path) {
    if (!PassesThroughLink(path)) return path;
    const Text real = ResolveLinksAbove(path);
    return real.empty() ? path : real;
}

Text ErrorReason(const char* what) {
    return Text(what) + " failed, error " + IntToStr(GetLastError());
}

ItemResult Refused(const char* why) {
    return {true, true, Text("refused: ") + why};
}

constexpr UINT kFontChangeWaitMs = 1000;

constexpr int kUninstallMode = 0;

ItemResult RowResult(bool ok) {
    return {ok, true, ok ? "undone" : "failed"};
}

enum class SharedCount { None, Found, Unreadable };

// The file's count as the decrement will see it, told apart from a count that is there but
// cannot be read (another type, no access): such a file must stay and the item fail.
SharedCount ReadSharedCount(const Text& file, uint32_t& count) {
    HKEY root = nullptr;
    Text subkey;
    SplitRegPath(SharedDllsKey, root, subkey);
    UniqueKey key;
    LONG e = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (e == ERROR_FILE_NOT_FOUND) return SharedCount::None;
    if (e != ERROR_SUCCESS) return SharedCount::Unreadable;
    DWORD type = 0, size = sizeof count;
    e = RegQueryValueExA(key.get(), file.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&count),
                         &size);
    if (e == ERROR_FILE_NOT_FOUND) return SharedCount::None;
    if (e != ERROR_SUCCESS || type != REG_DWORD || size != sizeof count)
        return SharedCount::Unreadable;
    return SharedCount::Found;
}

// Each entry canonical, and in its real form too when it is named through a link: a removal
// through a link works on real paths.
TextList CanonicalEntries(const TextList& entries) {
    TextList canonical;
    for (const Text& e : entries) {
        Text c = CanonicalizePath(e);
        if (c.empty()) continue;
        canonical.push_back(c);
        const Text real = RealPathOf(c);
        if (!TextEquals(real, c)) canonical.push_back(real);
    }
    return canonical;
}

// The count a shared file starts the run with, as its REMOVE_SHARED_FILE item finds it: under
// the script's spelling first, then the canonical one; `name` comes back as the one used.
SharedCount StartCount(Text& name, const Text& file, uint32_t& count) {
    SharedCount found = ReadSharedCount(name, count);
    if (found == SharedCount::None && name != file) found = ReadSharedCount(name = file, count);
    return found;
}

// True (with the reason) when the file is one of the run's shared files and stays for other
// products: its count does not reach 0 with this run's items, or it has none to reach it.
bool StaysShared(const RemovalContext& ctx, const Text& file, Text& why) {
    const Text* spelling = nullptr;
    uint32_t items = 0;
    for (const auto& [canonical, raw] : ctx.sharedFiles) {
        if (!TextEquals(canonical, file)) continue;
        if (!spelling) spelling = &raw;
        ++items;
    }
    if (!spelling) return false;
    uint32_t count = 0;
    Text name = *spelling;
    switch (StartCount(name, file, count)) {
    case SharedCount::None:
        why = "shared without a count: stays, kept registered";
        return true;
    case SharedCount::Unreadable:
        why = "shared count unreadable: stays, kept registered";
        return true;
    case SharedCount::Found:
        break;
    }
    if (count <= items) return false;
    why = "shared count " + IntToStr(count) + ": still used by others, kept registered";
    return true;
}

} // namespace

RemovalContext MakeRemovalContext(const UninstallWorkLists& lists, const Text& ownPath) {
    RemovalContext ctx;
    ctx.protection = MakeProtectionLists(CanonicalEntries(lists[WorkList::DontRemoveDir]),
                                         CanonicalEntries(lists[WorkList::DontRemoveJustDir]),
                                         CanonicalEntries(lists[WorkList::AvoidErrRemoveDir]));
    for (const Text& item : lists[WorkList::SharedFile]) {
        const Text canonical = CanonicalizePath(item);
        if (!canonical.empty()) ctx.sharedFiles.emplace_back(canonical, Trim(item));
    }
    ctx.ownPath = CanonicalizePath(ownPath);
    const size_t cut = LastCharOf(ctx.ownPath, "\\");
    if (cut != Text::npos) ctx.ownDir = ctx.ownPath.substr(0, cut == 2 ? 3 : cut);
    ctx.ownRealDir = ctx.ownDir.empty() ? Text() : RealPathOf(ctx.ownDir);
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

ItemResult RemoveFontItem(const RemovalContext& ctx, const Text& item) {
    const Text file = CanonicalizePath(item);
    if (file.empty()) return Refused("not a full path");
    if (!IsFile(file)) return {true, true, "not found"};
    if (Text why; StaysShared(ctx, file, why)) return {true, true, why};
    if (!RemoveFontResourceA(file.c_str())) return {false, true, ErrorReason("remove font")};
    // A hung top-level window must not hold the run: each one gets a second at most.
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kFontChangeWaitMs,
                        nullptr);
    return {true, true, "font removed"};
}

ItemResult RemoveSharedFileItem(const RemovalContext&, const Text& item) {
    const Text file = CanonicalizePath(item);
    if (file.empty()) return Refused("not a full path");
    if (!IsFile(file)) return {true, true, "not found, count kept"};
    // The install counted the file under the script's spelling (an 8.3 name, "/"), which the
    // canonical form need not match: that one first.
    uint32_t count = 0;
    Text name = Trim(item);
    switch (StartCount(name, file, count)) {
    case SharedCount::None:
        return {true, true, "no shared count, kept"};
    case SharedCount::Unreadable:
        return {false, true, "shared count unreadable, kept"};
    case SharedCount::Found:
        break;
    }
    // The decrement tells a failed write only by its "no count" answer, which a count of 101
    // gives as well: what is stored afterwards decides.
    DecrementSharedDllCount(name);
    const uint32_t expected = count > 0 ? count - 1 : 0;
    uint32_t left = 0;
    const SharedCount after = ReadSharedCount(name, left);
    if (expected > 0 ? after != SharedCount::Found || left != expected : after != SharedCount::None)
        return {false, true, "shared count not written, kept"};
    if (left > 0) return {true, true, "shared count " + IntToStr(left) + ", kept"};
    if (!DeleteFileA(file.c_str())) return {false, true, ErrorReason("delete")};
    return {true, true, "shared count 0, deleted"};
}

ItemResult UnregisterOcxItem(const RemovalContext& ctx, const Text& item) {
    const Text file = CanonicalizePath(item);
    if (file.empty()) return Refused("not a full path");
    if (!IsFile(file)) return {true, true, "not found"};
    if (Text why; StaysShared(ctx, file, why)) return {true, true, why};
    if (!RegisterServerFile(file, false)) return {false, true, "unregistration failed"};
    return {true, true, "unregistered"};
}

ItemResult ForceRemoveDirItem(const RemovalContext& ctx, const Text& item) {
    Text dir = CanonicalizePath(item);
    if (dir.empty()) return Refused("not a full path");
    if (IsSystemFolder(dir)) return Refused("system folder");
    if (PassesThroughLink(dir)) {
        // The tree lies where the link leads: the guards judge that place. What they keep is
        // the product's and stays, so the item fails.
        const Text real = ResolveLinksAbove(dir);
        if (real.empty())
            return IsFolder(dir) ? ItemResult{false, true, "link cannot be resolved, kept"}
                                 : ItemResult{true, true, "not found"};
        if (IsSystemFolder(real)) return {false, true, "refused: system folder " + real};
        if (PassesThroughLink(real)) return {false, true, "refused: still a link in " + real};
        dir = real;
    }
    if (!IsFolder(dir)) return {true, true, "not found"};
    const bool removed = RemoveTreeKeeping(ctx.protection, dir);
    if (IsSameFolder(dir, ctx.ownDir) || IsSameFolder(dir, ctx.ownRealDir))
        return {true, true, "left for the self-deletion"};
    if (IsInProtectedDir(ctx.protection, dir)) return {true, true, "kept: DONT_REMOVE_DIR"};
    if (!removed) return {false, true, "not all removed"};
    if (HoldsProtectedDir(ctx.protection, dir))
        return {true, true, "removed but for its DONT_REMOVE_DIR folders"};
    return {true, true, "removed"};
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

ItemResult RemoveEmptyRegKeyItem(const RemovalContext&, const Text& item) {
    const Text key = Trim(item);
    if (IsProtectedRegistryKey(key)) return Refused("shared or top-level key");
    HKEY root = nullptr;
    Text subkey;
    SplitRegPath(key, root, subkey);
    UniqueKey open;
    LONG e = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS,
                           open.put());
    if (e == ERROR_FILE_NOT_FOUND) return {true, true, "not found"};
    if (e != ERROR_SUCCESS) return {false, true, "open failed, error " + IntToStr(e)};
    DWORD keys = 0, values = 0;
    e = RegQueryInfoKeyA(open.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
    if (e != ERROR_SUCCESS) return {false, true, "query failed, error " + IntToStr(e)};
    if (keys || values) return {true, true, "not empty, kept"};
    open.reset();
    e = RegDeleteKeyA(root, subkey.c_str());
    if (e != ERROR_SUCCESS && e != ERROR_FILE_NOT_FOUND)
        return {false, true, "delete failed, error " + IntToStr(e)};
    return {true, true, "deleted"};
}

ItemResult UndoRegistryOpItem(const RemovalContext&, const Text& item) {
    const Text row = ExpandFolderMacros(item, "\\");
    if (IsRefusedRegistryRow(row)) return Refused("shared or top-level key");
    return RowResult(PerformRegistryOp(row, kUninstallMode));
}

ItemResult UndoIniFileOpItem(const RemovalContext&, const Text& item) {
    return RowResult(PerformIniFileOp(ExpandFolderMacros(item, "\\"), kUninstallMode));
}

ItemResult UndoEnvironmentOpItem(const RemovalContext&, const Text& item) {
    return RowResult(PerformEnvironmentOp(ExpandFolderMacros(item, ""), kUninstallMode));
}

ItemResult UndoAssociationItem(const RemovalContext&, const Text& item) {
    return RowResult(PerformAssociationOp(ExpandFolderMacros(item, "\\"), kUninstallMode));
}

PendingRenamePlace CurrentPendingRenamePlace() {
    return {IsWinNT(), GetWindowsDir(true) + "WININIT.INI"};
}

Text DropPendingRenamesOf(const TextList& fileItems, const PendingRenamePlace& place) {
    TextList files;
    for (const Text& item : fileItems) {
        const Text file = CanonicalizePath(item);
        if (file.empty()) continue;
        files.push_back(file);
        char shortName[MAX_PATH];
        const DWORD n = GetShortPathNameA(file.c_str(), shortName, MAX_PATH);
        if (n > 0 && n < MAX_PATH) files.push_back(shortName);
    }
    bool changed = false;
    if (!place.nt) {
        const Text ini = LoadFile(place.winInitPath);
        const Text kept = WithoutWininitRenamesFrom(ini, files, changed);
        if (!changed) return "no staged replacement in " + place.winInitPath;
        return SaveFileAtomic(place.winInitPath, kept, 0)
                   ? "staged replacements taken out of " + place.winInitPath
                   : ErrorReason("rewrite WININIT.INI");
    }
    const char* value = "PendingFileRenameOperations";
    UniqueKey key =
        OpenRegPath("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager",
                    KEY_QUERY_VALUE | KEY_SET_VALUE);
    DWORD type = 0;
    std::string pending;
    if (!key || !RegReadRaw(key.get(), value, type, pending) || type != REG_MULTI_SZ)
        return "no pending renames";
    const std::string kept = WithoutPendingRenamesFrom(pending, files, changed);
    if (!changed) return "no staged replacement among the pending renames";
    const LONG e = kept.empty() ? RegDeleteValueA(key.get(), value)
                                : RegSetValueExA(key.get(), value, 0, REG_MULTI_SZ,
                                                 reinterpret_cast<const BYTE*>(kept.data()),
                                                 static_cast<DWORD>(kept.size()));
    return e == ERROR_SUCCESS ? "staged replacements taken out of the pending renames"
                              : "pending renames not written, error " + IntToStr(e);
}

ItemResult UndoOpenWithItem(const RemovalContext&, const Text& item) {
    return RowResult(RegisterOpenWithVerb(ListItem(item, 0), "", "", false, ListItem(item, 1)));
}

} // namespace zk
