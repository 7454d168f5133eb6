// Page-text builders: welcome joins, the user prompt, shortcuts and complete paragraphs, the
// confirm summary and the letter count behind the reading direction.
#include "SPageText.h"

#include <gtest/gtest.h>

using namespace zk;

namespace {

SectionText Keys() {
    return [](const Text& key) { return "<" + key + ">"; };
}

} // namespace

TEST(SPageText, WelcomeJoinsItsPartsOrBlankLines) {
    EXPECT_EQ(WelcomeText(Keys(), {true, true, true}, "X"), "<s1><s2>\r\n<s4><s3>");
    Text blank; // 5 + 1 + 3 + 3 line breaks
    for (int i = 0; i < 12; ++i) blank += "\r\n";
    EXPECT_EQ(WelcomeText(Keys(), {}, "X"), "<s1>" + blank);
    const SectionText named = [](const Text& key) { return key == "s1" ? "Hi PROG_NAME" : ""; };
    EXPECT_EQ(WelcomeText(named, {true, true, true}, "Demo"), "Hi Demo\r\n");
}

TEST(SPageText, UserPromptKey) {
    EXPECT_EQ(UserInfoPromptKey(false, false), "s0");
    EXPECT_EQ(UserInfoPromptKey(true, false), "s1");
    EXPECT_EQ(UserInfoPromptKey(false, true), "s2");
    EXPECT_EQ(UserInfoPromptKey(true, true), "s3");
}

TEST(SPageText, ShortcutsAndComplete) {
    EXPECT_EQ(ShortcutsText(Keys(), false), "<s1>");
    EXPECT_EQ(ShortcutsText(Keys(), true), "<s1>\r\n<s2>");
    EXPECT_EQ(CompleteText(Keys(), false), "<s0>");
    EXPECT_EQ(CompleteText(Keys(), true), "<s0><p><p><s1>");
    EXPECT_EQ(CompleteRestartText(Keys(), 0), "<s0><p><p><s2>");
    EXPECT_EQ(CompleteRestartText(Keys(), 177), "<s0><p><p><s2>\xFE");
    EXPECT_EQ(CompleteRestartText(Keys(), 178), "<s0><p><p><s2>");
}

TEST(SPageText, ConfirmSummary) {
    ConfirmFacts desktop;
    desktop.targetDir = "C:\\App";
    desktop.programGroup = "Demo";
    desktop.linkChecked[1] = true;
    desktop.linkNames[1] = "Demo Link";
    desktop.linkNames[0] = "unchecked";
    EXPECT_EQ(
        ConfirmSummaryLines(Keys(), desktop),
        (TextList{"<s11>", "   C:\\App", "", "<s12>", "   Demo", "", "<s14>", "   Demo Link"}));

    ConfirmFacts user;
    user.userInfoShown = user.nameVisible = user.companyVisible = true;
    user.name = "Ann";
    const TextList lines = ConfirmSummaryLines(Keys(), user);
    ASSERT_EQ(lines.size(), 8u) << "no company line for an empty company";
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "<s30>");
    EXPECT_EQ(lines[7], "   <s31>     \tAnn");

    const SectionText longLabel = [](const Text& key) {
        return key == "s32" ? Text("Organisation:") : Text();
    };
    user.company = "Acme";
    EXPECT_EQ(ConfirmSummaryLines(longLabel, user).back(), "   Organisation:\tAcme")
        << "a long label stays whole";
    user.userInfoShown = false;
    EXPECT_EQ(ConfirmSummaryLines(Keys(), user).size(), 5u) << "no user page in the list";
}

TEST(SPageText, HebrewAgainstLatinLetters) {
    struct Case {
        Text text;
        bool hebrew;
    } cases[] = {
        {"", false},
        {"License terms", false},
        {"\xF9\xEC\xE5\xED", true},
        {"ab\xF9\xEC", false}, // a tie counts as Latin
        {"a\xF9\xEC 123 ...", true},
        {"\xFB\xFC\xDF abc", false}, // bytes beyond the letters count for neither
    };
    for (const Case& c : cases) EXPECT_EQ(HasMoreHebrewThanLatin(c.text), c.hebrew) << c.text;
}
