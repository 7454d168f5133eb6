// What the user sees around the copy: the copy bar with its billboards, and the music with
// its fixed or floating volume slider.
#include "SDialog.h"

#include "ControlIds.h"
#include "CopyBar.h"
#include "Ctrls.h"
#include "Global.h"
#include "Grafics.h"
#include "Music.h"
#include "SetupText.h"
#include "Slider.h"
#include "SliderDlg.h"

#include <commctrl.h>

namespace zk {

namespace {

constexpr int SliderWidth = 30, SliderHeight = 130, SpeakerSize = 16;
constexpr int BarWidening = 6, SliderGap = 6;

bool FileExists(const Text& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void SetWidth(HWND control, int width) {
    Box b = ControlBox(control);
    b.width = width;
    SetControlBox(control, b);
}

// A small loudspeaker: box, cone and two sound waves.
void PaintSpeaker(HDC dc) {
    RECT all{0, 0, SpeakerSize, SpeakerSize};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    const POINT cone[] = {{1, 5}, {4, 5}, {8, 1}, {8, 14}, {4, 10}, {1, 10}};
    Polygon(dc, cone, 6);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Arc(dc, 6, 4, 12, 11, 11, 3, 11, 12);
    Arc(dc, 6, 1, 15, 14, 14, 0, 14, 15);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

} // namespace

void TSDialogForm::CreateFixedSlider() {
    Slider1Control = std::make_unique<TSlider>();
    TSlider& s = *Slider1Control;
    s.Create(Handle(), ids::Slider1, 0, 0, SliderWidth, SliderHeight);
    StyleVolumeSlider(s);
    s.OnValueChange = [this](TSlider&) { Slider1ValueChange(); };
    Slider1 = s.Handle();
    ShowWindow(Slider1, SW_HIDE);
    Image2 = CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_BITMAP, 0, 0, SpeakerSize, SpeakerSize,
                             Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::Image2)),
                             GetModuleHandleA(nullptr), nullptr);
    speakerBitmap_ = PaintPicture(SpeakerSize, SpeakerSize, PaintSpeaker);
    ShowPicture(Image2, speakerBitmap_.get());
}

void TSDialogForm::SliderTimerTimer() {
    if (Slider1Control && !Slider1Control->Dragging())
        Slider1Control->SetPosition(GetMusicVolume());
}

void TSDialogForm::Slider1ValueChange() {
    if (Slider1Control) SetMusicVolume(Slider1Control->Position());
}

void TSDialogForm::ShowCopyBar() {
    FreeCopyBar();
    TCopyBarForm::Hooks hooks;
    hooks.isCopying = [this] { return IsCopyingComponents(); };
    // As the wizard's own Cancel: the abort request at once, the close deferred while busy.
    hooks.exitConfirmed = [this] {
        SetAbortRequested(true);
        Close();
    };
    CopyBarWindow = std::make_unique<TCopyBarForm>(*Script, hooks);
    if (!CopyBarWindow->Make(Handle())) return CopyBarWindow.reset();
    CopyBarWindow->Show();
    // Freed while it showed (the wizard closed meanwhile): only its window went then.
    if (CopyBarWindow && !CopyBarWindow->Exists()) CopyBarWindow.reset();
}

void TSDialogForm::FreeCopyBar() {
    if (!CopyBarWindow) return;
    if (CopyBarWindow->InShow()) { // its Show is still on the stack: the object stays
        if (CopyBarWindow->Exists()) DestroyWindow(CopyBarWindow->Handle());
        return;
    }
    CopyBarWindow.reset();
}

bool TSDialogForm::HasCopyBar() const {
    return CopyBarWindow && CopyBarWindow->Exists();
}

void TSDialogForm::CloseCopyBar() {
    if (HasCopyBar()) CopyBarWindow->CloseBar();
}

bool TSDialogForm::IsCopyBarCancelled() const {
    return CopyBarWindow && CopyBarWindow->GetCancelled();
}

HWND TSDialogForm::CopyProgressBar() const {
    return HasCopyBar() ? CopyBarWindow->ProgressBar1 : ProgressBar1;
}

void TSDialogForm::StartBackgroundMusic(Text& musicPath, int& savedBarWidth) {
    musicPath.clear();
    savedBarWidth = ControlBox(ProgressBar1).width;
    VolumeWindow.reset();
    const Text name = FileNamePartOf(Script->GetBgWaveFileName());
    if (name.empty()) return;
    const Text path = GetSourceDirPath(true) + name;
    if (!FileExists(path)) return;
    musicPath = path;
    Slider1Control->SetPosition(GetMusicVolume());
    const Text kind = Script->GetBgWaveSlider();
    if (kind == "Fixed") {
        // Below the lower bar shown, its right edge on the bars' widened end.
        SetWidth(ProgressBar1, savedBarWidth + BarWidening);
        SetWidth(ProgressBar2, savedBarWidth + BarWidening);
        const Box bar =
            ControlBox(IsSheetControlVisible(ProgressBar2) ? ProgressBar2 : ProgressBar1);
        const int left = bar.left + bar.width - SliderWidth, top = bar.top + bar.height + SliderGap;
        Slider1Control->SetBounds(left, top, SliderWidth, SliderHeight);
        SetControlBox(Image2, {left - SpeakerSize - 4, top + 2, SpeakerSize, SpeakerSize});
        // Over the page area panel, as the sheet's own controls are.
        for (HWND h : {Slider1, Image2})
            SetWindowPos(h, ProgressBar1, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ShowWindow(Slider1, SW_SHOW);
        ShowWindow(Image2, SW_SHOW);
    } else if (kind == "Floating") {
        VolumeWindow = std::make_unique<TSliderForm>();
        if (VolumeWindow->Make(Handle())) {
            SetSliderLocation(VolumeWindow->Handle());
            if (!Script->GetAddBillboard() && IsWindowVisible(Handle()))
                SetForegroundWindow(Handle());
            VolumeWindow->ShowFloating();
        } else {
            VolumeWindow.reset();
        }
    }
    PlayMusic(path, StrToIntDef(Script->GetBgWaveLoop(), 0));
}

void TSDialogForm::StopBackgroundMusic(int savedBarWidth) {
    const Text kind = Script->GetBgWaveSlider();
    if (kind == "Fixed") {
        ShowWindow(Slider1, SW_HIDE);
        ShowWindow(Image2, SW_HIDE);
        SetWidth(ProgressBar1, savedBarWidth);
        SetWidth(ProgressBar2, savedBarWidth);
    } else if (kind == "Floating" && VolumeWindow) {
        if (VolumeWindow->Exists()) ShowWindow(VolumeWindow->Handle(), SW_HIDE);
        VolumeWindow.reset();
    }
    PumpScope pause(Handle()); // ends early after an exit; the music stops all the same
    pause.Wait(50);
    StopMusic(500);
}

} // namespace zk
