// Pure builders of the wizard's page texts: the welcome paragraph, the user-information prompt
// key, the shortcuts and complete paragraphs, the confirm summary and the letter count that
// decides the reading direction of a loaded text. The texts come in from the language file.
#pragma once
#include "SScript.h"

#include <functional>

namespace zk {

// A language text of one section by key ("s1"), empty when absent.
using SectionText = std::function<Text(const Text& key)>;

struct WelcomeSwitches {
    bool closeRecommendation = false; // s2 shown
    bool adwareDisclaimer = false;    // s4 shown
    bool copyrightWarning = false;    // s3 shown
};
// s1 + s2 + CR LF + s4 + s3, a switched-off part as blank lines; "PROG_NAME" replaced.
Text WelcomeText(const SectionText& welcome, const WelcomeSwitches& on, const Text& progName);
// "s1" name only, "s2" company only, "s3" both, "s0" neither.
Text UserInfoPromptKey(bool requestName, bool requestCompany);
Text ShortcutsText(const SectionText& shortcuts, bool anyOptionalLink);
Text CompleteText(const SectionText& complete, bool proposeLaunch);
Text CompleteRestartText(const SectionText& complete, int charset);

struct ConfirmFacts {
    Text targetDir; // without trailing backslash
    Text programGroup;
    bool linkChecked[5] = {}; // Start Menu, Desktop, SendTo, StartUp, Quick Launch
    Text linkNames[5];
    bool userInfoShown = false; // the page list has the user page and a field is visible
    bool nameVisible = false, companyVisible = false;
    Text name, company;
};
// The lines of the confirm memo.
TextList ConfirmSummaryLines(const SectionText& confirm, const ConfirmFacts& facts);

// More letters of the Hebrew code page (0xE0 .. 0xFA) than Latin letters; a tie is Latin.
bool HasMoreHebrewThanLatin(const Text& text);

} // namespace zk
