#include "U_DEBUG0.h"
#include "Handles.h"
#include "TestEnv.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <vector>

using namespace zk;

namespace {

// The viewer fixture in a process of its own, as the real viewer is.
class Viewer {
  public:
    explicit Viewer(DWORD hangMs = 0) {
        log_ = zktest::ScratchDir("U_DEBUG0") + "\\viewer.log";
        std::string cmd = "\"" + zktest::BinDir() + "\\ZDebugViewer.exe\" \"" + log_ + "\" " +
                          std::to_string(hangMs);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return;
        CloseHandle(pi.hThread);
        process_.reset(pi.hProcess);
        for (int i = 0; i < 500 && !window_; ++i, Sleep(10))
            window_ = FindWindowA(".ZDebug.", nullptr);
    }
    ~Viewer() {
        if (!process_) return;
        PostMessageA(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.get(), 3000) != WAIT_OBJECT_0)
            TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 3000);
    }
    bool Ready() const { return window_ != nullptr; }
    // Every message received so far, as "<wParam> <text>" with CR and LF as \r and \n.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        std::istringstream in(zktest::ReadBytes(log_));
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

  private:
    std::string log_;
    UniqueHandle process_;
    HWND window_ = nullptr;
};

// A line no other process writes: its own pid and a running number, then filler.
std::string UniqueLine(size_t length) {
    static int n = 0;
    std::string line = "zk" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
    while (line.size() < length) line += char('a' + line.size() % 26);
    return line;
}

// Index of the first `s` after index `after`, -1 when there is none.
int IndexAfter(const std::vector<std::string>& v, const std::string& s, int after) {
    for (size_t i = after + 1; i < v.size(); ++i)
        if (v[i] == s) return int(i);
    return -1;
}

} // namespace

TEST(DebugChannel, LinesReachTheViewerIn128CharacterChunksEndingWithCrLf) {
    Viewer viewer;
    ASSERT_TRUE(viewer.Ready());
    struct Case {
        const char* how;
        size_t length;
        void (*write)(const std::string& line);
        std::vector<size_t> chunks; // sizes on the wire, CR LF included
    };
    const Case cases[] = {
        {"TraceLine", 200, [](const std::string& l) { TraceLine(l); }, {128, 74}},
        {"std::cout and \\n", 200, [](const std::string& l) { std::cout << l << "\n"; }, {128, 74}},
        {"DebugStream and endl",
         200,
         [](const std::string& l) { DebugStream() << l << std::endl; },
         {128, 74}},
        {"own CR LF not doubled", 20, [](const std::string& l) { Trace(l + "\r\n"); }, {22}},
        {"pieces joined",
         30,
         [](const std::string& l) {
             Trace(l.substr(0, 10));
             Trace(l.substr(10));
             TraceLine("");
         },
         {32}},
        {"CR at the buffer's end", 127, [](const std::string& l) { TraceLine(l); }, {128, 1}},
        {"exactly full", 128, [](const std::string& l) { TraceLine(l); }, {128, 2}},
    };
    for (const Case& c : cases) {
        std::string line = UniqueLine(c.length);
        c.write(line);
        std::string wire = line + "\r\n";
        std::vector<std::string> got = viewer.Messages();
        int last = -1;
        size_t at = 0;
        for (size_t size : c.chunks) {
            std::string chunk = wire.substr(at, size);
            at += size;
            EXPECT_EQ(GlobalFindAtomA(chunk.c_str()), 0) << c.how << ": atom left behind";
            std::string escaped;
            for (char ch : chunk)
                escaped += ch == '\r' ? "\\r" : ch == '\n' ? "\\n" : std::string(1, ch);
            int i = IndexAfter(got, "1 " + escaped, last);
            EXPECT_GT(i, last) << c.how << ": chunk " << chunk;
            last = i;
        }
        EXPECT_EQ(at, wire.size()) << c.how;
    }
}

TEST(DebugChannel, WithoutViewerNothingHappens) {
    ASSERT_EQ(FindWindowA(".ZDebug.", nullptr), nullptr);
    std::string line = UniqueLine(200);
    DWORD start = GetTickCount();
    TraceLine(line);
    std::cout << line << std::endl;
    EXPECT_LT(GetTickCount() - start, 900u) << "under the writer's timeout for a viewer";
    EXPECT_EQ(GlobalFindAtomA(line.substr(0, 128).c_str()), 0);
}

TEST(DebugChannel, HungViewerHoldsTheWriterOnlyForTheTimeout) {
    // The viewer hangs far longer than the writer's timeout, so the bound leaves a busy machine
    // room.
    Viewer viewer(20000);
    ASSERT_TRUE(viewer.Ready());
    for (int i = 0; i < 2; ++i) {
        DWORD start = GetTickCount();
        TraceLine(UniqueLine(10));
        EXPECT_LT(GetTickCount() - start, 8000u) << "line " << i;
    }
}
