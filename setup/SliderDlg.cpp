#include "SliderDlg.h"
#include "ControlIds.h"
#include "Music.h"

namespace zk {

namespace {

constexpr int ClientWidth = 45, ClientHeight = 142;
constexpr int SliderTop = 6, SliderWidth = 30, SliderHeight = 130;
constexpr UINT_PTR SliderTimer = 1;
constexpr UINT SliderTimerMs = 100;
constexpr DWORD Style = WS_POPUP | WS_CAPTION;
// Clicks on the slider must not take the activation from the wizard.
constexpr DWORD ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;

const TimerRoute<TSliderForm> Timers[] = {{SliderTimer, &TSliderForm::SliderTimerTimer}};

} // namespace

Box PlaceByLocationRow(const Text& row, const Box& area, int width, int height) {
    PlaceArea place{area.height - height, 0, area.top + StrToIntDef(ListItem(row, 2), 0),
                    area.left + StrToIntDef(ListItem(row, 1), 0), area.width - width};
    return PlaceBox(PositionIndex(ListItem(row, 0)), {0, 0, width, height}, place);
}

TSliderForm::TSliderForm(VolumeReader read, VolumeWriter write)
    : read_(std::move(read)), write_(std::move(write)) {
    if (!read_) read_ = [] { return GetMusicVolume(); };
    if (!write_) write_ = [](int volume) { SetMusicVolume(volume); };
}

bool TSliderForm::Make(HWND owner) {
    RECT r{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&r, Style, FALSE, ExStyle);
    return Create({ids::SliderFormClass}, owner, "Volume", Style, ExStyle, 0, 0, r.right - r.left,
                  r.bottom - r.top);
}

void StyleVolumeSlider(TSlider& slider) {
    slider.SetTrackWidth(4);
    slider.SetTrackColor(GetSysColor(COLOR_3DDKSHADOW));
    slider.SetThumbHeight(20);
    slider.SetThumbColor(GetSysColor(COLOR_BTNSHADOW));
    slider.SetOrientation(slVertical);
    slider.SetMin(0);
    slider.SetMax(65535);
    slider.SetCtl3D(true);
}

void TSliderForm::FormCreate() {
    SetFormFont(SharedFont({}));
    Slider1.Create(Handle(), ids::SliderFormSlider, (ClientWidth - SliderWidth) / 2 + 1, SliderTop,
                   SliderWidth, SliderHeight);
    StyleVolumeSlider(Slider1);
    Slider1.OnValueChange = [this](TSlider&) { Slider1ValueChange(); };
    StartTimer(SliderTimer, SliderTimerMs);
}

void TSliderForm::PlaceIn(const Text& locationRow, const Box& area) {
    RECT w{};
    GetWindowRect(Handle(), &w);
    Box b = PlaceByLocationRow(locationRow, area, w.right - w.left, w.bottom - w.top);
    SetWindowPos(Handle(), nullptr, b.left, b.top, b.width, b.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSliderForm::ShowFloating() {
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TSliderForm::Timer(UINT_PTR id) {
    Route(*this, Timers, id);
}

void TSliderForm::SliderTimerTimer() {
    if (!Slider1.Dragging()) Slider1.SetPosition(read_());
}

void TSliderForm::Slider1ValueChange() {
    write_(Slider1.Position());
}

} // namespace zk
