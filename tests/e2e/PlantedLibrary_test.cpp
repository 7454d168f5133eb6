// Libraries planted beside the engines, as anything may lie beside a setup in a download
// folder: a marker library under the names of the system libraries the engines use, loaded
// native-first as Windows loads them, must never be loaded; the engines still do their work.
#include "ControlIds.h"
#include "MediaFiles.h"
#include "RegOp.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace ids = zk::ids;

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Line(const std::string& command, const std::string& argument = "") {
    return command + "(" + argument + ")\r\n";
}

// Not "version.dll": Wine's own user32 imports it, so Wine loads a planted one at every
// process start, before a program's first line (the import table test covers the engines).
const char* const kPlanted[] = {"riched32.dll", "riched20.dll", "uxtheme.dll", "psapi.dll",
                                "comctl32.dll", "msimg32.dll",  "winmm.dll"};

// Sets an environment variable for its lifetime; the earlier value comes back.
struct EnvironmentValue {
    std::string name, old;
    bool had;
    EnvironmentValue(const std::string& n, const std::string& value) : name(n) {
        char buffer[1024] = {};
        const DWORD size = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
        had = size > 0 && size < sizeof buffer;
        old = had ? buffer : "";
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    }
    ~EnvironmentValue() { SetEnvironmentVariableA(name.c_str(), had ? old.c_str() : nullptr); }
};

// The marker library beside a program under every planted name. While this lives, the
// program of that file name loads those names native-first, as Windows does (the program's
// folder before the system folder), and a load is reported in `marks`.
struct PlantedFolder {
    std::string folder, exeName, marks, appKey;
    PlantedFolder(const std::string& where, const std::string& exe)
        : folder(where), exeName(exe), marks(where + "\\marks"),
          appKey("Software\\Wine\\AppDefaults\\" + exe) {
        CreateDirectoryA(marks.c_str(), nullptr);
        // Wine takes the load order from the registry, by the program's file name (not from
        // the environment a Windows parent passes).
        for (const char* name : kPlanted) {
            CopyFileA((zktest::BinDir() + "\\zk_dllmarker.dll").c_str(),
                      (folder + "\\" + name).c_str(), FALSE);
            zktest::SetUserValue(appKey + "\\DllOverrides",
                                 std::string(name, std::strlen(name) - 4), "native,builtin");
        }
    }
    ~PlantedFolder() {
        RegDeleteKeyA(HKEY_CURRENT_USER, (appKey + "\\DllOverrides").c_str());
        SHDeleteEmptyKeyA(HKEY_CURRENT_USER, appKey.c_str());
    }
    zkui::Program Start() const {
        EnvironmentValue marker("ZK_DLL_MARKER", marks);
        return zkui::Start(folder + "\\" + exeName, "", folder);
    }
    // The planted names that were loaded.
    std::vector<std::string> Loaded() const {
        std::vector<std::string> loaded;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((marks + "\\*.loaded").c_str(), &entry);
        for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry))
            loaded.push_back(entry.cFileName);
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
        return loaded;
    }
};

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

// The libraries a running process has loaded: lower-case file name to full path.
std::map<std::string, std::string> LoadedModules(DWORD pid) {
    std::map<std::string, std::string> modules;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snap == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32 m{};
    m.dwSize = sizeof m;
    for (BOOL ok = Module32First(snap, &m); ok; ok = Module32Next(snap, &m))
        modules[Lower(m.szModule)] = m.szExePath;
    CloseHandle(snap);
    return modules;
}

std::string SystemFolder() {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, MAX_PATH);
    return Lower(folder);
}

// Each library was loaded (the run used it) and from the system folder.
void ExpectFromSystemFolder(DWORD pid, std::initializer_list<const char*> names,
                            const std::string& who) {
    const std::map<std::string, std::string> modules = LoadedModules(pid);
    for (const char* name : names) {
        auto it = modules.find(name);
        if (it == modules.end()) {
            ADD_FAILURE() << who << " has not loaded " << name;
            continue;
        }
        EXPECT_EQ(Lower(it->second), SystemFolder() + "\\" + name) << who;
    }
}

