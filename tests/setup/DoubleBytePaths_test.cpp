// Paths of code page 932 whose characters end in the byte of "\" (0x5C): "\x94\x5C" (one
// character), "\x95\x5C" and "\x83\x5C". Every unit that cuts or cleans a path at "\" must take
// them whole. The ctest entry runs this exe with the Japanese locale, so Wine's ANSI code
// page is 932.
#include "BillboardText.h"
#include "Common.h"
#include "CommonText.h"
#include "FileFlags.h"
#include "LinkText.h"
#include "RegOpText.h"
#include "SFileItem.h"
#include "SUnLines.h"
#include "SetupText.h"
#include "UnScript.h"
#include "UtilPlusText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

using namespace zk;

namespace {

// The three characters, and one whose second byte is no "\".
const Text No = "\x94\x5C", Hyo = "\x95\x5C", So = "\x83\x5C", Ki = "\x8B\x40";

struct Case {
    const char* unit;
    std::function<Text()> actual;
    Text expected;
};

Text Yes(bool b) {
    return b ? "yes" : "no";
}

} // namespace

TEST(DoubleBytePaths, EveryCutTakesCharactersWhole) {
    ASSERT_EQ(GetACP(), 932u) << "run by the setup_DoubleBytePaths_test entry (LC_ALL=ja_JP)";
    const Text folder = "C:\\zk\\" + Ki + No; // ends with 0x5C, a character's second byte
    SetInstallFolders(folder, "", "");
    const Case cases[] = {
        {"FixSlash", [&] { return FixSlash(folder, false); }, folder},
        {"FixSlash", [&] { return FixSlash(folder + "\\", false); }, folder},
        {"FixSlash", [&] { return FixSlash(folder, true); }, folder + "\\"},
        {"RemoveDoubleSlashes", [&] { return RemoveDoubleSlashes(folder + "\\Prod"); },
         folder + "\\Prod"},
        {"RemoveDoubleSlashes", [&] { return RemoveDoubleSlashes(folder + "\\\\Prod"); },
         folder + "\\Prod"},
        {"ExpandFolderMacros",
         [&] { return ExpandFolderMacros("<Application Folder>\\" + So, "\\"); },
         folder + "\\" + So},
        {"CanonicalizePath", [&] { return CanonicalizePath(folder + "\\"); }, folder},
        {"IsSameOrAncestor", [&] { return Yes(IsSameOrAncestor(folder, folder + "x")); }, "no"},
        {"IsRootPath", [&] { return Yes(IsRootPath("\\\\srv\\" + Hyo)); }, "yes"},
        {"StripFileNumberPrefix",
         [&] { return StripFileNumberPrefix("C:\\" + Hyo + "\\00002#" + So + ".txt"); },
         "C:\\" + Hyo + "\\" + So + ".txt"},
        {"SourceFileKey", [&] { return SourceFileKey("C:\\src\\" + No + ".txt"); }, No + ".TXT"},
        {"FileNameOfPath", [&] { return FileNameOfPath(folder + "\\" + So); }, So},
        {"FolderOfPath", [&] { return FolderOfPath(folder + "\\" + So); }, folder},
        {"TrimBackslashes", [&] { return TrimBackslashes("Software\\" + No + "\\"); },
         "Software\\" + No},
        {"FileNamePartOf", [&] { return FileNamePartOf("C:\\x\\" + Hyo); }, Hyo},
        {"FolderPartOf", [&] { return FolderPartOf(folder + "\\a.txt"); }, folder},
        {"IsPlainDllName", [&] { return Yes(IsPlainDllName(No + ".dll")); }, "yes"},
        {"IsPlainFileName", [&] { return Yes(IsPlainFileName(No + ".dll")); }, "yes"},
        {"UninstallEnginePath", [&] { return UninstallEnginePath("C:\\x." + So); }, "C:\\x.exe"},
        {"UninstallScriptPath", [&] { return UninstallScriptPath(folder, ""); },
         folder + "\\UnInstall.txt"},
        {"CheckLinkName", [&] { return Yes(CheckLinkName(So + "ft") == LinkNameFault::None); },
         "yes"},
        {"PageFilePath", [&] { return PageFilePath("x\\" + No + ".bmp", true, folder); },
         folder + "\\" + No + ".bmp"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.actual(), c.expected) << c.unit;
}
