#include "RegOp.h"
#include "Handles.h"
#include "RegSnapshot.h"
#include "TestEnv.h"
#include "UtilPlus.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

using namespace zk;

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
