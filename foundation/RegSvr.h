// Self-registration of COM server files through their DllRegisterServer and
// DllUnregisterServer exports.
#pragma once
#include "Utils.h"

namespace zk {

// True when the export returned S_OK. Only ".ocx", ".dll" and ".ax" files given by an absolute
// path are loaded (a relative one would go through the search order).
bool RegisterServerFile(const Text& path, bool doRegister);

} // namespace zk
