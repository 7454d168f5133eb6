// The unrecognised-command box of the script reader as the running engine shows it: one box
// per bad line, in file order, and reading goes on after each.
#include "ControlIds.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

namespace ids = zk::ids;

TEST(ScriptBox, OneBoxPerUnrecognizedLine) {
    const std::string dir = zktest::ScratchDir("script_box");
    const std::string script = dir + "\\Setup.txt";
    ASSERT_TRUE(zktest::WriteBytes(script, "FOO(1) ; remark\r\n"
                                           "; see a;b\r\n"
                                           "SET_PROG_NAME(Before)\r\n"
                                           "Bar_Baz\r\n"
                                           "SET_PROG_NAME(After)\r\n"));
    zkui::Program host = zkui::Start(zktest::BinDir() + "\\scripthost.exe", script);
    for (const char* line : {"FOO(1) ", "Bar_Baz"}) {
        HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", host.Pid());
        ASSERT_TRUE(box) << line;
        EXPECT_EQ(zkui::TextOf(box), "Error");
        EXPECT_EQ(zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody)),
                  std::string("ERROR\r\n\r\n") + line +
                      "\r\n\r\nUnrecognized command in Script file\r\n");
        HWND ok = zkui::ChildById(box, ids::MsgBoxButton1);
        ASSERT_TRUE(ok);
        EXPECT_EQ(zkui::TextOf(ok), "OK");
        zkui::Click(ok);
        EXPECT_TRUE(zkui::WaitGone(box)) << line;
    }
    EXPECT_EQ(host.Wait(), 0) << "reading went on to the last line";
    zktest::RemoveScratch(dir);
}
