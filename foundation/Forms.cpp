#include "Forms.h"
#include "SysLibs.h"

#include "Global.h"

#include <utility>

namespace zk {

bool RunModalLoop(const bool& done, HWND dialogKeysFor) {
    MSG msg;
    while (!done) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) { // WM_QUIT: leave, and let the loop outside see it too
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (got < 0) return false;
        if (dialogKeysFor && IsDialogMessageA(dialogKeysFor, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

static void RegisterFormClass(const FormClass& cls, WNDPROC proc) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(module, cls.name, &wc)) return;
    wc.style = cls.style;
    wc.lpfnWndProc = proc;
    wc.hInstance = module;
    wc.hCursor = cls.cursor ? cls.cursor : LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground =
        cls.backgroundColor < 0
            ? nullptr
            : reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(cls.backgroundColor + 1));
    wc.lpszClassName = cls.name;
    RegisterClassExA(&wc);
}

TForm::~TForm() {
    if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0); // no handlers now
}

TForm* FormOf(HWND window) {
    return reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool TForm::Create(const FormClass& cls, HWND owner, const Text& caption, DWORD style,
                   DWORD exStyle, int x, int y, int width, int height) {
    // The common controls are not imported (SysLibs.h): registered before a form's controls.
    static const bool commonControls = [] {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        return sys::InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)commonControls;
    RegisterFormClass(cls, &TForm::WindowProc);
    closed_ = false;
    modalResult_ = 0;
    HWND h = CreateWindowExA(exStyle, cls.name, caption.c_str(), style, x, y, width, height, owner,
                             nullptr, GetModuleHandleA(nullptr), this);
    return h != nullptr;
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        form->window_.reset(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    TForm* form = FormOf(window);
    if (!form) return DefWindowProcA(window, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        form->window_.release();
        form->closed_ = true;
        return DefWindowProcA(window, msg, wp, lp);
    }
    return form->Dispatch(msg, wp, lp);
}

LRESULT TForm::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = Handle();
    LRESULT result = 0;
    if (Message(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_CREATE:
        FormCreate();
        return 0;
    case WM_CLOSE:
        if (FormCloseQuery()) {
            FormClose();
            ReleaseOwner();
            DestroyWindow(h);
        }
        return 0;
    case WM_DESTROY:
        ReleaseOwner();
        FormDestroy();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT client;
        GetClientRect(h, &client);
        bool painted = FormPaint(dc, client);
        EndPaint(h, &ps);
        if (painted) return 0;
        break;
    }
    case WM_COMMAND:
        Command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_NOTIFY:
        return Notify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_TIMER:
        Timer(wp);
        return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

bool TForm::RunUntilClosed(HWND dialogKeysFor) {
    if (RunModalLoop(closed_, dialogKeysFor)) return true;
    modalResult_ = 0;
    ReleaseOwner();
    window_.reset(); // WM_QUIT: the form ends, the quit goes on outside
    return false;
}

int TForm::ShowModal(bool dialogKeys) {
    HWND owner = GetWindow(Handle(), GW_OWNER);
    if (owner && IsWindowEnabled(owner)) {
        modalOwner_ = owner;
        EnableWindow(owner, FALSE);
    }
    PumpScope modal(Handle());
    ShowWindow(Handle(), SW_SHOW);
    FormShow();
    UpdateWindow(Handle());
    if (!RunUntilClosed(dialogKeys ? Handle() : nullptr)) return 0;
    return modalResult_;
}

// The owner must be enabled before the form goes, or activation leaves the program.
void TForm::ReleaseOwner() {
    if (HWND owner = std::exchange(modalOwner_, nullptr)) EnableWindow(owner, TRUE);
}

void TForm::EndModal(int result) {
    modalResult_ = result;
    Close();
}

HWND TForm::AddControl(int id, const char* cls, const char* caption, int x, int y, int width,
                       int height, DWORD style, DWORD exStyle, int page, bool hidden) {
    DWORD visible = hidden || page != 0 ? 0 : WS_VISIBLE;
    HWND h = CreateWindowExA(exStyle, cls, caption, WS_CHILD | visible | style, x, y, width, height,
                             Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleA(nullptr), nullptr);
    if (h && font_) SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    controls_.push_back({h, page, hidden});
    return h;
}

void TForm::ShowPage(int page) {
    for (const Child& c : controls_)
        if (c.page != 0) ShowWindow(c.window, c.page == page && !c.hidden ? SW_SHOW : SW_HIDE);
}

void TForm::ControlReplaced(HWND old, HWND replacement) {
    for (Child& c : controls_)
        if (c.window == old) c.window = replacement;
}

void TForm::SetFormFont(HFONT font) {
    font_ = font;
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (const Child& c : controls_)
        SendMessageA(c.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TForm::ApplyCharsetToControls(int charset) {
    for (const Child& c : controls_) ApplyCharset(c.window, charset);
}

} // namespace zk
