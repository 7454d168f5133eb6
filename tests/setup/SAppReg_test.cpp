// The step before the first product file: header lines, the uninstall engine in place before
// the Add/Remove entry, the registration read back from the registry (and listed by Wine's own
// Add/Remove client), the original-info file. The copy engine is stood in for by a recorder
// that copies and writes the lines the real one writes.
#include "SAppReg.h"

#include "Common.h"
#include "RegOp.h"
#include "SScriptRead.h"
#include "TestEnv.h"
#include "UnScript.h"
#include "UtilPlus.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace zk;

namespace {

const char Product[] = "ZkTest AppReg Demo";
const Text Hklm = "HKEY_LOCAL_MACHINE\\";
const Text EntryKey = Hklm + "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\" + Product;
const Text CacheKey =
    Hklm + "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\" + Product;
const Text CompanyKey = Hklm + "Software\\ZkTestCo";
const Text AppPathKey =
    Hklm + "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\zkappreg_demo.exe";

void DeleteProductKeys() {
    for (const Text& k : {EntryKey, CacheKey, CompanyKey, AppPathKey}) DeleteRegKey(k);
}

Text Value(const Text& key, const Text& name) {
    bool isNumber = false;
    return ReadRegValueAsText(key, name, isNumber);
}

// The copy engine as far as these steps see it: copies, writes its lines, records the call
// and whether the Add/Remove entry already existed then.
struct CopyRecorder {
    TUninstallWriter* writer = nullptr;
    Text failName; // the file whose copy fails
    std::vector<InstallFileRequest> calls;
    std::vector<bool> entryExisted;

    bool operator()(const InstallFileRequest& r) {
        calls.push_back(r);
        entryExisted.push_back(RegKeyExists(EntryKey));
        if (r.removalLines) writer->AddLine(CommandLine("REMOVE_FILE", r.target));
        if (r.serviceLine) writer->AddLine(CommandLine("REMOVE_SERVICE_FILE", r.target));
        if (!failName.empty() && TextEquals(FileNameOfPath(r.source), failName)) return false;
        return CopyFileA(r.source.c_str(), r.target.c_str(), FALSE) != 0;
    }
};

// A scratch installation: engine folder with the files a setup carries, a target folder with
// a blank in its name, the script, the writer and the host.
struct Installation {
    Text root, engine, target, scriptPath;
    TScript script;
    std::unique_ptr<TUninstallWriter> writer;
    CopyRecorder copier;
    InstallHost host;

    Installation(const Text& name, const Text& scriptText) {
        root = zktest::ScratchDir(name);
        engine = root + "\\engine";
        target = root + "\\Program Dir";
        CreateDirectoryA(engine.c_str(), nullptr);
        CreateDirectoryA(target.c_str(), nullptr);
        for (const char* f : {"UnInstall.exe", "ext.dll", "a.dat", "b.dat", "update.exe"})
            zktest::WriteBytes(engine + "\\" + f, Text("payload of ") + f);
        zktest::WriteBytes(engine + "\\info.ini", "[Kept]\r\nOld=1\r\n");
        ReadScriptText(script, scriptText, {});
        SetInstallFolders(target, root + "\\Shared", root + "\\Aux");
        scriptPath = UninstallScriptPath(target, script.GetProgStamp());
        writer = std::make_unique<TUninstallWriter>(script.GetCreateUninstall(),
                                                    script.GetScrambleUninstall(),
                                                    [this] { return scriptPath; });
        copier.writer = writer.get();
        host.script = &script;
        host.uninstall = writer.get();
        host.engineDir = engine;
        host.targetDir = target;
        host.sharedDir = root + "\\Shared";
        host.auxiliaryDir = root + "\\Aux";
        host.requiredSpace = 123456;
        host.installFile = [this](const InstallFileRequest& r) { return copier(r); };
    }
    ~Installation() {
        writer.reset();
        zktest::RemoveScratch(root);
        DeleteProductKeys();
    }
    TextList Lines() {
        writer->Close();
        return SplitLines(zktest::ReadBytes(writer->Path()));
    }
};

const char BaseScript[] =
    "SET_PROG_NAME(ZkTest AppReg Demo)\r\n"
    "SET_PROG_VERSION(2.5)\r\n"
    "SET_COMPANY_NAME(ZkTestCo)\r\n"
    "SET_COMPANY_URL(http://example.com/)\r\n"
    "SET_PROG_EXE_NAME(<InstallDir>zkappreg_demo.exe)\r\n"
    "SET_CREATE_UNINSTALL(1)\r\n"
    "SET_REGISTER_AS_APPLICATION(1)\r\n"
    "SET_EXECUTION_DLL_NAME(ext.dll)\r\n"
    "SET_DELIVERY_FILES(a.dat| b.dat)\r\n"
    "SET_ORIGINAL_INFO_FILE_NAME(info.ini)\r\n"
    "SET_AUTO_UPDATE_EXE_FILE_NAME(update.exe)\r\n"
    "SET_PERFORM_INIFILE_OP(<Application Folder>demo.ini|S|K|V|Create|Remove)\r\n";

} // namespace