// The names of the libraries a program file imports, from its import directory.
std::vector<std::string> ImportedLibraries(const std::string& path) {
    const std::string b = zktest::ReadBytes(path);
    auto fits = [&](size_t at, size_t size) { return at <= b.size() && size <= b.size() - at; };
    IMAGE_DOS_HEADER dos;
    if (!fits(0, sizeof dos)) return {};
    std::memcpy(&dos, b.data(), sizeof dos);
    IMAGE_NT_HEADERS nt;
    if (!fits(static_cast<size_t>(dos.e_lfanew), sizeof nt)) return {};
    std::memcpy(&nt, b.data() + dos.e_lfanew, sizeof nt);
    const size_t sections = static_cast<size_t>(dos.e_lfanew) +
                            offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
                            nt.FileHeader.SizeOfOptionalHeader;
    // A relative address as an offset in the file, through the section that holds it.
    auto offsetOf = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER s;
            if (!fits(sections + i * sizeof s, sizeof s)) break;
            std::memcpy(&s, b.data() + sections + i * sizeof s, sizeof s);
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return b.size();
    };
    std::vector<std::string> names;
    size_t at =
        offsetOf(nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (IMAGE_IMPORT_DESCRIPTOR d; fits(at, sizeof d); at += sizeof d) {
        std::memcpy(&d, b.data() + at, sizeof d);
        if (d.Name == 0) break;
        const size_t name = offsetOf(d.Name);
        if (name < b.size()) names.push_back(Lower(b.c_str() + name));
    }
    return names;
}

constexpr const char* kWindowsKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\";

} // namespace

TEST(PlantedLibraries, TheEnginesImportKnownLibrariesOnly) {
    // The KnownDLLs of Windows XP, which the loader never takes from a program's folder, and
    // the C run-time, which they themselves import.
    const std::set<std::string> known = {
        "advapi32.dll", "comdlg32.dll", "gdi32.dll",    "imagehlp.dll", "kernel32.dll",
        "lz32.dll",     "ole32.dll",    "oleaut32.dll", "rpcrt4.dll",   "shell32.dll",
        "urlmon.dll",   "user32.dll",   "wininet.dll",  "wldap32.dll",  "msvcrt.dll"};
    for (const char* exe : {"Setup.exe", "UnInstall.exe"}) {
        const std::vector<std::string> imports = ImportedLibraries(zktest::BinDir() + "\\" + exe);
        EXPECT_GE(imports.size(), 4u) << exe << ": the import directory was read";
        for (const std::string& name : imports)
            EXPECT_TRUE(known.count(name)) << exe << " imports " << name;
    }
}

