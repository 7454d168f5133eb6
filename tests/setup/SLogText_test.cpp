// The working copy of Setup.log: markup of the engine's own texts, data as it stands.
#include "SLogText.h"

#include <gtest/gtest.h>

using namespace zk;

TEST(SLogText, MarkupComesFromTheEngineTextsOnly) {
    SetupLogLines log;
    log.Add("Create Target Directory: ", "C:\\App");
    log.Add("\\\\x ... ", "TRUE");
    EXPECT_TRUE(log.LastContinued());
    log.Add("  Copy File: ", "\\\\tools\\share\\\\x.txt"); // data keeps its backslashes
    EXPECT_FALSE(log.LastContinued());
    log.Add("\\\\x ... OK");
    log.Add("Name:\\\\t", "Ann\\\\tB");
    log.Add("");
    EXPECT_EQ(log.Bytes(), "Create Target Directory: C:\\App ... TRUE\r\n"
                           "  Copy File: \\\\tools\\share\\\\x.txt ... OK\r\n"
                           "Name:\tAnn\\\\tB\r\n"
                           "\r\n");
}

TEST(SLogText, ContinuationOfAnEmptyLogStartsALine) {
    SetupLogLines log;
    log.Add("\\\\x ... ", "FALSE");
    EXPECT_FALSE(log.LastContinued());
    EXPECT_EQ(log.Bytes(), " ... FALSE\r\n");
}

TEST(SLogText, ExpandLogMarkup) {
    struct Case {
        const char* markup;
        const char* text;
        bool continues;
    } cases[] = {{"a\\\\tb", "a\tb", false},
                 {"\\\\x\\\\t", "\t", true},
                 {"a\\\\x", "a\\\\x", false},
                 {"\\x", "\\x", false}};
    for (const Case& c : cases) {
        bool continues = !c.continues;
        EXPECT_EQ(ExpandLogMarkup(c.markup, continues), c.text) << c.markup;
        EXPECT_EQ(continues, c.continues) << c.markup;
    }
}