TEST(AppRegistration, UninstallerInPlaceBeforeTheEntryAndRegistrationReadsBack) {
    DeleteProductKeys();
    Installation inst("appreg_base", BaseScript);
    ASSERT_TRUE(WriteUninstallHeader(inst.host));
    TOriginalInfoFile info;
    ASSERT_TRUE(WriteAppRegistrationAndInfo(inst.host, info));

    // The engine's own files, in order, and the uninstall engine before the entry.
    const Text engineExe = inst.target + "\\UnInstall.exe";
    ASSERT_EQ(inst.copier.calls.size(), 6u);
    const auto& calls = inst.copier.calls;
    EXPECT_EQ(calls[0].target, engineExe);
    EXPECT_TRUE(calls[0].force && !calls[0].keepSource && !calls[0].removalLines);
    EXPECT_FALSE(inst.copier.entryExisted[0]) << "the entry came before its program";
    EXPECT_TRUE(zktest::Exists(engineExe));
    EXPECT_EQ(calls[1].target, inst.target + "\\ext.dll");
    EXPECT_TRUE(calls[1].serviceLine && calls[1].keepSource);
    EXPECT_EQ(calls[2].target, inst.target + "\\a.dat");
    EXPECT_EQ(calls[3].target, inst.target + "\\b.dat");
    EXPECT_EQ(calls[4].target, inst.target + "\\info.ini");
    EXPECT_TRUE(calls[4].removalLines && !calls[4].keepSource);
    EXPECT_EQ(calls[5].target, inst.target + "\\update.exe");

    // The Add/Remove entry and its neighbours, as Windows reads them.
    EXPECT_EQ(Value(EntryKey, "DisplayName"), Product);
    EXPECT_EQ(Value(EntryKey, "UnInstallString"), "\"" + engineExe + "\"");
    EXPECT_EQ(Value(EntryKey, "DisplayVersion"), "2.5");
    EXPECT_EQ(Value(EntryKey, "Publisher"), "ZkTestCo");
    EXPECT_EQ(Value(EntryKey, "UrlInfoAbout"), "http://example.com/");
    EXPECT_EQ(Value(EntryKey, "UserCount"), "1");
    EXPECT_TRUE(RegValueExists(CacheKey, "SlowInfoCache"));
    EXPECT_TRUE(RegKeyExists(CompanyKey + "\\ZkTest AppReg Demo\\2.5"));
    EXPECT_EQ(Value(AppPathKey, ""), inst.target + "\\zkappreg_demo.exe");
    EXPECT_EQ(Value(AppPathKey, "Path"), inst.target);
    const std::string listed = zktest::RunCapture("uninstaller.exe --list");
    EXPECT_NE(listed.find(Product), std::string::npos) << listed;

    // The script as the uninstaller reads it.
    const TextList lines = inst.Lines();
    EXPECT_EQ(GetScriptValue(lines, "PROG_NAME"), Product);
    EXPECT_EQ(GetScriptValue(lines, "CONFIRM_CAPTION"), "Confirm");
    EXPECT_EQ(GetScriptValue(lines, "LABEL1"), "Shared program files...");
    EXPECT_EQ(GetScriptValue(lines, "GET_PROG_EXE_NAME"), inst.target + "\\zkappreg_demo.exe");
    const UninstallWorkLists work = ParseUninstallScript(lines);
    EXPECT_EQ(work[WorkList::RegKey],
              (TextList{EntryKey, CacheKey, CompanyKey + "\\ZkTest AppReg Demo", AppPathKey}));
    EXPECT_EQ(work[WorkList::EmptyRegKey], (TextList{CompanyKey})) << "made for the product key";
    EXPECT_EQ(
        work[WorkList::ServiceFile],
        (TextList{inst.target + "\\ext.dll", inst.target + "\\a.dat", inst.target + "\\b.dat"}));
    EXPECT_EQ(work[WorkList::File], (TextList{inst.scriptPath, inst.target + "\\info.ini",
                                              inst.target + "\\update.exe"}));
    EXPECT_EQ(work[WorkList::IniFileOp],
              (TextList{"|" + inst.target + "\\demo.ini|S|K|V|Create|Remove|"}));
    EXPECT_EQ(work.executionDllName, "ext.dll");

    // The original-info file: the package's copy, kept values and the new ones.
    ASSERT_EQ(info.Path(), inst.target + "\\info.ini");
    const struct {
        const char *section, *key;
        Text value;
    } values[] = {
        {"Kept", "Old", "1"},
        {"Directories", "TargetDir", inst.target},
        {"Directories", "AuxiliaryDir", inst.root + "\\Aux"},
        {"UnInstall", "Txt", inst.scriptPath},
        {"UnInstall", "Exe", engineExe},
        {"MsgBox", "BtnText", "|OK|Cancel|Yes|No|Abort|Retry|Ignore|"},
        {"MsgBox", "CharSet", "0"},
        {"AutoUpdate", "s1", "Auto Update"},
        {"AutoUpdate", "s24", "&Close"},
        {"AutoUpdate", "s18", "(none)"},
    };
    for (const auto& v : values)
        EXPECT_EQ(IniReadString(info.Path(), v.section, v.key, "(none)"), v.value) << v.key;
    EXPECT_TRUE(info.WriteValue(inst.host, "UnInstall", "StartUpLink", "x.lnk"));
}