TEST(PlantedLibraries, NeitherEngineLoadsOneFromItsFolder) {
    const std::string root = zktest::ScratchDir("planted_libs");
    const std::string app = root + "\\App", temp = root + "\\tmp";
    CreateDirectoryA(temp.c_str(), nullptr);
    struct Cleanup {
        ~Cleanup() {
            for (const char* key : {"UnInstall\\ZkPlanted", "App Management\\ARPCache\\ZkPlanted"})
                zk::DeleteRegKey(std::string(kWindowsKey) + key);
        }
    } cleanup;
    // Music, a transparent background picture, rich-edit pages, the uninstaller's running
    // program test: every library in use.
    const std::string script =
        Line("SET_PROG_NAME", "ZkPlanted") + Line("SET_TARGET_DIR", app) +
        Line("SET_CREATE_UNINSTALL") + Line("SET_PROG_EXE_NAME", "<TARGET_DIR>\\data.txt") +
        Line("SET_TEST_EXE_BEFORE_UNINSTALL") +
        Line("SET_DIALOGS", "WelcomeDlg,CopyFilesDlg,CompleteDlg") + Line("SET_SETUP_BACKGROUND") +
        Line("SET_BG_BITMAP_FILE_NAME", "picture.bmp") + Line("SET_BG_BITMAP_TRANSPARENT") +
        Line("SET_BG_WAVE_FILE_NAME", "tone.wav") +
        Line("SET_GROUP_DATA", "|Main|Main|0|0|0|1|1|1|0|") +
        Line("SET_SUB_DIR", "<Application Folder>") + Line("SET_COPY_FILES", "data.txt");
    const std::map<std::string, std::string> files = {
        {"Setup.txt", script},
        {"data.txt", "the product\r\n"},
        {"picture.bmp", zktest::Bmp(60, 40, RGB(0, 128, 255))},
        {"tone.wav", zktest::Wav()}};
    for (auto& [name, bytes] : files) zktest::WriteBytes(root + "\\" + name, bytes);
    for (const char* exe : {"Setup.exe", "UnInstall.exe"})
        CopyFileA((zktest::BinDir() + "\\" + exe).c_str(), (root + "\\" + exe).c_str(), FALSE);

    const PlantedFolder download(root, "Setup.exe");
    zkui::Program setup = download.Start();
    HWND wizard = zkui::FindTopWindow(ids::WizardClass, "", setup.Pid());
    ASSERT_TRUE(wizard) << "planted and loaded: " << Joined(download.Loaded());
    zkui::Click(zkui::ChildById(wizard, ids::NextButton));
    ASSERT_TRUE(zkui::WaitFor([&] { return zkui::TextOf(wizard) == "Setup Complete"; }, 20000));
    ExpectFromSystemFolder(
        setup.Pid(), {"riched32.dll", "comctl32.dll", "msimg32.dll", "winmm.dll"}, "Setup.exe");
    zkui::Click(zkui::ChildById(wizard, ids::NextButton));
    EXPECT_EQ(setup.Wait(), 0);
    EXPECT_EQ(zktest::ReadBytes(app + "\\data.txt"), "the product\r\n");
    EXPECT_EQ(Joined(download.Loaded()), "") << "loaded beside Setup.exe";

    const PlantedFolder product(app, "UnInstall.exe");
    zkui::Program uninstall;
    {
        EnvironmentValue tmp("TMP", temp), tempValue("TEMP", temp); // the batch's folder
        uninstall = product.Start();
    }
    HWND confirm = zkui::FindTopWindow(ids::MsgBoxClass, "", uninstall.Pid());
    ASSERT_TRUE(confirm) << "planted and loaded: " << Joined(product.Loaded());
    zkui::Click(zkui::ChildById(confirm, ids::MsgBoxButton1));
    HWND form = zkui::FindTopWindow(ids::UninstallClass, "", uninstall.Pid());
    ASSERT_TRUE(form);
    HWND close = zkui::ChildById(form, ids::UnCloseButton);
    // The removal ends with the Close button enabled; a summary box on the way is answered.
    ASSERT_TRUE(zkui::WaitFor(
        [&] {
            if (HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", uninstall.Pid(), 0))
                zkui::Click(zkui::ChildById(box, ids::MsgBoxButton1));
            return IsWindowEnabled(close) != FALSE;
        },
        30000));
    ExpectFromSystemFolder(uninstall.Pid(), {"riched32.dll", "comctl32.dll", "psapi.dll"},
                           "UnInstall.exe");
    zkui::Click(close);
    EXPECT_EQ(uninstall.Wait(), 0);
    EXPECT_TRUE(zktest::WaitRemoved(temp + "\\_DEL_ME_.BAT"));
    EXPECT_FALSE(zktest::Exists(app + "\\data.txt")) << "uninstalled";
    EXPECT_EQ(Joined(product.Loaded()), "") << "loaded beside UnInstall.exe";
    zktest::RemoveScratch(root);
}
