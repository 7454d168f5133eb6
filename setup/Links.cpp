#include "Links.h"

#include "Handles.h"
#include "UtilPlus.h"
#include "ZMsgBox.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

namespace zk {

namespace {

const char* const ShellFoldersKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                                    "Shell Folders";

LinkFolderErrorProc folderErrorProc;

void ShowFolderError(const Text& folder) {
    if (folderErrorProc) {
        folderErrorProc(folder);
        return;
    }
    ShowErrorBox(nullptr,
                 folder + "\\\\n\\\\nUnable to create Link Directory!\\\\n(RegOp.CreateLink)",
                 "Error", "|OK|Cancel|Yes|No|Abort|Retry|Ignore|", 0);
}

bool ReadShellFolder(bool machineWide, const Text& valueName, Text& value) {
    UniqueKey key;
    if (RegOpenKeyExA(machineWide ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, ShellFoldersKey + 1, 0,
                      KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    std::string data;
    if (!RegReadRaw(key.get(), valueName, type, data)) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    value = data.substr(0, data.find('\0'));
    return true;
}

bool FolderExists(const Text& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolderPath(const Text& path) {
    if (path.empty()) return false;
    if (FolderExists(path)) return true;
    size_t cut = LastCharOf(path, "\\/");
    if (cut != Text::npos && cut > 0) MakeFolderPath(path.substr(0, cut));
    return CreateDirectoryA(path.c_str(), nullptr) || FolderExists(path);
}

std::wstring Wide(const Text& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    w.resize(w.size() - 1);
    return w;
}

// COM on this thread for the length of one call; balanced only when this call started it.
class ComScope {
  public:
    ComScope() : hr_(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    HRESULT hr_;
};

template <typename I> class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    I* operator->() const { return p_; }
    I** put() { return &p_; }
    void** putVoid() { return reinterpret_cast<void**>(&p_); }

  private:
    I* p_ = nullptr;
};

bool WriteShellLink(const Text& file, const Text& target, const Text& arguments,
                    const Text& workDir, const Text& iconFile, int iconIndex, int showCmd) {
    ComScope com;
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.putVoid())))
        return false;
    if (FAILED(link->SetArguments(arguments.c_str())) || FAILED(link->SetPath(target.c_str())) ||
        FAILED(link->SetWorkingDirectory(workDir.c_str())) || FAILED(link->SetShowCmd(showCmd)))
        return false;
    if (!iconFile.empty() && FAILED(link->SetIconLocation(iconFile.c_str(), iconIndex)))
        return false;
    ComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, persist.putVoid()))) return false;
    return SUCCEEDED(persist->Save(Wide(file).c_str(), FALSE));
}

} // namespace

void SetLinkFolderErrorProc(LinkFolderErrorProc proc) {
    folderErrorProc = std::move(proc);
}

Text GetQuickLaunchFolder() {
    if (IsWin9x())
        return GetWindowsDir(true) + "Application Data\\Microsoft\\Internet Explorer\\Quick Launch";
    Text appData = RegPathReadString(Text("HKEY_CURRENT_USER") + ShellFoldersKey, "AppData", "");
    if (appData.empty()) return {};
    return appData + "\\Microsoft\\Internet Explorer\\Quick Launch";
}

Text GetShellFolder(int location, bool allUsers) {
    if (location == LinkQuickLaunch) return GetQuickLaunchFolder();
    return ShellFolderFrom(location, allUsers, ReadShellFolder);
}

Text CreateLink(int location, const Text& subFolder, bool allUsers, const Text& linkName,
                const Text& target, const Text& arguments, const Text& workDir,
                const Text& iconFile, int iconIndex, int showCmd) {
    Text folder = GetShellFolder(location, allUsers);
    if (folder.empty()) return {};
    Text sub = TidyLinkSubFolder(subFolder);
    if (!sub.empty()) folder += "\\" + sub;
    if (!MakeFolderPath(folder)) ShowFolderError(folder);
    if (IsUrlTarget(target)) {
        Text file = folder + "\\" + linkName + ".url";
        Text data = UrlFileText(target, iconFile, iconIndex, workDir);
        UniqueFile out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        bool ok =
            out &&
            WriteFile(out.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
            written == data.size();
        out.reset();
        if (!ok) DeleteFileA(file.c_str());
        return ok ? file : Text();
    }
    Text file = folder + "\\" + linkName + ".lnk";
    if (!WriteShellLink(file, target, arguments, workDir, iconFile, iconIndex, showCmd)) return {};
    return file;
}

} // namespace zk
