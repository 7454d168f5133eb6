#include "TestEnv.h"
#include "Handles.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <stdexcept>

namespace zktest {

static const char ScratchRoot[] = "C:\\zktest\\";

static bool BelowScratchRoot(const std::string& path) {
    return path.size() > sizeof ScratchRoot && _strnicmp(path.c_str(), ScratchRoot, 10) == 0 &&
           path.find("..") == std::string::npos;
}

void RemoveScratch(const std::string& path) {
    if (!BelowScratchRoot(path)) throw std::runtime_error("refusing to remove " + path);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            bool link = fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link)
                RemoveScratch(full);
            else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(full.c_str());
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

std::string ScratchDir(const std::string& name) {
    CreateDirectoryA("C:\\zktest", nullptr);
    std::string dir = ScratchRoot + name;
    RemoveScratch(dir);
    // Create every level of a nested name.
    for (size_t p = sizeof ScratchRoot - 1; p != std::string::npos; p = dir.find('\\', p + 1))
        CreateDirectoryA(dir.substr(0, p).c_str(), nullptr);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::string BinDir() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string path(buf, n);
    return path.substr(0, path.rfind('\\'));
}

std::string ScratchKey(const std::string& name) {
    std::string sub = "Software\\ZkTest\\" + name;
    SHDeleteKeyA(HKEY_CURRENT_USER, sub.c_str());
    return "HKEY_CURRENT_USER\\" + sub;
}

bool SetUserValue(const std::string& subkey, const std::string& name, const std::string& data) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r =
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

std::string RunCapture(const std::string& commandLine, const char* app, const char* environment) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return "";
    zk::UniqueHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    std::string cmd = commandLine;
    if (!CreateProcessA(app, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        const_cast<char*>(environment), "C:\\", &si, &pi))
        return "";
    zk::UniqueHandle process(pi.hProcess), thread(pi.hThread);
    writer.reset();
    // Reads until the program has ended, not until the pipe closes: a process Wine starts on
    // the child's behalf (the desktop's explorer) may hold the write end for long.
    std::string out;
    for (bool ended = false; !ended;) {
        ended = WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0;
        DWORD ready = 0, n = 0;
        char buf[4096];
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &ready, nullptr) && ready &&
               ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n)
            out.append(buf, n);
    }
    return out;
}

std::string ReadBytes(const std::string& path) {
    std::string out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return out;
}

std::vector<std::string> ReadLines(const std::string& path) {
    const std::string text = ReadBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDir(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WaitLines(const std::string& path, unsigned long timeoutMs) {
    std::string text;
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20)) {
        text = ReadBytes(path);
        if (!text.empty() && text.back() == '\n') break;
    }
    return text;
}

bool WaitRemoved(const std::string& path, unsigned long timeoutMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100))
        if (!Exists(path)) return true;
    return false;
}

} // namespace zktest
