// The sample product of the demo setup: one window that shows the program's name, where it
// runs from and the document it was asked to open (the file association passes it).
#include <windows.h>

namespace {

constexpr char kClass[] = "ZkDemoApp";
constexpr char kTitle[] = "Zelkon Demo Notes";

char g_text[2 * MAX_PATH + 128];

void BuildText(const char* document) {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    wsprintfA(g_text, "%s 1.0\r\n\r\nRunning from:\r\n%s\r\n\r\nDocument:\r\n%s", kTitle, exe,
              *document ? document : "(none)");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        InflateRect(&r, -16, -16);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, g_text, -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The command tail after the program's own (possibly quoted) path, without its quotes.
const char* DocumentOf(char* commandLine) {
    char* p = commandLine;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {
        }
        if (*p) ++p;
    } else {
        while (*p && *p != ' ') ++p;
    }
    while (*p == ' ') ++p;
    if (*p == '"') {
        char* end = ++p;
        while (*end && *end != '"') ++end;
        *end = 0;
    }
    return p;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    BuildText(DocumentOf(GetCommandLineA()));
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowA(kClass, kTitle, WS_OVERLAPPEDWINDOW, 120, 120, 460, 260, nullptr,
                                nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
