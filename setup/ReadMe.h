// The readme window shown at the end of the wizard, and the reading direction of a loaded
// licence or readme text under a right-to-left language.
#pragma once
#include "Forms.h"

namespace zk {

class TReadmeForm : public TForm {
  public:
    HWND RichEdit1 = nullptr, StatusBar1 = nullptr;
    bool Make(HWND owner, const Text& caption);

  protected:
    void FormCreate() override;
    void Command(int id, int code, HWND control) override;
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// Loads a file into a rich edit: plain text for ".txt" (any case), else rich text. False when
// it cannot be read (the box is then empty).
bool LoadTextFileInto(HWND richEdit, const Text& path);
// Under charsets 177 and 178: right to left when the text holds more Hebrew than Latin
// letters, else left to right with the default charset.
void ApplyRightToLeftIfHebrew(HWND richEdit);
// The readme window for the file, modal over the owner; the caption from the language.
void ShowReadmeWindow(HWND owner, const Text& path);

} // namespace zk
