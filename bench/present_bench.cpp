// What the presentation costs an installation: Setup.exe installs 1,000 files silently, once
// with billboards and music (the floating volume window) and once with both off, in turns, the
// best of three rounds each. The presentation's own fixed waits (the wizard's hide pause, the
// copy bar's start, the slider's pause and the fade) are printed apart; the target is a ratio
// within 1.05 once they are taken off.
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
// 200 ms hide pause, 100 + 400 ms copy-bar start, 50 ms before the 500 ms fade.
constexpr double FixedWaits = 0.2 + 0.5 + 0.05 + 0.5;

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

// The engine folder: Setup.exe, UnInstall.exe, the sources, the pages, the music, one script
// per variant.
std::string MakeEngineFolder(int files) {
    const std::string eng = std::string(Root) + "\\eng";
    CreateDirectoryA(Root, nullptr);
    CreateDirectoryA(eng.c_str(), nullptr);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string bin = self;
    bin.resize(bin.rfind('\\'));
    CopyFileA((bin + "\\Setup.exe").c_str(), (eng + "\\Setup.exe").c_str(), FALSE);
    CopyFileA((bin + "\\UnInstall.exe").c_str(), (eng + "\\UnInstall.exe").c_str(), FALSE);
    std::string content(4096, 'x');
    std::string rows;
    for (int d = 0, i = 0; i < files; ++d) {
        std::string names;
        for (int k = 0; k < 100 && i < files; ++k, ++i) {
            char name[32];
            snprintf(name, sizeof name, "f%05d.bin", i);
            Write(eng + "\\" + name, content);
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

std::string Script(const std::string& rows, bool presentation) {
    std::string s = "SET_PROG_NAME(Present Bench)\r\nSET_TARGET_DIR(" + std::string(Root) +
                    "\\App)\r\nSET_DIALOGS(CopyFilesDlg)\r\nSET_SILENT_SETUP\r\nSET_USE_COPY\r\n"
                    "SET_GROUP_DATA(|Main|Main|0|0|0|1|1|1|0|)\r\n" +
                    rows;
    if (presentation)
        s += "SET_ADD_BILLBOARD\r\nSET_BILLBOARD_DATA(||||1||||255||||||||300|200||1|)\r\n"
             "SET_BILLBOARD_FILE(one.txt)\r\nSET_BILLBOARD_FILE(two.txt)\r\n"
             "SET_BG_WAVE_FILE_NAME(tone.wav)\r\nSET_BG_WAVE_SLIDER(Floating)\r\n"
             "SET_BG_WAVE_LOCATION(|Top/Right|)\r\n";
    return s;
}

// One silent install from process start to its end; -1 when it failed.
double Install(const std::string& eng) {
    DeleteTree(std::string(Root) + "\\App", true);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + eng + "\\Setup.exe\"";
    const double start = zkbench::Seconds();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, eng.c_str(),
                        &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 600000);
    const double s = zkbench::Seconds() - start;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::string last = std::string(Root) + "\\App\\d0\\f00000.bin";
    return code == 0 && GetFileAttributesA(last.c_str()) != INVALID_FILE_ATTRIBUTES ? s : -1;
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string made = MakeEngineFolder(files);
    const std::string eng = made.substr(0, made.find('|')), rows = made.substr(made.find('|') + 1);
    double best[2] = {1e9, 1e9};
    for (int round = 0; round < 3; ++round)
        for (int on = 0; on < 2; ++on) {
            Write(eng + "\\Setup.txt", Script(rows, on == 1));
            const double s = Install(eng);
            if (s < 0) {
                printf("install %s failed\n", on ? "with presentation" : "plain");
                DeleteTree(Root, true);
                return 1;
            }
            best[on] = std::min(best[on], s);
        }
    printf("silent install of %d files (best of 3)\n", files);
    printf("  billboards and music off: %8.3f s\n", best[0]);
    printf("  billboards and music on:  %8.3f s  (fixed waits %.2f s)\n", best[1], FixedWaits);
    printf("  ratio %.3f, without the fixed waits %.3f (target 1.05)\n", best[1] / best[0],
           (best[1] - FixedWaits) / best[0]);
    DeleteTree(Root, true);
    return 0;
}
