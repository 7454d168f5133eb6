// A link folder that cannot be made: the error box naming it, and no link after it.
#include "ControlIds.h"
#include "TestEnv.h"
#include "UiDriver.h"
#include "UtilPlus.h"

#include <gtest/gtest.h>

#include <string>

namespace ids = zk::ids;

TEST(LinkBox, FolderThatCannotBeMade) {
    zkui::Program host = zkui::Start(zktest::BinDir() + "\\linkhost.exe",
                                     zkui::Quote("ZkTestLinkBox\\bad|name") + " App");
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", host.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(zkui::TextOf(box), "Error");
    std::string body = zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody));
    EXPECT_NE(body.find("\\Desktop\\ZkTestLinkBox\\bad|name\r\n\r\nUnable to create Link "
                        "Directory!\r\n(RegOp.CreateLink)"),
              std::string::npos)
        << body;
    HWND ok = zkui::ChildById(box, ids::MsgBoxButton1);
    ASSERT_TRUE(ok);
    EXPECT_EQ(zkui::TextOf(ok), "OK");
    zkui::Click(ok);
    EXPECT_EQ(host.Wait(), 0);
    // The level above the bad name was made on the way; nothing else is left.
    std::string desktop = zk::RegPathReadString(
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "Desktop", "");
    ASSERT_FALSE(desktop.empty());
    EXPECT_TRUE(RemoveDirectoryA((desktop + "\\ZkTestLinkBox").c_str()));
}
