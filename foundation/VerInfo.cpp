#include "VerInfo.h"
#include "SysLibs.h"

#include <windows.h>

#include <cstdio>

namespace zk {

TVersionInfo::TVersionInfo(const Text& path) {
    DWORD ignored = 0;
    DWORD size = sys::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return;
    block_.resize(size);
    if (!sys::GetFileVersionInfoA(path.c_str(), 0, size, block_.data())) {
        block_.clear();
        return;
    }
    ReadTranslations();
}

unsigned TVersionInfo::QueryVersionValue(const Text& subBlock, void** value) const {
    *value = nullptr;
    if (!Valid()) return 0;
    UINT len = 0;
    // VerQueryValue takes a non-const block although it only reads it.
    void* block = const_cast<char*>(block_.data());
    if (!sys::VerQueryValueA(block, subBlock.c_str(), value, &len)) return 0;
    return len;
}

void TVersionInfo::ReadTranslations() {
    void* value = nullptr;
    unsigned len = QueryVersionValue("\\VarFileInfo\\Translation", &value);
    const WORD* words = static_cast<const WORD*>(value);
    for (unsigned i = 0; i + 1 < len / 2; i += 2) {
        char key[16];
        std::snprintf(key, sizeof key, "%04X%04X", words[i], words[i + 1]);
        char name[100] = "";
        if (!VerLanguageNameA(words[i], name, sizeof name)) name[0] = 0;
        keys_.push_back(key);
        languages_.push_back(name);
    }
}

Text TVersionInfo::GetVersionString(const Text& name) const {
    if (name.empty()) return {};
    for (const Text& key : keys_) {
        void* value = nullptr;
        unsigned len = QueryVersionValue("\\StringFileInfo\\" + key + "\\" + name, &value);
        if (len == 0 || !value) continue;
        // The length counts characters and may include the terminator; stop at the first zero.
        Text s(static_cast<const char*>(value), len);
        s.resize(s.find('\0') == Text::npos ? s.size() : s.find('\0'));
        if (!s.empty()) return s;
    }
    return {};
}

Text GetFileVersionText(const Text& path, int width) {
    TVersionInfo info(path);
    if (!info.Valid()) return {};
    return NormalizeVersionText(info.GetVersionString("FileVersion"), width);
}

} // namespace zk
