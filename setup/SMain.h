// TSMainForm: the background window. It covers the work area with a vertical gradient or a
// solid colour, an optional picture and up to three shadowed titles, starts the wizard in
// front of itself and keeps itself directly behind it, and asks the exit confirmation when
// the user closes it. The wizard and the exit confirmation are reached through `Hooks`.
#pragma once
#include "Forms.h"
#include "SMainText.h"
#include "SScript.h"

#include <functional>

namespace zk {

// Set when the background window's close begins; the wizard's close then leaves it alone.
bool IsBackgroundClosing();

class TSMainForm : public TForm {
  public:
    struct Hooks {
        // Creates the wizard when the window is first shown; returns its window.
        std::function<HWND(TSMainForm& background)> createWizard;
        // 500 ms later: the wizard's set-up and its before-dialogs stage, then it is shown;
        // false when that stage asks to abort (the window then closes without a question).
        std::function<bool()> startWizard;
        // The exit confirmation (ConfirmExitSetup): true when the setup may end.
        std::function<bool(HWND owner)> confirmExit;
        // Marks the exit as confirmed (SetExitConfirmed(true)).
        std::function<void()> setExitConfirmed;
        // The window is closing: the wizard is asked to close with it.
        std::function<void()> closing;
    };
    TSMainForm(const TScript& script, Hooks hooks);

    // Creates the window over the work area, hidden.
    bool Make();
    // Shows it: FormShow creates the wizard, the start-up timer starts it half a second later.
    void Show();
    // Closes without the exit question.
    void ForceCloseProg();
    HWND Wizard() const { return wizard_; }
    bool WizardShown() const { return wizardShown_; }
    // The client area in screen coordinates: where the wizard and the floating volume window
    // are placed while the background window exists.
    Box ClientAreaOnScreen() const;
    // The picture's place in the client area (empty without a picture).
    Box PictureBox() const { return pictureBox_; }

    void StartupTimerTimer();
    void SetOnTopTimerTimer();

    HWND Image1 = nullptr;

  protected:
    void FormCreate() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void Timer(UINT_PTR id) override;
    bool FormPaint(HDC dc, const RECT& client) override;
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  private:
    void FormShow() override;
    void CreateWizardForm();
    void LoadBackgroundImage();
    void PlaceBackgroundImage(SIZE picture);
    void KeepBehindWizard();
    void PaintBackground(HDC dc, int width, int height);
    void DrawTitles(HDC dc, int width, int height);

    const TScript& script_;
    Hooks hooks_;
    HWND wizard_ = nullptr;
    bool wizardShown_ = false;
    UniqueBitmap picture_;
    Box pictureBox_;
};

} // namespace zk