TEST(AppRegistration, FailedUninstallerCopyWritesNoEntry) {
    DeleteProductKeys();
    Installation inst("appreg_fail", BaseScript);
    inst.copier.failName = "UnInstall.exe";
    EXPECT_FALSE(WriteUninstallHeader(inst.host));
    EXPECT_FALSE(RegKeyExists(EntryKey));
    EXPECT_FALSE(RegKeyExists(CacheKey));
    ASSERT_EQ(inst.copier.calls.size(), 1u) << "nothing is installed after the failed engine";
    const UninstallWorkLists work = ParseUninstallScript(inst.Lines());
    EXPECT_TRUE(work[WorkList::RegKey].empty());
    EXPECT_EQ(work[WorkList::IniFileOp].size(), 1u) << "the rows are recorded still";
}

TEST(AppRegistration, WithoutProductNameOrScript) {
    DeleteProductKeys();
    {
        // No product name: no entry and no uninstall engine.
        Installation inst("appreg_noname", "SET_CREATE_UNINSTALL(1)\r\n"
                                           "SET_PERFORM_ENVIRONMENT_OP(ZKX|1|Create|Remove|0)\r\n"
                                           "SET_PERFORM_REGISTRY_OP(HKEY_CURRENT_USER\\x|V|D|"
                                           "Create|RemoveKey|String)\r\n"
                                           "SET_ORIGINAL_INFO_FILE_NAME(missing.ini)\r\n");
        ASSERT_TRUE(WriteUninstallHeader(inst.host));
        TOriginalInfoFile info;
        EXPECT_TRUE(WriteAppRegistrationAndInfo(inst.host, info));
        EXPECT_TRUE(inst.copier.calls.empty());
        EXPECT_TRUE(info.Path().empty()) << "no info file in the engine folder: no values";
        EXPECT_FALSE(zktest::Exists(inst.target + "\\missing.ini"));
        const UninstallWorkLists work = ParseUninstallScript(inst.Lines());
        EXPECT_TRUE(work[WorkList::EnvironmentOp].empty()) << "recorded when performed";
        EXPECT_TRUE(work[WorkList::RegKey].empty());
        EXPECT_EQ(work[WorkList::RegistryOp].size(), 1u) << "the rows are recorded still";
    }
    {
        // The script cannot be written: the step fails before any registration.
        Installation inst("appreg_noscript", BaseScript);
        inst.scriptPath = inst.root + "\\gone\\UnInstall.txt";
        EXPECT_FALSE(WriteUninstallHeader(inst.host));
        EXPECT_TRUE(inst.writer->Failed());
        EXPECT_TRUE(inst.copier.calls.empty());
        EXPECT_FALSE(RegKeyExists(EntryKey));
    }
    {
        // Writing the script disabled: nothing at all.
        Installation inst("appreg_off", "SET_PROG_NAME(ZkTest AppReg Demo)\r\n");
        EXPECT_TRUE(WriteUninstallHeader(inst.host));
        EXPECT_FALSE(RegKeyExists(EntryKey));
        EXPECT_FALSE(zktest::Exists(inst.scriptPath));
    }
}

