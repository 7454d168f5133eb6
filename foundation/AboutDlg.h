// The About box of both engines: a borderless modal form with a gradient side panel, a title
// strip with a close image and a rich-edit body showing the built-in "About" RTF text with
// the installed program's name put in; the product address in it is a hyperlink.
#pragma once
#include "Forms.h"

namespace zk {

class TAboutForm : public TForm {
  public:
    Text ProgramName;    // put in for "<PROG_NAME>"
    COLORREF Color1 = 0; // handed over by ShowAboutBox; the gradient has its own colours
    COLORREF Color2 = 0;
    HWND Image2 = nullptr;    // the side panel (Panel2) with its gradient
    HWND Panel3 = nullptr;    // title strip
    HWND Image1 = nullptr;    // close glyph
    HWND RichEdit1 = nullptr; // the text

    bool Make(HWND owner);
    void Image1Click();
    void RichEdit1MouseMove(int x, int y);
    void RichEdit1MouseUp();
    void RichEdit1MouseDown();

  protected:
    void FormCreate() override;
    void FormShow() override;
    bool FormPaint(HDC dc, const RECT& client) override;
    void Command(int id, int code, HWND control) override;
    LRESULT Notify(const NMHDR& header) override;
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  private:
    void LoadText();
    UniqueBitmap gradient_, closeGlyph_;
    UniqueBrush stripBrush_;
};

// Shows the About box modally, owned by `owner`, and frees it when it closes.
void ShowAboutBox(HWND owner, const Text& programName, COLORREF color1, COLORREF color2);

// The "About" text with the name put in, RTF-escaped so that it shows as typed.
Text AboutRtf(const Text& resourceText, const Text& programName);

} // namespace zk
