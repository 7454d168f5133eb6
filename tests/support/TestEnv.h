// Test support: scratch folders and keys that belong to one test, and small file helpers.
// Every state-changing test works below C:\zktest\<name> and HKCU\Software\ZkTest\<name>.
#pragma once
#include <string>
#include <vector>

namespace zktest {

// Fresh, empty folder C:\zktest\<name> (no trailing backslash).
std::string ScratchDir(const std::string& name);
// Removes a folder below C:\zktest\ with everything in it; refuses any other path.
void RemoveScratch(const std::string& path);
// Folder of the running test exe (where the helper programs and DLLs are built).
std::string BinDir();
// Fresh registry path HKEY_CURRENT_USER\Software\ZkTest\<name> (key deleted first).
std::string ScratchKey(const std::string& name);
// A string value below HKEY_CURRENT_USER, its key created as needed.
bool SetUserValue(const std::string& subkey, const std::string& name, const std::string& data);

// Runs a program to its end and gives back what it printed (standard output and error).
// `environment`: a block of "NAME=value" texts, each ended by a zero, the last by two; null
// for this process's own.
std::string RunCapture(const std::string& commandLine, const char* app = nullptr,
                       const char* environment = nullptr);

std::string ReadBytes(const std::string& path);
// The file's lines, each ended by CR LF (a last line without one is kept as well).
std::vector<std::string> ReadLines(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
bool IsDir(const std::string& path);
// The file's text once it holds whole lines (not empty, ending in "\n"), as another process
// writes them; what it holds when the timeout has passed otherwise.
std::string WaitLines(const std::string& path, unsigned long timeoutMs = 10000);
// Waits until nothing is at the path (as after an uninstaller's self-deletion, which runs
// once it has exited); false after the timeout.
bool WaitRemoved(const std::string& path, unsigned long timeoutMs = 40000);

} // namespace zktest
