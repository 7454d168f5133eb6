// System libraries that are not KnownDLLs. The engines run from a download folder beside
// whatever else is there, and the loader looks in the program's folder first: these libraries
// are therefore never imported, but loaded by their full system-folder path when first used.
#pragma once
#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>

namespace zk {

// The first thing each program does: the current folder leaves the library search and, where
// the system has it, every later load by bare name searches the system folder only.
void HardenLibrarySearch();

// The library of the system folder by its full path (its own imports searched beside it);
// null when it cannot be loaded. Each call takes one reference, which FreeLibrary returns.
HMODULE LoadSystemLibrary(const char* name);

// The calls of comctl32, msimg32, version and winmm the engines make, bound on first use.
// Each gives its call's failure result when its library or function is missing.
namespace sys {

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes);
BOOL TransparentBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                    int sourceY, int sourceWidth, int sourceHeight, UINT transparent);

DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle);
BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID block);
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, PUINT length);

MCIERROR mciSendCommandA(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params);
BOOL mciGetErrorStringA(MCIERROR error, LPSTR text, UINT size);
MMRESULT mixerOpen(LPHMIXER mixer, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
MMRESULT mixerClose(HMIXER mixer);
MMRESULT mixerGetLineInfoA(HMIXEROBJ mixer, LPMIXERLINEA line, DWORD flags);
MMRESULT mixerGetLineControlsA(HMIXEROBJ mixer, LPMIXERLINECONTROLSA controls, DWORD flags);
MMRESULT mixerGetControlDetailsA(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);
MMRESULT mixerSetControlDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);

} // namespace sys
} // namespace zk
