// The file side of the setup script reader (the reader itself is pure text).
#include <windows.h>

#include "Files.h"
#include "SScriptRead.h"
#include "ZMsgBox.h"

namespace zk {

bool TScript::LoadFromFile(const Text& path, const ScriptErrorSink& onError) {
    Clear();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    ReadScriptText(*this, LoadFile(path), onError); // unreadable: empty text, all defaults
    return true;
}

void ShowUnrecognizedCommandBox(const Text& message) {
    ShowErrorBox(nullptr, message, "Error", "|OK|Cancel|Yes|No|Abort|Retry|Ignore|", 0);
}

} // namespace zk
