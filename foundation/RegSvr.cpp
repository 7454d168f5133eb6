#include "RegSvr.h"
#include "FileFlags.h"
#include "CommonText.h"
#include "Handles.h"
#include "U_DEBUG0.h"

#include <ole2.h>

namespace zk {

namespace {

bool CallServerEntry(const Text& path, const char* entry) {
    UniqueModule module(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return false;
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto call =
        reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module.get(), entry)));
    return call && call() == S_OK;
}

} // namespace

bool RegisterServerFile(const Text& path, bool doRegister) {
    if (!IsRegistrableFile(path)) return false;
    if (!IsAbsolutePath(path)) { // a relative name would load whatever the search order finds
        TraceLine("RegisterServerFile: not an absolute path, not loaded: " + path);
        return false;
    }
    if (FAILED(OleInitialize(nullptr))) return false;
    SetErrorMode(SEM_FAILCRITICALERRORS);
    bool ok = CallServerEntry(path, doRegister ? "DllRegisterServer" : "DllUnregisterServer");
    OleUninitialize();
    return ok;
}

} // namespace zk
