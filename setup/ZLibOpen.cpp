#include "ZLibOpen.h"

#include "Handles.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace zk {

namespace {

// The output is written from a buffer small enough to stay in the processor's cache between
// the inflate and the write: 256 KB ran faster than 1-4 MB (and than a writer thread).
const size_t FileInChunk = 1024 * 1024;
const size_t FileOutChunk = 256 * 1024;

[[noreturn]] void Fail(int code) {
    throw EZLibError(zError(code));
}

// Ends the inflate state on every way out; Finish() reports inflateEnd's code.
class InflateSession {
  public:
    explicit InflateSession(z_stream& s) : s_(s) { ZLibCheck(InflateInitDefault(s_)); }
    ~InflateSession() {
        if (open_) inflateEnd(&s_);
    }
    InflateSession(const InflateSession&) = delete;
    InflateSession& operator=(const InflateSession&) = delete;
    // One inflate step; the stream's end gives true. A dictionary request (which nothing here
    // can answer) and a step that moves nothing raise instead of looping for ever.
    bool Step() {
        uInt inBefore = s_.avail_in, outBefore = s_.avail_out;
        int code = inflate(&s_, Z_NO_FLUSH);
        if (code == Z_STREAM_END) return true;
        if (code == Z_NEED_DICT) Fail(Z_NEED_DICT);
        ZLibCheck(code);
        if (s_.avail_in == inBefore && s_.avail_out == outBefore) Fail(Z_BUF_ERROR);
        return false;
    }
    void Finish() {
        open_ = false;
        ZLibCheck(inflateEnd(&s_));
    }

