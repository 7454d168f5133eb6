// The copy engine on real folders of the sandbox: sources moved, copied, inflated or found in
// the origin tree, the overwrite rules, in-use targets replaced at restart, bad streams, and
// the uninstall and Setup.log lines, with a canary beside every target.
#include "SCopy.h"
#include "ControlIds.h"
#include "Files.h"
#include "RegOp.h"
#include "SFileItem.h"
#include "SKeywords.h"
#include "TestEnv.h"
#include "UtilPlus.h"
#include "ZLibOpen.h"

#include <windows.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

using namespace zk;
using zktest::Exists;
using zktest::ReadBytes;
using zktest::WriteBytes;

namespace {

const char Canary[] = "canary: not the installer's";

// The host's side of a run: what the engine logged, wrote, showed and reported.
struct Host {
    TextList log, uninstall, errors;
    std::vector<FileReport> reports;
    std::set<Text> held; // upper case, as the writer's duplicate rule compares
    bool music = false;
    bool failWrites = false;

    CopyCallbacks Callbacks(bool withErrorSeam = true) {
        CopyCallbacks c;
        c.addSetupLogLine = [this](const Text& line) {
            if (line.rfind("\\\\x", 0) == 0 && !log.empty())
                log.back() += line.substr(3);
            else
                log.push_back(line);
        };
        // As the script's writer takes them: ";" after a command, duplicates dropped.
        c.addUninstallLine = [this](const Text& line, bool forced) {
            if (failWrites) return false;
            const Text text = TerminateLine(line);
            if (!forced && !held.insert(LineKey(text)).second) return true;
            uninstall.push_back(text);
            return true;
        };
        c.uninstallHasLine = [this](const Text& line) {
            return held.count(LineKey(TerminateLine(line))) > 0;
        };
        c.isMusicPlaying = [this] { return music; };
        c.fileDone = [this](const FileReport& r) { reports.push_back(r); };
        if (withErrorSeam) c.showError = [this](const Text& text) { errors.push_back(text); };
        return c;
    }
    FileOutcome OutcomeOf(const Text& targetName) const {
        for (const FileReport& r : reports)
            if (TextEquals(r.target.substr(r.target.rfind('\\') + 1), targetName)) return r.outcome;
        ADD_FAILURE() << "no report for " << targetName;
        return FileOutcome::Failed;
    }
};

using Lines = std::vector<std::pair<const char*, Text>>;

TScript MakeScript(const Lines& lines) {
    TScript s;
    KeywordTable::Apply(s, "SET_GROUP_DATA", "|Main|Main files|10|4|0|1|1|1|0|");
    for (const auto& [keyword, argument] : lines)
        EXPECT_EQ(KeywordTable::Apply(s, keyword, argument), KeywordResult::Stored) << keyword;
    return s;
}

// A case's folders: engine (sources), target, each with a canary.
struct Place {
    Text root, src, dst;
    explicit Place(const Text& name) {
        root = zktest::ScratchDir("scopy\\" + name);
        src = root + "\\src";
        dst = root + "\\dst";
        CreateDirectoryA(src.c_str(), nullptr);
        CreateDirectoryA(dst.c_str(), nullptr);
        WriteBytes(src + "\\canary.txt", Canary);
        WriteBytes(dst + "\\canary.txt", Canary);
    }
    ~Place() {
        EXPECT_EQ(ReadBytes(src + "\\canary.txt"), Canary);
        EXPECT_EQ(ReadBytes(dst + "\\canary.txt"), Canary);
    }
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;
    CopyInputs Inputs(TScript& s, const Text& list = "") const {
        return CopyInputs{s,      src,       dst, Text(),
                          Text(), "Typical", {0}, list.empty() ? "|" + src + "|" : list};
    }
};

bool RunCopy(TScript& s, const Place& p, Host& h, CopyPlatform platform = CurrentCopyPlatform(),
             bool withErrorSeam = true) {
    TCopyEngine engine(p.Inputs(s), h.Callbacks(withErrorSeam), std::move(platform));
    return engine.CopySelectedComponents();
}

Text Compress(const Text& data) {
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    Text out(n, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(data.data()),
             static_cast<uLong>(data.size()));
    out.resize(n);
    return out;
}

Text CompressWithDictionary(const Text& data, const Text& dictionary) {
    z_stream s{};
    deflateInit(&s, 9);
    deflateSetDictionary(&s, reinterpret_cast<const Bytef*>(dictionary.data()),
                         static_cast<uInt>(dictionary.size()));
    Text out(deflateBound(&s, static_cast<uLong>(data.size())), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

std::set<Text> NamesIn(const Text& dir) {
    std::set<Text> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        Text n = fd.cFileName;
        if (n != "." && n != "..") names.insert(n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

TextList TempFilesIn(const Text& dir) {
    TextList r;
    for (const Text& n : NamesIn(dir))
        if (n.size() > 4 && TextEquals(n.substr(n.size() - 4), ".tmp")) r.push_back(n);
    return r;
}

Text FileLines(const TextList& lines) {
    Text all;
    for (const Text& l : lines) all += l + "\n";
    return all;
}

// Uninstall lines as the writer writes them.
Text ScriptLines(const TextList& lines) {
    Text all;
    for (const Text& l : lines) all += TerminateLine(l) + "\n";
    return all;
}

// EnumWindows: the visible message box of this process.
BOOL CALLBACK FindOwnBox(HWND w, LPARAM found) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (pid != GetCurrentProcessId() || Text(cls) != ids::MsgBoxClass || !IsWindowVisible(w))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

// The machine's pending renames as they were before: a test's staged replacements are not left
// for the next boot of the sandbox.
class PendingRenamesKept {
  public:
    PendingRenamesKept() : key_(OpenRegPath(SessionManager, KEY_QUERY_VALUE | KEY_SET_VALUE)) {
        DWORD type = 0;
        had_ = RegReadRaw(key_.get(), PendingValue, type, before_);
    }
    ~PendingRenamesKept() {
        if (had_)
            RegSetValueExA(key_.get(), PendingValue, 0, REG_MULTI_SZ,
                           reinterpret_cast<const BYTE*>(before_.data()),
                           static_cast<DWORD>(before_.size()));
        else
            RegDeleteValueA(key_.get(), PendingValue);
    }
    PendingRenamesKept(const PendingRenamesKept&) = delete;
    PendingRenamesKept& operator=(const PendingRenamesKept&) = delete;
    std::string Now() const {
        DWORD type = 0;
        std::string now;
        RegReadRaw(key_.get(), PendingValue, type, now);
        return now;
    }

  private:
    static constexpr const char* SessionManager =
        "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager";
    static constexpr const char* PendingValue = "PendingFileRenameOperations";
    UniqueKey key_;
    bool had_ = false;
    std::string before_;
};

void SetWriteTime(const Text& path, int64_t secondsAfter2020) {
    int64_t t = (int64_t(132223104000000000) + secondsAfter2020 * 10000000);
    FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    HANDLE h =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

} // namespace

TEST(FileItems, OneParserForFlagsAndNames) {
    struct Case {
        const char* item;
        FileFlags flags;
        const char* name;
    } cases[] = {
        {"a.txt", 0, "a.txt"},
        {"  *s.dll ", 1, "s.dll"},
        {"16*keep.txt", 16, "keep.txt"},
        {"256*ro.txt", 256, "ro.txt"},
        {" 3 * x.txt", 3, "x.txt"},
        {"2*x*y", 2, "x*y"},
        {"abc*x.txt", 0, "abc*x.txt"}, // not a number: the item stays whole
        {"00002#readme.txt", 0, "00002#readme.txt"},
        {"4294967295*m", 0xFFFFFFFFu, "m"},
        {"4294967296*m", 0, "4294967296*m"},
    };
    for (const Case& c : cases) {
        FileItem item = ParseFileItem(c.item);
        EXPECT_EQ(item.flags, c.flags) << c.item;
        EXPECT_EQ(item.name, c.name) << c.item;
    }
    EXPECT_TRUE(ParseFileList("*").empty());
    EXPECT_TRUE(ParseFileList("").empty());
    EXPECT_EQ(ParseFileList("a| |1*b").size(), 2u);
    // The script counts a name listed twice under the key the copy releases it by.
    TScript s = MakeScript({{"SET_SUB_DIR", "<Application Folder>\\a"},
                            {"SET_COPY_FILES", " a.dll |2*x.txt"},
                            {"SET_SUB_DIR", "<Application Folder>\\b"},
                            {"SET_COPY_FILES", "1*A.DLL"}});
    EXPECT_TRUE(s.ReleaseFileName("C:\\src\\a.dll"));
    EXPECT_FALSE(s.ReleaseFileName("C:\\src\\a.dll"));
    EXPECT_FALSE(s.ReleaseFileName("C:\\src\\x.txt"));
}

// Number prefix, keep flag, read-only and shared, installed, with their exact lines.
TEST(CopyEngine, FileItemSyntaxInstallsWithItsLines) {
    Place p("syntax");
    const Text app = p.dst + "\\app", shared = app + "\\shared.dll";
    WriteBytes(p.src + "\\00002#readme.txt", "readme two");
    WriteBytes(p.src + "\\keep.txt", "keep");
    WriteBytes(p.src + "\\ro.txt", "read-only");
    WriteBytes(p.src + "\\shared.dll", "shared");
    DeleteRegValue(SharedDllsKey, shared);
    const Lines script = {
        {"SET_SUB_DIR", "<Application Folder>\\app"},
        {"SET_COPY_FILES", "00002#readme.txt|16*keep.txt|256*ro.txt|*shared.dll"}};
    TScript s = MakeScript(script);
    Host h;
    ASSERT_TRUE(RunCopy(s, p, h));

    EXPECT_EQ(ReadBytes(app + "\\readme.txt"), "readme two");
    EXPECT_FALSE(Exists(app + "\\00002#readme.txt"));
    EXPECT_EQ(ReadBytes(app + "\\keep.txt"), "keep");
    EXPECT_TRUE(GetFileAttributesA((app + "\\ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(NamesIn(p.src), std::set<Text>{"canary.txt"}) << "same drive: sources moved";
    EXPECT_EQ(FileLines(h.uninstall),
              ScriptLines({"REMOVE_DIR(" + app + ")", "REMOVE_FILE(" + app + "\\readme.txt)",
                           "UNMARK_READONLY_FILE(" + app + "\\ro.txt)",
                           "REMOVE_FILE(" + app + "\\ro.txt)", "REMOVE_SHARED_FILE(" + shared + ")",
                           "AVOID_ERR_REMOVE_DIR(" + app + ")", ""}));
    EXPECT_EQ(FileLines(h.log), FileLines({"", "Start Copy Directory", "  (" + app + ")",
                                           "  Copy File: " + app + "\\readme.txt ... OK",
                                           "  Copy File: " + app + "\\keep.txt ... OK",
                                           "  Copy File: " + app + "\\ro.txt ... OK",
                                           "  Copy File: " + shared + " ... OK"}));
    bool number = false;
    EXPECT_EQ(ReadRegValueAsText(SharedDllsKey, shared, number), "1");

    // A re-install into the same folder holds the shared line already: the count stays.
    SetFileAttributesA((app + "\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const char* n : {"00002#readme.txt", "keep.txt", "ro.txt", "shared.dll"})
        WriteBytes(p.src + "\\" + n, "again");
    TScript again = MakeScript(script);
    size_t linesBefore = h.uninstall.size();
    ASSERT_TRUE(RunCopy(again, p, h));
    EXPECT_EQ(h.uninstall.size(), linesBefore + 1) << "only the forced block end\n"
                                                   << FileLines(h.uninstall);
    EXPECT_EQ(ReadRegValueAsText(SharedDllsKey, shared, number), "1");
    EXPECT_EQ(DecrementSharedDllCount(shared), 0) << "one uninstall brings it to zero";
    SetFileAttributesA((app + "\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(CopyEngine, MissingSourceStopsTheRunAndKeepsEarlierLines) {
    Place p("missing");
    WriteBytes(p.src + "\\one.txt", "1");
    WriteBytes(p.src + "\\two.txt", "2");
    WriteBytes(p.src + "\\three.txt", "3");
    TScript s = MakeScript({{"SET_SUB_DIR", "<Application Folder>\\a"},
                            {"SET_COPY_FILES", "one.txt|2*missing.txt|2*two.txt"},
                            {"SET_SUB_DIR", "<Application Folder>\\b"},
                            {"SET_COPY_FILES", "three.txt"}});
    Host h;
    TCopyEngine engine(p.Inputs(s), h.Callbacks());
    EXPECT_FALSE(engine.CopySelectedComponents());

    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_NE(h.errors[0].find(p.src + "\\missing.txt"), Text::npos) << h.errors[0];
    EXPECT_NE(h.errors[0].find("File not found!"), Text::npos);
    EXPECT_EQ(ReadBytes(p.dst + "\\a\\one.txt"), "1");
    EXPECT_FALSE(Exists(p.dst + "\\a\\two.txt"));
    EXPECT_FALSE(Exists(p.dst + "\\b")) << "no later folder";
    EXPECT_EQ(ReadBytes(p.src + "\\two.txt"), "2") << "a file not reached is not consumed";
    EXPECT_EQ(h.log.back(), "  Copy File: " + p.dst + "\\a\\missing.txt ... File not Found!");
    EXPECT_EQ(FileLines(h.uninstall), ScriptLines({"REMOVE_DIR(" + p.dst + "\\a)",
                                                   "REMOVE_FILE(" + p.dst + "\\a\\one.txt)", ""}));
    EXPECT_EQ(engine.FilesFailed(), 1);
    EXPECT_EQ(engine.FilesInstalled(), 1);
    EXPECT_TRUE(engine.ComFiles().empty()) << "the failed file's register flag queues nothing";
}

TEST(CopyEngine, OverwriteRulesCompareVersionsAsNumbers) {
    const Text bin = zktest::BinDir();
    const Text v10240 = bin + "\\zkver_build10240.dll", v9600 = bin + "\\zkver_build9600.dll";
    struct Case {
        const char* name;
        Text source, target;
        const char* item;
        int mode;
        bool installed;
    } cases[] = {
        {"newer mode 3", v10240, v9600, "v.dll", 3, true},
        {"older mode 3", v9600, v10240, "v.dll", 3, false},
        {"equal mode 3", v10240, v10240, "v.dll", 3, false},
        {"equal mode 2", v10240, v10240, "v.dll", 2, true},
        {"older mode 2", v9600, v10240, "v.dll", 2, false},
        {"older mode 1", v9600, v10240, "v.dll", 1, true},
        {"mode 4 target there", v10240, v9600, "v.dll", 4, false},
        {"flag bits mode 3 over row mode 1", v9600, v10240, "50331648*v.dll", 1, false},
        {"dates: newer mode 3", "", "", "t.txt", 3, true},
        {"dates: same mode 3", "", "", "t.txt", 3, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Place p("overwrite" + std::to_string(n++));
        const Text app = p.dst + "\\app";
        CreateDirectoryA(app.c_str(), nullptr);
        WriteBytes(app + "\\canary.txt", Canary);
        const Text name = ParseFileItem(c.item).name;
        if (c.source.empty()) {
            WriteBytes(p.src + "\\" + name, "new text");
            WriteBytes(app + "\\" + name, "old text");
            SetWriteTime(app + "\\" + name, 1000);
            SetWriteTime(p.src + "\\" + name,
                         std::string(c.name).find("newer") != Text::npos ? 5000 : 1000);
        } else {
            CopyFileA(c.source.c_str(), (p.src + "\\" + name).c_str(), FALSE);
            CopyFileA(c.target.c_str(), (app + "\\" + name).c_str(), FALSE);
        }
        const Text before = ReadBytes(app + "\\" + name), source = ReadBytes(p.src + "\\" + name);
        TScript s = MakeScript({{"SET_OVERWRITE_FLAG", std::to_string(c.mode)},
                                {"SET_SUB_DIR", "<Application Folder>\\app"},
                                {"SET_COPY_FILES", c.item}});
        Host h;
        EXPECT_TRUE(RunCopy(s, p, h));
        EXPECT_EQ(h.OutcomeOf(name), c.installed ? FileOutcome::Installed : FileOutcome::Kept);
        EXPECT_EQ(ReadBytes(app + "\\" + name), c.installed ? source : before);
        EXPECT_EQ(Exists(p.src + "\\" + name), !c.installed) << "a kept target leaves the source";
        // The folder (the test's, so excused), the file, the block end.
        EXPECT_EQ(h.uninstall.size(), c.installed ? 4u : 3u) << FileLines(h.uninstall);
        EXPECT_EQ(ReadBytes(app + "\\canary.txt"), Canary);
    }
}

// The running program cannot be replaced: a copy under a name of its own waits for the restart.
TEST(CopyEngine, TargetInUseIsReplacedAtRestart) {
    Place p("inuse");
    const Text app = p.dst + "\\app";
    CreateDirectoryA(app.c_str(), nullptr);
    WriteBytes(app + "\\canary.txt", Canary);
    WriteBytes(app + "\\Xapp.exe", Canary); // the fixed staging name a copy must not take
    const Text sleeper = ReadBytes(zktest::BinDir() + "\\zksleeper.exe");
    std::vector<PROCESS_INFORMATION> running;
    for (const char* exe : {"app.exe", "app2.exe", "app3.exe"}) {
        Text path = app + "\\" + exe;
        ASSERT_TRUE(WriteBytes(path, sleeper));
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        Text cmd = "\"" + path + "\" 60000";
        ASSERT_TRUE(CreateProcessA(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi));
        running.push_back(pi);
    }
    // In use once the program's image is mapped: a write open is refused.
    auto inUse = [](const Text& path) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return true;
        CloseHandle(h);
        return false;
    };
    for (const char* exe : {"app.exe", "app2.exe", "app3.exe"}) {
        const Text path = app + "\\" + exe;
        for (DWORD start = GetTickCount(); !inUse(path) && GetTickCount() - start < 10000;)
            Sleep(20);
        ASSERT_TRUE(inUse(path)) << path;
    }
    const Text newApp = "new program bytes", newApp2 = "new program two, inflated";
    WriteBytes(p.src + "\\app.exe", newApp);
    WriteBytes(p.src + "\\app2.exe._z", Compress(newApp2));
    std::optional<PendingRenamesKept> pendingKept(std::in_place);

    TScript s = MakeScript(
        {{"SET_SUB_DIR", "<Application Folder>\\app"}, {"SET_COPY_FILES", "app.exe|app2.exe"}});
    Host h;
    TCopyEngine engine(p.Inputs(s), h.Callbacks());
    EXPECT_TRUE(engine.CopySelectedComponents());
    EXPECT_TRUE(engine.RestartNeeded());
    EXPECT_EQ(h.OutcomeOf("app.exe"), FileOutcome::Delayed);
    EXPECT_EQ(h.OutcomeOf("app2.exe"), FileOutcome::Delayed);
    EXPECT_EQ(h.log[3], "  Copy File: " + app + "\\app.exe ... OK Delayed");
    EXPECT_EQ(ReadBytes(app + "\\app.exe"), sleeper);
    EXPECT_EQ(ReadBytes(app + "\\Xapp.exe"), Canary);
    EXPECT_FALSE(Exists(p.src + "\\app.exe")) << "consumed once staged";
    TextList staged = TempFilesIn(app);
    ASSERT_EQ(staged.size(), 2u);
    std::set<Text> contents{ReadBytes(app + "\\" + staged[0]), ReadBytes(app + "\\" + staged[1])};
    EXPECT_EQ(contents, (std::set<Text>{newApp, newApp2}));
    const std::string pending = pendingKept->Now();
    for (const Text& t : staged)
        EXPECT_NE(UpperCase(pending).find(UpperCase(app + "\\" + t)), Text::npos) << t;
    EXPECT_NE(UpperCase(pending).find(UpperCase(app + "\\app.exe")), Text::npos);
    pendingKept.reset();

    // The 9x road: the rename goes into WININIT.INI by short names.
    WriteBytes(p.src + "\\app3.exe", "nine x");
    TScript nine =
        MakeScript({{"SET_SUB_DIR", "<Application Folder>\\app"}, {"SET_COPY_FILES", "app3.exe"}});
    CopyPlatform platform = CurrentCopyPlatform();
    platform.nt = false;
    platform.winInitPath = p.root + "\\WININIT.INI";
    Host h9;
    EXPECT_TRUE(RunCopy(nine, p, h9, platform));
    EXPECT_EQ(h9.OutcomeOf("app3.exe"), FileOutcome::Delayed);
    char value[MAX_PATH] = "";
    char shortTarget[MAX_PATH];
    GetShortPathNameA((app + "\\app3.exe").c_str(), shortTarget, MAX_PATH);
    GetPrivateProfileStringA("Rename", shortTarget, "", value, MAX_PATH,
                             platform.winInitPath.c_str());
    EXPECT_EQ(ReadBytes(value), "nine x") << value;
    DeleteFileA(value);

    for (PROCESS_INFORMATION& pi : running) {
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    for (const Text& t : staged) DeleteFileA((app + "\\" + t).c_str());
}

// Every temporary file is in the uninstall script before it has a byte: a run killed while one
// is written leaves nothing the uninstallation does not remove. Copies, inflates and files
// staged for the restart.
TEST(CopyEngine, TemporaryFilesAreNamedBeforeTheyAreWritten) {
    Place p("tempnamed");
    const Text app = p.dst + "\\app";
    CreateDirectoryA(app.c_str(), nullptr);
    WriteBytes(app + "\\canary.txt", Canary);
    WriteBytes(app + "\\old.txt", "replaced");
    WriteBytes(app + "\\busy.txt", "in use");
    WriteBytes(p.src + "\\packed.bin._z", Compress(Text(3000000, 'p')));
    WriteBytes(p.src + "\\copied.bin", Text(3000000, 'c'));
    WriteBytes(p.src + "\\old.txt", "new");
    WriteBytes(p.src + "\\busy.txt", "waits for the restart");
    HANDLE busy = CreateFileA((app + "\\busy.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    const PendingRenamesKept pendingKept;
    TScript s = MakeScript({{"SET_SHOW_PROG_BAR_2", ""},
                            {"SET_USE_COPY", ""},
                            {"SET_SUB_DIR", "<Application Folder>\\app"},
                            {"SET_COPY_FILES", "packed.bin|copied.bin|old.txt|busy.txt"}});
    Host h;
    CopyCallbacks cb = h.Callbacks();
    int looks = 0;
    cb.progress = [&](const CopyStep& step) {
        if (step.kind != CopyStep::Kind::Bytes) return;
        ++looks;
        for (const Text& temp : TempFilesIn(app))
            EXPECT_NE(std::find(h.uninstall.begin(), h.uninstall.end(),
                                TerminateLine("REMOVE_FILE(" + app + "\\" + temp + ")")),
                      h.uninstall.end())
                << temp << " exists without its line";
    };
    TCopyEngine engine(p.Inputs(s), cb);
    EXPECT_TRUE(engine.CopySelectedComponents());
    CloseHandle(busy);
    EXPECT_GT(looks, 10);
    EXPECT_EQ(h.OutcomeOf("busy.txt"), FileOutcome::Delayed);
    const TextList staged = TempFilesIn(app);
    ASSERT_EQ(staged.size(), 1u);
    EXPECT_EQ(ReadBytes(app + "\\" + staged[0]), "waits for the restart");
    EXPECT_EQ(ReadBytes(app + "\\old.txt"), "new");
    const TextList names(h.uninstall.begin(), h.uninstall.end());
    const auto count = [&](const Text& file) {
        return std::count(names.begin(), names.end(),
                          TerminateLine("REMOVE_FILE(" + app + "\\" + file + ")"));
    };
    EXPECT_EQ(count("zk0.tmp"), 1) << "one name for the files one after another";
    EXPECT_EQ(count(staged[0]), 1);
    DeleteFileA((app + "\\" + staged[0]).c_str());
}

// A folder of 250 characters takes what fits there, also the temporary file of a "._z" stream,
// and keeps nothing else.
TEST(CopyEngine, LongFolderTakesPackedFilesToo) {
    Place p("longfolder");
    const Text sub = Text(250 - p.dst.size() - 1, 'L');
    const Text app = p.dst + "\\" + sub;
    ASSERT_EQ(app.size(), 250u);
    WriteBytes(p.src + "\\plain.txt", "plain");
    WriteBytes(p.src + "\\packed.txt._z", Compress("packed"));
    TScript s = MakeScript({{"SET_USE_COPY", ""},
                            {"SET_SUB_DIR", "<Application Folder>\\" + sub},
                            {"SET_COPY_FILES", "plain.txt|packed.txt"}});
    Host h;
    EXPECT_TRUE(RunCopy(s, p, h));
    EXPECT_TRUE(h.errors.empty()) << (h.errors.empty() ? "" : h.errors[0]);
    EXPECT_EQ(ReadBytes(app + "\\packed.txt"), "packed");
    EXPECT_EQ(ReadBytes(app + "\\plain.txt"), "plain");
    EXPECT_EQ(NamesIn(app), (std::set<Text>{"plain.txt", "packed.txt"}));
    EXPECT_EQ(NamesIn(p.dst), (std::set<Text>{"canary.txt", sub}));
}

// A bad stream leaves no partial file: into a folder this run made it is written under the
// target's name (named before its first byte), over an existing file beside it, and the old
// file stays whole.
TEST(CopyEngine, BadStreamsLeaveNoPartialFile) {
    const Text data(200000, 'd');
    Text good = Compress(data), corrupt = good, truncated = good.substr(0, good.size() / 2);
    corrupt[good.size() / 2] = static_cast<char>(corrupt[good.size() / 2] ^ 0x55);
    struct Case {
        const char* name;
        Text stream;
    } cases[] = {{"corrupt", corrupt},
                 {"truncated", truncated},
                 {"preset dictionary", CompressWithDictionary(data, "dddd")}};
    int n = 0;
    for (const Case& c : cases) {
        for (bool upgrade : {false, true}) {
            SCOPED_TRACE(Text(c.name) + (upgrade ? ", over an old file" : ", a new folder"));
            Place p("stream" + std::to_string(n++));
            const Text app = p.dst + "\\app";
            if (upgrade) {
                CreateDirectoryA(app.c_str(), nullptr);
                WriteBytes(app + "\\data.bin", "the old one");
            }
            WriteBytes(p.src + "\\one.txt", "1");
            WriteBytes(p.src + "\\data.bin._z", c.stream);
            WriteBytes(p.src + "\\two.txt", "2");
            TScript s = MakeScript({{"SET_SUB_DIR", "<Application Folder>\\app"},
                                    {"SET_COPY_FILES", "one.txt|data.bin|two.txt"}});
            Host h;
            DWORD start = GetTickCount();
            EXPECT_FALSE(RunCopy(s, p, h));
            EXPECT_LT(GetTickCount() - start, 10000u);
            ASSERT_EQ(h.errors.size(), 1u);
            EXPECT_NE(h.errors[0].find(p.src + "\\data.bin._z"), Text::npos) << h.errors[0];
            EXPECT_NE(h.errors[0].find("damaged"), Text::npos);
            EXPECT_EQ(NamesIn(app),
                      upgrade ? (std::set<Text>{"data.bin", "one.txt"}) : std::set<Text>{"one.txt"})
                << "no partial or staged file";
            if (upgrade) {
                EXPECT_EQ(ReadBytes(app + "\\data.bin"), "the old one");
            }
            // What was written was named first; an old target's own line never came.
            TextList lines = {"REMOVE_DIR(" + app + ")", "REMOVE_FILE(" + app + "\\one.txt)",
                              "REMOVE_FILE(" + app + (upgrade ? "\\zk0.tmp)" : "\\data.bin)"), ""};
            if (upgrade) lines.insert(lines.begin() + 1, "AVOID_ERR_REMOVE_DIR(" + app + ")");
            EXPECT_EQ(FileLines(h.uninstall), ScriptLines(lines));
            EXPECT_EQ(h.log.back(), "  Copy File: " + app + "\\data.bin ... FAILED");
            EXPECT_EQ(h.OutcomeOf("data.bin"), FileOutcome::BadStream);
            EXPECT_EQ(ReadBytes(p.src + "\\data.bin._z"), c.stream);
        }
    }
}

// A file that turns up in a folder this run made, before the run reaches its name, is judged
// by the overwrite rule like any other and replaced only as a whole, never written over in
// place.
TEST(CopyEngine, FileThatTurnsUpMeanwhileMeetsTheOverwriteRule) {
    struct Case {
        int mode;
        const char* expected;
    } cases[] = {{4, "theirs"}, {1, "ours"}};
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        Place p("turnsup" + std::to_string(c.mode));
        const Text app = p.dst + "\\app";
        WriteBytes(p.src + "\\first.txt", "first");
        WriteBytes(p.src + "\\late.txt", "ours");
        WriteBytes(p.src + "\\late.bin._z", Compress("ours"));
        TScript s = MakeScript({{"SET_USE_COPY", ""}});
        Host h;
        CopyCallbacks cb = h.Callbacks();
        cb.progress = [&](const CopyStep& step) {
            if (step.kind != CopyStep::Kind::File || step.target.find("first.txt") == Text::npos)
                return;
            WriteBytes(app + "\\late.txt", "theirs");
            WriteBytes(app + "\\late.bin", "theirs");
        };
        TCopyEngine engine(p.Inputs(s), cb);
        EXPECT_TRUE(engine.InstallCopyRow(p.src, std::to_string(c.mode) + "|" + app +
                                                     "|first.txt|late.txt|late.bin"));
        EXPECT_TRUE(h.errors.empty());
        EXPECT_EQ(ReadBytes(app + "\\first.txt"), "first");
        EXPECT_EQ(ReadBytes(app + "\\late.txt"), c.expected);
        EXPECT_EQ(ReadBytes(app + "\\late.bin"), c.expected);
        EXPECT_EQ(NamesIn(app), (std::set<Text>{"first.txt", "late.txt", "late.bin"}));
    }
}

// The real box, pressed from outside the engine's thread as a user would.
TEST(CopyEngine, BadStreamBoxIsShownAndClosed) {
    Place p("streambox");
    WriteBytes(p.src + "\\data.bin._z", "not a zlib stream at all");
    TScript s =
        MakeScript({{"SET_SUB_DIR", "<Application Folder>\\app"}, {"SET_COPY_FILES", "data.bin"}});
    std::atomic<bool> pressed{false};
    Text body;
    std::thread presser([&] {
        HWND box = nullptr;
        for (int i = 0; i < 100 && !box; ++i) {
            Sleep(100);
            EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&box));
        }
        if (!box) return;
        char text[1024] = "";
        GetWindowTextA(GetDlgItem(box, ids::MsgBoxBody), text, sizeof text);
        body = text;
        PostMessageA(GetDlgItem(box, ids::MsgBoxButton1), BM_CLICK, 0, 0);
        pressed = true;
    });
    Host h;
    DWORD start = GetTickCount();
    bool ok = RunCopy(s, p, h, CurrentCopyPlatform(), false);
    presser.join();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(pressed);
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_NE(body.find("data.bin._z"), Text::npos) << body;
    EXPECT_EQ(NamesIn(p.dst + "\\app"), std::set<Text>{});
}

TEST(CopyEngine, FolderLinesByRemoveModeAndOrigin) {
    Place p("folders");
    const Text prod = p.dst + "\\prod";
    CreateDirectoryA((p.dst + "\\old").c_str(), nullptr);
    WriteBytes(p.dst + "\\old\\canary.txt", Canary);
    TScript s = MakeScript({{"SET_SUB_DIR", "*1<Application Folder>"},
                            {"SET_COPY_FILES", "*"},
                            {"SET_SUB_DIR", "*1<Application Folder>\\new"},
                            {"SET_COPY_FILES", ""},
                            {"SET_SUB_DIR", "*1" + p.dst + "\\old"},
                            {"SET_COPY_FILES", ""},
                            {"SET_SUB_DIR", "*2<Application Folder>\\never"},
                            {"SET_COPY_FILES", ""},
                            {"SET_SUB_DIR", "*3<Application Folder>\\just"},
                            {"SET_COPY_FILES", ""},
                            {"SET_SUB_DIR", "*1<WinDir>"},
                            {"SET_COPY_FILES", "*"}});
    Host h;
    CopyInputs in = p.Inputs(s);
    in.targetDir = prod;
    TCopyEngine engine(in, h.Callbacks());
    ASSERT_TRUE(engine.CreateDirLogged(prod, false, 0)) << "the driver makes the target folder";
    EXPECT_TRUE(h.uninstall.empty());
    EXPECT_TRUE(engine.CopySelectedComponents());
    EXPECT_EQ(FileLines(h.uninstall),
              ScriptLines(
                  {"FORCE_REMOVE_DIR(" + prod + ")", "", "FORCE_REMOVE_DIR(" + prod + "\\new)", "",
                   "REMOVE_DIR(" + p.dst + "\\old)", "AVOID_ERR_REMOVE_DIR(" + p.dst + "\\old)", "",
                   "DONT_REMOVE_DIR(" + prod + "\\never)", "",
                   "DONT_REMOVE_JUST_DIR(" + prod + "\\just)", "", ""}));
    EXPECT_EQ(ReadBytes(p.dst + "\\old\\canary.txt"), Canary);
}

// Sources on a folder the user cannot write: copied and inflated, the folder left as it was;
// the numbered name wins over a bare one found earlier in the tree.
TEST(CopyEngine, ReadOnlySourceFolderStaysAsItWas) {
    const Text cd = zktest::BinDir() + "\\copysrc";
    ASSERT_FALSE(WriteBytes(cd + "\\probe.txt", "x")) << "the fixture folder must be read-only";
    const std::set<Text> before = NamesIn(cd);
    Place p("readonly");
    TScript s = MakeScript({{"SET_SUB_DIR", "<Application Folder>\\app"},
                            {"SET_COPY_FILES", "plain.txt|packed.txt|00002#readme.txt"}});
    Host h;
    CopyInputs in = p.Inputs(s, "|" + cd + "|" + cd + "\\sub|");
    in.engineDir = cd;
    TCopyEngine engine(in, h.Callbacks());
    EXPECT_TRUE(engine.CopySelectedComponents());
    EXPECT_TRUE(h.errors.empty());
    const Text app = p.dst + "\\app";
    EXPECT_EQ(ReadBytes(app + "\\plain.txt"), ReadBytes(cd + "\\plain.txt"));
    EXPECT_FALSE(GetFileAttributesA((app + "\\plain.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    Text packed;
    DecompressString(ReadBytes(cd + "\\packed.txt._z"), packed, nullptr);
    EXPECT_EQ(ReadBytes(app + "\\packed.txt"), packed);
    EXPECT_EQ(GetFileDateByName(app + "\\packed.txt"), GetFileDateByName(cd + "\\packed.txt._z"));
    EXPECT_EQ(ReadBytes(app + "\\readme.txt"), ReadBytes(cd + "\\sub\\00002#readme.txt"));
    EXPECT_EQ(NamesIn(app), (std::set<Text>{"plain.txt", "packed.txt", "readme.txt"}));
    EXPECT_EQ(NamesIn(cd), before);
}

TEST(CopyEngine, SourcesConsumedAfterTheirLastUse) {
    for (bool useCopy : {false, true}) {
        SCOPED_TRACE(useCopy ? "SET_USE_COPY" : "move");
        Place p(useCopy ? "consume_copy" : "consume_move");
        WriteBytes(p.src + "\\twice.txt", "twice");
        Lines lines = {{"SET_SUB_DIR", "<Application Folder>\\a"},
                       {"SET_COPY_FILES", "twice.txt"},
                       {"SET_SUB_DIR", "<Application Folder>\\b"},
                       {"SET_COPY_FILES", "twice.txt"}};
        if (useCopy) lines.insert(lines.begin(), {"SET_USE_COPY", ""});
        TScript s = MakeScript(lines);
        Host h;
        bool afterFirst = false;
        CopyCallbacks cb = h.Callbacks();
        auto report = cb.fileDone;
        cb.fileDone = [&](const FileReport& r) {
            if (h.reports.empty()) afterFirst = Exists(p.src + "\\twice.txt");
            report(r);
        };
        TCopyEngine engine(p.Inputs(s), cb);
        EXPECT_TRUE(engine.CopySelectedComponents());
        EXPECT_TRUE(afterFirst) << "a second row still needs it";
        EXPECT_FALSE(Exists(p.src + "\\twice.txt"));
        EXPECT_EQ(ReadBytes(p.dst + "\\a\\twice.txt"), "twice");
        EXPECT_EQ(ReadBytes(p.dst + "\\b\\twice.txt"), "twice");
    }
}

// Names the script spells in another case than the disk, accented letters too: found in the
// origin tree, and counted as one source by their uses.
TEST(CopyEngine, NamesMatchAsTheFileSystemComparesThem) {
    const Text lower = "r\xE9sum\xE9.txt", upper = "R\xC9SUM\xC9.TXT"; // code page 1252
    Place p("namecase");
    CreateDirectoryA((p.root + "\\cd").c_str(), nullptr);
    CreateDirectoryA((p.root + "\\cd\\files").c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(p.root + "\\cd\\files\\" + upper, "in the tree"));
    ASSERT_TRUE(WriteBytes(p.src + "\\" + upper + "2", "in the engine folder"));
    TScript s = MakeScript({{"SET_SUB_DIR", "<Application Folder>\\a"},
                            {"SET_COPY_FILES", lower + "|" + lower + "2"},
                            {"SET_SUB_DIR", "<Application Folder>\\b"},
                            {"SET_COPY_FILES", upper + "2"}});
    Host h;
    CopyInputs in = p.Inputs(s, "|" + p.root + "\\cd|" + p.root + "\\cd\\files|");
    TCopyEngine engine(in, h.Callbacks());
    EXPECT_TRUE(engine.CopySelectedComponents());
    EXPECT_TRUE(h.errors.empty()) << (h.errors.empty() ? "" : h.errors[0]);
    EXPECT_EQ(ReadBytes(p.dst + "\\a\\" + lower), "in the tree");
    EXPECT_EQ(ReadBytes(p.dst + "\\a\\" + lower + "2"), "in the engine folder");
    EXPECT_EQ(ReadBytes(p.dst + "\\b\\" + upper + "2"), "in the engine folder")
        << "the first use kept the source for the second";
    EXPECT_FALSE(Exists(p.src + "\\" + upper + "2")) << "consumed after its last use";
}

TEST(CopyEngine, QueuesAndPausesFollowWhatHappened) {
    Place p("queues");
    CreateDirectoryA((p.dst + "\\app").c_str(), nullptr);
    WriteBytes(p.dst + "\\app\\kept.dll", "theirs");
    for (const char* n : {"reg.dll", "font.ttf", "kept.dll"}) WriteBytes(p.src + "\\" + n, n);
    // reg.dll registers, font.ttf is a font, kept.dll registers but mode 4 keeps the target.
    // Without music a pause of 10 s per file would stand out on any machine.
    Lines lines = {{"SET_BG_WAVE_FILE_NAME", "music.wav"},
                   {"SET_BG_WAVE_DELAY", "10000"},
                   {"SET_SUB_DIR", "<Application Folder>\\app"},
                   {"SET_COPY_FILES", "2*reg.dll|1073741824*font.ttf|67108866*kept.dll"}};
    TScript s = MakeScript(lines);
    Host h;
    TCopyEngine engine(p.Inputs(s), h.Callbacks());
    DWORD start = GetTickCount();
    EXPECT_TRUE(engine.CopySelectedComponents());
    EXPECT_LT(GetTickCount() - start, 8000u) << "no music playing: no pause";
    EXPECT_EQ(engine.ComFiles(), TextList{p.dst + "\\app\\reg.dll"});
    EXPECT_EQ(engine.FontFiles(), TextList{p.dst + "\\app\\font.ttf"});
    EXPECT_EQ(ReadBytes(p.dst + "\\app\\kept.dll"), "theirs");

    for (const char* n : {"reg.dll", "font.ttf"}) WriteBytes(p.src + "\\" + n, n);
    lines[1].second = "400";
    TScript playing = MakeScript(lines);
    Host music;
    music.music = true;
    start = GetTickCount();
    EXPECT_TRUE(RunCopy(playing, p, music));
    EXPECT_GE(GetTickCount() - start, 800u) << "400 ms after each of the two copied files";
}

// A copy carries its source's date, however it is made: the next update in date mode compares
// with the product's date, not with the day of the installation.
TEST(CopyEngine, CopiesKeepTheSourceDateForTheNextUpdate) {
    for (bool bar : {false, true}) {
        SCOPED_TRACE(bar ? "SET_SHOW_PROG_BAR_2" : "CopyFile");
        Place p(bar ? "dates_bar" : "dates_plain");
        const Text target = p.dst + "\\app\\t.txt";
        Lines lines = {{"SET_USE_COPY", ""},
                       {"SET_OVERWRITE_FLAG", "3"},
                       {"SET_SUB_DIR", "<Application Folder>\\app"},
                       {"SET_COPY_FILES", "t.txt"}};
        if (bar) lines.insert(lines.begin(), {"SET_SHOW_PROG_BAR_2", ""});
        for (const auto& [text, secondsAfter2020] :
             {std::pair<Text, int64_t>{"version 1", 1000}, {"version 2", 5000}}) {
            WriteBytes(p.src + "\\t.txt", text);
            SetWriteTime(p.src + "\\t.txt", secondsAfter2020);
            const uint32_t date = GetFileDateByName(p.src + "\\t.txt");
            TScript s = MakeScript(lines);
            Host h;
            EXPECT_TRUE(RunCopy(s, p, h));
            EXPECT_EQ(h.OutcomeOf("t.txt"), FileOutcome::Installed) << text;
            EXPECT_EQ(ReadBytes(target), text);
            EXPECT_EQ(GetFileDateByName(target), date) << text;
        }
    }
}

TEST(CopyEngine, FailedUninstallWriteStopsBeforeTheFile) {
    Place p("writefail");
    WriteBytes(p.src + "\\one.txt", "1");
    TScript s =
        MakeScript({{"SET_SUB_DIR", "<Application Folder>\\app"}, {"SET_COPY_FILES", "one.txt"}});
    Host h;
    h.failWrites = true;
    EXPECT_FALSE(RunCopy(s, p, h));
    EXPECT_FALSE(Exists(p.dst + "\\app\\one.txt")) << "no file without its undo line";
    EXPECT_TRUE(Exists(p.src + "\\one.txt"));
}

// A Partial setup passes over a missing source that carries the partial bit; others still fail.
TEST(CopyEngine, PartialSetupSkipsFlaggedMissingSources) {
    Place p("partial");
    WriteBytes(p.src + "\\one.txt", "1");
    TScript s = MakeScript({{"SET_SUB_DIR", "<Application Folder>\\app"},
                            {"SET_COPY_FILES", "64*absent.txt|one.txt|absent2.txt"}});
    Host h;
    CopyInputs in = p.Inputs(s);
    in.setupTypeName = "partial";
    TCopyEngine engine(in, h.Callbacks());
    EXPECT_FALSE(engine.CopySelectedComponents());
    EXPECT_EQ(h.OutcomeOf("absent.txt"), FileOutcome::Skipped);
    EXPECT_EQ(ReadBytes(p.dst + "\\app\\one.txt"), "1");
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_NE(h.errors[0].find("absent2.txt"), Text::npos);
    EXPECT_EQ(FileLines(h.log),
              FileLines({"", "Start Copy Directory", "  (" + p.dst + "\\app)",
                         "  Copy File: " + p.dst + "\\app\\one.txt ... OK",
                         "  Copy File: " + p.dst + "\\app\\absent2.txt ... File not Found!"}));
}
