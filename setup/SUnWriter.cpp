#include "SUnWriter.h"

#include "Files.h"
#include "Handles.h"
#include "Scramble.h"
#include "UtilPlusText.h"

namespace zk {

namespace {

constexpr size_t HeaderSize = 13; // marker and key of a scrambled script

bool IsFile(const Text& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The whole file; false when it exists but cannot be read (an empty file reads as "").
bool ReadWhole(const Text& path, Text& bytes) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &done, nullptr) &&
            done == bytes.size());
}

bool EndsWithBreak(const Text& text) {
    return !text.empty() && (text.back() == '\r' || text.back() == '\n');
}

} // namespace

struct TUninstallWriter::File {
    UniqueFile handle;
    int64_t size = 0; // bytes in the file, all of them whole lines
};

TUninstallWriter::TUninstallWriter(bool enabled, bool scrambled, std::function<Text()> scriptPath)
    : enabled_(enabled), scrambled_(scrambled), scriptPath_(std::move(scriptPath)) {}

TUninstallWriter::~TUninstallWriter() = default;

const Text& TUninstallWriter::Path() {
    if (path_.empty() && scriptPath_) path_ = scriptPath_();
    return path_;
}

void TUninstallWriter::Close() {
    file_.reset();
}

void TUninstallWriter::Remember(const Text& line) {
    keys_.insert(LineKey(line));
    lastEmpty_ = line.empty();
    anyEmpty_ = anyEmpty_ || lastEmpty_;
}

// Takes over an existing script: its lines answer the duplicate rule and new lines go after
// them. A script in the other form (plain or scrambled) is rewritten once, through a
// temporary file, so that the old one stays whole until the new one is in place.
bool TUninstallWriter::Start() {
    if (started_) return true;
    if (Path().empty()) return false;
    if (IsFile(path_)) {
        continued_ = true;
        Text raw;
        if (!ReadWhole(path_, raw)) return false;
        const Text plain = ScrambleText(raw, false);
        const bool sameForm =
            IsScrambled(raw) ? (scrambled_ && raw.size() >= HeaderSize) : !scrambled_;
        for (const Text& line : SplitLines(plain)) Remember(line);
        const Text owed = plain.empty() || EndsWithBreak(plain) ? "" : "\r\n";
        if (sameForm) {
            if (scrambled_) key_ = static_cast<unsigned char>(raw[HeaderSize - 1]);
            // The next line must not join the last one: started only once the break is there.
            if (!owed.empty() && !Append(owed)) return false;
            started_ = true;
            return true;
        }
        const Text whole = scrambled_ ? ScrambleText(plain + owed, true) : plain + owed;
        if (!SaveFileAtomic(path_, whole, 0)) return false;
        if (scrambled_) key_ = static_cast<unsigned char>(whole[HeaderSize - 1]);
    } else if (scrambled_) {
        key_ = static_cast<unsigned char>(ScrambleText("", true)[HeaderSize - 1]);
    }
    started_ = true;
    return true;
}

// Writes the bytes after the last whole line in one call; a short write is cut off again, so
// the file never ends in half a line.
bool TUninstallWriter::Append(const Text& plainBytes) {
    if (!file_) {
        auto f = std::make_unique<File>();
        f->handle.reset(CreateFileA(path_.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size;
        if (!f->handle || !GetFileSizeEx(f->handle.get(), &size)) return false;
        f->size = size.QuadPart;
        file_ = std::move(f);
    }
    Text bytes;
    if (scrambled_) {
        if (file_->size == 0) bytes = Text(ScrambleMarker) + static_cast<char>(key_);
        const int64_t payload = file_->size == 0 ? 0 : file_->size - int64_t(HeaderSize);
        bytes += ScrambleAt(plainBytes, static_cast<size_t>(payload) + 1, key_);
    } else {
        bytes = plainBytes;
    }
    LARGE_INTEGER end;
    end.QuadPart = file_->size;
    DWORD written = 0;
    const bool ok =
        SetFilePointerEx(file_->handle.get(), end, nullptr, FILE_BEGIN) &&
        WriteFile(file_->handle.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    if (ok) {
        file_->size += int64_t(bytes.size());
        return true;
    }
    if (SetFilePointerEx(file_->handle.get(), end, nullptr, FILE_BEGIN))
        SetEndOfFile(file_->handle.get());
    file_.reset(); // opened afresh by the next line
    return false;
}

bool TUninstallWriter::AddLine(const Text& line, bool forced) {
    if (!enabled_) return true;
    if (!Start()) {
        failed_ = true;
        return false;
    }
    const Text text = TerminateLine(StripLineBreaks(line));
    if (text.empty()) {
        if (lastEmpty_ || (!forced && anyEmpty_)) return true;
    } else if (HasEmptyArgument(text) || (!forced && keys_.count(LineKey(text)))) {
        return true;
    }
    if (!Append(text + "\r\n")) {
        failed_ = true;
        return false;
    }
    Remember(text);
    return true;
}

bool TUninstallWriter::AddLines(const UninstallLines& lines) {
    bool ok = true;
    for (const UninstallLine& line : lines) ok = AddLine(line.text, line.forced) && ok;
    return ok;
}

bool TUninstallWriter::HasLine(const Text& line) {
    if (!enabled_ || !Start()) return false;
    return keys_.count(LineKey(TerminateLine(StripLineBreaks(line)))) != 0;
}

bool AddScriptUninstallLines(TUninstallWriter& writer, const TextList& scriptLines,
                             const Text& targetDir, const FolderOwnerProc& ownerOf) {
    bool ok = true;
    for (const Text& line : scriptLines) {
        const Text text = ReplaceTargetDirMacro(line, targetDir);
        const Text folder = ForcedRemovalFolder(text);
        const FolderOwner owner = folder.empty() || !ownerOf ? FolderOwner::Other : ownerOf(folder);
        ok = writer.AddLines(ScriptUninstallLines(text, owner)) && ok;
    }
    return ok;
}

} // namespace zk
