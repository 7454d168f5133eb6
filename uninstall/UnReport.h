// The uninstaller's own texts: confirmation, memo and log lines, the closing summary and the
// self-deletion batch. Pure text (no windows.h).
#pragma once
#include "UnScript.h"

namespace zk {

// Failed items per kind; environment rows, COM servers, fonts and read-only marks count nowhere.
struct RemovalCounters {
    int registry = 0;
    int iniFile = 0;
    int association = 0;
    int directories = 0;
    int files = 0;
    int execute = 0;
};

// CONFIRM_TEXT without "PROG_NAME" gets " <b>" name "?</b>"; then the name is put in.
Text MakeConfirmText(const Text& confirmText, const Text& progName);

// Memo lines: a stage header is an empty line and the title with one blank; an item is TAB,
// the item and a blank, marked with a leading "*" when it failed.
TextList MemoHeaderLines(const Text& title);
Text MemoItemLine(const Text& item, bool success);
// One failed item in the failure log.
inline Text LogLine(const Text& item) {
    return item + "\r\n";
}

// The closing message in message-box markup (its line break is the three characters "\\n");
// empty when nothing failed.
Text SummaryMessage(const RemovalCounters& c);

// The batch that deletes the uninstaller after it has exited: it retries while the exe still
// exists (DEL never sets ERRORLEVEL), pauses between tries with PING (Wine's cmd has no
// TIMEOUT), gives up after `tries`, then removes the folder when it is empty and itself.
// Paths are quoted and their "%" doubled. Lines end with CR LF. With the folder, the
// parentDirs (deepest first) go after it, each only when empty.
Text SelfDeleteBatchText(const Text& exe, const Text& dir, const Text& bat, bool removeFolder,
                         int tries = 30, const TextList& parentDirs = {});

} // namespace zk
