// The language texts on the wizard's pages, the licence and readme files, the right-to-left
// arrangement of a few controls and the confirm summary. The texts themselves are built by
// the pure routines of SPageText.
#include "SDialog.h"

#include "ReadMe.h"
#include "RichEd.h"
#include "SLang.h"
#include "SPageText.h"
#include "SetupText.h"
#include "UtilPlus.h"

#include <richedit.h>

namespace zk {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

SectionText Section(const char* name) {
    return [name](const Text& key) { return LangString(name, key, ""); };
}

Text Lang(const char* section, const char* key, const char* def = "") {
    return LangString(section, key, def);
}

bool IsRtl() {
    const int charset = GetLangCharset();
    return charset == 177 || charset == 178;
}

void Charset(std::initializer_list<HWND> controls) {
    for (HWND h : controls) ApplyCharset(h, GetLangCharset());
}

bool IsChecked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

} // namespace

void TSDialogForm::SetTextBlock(HWND& block, const Text& text) {
    ReplaceWithRtlRichEdit(block, GetLangCharset());
    SendMessageA(block, WM_SETREDRAW, FALSE, 0);
    ShowAsLabelMemo(block, text);
    SendMessageA(block, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(block, nullptr, TRUE);
}

void TSDialogForm::FillPageTexts(int kind) {
    switch (kind) {
    case 1:
        FillCompleteRestartTexts();
        return;
    case 2:
        FillShortcutsTexts();
        return;
    case 3:
        FillCompleteTexts();
        return;
    }
    FillWelcomeTexts();
    FillLicenseTexts();
    FillReadmeTexts();
    FillUserInfoTexts();
    FillDestinationTexts();
    FillSetupTypeTexts();
    FillComponentsTexts();
    FillAssociateTexts();
    FillConfirmTexts();
    FillCompleteTexts();
}

void TSDialogForm::FillWelcomeTexts() {
    const WelcomeSwitches on{Script->GetShowCloseRecommendation(),
                             Script->GetShowAdwareDisclaimer(), Script->GetShowCopyrightWarning()};
    SetTextBlock(RichEdit1, WelcomeText(Section("Welcome"), on, Script->GetProgName()));
    if (IsModernStyle()) SendMessageA(RichEdit1, EM_SETBKGNDCOLOR, 0, kWhite);
}

// Only the file-name part of the setting counts, in the engine's folder; errors leave the box
// empty.
void TSDialogForm::LoadSheetFile(HWND box, const Text& setting) {
    SetWindowTextA(box, "");
    if (setting.empty()) return;
    LoadTextFileInto(box, GetSourceDirPath(true) + FileNamePartOf(setting));
    ApplyRightToLeftIfHebrew(box);
    SendMessageA(box, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_WINDOW)));
}

