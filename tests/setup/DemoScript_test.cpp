// The demo product's setup script (demo/Setup.txt, copied to bin\demo with its files) read as
// the engine reads it: every line known, and what the demo shows is still there and still
// names files the setup folder ships. The laid-out setup folder is checked by the entry
// setup_DemoLayout (tests/fixtures/demo_layout), which names it in ZK_DEMO_SETUP.
#include "SLang.h"
#include "SSelect.h"
#include "UtilPlusText.h"
#include "ZLibOpen.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <set>

using namespace zk;

namespace {

Text DemoDir() {
    return zktest::BinDir() + "\\demo";
}

struct LoadedScript {
    TScript script;
    TextList boxes;
};

const LoadedScript& Demo() {
    static const LoadedScript loaded = [] {
        LoadedScript l;
        EXPECT_TRUE(l.script.LoadFromFile(DemoDir() + "\\Setup.txt",
                                          [&](const Text& box) { l.boxes.push_back(box); }));
        return l;
    }();
    return loaded;
}

TextList Fields(const Text& framedRow) {
    TextList fields;
    for (int i = 0; i < ListCount(framedRow); ++i) fields.push_back(ListItem(framedRow, i));
    return fields;
}

// The source file the setup folder holds under this name, as installed: plain, packed as
// "._z", or the product's program; empty when none.
Text ShippedFile(const Text& name) {
    for (const Text& dir : {DemoDir() + "\\sources\\", DemoDir() + "\\packed\\"})
        if (zktest::Exists(dir + name)) return dir + name;
    return name == "DemoApp.exe" ? zktest::BinDir() + "\\DemoApp.exe" : Text();
}
bool IsShipped(const Text& name) {
    return !ShippedFile(name).empty();
}

// A copy row "overwrite|folder|files": the files part is a "|"-list itself.
struct CopyRow {
    Text folder;
    TextList files;
};
CopyRow SplitCopyRow(const Text& entry) {
    const Text rest = TextAfter(entry, "|");
    const Text files = TextAfter(rest, "|");
    return {TextBefore(rest, "|"), files.empty() ? TextList{} : Fields("|" + files + "|")};
}

// Target folder and file name of every file a copy row installs, "<InstallDir>\x\name".
std::set<Text> InstalledPaths(const TScript& s) {
    std::set<Text> paths;
    for (const FileGroup& g : s.GetFileGroups())
        for (const Text& entry : g.entries) {
            const CopyRow row = SplitCopyRow(entry);
            for (const Text& name : row.files) paths.insert(row.folder + "\\" + name);
        }
    return paths;
}

// Every key of the built-in English text (the engine's resource), with its value.
struct LangKey {
    Text section, key, value;
};
std::vector<LangKey> BuiltInKeys() {
    HRSRC info = FindResourceA(nullptr, "ENGLISH", "TEXT");
    HGLOBAL data = info ? LoadResource(nullptr, info) : nullptr;
    const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    std::vector<LangKey> keys;
    Text section;
    for (const Text& raw : SplitLines(bytes ? Text(bytes, SizeofResource(nullptr, info)) : "")) {
        const Text line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[')
            section = line.substr(1, line.size() - 2);
        else
            keys.push_back({section, Trim(TextBefore(line, "=")), Trim(TextAfter(line, "="))});
    }
    return keys;
}

bool EndsWithColon(const Text& text) {
    return !text.empty() && text.back() == ':';
}

size_t CountOf(const Text& text, const Text& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != Text::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

} // namespace

TEST(DemoScript, EveryLineIsKnownAndEveryPageShown) {
    const LoadedScript& d = Demo();
    EXPECT_TRUE(d.boxes.empty()) << d.boxes.front();
    const TScript& s = d.script;
    EXPECT_EQ(s.GetProgName(), "Zelkon Demo Notes");
    EXPECT_FALSE(s.GetSilentSetup());
    EXPECT_TRUE(s.GetCreateUninstall());
    // Every page of the wizard once, in the order the demo steps them.
    const TextList pages = {"WelcomeDlg",         "LicenseDlg",     "ReadmeDlg",
                            "UserInformationDlg", "DestinationDlg", "SetupTypeDlg",
                            "CustomDlg",          "AssociateDlg",   "ShortcutsDlg",
                            "ConfirmSetupDlg",    "CopyFilesDlg",   "CompleteDlg"};
    TScript walk = s;
    for (size_t i = 0; i < pages.size(); ++i, walk.NextPage())
        EXPECT_EQ(walk.GetCurrentPage(), pages[i]) << "page " << i;
    EXPECT_EQ(walk.GetCurrentPage(), "");
    for (const Text& file : {s.GetLicenseFileName(), s.GetReadmeFileName()})
        EXPECT_TRUE(zktest::Exists(DemoDir() + "\\" + file)) << file;
}

TEST(DemoScript, ComponentsShipTheirFiles) {
    const TScript& s = Demo().script;
    const std::vector<FileGroup>& groups = s.GetFileGroups();
    ASSERT_EQ(groups.size(), 3u);
    int required = 0;
    for (const FileGroup& g : groups) {
        const GroupFields f = ReadGroupFields(g.row);
        required += f.required;
        int files = 0;
        // The installed program's copy of the uninstaller lands with the required group.
        size_t bytes =
            f.required ? zktest::ReadBytes(zktest::BinDir() + "\\UnInstall.exe").size() : 0;
        for (const Text& entry : g.entries) {
            const CopyRow row = SplitCopyRow(entry);
            EXPECT_TRUE(StartsText("<InstallDir>", row.folder)) << entry;
            EXPECT_FALSE(row.files.empty()) << entry;
            for (const Text& name : row.files) {
                EXPECT_TRUE(IsShipped(name)) << f.name << ": " << name;
                bytes += zktest::ReadBytes(ShippedFile(name)).size();
                ++files;
            }
        }
        EXPECT_EQ(f.files, files) << f.name << ": the group row's file count";
        // The space the wizard asks for covers what lands, and not many times over.
        const size_t kb = (bytes + 1023) / 1024;
        EXPECT_GE(f.sizeKb, static_cast<int>(kb)) << f.name << ": " << bytes << " bytes land";
        EXPECT_LE(f.sizeKb, static_cast<int>(kb) * 2 + 4)
            << f.name << ": " << bytes << " bytes land";
    }
    EXPECT_EQ(required, 1);
    // With the defaults one optional group is left out, so the demo shows a choice.
    ComponentSelection selection;
    selection.type = SetupType::Custom;
    FillComponentSelection(s, selection);
    EXPECT_EQ(GetSelectionMask(s, selection), "110");
}

TEST(DemoScript, RowsAndLinksNameInstalledFiles) {
    const TScript& s = Demo().script;
    const std::set<Text> installed = InstalledPaths(s);
    const auto isInstalled = [&](const Text& path) {
        return installed.count(path) > 0 || path == "<InstallDir>\\UnInstall.exe";
    };
    EXPECT_TRUE(isInstalled(s.GetProgExeName())) << s.GetProgExeName();
    EXPECT_TRUE(isInstalled(s.GetStartProgramLinkIconFile()));

    struct RowSet {
        const char* what;
        const TextList& rows;
        size_t fields;
    } sets[] = {
        {"registry", s.GetRegistryRows(), 6},
        {"INI", s.GetIniRows(), 6},
        {"environment", s.GetEnvironmentRows(), 5},
    };
    for (const RowSet& set : sets) {
        EXPECT_FALSE(set.rows.empty()) << set.what;
        for (const Text& row : set.rows)
            EXPECT_EQ(Fields("|" + row + "|").size(), set.fields) << set.what << ": " << row;
    }
    // The INI row writes into the program's own settings file, which goes with the product.
    EXPECT_TRUE(isInstalled(Fields("|" + s.GetIniRows().at(0) + "|").at(0)));

    ASSERT_EQ(s.GetAssociationRows().size(), 1u);
    const TextList association = Fields(s.GetAssociationRows()[0]);
    ASSERT_EQ(association.size(), 9u);
    EXPECT_EQ(association[2], ".znote");
    EXPECT_TRUE(isInstalled(association[4])) << association[4];
    EXPECT_TRUE(installed.count("<InstallDir>\\Samples\\Welcome.znote")) << "a note to open";

    EXPECT_FALSE(s.GetStartProgramLinkFolder().empty());
    EXPECT_FALSE(s.GetStartProgramLinkName().empty());
    ASSERT_FALSE(s.GetProgramGroupItems().empty());
    for (const Text& item : s.GetProgramGroupItems()) {
        const TextList link = Fields("|" + item + "|");
        ASSERT_EQ(link.size(), 8u) << item;
        EXPECT_TRUE(isInstalled(link[1])) << item;
        EXPECT_EQ(link[2], "") << "in the program group: " << item;
    }
    EXPECT_EQ(s.GetDesktopLinkName().substr(0, 1), "^") << "the desktop box starts ticked";
}

TEST(DemoScript, GermanForAGermanUserBuiltInEnglishOtherwise) {
    const TScript& s = Demo().script;
    const TLangTable german(zktest::ReadBytes(DemoDir() + "\\LANG\\German.lng"));
    Text value;
    ASSERT_TRUE(german.Find("General", "LangID", value));
    EXPECT_EQ(value, "7");
    // The forms every language file must keep: one "%s", and the program's name.
    for (const char* key : {"s1", "s2"}) {
        ASSERT_TRUE(german.Find("Messages", key, value)) << key;
        EXPECT_EQ(value.find("%s"), value.rfind("%s")) << key;
        EXPECT_NE(value.find("%s"), Text::npos) << key;
    }
    for (const auto& [section, key] : {std::pair{"Welcome", "s1"},
                                       {"Destination", "s1"},
                                       {"Associate", "s1"},
                                       {"UnInstall", "ConfirmText"}}) {
        if (german.Find(section, key, value)) {
            EXPECT_NE(value.find("PROG_NAME"), Text::npos) << section << " " << key;
        }
    }

    struct Case {
        int userLanguage;
        const char* next;
    } cases[] = {{7, "&Weiter >"}, {9, "&Next >"}, {12, "&Next >"}};
    for (const Case& c : cases) {
        SelectLanguageFileIn(s, DemoDir() + "\\", c.userLanguage);
        EXPECT_EQ(LangString("Buttons", "Next", ""), c.next) << c.userLanguage;
        EXPECT_EQ(GetLangCharset(), 0);
    }
    FinalizeLanguage();
}

// A German user sees German only: every key of the built-in English is there, translated, in
// the form its reader relies on (a label's colon, one mnemonic, the markup and placeholders).
TEST(DemoScript, GermanFileIsWholeAndKeepsEveryTextsForm) {
    const TLangTable german(zktest::ReadBytes(DemoDir() + "\\LANG\\German.lng"));
    const std::vector<LangKey> english = BuiltInKeys();
    ASSERT_GT(english.size(), 100u) << "the built-in English text";
    // Texts that read the same in German.
    const std::set<Text> same = {"General/Version", "General/Charset", "Confirm/s31"};
    for (const LangKey& e : english) {
        const Text where = e.section + "/" + e.key;
        Text value;
        if (!german.Find(e.section, e.key, value)) {
            ADD_FAILURE() << where << " is missing (English: " << e.value << ")";
            continue;
        }
        if (e.section == "General") continue;
        EXPECT_EQ(value != e.value, same.count(where) == 0) << where << ": " << value;
        EXPECT_EQ(EndsWithColon(value), EndsWithColon(e.value)) << where << ": " << value;
        EXPECT_EQ(StartsText("<p>", value), StartsText("<p>", e.value)) << where << ": " << value;
        for (const char* part : {"&", "PROG_NAME", "%s", "<b>", "</b>", "|"})
            EXPECT_EQ(CountOf(value, part), CountOf(e.value, part))
                << where << ": " << part << " in " << value;
    }
}

TEST(DemoLayout, TheSetupFolderHoldsEverySourceTheEngineLooksFor) {
    const char* folder = std::getenv("ZK_DEMO_SETUP");
    if (!folder) GTEST_SKIP() << "run by setup_DemoLayout after the packer";
    const Text setup = folder;
    const TScript& s = Demo().script;
    for (const char* file : {"UnInstall.exe", "Setup.txt", "LANG\\German.lng"})
        EXPECT_TRUE(zktest::Exists(setup + "\\" + file)) << file;
    EXPECT_EQ(zktest::ReadBytes(setup + "\\Setup.txt"),
              zktest::ReadBytes(DemoDir() + "\\Setup.txt"));
    for (const Text& file : {s.GetLicenseFileName(), s.GetReadmeFileName()})
        EXPECT_TRUE(zktest::Exists(setup + "\\" + file)) << file;
    int packed = 0;
    for (const FileGroup& g : s.GetFileGroups())
        for (const Text& entry : g.entries)
            for (const Text& name : SplitCopyRow(entry).files) {
                const Text plain = setup + "\\" + name, z = plain + "._z";
                ASSERT_NE(zktest::Exists(plain), zktest::Exists(z))
                    << name << ": once, plain or packed";
                if (!zktest::Exists(z)) continue;
                ++packed;
                // What the host's compressor wrote, as the engine inflates it.
                Text inflated;
                ASSERT_NO_THROW(DecompressString(zktest::ReadBytes(z), inflated, nullptr)) << name;
                const Text original = name == "DemoApp.exe" ? zktest::BinDir() + "\\DemoApp.exe"
                                                            : DemoDir() + "\\packed\\" + name;
                EXPECT_EQ(inflated, zktest::ReadBytes(original)) << name;
            }
    EXPECT_GT(packed, 0);
}
