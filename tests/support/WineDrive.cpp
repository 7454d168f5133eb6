#include "WineDrive.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

namespace zktest {

namespace {

struct Request {
    ULONG size, type, fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset, deviceOffset, labelOffset;
};

bool Define(char letter, const char* unixPath, ULONG type) {
    std::vector<char> buf(sizeof(Request) + (unixPath ? strlen(unixPath) + 1 : 0));
    auto* r = reinterpret_cast<Request*>(buf.data());
    r->size = static_cast<ULONG>(buf.size()), r->type = type, r->letter = letter;
    if (unixPath) {
        r->mountPointOffset = sizeof(Request);
        strcpy(buf.data() + sizeof(Request), unixPath);
    }
    HANDLE manager =
        CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const DWORD defineRequest =
        CTL_CODE(0x6d, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    const bool ok = DeviceIoControl(manager, defineRequest, buf.data(),
                                    static_cast<DWORD>(buf.size()), nullptr, 0, &n, nullptr);
    CloseHandle(manager);
    return ok;
}

} // namespace

WineDrive::WineDrive(const std::string& folder, unsigned type) {
    char* target = nullptr;
    if (!folder.empty()) {
        using UnixName = char*(CDECL*)(LPCWSTR);
        auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        std::wstring wide(folder.begin(), folder.end());
        target = unixName ? unixName(wide.c_str()) : nullptr;
        if (!target) return;
    }
    for (char l = 'n'; l <= 'y' && !letter_; ++l)
        if (GetDriveTypeA((std::string(1, l) + ":\\").c_str()) == DRIVE_NO_ROOT_DIR &&
            Define(l, target, type))
            letter_ = l;
    if (target) HeapFree(GetProcessHeap(), 0, target);
}

WineDrive::~WineDrive() {
    if (letter_) Define(letter_, nullptr, DRIVE_NO_ROOT_DIR);
}

} // namespace zktest
