#include "SelFolder.h"

#include "Files.h"
#include "Handles.h"
#include "UtilPlusText.h"

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <utility>
#include <vector>

namespace zk {

namespace {

// Where the last browser stood; left 0 = not yet set. Written by the tracking thread.
std::atomic<int> rectLeft{0}, rectTop{0}, rectWidth{0}, rectHeight{0};
std::atomic<bool> tracking{false};
Text browseCaption;

struct BrowseState {
    Text startPath;
    HANDLE tracker = nullptr; // the tracking thread, started by the first callback
};

DWORD WINAPI TrackBrowseDialogRect(void* window) {
    HWND dialog = static_cast<HWND>(window);
    while (tracking) {
        RECT r;
        if (IsWindowVisible(dialog) && GetWindowRect(dialog, &r)) {
            rectLeft = r.left;
            rectTop = r.top;
            rectWidth = r.right - r.left;
            rectHeight = r.bottom - r.top;
        }
        Sleep(200);
    }
    return 0;
}

// The user's text: it may name an empty drive.
bool IsFolder(const Text& path) {
    const QuietDriveErrors quiet;
    DWORD a = GetFileAttributesA(path.c_str());
    return !path.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

Text PathOfItem(LPCITEMIDLIST item) {
    char buf[MAX_PATH] = "";
    if (!item || !SHGetPathFromIDListA(item, buf)) return {};
    return buf;
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM item, LPARAM data) {
    BrowseState& state = *reinterpret_cast<BrowseState*>(data);
    if (!state.tracker) {
        tracking = true;
        state.tracker = CreateThread(nullptr, 0, TrackBrowseDialogRect, dialog, 0, nullptr);
    }
    if (message == BFFM_INITIALIZED) {
        if (!state.startPath.empty()) {
            SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                         reinterpret_cast<LPARAM>(state.startPath.c_str()));
            SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0,
                         reinterpret_cast<LPARAM>(state.startPath.c_str()));
        }
        if (!browseCaption.empty()) SetWindowTextA(dialog, browseCaption.c_str());
        SetWindowPos(dialog, nullptr, rectLeft, rectTop, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (message == BFFM_SELCHANGED) {
        Text path = PathOfItem(reinterpret_cast<LPCITEMIDLIST>(item));
        SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    return 0;
}

// The root of the tree: the drives folder for "My Computer" (its display name does not parse
// everywhere), else the parsed name; null (the desktop) when there is none.
LPITEMIDLIST RootItem(const Text& root) {
    LPITEMIDLIST item = nullptr;
    if (root.empty()) return nullptr;
    if (TextEquals(root, "My Computer")) {
        if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &item))) return nullptr;
        return item;
    }
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
    int n = MultiByteToWideChar(CP_ACP, 0, root.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(n > 0 ? n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, root.c_str(), -1, wide.data(), n);
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &item, nullptr)))
        item = nullptr;
    desktop->Release();
    return item;
}

struct WindowCollection {
    HWND owner;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM data) {
    auto& c = *reinterpret_cast<WindowCollection*>(data);
    if (window != c.owner && IsWindowVisible(window) && IsWindowEnabled(window))
        c.windows.push_back(window);
    return TRUE;
}

// The thread's other enabled top-level windows, disabled for the dialog's life and enabled
// again. The owner is left to the dialog, which enables it again before it goes, so that the
// owner and not another program's window is activated then.
class TaskWindowsDisabled {
  public:
    explicit TaskWindowsDisabled(HWND owner) {
        WindowCollection c{owner, {}};
        EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&c));
        windows_ = std::move(c.windows);
        for (HWND w : windows_) EnableWindow(w, FALSE);
    }
    ~TaskWindowsDisabled() {
        for (HWND w : windows_)
            if (IsWindow(w)) EnableWindow(w, TRUE);
    }
    TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
    TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;

  private:
    std::vector<HWND> windows_;
};

} // namespace

Text BrowseStartFolder(const Text& path) {
    Text folder = path;
    for (int step = 0; step < 10 && !IsFolder(folder); ++step) {
        size_t cut = LastCharOf(folder, "\\:");
        folder = FixSlash(cut == Text::npos ? Text() : folder.substr(0, cut + 1), false);
    }
    return folder;
}

bool SelectFolder(const Text& caption, const Text& prompt, const Text& root, bool allowNewFolder,
                  Text& path) {
    tracking = false;
    browseCaption = caption;
    if (rectLeft == 0) {
        rectWidth = 560;
        rectHeight = 520;
        rectLeft = (GetSystemMetrics(SM_CXSCREEN) - 560) / 2;
        rectTop = (GetSystemMetrics(SM_CYSCREEN) - 520) / 2;
    }
    BrowseState state;
    if (IsFolder(path)) state.startPath = path;

    // The new dialog style needs OLE on the thread.
    HRESULT ole = OleInitialize(nullptr);
    LPITEMIDLIST rootItem = RootItem(root);
    BROWSEINFOA info{};
    info.hwndOwner = GetActiveWindow();
    info.pidlRoot = rootItem;
    info.lpszTitle = prompt.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    if (!allowNewFolder) info.ulFlags |= BIF_NONEWFOLDERBUTTON;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&state);
    Text chosen;
    bool picked = false;
    {
        TaskWindowsDisabled disabled(info.hwndOwner);
        LPITEMIDLIST item = SHBrowseForFolderA(&info);
        if (item) {
            chosen = PathOfItem(item);
            picked = !chosen.empty();
            CoTaskMemFree(item);
        }
    }
    if (rootItem) CoTaskMemFree(rootItem);
    tracking = false;
    if (state.tracker) {
        WaitForSingleObject(state.tracker, 2000);
        CloseHandle(state.tracker);
    }
    if (SUCCEEDED(ole)) OleUninitialize();
    if (picked) path = chosen;
    return picked;
}

} // namespace zk
