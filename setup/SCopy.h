// The copy engine: puts the files of the selected components into their target folders. Each
// source is looked up in the engine's folder, else in the origin tree (plain or as a "._z"
// stream, inflated into a temporary file beside its target), written by its overwrite rule,
// and replaced at the next restart when the target is in use. Every folder and file gets its
// uninstall line and its Setup.log line through the host's callbacks; a file that cannot be
// installed shows an error box and stops the run. Runs on the window's thread.
#pragma once
#include "FileFlags.h"
#include "SScript.h"
#include "SUnLines.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <set>
#include <unordered_set>

namespace zk {

// What the installation chose; folders without trailing backslash.
struct CopyInputs {
    TScript& script;                 // its source-name uses are consumed (ReleaseFileName)
    Text engineDir;                  // the engine's own folder: every file's source folder
    Text targetDir;                  // <TARGET_DIR>
    Text commonDir;                  // <Common Folder>
    Text auxDir;                     // <Auxiliary Folder>
    Text setupTypeName;              // "Partial" lets flagged missing sources pass
    std::vector<int> selectedGroups; // indexes into script.GetFileGroups(), ascending
    // DelimitedList ("|" folder "|" ...) searched for missing sources; empty: the origin folder
    // (DynDataKey "OriginDir", else the engine folder) and its tree, listed on first need.
    Text sourceDirList;
    HWND errorOwner = nullptr; // owner of the error boxes (none: the boxes show a caption line)
};

// One progress step. Item: a file item of a list begins (ProgressBar1 steps). File: the file
// named by target begins (labels; ProgressBar2 to 0). Bytes: done of total bytes of it moved.
// The receiver should pump the window's messages: the engine calls it at every step.
struct CopyStep {
    enum class Kind { Item, File, Bytes };
    Kind kind = Kind::Item;
    Text target;
    int64_t done = 0, total = 0;
};

enum class FileOutcome {
    Installed, // "OK"
    Delayed,   // "OK Delayed": in place at the next restart
    Kept,      // the overwrite rule kept the target
    Skipped,   // a Partial setup's missing file
    NotFound,  // "File not Found!"
    BadStream, // the "._z" stream does not inflate
    Failed,    // could not be put in place, nor staged for the restart
};

struct FileReport {
    Text source; // the path the file was taken from (a "._z" file when inflated)
    Text target;
    FileOutcome outcome = FileOutcome::Installed;
};

// How the engine reaches its host. Empty functions answer false and do nothing.
struct CopyCallbacks {
    std::function<void(const Text& line)> addSetupLogLine; // "\\x" continues the last line
    // One line of the uninstall script (without ";"); forced empty lines separate folder blocks.
    // False when it could not be written: the run stops (the writer reports the failure).
    std::function<bool(const Text& line, bool forced)> addUninstallLine;
    // True when this product's uninstall script already holds the line (ignoring case).
    std::function<bool(const Text& line)> uninstallHasLine;
    std::function<void(const CopyStep& step)> progress;
    std::function<bool()> isAbortRequested;
    std::function<bool()> isExitDialogShowing;
    std::function<bool()> isMusicPlaying; // SET_BG_WAVE_DELAY pauses only while it plays
    std::function<void(const FileReport& report)> fileDone;
    // Shows an error text; empty: the own error box with the language's caption, buttons and
    // charset, owned by CopyInputs::errorOwner.
    std::function<void(const Text& text)> showError;
};

// The machine's side of the choices; CurrentCopyPlatform() asks the running system.
struct CopyPlatform {
    bool nt = true;
    uint32_t windowsMask = 0; // GetWindowsMask(): FileFlags OS bits skip files on it
    Text winInitPath;         // 9x: "WININIT.INI" of the Windows folder
};
CopyPlatform CurrentCopyPlatform();

// One file for InstallFile.
struct FileJob {
    Text source;              // engine folder + "\" + the item's name (number prefix kept)
    Text target;              // target folder + "\" + the name; the prefix is dropped here
    int mode = 1;             // OverwriteMode: 1 always, 2 same or newer, 3 newer, 4 if missing
    FileFlags flags = 0;      // its overwrite bits, when not 0, replace mode
    bool serviceLine = false; // "REMOVE_SERVICE_FILE" line
    bool removalLines = true; // "REMOVE_FILE" / "REMOVE_SHARED_FILE" (+ "UNMARK_READONLY_FILE")
    bool force = false;       // install whatever the overwrite rule says
    bool keepSource = false;  // never move or delete the source
};

// The overwrite rule: versions group by group as numbers, else the file dates.
bool ShouldOverwrite(const Text& source, const Text& target, int mode, FileFlags flags);

class TCopyEngine {
  public:
    TCopyEngine(CopyInputs inputs, CopyCallbacks callbacks,
                CopyPlatform platform = CurrentCopyPlatform());

