// The shell's folder browser for the destination page's Browse button. Where the user left
// the dialog is remembered for the next one within the run.
#pragma once
#include "Utils.h"

namespace zk {

// Shows the browser with `prompt` above the tree, rooted at `root` ("My Computer" is the
// drives folder; another text is parsed as a shell name, the desktop when it cannot be), the
// window titled `caption` when not empty, and `path` preselected when it is an existing
// folder. True when the user chose a file-system folder: `path` then holds it. Cancel or any
// failure: false, `path` unchanged. The thread's other windows are disabled meanwhile.
// Where Browse starts for a typed target: the path, or its parent while it is not an existing
// folder, at most 10 steps up; what is left may still be missing (the browser then drops it).
Text BrowseStartFolder(const Text& path);

bool SelectFolder(const Text& caption, const Text& prompt, const Text& root, bool allowNewFolder,
                  Text& path);

} // namespace zk
