#include "U_DEBUG0.h"

#include <windows.h>

#include <iostream>
#include <mutex>
#include <streambuf>

namespace zk {

namespace {

// A viewer that stops answering must not hold up the engine.
const UINT ViewerTimeoutMs = 1000;

UINT DebugMessage() {
    static const UINT msg = RegisterWindowMessageA(".Z_DebugMsg.");
    return msg;
}

void SendToViewer(const Text& text) {
    HWND viewer = FindWindowA(".ZDebug.", nullptr);
    if (!viewer) return;
    ATOM atom = GlobalAddAtomA(text.c_str());
    if (!atom) return;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(viewer, DebugMessage(), 1, atom, SMTO_ABORTIFHUNG, ViewerTimeoutMs,
                        &result);
    GlobalDeleteAtom(atom);
}

// Unbuffered towards the stream, so every character passes Put and line ends are seen.
class ChannelBuf : public std::streambuf {
  public:
    void Write(const char* s, size_t n) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (size_t i = 0; i < n; ++i) Put(s[i]);
    }
    void Flush() {
        std::lock_guard<std::mutex> lock(mutex_);
        FlushLocked();
    }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        char ch = traits_type::to_char_type(c);
        Write(&ch, 1);
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        Write(s, static_cast<size_t>(n));
        return n;
    }
    int sync() override {
        Flush();
        return 0;
    }

  private:
    static const size_t Size = 128;
    char buf_[Size];
    size_t used_ = 0;
    char last_ = 0;
    std::mutex mutex_;

    void Put(char c) {
        if (c == '\n') {
            if (last_ != '\r') PutRaw('\r');
            PutRaw('\n');
            FlushLocked();
            return;
        }
        PutRaw(c);
    }
    void PutRaw(char c) {
        buf_[used_++] = c;
        last_ = c;
        if (used_ == Size) FlushLocked();
    }
    void FlushLocked() {
        if (used_ == 0) return;
        Text text(buf_, used_);
        used_ = 0;
        SendToViewer(text);
    }
};

// Never destroyed: std::cout is flushed after the statics of this unit are gone.
ChannelBuf& Channel() {
    static ChannelBuf* buf = new ChannelBuf;
    return *buf;
}

struct StartAtLoad {
    StartAtLoad() { StartDebugChannel(); }
} startAtLoad;

} // namespace

void StartDebugChannel() {
    static std::once_flag once;
    std::call_once(once, [] {
        DebugMessage();
        std::cout.rdbuf(&Channel());
    });
}

void Trace(const Text& text) {
    Channel().Write(text.data(), text.size());
}

void TraceLine(const Text& text) {
    Trace(text);
    Trace("\n");
}

std::ostream& DebugStream() {
    static std::ostream* stream = new std::ostream(&Channel());
    return *stream;
}

} // namespace zk
