// The not-found box of a run-time folder end to end: shown once per definition, with the
// name the definition looked for, and the abort request after it.
#include "ControlIds.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace ids = zk::ids;

TEST(RunTimeDirBox, OneErrorBoxNamingTheSoughtProgram) {
    // App Paths of a program that is not registered; the box, then the abort request.
    const std::string def = "|1|zkNoSuchProgram.exe|||||||||||||||1|1|";
    zkui::Program host = zkui::Start(zktest::BinDir() + "\\rtdhost.exe", zkui::Quote(def));
    HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", host.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(zkui::TextOf(box), "Error");
    std::string body = zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody));
    EXPECT_NE(body.find("RunTimeDir(zkNoSuchProgram.exe)\r\n\r\nNot Found!"), std::string::npos)
        << body;
    HWND ok = zkui::ChildById(box, ids::MsgBoxButton1);
    ASSERT_TRUE(ok);
    EXPECT_EQ(zkui::TextOf(ok), "OK");
    zkui::Click(ok);
    // The second use of the folder shows no second box: the program ends.
    EXPECT_EQ(host.Wait(), 3);
}

TEST(RunTimeDirBox, NoBoxWithoutItsSwitch) {
    zkui::Program host = zkui::Start(zktest::BinDir() + "\\rtdhost.exe",
                                     zkui::Quote("|1|zkNoSuchProgram.exe|||||||||||||||||"));
    EXPECT_EQ(host.Wait(), 1);
}
