#include "ExitSetup.h"

#include "ControlIds.h"
#include "MsgMarkup.h"
#include "SLang.h"

namespace zk {

namespace {

bool gExitConfirmed = false;
bool gExitDialogShowing = false;
constexpr int kClientWidth = 395, kClientHeight = 178;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

} // namespace

void SetExitConfirmed(bool confirmed) {
    gExitConfirmed = confirmed;
}
bool IsExitConfirmed() {
    return gExitConfirmed;
}
void SetExitDialogShowing(bool showing) {
    gExitDialogShowing = showing;
}
bool IsExitDialogShowing() {
    return gExitDialogShowing;
}

bool ConfirmExitSetup(HWND owner) {
    if (gExitConfirmed) return true;
    TExitSetupForm form;
    if (!form.Make(owner)) return false;
    SetExitDialogShowing(true);
    const int result = form.ShowModal(true); // the close box gives 0: Resume
    SetExitDialogShowing(false);
    gExitConfirmed = result == IDOK;
    return gExitConfirmed;
}

bool TExitSetupForm::Make(HWND owner) {
    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    RECT desk;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desk, 0);
    const int left = desk.left + (desk.right - desk.left - width) / 2;
    const int top = desk.top + (desk.bottom - desk.top - height) / 2;
    return Create({ids::ExitSetupClass}, owner, "Exit Setup", kStyle, kExStyle, left, top, width,
                  height);
}

void TExitSetupForm::FormCreate() {
    using F = TExitSetupForm;
    static const ControlDef<F> controls[] = {
        {&F::Resume, ids::ExitSetupResume, "BUTTON", "&Resume", 216, 144, 75, 25,
         WS_TABSTOP | BS_DEFPUSHBUTTON},
        {&F::Exit, ids::ExitSetupExit, "BUTTON", "E&xit Setup", 304, 144, 75, 25, WS_TABSTOP},
        {&F::Image1, ids::ExitSetupImage, "STATIC", "", 16, 16, 32, 32, SS_ICON},
        {&F::Memo1, ids::ExitSetupMemo, "EDIT", "", 64, 16, 313, 121, ES_MULTILINE | ES_READONLY},
    };
    CreateControls(*this, controls);
    SetFormFont(SharedFont({"Tahoma", -11}));
    SendMessageA(Image1, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_QUESTION)),
                 0);
    const int charset = GetLangCharset();
    for (HWND control : {Memo1, Resume, Exit}) ApplyCharset(control, charset);
    SetWindowTextTo(Handle(), LangString("ExitSetup", "Caption", ""));
    SetWindowTextTo(Memo1, ExpandEscapes(LangString("ExitSetup", "s1", "")));
    SetWindowTextTo(Resume, LangString("Buttons", "Resume", ""));
    SetWindowTextTo(Exit, LangString("Buttons", "ExitSetup", ""));
    FitButtonRowToCaptions({Resume, Exit}, {ControlBox(Resume), ControlBox(Exit)}, 16);
}

void TExitSetupForm::FormShow() {
    SetFocus(Resume);
}

void TExitSetupForm::ExitClick() {
    EndModal(IDOK);
}

void TExitSetupForm::ResumeClick() {
    EndModal(IDCANCEL);
}

void TExitSetupForm::Command(int id, int code, HWND) {
    static const CommandRoute<TExitSetupForm> routes[] = {
        {ids::ExitSetupExit, BN_CLICKED, &TExitSetupForm::ExitClick},
        {ids::ExitSetupResume, BN_CLICKED, &TExitSetupForm::ResumeClick},
        {IDCANCEL, BN_CLICKED, &TExitSetupForm::ResumeClick},
    };
    Route(*this, routes, id, code);
}

bool TExitSetupForm::Message(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == DM_GETDEFID) { // Enter presses Resume
        result = MAKELRESULT(ids::ExitSetupResume, DC_HASDEFID);
        return true;
    }
    // The read-only memo keeps the form's colour, as a label would.
    if (msg != WM_CTLCOLORSTATIC) return false;
    SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

} // namespace zk