  private:
    z_stream& s_;
    bool open_ = true;
};

// Deletes a temporary file unless it was put in place.
class TempFile {
  public:
    explicit TempFile(Text path) : path_(std::move(path)) {}
    ~TempFile() {
        if (!path_.empty()) DeleteFileA(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const Text& path() const { return path_; }
    void Keep() { path_.clear(); }

  private:
    Text path_;
};

bool WriteAll(HANDLE file, const Bytef* data, size_t size) {
    DWORD put = 0;
    return WriteFile(file, data, static_cast<DWORD>(size), &put, nullptr) && put == size;
}

uInt Window(size_t n) {
    return static_cast<uInt>(std::min<size_t>(n, UINT_MAX));
}

// The chunk buffers are kept from one file to the next: a fresh, zeroed MiB for every file cost
// more than inflating a small one. A nested inflate (a progress step pumps messages) finds none
// kept and makes its own.
struct Chunks {
    std::unique_ptr<Bytef[]> in, out;
};
thread_local Chunks keptChunks;

class ChunkLease {
  public:
    ChunkLease() : chunks_(std::move(keptChunks)) {
        if (!chunks_.in)
            chunks_ = {std::unique_ptr<Bytef[]>(new Bytef[FileInChunk]),
                       std::unique_ptr<Bytef[]>(new Bytef[FileOutChunk])};
    }
    ~ChunkLease() { keptChunks = std::move(chunks_); }
    ChunkLease(const ChunkLease&) = delete;
    ChunkLease& operator=(const ChunkLease&) = delete;
    Bytef* in() const { return chunks_.in.get(); }
    Bytef* out() const { return chunks_.out.get(); }

  private:
    Chunks chunks_;
};

} // namespace

int InflateInitDefault(z_stream& stream) {
    return inflateInit(&stream);
}

int ZLibCheck(int code) {
    if (code < 0) Fail(code);
    return code;
}

void DecompressBuffer(const void* input, size_t inputLength, Text& output, size_t estimate,
                      ProgressProc progress) {
    const size_t step = std::max<size_t>((inputLength + 255) / 256 * 256, 256);
    const Bytef* in = static_cast<const Bytef*>(input);
    const ProgressReport report(progress, static_cast<int64_t>(inputLength));
    size_t fed = 0, produced = 0;
    try {
        output.assign(estimate ? estimate : step, '\0');
        z_stream s{};
        report(0);
        InflateSession session(s);
        for (;;) {
            if (s.avail_in == 0 && fed < inputLength) { // inputs beyond 4 GiB go in windows
                s.next_in = const_cast<Bytef*>(in + fed);
                s.avail_in = Window(inputLength - fed);
                fed += s.avail_in;
            }
            s.next_out = reinterpret_cast<Bytef*>(output.data() + produced);
            s.avail_out = Window(output.size() - produced);
            uInt room = s.avail_out;
            bool ended = session.Step();
            produced += room - s.avail_out;
            if (ended) break;
            if (s.avail_in == 0 && fed == inputLength && s.avail_out > 0)
                Fail(Z_BUF_ERROR); // all input taken, room left, no end: truncated
            report(static_cast<int64_t>(fed - s.avail_in));
            if (produced == output.size()) output.resize(output.size() * 2); // geometric
        }
        session.Finish();
        output.resize(produced);
    } catch (...) {
        Text().swap(output);
        throw;
    }
}

void DecompressString(const Text& compressed, Text& inflated, ProgressProc progress) {
    DecompressBuffer(compressed.data(), compressed.size(), inflated, 0, progress);
}

namespace {
// The stream of in, inflated chunk by chunk into out; raises for a bad stream.
bool InflateHandles(HANDLE in, HANDLE out, int64_t size, ProgressProc progress, int64_t& written) {
    const ChunkLease chunks;
    const ProgressReport report(progress, size);
    int64_t consumed = 0;
    size_t filled = 0;
    z_stream s{};
    report(0);
    InflateSession session(s);
    for (bool ended = false; !ended;) {
        if (s.avail_in == 0) {
            DWORD got = 0;
            if (!ReadFile(in, chunks.in(), static_cast<DWORD>(FileInChunk), &got, nullptr))
                return false;
            if (got == 0) Fail(Z_BUF_ERROR); // the file ends before the stream does
            s.next_in = chunks.in();
            s.avail_in = got;
            consumed += got;
            report(consumed);
        }
        s.next_out = chunks.out() + filled;
        s.avail_out = static_cast<uInt>(FileOutChunk - filled);
        ended = session.Step();
        filled = FileOutChunk - s.avail_out;
        if (filled == FileOutChunk || ended) {
            if (!WriteAll(out, chunks.out(), filled)) return false;
            written += static_cast<int64_t>(filled);
            filled = 0;
        }
    }
    session.Finish();
    return true;
}
} // namespace

bool InflateFileToHandle(const Text& source, HANDLE out, ProgressProc progress,
                         int64_t* inflatedSize) {
    UniqueFile in(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    DWORD high = 0, low = in ? GetFileSize(in.get(), &high) : INVALID_FILE_SIZE;
    if (!in || (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)) return false;
    const int64_t size = (static_cast<int64_t>(high) << 32) | low;
    int64_t written = 0;
    if (!InflateHandles(in.get(), out, size, progress, written)) return false;
    if (inflatedSize) *inflatedSize = written;
    // What the disk holds, not what the writes said: a full disk must not pass as done.
    LARGE_INTEGER onDisk{};
    FILETIME stamp;
    if (!GetFileSizeEx(out, &onDisk) || onDisk.QuadPart != written) return false;
    if (GetFileTime(in.get(), nullptr, nullptr, &stamp)) SetFileTime(out, nullptr, nullptr, &stamp);
    return true;
}

bool InflateFileInto(const Text& source, const Text& path, ProgressProc progress,
                     int64_t* inflatedSize) {
    UniqueFile out(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!out || !InflateFileToHandle(source, out.get(), progress, inflatedSize)) return false;
    return CloseHandle(out.release()) != 0;
}

bool InflateFile(const Text& source, const Text& target, ProgressProc progress) {
    TempFile temp(CreateTempFileBeside(target));
    if (temp.path().empty()) return false;
    // An exception leaves InflateFileInto with its handles closed; the temporary goes here.
    if (!InflateFileInto(source, temp.path(), progress, nullptr) ||
        !ReplaceFileWith(temp.path(), target))
        return false;
    temp.Keep();
    return true;
}

} // namespace zk
