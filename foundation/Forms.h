// The window layer: a form is a C++ object owning its top-level window. Its window procedure
// finds the object in GWLP_USERDATA and dispatches to virtual handlers; derived forms route
// commands and timers to member handlers named after control and event (NextButtonClick,
// StartupTimerTimer) through small tables, and create their controls from a table into named
// HWND members with fixed ids (ControlIds.h).
#pragma once
#include "Ctrls.h"
#include "Handles.h"

#include <cstddef>
#include <vector>

namespace zk {

class TForm;

// One row of a form's control table. WS_CHILD is always added; WS_VISIBLE unless hidden or on a
// page other than the shown one.
template <class F> struct ControlDef {
    HWND F::*member; // the named member that receives the window, or nullptr
    int id;
    const char* className;
    const char* caption;
    int x, y, width, height;
    DWORD style = 0;
    DWORD exStyle = 0;
    int page = 0; // 0: always on the form; n: shown with ShowPage(n)
    bool hidden = false;
};

// Command routing: control id and notification code to a member handler.
template <class F> struct CommandRoute {
    int id;
    int code; // BN_CLICKED, EN_CHANGE, LBN_SELCHANGE ...
    void (F::*handler)();
};
template <class F> struct TimerRoute {
    UINT_PTR id;
    void (F::*handler)();
};

// Dispatches the thread's messages until `done` is set. A WM_QUIT ends the loop and is posted
// again for the loop outside; the result is then false. With a dialog window, Tab and the
// dialog keys work in it.
bool RunModalLoop(const bool& done, HWND dialogKeysFor = nullptr);

// Registration of a form's window class (once per class name and module).
struct FormClass {
    const char* name;
    UINT style = CS_HREDRAW | CS_VREDRAW;
    int backgroundColor = COLOR_BTNFACE; // system colour index; -1: none
    HCURSOR cursor = nullptr;            // nullptr: the arrow
};

class TForm {
  public:
    TForm() = default;
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;
    virtual ~TForm();

    // Creates the window (top-level unless the style holds WS_CHILD). FormCreate runs inside.
    bool Create(const FormClass& cls, HWND owner, const Text& caption, DWORD style, DWORD exStyle,
                int x, int y, int width, int height);
    HWND Handle() const { return window_.get(); }
    bool Exists() const { return static_cast<bool>(window_); }

    // Disables the owner, shows the form (FormShow) and dispatches messages until the form is
    // destroyed; returns ModalResult. WM_QUIT destroys the form (result 0) and is posted again.
    // With `dialogKeys`, Tab, Enter and Escape work as in a dialog.
    int ShowModal(bool dialogKeys = false);
    // Dispatches messages until the form is gone; false when a WM_QUIT ended it.
    bool RunUntilClosed(HWND dialogKeysFor = nullptr);
    // Sets the result and asks the form to close.
    void EndModal(int result);
    int ModalResult() const { return modalResult_; }
    void Close() { PostMessageA(Handle(), WM_CLOSE, 0, 0); }

    void StartTimer(UINT_PTR id, UINT ms) { SetTimer(Handle(), id, ms, nullptr); }
    void StopTimer(UINT_PTR id) { KillTimer(Handle(), id); }

    // Shows the controls of page n, hides those of the other pages.
    void ShowPage(int page);
    // The form font for every control made from the table.
    void SetFormFont(HFONT font);
    HFONT FormFont() const { return font_; }
    // Charset and right-to-left reading for the form and all its table controls.
    void ApplyCharsetToControls(int charset);
    // A control of the form was replaced by another window (ReplaceWithRtlRichEdit).
    void ControlReplaced(HWND old, HWND replacement);

  protected:
    template <class F, std::size_t N> void CreateControls(F& self, const ControlDef<F> (&defs)[N]) {
        for (const ControlDef<F>& d : defs) {
            HWND h = AddControl(d.id, d.className, d.caption, d.x, d.y, d.width, d.height, d.style,
                                d.exStyle, d.page, d.hidden);
            if (d.member) self.*d.member = h;
        }
    }
    HWND AddControl(int id, const char* cls, const char* caption, int x, int y, int width,
                    int height, DWORD style, DWORD exStyle, int page, bool hidden);

    template <class F, std::size_t N>
    static bool Route(F& self, const CommandRoute<F> (&routes)[N], int id, int code) {
        for (const CommandRoute<F>& r : routes)
            if (r.id == id && r.code == code) return (self.*r.handler)(), true;
        return false;
    }
    template <class F, std::size_t N>
    static bool Route(F& self, const TimerRoute<F> (&routes)[N], UINT_PTR id) {
        for (const TimerRoute<F>& r : routes)
            if (r.id == id) return (self.*r.handler)(), true;
        return false;
    }

    // Handlers; the defaults do what the platform does.
    virtual void FormCreate() {}
    virtual void FormShow() {} // ShowModal: the form has just become visible, not yet painted
    virtual bool FormCloseQuery() { return true; } // false keeps the form open
    virtual void FormClose() {}                    // closing was accepted
    virtual void FormDestroy() {}
    virtual bool FormPaint(HDC, const RECT& /*client*/) { return false; }
    virtual void Command(int /*id*/, int /*code*/, HWND /*control*/) {}
    virtual LRESULT Notify(const NMHDR& /*header*/) { return 0; }
    virtual void Timer(UINT_PTR /*id*/) {}
    // Any other message: return true with `result` set to handle it.
    virtual bool Message(UINT, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void ReleaseOwner();

    struct Child {
        HWND window;
        int page;
        bool hidden;
    };
    UniqueWindow window_;
    std::vector<Child> controls_;
    HFONT font_ = nullptr;
    HWND modalOwner_ = nullptr;
    int modalResult_ = 0;
    bool closed_ = false;
};

// The form object of a window made by TForm, or nullptr.
TForm* FormOf(HWND window);

} // namespace zk
