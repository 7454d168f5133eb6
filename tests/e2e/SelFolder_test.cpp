// The shell's folder browser end to end: the start folder preselected and returned by OK,
// Cancel keeping the path, a start folder that is not there, and the place where the user
// left the dialog used by the next one.
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char BrowserClass[] = "#32770";
const char BrowserTitle[] = "Browse for Folder";

struct Browse {
    zkui::Program host;
    std::string outFile;
};

Browse StartBrowser(const std::string& scratch, const std::string& start, int count = 1,
                    const std::string& mode = "") {
    Browse b;
    b.outFile = scratch + "\\result.txt";
    zktest::WriteBytes(b.outFile, ""); // the host's own creation would change the folder
    zkui::SettleFolderTimes(start);
    std::string args = zkui::Quote(b.outFile) + " " + zkui::Quote(start) + " " +
                       std::to_string(count) + " " + mode;
    b.host = zkui::Start(zktest::BinDir() + "\\selfolderhost.exe", args);
    return b;
}

// The shell's first start in a fresh prefix is slow, the more so under load.
HWND WaitBrowser(DWORD pid) {
    return zkui::FindTopWindow(BrowserClass, BrowserTitle, pid, 30000);
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

} // namespace

TEST(SelectFolder, OkReturnsThePreselectedFolder) {
    std::string dir = zktest::ScratchDir("selfolder_ok");
    std::string start = dir + "\\Start Here";
    CreateDirectoryA(start.c_str(), nullptr);
    Browse b = StartBrowser(dir, start);
    HWND dialog = WaitBrowser(b.host.Pid());
    ASSERT_TRUE(dialog);
    HWND ok = zkui::ChildById(dialog, IDOK), cancel = zkui::ChildById(dialog, IDCANCEL);
    ASSERT_TRUE(ok && cancel);
    EXPECT_TRUE(zkui::ChildByText(dialog, "Please select the destination folder:"));
    ASSERT_TRUE(zkui::WaitFolderSelected(dialog, 30000, "Start Here"));
    Press(dialog, IDOK);
    EXPECT_EQ(b.host.Wait(), 1);
    EXPECT_EQ(zktest::ReadBytes(b.outFile), "1|" + start + "\n");
    zktest::RemoveScratch(dir);
}

TEST(SelectFolder, CancelKeepsThePath) {
    std::string dir = zktest::ScratchDir("selfolder_cancel");
    Browse b = StartBrowser(dir, dir);
    HWND dialog = WaitBrowser(b.host.Pid());
    ASSERT_TRUE(dialog);
    Press(dialog, IDCANCEL);
    EXPECT_EQ(b.host.Wait(), 0);
    EXPECT_EQ(zktest::ReadBytes(b.outFile), "0|" + dir + "\n");
    zktest::RemoveScratch(dir);
}

TEST(SelectFolder, MissingStartFolderOpensWithoutSelection) {
    std::string dir = zktest::ScratchDir("selfolder_missing");
    std::string start = dir + "\\not\\there";
    Browse b = StartBrowser(dir, start);
    HWND dialog = WaitBrowser(b.host.Pid());
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(zkui::WaitFolderSelected(dialog, 1500));
    // Nothing chosen: OK on the root (no file-system folder) gives no folder.
    Press(dialog, IDOK);
    long rc = b.host.Wait();
    std::string result = zktest::ReadBytes(b.outFile);
    EXPECT_EQ(rc, 0) << result;
    EXPECT_EQ(result, "0|" + start + "\n");
    zktest::RemoveScratch(dir);
}

TEST(SelectFolder, NextDialogOpensWhereTheUserLeftTheLast) {
    std::string dir = zktest::ScratchDir("selfolder_place");
    Browse b = StartBrowser(dir, dir, 2);
    HWND first = WaitBrowser(b.host.Pid());
    ASSERT_TRUE(first);
    ASSERT_TRUE(zkui::WaitFolderSelected(first, 30000, "selfolder_place"));
    RECT box = zkui::WindowBox(first);
    EXPECT_EQ(box.left, (GetSystemMetrics(SM_CXSCREEN) - 560) / 2);
    EXPECT_EQ(box.top, (GetSystemMetrics(SM_CYSCREEN) - 520) / 2);
    SIZE size{box.right - box.left, box.bottom - box.top};
    SetWindowPos(first, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(600); // the dialog's place is taken every 200 ms
    Press(first, IDOK);
    ASSERT_TRUE(zkui::WaitGone(first));
    HWND second = WaitBrowser(b.host.Pid());
    ASSERT_TRUE(second);
    ASSERT_TRUE(zkui::WaitFolderSelected(second));
    box = zkui::WindowBox(second);
    EXPECT_EQ(box.left, 40);
    EXPECT_EQ(box.top, 30);
    EXPECT_EQ(box.right - box.left, size.cx); // at its own size
    EXPECT_EQ(box.bottom - box.top, size.cy);
    Press(second, IDCANCEL);
    EXPECT_EQ(b.host.Wait(), 0);
    EXPECT_EQ(zktest::ReadBytes(b.outFile), "1|" + dir + "\n0|" + dir + "\n");
    zktest::RemoveScratch(dir);
}

TEST(SelectFolder, OwnerActiveAgainOtherWindowsDisabledMeanwhile) {
    std::string dir = zktest::ScratchDir("selfolder_owner");
    Browse b = StartBrowser(dir, dir, 1, "windows");
    HWND dialog = WaitBrowser(b.host.Pid());
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(zkui::WaitFolderSelected(dialog));
    // The host retitles its other window once it has seen it disabled.
    ASSERT_TRUE(zkui::FindTopWindow("", "Other (disabled)", b.host.Pid()))
        << "the other window was not disabled while the dialog ran";
    Press(dialog, IDCANCEL);
    EXPECT_EQ(b.host.Wait(), 0);
    EXPECT_EQ(zktest::ReadBytes(b.outFile), "0|" + dir + "|AED\n");
    zktest::RemoveScratch(dir);
}
