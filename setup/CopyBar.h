// TCopyBarForm: the small copy-progress window shown instead of the wizard while billboards
// run: one progress bar for the whole installation and a Cancel button, at the bottom centre
// of the work area. It owns the billboard window while it shows.
#pragma once
#include "Forms.h"
#include "SScript.h"

#include <functional>

namespace zk {

class TCopyBarForm : public TForm {
  public:
    struct Hooks {
        // The wizard's copy loop runs: only then Cancel asks the exit question.
        std::function<bool()> isCopying;
        // Exit was answered here: the wizard stops as after its own Cancel.
        std::function<void()> exitConfirmed;
    };
    TCopyBarForm(const TScript& script, Hooks hooks);

    // Creates the window owned by `owner` (the wizard), hidden, at the bottom centre.
    bool Make(HWND owner);
    // Shows it and starts the billboards; pumps messages for about half a second.
    void Show();
    // Waits for the slide show's end when its settings ask, ends it and hides the window.
    void CloseBar();
    bool GetCancelled() const { return cancelled_; }
    // True while Show pumps: the object must outlive that call.
    bool InShow() const { return inShow_; }

    void CancelButtonClick();

    HWND ProgressBar1 = nullptr, CancelButton = nullptr;

  protected:
    void FormCreate() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void FormDestroy() override;
    void Command(int id, int code, HWND control) override;

  private:
    void FormShow() override;

    const TScript& script_;
    Hooks hooks_;
    bool cancelled_ = false;
    bool inShow_ = false;
};

} // namespace zk
