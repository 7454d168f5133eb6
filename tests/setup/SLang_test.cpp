#include "SLang.h"

#include "SScriptRead.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace zk;

namespace {

TScript LangScript(int flag, const Text& names) {
    TScript s;
    ReadScriptText(s, "SET_LANG_FLAG(" + IntToStr(flag) + ")\nSET_LANG_NAMES(" + names + ")", {});
    return s;
}

void WriteLng(const std::string& folder, const Text& name, const Text& body) {
    ASSERT_TRUE(zktest::WriteBytes(folder + "\\" + name + ".lng", body));
}

// Which text a lookup shows names the file it came from.
Text Next() {
    return LangString("Buttons", "Next", "");
}

} // namespace

TEST(LangTable, ReadsTheLanguageFileFormat) {
    const TLangTable t("Stray=before any section\r\n"
                       "[ General ]\r\n"
                       "  LangID = 7  \r\n"
                       "; Charset=177\r\n"
                       "NoValue\r\n"
                       "Empty=\r\n"
                       "langid=8\r\n"
                       "[Confirm]\n"
                       "s32=Company:  \n"
                       "s1=a=b\r"
                       "[general]\r\n"
                       "Charset=178\r\n");
    struct Case {
        const char* section;
        const char* key;
        bool found;
        const char* value;
    } cases[] = {
        {"General", "LangID", true, "7"},     {"GENERAL", "langid", true, "7"},
        {"general", "Stray", false, ""},      {"General", "Charset", false, ""},
        {"General", "NoValue", true, ""},     {"General", "Empty", true, ""},
        {"Confirm", "s32", true, "Company:"}, {"Confirm", "s1", true, "a=b"},
        {"Confirm", "s2", false, ""},         {"Missing", "s1", false, ""},
    };
    for (const Case& c : cases) {
        Text value;
        EXPECT_EQ(t.Find(c.section, c.key, value), c.found) << c.section << "/" << c.key;
        EXPECT_EQ(value, c.value) << c.section << "/" << c.key;
    }
}

TEST(Lang, BuiltInEnglishHoldsTheBoundTexts) {
    SelectLanguageFileIn(LangScript(1, ""), "C:\\nowhere\\", 9);
    EXPECT_EQ(GetLangCharset(), 0);
    struct Case {
        const char* section;
        const char* key;
        const char* text;
    } bound[] = {
        {"General", "LangID", "9"},
        {"General", "Charset", "0"},
        {"Buttons", "Back", "< &Back"},
        {"Buttons", "Next", "&Next >"},
        {"Buttons", "Cancel", "&Cancel"},
        {"Buttons", "Finish", "&Finish"},
        {"Buttons", "Browse", "&Browse..."},
        {"MsgBox", "BtnText", "|OK|Cancel|Yes|No|Abort|Retry|Ignore|"},
        {"MsgBox", "Error", "Error"},
        {"MsgBox", "Confirm", "Confirm"},
        {"MsgBox", "Attention", "Attention"},
        {"Destination", "s3", "Space required on drive:"},
        {"Confirm", "s11", "Target Directory:"},
        {"Complete", "s7", "Click <b>Finish</b> to complete the Setup."},
        {"BeforeInstall", "IsRunningCaption", "Attention"},
        {"BeforeInstall", "IsRunningText",
         "<b>PROG_NAME</b> --- is running!<p><p>Please close the program and then click OK to "
         "continue with Installation."},
        {"Messages", "s1",
         "%s<p>File not found!<p><p>Correct the problem and run Setup once again!"},
        {"Messages", "s2",
         "Unable to create directory:<p>%s<p><p>Setup will now close.<p>Correct the problem and "
         "run "
         "Setup once again!"},
    };
    for (const Case& c : bound) EXPECT_EQ(LangString(c.section, c.key, "x"), c.text) << c.key;
    const char* named[][2] = {{"BeforeInstall", "IsRunningText"},
                              {"Welcome", "s1"},
                              {"Destination", "s1"},
                              {"Associate", "s1"},
                              {"UnInstall", "ConfirmText"},
                              {"UnInstall", "IsRunningText"},
                              {"UnInstall", "s1"},
                              {"AutoUpdate", "s11"},
                              {"AutoUpdate", "s14"},
                              {"AutoUpdate", "s15"},
                              {"AutoUpdate", "s16"},
                              {"AutoUpdate", "s22"}};
    for (auto& n : named)
        EXPECT_GT(Pos("PROG_NAME", LangString(n[0], n[1], "")), 0) << n[0] << n[1];
    for (const char* page :
         {"Welcome", "License", "Readme", "UserInfo", "Destination", "SetupType", "Components",
          "Associate", "Shortcuts", "Confirm", "CopyFiles", "Complete", "ExitSetup"})
        EXPECT_NE(LangString(page, "Caption", ""), "") << page;
}

