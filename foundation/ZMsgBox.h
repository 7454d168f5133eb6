// The own modal message box behind every user message: MessageMarkup body in a rich edit, an
// icon band, up to three buttons with captions from a ButtonCaptionList, right-to-left text
// for Hebrew and Arabic. Flags and result codes are those of the standard message box.
#pragma once
#include "MsgMarkup.h"

#include <windows.h>

namespace zk {

// Owner value "no caption line, owned by the active window" (owner 0 adds the caption line).
inline const HWND OwnerActiveWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(1));

// Front end: charsets 177 and 178 add right-to-left; owner 0 repeats the caption as a bold
// first line; owner 0 or 1 means the active window. Pumps messages for 100 ms afterwards.
int ShowZMsgBox(HWND owner, const Text& text, const Text& caption,
                const Text& buttonCaptions = DefaultButtonCaptions, int charset = 0,
                unsigned flags = 0);
void ShowErrorBox(HWND owner, const Text& text, const Text& caption,
                  const Text& buttonCaptions = DefaultButtonCaptions, int charset = 0);
void ShowWarningBox(HWND owner, const Text& text, const Text& caption,
                    const Text& buttonCaptions = DefaultButtonCaptions, int charset = 0);
bool AskYesNo(HWND owner, const Text& text, const Text& caption,
              const Text& buttonCaptions = DefaultButtonCaptions, int charset = 0);
bool AskOkCancel(HWND owner, const Text& text, const Text& caption,
                 const Text& buttonCaptions = DefaultButtonCaptions, int charset = 0);

// The box itself; 0 when it was closed without a button or by WM_QUIT (posted again). Boxes
// may stack: each keeps its state in its own window.
int ZMsgBox(HWND owner, const Text& text, const Text& caption, const Text& buttonCaptions,
            unsigned flags);

} // namespace zk
