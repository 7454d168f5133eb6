#include "CopyBar.h"

#include "Billboard.h"
#include "BillboardText.h"
#include "ControlIds.h"
#include "ExitSetup.h"
#include "Global.h"

#include <commctrl.h>

#include <utility>

namespace zk {

namespace {

constexpr int ClientWidth = 324, ClientHeight = 42;
constexpr int WorkAreaMargin = 10;
// A caption-less popup with a dialog frame.
constexpr DWORD Style = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD ExStyle = WS_EX_DLGMODALFRAME;

const ControlDef<TCopyBarForm> Controls[] = {
    {&TCopyBarForm::ProgressBar1, ids::CopyBarProgress, PROGRESS_CLASSA, "", 11, 14, 227, 14,
     PBS_SMOOTH},
    {&TCopyBarForm::CancelButton, ids::CopyBarCancel, "BUTTON", "Cancel", 251, 10, 60, 23,
     WS_TABSTOP | BS_PUSHBUTTON},
};
const CommandRoute<TCopyBarForm> Commands[] = {
    {ids::CopyBarCancel, BN_CLICKED, &TCopyBarForm::CancelButtonClick},
    {IDCANCEL, BN_CLICKED, &TCopyBarForm::CancelButtonClick},
};

// The settings row as the billboard takes it: an empty one comes from the first page line.
BillboardSettings BillboardSettingsOf(const TScript& script) {
    Text row = script.GetBillboardData();
    TextList files = script.GetBillboardFiles();
    TakeSettingsRow(row, files);
    return ParseBillboardSettings(row);
}

} // namespace

TCopyBarForm::TCopyBarForm(const TScript& script, Hooks hooks)
    : script_(script), hooks_(std::move(hooks)) {}

bool TCopyBarForm::Make(HWND owner) {
    RECT r{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&r, Style, FALSE, ExStyle);
    return Create({ids::CopyBarClass}, owner, "CopyBarForm", Style, ExStyle, 0, 0, r.right - r.left,
                  r.bottom - r.top);
}

void TCopyBarForm::FormCreate() {
    cancelled_ = false;
    SetFormFont(SharedFont({"Tahoma", -11}));
    CreateControls(*this, Controls);
    SendMessageA(ProgressBar1, PBM_SETRANGE32, 0, 100);
    SendMessageA(ProgressBar1, PBM_SETSTEP, 1, 0);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const Box own = ControlBox(Handle());
    PlaceControl(Handle(), "Bottom/Center", work.bottom - work.top - own.height, WorkAreaMargin,
                 work.top, work.left, work.right - work.left - own.width);
}

void TCopyBarForm::Show() {
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
    FormShow();
}

// No slide show once an exit came or the window went during the first wait.
void TCopyBarForm::FormShow() {
    inShow_ = true;
    PumpScope show(Handle());
    if (show.Wait(100))
        ShowBillboard(Handle(), script_.GetBillboardData(), script_.GetBillboardFiles(), true,
                      false, IsExitDialogShowing);
    show.Wait(400);
    inShow_ = false;
}

// Outside the copy loop no question: the billboards stop, the installation goes on.
void TCopyBarForm::CancelButtonClick() {
    const bool copying = hooks_.isCopying && hooks_.isCopying();
    if (copying && !ConfirmExitSetup(Handle())) return;
    if (copying) cancelled_ = true;
    FreeBillboard();
    if (copying && hooks_.exitConfirmed) hooks_.exitConfirmed();
}

void TCopyBarForm::CloseBar() {
    if (BillboardSettingsOf(script_).waitForEnd) WaitForBillboardEnd();
    FreeBillboard();
    if (Exists()) ShowWindow(Handle(), SW_HIDE);
}

// Alt+F4 is the Cancel button: the window itself stays until the wizard frees it.
bool TCopyBarForm::FormCloseQuery() {
    CancelButtonClick();
    return false;
}

void TCopyBarForm::FormClose() {
    FreeBillboard();
}

void TCopyBarForm::FormDestroy() {
    FreeBillboard();
}

void TCopyBarForm::Command(int id, int code, HWND) {
    Route(*this, Commands, id, code);
}

} // namespace zk
