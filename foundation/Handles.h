// Thin owners of Windows handles: one owner each, movable, never copied, released on
// destruction or by release()/reset().
#pragma once
#include <windows.h>
#include <winsvc.h>

#include <utility>

namespace zk {

template <typename T, typename Traits> class Owned {
  public:
    Owned() = default;
    explicit Owned(T h) : h_(h) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Traits::invalid()));
        return *this;
    }
    ~Owned() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::invalid(); }
    // Gives up ownership without closing.
    T release() { return std::exchange(h_, Traits::invalid()); }
    void reset(T h = Traits::invalid()) {
        if (h_ != Traits::invalid()) Traits::close(h_);
        h_ = h;
    }
    // For out-parameters of API calls: closes what is held, then exposes the slot.
    T* put() {
        reset();
        return &h_;
    }

  private:
    T h_ = Traits::invalid();
};

struct FileHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct KernelHandleTraits { // process, thread, event, token: null when absent
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct KeyTraits {
    static HKEY invalid() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
struct ServiceTraits {
    static SC_HANDLE invalid() { return nullptr; }
    static void close(SC_HANDLE h) { CloseServiceHandle(h); }
};
struct WindowTraits {
    static HWND invalid() { return nullptr; }
    static void close(HWND h) { DestroyWindow(h); }
};
template <typename G> struct GdiTraits {
    static G invalid() { return nullptr; }
    static void close(G h) { DeleteObject(h); }
};

using UniqueFile = Owned<HANDLE, FileHandleTraits>;
using UniqueHandle = Owned<HANDLE, KernelHandleTraits>;
using UniqueFind = Owned<HANDLE, FindHandleTraits>;
using UniqueKey = Owned<HKEY, KeyTraits>;
using UniqueModule = Owned<HMODULE, ModuleTraits>;
using UniqueService = Owned<SC_HANDLE, ServiceTraits>;
using UniqueWindow = Owned<HWND, WindowTraits>;
using UniqueFont = Owned<HFONT, GdiTraits<HFONT>>;
using UniqueBrush = Owned<HBRUSH, GdiTraits<HBRUSH>>;
using UniqueBitmap = Owned<HBITMAP, GdiTraits<HBITMAP>>;
using UniquePen = Owned<HPEN, GdiTraits<HPEN>>;

} // namespace zk
