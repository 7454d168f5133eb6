// One file item of a SET_COPY_FILES list: "name", "*name" (shared) or "flags*name". The
// script's use counts and the copy engine read the items through this one parser, so a name
// is found the same way by both. Pure text code.
#pragma once
#include "FileFlags.h"

#include <vector>

namespace zk {

struct FileItem {
    FileFlags flags = 0;
    Text name; // as the source is named, number prefix included
};

// Blanks around the item are trimmed. A prefix before the first "*" that is not a decimal
// number leaves the item whole, as its name with flags 0.
FileItem ParseFileItem(const Text& item);
// The items of a "|"-separated list in order; empty items and the list "*" give none.
std::vector<FileItem> ParseFileList(const Text& files);
// The key under which a source file's uses are counted: its file-name part, upper case by the
// system's rules, as the file system compares names ("r\xE9sum\xE9.txt" and "R\xC9SUM\xC9.TXT" are
// one).
Text SourceFileKey(const Text& nameOrPath);

} // namespace zk