// App Paths names one program per file name: another program's entry stays as it is, with no
// line to remove it; the product's own (a second installation) is written again. Every key's
// line comes first: a line that cannot be written leaves the key unmade.
TEST(AppRegistration, AnotherProgramsAppPathStaysAndNoKeyComesWithoutItsLine) {
    const Text other = "C:\\OtherVendor\\zkappreg_demo.exe";
    const struct {
        const char* name;
        Text before; // App Paths default before the run ("": no entry)
        bool ours;
    } cases[] = {{"none", "", true}, {"another's", other, false}, {"ours", "%T%", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteProductKeys();
        Installation inst("appreg_apppath", BaseScript);
        TextList log;
        inst.host.addSetupLogLine = [&](const Text& line) { log.push_back(line); };
        const Text program = inst.target + "\\zkappreg_demo.exe";
        const Text before = ReplaceAll(c.before, "%T%", program);
        if (!before.empty()) {
            ASSERT_TRUE(WriteRegValue(AppPathKey, "", before, false));
        }
        TOriginalInfoFile info;
        ASSERT_TRUE(WriteAppRegistrationAndInfo(inst.host, info));
        EXPECT_EQ(Value(AppPathKey, ""), c.ours ? program : other);
        const UninstallWorkLists work = ParseUninstallScript(inst.Lines());
        const TextList& keys = work[WorkList::RegKey];
        EXPECT_EQ(std::count(keys.begin(), keys.end(), AppPathKey), c.ours ? 1 : 0);
        const Text note = "App Paths: zkappreg_demo.exe names " + other + ", left as it is";
        EXPECT_EQ(std::count(log.begin(), log.end(), note), c.ours ? 0 : 1);
    }

    DeleteProductKeys();
    Installation inst("appreg_lost", BaseScript);
    inst.scriptPath = inst.root + "\\gone\\UnInstall.txt";
    TOriginalInfoFile info;
    EXPECT_FALSE(WriteAppRegistrationAndInfo(inst.host, info));
    EXPECT_FALSE(RegKeyExists(CompanyKey));
    EXPECT_FALSE(RegKeyExists(AppPathKey));
}

TEST(AppRegistration, StampedScriptAndEngineNames) {
    DeleteProductKeys();
    Installation inst("appreg_stamp", Text(BaseScript) + "SET_PROG_STAMP(v2)\r\n");
    ASSERT_TRUE(WriteUninstallHeader(inst.host));
    const Text engine = inst.target + "\\UnInstall_v2.exe";
    EXPECT_EQ(inst.writer->Path(), inst.target + "\\UnInstall_v2.txt");
    ASSERT_FALSE(inst.copier.calls.empty());
    EXPECT_EQ(inst.copier.calls[0].source, inst.engine + "\\UnInstall.exe");
    EXPECT_EQ(inst.copier.calls[0].target, engine);
    EXPECT_EQ(Value(EntryKey, "UnInstallString"), "\"" + engine + "\"");
    EXPECT_EQ(ParseUninstallScript(inst.Lines())[WorkList::File].front(),
              inst.target + "\\UnInstall_v2.txt");
}