void TSDialogForm::FillLicenseTexts() {
    SetWindowTextA(RichEdit11, "");
    if (IsDevSwitchDVX()) {
        SendMessageA(YesRadioButton, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageA(NoRadioButton, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    LoadSheetFile(RichEdit11, Script->GetLicenseFileName());
    Charset({Label1, Label3, YesRadioButton, NoRadioButton});
    SetWindowTextTo(Label1, Lang("License", "s1"));
    SetWindowTextTo(Label3, Lang("License", "s2"));
    SetWindowTextTo(YesRadioButton, Lang("License", "s3"));
    SetWindowTextTo(NoRadioButton, Lang("License", "s4"));
}

void TSDialogForm::FillReadmeTexts() {
    LoadSheetFile(RichEdit12, Script->GetReadmeFileName());
    Charset({Label10});
    SetWindowTextTo(Label10, Lang("Readme", "s1"));
}

void TSDialogForm::FillUserInfoTexts() {
    const Text key =
        UserInfoPromptKey(Script->GetRequestUserName(), Script->GetRequestCompanyName());
    SetTextBlock(RichEdit9, LangString("UserInfo", key, ""));
    SetWindowTextTo(Label11, Lang("UserInfo", "s11"));
    SetWindowTextTo(Label12, Lang("UserInfo", "s12"));
    if (!IsRtl()) return;
    Charset({Label11, Label12});
    const int block = SheetDesignBox(RichEdit9).width;
    for (HWND label : {Label11, Label12}) {
        const Box b = SheetDesignBox(label);
        MoveSheetControl(label, b.left + block - b.width, b.top);
    }
}

void TSDialogForm::FillDestinationTexts() {
    SetTextBlock(RichEdit2,
                 ReplaceAllSafe(Lang("Destination", "s1"), "PROG_NAME", Script->GetProgName()));
    Charset({GroupBox1, BrowseButton, Label24, Label25});
    SetWindowTextTo(GroupBox1, " " + Lang("Destination", "s2") + " ");
    SetWindowTextTo(BrowseButton, Lang("Buttons", "Browse", "&Browse..."));
    const Text required = Lang("Destination", "s3", "Space required in drive:");
    const Text available = Lang("Destination", "s4", "Space available in drive:");
    if (!IsRtl()) {
        SetWindowTextTo(Label22, required);
        SetWindowTextTo(Label23, available);
        return;
    }
    for (HWND label : {Label22, Label23})
        SetWindowLongPtrA(label, GWL_STYLE,
                          (GetWindowLongPtrA(label, GWL_STYLE) & ~SS_TYPEMASK) | SS_RIGHT);
    SetWindowTextTo(Label24, required);
    SetWindowTextTo(Label25, available);
}

void TSDialogForm::FillSetupTypeTexts() {
    SetTextBlock(RichEdit7, Lang("SetupType", "s1"));
    Charset({TypicalRadioButton, CompactRadioButton, CustomRadioButton, Label17, Label18, Label19});
    const bool cd = Script->GetCdSetup();
    SetWindowTextTo(TypicalRadioButton, Lang("SetupType", cd ? "s14" : "s11"));
    SetWindowTextTo(CompactRadioButton, Lang("SetupType", cd ? "s15" : "s12"));
    SetWindowTextTo(CustomRadioButton, Lang("SetupType", "s13"));
    SetWindowTextTo(Label17, Lang("SetupType", cd ? "s24" : "s21"));
    SetWindowTextTo(Label18, Lang("SetupType", cd ? "s25" : "s22"));
    SetWindowTextTo(Label19, Lang("SetupType", "s23"));
    if (!IsRtl()) return;
    const int block = SheetDesignBox(RichEdit7).width;
    const int right = block - SheetDesignBox(TypicalRadioButton).width;
    const int left = block - SheetDesignBox(Label17).width;
    for (HWND button : {TypicalRadioButton, CompactRadioButton, CustomRadioButton}) {
        const Box b = SheetDesignBox(button);
        MoveSheetControl(button, b.left + right, b.top);
    }
    for (HWND label : {Label17, Label18, Label19}) {
        const Box b = SheetDesignBox(label);
        MoveSheetControl(label, b.left - left, b.top);
    }
}

void TSDialogForm::FillComponentsTexts() {
    SetTextBlock(RichEdit8, Lang("Components", "s1"));
    Charset({Label16, Label20, Memo4});
    SetWindowTextTo(Label16, Lang("Components", "s2"));
    SetWindowTextTo(Label20, Lang("Components", "s3"));
}

void TSDialogForm::FillAssociateTexts() {
    SetTextBlock(RichEdit6,
                 ReplaceAllSafe(Lang("Associate", "s1"), "PROG_NAME", Script->GetProgName()));
    Charset({Label14});
    SetWindowTextTo(Label14, Lang("Associate", "s2"));
}

void TSDialogForm::FillShortcutsTexts() {
    SetTextBlock(RichEdit3, ShortcutsText(Section("Shortcuts"), HasOptionalLinks()));
    Charset({Label9, StartMenuCheckBox, DesktopCheckBox, SendToCheckBox, StartUpCheckBox,
             QuickLaunchCheckBox});
    SetWindowTextTo(Label9, Lang("Shortcuts", "s3"));
    const char* keys[] = {"s11", "s12", "s13", "s14", "s15"};
    HWND boxes[] = {StartMenuCheckBox, DesktopCheckBox, SendToCheckBox, StartUpCheckBox,
                    QuickLaunchCheckBox};
    for (int i = 0; i < 5; ++i) SetWindowTextTo(boxes[i], Lang("Shortcuts", keys[i]));
}

void TSDialogForm::FillConfirmTexts() {
    SetTextBlock(RichEdit4, Lang("Confirm", "s1"));
}

void TSDialogForm::FillCompleteTexts() {
    SetTextBlock(RichEdit5, CompleteText(Section("Complete"), Script->GetProposeLaunch()));
    SetTextBlock(RichEdit10, Lang("Complete", "s7"));
    if (!IsModernStyle()) return;
    for (HWND block : {RichEdit5, RichEdit10}) SendMessageA(block, EM_SETBKGNDCOLOR, 0, kWhite);
}

void TSDialogForm::FillCompleteRestartTexts() {
    SetTextBlock(RichEdit5, CompleteRestartText(Section("Complete"), GetLangCharset()));
    if (IsModernStyle()) SendMessageA(RichEdit5, EM_SETBKGNDCOLOR, 0, kWhite);
}

void TSDialogForm::FillConfirmSummary() {
    ConfirmFacts facts;
    facts.targetDir = GetTargetDir(false);
    facts.programGroup = GetProgramGroup();
    const HWND boxes[5] = {StartMenuCheckBox, DesktopCheckBox, SendToCheckBox, StartUpCheckBox,
                           QuickLaunchCheckBox};
    const Text names[5] = {StartMenuLinkName, DesktopLinkName, SendToLinkName, StartUpLinkName,
                           QuickLaunchLinkName};
    for (int i = 0; i < 5; ++i) {
        facts.linkChecked[i] = IsChecked(boxes[i]);
        facts.linkNames[i] = names[i];
    }
    facts.nameVisible = IsSheetControlVisible(NameEdit);
    facts.companyVisible = IsSheetControlVisible(CompanyEdit);
    facts.userInfoShown = PosText("UserInformation", Script->GetPageList()) > 0;
    facts.name = WindowText(NameEdit);
    facts.company = WindowText(CompanyEdit);
    Text text;
    const TextList lines = ConfirmSummaryLines(Section("Confirm"), facts);
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
    SendMessageA(Memo1, WM_SETREDRAW, FALSE, 0);
    SetWindowTextTo(Memo1, text);
    SendMessageA(Memo1, EM_SETSEL, 0, 0);
    ShowVerticalScrollBarWhenNeeded(Memo1);
    SendMessageA(Memo1, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Memo1, nullptr, TRUE);
}

} // namespace zk
