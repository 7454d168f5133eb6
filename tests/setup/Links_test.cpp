// Shortcut files: the text rules as tables, then real ".lnk" and ".url" files in the sandbox's
// shell folders, read back as the shell and a byte reader see them.
#include "Links.h"
#include "TestEnv.h"
#include "UtilPlus.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

using namespace zk;

namespace {

const char SubFolder[] = "ZkTestLinks";

// Removes what a test made below <shell folder>\ZkTestLinks, and nothing elsewhere.
void RemoveTestLinks(const Text& folder) {
    if (folder.find(Text("\\") + SubFolder) == Text::npos) return;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            Text name = fd.cFileName, full = folder + "\\" + name;
            if (name == "." || name == "..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTestLinks(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

struct LinkFacts {
    Text path, arguments, workDir, iconFile;
    int iconIndex = -1;
};

LinkFacts ReadBackLink(const Text& file) {
    LinkFacts facts;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            char buf[MAX_PATH] = "";
            if (SUCCEEDED(link->GetPath(buf, MAX_PATH, nullptr, 0))) facts.path = buf;
            if (SUCCEEDED(link->GetArguments(buf, MAX_PATH))) facts.arguments = buf;
            if (SUCCEEDED(link->GetWorkingDirectory(buf, MAX_PATH))) facts.workDir = buf;
            int index = -1;
            if (SUCCEEDED(link->GetIconLocation(buf, MAX_PATH, &index))) {
                facts.iconFile = buf;
                facts.iconIndex = index;
            }
        }
    }
    if (persist) persist->Release();
    if (link) link->Release();
    CoUninitialize();
    return facts;
}

// The show command of a ".lnk" as its header holds it (the shell's GetShowCmd after a load
// answers 1 under Wine whatever was saved).
int HeaderShowCmd(const Text& file) {
    std::string bytes = zktest::ReadBytes(file);
    if (bytes.size() < 0x40) return -1;
    return static_cast<unsigned char>(bytes[0x3C]);
}

class LinksTest : public testing::Test {
  protected:
    void SetUp() override {
        SetLinkFolderErrorProc([this](const Text& folder) { folderErrors_ += folder + ";"; });
    }
    void TearDown() override {
        SetLinkFolderErrorProc({});
        for (int location : {LinkDesktop, LinkProgramGroup, LinkSendTo})
            for (bool all : {false, true})
                RemoveTestLinks(GetShellFolder(location, all) + "\\" + SubFolder);
    }
    Text folderErrors_;
};

} // namespace

