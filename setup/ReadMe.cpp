#include "ReadMe.h"

#include "ControlIds.h"
#include "Files.h"
#include "RichEd.h"
#include "SLang.h"
#include "SPageText.h"
#include "SetupText.h"

#include <commctrl.h>
#include <richedit.h>

namespace zk {

namespace {

constexpr int kWidth = 600, kHeight = 425;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr COLORREF kReadmeColor = 0xEEFFFF;

} // namespace

bool TReadmeForm::Make(HWND owner, const Text& caption) {
    RECT desk;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desk, 0);
    const int left = desk.left + (desk.right - desk.left - kWidth) / 2;
    const int top = desk.top + (desk.bottom - desk.top - kHeight) / 2;
    return Create({ids::ReadmeClass}, owner, caption, kStyle, 0, left, top, kWidth, kHeight);
}

void TReadmeForm::FormCreate() {
    using F = TReadmeForm;
    static const ControlDef<F> controls[] = {
        {&F::StatusBar1, ids::ReadmeStatus, STATUSCLASSNAMEA, "", 0, 0, 0, 0, 0},
        {&F::RichEdit1, ids::ReadmeText, RichEditClass, "", 0, 0, 10, 10,
         ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL | WS_TABSTOP},
    };
    CreateControls(*this, controls);
    SetFormFont(SharedFont({"MS Sans Serif", -11}));
    SendMessageA(RichEdit1, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_BTNFACE)));
    SetWindowTextA(RichEdit1, "");
}

void TReadmeForm::Command(int id, int, HWND) {
    if (id == IDCANCEL) Close(); // Escape
}

bool TReadmeForm::Message(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != WM_SIZE || !RichEdit1) return false;
    SendMessageA(StatusBar1, WM_SIZE, 0, 0);
    RECT bar;
    GetWindowRect(StatusBar1, &bar);
    const int width = LOWORD(lp), height = HIWORD(lp) - (bar.bottom - bar.top);
    MoveWindow(RichEdit1, 0, 0, width, height > 0 ? height : 0, TRUE);
    result = 0;
    return true;
}

bool LoadTextFileInto(HWND richEdit, const Text& path) {
    SetWindowTextA(richEdit, "");
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const Text content = LoadFile(path);
    SendMessageA(richEdit, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    if (TextEquals(ExtensionOf(path), ".txt"))
        SetWindowTextA(richEdit, content.c_str());
    else
        LoadRtf(richEdit, content);
    return true;
}

void ApplyRightToLeftIfHebrew(HWND richEdit) {
    const int charset = GetLangCharset();
    if (charset != 177 && charset != 178) return;
    ApplyCharset(richEdit, HasMoreHebrewThanLatin(WindowText(richEdit)) ? charset : 0);
}

void ShowReadmeWindow(HWND owner, const Text& path) {
    TReadmeForm form;
    if (!form.Make(owner, LangString("Readme", "Caption", "Readme"))) return;
    LoadTextFileInto(form.RichEdit1, path);
    ApplyRightToLeftIfHebrew(form.RichEdit1);
    SendMessageA(form.RichEdit1, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(kReadmeColor));
    RECT client;
    GetClientRect(form.Handle(), &client);
    SendMessageA(form.Handle(), WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    form.ShowModal(true);
}

} // namespace zk
