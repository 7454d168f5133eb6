// TSliderForm: the floating volume window of the background music, a small always-on-top
// tool window with one vertical slider that follows the music's volume and sets it.
#pragma once
#include "Forms.h"
#include "Slider.h"

#include <functional>

namespace zk {

// The outer box of a window placed by a location row "|position name|dx|dy|" inside `area`
// (screen coordinates; the wizard passes the background window's client area or the work
// area), as the wizard places itself.
Box PlaceByLocationRow(const Text& row, const Box& area, int width, int height);

// The look and range of a music volume slider, the wizard's fixed one and the floating one.
void StyleVolumeSlider(TSlider& slider);

class TSliderForm : public TForm {
  public:
    using VolumeReader = std::function<int()>;
    using VolumeWriter = std::function<void(int)>;
    // Without reader and writer the slider follows the process's music (GetMusicVolume,
    // SetMusicVolume).
    explicit TSliderForm(VolumeReader read = {}, VolumeWriter write = {});

    // Creates the window owned by `owner` (the wizard), hidden.
    bool Make(HWND owner);
    // Moves it by the SET_BG_WAVE_LOCATION row inside `area`.
    void PlaceIn(const Text& locationRow, const Box& area);
    // Shows it topmost without activating, moving or sizing it.
    void ShowFloating();

    void SliderTimerTimer();
    void Slider1ValueChange();

    TSlider Slider1;

  protected:
    void FormCreate() override;
    void Timer(UINT_PTR id) override;

  private:
    VolumeReader read_;
    VolumeWriter write_;
};

} // namespace zk