TEST(LinkText, UrlTargets) {
    struct Case {
        const char* target;
        bool url;
    };
    const Case cases[] = {
        {"http://example.com", true},
        {"HTTP://EXAMPLE.COM", true},
        {"ftp:files", true},
        {"WWW.example.com", true},
        {"www.", true},
        {"MAILTO:a@b.c", true},
        {"mailto:", true},
        {" http://x", false},
        {"https://x", false},
        {"C:\\www.exe", false},
        {"wwwx", false},
        {"", false},
        {"notepad.exe", false},
        {"file:C:\\x", false},
        {"xhttp:", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsUrlTarget(c.target), c.url) << c.target;
}

TEST(LinkText, UrlFileLines) {
    struct Case {
        const char *target, *icon;
        int index;
        const char *workDir, *text;
    };
    const Case cases[] = {
        {"WWW.example.com", "", 3, "", "[InternetShortcut]\r\nURL=WWW.example.com\r\n"},
        {"http://x", "C:\\i.ico", 2, "",
         "[InternetShortcut]\r\nURL=http://x\r\nIconFile=C:\\i.ico\r\nIconIndex=2\r\n"},
        {"http://x", "", 0, "C:\\w",
         "[InternetShortcut]\r\nURL=http://x\r\nWorkingDirectory=C:\\w\r\n"},
        {"mailto:a@b", "i.dll", -1, "C:\\w",
         "[InternetShortcut]\r\nURL=mailto:a@b\r\nIconFile=i.dll\r\nIconIndex=-1\r\n"
         "WorkingDirectory=C:\\w\r\n"},
        // A line break in a value would start a line (a key) of its own.
        {"http://x\r\nIconFile=evil", "", 0, "",
         "[InternetShortcut]\r\nURL=http://xIconFile=evil\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UrlFileText(c.target, c.icon, c.index, c.workDir), c.text) << c.target;
}

TEST(LinkText, ShellFolderFallbacks) {
    // Registry contents as (machine-wide, value name) -> folder.
    using Registry = std::map<std::pair<bool, Text>, Text>;
    const Registry full = {
        {{false, "Desktop"}, "U\\Desktop"},       {{true, "common Desktop"}, "M\\Desktop"},
        {{false, "Programs"}, "U\\Programs"},     {{true, "common Programs"}, "M\\Programs"},
        {{false, "Sendto"}, "U\\SendTo"},         {{false, "Personal"}, "U\\Docs"},
        {{true, "Common Startup"}, "M\\Startup"}, // value names match in any case
    };
    const Registry userOnly = {{{false, "Start Menu"}, "U\\Start"}};
    const Registry machineOnly = {{{true, "common Start Menu"}, "M\\Start"}};
    // A per-user key that names the folder in the machine-wide way, and an empty value.
    const Registry odd = {{{false, "common Desktop"}, "U\\CD"},
                          {{false, "Startup"}, ""},
                          {{true, "common Startup"}, "M\\Startup"}};
    struct Case {
        const Registry* registry;
        int location;
        bool allUsers;
        const char* folder;
    };
    const Case cases[] = {
        {&full, LinkDesktop, false, "U\\Desktop"},
        {&full, LinkDesktop, true, "M\\Desktop"},
        {&full, LinkProgramGroup, true, "M\\Programs"},
        {&full, LinkSendTo, true, "U\\SendTo"}, // no machine-wide send-to
        {&full, LinkSendTo, false, "U\\SendTo"},
        {&full, LinkPersonal, true, "U\\Docs"},
        {&full, LinkStartup, false, "M\\Startup"},
        {&userOnly, LinkStartMenu, true, "U\\Start"},
        {&machineOnly, LinkStartMenu, false, "M\\Start"},
        {&odd, LinkDesktop, false, "U\\CD"},
        {&odd, LinkStartup, false, "M\\Startup"},
        {&userOnly, LinkDesktop, false, ""},
        {&full, LinkQuickLaunch, false, ""}, // a folder of its own, not under Shell Folders
        {&full, 7, false, ""},
        {&full, -1, true, ""},
    };
    for (const Case& c : cases) {
        const Registry& reg = *c.registry;
        auto read = [&reg](bool machineWide, const Text& name, Text& value) {
            for (const auto& [key, folder] : reg)
                if (key.first == machineWide && TextEquals(key.second, name)) {
                    value = folder;
                    return true;
                }
            return false;
        };
        EXPECT_EQ(ShellFolderFrom(c.location, c.allUsers, read), c.folder)
            << c.location << (c.allUsers ? " all users" : " user");
    }
}

TEST(LinkText, SubFolderTidying) {
    struct Case {
        const char *in, *out;
    };
    const Case cases[] = {
        {" \\Docs ", "Docs"}, {"Docs", "Docs"}, {"\\Docs", "Docs"}, {"\\\\Docs", "\\Docs"},
        {"  ", ""},           {"", ""},         {"A\\B", "A\\B"},   {"\\A\\B\\", "A\\B\\"}};
    for (const Case& c : cases) EXPECT_EQ(TidyLinkSubFolder(c.in), c.out) << c.in;
}

TEST(LinkText, GroupAndNameChecks) {
    using F = LinkNameFault;
    struct Case {
        const char* text;
        F group, name;
    };
    const Case cases[] = {
        {"", F::None, F::None},
        {"My Program", F::None, F::None},
        {"Tools\\My Program", F::None, F::Separator},
        {"\\Tools", F::None, F::Separator}, // one leading backslash: below Programs still
        {"Tools/Sub", F::None, F::Separator},
        {"v1.0 (beta)", F::None, F::None},
        {"..", F::ParentStep, F::ParentStep},
        {"..\\..\\..", F::ParentStep, F::ParentStep},
        {"Tools\\..\\..", F::ParentStep, F::ParentStep},
        {"a/../b", F::ParentStep, F::ParentStep},
        {" .. ", F::ParentStep, F::ParentStep},
        {"...", F::ParentStep, F::ParentStep},
        {"Tools\\.", F::ParentStep, F::ParentStep},
        {"..x", F::None, F::None},
        {"C:", F::Drive, F::Drive},
        {"C:\\Windows", F::Drive, F::Drive},
        {"Tools\\x:y", F::Drive, F::Drive},
        {"\\\\server\\share", F::OtherRoot, F::Separator},
        {"//server/share", F::OtherRoot, F::Separator},
        {" \\\\x", F::OtherRoot, F::Separator},
        {"Tab\there", F::ControlChar, F::ControlChar},
        {"Line\r\nbreak", F::ControlChar, F::ControlChar},
        {"a<b", F::BadChar, F::BadChar},
        {"a|b", F::BadChar, F::BadChar},
        {"what?", F::BadChar, F::BadChar},
        {"\"q\"", F::BadChar, F::BadChar},
        {"CON", F::DeviceName, F::DeviceName},
        {"Tools\\nul.txt", F::DeviceName, F::DeviceName},
        {"com1 ", F::DeviceName, F::DeviceName},
        {"LPT9.x.y", F::DeviceName, F::DeviceName},
        {"COM0", F::None, F::None},
        {"CONSOLE", F::None, F::None},
        {"Aux Tools", F::None, F::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckProgramGroup(c.text), c.group) << c.text;
        EXPECT_EQ(CheckLinkName(c.text), c.name) << c.text;
    }
}

TEST_F(LinksTest, ShellFoldersOfTheSandbox) {
    Text desktop = GetShellFolder(LinkDesktop, false);
    EXPECT_TRUE(zktest::IsDir(desktop)) << desktop;
    Text commonDesktop = GetShellFolder(LinkDesktop, true);
    EXPECT_TRUE(zktest::IsDir(commonDesktop)) << commonDesktop;
    EXPECT_NE(desktop, commonDesktop);
    // The machine has no send-to folder of its own: the user's serves both.
    EXPECT_EQ(GetShellFolder(LinkSendTo, true), GetShellFolder(LinkSendTo, false));
    EXPECT_FALSE(GetShellFolder(LinkSendTo, false).empty());
    Text appData = RegPathReadString(
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "AppData", "");
    ASSERT_FALSE(appData.empty());
    EXPECT_EQ(GetShellFolder(LinkQuickLaunch, true),
              appData + "\\Microsoft\\Internet Explorer\\Quick Launch");
}

TEST_F(LinksTest, ShellLinkReadBack) {
    Text exe = zktest::BinDir() + "\\uihost.exe";
    Text file = CreateLink(LinkProgramGroup, Text(" \\") + SubFolder + "\\Docs ", false, "Host",
                           exe, "/x \"a b\"", "C:\\windows", "C:\\windows\\notepad.exe", 2, 7);
    Text folder = GetShellFolder(LinkProgramGroup, false) + "\\" + SubFolder + "\\Docs";
    ASSERT_EQ(file, folder + "\\Host.lnk");
    ASSERT_TRUE(zktest::Exists(file));
    LinkFacts facts = ReadBackLink(file);
    EXPECT_TRUE(TextEquals(facts.path, exe)) << facts.path;
    EXPECT_EQ(facts.arguments, "/x \"a b\"");
    EXPECT_TRUE(TextEquals(facts.workDir, "C:\\windows")) << facts.workDir;
    EXPECT_TRUE(TextEquals(facts.iconFile, "C:\\windows\\notepad.exe")) << facts.iconFile;
    EXPECT_EQ(facts.iconIndex, 2);
    EXPECT_EQ(HeaderShowCmd(file), SW_SHOWMINNOACTIVE);

    // The tidied sub-folder is the same folder; a second link replaces nothing else.
    Text maximised = CreateLink(LinkProgramGroup, Text(SubFolder) + "\\Docs", false, "Max", exe, "",
                                "", "", 0, SW_SHOWMAXIMIZED);
    EXPECT_EQ(maximised, folder + "\\Max.lnk");
    EXPECT_EQ(HeaderShowCmd(maximised), SW_SHOWMAXIMIZED);
    EXPECT_EQ(HeaderShowCmd(file), SW_SHOWMINNOACTIVE);
    EXPECT_TRUE(folderErrors_.empty()) << folderErrors_;

    // For the outside reader's check (tests/fixtures/lnkinfo): a copy where it can reach it.
    if (const char* out = std::getenv("ZK_LNK_OUT")) {
        EXPECT_TRUE(CopyFileA(file.c_str(), out, FALSE)) << out;
    }
}

TEST_F(LinksTest, InternetShortcuts) {
    struct Case {
        const char *name, *target, *icon, *workDir, *text;
    };
    const Case cases[] = {
        {"Site", "WWW.example.com", "C:\\i.ico", "",
         "[InternetShortcut]\r\nURL=WWW.example.com\r\nIconFile=C:\\i.ico\r\nIconIndex=4\r\n"},
        {"Mail", "MAILTO:someone@example.com", "", "C:\\w",
         "[InternetShortcut]\r\nURL=MAILTO:someone@example.com\r\nWorkingDirectory=C:\\w\r\n"},
    };
    for (const Case& c : cases) {
        Text file = CreateLink(LinkDesktop, SubFolder, false, c.name, c.target, "", c.workDir,
                               c.icon, 4, 1);
        EXPECT_EQ(file,
                  GetShellFolder(LinkDesktop, false) + "\\" + SubFolder + "\\" + c.name + ".url");
        EXPECT_EQ(zktest::ReadBytes(file), c.text);
    }
    // Writing again replaces the file whole.
    Text file = CreateLink(LinkDesktop, SubFolder, false, "Site", "http://b", "", "", "", 0, 1);
    EXPECT_EQ(zktest::ReadBytes(file), "[InternetShortcut]\r\nURL=http://b\r\n");
}

TEST_F(LinksTest, LinksNotWrittenGiveNoName) {
    Text exe = zktest::BinDir() + "\\uihost.exe";
    Text folder = GetShellFolder(LinkDesktop, false) + "\\" + SubFolder;
    struct Case {
        const char *sub, *name, *target;
        bool folderError;
    };
    const Case cases[] = {
        // No such file name (Wine takes a ":", Windows does not): the save fails.
        {SubFolder, "a|b", "", false},
        {SubFolder, "a*b", "http://x", false},  // nor is an internet shortcut written
        {SubFolder, "a\\b\\c", "", false},      // a folder that is not there
        {"ZkTestLinks\\x|y", "Fine", "", true}, // the folder cannot be made
        {"ZkTestLinks\\x|y", "Fine", "www.x", true},
    };
    for (const Case& c : cases) {
        folderErrors_.clear();
        Text target = *c.target ? Text(c.target) : exe;
        EXPECT_EQ(CreateLink(LinkDesktop, c.sub, false, c.name, target, "", "", "", 0, 1), "")
            << c.sub << " " << c.name;
        EXPECT_EQ(!folderErrors_.empty(), c.folderError) << folderErrors_;
    }
    EXPECT_EQ(zktest::ReadBytes(folder + "\\a"), "");
}

TEST_F(LinksTest, NoQuickLaunchWithoutAppData) {
    const Text key =
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    Text saved = RegPathReadString(key, "AppData", "");
    ASSERT_FALSE(saved.empty());
    ASSERT_TRUE(RegPathWriteString(key, "AppData", ""));
    Text folder = GetShellFolder(LinkQuickLaunch, false);
    Text file = CreateLink(LinkQuickLaunch, "", false, "Host", zktest::BinDir() + "\\uihost.exe",
                           "", "", "", 0, 1);
    RegPathWriteString(key, "AppData", saved);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(file, "");
}
