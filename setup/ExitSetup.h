// The exit confirmation of the install engine: asked once per run by every window that can end
// the setup; an Exit (or the program's own close) is remembered, a Resume asks again next time.
#pragma once
#include "Forms.h"

namespace zk {

// True when the setup may end: at once when the exit is confirmed already, else the answer.
bool ConfirmExitSetup(HWND owner);
void SetExitConfirmed(bool confirmed);
bool IsExitConfirmed();
void SetExitDialogShowing(bool showing);
bool IsExitDialogShowing();

class TExitSetupForm : public TForm {
  public:
    HWND Image1 = nullptr, Memo1 = nullptr, Exit = nullptr, Resume = nullptr;

    bool Make(HWND owner);
    void ExitClick();
    void ResumeClick();

  protected:
    void FormCreate() override;
    void FormShow() override;
    void Command(int id, int code, HWND control) override;
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

} // namespace zk