TEST(Lang, TemplatesAreFilledLiterally) {
    EXPECT_EQ(FillTemplate("%s<p>File not found!", "C:\\100%s\\%d.txt"),
              "C:\\100%s\\%d.txt<p>File not found!");
    EXPECT_EQ(FillTemplate("no place", "x"), "no place");
    EXPECT_EQ(FillTemplate("%s and %s %n %x", "a"), "a and a %n %x");
    EXPECT_EQ(FillTemplate("%%ss", "%"), "%%s") << "no second pass over the value";
}

TEST(Lang, LookupFallsBackKeyByKey) {
    const std::string dir = zktest::ScratchDir("lang_lookup");
    WriteLng(dir, "Custom",
             "[General]\r\nLangID=7\r\n[Buttons]\r\nBack=Zur&uck\r\nCancel=\r\n"
             "[Welcome]\r\ns2=\r\n");
    struct Case {
        bool chosen;
        const char* key; // Back present, Cancel present but empty, Finish absent
        const char* def;
        const char* text;
    } cases[] = {
        {false, "Back", "", "< &Back"},     {false, "Back", "dflt", "< &Back"},
        {false, "Cancel", "", "&Cancel"},   {false, "Nothing", "", ""},
        {false, "Nothing", "dflt", "dflt"}, {true, "Back", "", "Zur&uck"},
        {true, "Back", "dflt", "Zur&uck"},  {true, "Cancel", "", ""},
        {true, "Cancel", "dflt", ""},       {true, "Finish", "", "&Finish"},
        {true, "Finish", "dflt", "dflt"},   {true, "Nothing", "", ""},
        {true, "Nothing", "dflt", "dflt"},
    };
    for (const Case& c : cases) {
        SelectLanguageFileIn(LangScript(c.chosen ? 2 : 1, "|Custom|"), dir + "\\", 9);
        EXPECT_EQ(LangString("buttons", c.key, c.def), c.text)
            << c.chosen << " " << c.key << " '" << c.def << "'";
    }
    zktest::RemoveScratch(dir);
}

TEST(Lang, ChoiceOfTheLanguageFile) {
    struct Case {
        const char* name;
        int flag;
        const char* names;
        int user;
        bool english, langFolder;
        const char* next; // shows which file was chosen
        int charset;
    } cases[] = {
        {"flag 1 ignores the files", 1, "|German|Hebrew|", 7, true, true, "&Next >", 0},
        {"flag 2 by language", 2, "|German|Hebrew|", 13, true, true, "Hebrew", 177},
        {"a single item whatever its LangID", 2, "|Hebrew|", 7, true, true, "Hebrew", 177},
        {"a single missing item: empty table", 2, "|Klingon|", 7, true, true, "&Next >", 0},
        {"no match: English.lng", 2, "|German|Hebrew|", 12, true, true, "English file", 0},
        {"no match, no English.lng", 2, "|German|Hebrew|", 12, false, true, "&Next >", 0},
        {"the first of two matches", 2, "|German|Deutsch|Hebrew|", 7, true, true, "German", 0},
        {"a bad charset counts as 0", 2, "|Deutsch|German|", 7, true, true, "Deutsch", 0},
        {"no LANG folder: the engine folder", 2, "|German|Hebrew|", 7, true, false, "German", 0},
        {"flag 3 ignores the files", 3, "|German|", 7, true, true, "&Next >", 0},
    };
    for (const Case& c : cases) {
        const std::string dir = zktest::ScratchDir("lang_choice");
        const std::string folder = c.langFolder ? dir + "\\LANG" : dir;
        if (c.langFolder) CreateDirectoryA(folder.c_str(), nullptr);
        WriteLng(folder, "German", "[General]\r\nLangID=7\r\n[Buttons]\r\nNext=German\r\n");
        WriteLng(folder, "Deutsch",
                 "[General]\r\nLangID= 7\r\nCharset=x\r\n[Buttons]\r\nNext=Deutsch\r\n");
        WriteLng(folder, "Hebrew",
                 "[General]\r\nLangID=13\r\nCharset=177\r\n[Buttons]\r\nNext=Hebrew\r\n");
        if (c.english) WriteLng(folder, "English", "[Buttons]\r\nNext=English file\r\n");
        SelectLanguageFileIn(LangScript(c.flag, c.names), dir + "\\", c.user);
        EXPECT_EQ(Next(), c.next) << c.name;
        EXPECT_EQ(GetLangCharset(), c.charset) << c.name;
        zktest::RemoveScratch(dir);
    }
    SelectLanguageFileIn(LangScript(1, ""), "C:\\nowhere\\", 9);
    EXPECT_EQ(Next(), "&Next >") << "a new choice starts afresh";
}
