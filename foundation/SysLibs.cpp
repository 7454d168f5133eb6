#include "SysLibs.h"
#include "UtilPlus.h"

namespace zk {

namespace {

template <typename F> F ProcOf(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

// Kept for the life of the process, as an import would be.
template <typename F> F SystemProc(const char* library, const char* name) {
    return ProcOf<F>(LoadSystemLibrary(library), name);
}

constexpr const char* ComCtl = "comctl32.dll";
constexpr const char* MsImg = "msimg32.dll";
constexpr const char* Version = "version.dll";
constexpr const char* WinMm = "winmm.dll";

} // namespace

void HardenLibrarySearch() {
    // Both are looked up: neither exists on every Windows the engines start on.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (auto setDirectory = ProcOf<BOOL(WINAPI*)(LPCSTR)>(kernel, "SetDllDirectoryA"))
        setDirectory("");
    if (auto setDefault = ProcOf<BOOL(WINAPI*)(DWORD)>(kernel, "SetDefaultDllDirectories"))
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
    const Text folder = GetSystemDir(true);
    if (folder.size() < 2) return nullptr;
    // With the altered search the library's imports are looked for in its own folder, not in
    // the program's.
    return LoadLibraryExA((folder + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace sys {

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) {
    static const auto f = SystemProc<decltype(&::InitCommonControlsEx)>(ComCtl, __func__);
    return f && f(classes);
}

BOOL TransparentBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                    int sourceY, int sourceWidth, int sourceHeight, UINT transparent) {
    static const auto f = SystemProc<decltype(&::TransparentBlt)>(MsImg, __func__);
    return f && f(target, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight,
                  transparent);
}

DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) {
    static const auto f = SystemProc<decltype(&::GetFileVersionInfoSizeA)>(Version, __func__);
    return f ? f(path, handle) : 0;
}

BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID block) {
    static const auto f = SystemProc<decltype(&::GetFileVersionInfoA)>(Version, __func__);
    return f && f(path, handle, size, block);
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, PUINT length) {
    static const auto f = SystemProc<decltype(&::VerQueryValueA)>(Version, __func__);
    return f && f(block, subBlock, value, length);
}

MCIERROR mciSendCommandA(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
    static const auto f = SystemProc<decltype(&::mciSendCommandA)>(WinMm, __func__);
    return f ? f(device, message, flags, params) : MCIERR_CANNOT_LOAD_DRIVER;
}

BOOL mciGetErrorStringA(MCIERROR error, LPSTR text, UINT size) {
    static const auto f = SystemProc<decltype(&::mciGetErrorStringA)>(WinMm, __func__);
    return f && f(error, text, size);
}

MMRESULT mixerOpen(LPHMIXER mixer, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    static const auto f = SystemProc<decltype(&::mixerOpen)>(WinMm, __func__);
    return f ? f(mixer, id, callback, instance, flags) : MMSYSERR_NODRIVER;
}

MMRESULT mixerClose(HMIXER mixer) {
    static const auto f = SystemProc<decltype(&::mixerClose)>(WinMm, __func__);
    return f ? f(mixer) : MMSYSERR_NODRIVER;
}

MMRESULT mixerGetLineInfoA(HMIXEROBJ mixer, LPMIXERLINEA line, DWORD flags) {
    static const auto f = SystemProc<decltype(&::mixerGetLineInfoA)>(WinMm, __func__);
    return f ? f(mixer, line, flags) : MMSYSERR_NODRIVER;
}

MMRESULT mixerGetLineControlsA(HMIXEROBJ mixer, LPMIXERLINECONTROLSA controls, DWORD flags) {
    static const auto f = SystemProc<decltype(&::mixerGetLineControlsA)>(WinMm, __func__);
    return f ? f(mixer, controls, flags) : MMSYSERR_NODRIVER;
}

MMRESULT mixerGetControlDetailsA(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags) {
    static const auto f = SystemProc<decltype(&::mixerGetControlDetailsA)>(WinMm, __func__);
    return f ? f(mixer, details, flags) : MMSYSERR_NODRIVER;
}

MMRESULT mixerSetControlDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags) {
    static const auto f = SystemProc<decltype(&::mixerSetControlDetails)>(WinMm, __func__);
    return f ? f(mixer, details, flags) : MMSYSERR_NODRIVER;
}

} // namespace sys
} // namespace zk
