#include "ZMsgBox.h"
#include "ControlIds.h"
#include "Forms.h"
#include "Global.h"
#include "RichEd.h"
#include "SysLibs.h"

#include <richedit.h>

#include <algorithm>

namespace zk {

namespace {

constexpr int BandWidth = 54;  // icon band on the left
constexpr int ButtonBand = 36; // button band at the bottom
constexpr int ButtonWidth = 70;
constexpr int ButtonHeight = 23;
constexpr int ButtonGap = 13;         // between two buttons, as in the other boxes
constexpr int ButtonRightMargin = 10; // the last button ends 10 pixels before the edge
constexpr int MaxTextWidth = 400;
constexpr int FitSteps = 21;

struct Size {
    int cx = 0, cy = 0;
};

class TMsgBoxForm : public TForm {
  public:
    TMsgBoxForm(const Text& captions, unsigned flags) : captions_(captions), flags_(flags) {}
    int Show(HWND owner, const Text& text, const Text& caption);

  protected:
    void Command(int id, int code, HWND control) override;
    void FormClose() override { RestorePrevious(); }
    void FormDestroy() override { RestorePrevious(); }
    LRESULT Notify(const NMHDR& header) override;
    bool FormPaint(HDC dc, const RECT& client) override;

  private:
    void CreateBody(const MarkedText& text);
    Size MeasureText(const Text& plain) const;
    Size FitBody(Size measured);
    void PlaceBox(Size body);
    void CreateButtons();
    int ButtonRowWidth() const;
    void PlaceButtons();
    void RestorePrevious();

