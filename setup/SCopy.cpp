#include "SCopy.h"

#include <algorithm>

#include "Common.h"
#include "Files.h"
#include "Global.h"
#include "Handles.h"
#include "RegOp.h"
#include "RunTimeDir.h"
#include "SFileItem.h"
#include "SLang.h"
#include "SUnLines.h"
#include "UtilPlus.h"
#include "VerInfo.h"
#include "ZLibOpen.h"
#include "ZMsgBox.h"

namespace zk {

namespace {

const char Continue[] = "\\\\x ... "; // Setup.log: continues the file's line
// Marks that make a target refuse to be replaced, and that a copy takes from its source.
const DWORD TargetMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

const char NotFoundKey[] = "s1";
const char NotFoundText[] =
    "%s<p>File not found!<p><p>Correct the problem and run Setup once again!";
const char NoFolderKey[] = "s2";
const char NoFolderText[] = "Unable to create directory:<p>%s<p><p>Setup will now close.<p>"
                            "Correct the problem and run Setup once again!";
const char BadStreamKey[] = "s4";
const char BadStreamText[] = "%s<p>The compressed file is damaged and cannot be unpacked!<p><p>"
                             "Setup will now close.<p>Correct the problem and run Setup once "
                             "again!";
const char NotCopiedKey[] = "s5";
const char NotCopiedText[] = "%s<p>The file cannot be copied!<p><p>Setup will now close.<p>"
                             "Correct the problem and run Setup once again!";

bool Ask(const std::function<bool()>& f) {
    return f && f();
}

bool Ask(const std::function<bool(const Text&)>& f, const Text& argument) {
    return f && f(argument);
}

bool IsFile(const Text& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

Text WithoutBackslash(Text path) {
    while (path.size() > 1 && EndsWithChar(path, '\\') && path[path.size() - 2] != ':')
        path.pop_back();
    return path;
}

Text FolderOf(const Text& path) {
    size_t cut = LastCharOf(path, "\\");
    return cut == Text::npos ? Text() : path.substr(0, cut);
}

Text NameOf(const Text& path) {
    size_t cut = LastCharOf(path, "\\/:");
    return cut == Text::npos ? path : path.substr(cut + 1);
}

Text FullPathOf(const Text& path) {
    char buf[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, buf, nullptr);
    return n == 0 || n >= MAX_PATH ? Text() : Text(buf, n);
}

bool SameFile(const Text& a, const Text& b) {
    Text fa = FullPathOf(a);
    return !fa.empty() && TextEquals(fa, FullPathOf(b));
}

Text ShortPathOf(const Text& path) {
    char buf[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? path : Text(buf, n);
}

int EffectiveMode(int mode, FileFlags flags) {
    int own = FileFlagOverwriteMode(flags);
    return own ? own : mode;
}

// The byte progress of the transfer under way, for the plain ProgressProc of Files.
thread_local const std::function<void(const CopyStep&)>* activeProgress = nullptr;

void BytesProgress(int kind, int, int max, int position, int) {
    if (kind == 0 && activeProgress && *activeProgress)
        (*activeProgress)(CopyStep{CopyStep::Kind::Bytes, Text(), position, max});
}

class ProgressScope {
  public:
    explicit ProgressScope(const std::function<void(const CopyStep&)>& p) : saved_(activeProgress) {
        activeProgress = &p;
    }
    ~ProgressScope() { activeProgress = saved_; }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

  private:
    const std::function<void(const CopyStep&)>* saved_;
};

} // namespace

CopyPlatform CurrentCopyPlatform() {
    CopyPlatform p;
    p.nt = IsWinNT();
    p.windowsMask = static_cast<uint32_t>(GetWindowsMask());
    p.winInitPath = GetWindowsDir(true) + "WININIT.INI";
    return p;
}

bool ShouldOverwrite(const Text& source, const Text& target, int mode, FileFlags flags) {
    mode = EffectiveMode(mode, flags);
    if (mode < 2 || mode > 4) return true;
    const bool targetThere = IsFile(target);
    if (mode == 4) return !targetThere;
    if (!targetThere || !IsFile(source)) return true;
    int order;
    Text vs = GetFileVersionText(source, 4), vt = GetFileVersionText(target, 4);
    if (!vs.empty() && !vt.empty()) {
        order = CompareVersionTexts(vs, vt);
    } else {
        uint32_t ds = GetFileDateByName(source), dt = GetFileDateByName(target);
        if (ds == 0 || dt == 0) return true;
        order = ds < dt ? -1 : ds > dt ? 1 : 0;
    }
    return mode == 2 ? order >= 0 : order > 0;
}

TCopyEngine::TCopyEngine(CopyInputs inputs, CopyCallbacks callbacks, CopyPlatform platform)
    : inputs_(std::move(inputs)), cb_(std::move(callbacks)), platform_(std::move(platform)) {
    for (const Text& f :
         {GetWindowsDir(false), GetSystemDir(false), GetTempDir(false), GetSystem16Dir(),
          GetFontsDir(), GetProgramFilesDir(), GetCommonFilesDir()})
        if (!f.empty()) wellKnownFolders_.push_back(WithoutBackslash(f));
}

bool TCopyEngine::Stopped() const {
    return failed_ || Ask(cb_.isAbortRequested) || RunTimeDirAbortRequested();
}

void TCopyEngine::Log(const Text& line) const {
    if (cb_.addSetupLogLine) cb_.addSetupLogLine(line);
}

bool TCopyEngine::AddLine(const Text& line, bool forced) {
    if (!cb_.addUninstallLine || cb_.addUninstallLine(line, forced)) return true;
    failed_ = true;
    return false;
}

void TCopyEngine::Step(const CopyStep& step) const {
    if (cb_.progress) cb_.progress(step);
}

void TCopyEngine::Report(const Text& source, const Text& target, FileOutcome outcome) const {
    if (cb_.fileDone) cb_.fileDone(FileReport{source, target, outcome});
}

void TCopyEngine::ShowFailure(const Text& key, const Text& def, const Text& value) {
    failed_ = boxShown_ = true;
    Text text = FillTemplate(LangString("Messages", key, def), value);
    if (cb_.showError) {
        cb_.showError(text);
        return;
    }
    ShowErrorBox(inputs_.errorOwner, text, LangString("MsgBox", "Error", "Error"),
                 LangString("MsgBox", "BtnText", DefaultButtonCaptions), GetLangCharset());
}

bool TCopyEngine::FailToPlace(const Text& source, const Text& target) {
    // A temporary file's line that could not be written has stopped the run already.
    if (failed_) return FailFile(source, target, FileOutcome::Failed, Text(), Text(), Text());
    return FailFile(source, target, FileOutcome::Failed, NotCopiedKey, NotCopiedText, target);
}

bool TCopyEngine::FailFile(const Text& source, const Text& target, FileOutcome outcome,
                           const Text& key, const Text& def, const Text& value) {
    ++failedFiles_;
    Log(Text(Continue) + (outcome == FileOutcome::NotFound ? "File not Found!" : "FAILED"));
    Report(source, target, outcome);
    if (key.empty())
        failed_ = true; // the uninstall writer reports its own failure
    else
        ShowFailure(key, def, value);
    return false;
}

Text TCopyEngine::ExpandDirMacros(const Text& text) const {
    SetInstallFolders(inputs_.targetDir, inputs_.commonDir, inputs_.auxDir);
    return ExpandFolderMacros(text, "\\");
}

bool TCopyEngine::CopySelectedComponents() {
    running_ = true;
    bool complete = true;
    const auto& groups = inputs_.script.GetFileGroups();
    for (int index : inputs_.selectedGroups) {
        if (index < 0 || index >= static_cast<int>(groups.size())) continue;
        for (const Text& row : groups[index].entries) {
            if (Stopped() || Ask(cb_.isExitDialogShowing)) {
                complete = false;
                break;
            }
            InstallCopyRow(inputs_.engineDir, row);
        }
        if (!complete) break;
    }
    running_ = false;
    return complete && !Stopped();
}

bool TCopyEngine::InstallCopyRow(const Text& sourceDir, const Text& row) {
    size_t bar1 = row.find('|');
    size_t bar2 = bar1 == Text::npos ? Text::npos : row.find('|', bar1 + 1);
    int mode = StrToIntDef(row.substr(0, bar1), 0);
    if (mode == 0) mode = inputs_.script.GetGlobalOverwriteFlag();
    Text folder = bar1 == Text::npos ? Text() : row.substr(bar1 + 1, bar2 - bar1 - 1);
    Text files = bar2 == Text::npos ? Text() : row.substr(bar2 + 1);
    return InstallDirectory(sourceDir, folder, mode, files);
}

bool TCopyEngine::InstallDirectory(const Text& sourceDir, const Text& folderEntry, int mode,
                                   const Text& files) {
    if (folderEntry.empty()) return true;
    Text folder = folderEntry;
    char removeMode = 0;
    if (folder[0] == '*') {
        removeMode = folder.size() > 1 ? folder[1] : 0;
        folder.erase(0, 2);
    }
    folder = WithoutBackslash(ExpandDirMacros(folder));
    if (!IsAbsolutePath(folder) || !CreateDirLogged(folder, true, removeMode)) {
        if (!failed_) ShowFailure(NoFolderKey, NoFolderText, folder);
        return false;
    }
    if (failed_) return false;
    bool keptSeen = false;
    InstallFileList(sourceDir, folder, keptSeen, mode, files);
    if (keptSeen) AddLine("AVOID_ERR_REMOVE_DIR(" + folder + ")");
    AddLine(Text(), true);
    return !failed_;
}

bool TCopyEngine::CreatedHere(const Text& folder) const {
    return createdFolders_.count(UpperCase(WithoutBackslash(folder))) > 0;
}

bool TCopyEngine::CreateDirLogged(const Text& folderIn, bool withLine, char removeMode) {
    const Text folder = WithoutBackslash(folderIn);
    if (!IsAbsolutePath(folder)) return false;
    const QuietDriveErrors quiet; // a target on an empty drive fails with the engine's own box
    const bool existed = IsExistingDir(folder);
    if (!existed) {
        // Top down, noting each level made here.
        TextList missing;
        for (Text f = folder; !f.empty() && !IsExistingDir(f + (f.back() == ':' ? "\\" : ""));
             f = FolderOf(f))
            missing.push_back(f);
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            if (!CreateDirectoryA(it->c_str(), nullptr) && !IsExistingDir(*it)) return false;
            // Also as judged later (OwnerOf): long names, "\" only.
            createdFolders_.insert(UpperCase(*it));
            createdFolders_.insert(UpperCase(WithoutBackslash(CanonicalizePath(*it))));
        }
    }
    // A drive's root is never the product's to remove (a product installed at "D:\\").
    if (!withLine || IsRootPath(folder)) return true;
    for (const Text& f : wellKnownFolders_)
        if (TextEquals(f, folder)) return true;
    for (const UninstallLine& line : FolderEntryLines(removeMode, folder, OwnerOf(folder)))
        if (!AddLine(line.text, line.forced)) return false;
    // A folder that stays keeps its parents anyway.
    return removeMode == '2' || removeMode == '3' || AddCreatedParentLines(folder);
}

namespace {

bool IsDirThere(const Text& folder) {
    return IsExistingDir(folder.back() == ':' ? folder + "\\" : folder);
}

} // namespace

FolderOwner TCopyEngine::OwnerOf(const Text& folderIn) const {
    const Text folder = WithoutBackslash(CanonicalizePath(folderIn));
    if (folder.empty()) return FolderOwner::Other;
    Text there = folder;
    while (!IsDirThere(there)) {
        const Text up = FolderOf(there);
        if (up.empty()) return FolderOwner::Other;
        there = up;
    }
    if (CreatedHere(there)) return FolderOwner::ThisRun;
    const auto has = [&](const char* command) {
        return Ask(cb_.uninstallHasLine, Text(command) + "(" + folder + ")") ||
               Ask(cb_.uninstallHasLine, Text(command) + "(" + WithoutBackslash(folderIn) + ")");
    };
    if (has("FORCE_REMOVE_DIR") || (has("REMOVE_DIR") && !has("AVOID_ERR_REMOVE_DIR")))
        return FolderOwner::EarlierRun;
    return FolderOwner::Other;
}

void TCopyEngine::RemoveCreatedFolders() {
    std::vector<Text> made(createdFolders_.begin(), createdFolders_.end());
    std::sort(made.begin(), made.end(),
              [](const Text& a, const Text& b) { return a.size() > b.size(); });
    for (const Text& folder : made) RemoveDirectoryA(folder.c_str());
    createdFolders_.clear();
}

bool TCopyEngine::AddCreatedParentLines(const Text& folderIn) {
    const auto isAny = [](const auto& folders, const Text& f) {
        return std::any_of(std::begin(folders), std::end(folders),
                           [&](const Text& k) { return TextEquals(WithoutBackslash(k), f); });
    };
    // The install folders have lines of their own, and their parents come with them.
    const Text installFolders[] = {inputs_.targetDir, inputs_.commonDir, inputs_.auxDir};
    TextList parents;
    for (Text f = FolderOf(WithoutBackslash(folderIn)); CreatedHere(f); f = FolderOf(f)) {
        if (f.size() <= 3 || isAny(wellKnownFolders_, f) || IsSystemFolder(f)) break;
        if (!isAny(installFolders, f)) parents.push_back(f);
    }
    for (const UninstallLine& line : CreatedParentLines(parents))
        if (!AddLine(line.text, line.forced)) return false;
    return true;
}

// keptSeen: a file of the list may keep the folder (never removed, or shared with others).
int TCopyEngine::InstallFileList(const Text& sourceDir, const Text& folder, bool& keptSeen,
                                 int mode, const Text& files) {
    std::vector<FileItem> items = ParseFileList(files);
    if (items.empty()) return 0;
    Log(Text());
    Log("Start Copy Directory");
    Log("  (" + folder + ")");
    int count = 0;
    for (const FileItem& item : items) {
        if (Stopped()) break;
        Step(CopyStep{CopyStep::Kind::Item, Text()});
        if (FileFlagKeep(item.flags)) keptSeen = true;
        if (FileSkippedOnThisOS(item.flags, platform_.windowsMask)) continue;
        if (FileFlagShared(item.flags)) keptSeen = true;
        FileJob job;
        job.source = FixSlash(sourceDir, true) + item.name; // a drive root keeps its one "\\"
        job.target = FixSlash(folder, true) + item.name;
        job.mode = mode;
        job.flags = item.flags;
        bool delayed = false;
        if (!InstallFile(job, delayed)) break;
        ++count;
    }
    return count;
}

void TCopyEngine::ListSourceTree() {
    if (treeListed_) return;
    treeListed_ = true;
    Text& list = inputs_.sourceDirList;
    if (list.empty()) {
        Text origin = RegPathReadString(DynDataKey, "OriginDir", "");
        if (origin.empty()) origin = inputs_.engineDir;
        if (origin.size() == 2 && origin[1] == ':') origin += '\\'; // "E:" is the CD's root
        list = ListFolderTree(origin);
        if (list.empty()) list.assign(1, '|');
    }
    // Each folder's names once: probing a missing name costs a scan of a large folder.
    for (size_t start = 1; start < list.size();) {
        size_t end = list.find('|', start);
        if (end == Text::npos) end = list.size();
        if (end > start) {
            SourceFolder folder{WithoutBackslash(list.substr(start, end - start)), {}};
            WIN32_FIND_DATAA fd;
            UniqueFind find(FindFirstFileA((FixSlash(folder.path, true) + "*").c_str(), &fd));
            if (find) {
                do {
                    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                        folder.names.insert(UpperCaseAnsi(fd.cFileName));
                } while (FindNextFileA(find.get(), &fd));
            }
            sourceTree_.push_back(std::move(folder));
        }
        start = end + 1;
    }
}

bool TCopyEngine::LocateSourceFile(Text& source, bool& packed) {
    packed = false;
    ListSourceTree();
    // The numbered name is the very file; the bare one is a fallback for trees that lost it.
    const Text numbered = NameOf(source), bare = NameOf(StripFileNumberPrefix(source));
    TextList names{numbered};
    if (!TextEquals(bare, numbered)) names.push_back(bare);
    for (const Text& name : names) {
        const Text upper = UpperCaseAnsi(name);
        for (const SourceFolder& folder : sourceTree_) {
            for (bool z : {false, true}) {
                if (!folder.names.count(z ? upper + "._Z" : upper)) continue;
                Text path = FixSlash(folder.path, true) + name + (z ? "._z" : "");
                if (!IsFile(path)) continue; // gone since the listing (a consumed source)
                source = path;
                packed = z;
                return true;
            }
        }
    }
    return false;
}

bool TCopyEngine::WriteRemovalLines(const FileJob& job, const Text& target) {
    const bool shared = FileFlagShared(job.flags);
    const bool lines = job.removalLines && !FileFlagKeep(job.flags);
    const Text removal = (shared ? "REMOVE_SHARED_FILE(" : "REMOVE_FILE(") + target + ")";
    // A re-install finds its own line: its count was raised by the first run and comes down
    // once at uninstall.
    const bool known = lines && cb_.uninstallHasLine && cb_.uninstallHasLine(removal);
    if (shared && !known) IncrementSharedDllCount(target);
    if (lines) {
        if (FileFlagReadOnly(job.flags) && !AddLine("UNMARK_READONLY_FILE(" + target + ")"))
            return false;
        if (!AddLine(removal)) return false;
    }
    return !job.serviceLine || AddLine("REMOVE_SERVICE_FILE(" + target + ")");
}

// The overwrite rule keeps the target. A shared one is still this product's to use: counted,
// given its line and registered like a copied one, so that another product's uninstallation
// cannot take it away while this one needs it.
bool TCopyEngine::KeepFile(const FileJob& job, const Text& source, const Text& target) {
    if (FileFlagShared(job.flags)) {
        if (!WriteRemovalLines(job, target))
            return FailFile(source, target, FileOutcome::Failed, Text(), Text(), Text());
        if (FileFlagRegister(job.flags)) comFiles_.push_back(target);
        if (FileFlagFont(job.flags)) fontFiles_.push_back(target);
    }
    Report(source, target, FileOutcome::Kept);
    return true;
}

namespace {

bool CopyOneFile(const Text& source, const Text& target, bool withProgress,
                 const std::function<void(const CopyStep&)>& progress) {
    if (withProgress) {
        ProgressScope scope(progress);
        return CopyFileWithProgress(source, target, BytesProgress);
    }
    bool ok = CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
    if (ok && progress) progress(CopyStep{CopyStep::Kind::Bytes, Text(), 10, 10});
    return ok;
}

} // namespace

namespace {

// A read-only, hidden or system target refuses to be replaced until its marks are gone. Asked
// only after a failure: a lookup of a missing name is slow in large folders.
template <typename Attempt> bool WithTargetMarksCleared(const Text& target, Attempt attempt) {
    if (attempt()) return true;
    DWORD a = GetFileAttributesA(target.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY) || !(a & TargetMarks))
        return false;
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    return attempt();
}

void DropFile(Text& path) {
    if (!path.empty()) DeleteFileA(path.c_str());
    path.clear();
}

} // namespace

Text TCopyEngine::CreateTemp(const Text& target) {
    // Named in the uninstall script before it exists: a run killed while it is written leaves
    // nothing the uninstallation does not know.
    return CreateTempFileBeside(
        target, [this](const Text& temp) { return AddLine("REMOVE_FILE(" + temp + ")"); });
}

TCopyEngine::Placed TCopyEngine::PutInPlace(const Text& source, Text& staged, const Text& target,
                                            bool move) {
    if (move && staged.empty()) {
        Step(CopyStep{CopyStep::Kind::Bytes, Text(), 5, 10});
        const bool moved = WithTargetMarksCleared(target, [&] {
            return MoveFileExA(source.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        });
        Step(CopyStep{CopyStep::Kind::Bytes, Text(), 10, 10});
        if (moved) return Placed::InPlace;
        // Another volume behind the same letter, or a target in use: the copy's way.
    }
    // The new bytes go beside the target and are renamed over it: the old file stays whole
    // until the new one is (a full disk, a copy that breaks off).
    if (staged.empty()) {
        staged = CreateTemp(target);
        if (staged.empty()) return Placed::Failed;
        if (!CopyOneFile(source, staged, inputs_.script.GetShowProgBar2(), cb_.progress)) {
            DropFile(staged);
            return Placed::Failed;
        }
    }
    if (WithTargetMarksCleared(target, [&] { return ReplaceFileWith(staged, target); })) {
        staged.clear();
        return Placed::InPlace;
    }
    if (StageForRestart(staged, target)) return Placed::Delayed;
    DropFile(staged);
    return Placed::Failed;
}

bool TCopyEngine::StageForRestart(const Text& staged, const Text& target) {
    SetFileAttributesA(staged.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (platform_.nt)
        return MoveFileExA(staged.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
    return WritePrivateProfileStringA("Rename", ShortPathOf(target).c_str(),
                                      ShortPathOf(staged).c_str(),
                                      platform_.winInitPath.c_str()) != 0;
}

namespace {

size_t PlacedKey(const Text& target) {
    return std::hash<Text>{}(UpperCaseAnsi(target));
}

bool IsExistsError(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

} // namespace

bool TCopyEngine::IsListedSource(const Text& path) const {
    // Once the origin tree is listed, a name its listing of the folder lacks is not there:
    // asking the system costs a scan of the folder for every file kept elsewhere.
    if (treeListed_) {
        const Text folder = FolderOf(path);
        for (const SourceFolder& f : sourceTree_)
            if (TextEquals(f.path, folder))
                return f.names.count(UpperCaseAnsi(NameOf(path))) && IsFile(path);
    }
    return IsFile(path);
}

// Nothing can be at the target yet when its folder was made by this run and the run has not
// put the name there: the new bytes may go straight under the target's name. Shared files
// keep the usual way (their count comes with their lines), and so do moves, the copies of the
// second progress bar and names too long to be created.
bool TCopyEngine::IsFreshTarget(const FileJob& job, const Text& target, bool packed,
                                bool move) const {
    if (move || FileFlagShared(job.flags) || (!packed && inputs_.script.GetShowProgBar2()))
        return false;
    // A name the system takes only as a rename's target (one beyond MAX_PATH under Wine).
    if (target.size() >= MAX_PATH) return false;
    return CreatedHere(FolderOf(target)) && !placed_.count(PlacedKey(target));
}

// Writes a fresh target in place, created new: a file that turned up meanwhile is left to the
// usual way (Taken). A failure removes what it wrote, which by IsFreshTarget is its own.
TCopyEngine::Fresh TCopyEngine::WriteFresh(const Text& source, const Text& target, bool packed) {
    if (!packed) {
        if (CopyFileA(source.c_str(), target.c_str(), TRUE)) {
            Step(CopyStep{CopyStep::Kind::Bytes, Text(), 10, 10});
            return Fresh::Written;
        }
        if (IsExistsError(GetLastError())) return Fresh::Taken;
        DeleteFileA(target.c_str());
        return Fresh::Failed;
    }
    UniqueFile out(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!out) return IsExistsError(GetLastError()) ? Fresh::Taken : Fresh::Failed;
    Fresh result = Fresh::Failed;
    try {
        ProgressScope scope(cb_.progress);
        if (InflateFileToHandle(source, out.get(), BytesProgress, nullptr) &&
            CloseHandle(out.release()))
            result = Fresh::Written;
    } catch (const EZLibError&) {
        result = Fresh::BadStream;
    }
    if (result != Fresh::Written) {
        out.reset();
        DeleteFileA(target.c_str());
    }
    return result;
}

bool TCopyEngine::InstallFile(const FileJob& job, bool& delayed) {
    delayed = false;
    TScript& script = inputs_.script;
    const bool stillUsed = script.ReleaseFileName(job.source);
    bool keep = job.keepSource || stillUsed;
    const Text target = StripFileNumberPrefix(job.target);
    Step(CopyStep{CopyStep::Kind::File, target});

    Text source = job.source;
    bool packed = false;
    if (!IsListedSource(source)) {
        keep = true; // a file found elsewhere is the setup's, not a working copy
        if (TextEquals(inputs_.setupTypeName, "Partial") && FileFlagSkipPartial(job.flags)) {
            ++installed_;
            Report(source, target, FileOutcome::Skipped);
            return true;
        }
        Log("  Copy File: " + target);
        if (!LocateSourceFile(source, packed))
            return FailFile(job.source, target, FileOutcome::NotFound, NotFoundKey, NotFoundText,
                            job.source);
    } else {
        Log("  Copy File: " + target);
    }
    if (SameFile(source, target)) { // installed onto itself: nothing to move, nothing to drop
        Log(Text(Continue) + "OK");
        ++installed_;
        Report(source, target, FileOutcome::Installed);
        return true;
    }
    const FileDone done{source, packed, keep, GetFileAttributesA(source.c_str())};
    const bool move = !packed && !keep && !script.GetUseCopy() && platform_.nt &&
                      source.size() >= 3 && target.size() >= 3 &&
                      TextEquals(source.substr(0, 3), target.substr(0, 3));

    // The target's lines come before its first byte: a run killed while it is written leaves
    // nothing the uninstallation does not know.
    bool linesWritten = false;
    if (IsFreshTarget(job, target, packed, move)) {
        if (!WriteRemovalLines(job, target))
            return FailFile(source, target, FileOutcome::Failed, Text(), Text(), Text());
        linesWritten = true;
        switch (WriteFresh(source, target, packed)) {
        case Fresh::Written:
            return FinishFile(job, target, done, Placed::InPlace, delayed);
        case Fresh::BadStream:
            return FailFile(source, target, FileOutcome::BadStream, BadStreamKey, BadStreamText,
                            source);
        case Fresh::Failed:
            return FailToPlace(source, target);
        case Fresh::Taken:
            break;
        }
    }

    // A stream is inflated beside its target before anything is decided, so a bad one leaves
    // neither a partial file nor the target's uninstall line.
    Text staged;
    if (packed) {
        if (!job.force && EffectiveMode(job.mode, job.flags) == 4 && IsFile(target))
            return KeepFile(job, source, target);
        staged = CreateTemp(target);
        if (staged.empty()) return FailToPlace(source, target);
        bool ok = false;
        try {
            ProgressScope scope(cb_.progress);
            ok = InflateFileInto(source, staged, BytesProgress, nullptr);
        } catch (const EZLibError&) {
            DropFile(staged);
            return FailFile(source, target, FileOutcome::BadStream, BadStreamKey, BadStreamText,
                            source);
        }
        if (!ok) {
            DropFile(staged);
            return FailToPlace(source, target);
        }
    }
    if (!job.force && !ShouldOverwrite(packed ? staged : source, target, job.mode, job.flags)) {
        DropFile(staged);
        return KeepFile(job, source, target);
    }
    if (!linesWritten && !WriteRemovalLines(job, target)) {
        DropFile(staged);
        return FailFile(source, target, FileOutcome::Failed, Text(), Text(), Text());
    }
    const Placed placed = PutInPlace(source, staged, target, move);
    if (placed == Placed::Failed) return FailToPlace(source, target);
    return FinishFile(job, target, done, placed, delayed);
}

bool TCopyEngine::FinishFile(const FileJob& job, const Text& target, const FileDone& done,
                             Placed placed, bool& delayed) {
    if (placed == Placed::InPlace) {
        Log(Text(Continue) + "OK");
        // A copy takes its source's marks (read-only from a CD); a fresh inflate has none.
        const uint32_t attributes = FileFlagAttributes(job.flags);
        const bool marked = done.sourceAttributes != INVALID_FILE_ATTRIBUTES &&
                            (done.sourceAttributes & TargetMarks);
        if (attributes || (!done.packed && marked))
            SetFileAttributesA(target.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
        TScript& script = inputs_.script;
        int pause = StrToIntDef(script.GetBgWaveDelay(), 0);
        if (pause > 0 && !script.GetBgWaveFileName().empty() && Ask(cb_.isMusicPlaying))
            WaitWithAppMessages(static_cast<DWORD>(pause));
    } else {
        Log(Text(Continue) + "OK Delayed");
        delayed = restartNeeded_ = true;
    }
    placed_.insert(PlacedKey(target));
    if (FileFlagRegister(job.flags)) comFiles_.push_back(target);
    if (FileFlagFont(job.flags)) fontFiles_.push_back(target);
    // Only now that the target is in place (or staged) may the working copy go.
    if (!done.keep && IsFile(done.source)) DeleteFileA(done.source.c_str());
    ++installed_;
    Report(done.source, target, delayed ? FileOutcome::Delayed : FileOutcome::Installed);
    return true;
}

} // namespace zk