    // Every copy row of the selected groups; true when all were installed and the run was not
    // stopped (abort, exit question, run-time folder, a failed file or uninstall line). A
    // failure has shown its box and left its lines; the driver then closes the wizard and
    // skips the post-copy changes.
    bool CopySelectedComponents();
    // One copy row "overwrite|folder|files" from sourceDir.
    bool InstallCopyRow(const Text& sourceDir, const Text& row);
    // Folder entry ("*" and a remove-mode character may lead) and its files; false on failure.
    bool InstallDirectory(const Text& sourceDir, const Text& folder, int mode, const Text& files);
    // Creates the folder and its missing parents; with a line, its removal lines by the
    // remove mode ('1' forced, '2' never, '3' not the folder itself, else when empty) and its
    // owner (FolderEntryLines): forced only for the product's folder, excused when it is not.
    // The driver makes the install folders with it (without line) so that their entries
    // count as created by this installation.
    bool CreateDirLogged(const Text& folder, bool withLine, char removeMode);
    // Whose the folder is: made by this engine (a folder not there yet: inside one it made,
    // where only the product can make it later), else made by an earlier installation whose
    // script this one continues (its removal line is there without an excuse), else another's.
    FolderOwner OwnerOf(const Text& folder) const;
    // Removes the folders this engine made, deepest first, each only when empty: what a run
    // that stops before anything can remove it leaves is taken back.
    void RemoveCreatedFolders();
    // The lines of the parents above folder that this engine created (never a drive root or a
    // well-known folder); false when a line could not be written.
    bool AddCreatedParentLines(const Text& folder);
    // One file; false when it could not be installed (box shown, run stopped).
    bool InstallFile(const FileJob& job, bool& delayed);
    // Finds a missing source in the origin tree; packed: the found file is its "._z" stream.
    bool LocateSourceFile(Text& source, bool& packed);

    bool Failed() const { return failed_; }
    // A failure's error box has been shown; a failed uninstall line shows none.
    bool BoxShown() const { return boxShown_; }
    bool Running() const { return running_; } // inside CopySelectedComponents
    bool RestartNeeded() const { return restartNeeded_; }
    int FilesInstalled() const { return installed_; }
    int FilesFailed() const { return failedFiles_; }
    // Installed (OK or OK Delayed) files with the self-register and the font flag.
    const TextList& ComFiles() const { return comFiles_; }
    const TextList& FontFiles() const { return fontFiles_; }
    const Text& SourceDirList() const { return inputs_.sourceDirList; }

  private:
    bool Stopped() const;
    void Log(const Text& line) const;
    bool AddLine(const Text& line, bool forced = false);
    void Step(const CopyStep& step) const;
    void ShowFailure(const Text& key, const Text& def, const Text& value);
    void Report(const Text& source, const Text& target, FileOutcome outcome) const;
    Text ExpandDirMacros(const Text& text) const;
    int InstallFileList(const Text& sourceDir, const Text& folder, bool& keptSeen, int mode,
                        const Text& files);
    bool WriteRemovalLines(const FileJob& job, const Text& target);
    bool KeepFile(const FileJob& job, const Text& source, const Text& target);
    // The one way a file is put in place (a move on the same drive, else through a temporary
    // file beside the target, renamed over it; at the next restart when the target refuses).
    enum class Placed { InPlace, Delayed, Failed };
    Placed PutInPlace(const Text& source, Text& staged, const Text& target, bool move);
    Text CreateTemp(const Text& target);
    bool StageForRestart(const Text& staged, const Text& target);
    bool IsListedSource(const Text& path) const;
    bool IsFreshTarget(const FileJob& job, const Text& target, bool packed, bool move) const;
    enum class Fresh { Written, Taken, BadStream, Failed };
    Fresh WriteFresh(const Text& source, const Text& target, bool packed);
    // The source as it was taken, for what follows the file's placement.
    struct FileDone {
        Text source;
        bool packed = false, keep = false;
        DWORD sourceAttributes = INVALID_FILE_ATTRIBUTES;
    };
    bool FinishFile(const FileJob& job, const Text& target, const FileDone& done, Placed placed,
                    bool& delayed);
    bool FailFile(const Text& source, const Text& target, FileOutcome outcome, const Text& key,
                  const Text& def, const Text& value);
    bool FailToPlace(const Text& source, const Text& target);
    bool CreatedHere(const Text& folder) const;
    void ListSourceTree();

    struct SourceFolder {
        Text path;
        std::unordered_set<Text> names; // upper case by the system's rules (UpperCaseAnsi)
    };

    CopyInputs inputs_;
    CopyCallbacks cb_;
    CopyPlatform platform_;
    TextList wellKnownFolders_;
    std::set<Text> createdFolders_; // upper case, as this engine made them
    // Hashes of the targets (upper case) this run put in place or staged: a collision only
    // sends a file the usual way.
    std::unordered_set<size_t> placed_;
    std::vector<SourceFolder> sourceTree_;
    bool treeListed_ = false;
    TextList comFiles_, fontFiles_;
    bool failed_ = false, boxShown_ = false, running_ = false, restartNeeded_ = false;
    int installed_ = 0, failedFiles_ = 0;
};

} // namespace zk
