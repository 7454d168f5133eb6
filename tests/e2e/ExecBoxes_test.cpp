// Execute conditions and operations that show the own message box, answered from a second
// thread of the test as a user would: read the box, press one of its buttons.
#include "ControlIds.h"
#include "Exec.h"
#include "ExecCond.h"
#include "ExecItemBuilder.h"
#include "ExecOp.h"
#include "TestEnv.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ids = zk::ids;
using zk::Text;

namespace {

struct SeenBox {
    std::string caption, body;
};

// Answers the next boxes of this process, one button caption each, from a thread of its own.
class BoxAnswerer {
  public:
    explicit BoxAnswerer(std::vector<std::string> buttons) : buttons_(std::move(buttons)) {
        thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    }
    ~BoxAnswerer() { Join(); }
    const std::vector<SeenBox>& Join() {
        if (thread_) {
            WaitForSingleObject(thread_, 60000);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        return seen_;
    }

  private:
    static DWORD WINAPI Main(void* self) {
        static_cast<BoxAnswerer*>(self)->Answer();
        return 0;
    }
    void Answer() {
        for (const std::string& button : buttons_) {
            HWND box = zkui::FindTopWindow(ids::MsgBoxClass, "", GetCurrentProcessId(), 15000);
            if (!box) return;
            seen_.push_back(
                {zkui::TextOf(box), zkui::TextOf(zkui::ChildById(box, ids::MsgBoxBody))});
            HWND b = zkui::ChildByText(box, button);
            if (!b) b = zkui::ChildById(box, ids::MsgBoxButton1);
            zkui::Click(b);
            zkui::WaitGone(box);
        }
    }
    std::vector<std::string> buttons_;
    std::vector<SeenBox> seen_;
    HANDLE thread_ = nullptr;
};

} // namespace

TEST(ExecBoxes, AskingConditionsAnswerByTheButtonPressed) {
    struct Case {
        int id;
        const char* button;
        bool result;
    };
    const Case cases[] = {
        {71, "Yes", true}, {71, "No", false}, {72, "OK", true}, {72, "Cancel", false}};
    for (const Case& c : cases) {
        BoxAnswerer answerer({c.button});
        EXPECT_EQ(zk::TestCondition(c.id, "Go on?", "", ""), c.result) << c.id << c.button;
        const std::vector<SeenBox>& seen = answerer.Join();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, "Confirm");
        EXPECT_NE(seen[0].body.find("Go on?"), std::string::npos) << seen[0].body;
    }
}

TEST(ExecBoxes, EveryAskingConditionReachedIsShownEvenWhenTheResultIsKnown) {
    zktest::ExecItemDef s;
    s.name = "Three questions";
    s.cond[0] = {"", "Ask Yes/No", "first", "", ""};
    s.cond[1] = {"", "Ask Yes/No", "second", "", ""};
    s.cond[2] = {"", "Ask OK/Cancel", "third", "", ""};
    s.join[0] = "1", s.join[1] = "1";
    BoxAnswerer answerer({"No", "Yes", "OK"});
    bool exitRequest = true;
    Text log;
    EXPECT_TRUE(zk::RunExecuteItem(nullptr, zktest::BuildExecItem(s), 1, exitRequest, log));
    const std::vector<SeenBox>& seen = answerer.Join();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_NE(seen[2].body.find("third"), std::string::npos);
    EXPECT_EQ(log, "  Three questions\r\n"
                   "    IF Ask Yes/No  first  (FALSE)\r\n"
                   "    and\r\n"
                   "    IF Ask Yes/No  second  (TRUE)\r\n"
                   "    and\r\n"
                   "    IF Ask OK/Cancel  third  (TRUE)\r\n"
                   "      Result: FALSE\r\n"
                   "\r\n");
    EXPECT_FALSE(exitRequest);
}

TEST(ExecBoxes, DisplayMessageWaitsForTheUser) {
    BoxAnswerer answerer({"OK"});
    bool exitRequest = false;
    EXPECT_TRUE(zk::PerformOperationId(91, "Line one\\\\nLine two", "", "", exitRequest));
    const std::vector<SeenBox>& seen = answerer.Join();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "Attention");
    EXPECT_EQ(seen[0].body, "Line one\r\nLine two");
}

TEST(ExecBoxes, ExtensionLibraryErrorsAreShownWhenAnAliasIsCalled) {
    const Text path = zktest::BinDir() + "\\zk_execdll.dll";
    zk::TExecDll dll(nullptr);
    dll.LoadDllAliases(path, true, true); // every alias export is there: no box
    ASSERT_EQ(dll.DllAliasMap.size(), 5u);
    {
        BoxAnswerer answerer({"OK"});
        EXPECT_FALSE(dll.CallDllAlias(1, "Missing Op", "one", "", ""));
        const std::vector<SeenBox>& seen = answerer.Join();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, "Error");
        EXPECT_NE(seen[0].body.find("Function: \"SetExecution_2\"\r\n\r\nNot Found in Library: \"" +
                                    path + "\""),
                  std::string::npos)
            << seen[0].body;
    }
    {
        // The library went away after its aliases were read.
        zk::TExecDll gone(nullptr);
        gone.DllAliasMap.push_back("Gone=|C:\\x\\gone.dll|SetExecution_1|");
        BoxAnswerer answerer({"OK"});
        EXPECT_FALSE(gone.CallDllAlias(1, "Gone", "one", "", ""));
        const std::vector<SeenBox>& seen = answerer.Join();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_NE(seen[0].body.find("C:\\x\\gone.dll\r\n\r\nDLL File Not Found!"),
                  std::string::npos)
            << seen[0].body;
    }
    {
        // Collecting with error messages on shows the missing library too; the engines
        // collect with them off.
        zk::TExecDll none(nullptr);
        BoxAnswerer answerer({"OK", "OK"});
        none.LoadDllAliases("not_there.dll", true, true);
        EXPECT_FALSE(none.HasDllAliases());
        EXPECT_EQ(answerer.Join().size(), 2u); // once for the conditions, once for operations
    }
}