    Text captions_;
    unsigned flags_;
    HWND previous_ = nullptr; // the active window when the box was asked for
    HFONT font_ = nullptr;
    HWND body_ = nullptr;
    HWND defaultButton_ = nullptr;
    std::vector<HWND> buttons_;
    HICON icon_ = nullptr;
    Size requested_;
    int result_ = 0;
};

int TMsgBoxForm::Show(HWND owner, const Text& text, const Text& caption) {
    previous_ = GetActiveWindow();
    if (previous_) EnableWindow(previous_, FALSE);
    font_ = SharedFont(
        {"Tahoma", 13, FW_NORMAL, ANSI_CHARSET, false, false, false, VARIABLE_PITCH | FF_SWISS});
    FormClass cls{ids::MsgBoxClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_BTNFACE};
    // Shown once laid out, buttons and all: nobody sees or finds a half-made box.
    if (!Create(cls, owner, caption, WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME | WS_EX_TOPMOST,
                -100, -100, 10, 10)) {
        RestorePrevious();
        return 0;
    }
    MarkedText marked = ParseMessageMarkup(text);
    CreateBody(marked);
    Size body = FitBody(MeasureText(marked.plain));
    CreateButtons();
    PlaceBox(body);
    PlaceButtons();
    icon_ = [this] {
        static const LPCSTR system[] = {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
        BoxIcon icon = BoxIconOf(flags_);
        if (icon == BoxIcon::Program) return LoadIconA(GetModuleHandleA(nullptr), "MainIcon");
        return LoadIconA(nullptr, system[static_cast<int>(icon)]);
    }();
    ShowWindow(Handle(), SW_SHOW);
    if (defaultButton_) SetFocus(defaultButton_); // after activation, which focuses the box
    PumpScope modal(Handle());
    RunUntilClosed();
    return result_;
}

void TMsgBoxForm::CreateBody(const MarkedText& text) {
    DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_WANTRETURN;
    if (flags_ & FlagRightAligned) style |= ES_RIGHT;
    DWORD ex = flags_ & FlagRtlReading ? WS_EX_RTLREADING : 0;
    body_ = CreateWindowExA(ex, "RICHEDIT", "", style, 86, 30, 100, 13, Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::MsgBoxBody)),
                            GetModuleHandleA(nullptr), nullptr);
    SendMessageA(body_, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
    SendMessageA(body_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageA(body_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_WINDOW)));
    SetWindowTextTo(body_, text.plain);
    for (const BoldRun& run : text.runs) {
        CHARRANGE range{run.start, run.end};
        SendMessageA(body_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMATA format{};
        format.cbSize = sizeof format;
        format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
        format.dwEffects = CFE_BOLD;
        SendMessageA(body_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    SendMessageA(body_, EM_SETSEL, 0, 0);
}

Size TMsgBoxForm::MeasureText(const Text& plain) const {
    HDC dc = GetDC(Handle());
    HGDIOBJ old = SelectObject(dc, font_);
    Size total;
    size_t from = 0;
    while (true) {
        size_t end = plain.find("\r\n", from);
        size_t length = (end == Text::npos ? plain.size() : end) - from;
        const char* line = length ? plain.c_str() + from : " "; // an empty line is a blank
        SIZE s{};
        GetTextExtentPoint32A(dc, line, length ? static_cast<int>(length) : 1, &s);
        total.cx = std::max<int>(total.cx, s.cx);
        total.cy += s.cy;
        if (end == Text::npos) break;
        from = end + 2;
    }
    SelectObject(dc, old);
    ReleaseDC(Handle(), dc);
    total.cx = std::min(total.cx, MaxTextWidth);
    return total;
}

// Widens the body in steps of 10 until the rich edit needs no more height than measured.
// The resize request is asked for explicitly each time: the control only reports changes.
Size TMsgBoxForm::FitBody(Size measured) {
    int widest = 0;
    for (int i = 0; i < FitSteps; ++i) {
        Size trial{measured.cx + 10 * i, measured.cy};
        SetWindowPos(body_, nullptr, 0, 0, trial.cx, trial.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(body_, EM_REQUESTRESIZE, 0, 0);
        if (requested_.cy <= measured.cy) return trial;
        widest = std::max(widest, requested_.cx);
    }
    Size body{std::max(widest, measured.cx) + 10, measured.cy};
    SetWindowPos(body_, nullptr, 0, 0, body.cx, body.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return body;
}

void TMsgBoxForm::PlaceBox(Size body) {
    int mx = body.cx < 200 ? 64 : 32;
    int my = body.cy < 39 ? 45 : 32;
    int width = body.cx + BandWidth + 2 * mx + 2 * GetSystemMetrics(SM_CXSIZEFRAME);
    int height = body.cy + ButtonBand + 2 * my + 2 * GetSystemMetrics(SM_CYSIZEFRAME) +
                 GetSystemMetrics(SM_CYCAPTION);
    width =
        std::max({width, 360,
                  ButtonRowWidth() + 2 * ButtonRightMargin + 2 * GetSystemMetrics(SM_CXSIZEFRAME)});
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
    RECT client;
    GetClientRect(Handle(), &client);
    SetWindowPos(body_, nullptr, BandWidth + (client.right - body.cx - BandWidth) / 2,
                 (client.bottom - body.cy - ButtonBand) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMsgBoxForm::CreateButtons() {
    std::vector<BoxButton> buttons = BoxButtons(flags_);
    const int focus = DefaultButtonIndex(flags_);
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
        DWORD style =
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == focus ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND b =
            CreateWindowExA(0, "Button", ListItem(captions_, buttons[i].captionItem).c_str(), style,
                            0, 0, ButtonWidth, ButtonHeight, Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::MsgBoxButton1 + i)),
                            GetModuleHandleA(nullptr), nullptr);
        SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        SetWindowLongPtrA(b, GWLP_USERDATA, buttons[i].result);
        if (i == focus) defaultButton_ = b;
        buttons_.push_back(b);
    }
}

// Each button as wide as its caption needs, at least ButtonWidth.
int TMsgBoxForm::ButtonRowWidth() const {
    int width = 0;
    for (HWND b : buttons_) width += std::max(ButtonWidth, CaptionWidth(b)) + ButtonGap;
    return buttons_.empty() ? 0 : width - ButtonGap;
}

// Right-aligned, the last one's left edge at client width - 80 while the captions fit.
void TMsgBoxForm::PlaceButtons() {
    RECT client;
    GetClientRect(Handle(), &client);
    std::vector<Box> design(buttons_.size());
    int left = client.right - ButtonRightMargin - ButtonWidth;
    for (size_t i = buttons_.size(); i-- > 0; left -= ButtonWidth + ButtonGap)
        design[i] = {left, client.bottom - 29, ButtonWidth, ButtonHeight};
    FitButtonRowToCaptions(buttons_, design, ButtonRightMargin);
}

void TMsgBoxForm::RestorePrevious() {
    HWND previous = std::exchange(previous_, nullptr);
    if (!previous || !IsWindow(previous)) return;
    EnableWindow(previous, TRUE);
    SetActiveWindow(previous);
    SetFocus(previous);
}

void TMsgBoxForm::Command(int id, int code, HWND control) {
    if (code != BN_CLICKED || id < ids::MsgBoxButton1 || id > ids::MsgBoxButton3) return;
    result_ = static_cast<int>(GetWindowLongPtrA(control, GWLP_USERDATA));
    Close();
}

LRESULT TMsgBoxForm::Notify(const NMHDR& header) {
    if (header.hwndFrom == body_ && header.code == EN_REQUESTRESIZE) {
        const RECT& r = reinterpret_cast<const REQRESIZE&>(header).rc;
        requested_ = {r.right - r.left, r.bottom - r.top};
    }
    return 0;
}

bool TMsgBoxForm::FormPaint(HDC dc, const RECT& client) {
    auto fill = [dc](RECT r, COLORREF color) {
        UniqueBrush brush(CreateSolidBrush(color));
        FillRect(dc, &r, brush.get());
    };
    const int w = client.right, h = client.bottom;
    fill(client, GetSysColor(COLOR_WINDOW));
    fill({0, h - 37, w, h - 36}, GetSysColor(COLOR_3DDKSHADOW));
    fill({0, h - 36, w, h - 35}, RGB(255, 255, 255));
    fill({0, h - 35, w, h}, GetSysColor(COLOR_BTNFACE));
    fill({0, 0, BandWidth, h - 37}, RGB(0, 78, 152));
    if (icon_) DrawIcon(dc, 11, 20, icon_);
    return true;
}

// Upper case by the system's rules for the code page, which know more than a-z.
Text SystemUpperCase(Text text) {
    if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

} // namespace

int ZMsgBox(HWND owner, const Text& text, const Text& caption, const Text& buttonCaptions,
            unsigned flags) {
    UniqueModule richEdit(LoadSystemLibrary(RichEditLibrary)); // outlives the box's window
    TMsgBoxForm box(buttonCaptions, flags);
    return box.Show(owner, text, caption);
}

int ShowZMsgBox(HWND owner, const Text& text, const Text& caption, const Text& buttonCaptions,
                int charset, unsigned flags) {
    flags = FlagsForCharset(flags, charset);
    Text body = owner ? text : BoxTextWithCaption(text, SystemUpperCase(caption));
    if (!owner || owner == OwnerActiveWindow) owner = GetActiveWindow();
    int result = ZMsgBox(owner, body, caption, buttonCaptions, flags);
    WaitWithMessages(100); // windows the box uncovered repaint before the caller goes on
    return result;
}

void ShowErrorBox(HWND owner, const Text& text, const Text& caption, const Text& buttons,
                  int charset) {
    ShowZMsgBox(owner, text, caption, buttons, charset, MB_ICONHAND | MB_OK);
}

void ShowWarningBox(HWND owner, const Text& text, const Text& caption, const Text& buttons,
                    int charset) {
    ShowZMsgBox(owner, text, caption, buttons, charset, MB_ICONEXCLAMATION | MB_OK);
}

bool AskYesNo(HWND owner, const Text& text, const Text& caption, const Text& buttons, int charset) {
    return ShowZMsgBox(owner, text, caption, buttons, charset, MB_ICONQUESTION | MB_YESNO) == IDYES;
}

bool AskOkCancel(HWND owner, const Text& text, const Text& caption, const Text& buttons,
                 int charset) {
    return ShowZMsgBox(owner, text, caption, buttons, charset, MB_ICONQUESTION | MB_OKCANCEL) ==
           IDOK;
}

} // namespace zk
