#include "SPageText.h"

namespace zk {

namespace {

Text Repeat(const char* piece, int count) {
    Text text;
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

constexpr const char* kIndent = "   ";

} // namespace

Text WelcomeText(const SectionText& welcome, const WelcomeSwitches& on, const Text& progName) {
    const Text s2 = on.closeRecommendation ? welcome("s2") : Repeat("\r\n", 5);
    const Text s4 = on.adwareDisclaimer ? welcome("s4") : Repeat("\r\n", 3);
    const Text s3 = on.copyrightWarning ? welcome("s3") : Repeat("\r\n", 3);
    return ReplaceAllSafe(welcome("s1") + s2 + "\r\n" + s4 + s3, "PROG_NAME", progName);
}

Text UserInfoPromptKey(bool requestName, bool requestCompany) {
    return "s" + IntToStr((requestName ? 1 : 0) + (requestCompany ? 2 : 0));
}

Text ShortcutsText(const SectionText& shortcuts, bool anyOptionalLink) {
    Text text = shortcuts("s1");
    if (anyOptionalLink) text += "\r\n" + shortcuts("s2");
    return text;
}

Text CompleteText(const SectionText& complete, bool proposeLaunch) {
    Text text = complete("s0");
    if (proposeLaunch) text += "<p><p>" + complete("s1");
    return text;
}

Text CompleteRestartText(const SectionText& complete, int charset) {
    Text text = complete("s0") + "<p><p>" + complete("s2");
    if (charset == 177) text += '\xFE';
    return text;
}

TextList ConfirmSummaryLines(const SectionText& confirm, const ConfirmFacts& facts) {
    static const char* const kLinkKeys[5] = {"s13", "s14", "s15", "s16", "s17"};
    TextList lines{confirm("s11"), kIndent + facts.targetDir, "", confirm("s12"),
                   kIndent + facts.programGroup};
    for (int i = 0; i < 5; ++i) {
        if (!facts.linkChecked[i]) continue;
        lines.insert(lines.end(), {"", confirm(kLinkKeys[i]), kIndent + facts.linkNames[i]});
    }
    if (facts.userInfoShown && (facts.nameVisible || facts.companyVisible)) {
        lines.insert(lines.end(), {"", confirm("s30")});
        if (!facts.name.empty())
            lines.push_back(kIndent + PadRight(confirm("s31"), 10, ' ') + "\t" + facts.name);
        if (!facts.company.empty())
            lines.push_back(kIndent + PadRight(confirm("s32"), 10, ' ') + "\t" + facts.company);
    }
    return lines;
}

bool HasMoreHebrewThanLatin(const Text& text) {
    int latin = 0, hebrew = 0;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) ++latin;
        if (c >= 0xE0 && c <= 0xFA) ++hebrew;
    }
    return hebrew > latin;
}

} // namespace zk
