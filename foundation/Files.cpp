#include "Files.h"

#include "Handles.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <vector>

namespace zk {

namespace {

const int64_t LoadSaveChunkMax = 1048576;
// Copies move up to 256 KB per step: under Wine that ran at or above the system's CopyFile,
// where 32 KB steps fell just below it and 1 MB steps (slower writes) to about half.
const int64_t CopyChunkMax = 262144;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool EndsWithSeparator(const Text& path) {
    return EndsWithChar(path, '\\') || EndsWithChar(path, '/');
}

Text StripTrailingSeparators(Text path) {
    while (EndsWithSeparator(path)) path.pop_back();
    return path;
}

// Name part: after the last backslash, slash or drive colon.
Text NamePart(const Text& path) {
    size_t cut = LastCharOf(path, "\\/:");
    return cut == Text::npos ? path : path.substr(cut + 1);
}

// Folder part with its trailing backslash ("C:\A\" of "C:\A\x.txt"), empty when none.
Text FolderPart(const Text& path) {
    size_t cut = LastCharOf(path, "\\/:");
    return cut == Text::npos ? Text() : path.substr(0, cut + 1);
}

DWORD AttributesOf(const Text& path) {
    return GetFileAttributesA(path.c_str());
}

bool FileExists(const Text& path) {
    DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const Text& path) {
    DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsAbsolute(const Text& path) {
    bool drive = path.size() >= 3 && isalpha(static_cast<unsigned char>(path[0])) &&
                 path[1] == ':' && IsSeparator(path[2]);
    bool unc = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    return drive || unc;
}

Text FullPath(const Text& path) {
    char buf[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, buf, nullptr);
    if (n == 0 || n >= MAX_PATH) return {};
    return StripTrailingSeparators(Text(buf, n));
}

bool SamePath(const Text& a, const Text& b) {
    Text fa = FullPath(a);
    return !fa.empty() && TextEquals(fa, FullPath(b));
}

// True when inner is outer itself or lies below it.
bool IsInsideFolder(const Text& inner, const Text& outer) {
    Text fi = FullPath(inner), fo = FullPath(outer);
    if (fi.empty() || fo.empty()) return false;
    return TextEquals(fi, fo) || StartsText(fo + "\\", fi);
}

bool CreateFolderPath(const Text& path) {
    Text p = StripTrailingSeparators(path);
    if (p.empty()) return false;
    if (FolderExists(p)) return true;
    size_t cut = LastCharOf(p, "\\/");
    if (cut != Text::npos && cut > 0) CreateFolderPath(p.substr(0, cut));
    return CreateDirectoryA(p.c_str(), nullptr) || FolderExists(p);
}

// --- Directory walks: which entries a walk visits. ---
enum class EntrySet { Any, Files, VisibleFolders, PlainFolders };

struct EntryFilter {
    DWORD required;
    DWORD excluded;
};

const EntryFilter EntryFilters[] = {
    {0, 0},                                                                    // Any
    {0, FILE_ATTRIBUTE_DIRECTORY},                                             // Files
    {FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_HIDDEN},                         // VisibleFolders
    {FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}, // PlainFolders
};

struct Entry {
    Text name;
    DWORD attributes;
    // Symbolic links and junctions: never followed, so no walk leaves the tree or loops.
    bool IsLink() const { return attributes & FILE_ATTRIBUTE_REPARSE_POINT; }
};

// Collected before the caller acts, so renames and copies into the same folder are not
// visited again.
std::vector<Entry> FindEntries(const Text& mask, EntrySet set) {
    const EntryFilter& filter = EntryFilters[static_cast<int>(set)];
    std::vector<Entry> entries;
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA(mask.c_str(), &fd));
    if (!find) return entries;
    do {
        Text name = fd.cFileName;
        if (name == "." || name == "..") continue;
        DWORD a = fd.dwFileAttributes;
        if ((a & filter.required) == filter.required && !(a & filter.excluded))
            entries.push_back({name, a});
    } while (FindNextFileA(find.get(), &fd));
    return entries;
}

// --- Transfers. ---
void SetFileDate(HANDLE file, uint32_t date) {
    FILETIME local, utc;
    if (DosDateTimeToFileTime(HIWORD(date), LOWORD(date), &local) &&
        LocalFileTimeToFileTime(&local, &utc))
        SetFileTime(file, nullptr, nullptr, &utc);
}

bool FileSize(HANDLE file, int64_t& size) {
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    size = (static_cast<int64_t>(high) << 32) | low;
    return true;
}

// Writes the text in chunks; false when a write fails or stops moving bytes.
bool WriteInChunks(HANDLE file, const Text& data, int64_t chunk, const ProgressReport& report) {
    const int64_t size = static_cast<int64_t>(data.size());
    int64_t done = 0;
    report(0);
    do {
        DWORD want = static_cast<DWORD>(std::min(chunk, size - done)), put = 0;
        if (!WriteFile(file, data.data() + done, want, &put, nullptr)) return false;
        done += put;
        report(done);
        if (put == 0) break;
    } while (done < size);
    return done == size;
}

UniqueFile CreateNewFile(const Text& path) {
    return UniqueFile(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

ProgressReport::ProgressReport(ProgressProc proc, int64_t total) : proc_(proc), total_(total) {
    while ((total_ >> shift_) > INT_MAX) ++shift_;
}

void ProgressReport::operator()(int64_t done) const {
    if (proc_) proc_(0, 0, static_cast<int>(total_ >> shift_), static_cast<int>(done >> shift_), 1);
}

uint32_t GetFileDateByName(const Text& pathOrMask) {
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA(pathOrMask.c_str(), &fd));
    FILETIME local;
    WORD date = 0, time = 0;
    if (!find || !FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local) ||
        !FileTimeToDosDateTime(&local, &date, &time))
        return 0;
    return (static_cast<uint32_t>(date) << 16) | time;
}

int64_t ChunkSize(int64_t size, int64_t divisor, int64_t maximum) {
    int64_t q = size / std::max<int64_t>(divisor, 1);
    if (q <= 1024) return std::min<int64_t>(size, 1024);
    int64_t chunk = std::min(q, maximum);
    while (chunk == size && maximum / 2 >= 1024) {
        maximum /= 2;
        chunk = std::min(q, maximum);
    }
    return chunk;
}

Text LoadFileWithProgress(const Text& path, ProgressProc progress) {
    if (!FileExists(path)) return {};
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    int64_t size = 0;
    if (!file || !FileSize(file.get(), size) || size > INT_MAX) return {};
    Text data;
    try {
        data.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return {};
    }
    const int64_t chunk = progress ? ChunkSize(size, 10, LoadSaveChunkMax) : size;
    const ProgressReport report(progress, size);
    int64_t done = 0;
    report(0);
    do {
        DWORD want = static_cast<DWORD>(std::min(chunk, size - done)), got = 0;
        if (!ReadFile(file.get(), data.data() + done, want, &got, nullptr)) return {};
        done += got;
        report(done);
        if (got == 0) break;
    } while (done < size);
    return done == size ? data : Text();
}

Text LoadFile(const Text& path) {
    return LoadFileWithProgress(path, nullptr);
}

bool SaveFileWithProgress(const Text& path, const Text& data, uint32_t date,
                          ProgressProc progress) {
    UniqueFile file = CreateNewFile(path);
    if (!file) return false;
    const int64_t size = static_cast<int64_t>(data.size());
    const int64_t chunk = progress ? ChunkSize(size, 10, LoadSaveChunkMax) : size;
    bool ok = WriteInChunks(file.get(), data, chunk, ProgressReport(progress, size));
    if (ok && date != 0) SetFileDate(file.get(), date);
    return ok;
}

bool SaveFile(const Text& path, const Text& data, uint32_t date) {
    return SaveFileWithProgress(path, data, date, nullptr);
}

namespace {
// The k-th temporary name in a folder that leaves room characters for it; empty when none is
// left. Not the system's temporary names: they want 14 characters more than a file name.
Text TempFileName(unsigned k, size_t room) {
    Text usual = "zk";
    for (unsigned n = k;; n /= 16) {
        usual.insert(2, 1, "0123456789abcdef"[n % 16]);
        if (n < 16) break;
    }
    usual += ".tmp";
    if (usual.size() <= room) return usual;
    static const char digits[] = "~0123456789abcdefghijklmnopqrstuvwxyz";
    const unsigned base = sizeof digits - 1;
    Text shortName;
    for (unsigned n = k;; n /= base) {
        shortName.insert(0, 1, digits[n % base]);
        if (n < base) break;
    }
    return shortName.size() <= room ? shortName : Text();
}
} // namespace

Text CreateTempFileBeside(const Text& target, const TempNamedProc& named) {
    const Text folder = FolderPart(target), name = NamePart(target);
    if (folder.empty()) return {};
    // A target the system takes may be longer than MAX_PATH allows (Wine's limit is one more).
    const size_t limit = MAX_PATH - 1;
    const size_t room = std::max(folder.size() < limit ? limit - folder.size() : 0, name.size());
    for (unsigned k = 0; k < 4096; ++k) {
        const Text candidate = TempFileName(k, room);
        if (candidate.empty()) return {};
        const Text path = folder + candidate;
        if (TextEquals(candidate, name) || AttributesOf(path) != INVALID_FILE_ATTRIBUTES) continue;
        if (named && !named(path)) return {};
        UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return path;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

bool ReplaceFileWith(const Text& temporary, const Text& target) {
    if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    // 9x: no atomic replace; keep the gap between the two calls as short as it gets.
    DeleteFileA(target.c_str());
    return MoveFileA(temporary.c_str(), target.c_str());
}

bool SaveFileAtomic(const Text& path, const Text& data, uint32_t date) {
    Text temporary = CreateTempFileBeside(path);
    if (temporary.empty()) return false;
    // A rename leaves the new file plain, and a read-only target refuses it: the attributes go
    // back on whichever file is there at the end.
    const DWORD kept = GetFileAttributesA(path.c_str());
    const bool restore = kept != INVALID_FILE_ATTRIBUTES && !(kept & FILE_ATTRIBUTE_DIRECTORY);
    const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                           FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (restore && (kept & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path.c_str(), kept & settable & ~FILE_ATTRIBUTE_READONLY);
    bool ok;
    {
        UniqueFile file = CreateNewFile(temporary);
        ok = file && WriteInChunks(file.get(), data, static_cast<int64_t>(data.size()),
                                   ProgressReport(nullptr, 0));
        if (ok && date != 0) SetFileDate(file.get(), date);
        ok = ok && FlushFileBuffers(file.get());
    }
    ok = ok && ReplaceFileWith(temporary, path);
    if (!ok) DeleteFileA(temporary.c_str());
    if (restore)
        SetFileAttributesA(path.c_str(),
                           (kept & settable) ? kept & settable : FILE_ATTRIBUTE_NORMAL);
    return ok;
}

bool AppendToFile(const Text& path, const Text& data, uint32_t date) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LONG high = 0;
    if (SetFilePointer(file.get(), 0, &high, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    bool ok = WriteInChunks(file.get(), data, static_cast<int64_t>(data.size()),
                            ProgressReport(nullptr, 0));
    if (date != 0) SetFileDate(file.get(), date);
    return ok;
}

bool CopyFileWithProgress(const Text& source, const Text& target, ProgressProc progress) {
    if (!FileExists(source) || SamePath(source, target)) return false;
    // No write sharing: a source that is the target under another name cannot be truncated.
    UniqueFile in(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    int64_t size = 0;
    if (!in || !FileSize(in.get(), size)) return false;
    UniqueFile out = CreateNewFile(target);
    if (!out) return false;
    const ProgressReport report(progress, size);
    const int64_t chunk = ChunkSize(size, 10, CopyChunkMax);
    std::vector<char> buffer(static_cast<size_t>(std::max<int64_t>(chunk, 1)));
    int64_t done = 0;
    bool ok = true;
    report(0);
    for (;;) {
        DWORD want = static_cast<DWORD>(std::min(chunk, size - done)), got = 0, put = 0;
        if (!ReadFile(in.get(), buffer.data(), want, &got, nullptr) ||
            !WriteFile(out.get(), buffer.data(), got, &put, nullptr) || put != got) {
            ok = false;
            break;
        }
        done += got;
        report(done);
        if (got == 0 || done >= size) break;
    }
    ok = ok && done == size;
    // The source's times, as the system's copy gives them: the overwrite rules compare dates.
    FILETIME created, accessed, written;
    if (ok && GetFileTime(in.get(), &created, &accessed, &written))
        SetFileTime(out.get(), &created, &accessed, &written);
    out.reset();
    if (!ok) DeleteFileA(target.c_str()); // never leave a truncated copy under the name
    return ok;
}

Text FileNameWithoutExt(const Text& path) {
    Text name = NamePart(path);
    size_t dot = name.rfind('.');
    return dot == Text::npos ? name : name.substr(0, dot);
}

QuietDriveErrors::QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {
    SetErrorMode(previous_ | SEM_FAILCRITICALERRORS);
}

QuietDriveErrors::~QuietDriveErrors() {
    SetErrorMode(previous_);
}

namespace {
// "\\server\share\" of a network path; "" when it names no share.
Text ShareRoot(const Text& path) {
    const size_t server = path.find_first_of("\\/", 2);
    if (server == Text::npos || server == 2) return {};
    const size_t share = path.find_first_of("\\/", server + 1);
    if (share == server + 1 || server + 1 == path.size()) return {};
    return path.substr(0, share) + "\\";
}
} // namespace

double GetDiskFree(const Text& path) {
    const bool network = path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    const Text root = path.empty() ? Text()
                      : network    ? ShareRoot(path)
                                   : Text(1, UpCaseChar(path[0])) + ":\\";
    if (network && root.empty()) return -1;
    const QuietDriveErrors quiet;
    // The plain call is capped at 2 GB on the 9x family; the Ex call is missing only on the
    // first Windows 95, so it is looked up.
    using FreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    static const auto freeSpaceEx = reinterpret_cast<FreeSpaceEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
    ULARGE_INTEGER available, total, totalFree;
    if (freeSpaceEx &&
        freeSpaceEx(root.empty() ? nullptr : root.c_str(), &available, &total, &totalFree))
        return static_cast<double>(available.QuadPart);
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(root.empty() ? nullptr : root.c_str(), &sectorsPerCluster,
                           &bytesPerSector, &freeClusters, &totalClusters))
        return -1;
    return static_cast<double>(sectorsPerCluster) * bytesPerSector * freeClusters;
}

bool IsBelowRoot(const Text& path) {
    if (!IsAbsolute(path)) return false;
    Text full = FullPath(path);
    if (full.size() > 2 && full[1] == ':') return full[2] == '\\';
    if (full.size() < 3 || full.compare(0, 2, "\\\\") != 0) return false;
    if ((full[2] == '?' || full[2] == '.') && (full.size() == 3 || full[3] == '\\'))
        return false; // device namespace
    size_t server = NextCharOf(full, "\\", 2);
    if (server == Text::npos || server == 2) return false;
    size_t share = NextCharOf(full, "\\", server + 1);
    return share != Text::npos && share > server + 1 && share + 1 < full.size();
}

Text FindFileInTree(const Text& folder, const Text& name) {
    Text candidate = folder + "\\" + name;
    if (FileExists(candidate)) return candidate;
    for (const Entry& e : FindEntries(folder + "\\*", EntrySet::VisibleFolders)) {
        if (e.IsLink()) continue;
        Text hit = FindFileInTree(folder + "\\" + e.name, name);
        if (!hit.empty()) return hit;
    }
    return {};
}

Text FindFolderInTree(const Text& folder, const Text& tail) {
    if (folder.size() >= tail.size() &&
        TextEquals(folder.substr(folder.size() - tail.size()), tail))
        return folder;
    for (const Entry& e : FindEntries(folder + "\\*", EntrySet::VisibleFolders)) {
        if (e.IsLink()) continue;
        Text hit = FindFolderInTree(folder + "\\" + e.name, tail);
        if (!hit.empty()) return hit;
    }
    return {};
}

namespace {
template <typename Search> Text SearchDrives(unsigned driveType, Search search) {
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        Text drive = Text(1, letter) + ":";
        if (GetDriveTypeA((drive + "\\").c_str()) != driveType) continue;
        Text hit = search(drive);
        if (!hit.empty()) return hit;
    }
    return {};
}
} // namespace

Text FindFileOnDrives(const Text& name, unsigned driveType) {
    return SearchDrives(driveType, [&](const Text& root) { return FindFileInTree(root, name); });
}

Text FindFolderOnDrives(const Text& tail, unsigned driveType) {
    return SearchDrives(driveType, [&](const Text& root) { return FindFolderInTree(root, tail); });
}

Text ListFiles(const Text& mask, bool withExtension) {
    Text list = "|";
    for (const Entry& e : FindEntries(mask, EntrySet::Files))
        list += (withExtension ? e.name : FileNameWithoutExt(e.name)) + "|";
    return list;
}

bool SetFilesAttributes(const Text& mask, uint32_t attributes) {
    if (!IsAbsolute(mask)) return false;
    Text folder = FolderPart(mask);
    std::vector<Entry> entries = FindEntries(mask, EntrySet::Files);
    for (const Entry& e : entries) SetFileAttributesA((folder + e.name).c_str(), attributes);
    return !entries.empty();
}

bool DeleteFiles(const Text& mask, bool clearAttributes) {
    Text folder = FolderPart(mask);
    if (!IsBelowRoot(folder)) return false;
    std::vector<Entry> entries = FindEntries(mask, EntrySet::Files);
    for (const Entry& e : entries) {
        Text path = folder + e.name;
        if (clearAttributes) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    return !entries.empty();
}

bool DeleteTree(const Text& folder, bool clearAttributes) {
    if (!IsBelowRoot(folder) || !FolderExists(folder)) return false;
    if (!(AttributesOf(folder) & FILE_ATTRIBUTE_REPARSE_POINT)) {
        DeleteFiles(folder + "\\*.*", clearAttributes);
        for (const Entry& e : FindEntries(folder + "\\*", EntrySet::PlainFolders)) {
            Text sub = folder + "\\" + e.name;
            // A link goes by itself; what it points to is not ours.
            if (!e.IsLink()) DeleteTree(sub, clearAttributes);
            RemoveDirectoryA(sub.c_str());
        }
    }
    RemoveDirectoryA(folder.c_str());
    return AttributesOf(folder) == INVALID_FILE_ATTRIBUTES;
}

namespace {
void AppendFolderTree(const Text& folder, Text& list) {
    list += folder + "|";
    const Text prefix = EndsWithSeparator(folder) ? folder : folder + "\\"; // "E:\\"
    for (const Entry& e : FindEntries(prefix + "*", EntrySet::VisibleFolders)) {
        Text sub = prefix + e.name;
        if (e.IsLink())
            list += sub + "|";
        else
            AppendFolderTree(sub, list);
    }
}
} // namespace

Text ListFolderTree(const Text& folder) {
    // It only reads: a drive root is a folder like any other (a setup on a CD's root).
    if (!IsAbsolute(folder) || !FolderExists(folder)) return {};
    Text list = "|";
    AppendFolderTree(folder, list);
    return list;
}

bool CopyTree(const Text& source, const Text& target) {
    if (TextEquals(source, target) || !IsBelowRoot(source) || !IsBelowRoot(target) ||
        !FolderExists(source) || IsInsideFolder(target, source))
        return false;
    if (!CreateFolderPath(target)) return false;
    for (const Entry& e : FindEntries(source + "\\*", EntrySet::Files))
        CopyFileA((source + "\\" + e.name).c_str(), (target + "\\" + e.name).c_str(), FALSE);
    for (const Entry& e : FindEntries(source + "\\*", EntrySet::VisibleFolders))
        if (!e.IsLink()) CopyTree(source + "\\" + e.name, target + "\\" + e.name);
    return true;
}

namespace {
struct SplitName {
    Text base, ext; // ext keeps its "."
};
SplitName SplitAtLastDot(const Text& name) {
    size_t dot = name.rfind('.');
    if (dot == Text::npos) return {name, ""};
    return {name.substr(0, dot), name.substr(dot)};
}

bool HasWildcard(const Text& a, const Text& b) {
    return a.find('*') != Text::npos || b.find('*') != Text::npos;
}

// A target that is an existing folder keeps every file's own name.
Text TargetMask(const Text& target) {
    return FolderExists(target) && !EndsWithSeparator(target) ? target + "\\" : target;
}

bool CopyOneFile(const Text& source, const Text& target) {
    return !SamePath(source, target) && CopyFileA(source.c_str(), target.c_str(), FALSE);
}
} // namespace

Text ApplyWildcardName(const Text& sourceName, const Text& target) {
    Text mask = NamePart(target);
    if (mask.empty()) mask = "*.*";
    if (mask == "*.*") return sourceName;
    SplitName src = SplitAtLastDot(sourceName), dst = SplitAtLastDot(mask);
    if (mask.front() == '*') return src.base + dst.ext;
    if (mask.back() == '*') return dst.base + src.ext;
    return mask;
}

int CopyFiles(const Text& source, const Text& target, bool createFolder, const CopiedProc& copied) {
    if (!IsAbsolute(source) || !IsAbsolute(target)) return 0;
    auto copyOne = [&](const Text& from, const Text& to) {
        if (!CopyOneFile(from, to)) return false;
        if (copied) copied(from, to);
        return true;
    };
    if (!HasWildcard(source, target)) return copyOne(source, target) ? 1 : 0;
    Text mask = TargetMask(target);
    Text sourceFolder = FolderPart(source), targetFolder = FolderPart(mask);
    if (createFolder) CreateFolderPath(targetFolder);
    if (!FolderExists(targetFolder)) return 0;
    int count = 0;
    for (const Entry& e : FindEntries(source, EntrySet::Files))
        if (copyOne(sourceFolder + e.name, targetFolder + ApplyWildcardName(e.name, mask))) ++count;
    return count;
}

int RenameFiles(const Text& source, const Text& target) {
    if (!IsAbsolute(source)) return 0;
    if (!HasWildcard(source, target))
        return IsAbsolute(target) && MoveFileA(source.c_str(), target.c_str()) ? 1 : 0;
    // Mask renames stay inside the source folder: only the target's name part counts.
    Text mask = TargetMask(target);
    Text folder = FolderPart(source);
    int renamed = 0;
    for (const Entry& e : FindEntries(source, EntrySet::Files)) {
        Text from = folder + e.name, to = folder + ApplyWildcardName(e.name, mask);
        if (MoveFileA(from.c_str(), to.c_str())) ++renamed;
    }
    return renamed;
}

bool MoveFolder(const Text& source, const Text& target) {
    if (!IsBelowRoot(source) || !FolderExists(source)) return false;
    Text parent = FolderPart(target);
    if (parent.empty()) parent = FolderPart(StripTrailingSeparators(source));
    parent = StripTrailingSeparators(parent);
    Text name = NamePart(target);
    if (name.empty() || !IsAbsolute(parent + "\\") || !FolderExists(parent + "\\")) return false;
    return MoveFileA(source.c_str(), (parent + "\\" + name).c_str());
}

} // namespace zk
