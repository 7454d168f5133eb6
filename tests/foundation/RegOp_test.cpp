#include "RegOp.h"
#include "Handles.h"
#include "RegSnapshot.h"
#include "TestEnv.h"
#include "UtilPlus.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using namespace zk;
using namespace std::string_literals;

namespace {

// Raw platform access, so that the functions under test are not checked by themselves.
void RawSet(const std::string& path, const char* name, DWORD type, const std::string& data) {
    UniqueKey key = CreateRegPath(path, KEY_SET_VALUE);
    ASSERT_TRUE(key) << path;
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

void RawSetString(const std::string& path, const char* name, const std::string& text) {
    RawSet(path, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

void RawSetDword(const std::string& path, const char* name, DWORD v) {
    RawSet(path, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&v), 4));
}

// Type and bytes of a value; type 0 when it is missing.
std::pair<DWORD, std::string> RawGet(const std::string& path, const std::string& name) {
    UniqueKey key = OpenRegPath(path, KEY_QUERY_VALUE);
    DWORD type = 0;
    std::string data;
    if (!key || !RegReadRaw(key.get(), name, type, data)) return {0, ""};
    return {type, data};
}

std::string Sz(const std::string& text) {
    return std::string(text.c_str(), text.size() + 1);
}

std::string Dw(DWORD v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

bool RawKeyExists(const std::string& path) {
    return static_cast<bool>(OpenRegPath(path, KEY_READ));
}

} // namespace

// ---------------------------------------------------------------- generic access

TEST(RegAccess, KeyAndValueExistence) {
    const std::string k = zktest::ScratchKey("RegOpExist");
    RawSetString(k + "\\Sub", "There", "x");
    RawSetString(k + "\\Sub", "", "default");
    EXPECT_TRUE(RegKeyExists(k + "\\Sub"));
    EXPECT_TRUE(RegKeyExists(k + "\\sub")); // registry names ignore case
    EXPECT_FALSE(RegKeyExists(k + "\\Missing"));
    EXPECT_TRUE(RegValueExists(k + "\\Sub", "There"));
    EXPECT_TRUE(RegValueExists(k + "\\Sub", ""));
    EXPECT_FALSE(RegValueExists(k + "\\Sub", "Absent"));
    EXPECT_FALSE(RegValueExists(k + "\\Missing", "There"));
    DeleteRegKey(k);
}

TEST(RegAccess, ReadAsTextByType) {
    const std::string k = zktest::ScratchKey("RegOpRead");
    struct Case {
        const char* name;
        DWORD type;
        std::string data;
        const char* text;
        bool isNumber;
    } cases[] = {
        {"dword", REG_DWORD, Dw(42), "42", true},
        {"dwordHigh", REG_DWORD, Dw(0xFFFFFFFFu), "4294967295", true},
        {"sz", REG_SZ, Sz("C:\\Tools"), "C:\\Tools", false},
        {"expand", REG_EXPAND_SZ, Sz("%SystemRoot%\\x"), "%SystemRoot%\\x", false},
        {"binary", REG_BINARY, std::string("\x41\x42\0", 3), "", false},
        {"multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5), "", false},
        {"shortDword", REG_DWORD, "\x01\x02", "", false},
    };
    for (const Case& c : cases) RawSet(k, c.name, c.type, c.data);
    for (const Case& c : cases) {
        bool isNumber = !c.isNumber;
        EXPECT_EQ(ReadRegValueAsText(k, c.name, isNumber), c.text) << c.name;
        EXPECT_EQ(isNumber, c.isNumber) << c.name;
    }
    bool isNumber = true;
    EXPECT_EQ(ReadRegValueAsText(k, "absent", isNumber), "");
    EXPECT_FALSE(isNumber) << "the key exists: isNumber is set";
    isNumber = true;
    EXPECT_EQ(ReadRegValueAsText(k + "\\Missing", "dword", isNumber), "");
    EXPECT_TRUE(isNumber) << "a missing key leaves isNumber alone";
    DeleteRegKey(k);
}

TEST(RegAccess, WriteValueAsTextOrNumber) {
    const std::string k = zktest::ScratchKey("RegOpWrite");
    struct Case {
        const char* text;
        bool asNumber;
        DWORD type;
        std::string data;
    } cases[] = {
        {"hello", false, REG_SZ, Sz("hello")},
        {"", false, REG_SZ, Sz("")},
        {"42", true, REG_DWORD, Dw(42)},
        {" 7 ", true, REG_DWORD, Dw(7)},
        {"4294967295", true, REG_DWORD, Dw(0xFFFFFFFFu)},
        {"-1", true, REG_DWORD, Dw(0xFFFFFFFFu)},
        {"abc", true, REG_DWORD, Dw(0)},
        {"12x", true, REG_DWORD, Dw(0)},
        {"4294967296", true, REG_DWORD, Dw(0)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteRegValue(k + "\\New\\Deeper", "v", c.text, c.asNumber)) << c.text;
        auto [type, data] = RawGet(k + "\\New\\Deeper", "v");
        EXPECT_EQ(type, c.type) << c.text;
        EXPECT_EQ(data, c.data) << c.text;
    }
    DeleteRegKey(k);
}

TEST(RegAccess, DeleteKeyRemovesTheTreeAndNothingBeside) {
    const std::string k = zktest::ScratchKey("RegOpDelete");
    RawSetString(k + "\\Canary", "alive", "1");
    RawSetString(k + "\\Target", "", "x");
    RawSetString(k + "\\Target\\A\\B\\C", "deep", "y");
    RawSetDword(k + "\\Target\\A2", "n", 3);
    RawSetString(k + "\\TargetTwin", "alive", "1"); // shares the prefix

    EXPECT_TRUE(DeleteRegKey(k + "\\Target"));
    EXPECT_FALSE(RawKeyExists(k + "\\Target"));
    EXPECT_TRUE(RawKeyExists(k + "\\TargetTwin"));
    EXPECT_TRUE(RawKeyExists(k + "\\Canary"));

    EXPECT_TRUE(DeleteRegKey(k + "\\Target")) << "a missing key counts as removed";
    EXPECT_TRUE(DeleteRegKey(k + "\\Never\\There"));

    RawSetString(k + "\\Slash\\Inner", "v", "1");
    EXPECT_TRUE(DeleteRegKey(k + "\\Slash\\")) << "a trailing backslash names the same key";
    EXPECT_FALSE(RawKeyExists(k + "\\Slash"));

    // Without "HKEY_" the text is a subkey of the current user.
    RawSetString(k + "\\Short", "v", "1");
    EXPECT_TRUE(DeleteRegKey(k.substr(std::string("HKEY_CURRENT_USER\\").size()) + "\\Short"));
    EXPECT_FALSE(RawKeyExists(k + "\\Short"));
    EXPECT_TRUE(RawKeyExists(k + "\\Canary"));

    // A child whose name has no ANSI form cannot be reached: the delete fails, and ends.
    HKEY odd;
    ASSERT_EQ(
        RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\ZkTest\\RegOpDelete\\Odd\\\u4e2d\u6587", &odd),
        ERROR_SUCCESS);
    RegCloseKey(odd);
    EXPECT_FALSE(DeleteRegKey(k + "\\Odd"));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZkTest\\RegOpDelete\\Odd\\\u4e2d\u6587");
    EXPECT_TRUE(DeleteRegKey(k));
    EXPECT_FALSE(RawKeyExists(k));
}

TEST(RegAccess, DeleteKeyRefusesAWholeRoot) {
    const std::string k = zktest::ScratchKey("RegOpRefuse");
    RawSetString(k, "alive", "1");
    const char* paths[] = {"HKEY_CURRENT_USER\\",
                           "HKEY_CURRENT_USER\\\\\\",
                           "hkey_current_user\\ \\",
                           "",
                           "\\",
                           "  \\\\  ",
                           "HKEY_LOCAL_MACHINE\\",
                           "HKEY_CLASSES_ROOT\\\\"};
    for (const char* p : paths) {
        // The guard first, so that a broken guard never reaches the live call below.
        HKEY root;
        std::string subkey;
        SplitRegPath(p, root, subkey);
        ASSERT_TRUE(IsRootOnlySubkey(subkey)) << "'" << p << "'";
        EXPECT_FALSE(DeleteRegKey(p)) << "'" << p << "'";
    }
    EXPECT_EQ(RawGet(k, "alive").second, Sz("1"));
    EXPECT_TRUE(RawKeyExists("HKEY_CURRENT_USER\\Software"));
    DeleteRegKey(k);
}

TEST(RegAccess, TypedWritesAndValueDeletes) {
    const std::string k = zktest::ScratchKey("RegOpTyped");
    struct Case {
        const char* name;
        const char* data;
        const char* type;
        bool ok;
        DWORD storedType; // 0: nothing stored
        std::string stored;
        const char* storedName;
    } cases[] = {
        {"s", "C:\\App\\", "String", true, REG_SZ, Sz("C:\\App\\"), "s"},
        {"s2", "x", "STRING", true, REG_SZ, Sz("x"), "s2"},
        {"i", "42", "Integer", true, REG_DWORD, Dw(42), "i"},
        {"iBad", "abc", "integer", true, REG_DWORD, Dw(0), "iBad"},
        {"h", "00,1f,A0", "Hex", true, REG_BINARY, std::string("\x00\x1f\xa0", 3), "h"},
        {"hEmpty", "", "Hex", true, REG_BINARY, "", "hEmpty"},
        {"hOdd", "0a,f", "Hex", false, 0, "", "hOdd"},
        {"hBlank", "0a, ff", "Hex", false, 0, "", "hBlank"},
        {"hWord", "0a,fg", "Hex", false, 0, "", "hWord"},
        {"hTrail", "0a,", "Hex", false, 0, "", "hTrail"},
        {"hLong", "0a1", "Hex", false, 0, "", "hLong"},
        {"u", "x", "Float", true, 0, "", "u"},
        {"(default)", "dflt", "String", true, REG_SZ, Sz("dflt"), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WriteRegValueTyped(k + "\\T", c.name, c.data, c.type), c.ok) << c.name;
        auto [type, data] = RawGet(k + "\\T", c.storedName);
        EXPECT_EQ(type, c.storedType) << c.name;
        EXPECT_EQ(data, c.stored) << c.name;
    }
    EXPECT_TRUE(WriteRegValueTyped(k + "\\OnlyKey", "v", "1", "nothing"));
    EXPECT_TRUE(RawKeyExists(k + "\\OnlyKey")) << "an unknown type still creates the key";

    EXPECT_TRUE(DeleteRegValue(k + "\\T", "s"));
    EXPECT_EQ(RawGet(k + "\\T", "s").first, 0u);
    EXPECT_EQ(RawGet(k + "\\T", "s2").second, Sz("x"));
    EXPECT_TRUE(DeleteRegValue(k + "\\T", "(Default)"));
    EXPECT_EQ(RawGet(k + "\\T", "").first, 0u) << "(Default) names the default value here too";
    EXPECT_TRUE(DeleteRegValue(k + "\\T", "s")) << "a missing value counts as removed";
    EXPECT_TRUE(DeleteRegValue(k + "\\Missing", "s")) << "so does a missing key";
    EXPECT_TRUE(RawKeyExists(k + "\\T")) << "a value delete keeps the key";
    DeleteRegKey(k);
}

// ---------------------------------------------------------------- product registration

namespace {

const std::string Hklm = "HKEY_LOCAL_MACHINE\\";
const std::string UninstallRoot = Hklm + UninstallKey + "\\";
const std::string ArpRoot =
    Hklm + "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\";
const std::string AppPathsRoot = Hklm + "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::string Fixture(const char* name) {
    return zktest::BinDir() + "\\" + name;
}

// The "name=value" lines a fixture printed.
std::map<std::string, std::string> Lines(const std::string& out) {
    std::map<std::string, std::string> m;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos) end = out.size();
        std::string line = out.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (eq != std::string::npos) m[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    return m;
}

// Runs a copy of zkregop.exe that Wine takes for the given Windows version.
std::map<std::string, std::string> RunRegOpTool(const std::string& version, const std::string& args,
                                                const char* environment = nullptr) {
    const std::string dir = zktest::ScratchDir("RegOpTool_" + version);
    const std::string exeName = "zkregop_" + version + ".exe", exe = dir + "\\" + exeName;
    const std::string defaults = "HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\" + exeName;
    std::map<std::string, std::string> out;
    if (CopyFileA(Fixture("zkregop.exe").c_str(), exe.c_str(), FALSE) &&
        RegPathWriteString(defaults, "Version", version))
        out = Lines(zktest::RunCapture("\"" + exe + "\" " + args, nullptr, environment));
    else
        ADD_FAILURE() << "cannot run " << exe << ": " << GetLastError();
    DeleteRegKey(defaults);
    zktest::RemoveScratch(dir);
    return out;
}

} // namespace

TEST(ProductRegistration, UninstallEntryValuesAsWritten) {
    const std::string name = "ZkTest RegOp Product", key = UninstallRoot + name;
    DeleteRegKey(key);
    ASSERT_EQ(WriteUninstallEntry(name, "C:\\Program Files\\ZkTest\\UnInstall.exe", "1.2",
                                  "http://zk.example/", "C:\\Setup Source\\Setup.exe", "Zk Maker"),
              key);
    const std::pair<const char*, std::string> values[] = {
        {"DisplayName", Sz(name)},
        {"UnInstallString", Sz("\"C:\\Program Files\\ZkTest\\UnInstall.exe\"")},
        {"DisplayVersion", Sz("1.2")},
        {"Publisher", Sz("Zk Maker")},
        {"ModifyPath", Sz("\"C:\\Setup Source\\Setup.exe\"")},
        {"UrlInfoAbout", Sz("http://zk.example/")}};
    for (const auto& [value, data] : values) {
        EXPECT_EQ(RawGet(key, value).first, static_cast<DWORD>(REG_SZ)) << value;
        EXPECT_EQ(RawGet(key, value).second, data) << value;
    }
    EXPECT_EQ(RawGet(key, "UserCount"), std::make_pair(DWORD(REG_DWORD), Dw(1)));

    EXPECT_EQ(FindUninstallKeyByDisplayName("zktest regop PRODUCT"), name);
    EXPECT_EQ(GetUninstallString(name), "C:\\Program Files\\ZkTest\\UnInstall.exe")
        << "readers get the path without its quotes";
    EXPECT_EQ(GetUninstallString("ZkTest RegOp Nowhere"), "");
    EXPECT_TRUE(DeleteRegKey(key));

    // Empty version and publisher are still written; empty url and modify path are not; a
    // path without blanks stays unquoted.
    ASSERT_EQ(WriteUninstallEntry(name, "C:\\Zk\\UnInstall.exe", "", "", "", ""), key);
    EXPECT_EQ(RawGet(key, "DisplayVersion").second, Sz(""));
    EXPECT_EQ(RawGet(key, "Publisher").second, Sz(""));
    EXPECT_EQ(RawGet(key, "UnInstallString").second, Sz("C:\\Zk\\UnInstall.exe"));
    EXPECT_EQ(RawGet(key, "UrlInfoAbout").first, 0u);
    EXPECT_EQ(RawGet(key, "ModifyPath").first, 0u);
    EXPECT_TRUE(DeleteRegKey(key));

    EXPECT_EQ(WriteUninstallEntry("", "C:\\Zk\\UnInstall.exe", "1", "", "", ""), "");
    EXPECT_EQ(WriteUninstallEntry(name, "", "1", "", "", ""), "");
    EXPECT_FALSE(RawKeyExists(key));
}

TEST(ProductRegistration, ListedByTheSystemsOwnUninstaller) {
    const std::string name = "ZkTest RegOp Listed", key = UninstallRoot + name;
    const std::string list = "C:\\windows\\system32\\uninstaller.exe --list";
    DeleteRegKey(key);
    ASSERT_EQ(WriteUninstallEntry(name, "C:\\Program Files\\ZkTest\\UnInstall.exe", "3.1", "", "",
                                  "Zk Maker"),
              key);
    const std::string listed = zktest::RunCapture(list);
    EXPECT_NE(listed.find("|||" + name), std::string::npos) << listed;
    EXPECT_TRUE(DeleteRegKey(key));
    EXPECT_EQ(zktest::RunCapture(list).find(name), std::string::npos);
}

TEST(ProductRegistration, ArpCacheRecordOnlyWhereWanted) {
    const std::string name = "ZkTest RegOp Cache", key = ArpRoot + name;
    DeleteRegKey(key);
    EXPECT_EQ(WriteArpCacheEntry(name, "C:\\Zk\\app.exe", 0), "") << "size 0 writes nothing";
    EXPECT_EQ(WriteArpCacheEntry("", "C:\\Zk\\app.exe", 5), "");
    EXPECT_EQ(WriteArpCacheEntry(name, "", 5), "");
    EXPECT_FALSE(RawKeyExists(key));

    ASSERT_EQ(WriteArpCacheEntry(name, "C:\\Zk\\app.exe", 123456789012LL), key);
    EXPECT_EQ(RawGet(key, "Changed"), std::make_pair(DWORD(REG_DWORD), Dw(0)));
    auto [type, record] = RawGet(key, "SlowInfoCache");
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(record.size(), 552u);
    int64_t size;
    memcpy(&size, record.data() + 8, 8);
    EXPECT_EQ(size, 123456789012LL);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uint64_t stamp, nowValue = uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    memcpy(&stamp, record.data() + 16, 8);
    EXPECT_LE(nowValue - stamp, 600000000ull) << "last used is the current UTC time";
    EXPECT_EQ(record.substr(28, 30),
              std::string("C\0:\0\\\0Z\0k\0\\\0a\0p\0p\0.\0e\0x\0e\0\0\0", 30));
    EXPECT_TRUE(DeleteRegKey(key));

    // A path longer than the record holds is not cut to another file's name.
    EXPECT_EQ(WriteArpCacheEntry(name, "C:\\" + std::string(300, 'a') + ".exe", 5), "");
    EXPECT_FALSE(RawKeyExists(key));

    struct Case {
        const char* version;
        bool written;
    } versions[] = {{"nt40", false}, {"win98", false}, {"win2k", true}, {"winxp", true}};
    for (const Case& c : versions) {
        auto out = RunRegOpTool(c.version, "arp \"" + name + "\" C:\\Zk\\app.exe 5");
        EXPECT_EQ(out["path"], c.written ? key : "") << c.version << " " << out["windows"];
        EXPECT_EQ(RawKeyExists(key), c.written) << c.version;
        DeleteRegKey(key);
    }
}

TEST(ProductRegistration, ProductKeyRemovesOnlyWhatItCreated) {
    const std::string company = Hklm + "Software\\ZkTest RegOp Maker";
    DeleteRegKey(company);
    // The first install creates the product level: its removal takes the product away.
    const std::string first = CreateProductKey("ZkTest RegOp Maker", "Tool", "1.0");
    EXPECT_EQ(first, company + "\\Tool");
    EXPECT_TRUE(RawKeyExists(company + "\\Tool\\1.0"));
    // A second version beside it gets its own level only, and leaves the first one alone.
    const std::string second = CreateProductKey("ZkTest RegOp Maker", "Tool", "2.0");
    EXPECT_EQ(second, company + "\\Tool\\2.0");
    EXPECT_TRUE(DeleteRegKey(second));
    EXPECT_TRUE(RawKeyExists(company + "\\Tool\\1.0"));
    EXPECT_TRUE(DeleteRegKey(first));
    EXPECT_FALSE(RawKeyExists(company + "\\Tool"));
    for (auto [c, p, v] : {std::tuple{"", "Tool", "1"},
                           {"ZkTest RegOp Maker", "", "1"},
                           {"ZkTest RegOp Maker", "Tool", ""}})
        EXPECT_EQ(CreateProductKey(c, p, v), "");
    EXPECT_FALSE(RawKeyExists(company + "\\Tool"));

    EXPECT_EQ(WriteUserInfoKey("ZkTest RegOp Maker\\", "\\Tool", "1.0\\", "Ann", ""),
              company + "\\Tool\\1.0");
    EXPECT_EQ(RawGet(company + "\\Tool\\1.0", "Name").second, Sz("Ann"));
    EXPECT_EQ(RawGet(company + "\\Tool\\1.0", "Company").first, 0u) << "empty: not written";
    EXPECT_EQ(WriteUserInfoKey("ZkTest RegOp Maker", "Tool", "1.0", "", "Zk Ltd"),
              company + "\\Tool\\1.0");
    EXPECT_EQ(RawGet(company + "\\Tool\\1.0", "Company").second, Sz("Zk Ltd"));
    EXPECT_EQ(RawGet(company + "\\Tool\\1.0", "Name").second, Sz("Ann"));
    EXPECT_EQ(WriteUserInfoKey("ZkTest RegOp Maker", "", "1.0", "Ann", "Zk"), "");
    EXPECT_TRUE(DeleteRegKey(company));
}

TEST(ProductRegistration, AppPathsAndTheirLookups) {
    struct Case {
        const char* program;
        const char* file;
        const char* folder;
    } cases[] = {
        {"C:\\zkregopapp.exe", "zkregopapp.exe", "C:"},
        {"C:\\Program Files\\Zk\\zkregopapp2.exe", "zkregopapp2.exe", "C:\\Program Files\\Zk"}};
    for (const Case& c : cases) {
        const std::string key = AppPathsRoot + c.file;
        DeleteRegKey(key);
        ASSERT_EQ(RegisterAppPath(c.program), key);
        EXPECT_EQ(RawGet(key, "").second, Sz(c.program));
        EXPECT_EQ(RawGet(key, "Path").second, Sz(c.folder));
        EXPECT_EQ(GetAppPath(c.file), c.program);
        EXPECT_EQ(GetAppDirectory(c.file), c.folder);
        EXPECT_TRUE(DeleteRegKey(key));
        EXPECT_EQ(GetAppPath(c.file), "");
        EXPECT_FALSE(RawKeyExists(key)) << "a lookup creates nothing";
    }
    EXPECT_EQ(RegisterAppPath(""), "");
    EXPECT_EQ(GetAppPath(""), "");
    // Written by another installer in quotes: path and folder come without them.
    const std::string quoted = AppPathsRoot + "zkregopapp3.exe";
    for (const char* stored :
         {"\"C:\\Program Files\\Zk\\app.exe\"", "\"C:\\Program Files\\Zk\\app.exe\" /x"}) {
        RawSetString(quoted, "", stored);
        EXPECT_EQ(GetAppPath("zkregopapp3.exe"), "C:\\Program Files\\Zk\\app.exe") << stored;
        EXPECT_EQ(GetAppDirectory("zkregopapp3.exe"), "C:\\Program Files\\Zk") << stored;
    }
    DeleteRegKey(quoted);
}

TEST(ProductRegistration, RegisteredOwnerOfEitherFamily) {
    // 9x keeps them under "Windows", the NT family under "Windows NT"; the sandbox has them
    // empty, if at all.
    const std::string nt = Hklm + "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    const std::string nine = Hklm + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    std::vector<std::tuple<std::string, const char*, std::pair<DWORD, std::string>>> saved;
    for (const std::string& k : {nt, nine})
        for (const char* v : {"RegisteredOwner", "RegisteredOrganization"})
            saved.emplace_back(k, v, RawGet(k, v));
    RawSetString(nt, "RegisteredOwner", "ZkTest Owner");
    RawSetString(nt, "RegisteredOrganization", "ZkTest Org");
    RawSetString(nine, "RegisteredOwner", "");
    RegPathDeleteValue(nine, "RegisteredOrganization");
    EXPECT_EQ(GetRegisteredOwner(), "ZkTest Owner");
    EXPECT_EQ(GetRegisteredOrganization(), "ZkTest Org");
    RawSetString(nine, "RegisteredOwner", "ZkTest Owner 9x");
    EXPECT_EQ(GetRegisteredOwner(), "ZkTest Owner 9x");
    for (const auto& [k, v, value] : saved) {
        if (value.first)
            RawSet(k, v, value.first, value.second);
        else
            RegPathDeleteValue(k, v);
    }
}

// ---------------------------------------------------------------- registry and INI rows

TEST(RegistryRows, EveryKindUndoesItselfExactly) {
    const std::string k = zktest::ScratchKey("RegOpRows");
    RawSetString(k + "\\Existing", "keep", "1");
    RawSetString(k + "\\Existing", "", "old default");
    struct Case {
        std::string row;
        const char* value; // what the install leaves in place
        DWORD type;
        std::string data;
    } cases[] = {
        {"|" + k + "\\Existing|s|C:\\App\\|Create|Remove|String|", "s", REG_SZ, Sz("C:\\App\\")},
        {"|" + k + "\\Existing|n|42|create|REMOVE VALUE|integer|", "n", REG_DWORD, Dw(42)},
        {"|" + k + "\\Existing|h|00,1f,A0|Create|Remove Value|Hex|", "h", REG_BINARY,
         std::string("\x00\x1f\xa0", 3)},
        {"|" + k + "\\New|v|x|Create|Remove Key|String|", "v", REG_SZ, Sz("x")},
    };
    for (const Case& c : cases) {
        const std::string before = zktest::RegSnapshot(k);
        ASSERT_TRUE(PerformRegistryOp(c.row, 1)) << c.row;
        const std::string key = ListItem(c.row, 0);
        EXPECT_EQ(RawGet(key, c.value), std::make_pair(c.type, c.data)) << c.row;
        ASSERT_TRUE(PerformRegistryOp(c.row, 0)) << c.row;
        EXPECT_EQ(zktest::RegSnapshot(k), before) << c.row;
    }
    // The default value, named "(Default)" in any case, goes back as it came.
    RawSetString(k + "\\Plain", "", "");
    RegPathDeleteValue(k + "\\Plain", "");
    const std::string before = zktest::RegSnapshot(k);
    const std::string row = "|" + k + "\\Plain|(default)|dflt|Create|Remove|String|";
    ASSERT_TRUE(PerformRegistryOp(row, 1));
    EXPECT_EQ(RawGet(k + "\\Plain", "").second, Sz("dflt"));
    ASSERT_TRUE(PerformRegistryOp(row, 0));
    EXPECT_EQ(zktest::RegSnapshot(k), before);
    DeleteRegKey(k);
}

TEST(RegistryRows, ActionsThatAskForNothingAndRemovals) {
    const std::string k = zktest::ScratchKey("RegOpRowsNothing");
    RawSetString(k + "\\Tree\\A\\B", "v", "1");
    RawSetString(k + "\\Canary", "v", "1");
    const std::string before = zktest::RegSnapshot(k);
    for (const std::string& row :
         {"|" + k + "\\Tree|v|1|||String|", "|" + k + "\\Tree|v|1|Leave|Keep|String|"}) {
        EXPECT_TRUE(PerformRegistryOp(row, 1)) << row;
        EXPECT_TRUE(PerformRegistryOp(row, 0)) << row;
    }
    EXPECT_EQ(zktest::RegSnapshot(k), before);
    EXPECT_TRUE(PerformRegistryOp("|" + k + "\\Tree|||Remove Key||String|", 1));
    EXPECT_FALSE(RawKeyExists(k + "\\Tree"));
    EXPECT_TRUE(PerformRegistryOp("|" + k + "\\Tree|||Remove Key||String|", 1)) << "already gone";
    EXPECT_TRUE(PerformRegistryOp("|" + k + "\\Tree|v||Remove||String|", 1)) << "no key";
    EXPECT_FALSE(PerformRegistryOp("|HKEY_CURRENT_USER\\|||Remove Key||String|", 1));
    EXPECT_FALSE(PerformRegistryOp("|" + k + "\\Hex|h|0a,zz|Create||Hex|", 1));
    EXPECT_TRUE(RawKeyExists(k + "\\Canary"));
    DeleteRegKey(k);
}

TEST(IniRows, CreateThenRemoveLeavesTheFileAsItWas) {
    const std::string dir = zktest::ScratchDir("RegOpIni"), ini = dir + "\\zk.ini";
    const std::string original = "[Other]\r\na=1\r\n[Sec]\r\nb=2\r\n";
    ASSERT_TRUE(zktest::WriteBytes(ini, original));
    for (const std::string& row : {"|" + ini + "|Sec|k|v 1|Create|Remove|",       // known section
                                   "|" + ini + "|Other|a|changed|Create|Leave|"}) // undo: nothing
    {
        ASSERT_TRUE(PerformIniFileOp(row, 1)) << row;
        char got[64];
        GetPrivateProfileStringA(ListItem(row, 1).c_str(), ListItem(row, 2).c_str(), "", got,
                                 sizeof got, ini.c_str());
        EXPECT_EQ(std::string(got), ListItem(row, 3)) << row;
        ASSERT_TRUE(PerformIniFileOp(row, 0)) << row;
        if (ListItem(row, 5) == "Remove") {
            EXPECT_EQ(zktest::ReadBytes(ini), original) << row;
        }
    }
    zktest::WriteBytes(ini, original);

    // A removal takes the key only: comments, a section that was empty before and a section
    // the install made stay.
    const std::string commented = "; the user's own remark\r\n[Sec]\r\n; keep me\r\n[Empty]\r\n";
    ASSERT_TRUE(zktest::WriteBytes(ini, commented));
    for (const char* section : {"Sec", "Empty", "Fresh"}) {
        const std::string row = "|" + ini + "|" + section + "|k|v|Create|Remove|";
        ASSERT_TRUE(PerformIniFileOp(row, 1)) << row;
        ASSERT_TRUE(PerformIniFileOp(row, 0)) << row;
        const std::string after = zktest::ReadBytes(ini);
        EXPECT_NE(after.find("[" + std::string(section) + "]"), std::string::npos) << after;
        EXPECT_EQ(after.find("k="), std::string::npos) << after;
    }
    EXPECT_EQ(zktest::ReadBytes(ini).substr(0, commented.size()), commented);
    zktest::WriteBytes(ini, original);

    // CR and LF never start lines of their own; a removal without a key keeps the section.
    ASSERT_TRUE(PerformIniFileOp("|" + ini + "|Sec|k\r\n[Evil]|v\r\nx=1|Create||", 1));
    const std::string written = zktest::ReadBytes(ini);
    EXPECT_EQ(written.find("[Evil]\r"), std::string::npos) << written;
    EXPECT_EQ(written.find("\r\nx=1"), std::string::npos) << written;
    zktest::WriteBytes(ini, original);
    PerformIniFileOp("|" + ini + "|Sec||v|Leave|Remove|", 0);
    char got[16];
    GetPrivateProfileStringA("Sec", "b", "", got, sizeof got, ini.c_str());
    EXPECT_EQ(std::string(got), "2") << "an empty key never removes the section";
    EXPECT_TRUE(PerformIniFileOp("|" + ini + "|Sec|b|2|||", 1));
    EXPECT_EQ(zktest::ReadBytes(ini), original);
    const std::string winIni = zktest::ReadBytes("C:\\windows\\win.ini");
    EXPECT_FALSE(PerformIniFileOp("||Sec|zkregop|v|Create|Remove|", 1)) << "no file: no WIN.INI";
    EXPECT_FALSE(PerformIniFileOp("| |Sec|zkregop|v|Create|Remove|", 0));
    EXPECT_EQ(zktest::ReadBytes("C:\\windows\\win.ini"), winIni);
    const std::string absent = dir + "\\absent.ini";
    PerformIniFileOp("|" + absent + "|Sec|k|v|Create|Remove|", 0);
    EXPECT_FALSE(zktest::Exists(absent)) << "an undo makes no file";
    zktest::RemoveScratch(dir);
}

// ---------------------------------------------------------------- environment rows

namespace {

const std::string UserEnv = "HKEY_CURRENT_USER\\Environment";
const std::string SystemEnv =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// Puts a stored variable back as it was found.
struct SavedValue {
    std::string path, name;
    std::pair<DWORD, std::string> value;
    SavedValue(std::string p, std::string n) : path(std::move(p)), name(std::move(n)) {
        value = RawGet(path, name);
    }
    ~SavedValue() {
        if (value.first)
            RawSet(path, name.c_str(), value.first, value.second);
        else
            RegPathDeleteValue(path, name);
    }
};

} // namespace

TEST(EnvironmentRows, CreateAndRemoveOfOwnVariables) {
    SavedValue a(UserEnv, "ZKTEST_REGOP_A"), b(UserEnv, "ZKTEST_REGOP_B"),
        s(SystemEnv, "ZKTEST_REGOP_S");
    RegPathDeleteValue(UserEnv, "ZKTEST_REGOP_A");
    RegPathDeleteValue(UserEnv, "ZKTEST_REGOP_B");
    RegPathDeleteValue(SystemEnv, "ZKTEST_REGOP_S");
    const std::string temp = GetEnvironmentValue("TEMP");
    ASSERT_FALSE(temp.empty());
    struct Case {
        const char* row;
        const std::string& where;
        const char* name;
        std::string stored;
    } cases[] = {
        {"|ZKTEST_REGOP_A|%TEMP%\\zk|Create|Remove|User|", UserEnv, "ZKTEST_REGOP_A",
         temp + "\\zk"},
        {"|ZKTEST_REGOP_B|%ZK_UNDEFINED_X%\\a|Create|Remove|user|", UserEnv, "ZKTEST_REGOP_B",
         "%ZK_UNDEFINED_X%\\a"},
        {"|ZKTEST_REGOP_S|on|Create|Remove||", SystemEnv, "ZKTEST_REGOP_S", "on"},
    };
    for (const Case& c : cases) {
        const std::string user = zktest::RegSnapshot(UserEnv),
                          system = zktest::RegSnapshot(SystemEnv);
        ASSERT_TRUE(PerformEnvironmentOp(c.row, 1)) << c.row;
        EXPECT_EQ(RawGet(c.where, c.name), std::make_pair(DWORD(REG_SZ), Sz(c.stored))) << c.row;
        ASSERT_TRUE(PerformEnvironmentOp(c.row, 0)) << c.row;
        EXPECT_EQ(zktest::RegSnapshot(UserEnv), user) << c.row;
        EXPECT_EQ(zktest::RegSnapshot(SystemEnv), system) << c.row;
    }
    const std::string user = zktest::RegSnapshot(UserEnv);
    EXPECT_FALSE(PerformEnvironmentOp("|ZKTEST_REGOP_A|x|Remove||User|", 1)) << "nothing to remove";
    EXPECT_TRUE(PerformEnvironmentOp("|ZKTEST_REGOP_A|x|Leave||User|", 1));
    EXPECT_FALSE(PerformEnvironmentOp("||x|Create|Remove|User|", 1)) << "a variable needs a name";
    EXPECT_EQ(zktest::RegSnapshot(UserEnv), user);
}

TEST(EnvironmentRows, PathEditsStayInTheirScopeAndKeepTheirType) {
    SavedValue userPath(UserEnv, "PATH"), systemPath(SystemEnv, "PATH");
    const std::string userText = "%SystemRoot%\\zk;C:\\Tools2";
    RawSet(UserEnv, "PATH", REG_EXPAND_SZ, Sz(userText));
    const auto systemBefore = RawGet(SystemEnv, "PATH");
    ASSERT_EQ(systemBefore.first, static_cast<DWORD>(REG_EXPAND_SZ));
    const std::string systemText = systemBefore.second.substr(0, systemBefore.second.find('\0'));
    struct Case {
        const char* row;
        const std::string& where;
        std::string applied;
    } cases[] = {
        {"|PATH|C:\\Tools|Append|Remove|User|", UserEnv, userText + ";C:\\Tools"},
        {"|Path|C:\\ZkRegOpSys|Append|Remove|System|", SystemEnv, systemText + ";C:\\ZkRegOpSys"},
    };
    for (const Case& c : cases) {
        const std::string user = zktest::RegSnapshot(UserEnv),
                          system = zktest::RegSnapshot(SystemEnv);
        ASSERT_TRUE(PerformEnvironmentOp(c.row, 1)) << c.row;
        EXPECT_EQ(RawGet(c.where, "PATH"), std::make_pair(DWORD(REG_EXPAND_SZ), Sz(c.applied)))
            << c.row;
        if (&c.where == &SystemEnv)
            EXPECT_EQ(zktest::RegSnapshot(UserEnv), user);
        else
            EXPECT_EQ(zktest::RegSnapshot(SystemEnv), system);
        ASSERT_TRUE(PerformEnvironmentOp(c.row, 0)) << c.row;
        EXPECT_EQ(zktest::RegSnapshot(UserEnv), user) << c.row;
        EXPECT_EQ(zktest::RegSnapshot(SystemEnv), system) << c.row;
    }
    // An item already there is not added twice; a removal takes the item, not a substring.
    ASSERT_TRUE(PerformEnvironmentOp("|PATH|c:\\tools2|Append||User|", 1));
    EXPECT_EQ(RawGet(UserEnv, "PATH").second, Sz(userText));
    RawSet(UserEnv, "PATH", REG_EXPAND_SZ, Sz("C:\\Tools2;C:\\Tools"));
    ASSERT_TRUE(PerformEnvironmentOp("|PATH|C:\\Tools|Create|Remove|User|", 0));
    EXPECT_EQ(RawGet(UserEnv, "PATH").second, Sz("C:\\Tools2"));
    ASSERT_TRUE(PerformEnvironmentOp("|PATH|C:\\Tools2|Create|Remove|User|", 0));
    EXPECT_EQ(RawGet(UserEnv, "PATH").first, 0u) << "an emptied variable is deleted";
}

TEST(EnvironmentRows, Windows98WritesAutoexecSetLines) {
    const std::string autoexec = "C:\\AUTOEXEC.BAT";
    if (zktest::Exists(autoexec)) GTEST_SKIP() << "the sandbox has an AUTOEXEC.BAT of its own";
    const std::string user = zktest::RegSnapshot(UserEnv), system = zktest::RegSnapshot(SystemEnv);

    auto out = RunRegOpTool("win98", "env 1 \"|ZKVAR|v1|Create|Remove||\"");
    EXPECT_EQ(out["windows"], "98");
    EXPECT_EQ(out["result"], "0") << "no AUTOEXEC.BAT: false";
    EXPECT_FALSE(zktest::Exists(autoexec)) << "and none is made";

    const std::string original =
        "@ECHO OFF\r\nREM zktest\r\nSET PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND\r\n";
    ASSERT_TRUE(zktest::WriteBytes(autoexec, original));
    struct OwnFileGoes { // also when an assertion ends the test early
        std::string path;
        ~OwnFileGoes() {
            if (zktest::ReadBytes(path).find("REM zktest") != std::string::npos)
                DeleteFileA(path.c_str());
        }
    } cleanup{autoexec};
    // What the process sees after the restart that the SET line asks for.
    auto block = [](const std::string& vars) {
        std::string b = "SystemRoot=C:\\windows\0"s + vars;
        for (char& c : b)
            if (c == '|') c = '\0';
        return b + '\0' + '\0';
    };
    struct Case {
        const char* row;
        std::string installEnv, undoEnv, applied;
    } cases[] = {
        {"|ZKVAR|v1|Create|Remove||", block("PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND"),
         block("PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND|ZKVAR=v1"), original + "SET ZKVAR=v1\r\n"},
        {"|PATH|C:\\ZkTools|Append|Remove|User|", block("PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND"),
         block("PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND;C:\\ZkTools"),
         "@ECHO OFF\r\nREM zktest\r\nSET PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND;C:\\ZkTools\r\n"},
    };
    for (const Case& c : cases) {
        out = RunRegOpTool("win98", "env 1 \"" + std::string(c.row) + "\"", c.installEnv.c_str());
        EXPECT_EQ(out["result"], "1") << c.row;
        EXPECT_EQ(zktest::ReadBytes(autoexec), c.applied) << c.row;
        out = RunRegOpTool("win98", "env 0 \"" + std::string(c.row) + "\"", c.undoEnv.c_str());
        EXPECT_EQ(out["result"], "1") << c.row;
        EXPECT_EQ(zktest::ReadBytes(autoexec), original) << c.row;
    }
    // Rows of one run build on the SET line the run already wrote, not on the process block
    // of the boot; an item already there is no change.
    const std::string boot = block("PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND");
    const std::string rows = " \"|PATH|C:\\A|Append|Remove||\" \"|PATH|C:\\B|Append|Remove||\"";
    out = RunRegOpTool("win98", "env 1" + rows + " \"|PATH|c:\\windows|Append|||\"", boot.c_str());
    EXPECT_EQ(out["result"], "111");
    EXPECT_EQ(out["changed"], "110");
    EXPECT_EQ(
        zktest::ReadBytes(autoexec),
        "@ECHO OFF\r\nREM zktest\r\nSET PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND;C:\\A;C:\\B\r\n");
    const std::string rebooted = block("PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND;C:\\A;C:\\B");
    out = RunRegOpTool("win98", "env 0" + rows, rebooted.c_str());
    EXPECT_EQ(out["result"], "11");
    EXPECT_EQ(out["changed"], "11");
    EXPECT_EQ(zktest::ReadBytes(autoexec), original) << "neither item comes back";
    EXPECT_EQ(zktest::RegSnapshot(UserEnv), user) << "9x leaves the registry alone";
    EXPECT_EQ(zktest::RegSnapshot(SystemEnv), system);
}

TEST(EnvironmentRows, ChangedOnlyWhenTheStoredValueDiffers) {
    SavedValue saved(UserEnv, "ZKTEST_REGOP_CH"), path(UserEnv, "PATH");
    RawSetString(UserEnv, "ZKTEST_REGOP_CH", "C:\\Own");
    RawSet(UserEnv, "PATH", REG_EXPAND_SZ, Sz("C:\\Own;C:\\Tools"));
    struct Case {
        const char* row;
        int mode;
        bool result, changed;
    } cases[] = {
        {"|PATH|c:\\tools|Append|Remove|User|", 1, true, false}, // the user's own item
        {"|PATH|C:\\ZkNew|Append|Remove|User|", 1, true, true},
        {"|PATH|C:\\ZkNew|Append|Remove|User|", 0, true, true},
        {"|PATH|C:\\ZkNew|Append|Remove|User|", 0, false, false}, // gone already
        {"|ZKTEST_REGOP_CH|C:\\Own|Create|Remove|User|", 1, true, false},
        {"|ZKTEST_REGOP_CH|C:\\Zk|Create|Remove|User|", 1, true, true},
        {"|ZKTEST_REGOP_CH|C:\\Zk|Leave|Remove|User|", 1, true, false},
        {"|ZKTEST_REGOP_CH|C:\\Zk|Create|Remove|User|", 0, true, true},
    };
    for (const Case& c : cases) {
        bool changed = !c.changed;
        EXPECT_EQ(PerformEnvironmentOp(c.row, c.mode, &changed), c.result) << c.row << c.mode;
        EXPECT_EQ(changed, c.changed) << c.row << " " << c.mode;
    }
    EXPECT_EQ(RawGet(UserEnv, "PATH").second, Sz("C:\\Own;C:\\Tools"));
    EXPECT_EQ(RawGet(UserEnv, "ZKTEST_REGOP_CH").first, 0u);
}

// ---------------------------------------------------------------- associations and Open With

namespace {
const std::string Hkcr = "HKEY_CLASSES_ROOT\\";
const char* const TestClass = "ZkTestRegOp.Doc";

std::string AssociationState() {
    return zktest::RegSnapshot(Hkcr + ".zkrt") + "|" + zktest::RegSnapshot(Hkcr + TestClass) + "|" +
           zktest::RegSnapshot(Hkcr + ".zkro");
}
} // namespace

TEST(Associations, CreateThenRemoveLeavesNothing) {
    DeleteRegKey(Hkcr + ".zkrt");
    DeleteRegKey(Hkcr + TestClass);
    const std::string before = AssociationState();
    struct Case {
        std::string row;
        const char* stored;
    } cases[] = {
        {"|ZkTestRegOp.Doc|Zk test document|zkrt||C:\\Zk\\app.exe|||Create|Remove|",
         "\"C:\\Zk\\app.exe\" \"%1\""},
        {";ZkTestRegOp.Doc;Zk test document;.zkrt;;\"C:\\Zk\\app.exe\" /v \"%1\";;;create;REMOVE;",
         "\"C:\\Zk\\app.exe\" /v \"%1\""},
        {"|ZkTestRegOp.Doc|Zk test document|zkrt||C:\\Zk\\app.exe %1|||Create|Remove|",
         "\"C:\\Zk\\app.exe %1\""},
    };
    for (const Case& c : cases) {
        NotifyAssociationsChanged();
        ASSERT_TRUE(PerformAssociationOp(c.row, 1)) << c.row;
        EXPECT_TRUE(AssociationsChanged());
        EXPECT_EQ(RawGet(Hkcr + ".zkrt", "").second, Sz(TestClass)) << c.row;
        EXPECT_EQ(RawGet(Hkcr + TestClass, "").second, Sz("Zk test document")) << c.row;
        EXPECT_EQ(RawGet(Hkcr + TestClass + "\\shell\\open\\command", "").second, Sz(c.stored))
            << c.row;
        ASSERT_TRUE(PerformAssociationOp(c.row, 0)) << c.row;
        EXPECT_EQ(AssociationState(), before) << c.row;
    }
    NotifyAssociationsChanged();
    EXPECT_FALSE(AssociationsChanged());
    for (const char* row :
         {"|ZkTestRegOp.Doc|d|zkrt||C:\\Zk\\app.exe|||||",          // no action
          "|ZkTestRegOp.Doc|d|zkrt||C:\\Zk\\app.exe|||Open|Shut|",  // unknown words
          "|ZkTestRegOp.Doc|d|zkrt|||||Create|Remove|",             // no command
          "||d|zkrt||C:\\Zk\\app.exe|||Create|Remove|",             // no class
          "|ZkTestRegOp.Doc|d|.||C:\\Zk\\app.exe|||Create|Remove|", // no extension
          "|Zk\\..|d|zkrt||C:\\Zk\\app.exe|||Create|Remove|"})      // not one key name
        EXPECT_FALSE(PerformAssociationOp(row, 1)) << row;
    EXPECT_EQ(AssociationState(), before);
    EXPECT_FALSE(AssociationsChanged()) << "nothing succeeded: the shell is not told";
}

TEST(Associations, RemovalKeepsWhatIsNotItsOwn) {
    const std::string row = "|ZkTestRegOp.Doc|Zk doc|zkrt||C:\\Zk\\app.exe|||Create|Remove|";
    // The extension was taken over by another program's class: it stays, the class goes.
    ASSERT_TRUE(PerformAssociationOp(row, 1));
    RawSetString(Hkcr + ".zkrt", "", "OtherProgram.Doc");
    EXPECT_TRUE(PerformAssociationOp(row, 0));
    EXPECT_EQ(RawGet(Hkcr + ".zkrt", "").second, Sz("OtherProgram.Doc"));
    EXPECT_FALSE(RawKeyExists(Hkcr + TestClass));
    DeleteRegKey(Hkcr + ".zkrt");

    // Something else was put into the class: it stays with the class, and the removal says so.
    ASSERT_TRUE(PerformAssociationOp(row, 1));
    RawSetString(Hkcr + TestClass + "\\DefaultIcon", "", "C:\\Other\\icon.ico");
    RawSetString(Hkcr + TestClass + "\\shell\\edit\\command", "", "C:\\Other\\edit.exe");
    EXPECT_FALSE(PerformAssociationOp(row, 0));
    EXPECT_FALSE(RawKeyExists(Hkcr + TestClass + "\\shell\\open"));
    EXPECT_EQ(RawGet(Hkcr + TestClass + "\\shell\\edit\\command", "").second,
              Sz("C:\\Other\\edit.exe"));
    EXPECT_TRUE(RawKeyExists(Hkcr + TestClass + "\\DefaultIcon"));
    EXPECT_FALSE(RawKeyExists(Hkcr + ".zkrt"));
    DeleteRegKey(Hkcr + TestClass);

    // An extension key holding more than the class name keeps it: false.
    ASSERT_TRUE(PerformAssociationOp(row, 1));
    RawSetString(Hkcr + ".zkrt", "Content Type", "text/x-zk");
    EXPECT_FALSE(PerformAssociationOp(row, 0));
    EXPECT_TRUE(RawKeyExists(Hkcr + ".zkrt"));
    DeleteRegKey(Hkcr + ".zkrt");
    EXPECT_FALSE(RawKeyExists(Hkcr + TestClass));
    NotifyAssociationsChanged();
}

TEST(Associations, AndOpenWithUndoneInEitherOrder) {
    const std::string row = "|ZkTestRegOp.Doc|Zk doc|zkrt||C:\\Zk\\app.exe|||Create|Remove|";
    DeleteRegKey(Hkcr + ".zkrt");
    DeleteRegKey(Hkcr + TestClass);
    const std::string before = AssociationState(),
                      folderBefore = zktest::RegSnapshot(Hkcr + "Folder");
    for (bool associationFirst : {true, false}) {
        ASSERT_TRUE(PerformAssociationOp(row, 1));
        ASSERT_TRUE(
            RegisterOpenWithVerb("ZkTestVerb", "Open with Zk", "C:\\Zk\\zk.exe", true, "zkrt"));
        ASSERT_TRUE(RawKeyExists(Hkcr + TestClass + "\\Shell\\ZkTestVerb\\command"));
        auto association = [&] { return PerformAssociationOp(row, 0); };
        auto openWith = [&] { return RegisterOpenWithVerb("ZkTestVerb", "", "", false, "zkrt"); };
        EXPECT_TRUE(associationFirst ? association() : openWith()) << associationFirst;
        EXPECT_TRUE(associationFirst ? openWith() : association()) << associationFirst;
        EXPECT_EQ(AssociationState(), before) << associationFirst;
        EXPECT_EQ(zktest::RegSnapshot(Hkcr + "Folder"), folderBefore) << associationFirst;
    }
    NotifyAssociationsChanged();
}

TEST(Associations, AnExtensionOfAnotherProgramGetsItsClassBack) {
    const std::string row = "|ZkTestRegOp.Doc|Zk doc|zkrt||C:\\Zk\\app.exe|||Create|Remove|";
    const std::string ext = Hkcr + ".zkrt";
    struct Case {
        const char* name;
        const char* previousClass; // nullptr: the key has no default
    } cases[] = {{"another class with ShellNew", "ZkOther.Doc"}, {"ShellNew only", nullptr}};
    for (const Case& c : cases) {
        DeleteRegKey(ext);
        DeleteRegKey(Hkcr + TestClass);
        if (c.previousClass) RawSetString(ext, "", c.previousClass);
        RawSetString(ext + "\\ShellNew", "NullFile", "");
        RawSetString(ext, "Content Type", "text/x-zk");
        const std::string before = AssociationState();
        ASSERT_TRUE(PerformAssociationOp(row, 1)) << c.name;
        EXPECT_EQ(RawGet(ext, "").second, Sz(TestClass)) << c.name;
        ASSERT_TRUE(PerformAssociationOp(row, 1)) << c.name << ": a second install";
        EXPECT_TRUE(PerformAssociationOp(row, 0)) << c.name;
        EXPECT_EQ(AssociationState(), before) << c.name;
        // Another program took the extension meanwhile: it keeps it, and the kept default too.
        ASSERT_TRUE(PerformAssociationOp(row, 1)) << c.name;
        RawSetString(ext, "", "ZkThird.Doc");
        EXPECT_TRUE(PerformAssociationOp(row, 0)) << c.name;
        EXPECT_EQ(RawGet(ext, "").second, Sz("ZkThird.Doc")) << c.name;
    }
    DeleteRegKey(ext);
    NotifyAssociationsChanged();
}

TEST(Associations, Windows98CreateKeepsExistingTrees) {
    // The plain key delete of 9x takes the subkeys with it.
    const std::string row = "|ZkTestRegOp.Doc|Zk doc|zkrt||C:\\Zk\\app.exe|||Create|Remove|";
    DeleteRegKey(Hkcr + ".zkrt");
    DeleteRegKey(Hkcr + TestClass);
    RawSetString(Hkcr + ".zkrt", "", "ZkOther.Doc");
    RawSetString(Hkcr + ".zkrt\\ShellNew", "NullFile", "");
    RawSetString(Hkcr + TestClass + "\\DefaultIcon", "", "C:\\Zk\\doc.ico");
    const std::string extBefore = zktest::RegSnapshot(Hkcr + ".zkrt");
    auto out = RunRegOpTool("win98", "assoc 1 \"" + row + "\"");
    EXPECT_EQ(out["windows"], "98");
    EXPECT_EQ(out["result"], "1");
    EXPECT_TRUE(RawKeyExists(Hkcr + ".zkrt\\ShellNew"));
    EXPECT_EQ(RawGet(Hkcr + TestClass + "\\DefaultIcon", "").second, Sz("C:\\Zk\\doc.ico"));
    out = RunRegOpTool("win98", "assoc 0 \"" + row + "\"");
    EXPECT_EQ(out["result"], "0") << "the icon is not the association's: the class stays";
    EXPECT_EQ(RawGet(Hkcr + TestClass + "\\DefaultIcon", "").second, Sz("C:\\Zk\\doc.ico"));
    EXPECT_FALSE(RawKeyExists(Hkcr + TestClass + "\\shell"));
    EXPECT_EQ(zktest::RegSnapshot(Hkcr + ".zkrt"), extBefore);
    DeleteRegKey(Hkcr + ".zkrt");
    DeleteRegKey(Hkcr + TestClass);
}

TEST(OpenWith, VerbForFoldersAndRegisteredClassesOnly) {
    const std::string folderVerb = Hkcr + "Folder\\shell\\ZkTestVerb";
    const std::string classVerb = Hkcr + TestClass + "\\Shell\\ZkTestVerb";
    ASSERT_TRUE(CreateFileAssociation(TestClass, "Zk doc", ".zkrt", "C:\\Zk\\app.exe"));
    DeleteRegKey(Hkcr + ".zkro");
    const std::string folderBefore = zktest::RegSnapshot(Hkcr + "Folder");
    const std::string classBefore = zktest::RegSnapshot(Hkcr + TestClass);
    const std::string rootShellBefore = zktest::RegSnapshot(Hkcr + "Shell");

    ASSERT_TRUE(RegisterOpenWithVerb("ZkTestVerb", "Open with Zk", "C:\\Program Files\\Zk\\zk.exe",
                                     true, "*.zkrt; .zkro,"));
    for (const std::string& key : {folderVerb, classVerb}) {
        EXPECT_EQ(RawGet(key, "").second, Sz("Open with Zk")) << key;
        EXPECT_EQ(RawGet(key + "\\command", "").second,
                  Sz("\"C:\\Program Files\\Zk\\zk.exe\" \"%1\""))
            << key;
    }
    EXPECT_EQ(zktest::RegSnapshot(Hkcr + "Shell"), rootShellBefore)
        << "an extension without a class adds nothing";
    EXPECT_FALSE(RawKeyExists(Hkcr + ".zkro"));

    ASSERT_TRUE(RegisterOpenWithVerb("ZkTestVerb", "", "", false, "*.zkrt; .zkro,"));
    EXPECT_EQ(zktest::RegSnapshot(Hkcr + "Folder"), folderBefore);
    EXPECT_EQ(zktest::RegSnapshot(Hkcr + TestClass), classBefore);

    EXPECT_TRUE(RegisterOpenWithVerb("ZkTestVerb", "", "", true, ".zkrt")) << "nothing to write";
    EXPECT_FALSE(RawKeyExists(folderVerb));
    for (const char* verb : {"", "  ", "\\", "a\\b"})
        EXPECT_FALSE(RegisterOpenWithVerb(verb, "m", "C:\\x.exe", false, ".zkrt")) << verb;
    EXPECT_TRUE(RawKeyExists(Hkcr + "Folder\\shell")) << "the folder verbs are all there";
    EXPECT_TRUE(RemoveFileAssociation(TestClass, "zkrt"));
    EXPECT_FALSE(RawKeyExists(Hkcr + TestClass));
    NotifyAssociationsChanged();
}

// ---------------------------------------------------------------- shared counts

TEST(SharedCounts, RaisedAtInstallLoweredAtUninstall) {
    const std::string dir = zktest::ScratchDir("RegOpShared");
    const std::string present = dir + "\\present.dll", missing = dir + "\\missing.dll";
    ASSERT_TRUE(zktest::WriteBytes(present, "MZ"));
    CreateRegPath(SharedDllsKey, KEY_READ); // Windows always has it
    const std::string keyBefore = zktest::RegSnapshot(SharedDllsKey);
    auto reset = [&](const std::string& path) { RegPathDeleteValue(SharedDllsKey, path); };
    struct Case {
        const char* what;
        const std::string& path;
        DWORD type; // 0: no value
        std::string data;
        int decremented; // and then stored, 0 and 100 meaning: no DWORD afterwards
    } decrements[] = {
        {"count 3", missing, REG_DWORD, Dw(3), 2},
        {"count 1", missing, REG_DWORD, Dw(1), 0},
        {"stored 0", missing, REG_DWORD, Dw(0), 0},
        {"absent", missing, 0, "", 100},
        {"not a DWORD", present, REG_SZ, Sz("1"), 100},
        {"short binary", present, REG_BINARY, "\x01", 100},
    };
    for (const Case& c : decrements) {
        reset(c.path);
        if (c.type) RawSet(SharedDllsKey, c.path.c_str(), c.type, c.data);
        EXPECT_EQ(DecrementSharedDllCount(c.path), c.decremented) << c.what;
        auto stored = RawGet(SharedDllsKey, c.path);
        if (c.decremented == 100) {
            EXPECT_EQ(stored, std::make_pair(c.type, c.data)) << c.what << ": untouched";
        } else if (c.decremented == 0) {
            EXPECT_EQ(stored.first, 0u) << c.what << ": the value goes at 0";
        } else {
            EXPECT_EQ(stored, std::make_pair(DWORD(REG_DWORD), Dw(c.decremented))) << c.what;
        }
    }
    struct Inc {
        const char* what;
        const std::string& path;
        DWORD type;
        std::string data;
        int incremented;
    } increments[] = {
        {"absent, no file", missing, 0, "", 1},
        {"absent, file there", present, 0, "", 2}, // someone else's file
        {"count 2", missing, REG_DWORD, Dw(2), 3},
        {"not a DWORD, file there", present, REG_SZ, Sz("7"), 2},
        {"stored 0, file there", present, REG_DWORD, Dw(0), 2},
    };
    for (const Inc& c : increments) {
        reset(c.path);
        if (c.type) RawSet(SharedDllsKey, c.path.c_str(), c.type, c.data);
        EXPECT_EQ(IncrementSharedDllCount(c.path), c.incremented) << c.what;
        EXPECT_EQ(RawGet(SharedDllsKey, c.path),
                  std::make_pair(DWORD(REG_DWORD), Dw(c.incremented)))
            << c.what;
    }
    // An install and its uninstall: the file of another program survives ours.
    reset(present);
    reset(missing);
    EXPECT_EQ(IncrementSharedDllCount(present), 2);
    EXPECT_EQ(DecrementSharedDllCount(present), 1) << "not 0: the file is kept";
    reset(present);
    EXPECT_EQ(IncrementSharedDllCount(missing), 1);
    EXPECT_EQ(DecrementSharedDllCount(missing), 0);
    EXPECT_EQ(zktest::RegSnapshot(SharedDllsKey), keyBefore);
    zktest::RemoveScratch(dir);
}

namespace {
std::vector<std::string> settingChanges;
LRESULT CALLBACK ListenerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_WININICHANGE)
        settingChanges.push_back(lp ? reinterpret_cast<const char*>(lp) : "(null)");
    return DefWindowProcA(w, m, wp, lp);
}
} // namespace

TEST(EnvironmentRows, ATopLevelWindowHearsOfTheChange) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ListenerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZkTestRegOpListener";
    RegisterClassA(&wc);
    HWND w = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           wc.hInstance, nullptr);
    ASSERT_TRUE(w);
    SavedValue saved(UserEnv, "ZKTEST_REGOP_BC");
    settingChanges.clear();
    ASSERT_TRUE(SetEnvironmentValue("ZKTEST_REGOP_BC", "1", false, false));
    EXPECT_TRUE(settingChanges.empty()) << "no broadcast asked for";
    ASSERT_TRUE(PerformEnvironmentOp("|ZKTEST_REGOP_BC|2|Create|Remove|User|", 1));
    EXPECT_EQ(settingChanges, std::vector<std::string>{"Environment"});
    ASSERT_TRUE(PerformEnvironmentOp("|ZKTEST_REGOP_BC|2|Create|Remove|User|", 0));
    EXPECT_EQ(settingChanges.size(), 2u);
    EXPECT_FALSE(PerformEnvironmentOp("|ZKTEST_REGOP_BC|2|Create|Remove|User|", 0));
    EXPECT_EQ(settingChanges.size(), 2u) << "a failed change is not announced";
    DestroyWindow(w);
}
