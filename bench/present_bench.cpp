// What the presentation costs an installation: Setup.exe installs 1,000 files silently with
// both billboards and music (the floating volume window) off, with each alone and with both
// on, in turns, the best of five rounds each. The Parts' fixed waits (the pause before the copy
// bar, its start, the player's start, the pause before the fade) are taken off for the ratio
// against both off, whose target is 1.05. Every install writes into a folder of its own (on
// ext4 a file created right after a tree was deleted takes the slow new-inode path); the
// sources are made again in the engine folder before each install, which consumes them.
// Usage: present_bench [files]   (default 1000; work under C:\zkbench\present, removed after)
#include "BenchClock.h"
#include "Files.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace zk;

namespace {

const char Root[] = "C:\\zkbench\\present";
// The Parts' fixed waits: the 200 ms pause before the copy bar, its 100 + 400 ms start, the
// player's start (a stop without a player: 200 ms), 50 ms before the fade. The 500 ms fade
// itself runs only when the mixer reads a volume (Wine's reads 0), so it is measured.
constexpr double FixedWaits = 0.2 + 0.5 + 0.2 + 0.05;

std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// Three seconds of a tone, 8 kHz mono 8-bit.
std::string Wav() {
    std::string samples;
    for (int i = 0; i < 8000 * 3; ++i) samples += static_cast<char>(i % 40 < 20 ? 168 : 88);
    return "RIFF" + Le(static_cast<uint32_t>(36 + samples.size()), 4) + "WAVEfmt " + Le(16, 4) +
           Le(1, 2) + Le(1, 2) + Le(8000, 4) + Le(8000, 4) + Le(1, 2) + Le(8, 2) + "data" +
           Le(static_cast<uint32_t>(samples.size()), 4) + samples;
}

bool Write(const std::string& path, const std::string& bytes) {
    return SaveFile(path, bytes, 0);
}

// The sources in the engine folder; an installation consumes them, so each round makes them.
void MakeSources(const std::string& eng, int files) {
    const std::string content(4096, 'x');
    for (int i = 0; i < files; ++i) {
        char name[32];
        snprintf(name, sizeof name, "\\f%05d.bin", i);
        Write(eng + name, content);
    }
}

// The engine folder: Setup.exe, UnInstall.exe, the pages, the music, one script per variant.
std::string MakeEngineFolder(int files) {
    const std::string eng = std::string(Root) + "\\eng";
    CreateDirectoryA("C:\\zkbench", nullptr);
    CreateDirectoryA(Root, nullptr);
    CreateDirectoryA(eng.c_str(), nullptr);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string bin = self;
    bin.resize(bin.rfind('\\'));
    CopyFileA((bin + "\\Setup.exe").c_str(), (eng + "\\Setup.exe").c_str(), FALSE);
    CopyFileA((bin + "\\UnInstall.exe").c_str(), (eng + "\\UnInstall.exe").c_str(), FALSE);
    std::string rows;
    for (int d = 0, i = 0; i < files; ++d) {
        std::string names;
        for (int k = 0; k < 100 && i < files; ++k, ++i) {
            char name[32];
            snprintf(name, sizeof name, "f%05d.bin", i);
            names += (names.empty() ? "" : "|") + std::string(name);
        }
        rows += "SET_SUB_DIR(<Application Folder>\\d" + std::to_string(d) + ")\r\nSET_COPY_FILES(" +
                names + ")\r\n";
    }
    Write(eng + "\\one.txt", "First page\r\n~Big line\r\n");
    Write(eng + "\\two.txt", "Second page\r\n");
    Write(eng + "\\tone.wav", Wav());
    return eng + "|" + rows;
}

std::string Script(const std::string& rows, const std::string& target, bool billboards,
                   bool music) {
    std::string s = "SET_PROG_NAME(Present Bench)\r\nSET_TARGET_DIR(" + target +
                    ")\r\nSET_DIALOGS(CopyFilesDlg)\r\nSET_SILENT_SETUP\r\nSET_USE_COPY\r\n"
                    "SET_GROUP_DATA(|Main|Main|0|0|0|1|1|1|0|)\r\n" +
                    rows;
    if (billboards)
        s += "SET_ADD_BILLBOARD\r\nSET_BILLBOARD_DATA(||||1||||255||||||||300|200||1|)\r\n"
             "SET_BILLBOARD_FILE(one.txt)\r\nSET_BILLBOARD_FILE(two.txt)\r\n";
    if (music)
        s += "SET_BG_WAVE_FILE_NAME(tone.wav)\r\nSET_BG_WAVE_SLIDER(Floating)\r\n"
             "SET_BG_WAVE_LOCATION(|Top/Right|)\r\n";
    return s;
}

// One silent install from process start to its end; -1 when it failed.
double Install(const std::string& eng, const std::string& target) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + eng + "\\Setup.exe\"";
    const double start = zkbench::Seconds();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, eng.c_str(), &si,
                        &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 600000);
    const double s = zkbench::Seconds() - start;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::string last = target + "\\d0\\f00000.bin";
    if (code == 0 && GetFileAttributesA(last.c_str()) != INVALID_FILE_ATTRIBUTES) return s;
    printf("exit code %lu after %.1f s\n", code, s);
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string made = MakeEngineFolder(files);
    const std::string eng = made.substr(0, made.find('|')), rows = made.substr(made.find('|') + 1);
    // Both off, billboards only, music only, both on.
    const char* names[4] = {"both off", "billboards", "music", "both on"};
    double best[4] = {1e9, 1e9, 1e9, 1e9};
    for (int round = 0; round < 5; ++round)
        for (int v = 0; v < 4; ++v) {
            const std::string target =
                std::string(Root) + "\\App" + std::to_string(round) + std::to_string(v);
            Write(eng + "\\Setup.txt", Script(rows, target, v & 1, v & 2));
            MakeSources(eng, files);
            const double s = Install(eng, target);
            if (s < 0) {
                printf("install with %s failed\n", names[v]);
                return 1; // the folder stays for a look
            }
            best[v] = std::min(best[v], s);
        }
    printf("silent install of %d files, best of 5 rounds\n", files);
    for (int v = 0; v < 4; ++v) printf("  %-11s %8.3f s\n", names[v], best[v]);
    printf("  both on against both off: %.3f; without the fixed waits (%.2f s) %.3f; target 1.05\n",
           best[3] / best[0], FixedWaits, (best[3] - FixedWaits) / best[0]);
    DeleteTree(Root, true);
    return 0;
}
