#include "SrvBar.h"
#include "ControlIds.h"
#include "Forms.h"
#include "Global.h"
#include "SysLibs.h"

#include <commctrl.h>

#include <memory>

namespace zk {

namespace {

constexpr int ClientWidth = 352, ClientHeight = 107;
constexpr int BarMax = 20;
constexpr UINT_PTR Timer1 = 1;
constexpr UINT Timer1Ms = 500;

class TSrvBarDlg : public TForm {
  public:
    bool Open();
    void Show(const Text& action, const Text& name);

    void Timer1Timer();
    void FormHide() { StopTimer(Timer1); }

    HWND Label1 = nullptr, Label2 = nullptr, ProgressBar1 = nullptr;

  protected:
    void FormCreate() override;
    void Timer(UINT_PTR id) override;
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

const ControlDef<TSrvBarDlg> Controls[] = {
    {&TSrvBarDlg::Label1, ids::SrvBarAction, "STATIC", "", 32, 16, 289, 13, SS_LEFT | SS_NOPREFIX},
    {&TSrvBarDlg::Label2, ids::SrvBarName, "STATIC", "", 32, 40, 289, 13, SS_LEFT | SS_NOPREFIX},
    {&TSrvBarDlg::ProgressBar1, ids::SrvBarProgress, PROGRESS_CLASSA, "", 32, 67, 289, 13},
};

const TimerRoute<TSrvBarDlg> Timers[] = {{Timer1, &TSrvBarDlg::Timer1Timer}};

std::unique_ptr<TSrvBarDlg> bar;

bool TSrvBarDlg::Open() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    sys::InitCommonControlsEx(&icc);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
    RECT r{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    int width = r.right - r.left, height = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return Create({ids::SrvBarClass}, nullptr, "Start/Stop NT-Service", style, exStyle, x, y, width,
                  height);
}

void TSrvBarDlg::FormCreate() {
    SetFormFont(SharedFont({"MS Sans Serif", -11}));
    CreateControls(*this, Controls);
}

void TSrvBarDlg::Show(const Text& action, const Text& name) {
    SetWindowTextTo(Label1, action);
    SetWindowTextTo(Label2, name);
    SendMessageA(ProgressBar1, PBM_SETRANGE32, 0, BarMax);
    SendMessageA(ProgressBar1, PBM_SETSTEP, 1, 0);
    SendMessageA(ProgressBar1, PBM_SETPOS, 0, 0);
    StartTimer(Timer1, Timer1Ms);
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
}

void TSrvBarDlg::Timer(UINT_PTR id) {
    Route(*this, Timers, id);
}

// An endless sweep: the full bar is never shown, the step after 19 goes back to 0.
void TSrvBarDlg::Timer1Timer() {
    int next = static_cast<int>(SendMessageA(ProgressBar1, PBM_GETPOS, 0, 0)) + 1;
    SendMessageA(ProgressBar1, PBM_SETPOS, next >= BarMax ? 0 : next, 0);
}

bool TSrvBarDlg::Message(UINT msg, WPARAM wp, LPARAM, LRESULT&) {
    if (msg == WM_SHOWWINDOW && !wp) FormHide();
    return false;
}

} // namespace

void ShowServiceBar(const Text& action, const Text& name) {
    if (!bar || !bar->Exists()) {
        bar = std::make_unique<TSrvBarDlg>();
        if (!bar->Open()) return bar.reset();
    }
    bar->Show(action, name);
    WaitWithAppMessages(1000);
}

void FreeServiceBar() {
    bar.reset();
}

} // namespace zk
