// File operations shared by both engines: whole files to and from text (optionally in chunks
// with a progress callback), chunked copy, free space, tree searches, mask-based attribute,
// delete, copy and rename, and whole-tree list, copy and delete. Failures come back as results
// (false, 0, -1 or an empty text); nothing here raises or shows a message.
#pragma once
#include "Utils.h"

#include <cstdint>
#include <functional>

namespace zk {

// Progress callback: kind 0 sets range min..max, step and position; kind 1 advances one step.
// Transfers call (0, 0, total, 0, 1) before the first chunk and (0, 0, total, done, 1) after
// each one; totals beyond the int range are reported scaled down.
using ProgressProc = void (*)(int kind, int min, int max, int position, int step);

// Reports a transfer of total bytes to an optional ProgressProc, scaled to fit an int.
class ProgressReport {
  public:
    ProgressReport(ProgressProc proc, int64_t total);
    void operator()(int64_t done) const;

  private:
    ProgressProc proc_;
    int64_t total_;
    int shift_ = 0;
};

// Packed DOS date (high word) and time (low word) of the last write, local time; 0 = none.
uint32_t GetFileDateByName(const Text& pathOrMask);
int64_t ChunkSize(int64_t size, int64_t divisor, int64_t maximum);

Text LoadFileWithProgress(const Text& path, ProgressProc progress);
Text LoadFile(const Text& path);
bool SaveFileWithProgress(const Text& path, const Text& data, uint32_t date, ProgressProc progress);
bool SaveFile(const Text& path, const Text& data, uint32_t date);
// For files that must survive a crash: written to a temporary file beside the target, flushed,
// then renamed over it. The old file stays as it was unless the whole new one is in place; the
// new one gets the old one's attributes (a read-only, hidden or system file stays one).
bool SaveFileAtomic(const Text& path, const Text& data, uint32_t date);
bool AppendToFile(const Text& path, const Text& data, uint32_t date);
// The copy takes the source's times.
bool CopyFileWithProgress(const Text& source, const Text& target, ProgressProc progress);
// Told a temporary file's path before the file is made (to record it where a crash cannot lose
// it); false: the file is not made.
using TempNamedProc = std::function<bool(const Text& path)>;
// A new empty file of a name of its own in the target's folder: the lowest free one of
// "zk0.tmp", "zk1.tmp" ..., or shorter names where the folder leaves less room, so that it fits
// wherever the target fits. Empty when none can be made.
Text CreateTempFileBeside(const Text& target, const TempNamedProc& named = nullptr);
// Puts a finished temporary file in place of the target (also on 9x, which has no MoveFileEx).
bool ReplaceFileWith(const Text& temporary, const Text& target);

Text FileNameWithoutExt(const Text& path);
// Free bytes of the drive of a drive path or the share of a network path; -1 on failure.
double GetDiskFree(const Text& path);

// While it lives, a drive without its medium (an empty card reader or CD drive) fails the
// calls made on it instead of bringing up the system's "no disk" box. The mode is the
// process's: kept around the calls on drives the user named, and restored as it was.
class QuietDriveErrors {
  public:
    QuietDriveErrors();
    ~QuietDriveErrors();
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

  private:
    unsigned previous_;
};

// Guard of the state-changing tree and mask operations (ListFolderTree, which only reads, takes
// roots as well): true for an absolute path that names
// something below a drive or share root ("C:\x", "\\server\share\x"); false for roots, relative
// or drive-relative paths, device paths and paths that resolve to a root ("C:\x\..").
bool IsBelowRoot(const Text& path);

Text FindFileInTree(const Text& folder, const Text& name);
Text FindFolderInTree(const Text& folder, const Text& tail);
// driveType as GetDriveType reports it: 3 fixed, 4 network. Drives C to Z.
Text FindFileOnDrives(const Text& name, unsigned driveType);
Text FindFolderOnDrives(const Text& tail, unsigned driveType);

Text ListFiles(const Text& mask, bool withExtension);
bool SetFilesAttributes(const Text& mask, uint32_t attributes);
bool DeleteFiles(const Text& mask, bool clearAttributes);
bool DeleteTree(const Text& folder, bool clearAttributes);
Text ListFolderTree(const Text& folder);
bool CopyTree(const Text& source, const Text& target);
Text ApplyWildcardName(const Text& sourceName, const Text& target);
// Called after each file that arrived, in copy order, with its source and target paths.
using CopiedProc = std::function<void(const Text& source, const Text& target)>;
int CopyFiles(const Text& source, const Text& target, bool createFolder,
              const CopiedProc& copied = nullptr);
int RenameFiles(const Text& source, const Text& target);
bool MoveFolder(const Text& source, const Text& target);

} // namespace zk
